// The lists of what the script holds, beside Text1 (the palette's and the
// completion's assets, the findings, the outline, 使用箇所, the versions),
// are read against the script: they are drawn in its letters, its family
// at the size the author zoomed it to, and follow it when it changes. The
// weight stays the list's own, so that rows of names and messages stay
// light to scan. Columns given a width in pixels for the letters (a line
// number's) grow and shrink with them; a column measured by its owner
// (one of fixed width) is measured again by it on the list's FontChange.
#pragma once

class QAbstractItemView;
class QWidget;

// Gives `list` the family and the size of `text1`'s font, now and whenever
// that font changes, for as long as both live.
void followScriptFont(QAbstractItemView *list, QWidget &text1);
