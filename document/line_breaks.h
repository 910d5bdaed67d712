// How the script's line breaks stand inside the editor's document: for the
// document and its view alone. Everything else reads script lines through
// ScriptDocument. A script line break (CR LF in the file) is a block break,
// which the document reports as U+2029 in its raw text and counts as one
// position; a lone LF, which a script line may hold, is kept inside its line
// as U+2028 and drawn as a break there. A line too long to lay out at every
// keystroke is shown in pieces, each piece after the first a block of its
// own; the break before such a piece is a block break as well, told apart
// by ScriptDocument's record of pieces, never by a character.
#pragma once

namespace scriptdoc {

inline constexpr char16_t blockBreak = 0x2029;    // a CR LF of the script, or the start of a piece
inline constexpr char16_t loneLineFeed = 0x2028;  // an LF of the script that no CR precedes

} // namespace scriptdoc
