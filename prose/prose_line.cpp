#include "prose/prose_line.h"

namespace prose {

dnml::State ProseLine::read(QStringView line, dnml::State state)
{
    using dnml::State;
    using dnml::Token;
    m_text.clear();
    m_pieces.clear();
    m_flags.clear();
    m_spans.clear();
    m_plain = 0;
    m_quoted = 0;
    const State end = dnml::lexLine(line, state, m_spans);

    m_speaker = state == State::Text ? outline::speakerOf(line) : outline::narration;
    qsizetype from = 0;
    if (m_speaker != outline::narration)
        from = qsizetype(markup::cast[m_speaker - 1].speaker.size());
    m_bracketed = m_speaker != outline::narration && line.sliced(from).contains(u'「');

    // What lies between the pieces is prose outside a tag, and a blank
    // inside one; a bracket is prose.
    bool inTag = state == State::Tag || state == State::TagStart;
    qsizetype at = 0;
    for (const dnml::Span &span : m_spans) {
        if (span.token == Token::Bracket)
            continue;
        if (!inTag)
            take(line, std::max(at, from), span.start);
        at = span.start + span.length;
        if (span.token == Token::TagOpen)
            inTag = true;
        else if (span.token == Token::TagClose || span.token == Token::Comment || span.token == Token::CommentContinued)
            inTag = false;
    }
    if (!inTag)
        take(line, std::max(at, from), line.size());
    return end;
}

void ProseLine::take(QStringView line, qsizetype from, qsizetype to)
{
    const bool speaking = m_speaker != outline::narration;
    if (from < to)
        m_pieces.push_back({m_text.size(), from});
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = line[i];
        // A bracket has the flags of what is around it.
        if (c == u'」' && m_plain > 0)
            --m_plain;
        else if (c == u'』' && m_quoted > 0)
            --m_quoted;
        std::uint8_t flags = 0;
        if (speaking && (!m_bracketed || m_plain > 0))
            flags |= Spoken;
        if (m_quoted > 0)
            flags |= Quoted;
        if (c == u'「')
            ++m_plain;
        else if (c == u'『')
            ++m_quoted;
        m_text.append(c);
        m_flags.push_back(flags);
    }
}

} // namespace prose
