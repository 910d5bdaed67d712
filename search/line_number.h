// The number typed into Ctrl+G's field, read as the author means it: with
// the input method on, digits arrive full-width (１２０), and a line number
// in full-width digits, or in both kinds at once, names the same line as in
// half-width ones. Qt Core only.
#pragma once

#include <QStringView>

#include <optional>

namespace search {

// The line (1 for the first, as the file counts them) that `typed` names in
// a script of `lineCount` lines. Digits may be half-width (0–9) or
// full-width (０–９), mixed; blanks around them (a full-width space too)
// are left out. Nothing for an empty text, anything but digits (a sign, a
// blank between digits, other scripts' digits), or a number no line has
// (0, or past the last, however many digits it has).
std::optional<int> lineNumber(QStringView typed, int lineCount);

} // namespace search
