#include "dnml/tag.h"

namespace dnml {

const Attribute *Tag::attribute(QStringView wanted) const
{
    for (const Attribute &a : attributes)
        if (a.name.size() == wanted.size() && (a.name == wanted || a.name.compare(wanted, Qt::CaseInsensitive) == 0))
            return &a;
    return nullptr;
}

void Tag::take(const Span &span, QStringView piece, qsizetype at)
{
    switch (span.token) {
    case Token::TagOpen:
        open = true;
        closing = span.length == 2;
        closed = false;
        offset = at;
        length = span.length;
        name = {};
        attributes.clear();
        m_pendingName = {};
        break;
    case Token::TagName:
        name = piece;
        break;
    case Token::TagClose:
        length = at + 1 - offset;
        closed = true;
        break;
    case Token::AttributeName:
        m_pendingName = piece;
        break;
    case Token::Value:
    case Token::OpenValue: {
        const bool quoted = piece.startsWith(u'"');
        const qsizetype from = quoted ? 1 : 0;
        const qsizetype to = quoted && span.token == Token::Value ? piece.size() - 1 : piece.size();
        if (!m_pendingName.isEmpty() && open)
            attributes.push_back({m_pendingName, piece.sliced(from, to - from), at + from});
        m_pendingName = {};
        break;
    }
    case Token::Equals:
    case Token::Comment:
    case Token::CommentContinued:
    case Token::Bracket:
        break;
    }
}

} // namespace dnml
