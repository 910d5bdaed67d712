#include "dnml/highlighter.h"

#include "dnml/shown_lines.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>

namespace dnml {

Highlighter::Highlighter(QPlainTextEdit *edit)
    : QObject(edit)
    , m_edit(edit)
{
    setObjectName(QStringLiteral("highlighter"));
    connect(edit->document(), &QTextDocument::contentsChange, this, &Highlighter::contentsChange);
    edit->viewport()->installEventFilter(this);
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

QList<QTextLayout::FormatRange> Highlighter::formats(QStringView line, State start)
{
    std::vector<Span> spans;
    lexLine(line, start, spans);
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(qsizetype(spans.size()));
    for (const Span &span : spans) {
        QTextLayout::FormatRange range;
        range.start = int(span.start);
        range.length = int(span.length);
        range.format.setForeground(colour(span.token));
        ranges.append(range);
    }
    return ranges;
}

void Highlighter::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    m_edit->viewport()->update();
}

void Highlighter::contentsChange(int position, int, int)
{
    // Lines before the edited one keep their states.
    const int edited = m_edit->document()->findBlock(position).blockNumber();
    m_lexed = std::min(m_lexed, std::max(edited, 0));
}

State Highlighter::startState(const QTextBlock &block)
{
    const int number = block.blockNumber();
    if (number == 0)
        return State::Text;
    if (m_lexed < number) {
        if (m_endStates.size() < std::size_t(number))
            m_endStates.resize(std::size_t(number));
        QTextBlock line = m_edit->document()->findBlockByNumber(m_lexed);
        State state = m_lexed == 0 ? State::Text : m_endStates[std::size_t(m_lexed - 1)];
        for (int i = m_lexed; i < number; ++i, line = line.next()) {
            state = endState(line.text(), state);
            m_endStates[std::size_t(i)] = state;
        }
        m_lexed = number;
    }
    return m_endStates[std::size_t(number - 1)];
}

bool Highlighter::colourShownLines(const QRect &painted)
{
    const QRect view = m_edit->viewport()->rect();
    auto [block, last] = shownLines(m_edit);
    if (!block.isValid())
        return false;
    State state = m_enabled ? startState(block) : State::Text;
    bool elsewhere = false;
    QAbstractTextDocumentLayout *layout = m_edit->document()->documentLayout();
    for (;;) {
        const QString text = block.text();
        QList<QTextLayout::FormatRange> wanted;
        if (m_enabled) {
            wanted = formats(text, state);
            const State end = endState(text, state);
            const std::size_t number = std::size_t(block.blockNumber());
            if (m_endStates.size() <= number)
                m_endStates.resize(number + 1);
            if (int(number) == m_lexed) {
                m_endStates[number] = end;
                ++m_lexed;
            }
            state = end;
        }
        if (block.layout()->formats() != wanted) {
            const QRect line = m_edit->cursorRect(QTextCursor(block));
            elsewhere = elsewhere || !painted.intersects(QRect(0, line.top(), view.width(), line.height()));
            block.layout()->setFormats(wanted);
            // Setting formats leaves a change pending in the document;
            // marking the line dirty lays it out again at once and clears
            // that, so that the next edit reports only itself. The text,
            // the undo stack and contentsChange() are untouched; the
            // layout's repaint request is not needed while painting.
            const QSignalBlocker quiet(layout);
            m_edit->document()->markContentsDirty(block.position(), block.length());
        }
        if (block == last || !block.next().isValid())
            break;
        block = block.next();
    }
    return elsewhere;
}

bool Highlighter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit->viewport() && event->type() == QEvent::Paint) {
        if (colourShownLines(static_cast<QPaintEvent *>(event)->rect()))
            m_edit->viewport()->update();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace dnml
