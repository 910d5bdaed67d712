// How the script's line breaks stand inside the editor's document. A script
// line break (CR LF in the file) is a block break, which the document
// reports as U+2029 in its raw text and counts as one position; a lone LF,
// which a script line may hold, is kept inside its line as U+2028 and drawn
// as a break there. A script line too long for the view to lay out again
// at every keystroke is shown in pieces: each piece after the first is a
// block of its own that continues the line, and the break before it, which
// is nothing in the script, stands in the raw text as pieceBreak, a
// noncharacter. Whatever reads the document's raw text meets these three.
#pragma once

namespace scriptdoc {

inline constexpr char16_t blockBreak = 0x2029;    // a CR LF of the script
inline constexpr char16_t loneLineFeed = 0x2028;  // an LF of the script that no CR precedes
inline constexpr char16_t pieceBreak = 0xFDD0;    // between two pieces of one long line

} // namespace scriptdoc
