#include "dnml/ui/highlighter.h"

#include <array>

namespace dnml {

Highlighter::Highlighter(ScriptEdit &edit)
    : m_colouring(edit, *this)
{
    setObjectName(QStringLiteral("highlighter"));
}

QColor Highlighter::colour(Token token)
{
    // Every colour reads on white at a contrast of 4.5:1 or more.
    switch (token) {
    case Token::TagOpen:
    case Token::TagName:
    case Token::TagClose:
    case Token::Equals:
        return QColor(0x00, 0x33, 0xB3);  // blue
    case Token::AttributeName:
        return QColor(0x87, 0x10, 0x94);  // purple
    case Token::Value:
    case Token::OpenValue:
        return QColor(0x06, 0x7D, 0x17);  // green
    case Token::Comment:
    case Token::CommentContinued:
        return QColor(0x6E, 0x6E, 0x6E);  // grey
    case Token::Bracket:
        return QColor(0xC4, 0x1A, 0x16);  // red
    }
    return Qt::black;
}

QList<QTextLayout::FormatRange> Highlighter::formats(QStringView line, State start, bool lineEnds)
{
    // One shared format per kind of span.
    static const auto table = [] {
        std::array<QTextCharFormat, std::size_t(Token::Bracket) + 1> formats;
        for (std::size_t i = 0; i < formats.size(); ++i)
            formats[i].setForeground(colour(Token(i)));
        return formats;
    }();
    // Text laid out with thousands of colours takes the editor seconds: a
    // longer line keeps the colours of its first spans only.
    constexpr std::size_t mostSpans = 1000;
    thread_local std::vector<Span> spans;
    spans.clear();
    lexPart(line, start, lineEnds, spans, mostSpans);
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(qsizetype(spans.size()));
    for (const Span &span : spans)
        ranges.append({int(span.start), int(span.length), table[std::size_t(span.token)]});
    return ranges;
}

Colouring::State Highlighter::end(QStringView text, Colouring::State start, bool lineEnds) const
{
    return Colouring::State(endState(text, State(start), lineEnds));
}

QList<QTextLayout::FormatRange> Highlighter::formats(QStringView text, Colouring::State start, bool lineEnds) const
{
    return formats(text, State(start), lineEnds);
}

} // namespace dnml
