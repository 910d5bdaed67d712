// DNML tags put together from the lexer's spans, across lines: the one tag
// reader of the program, for the check, the outline and completion alike.
// A "<" opens a tag, its name and attributes fill it in, and ">" closes
// it; a value belongs to the attribute named before it, even on an earlier
// line. A tag ends at its ">", or is cut short by the next "<", by
// a comment, or by the end of the text.
#pragma once

#include "dnml/lexer.h"

#include <QStringView>

#include <vector>

namespace dnml {

struct Attribute {
    QStringView name;
    QStringView value;      // without its quotes
    qsizetype offset = 0;   // of the value's first character
    bool quoted = true;     // written in quotes
    bool closed = true;     // its closing quote is there (unquoted: always)
};

struct Tag {
    bool closing = false;  // "</"
    bool closed = false;   // its ">" was read
    bool openQuote = false;  // a quoted value in it runs to the end of its line
    qsizetype offset = 0;  // of its "<"
    qsizetype length = 1;  // up to its ">" once read
    QStringView name;
    std::vector<Attribute> attributes;

    // The attribute of that name (letter case ignored), or null.
    const Attribute *attribute(QStringView wanted) const;
    // Whether it is the element `element` (letter case ignored).
    bool is(QStringView element) const { return sameName(name, element); }
};

class TagReader
{
public:
    // What a span did to the tag being read.
    enum class Took { Nothing, Opened, Named, Attribute, Value, Closed };

    // Takes one span; `spanText` is its text and `at` its offset in the text
    // the views point into. A tag that ends, by this span or cut short by
    // it, is handed to `ended(tag)` first.
    template <typename Ended>
    Took take(const Span &span, QStringView spanText, qsizetype at, Ended ended);
    // The end of the text: a tag still open is cut short.
    template <typename Ended>
    void finish(Ended ended)
    {
        if (m_open)
            end(ended);
    }

    bool open() const { return m_open; }
    const Tag &tag() const { return m_tag; }
    // The attribute whose value may come next: named, and its "=" read.
    QStringView valueFor() const { return m_equals ? m_pending : QStringView(); }

private:
    template <typename Ended>
    void end(Ended ended)
    {
        m_open = false;
        ended(m_tag);
    }
    Took apply(const Span &span, QStringView spanText, qsizetype at);

    Tag m_tag;
    bool m_open = false;
    QStringView m_pending;  // the attribute named last, waiting for its value
    bool m_equals = false;  // and its "=" read
};

template <typename Ended>
TagReader::Took TagReader::take(const Span &span, QStringView spanText, qsizetype at, Ended ended)
{
    const bool cutsShort = span.token == Token::TagOpen || span.token == Token::Comment;
    if (m_open && cutsShort)
        end(ended);
    const Took took = apply(span, spanText, at);
    if (took == Took::Closed)
        end(ended);
    return took;
}

} // namespace dnml
