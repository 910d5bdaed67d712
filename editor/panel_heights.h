// How the height under the notices is shared between Text1 and the panels
// open under it (the search bar, the findings, the outline, 使用箇所). The
// script is what the author works on: whatever is open, Text1 keeps a
// third of the frame or eight lines of its letters, whichever is more, and
// the panels give way for it. Plain arithmetic on pixel heights, no widgets.
#pragma once

#include <span>
#include <vector>

namespace panels {

struct Panel {
    int wanted = 0;  // the height it was opened at or dragged to; a bar, its rows'
    int least = 0;   // it never gets less: below that its rows no longer show
};

struct Shares {
    int text1 = 0;
    std::vector<int> panels;  // in the order given
};

// The least Text1 keeps in a frame `frameHeight` tall, with lines of
// `lineHeight` and `chrome` around them (its frame, its scroll bar, its
// margins): a third of the frame, or eight whole lines, whichever is more.
int text1Least(int frameHeight, int lineHeight, int chrome);

// `space` shared between Text1 and `open` panels: each panel gets the
// height it wants and Text1 the rest, unless that leaves Text1 less than
// `text1Least`. Then the panels give way, each in proportion to what it
// has above its least (a panel wanting no more than its least, as a bar
// does, gives nothing), until Text1 has its least or every panel is down
// to its own. The shares add up to `space`, unless the panels' least
// heights alone are more than that: Text1's share is never below zero.
Shares share(int space, int text1Least, std::span<const Panel> open);

} // namespace panels
