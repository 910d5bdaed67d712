// One lexer for DNML, shared by the colours and the check. It works line by
// line: a function of the line's text and the state at its start, giving
// the line's spans and the state at its end. The state is one small value
// so that a caller can keep one per line and stop re-lexing as soon as a
// line ends in the state it ended in before.
#pragma once

#include <QStringView>

#include <cstdint>
#include <type_traits>
#include <vector>

namespace dnml {

// What is open at a line break: nothing (prose), a tag whose name is still
// to come ("<" at the end of a line), a tag after its name, or a comment.
// Where a part of a line ends and the line goes on (a long line read in
// parts), also what is open inside the tag: an "=" waiting for its value,
// a quoted value, or a word (the element's name, an attribute's name, a
// bare value).
enum class State : std::uint8_t {
    Text,
    TagStart,
    Tag,
    Comment,
    // Within a line only:
    AfterEquals,
    Quote,
    TagName,
    AttributeName,
    BareValue,
};

enum class Token : std::uint8_t {
    TagOpen,           // "<" or "</"
    TagName,           // the element's name right after it
    TagClose,          // ">"
    AttributeName,     // a word inside a tag
    Equals,            // "=" inside a tag
    Value,             // a quoted value with both quotes, or a bare word after "="
    OpenValue,         // a quote left open: from the quote to the end of the line
    Comment,           // "<!--" and what follows on its line, up to "-->" if there
    CommentContinued,  // a comment's further line, up to "-->" if there
    Bracket,           // 「 or 」 in prose
};

struct Span {
    qsizetype start;   // in characters from the start of the line
    qsizetype length;
    Token token;
};

// Lexes one line, without its line break (CR LF or CR). A lone LF inside
// the line is a blank like any other.
// Appends the line's spans to `spans` in order (prose gets none), at most
// `most` of them (a line of thousands of "<" is lexed to its end, but only
// its first spans kept), and returns the state at the line's end. Any
// text is accepted: a "<" inside a tag starts a new tag, a quote runs at
// most to the end of its line.
State lexLine(QStringView line, State state, std::vector<Span> &spans, std::size_t most = std::size_t(-1));
// The same for a part of a line: when `lineEnds` is false the line goes on
// after `text` and the state given back is where it goes on from; a part
// lexed after another, from the state the first ended in, gives the spans
// the whole line would (a span cut by the parts' edge comes in two).
State lexPart(QStringView text, State state, bool lineEnds, std::vector<Span> &spans,
              std::size_t most = std::size_t(-1));

// Calls `line(start, text)` for each line of a script text, in order: lines
// end at CR LF or a lone CR, and a lone LF stays inside its line. The empty
// text is one empty line. A `line` that returns false stops the walk.
template <typename LineFunction>
void forEachLine(QStringView text, LineFunction line)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (;;) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r')
            ++end;
        if constexpr (std::is_same_v<decltype(line(start, text)), bool>) {
            if (!line(start, text.sliced(start, end - start)))
                return;
        } else {
            line(start, text.sliced(start, end - start));
        }
        if (end >= n)
            return;
        start = end + (text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n' ? 2 : 1);
    }
}

// The same state as lexLine() (or lexPart()) gives, without the spans; for
// skipping over lines that are not shown.
State endState(QStringView line, State state, bool lineEnds = true);

// Whether two element or attribute names are the same, whatever the case
// of their letters. The lengths are compared first: most names differ in
// length, and comparing without case is slow.
inline bool sameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace dnml
