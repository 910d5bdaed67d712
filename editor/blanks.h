// 表示 → 空白と改行: which characters of a line Text1 marks, as Japanese
// editors do, so that what looks alike on screen is told apart: a
// full-width space (a faint square), a tab (an arrow), a lone LF inside a
// line (a down arrow), the end of each line (a return arrow), and the
// full-width letters and digits (shaded), which the check and the game
// take for other characters than their half-width look-alikes. Widget-free:
// the view draws the marks over its lines.
#pragma once

#include <QStringView>

#include <vector>

namespace blanks {

enum class Mark {
    FullWidthSpace,   // U+3000
    Tab,
    LoneLineFeed,     // an LF inside a script line, as the view keeps it (U+2028)
    FullWidthLetter,  // Ａ–Ｚ, ａ–ｚ, ０–９
};

struct Marked {
    qsizetype at;  // in the text given
    qsizetype length;
    Mark mark;
    friend bool operator==(const Marked &, const Marked &) = default;
};

// The marks of a line's text as the view holds it (a lone LF as U+2028):
// one per blank, one per run of full-width letters and digits, in order.
std::vector<Marked> marksIn(QStringView text);

} // namespace blanks
