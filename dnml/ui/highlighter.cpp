#include "dnml/ui/highlighter.h"

#include "document/line_breaks.h"
#include "document/script_document.h"
#include "editor/script_edit.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <array>

namespace dnml {
namespace {

// Up to this many lines to lex are read a line at a time; more are read as
// stretches of this many lines' raw text.
constexpr int nearLines = 64;
constexpr int stretchLines = 2000;
// After an edit, the lines below are lexed ahead once the editor has been
// idle this long (ms), this many at a time between events.
constexpr int idlePause = 300;
constexpr int sliceLines = stretchLines;

// What a line was last coloured from: its text (by revision) and the state
// it started in. A line painted again unchanged costs a few comparisons.
struct LineColours : QTextBlockUserData {
    int revision = -1;
    bool coloured = false;
    State start = State::Text;
    State end = State::Text;
};

} // namespace

Highlighter::Highlighter(ScriptEdit &edit)
    : m_edit(&edit)
{
    setObjectName(QStringLiteral("highlighter"));
    connect(edit.document(), &QTextDocument::contentsChange, this, &Highlighter::contentsChange);
    edit.viewport()->installEventFilter(this);
    m_idle.setSingleShot(true);
    m_idle.setInterval(idlePause);
    connect(&m_idle, &QTimer::timeout, this, &Highlighter::lexAhead);
}

void Highlighter::lexAhead()
{
    const QTextDocument *document = m_edit->document();
    if (!m_enabled || m_lexed >= document->blockCount())
        return;
    startState(document->findBlockByNumber(std::min(m_lexed + sliceLines, document->blockCount() - 1)));
    if (m_lexed < document->blockCount() - 1)
        m_idle.start(0);
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
    // One shared format per kind of piece.
    static const auto table = [] {
        std::array<QTextCharFormat, std::size_t(Token::Bracket) + 1> formats;
        for (std::size_t i = 0; i < formats.size(); ++i)
            formats[i].setForeground(colour(Token(i)));
        return formats;
    }();
    // Text laid out with thousands of colours takes the editor seconds: a
    // longer line keeps the colours of its first pieces only.
    constexpr std::size_t mostPieces = 1000;
    thread_local std::vector<Span> spans;
    spans.clear();
    lexLine(line, start, spans, mostPieces);
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(qsizetype(spans.size()));
    for (const Span &span : spans)
        ranges.append({int(span.start), int(span.length), table[std::size_t(span.token)]});
    return ranges;
}

void Highlighter::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    m_edit->viewport()->update();
    if (on)
        m_idle.start(idlePause);
}

void Highlighter::contentsChange(int position, int, int added)
{
    QTextDocument *document = m_edit->document();
    // Lines before the edited one keep their states.
    const QTextBlock block = document->findBlock(position);
    const int edited = block.blockNumber();
    const int blocks = document->blockCount();
    const int delta = blocks - m_blocks;
    const bool oneLine = delta == 0 && position + added < block.position() + block.length();
    m_blocks = blocks;
    // An edit changes the lines below it only if its last line ends in
    // another state than before: their states are kept, to be taken up again
    // when the edited lines turn out to end as they did. Lines added or
    // removed (Enter, a pasted block) shift the kept states with their lines.
    if (edited < 0) {
        m_junction = -1;
    } else if (!oneLine) {
        const QTextBlock lastBlock = document->findBlock(std::min(position + added, document->characterCount() - 1));
        const int last = lastBlock.blockNumber();
        const int oldLast = last - delta;
        // Lines joined by deleting a break keep the first one's colours and
        // revision: they are no longer what the line shows. The lines in
        // between are new and have none.
        for (const QTextBlock &ends : {block, lastBlock})
            if (auto *colours = static_cast<LineColours *>(ends.userData()))
                colours->revision = -1;
        if (m_junction < 0 && edited <= oldLast && oldLast < m_lexed) {
            const auto at = m_endStates.begin() + edited;
            if (delta > 0)
                m_endStates.insert(at, std::size_t(delta), State::Text);
            else
                m_endStates.erase(at, at - delta);
            m_junction = last;
            m_junctionState = m_endStates[std::size_t(last)];
            m_resume = m_lexed + delta;
        } else {
            m_junction = -1;
        }
    } else if (m_junction < 0 && edited < m_lexed) {
        m_junction = edited;
        m_junctionState = m_endStates[std::size_t(edited)];
        m_resume = m_lexed;
    } else if (m_junction >= 0 && edited > m_junction) {
        m_resume = std::min(m_resume, edited);
    }
    m_lexed = std::min(m_lexed, std::max(edited, 0));
    m_idle.start(idlePause);
    // A keystroke in a coloured line: its new colours go in now, before the
    // editor lays it out, so that it is laid out once (and Text1's layout
    // repaints this line alone).
    auto *done = static_cast<LineColours *>(block.userData());
    if (!m_enabled || !oneLine || edited < 0 || m_lexed < edited || !done || !done->coloured)
        return;
    const State start = stateBefore(edited);
    const QString text = block.text();
    QList<QTextLayout::FormatRange> wanted = formats(text, start);
    done->revision = block.revision();
    done->start = start;
    done->end = endState(text, start);
    if (block.layout()->formats() == wanted)
        return;
    block.layout()->setFormats(wanted);
}

