// The check of a script against the game's catalogues and the shape of its
// markup. It only reports: the script is never changed. It knows the asset
// references and folder values the program writes, and the faults that stop
// the player at a line; nothing about prose or elements it does not write.
#pragma once

#include <QString>
#include <QStringView>

#include <atomic>
#include <vector>

namespace dnml {

enum class FindingKind {
    UnknownReference,  // an SRC that no catalogue of its kind holds
    WidthVariant,      // an SRC that differs from one the game has only in full-width against half-width
    EmptyValue,        // SRC=""
    UnquotedValue,     // SRC=name, without quotes
    CommentMismatch,   // a picker's comment line naming another picture than the tag after it
    OtherEdition,      // an event picture that only the other edition has
    FolderValue,       // a FOLDER value the program never writes there
    FolderMix,         // "ORVEN" and "OrvenA" both on tags that follow the install type
    UnclosedTag,       // "<" with no ">" before the next "<" or the end
    UnclosedQuote,     // a quote inside a tag left open at the end of its line
    UnclosedComment,   // "<!--" never closed
    UnclosedBracket,   // 「 without 」 on its line
    UnopenedBracket,   // 」 without 「 before it on its line
    UnclosedIndent,    // <INDENT> without </INDENT> on its line
    UnopenedIndent,    // </INDENT> without <INDENT> before it on its line
    Unsavable,         // a character code page 932 cannot hold: the script cannot be saved
    Omitted,           // the last row when there are more findings than are kept: how many more
    Other,             // a finding of a source beside the check (see FindingsPanel::addSource)
};

struct Finding {
    FindingKind kind;
    qsizetype offset;  // where the span starts, in characters of the text checked
    qsizetype length;  // of the span: a value without its quotes, a tag mark…
    qsizetype line;    // 1-based
    qsizetype column;  // 1-based, in characters
    QString message;   // Japanese, one sentence or two
};

// Checks a whole script text; offsets are script offsets. Lines end at
// CR LF or a lone CR; a lone LF belongs to its line.
// Findings come in the order of their offsets; past the first mostFindings,
// they are counted in one last Omitted finding at the text's end. Safe to
// call from any thread;
// once `cancel` is set, it gives up within a few thousand lines and gives
// back what it found so far.
inline constexpr std::size_t mostFindings = 10'000;
std::vector<Finding> check(QStringView text, const std::atomic<bool> *cancel = nullptr);

} // namespace dnml
