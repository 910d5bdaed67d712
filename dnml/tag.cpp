#include "dnml/tag.h"

namespace dnml {

const Attribute *Tag::attribute(QStringView wanted) const
{
    for (const Attribute &a : attributes)
        if (sameName(a.name, wanted))
            return &a;
    return nullptr;
}

TagReader::Took TagReader::apply(const Span &span, QStringView spanText, qsizetype at)
{
    switch (span.token) {
    case Token::TagOpen:
        m_open = true;
        m_tag.closing = span.length == 2;
        m_tag.closed = false;
        m_tag.openQuote = false;
        m_tag.offset = at;
        m_tag.length = span.length;
        m_tag.name = {};
        m_tag.attributes.clear();
        m_pending = {};
        m_equals = false;
        return Took::Opened;
    case Token::TagName:
        if (!m_open)
            return Took::Nothing;
        m_tag.name = spanText;
        return Took::Named;
    case Token::TagClose:
        if (!m_open)
            return Took::Nothing;
        m_tag.length = at + 1 - m_tag.offset;
        m_tag.closed = true;
        return Took::Closed;
    case Token::AttributeName:
        m_pending = spanText;
        m_equals = false;
        return m_open ? Took::Attribute : Took::Nothing;
    case Token::Equals:
        m_equals = !m_pending.isEmpty();
        return Took::Nothing;
    case Token::Value:
    case Token::OpenValue: {
        const bool quoted = spanText.startsWith(u'"');
        const bool closed = span.token == Token::Value;
        const qsizetype from = quoted ? 1 : 0;
        const qsizetype to = quoted && closed ? spanText.size() - 1 : spanText.size();
        m_tag.openQuote = m_tag.openQuote || !closed;
        if (m_open && !m_pending.isEmpty())
            m_tag.attributes.push_back({m_pending, spanText.sliced(from, to - from), at + from, quoted, closed});
        m_pending = {};
        m_equals = false;
        return m_open ? Took::Value : Took::Nothing;
    }
    case Token::Comment:
    case Token::CommentContinued:
    case Token::Bracket:
        return Took::Nothing;
    }
    return Took::Nothing;
}

} // namespace dnml
