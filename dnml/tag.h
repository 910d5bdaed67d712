// A DNML tag put together from the lexer's pieces, across lines: its
// name, whether it is an end tag, and its attributes. The check and the
// outline both read tags this way.
#pragma once

#include "dnml/lexer.h"

#include <QStringView>

#include <vector>

namespace dnml {

struct Attribute {
    QStringView name;
    QStringView value;  // without its quotes
    qsizetype offset;   // of the value's first character
};

struct Tag {
    bool open = false;     // a "<" was read and the tag is being read
    bool closing = false;  // "</"
    bool closed = false;   // its ">" was read
    qsizetype offset = 0;  // of its "<"
    qsizetype length = 1;  // up to its ">" once read
    QStringView name;
    std::vector<Attribute> attributes;

    // The attribute of that name (letter case ignored), or null.
    const Attribute *attribute(QStringView wanted) const;

    // Takes one piece of the lexer at offset `at` of the text the views
    // point into: a "<" starts a new tag, the pieces after it fill it in,
    // ">" closes it. A value is an attribute's when its name came before
    // it in the same tag, even on an earlier line. Comments, brackets and
    // prose are not a tag's; they leave it as it is.
    void take(const Span &span, QStringView piece, qsizetype at);

private:
    QStringView m_pendingName;
};

} // namespace dnml