State Highlighter::stateBefore(int line) const
{
    return line == 0 ? State::Text : m_endStates[std::size_t(line - 1)];
}

void Highlighter::advance(State end)
{
    const std::size_t line = std::size_t(m_lexed);
    if (m_endStates.size() <= line)
        m_endStates.resize(line + 1);
    m_endStates[line] = end;
    ++m_lexed;
    if (m_junction == int(line)) {
        if (end == m_junctionState)
            m_lexed = std::max(m_lexed, m_resume);
        m_junction = -1;
    }
}

State Highlighter::startState(const QTextBlock &block)
{
    const int number = block.blockNumber();
    if (number == 0)
        return State::Text;
    if (m_lexed < number) {
        const QTextDocument *document = m_edit->document();
        if (number - m_lexed < nearLines) {
            QTextBlock line = document->findBlockByNumber(m_lexed);
            while (m_lexed < number) {
                const int from = m_lexed;
                advance(endState(line.text(), stateBefore(from)));
                line = m_lexed == from + 1 ? line.next() : document->findBlockByNumber(m_lexed);
            }
        } else {
            // Further ahead (a jump to the end): the raw text of many lines
            // at once is much cheaper than a string per line, and taken a
            // stretch at a time it never holds a second copy of the script.
            while (m_lexed < number) {
                const int last = std::min(number, m_lexed + stretchLines) - 1;
                const int start = document->findBlockByNumber(m_lexed).position();
                const QTextBlock lastBlock = document->findBlockByNumber(last);
                const QString stretch = m_edit->script().rawText(start, lastBlock.position() + lastBlock.length() - 1 - start);
                const QStringView text(stretch);
                qsizetype at = 0;
                qsizetype nextPiece = text.indexOf(QChar(scriptdoc::pieceBreak));
                while (m_lexed <= last) {
                    const int from = m_lexed;
                    qsizetype end = text.indexOf(QChar(scriptdoc::blockBreak), at);
                    if (end < 0)
                        end = text.size();
                    // Or where the next piece of a long line starts.
                    if (nextPiece >= 0 && nextPiece < at)
                        nextPiece = text.indexOf(QChar(scriptdoc::pieceBreak), at);
                    if (nextPiece >= 0 && nextPiece < end)
                        end = nextPiece;
                    advance(endState(text.sliced(at, end - at), stateBefore(from)));
                    if (m_lexed != from + 1)
                        break;  // past states an edit kept: read on from there
                    at = end + 1;
                }
            }
        }
    }
    return m_endStates[std::size_t(number - 1)];
}

bool Highlighter::colourShownLines(const QRect &painted)
{
    const QRect view = m_edit->viewport()->rect();
    auto [block, last] = m_edit->shownLines();
    if (!block.isValid())
        return false;
    State state = m_enabled ? startState(block) : State::Text;
    bool elsewhere = false;
    for (;;) {
        auto *done = static_cast<LineColours *>(block.userData());
        const bool unchanged = done && done->revision == block.revision() && done->coloured == m_enabled &&
                               (!m_enabled || done->start == state);
        if (!unchanged) {
            const QString text = block.text();
            const QList<QTextLayout::FormatRange> wanted = m_enabled ? formats(text, state) : QList<QTextLayout::FormatRange>();
            if (!done) {
                done = new LineColours;
                block.setUserData(done);
            }
            done->revision = block.revision();
            done->coloured = m_enabled;
            done->start = state;
            done->end = m_enabled ? endState(text, state) : State::Text;
            if (block.layout()->formats() != wanted) {
                const QRect line = m_edit->cursorRect(QTextCursor(block));
                elsewhere = elsewhere || !painted.intersects(QRect(0, line.top(), view.width(), line.height()));
                block.layout()->setFormats(wanted);
                // Setting formats leaves a change pending in the document;
                // marking the line dirty clears it, so that the next edit
                // reports only itself. The text, the undo stack and
                // contentsChange() are untouched.
                m_edit->document()->markContentsDirty(block.position(), block.length());
            }
        }
        if (m_enabled) {
            if (block.blockNumber() == m_lexed)
                advance(done->end);
            state = done->end;
        }
        if (block == last || !block.next().isValid())
            break;
        block = block.next();
    }
    return elsewhere;
}

bool Highlighter::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: while the editor is being destroyed its viewport
    // still sends events, and the editor can no longer be asked for it.
    if (event->type() == QEvent::Paint && watched == m_edit->viewport()) {
        if (colourShownLines(static_cast<QPaintEvent *>(event)->rect()))
            m_edit->viewport()->update();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace dnml
