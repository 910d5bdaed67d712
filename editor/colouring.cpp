#include "editor/colouring.h"

#include "document/line_breaks.h"
#include "editor/script_edit.h"

#include <QPaintEvent>
#include <QTextBlock>

namespace {

// Up to this many blocks to lex are read a block at a time; more are read
// as stretches of this many blocks' raw text.
constexpr int nearBlocks = 64;
constexpr int stretchBlocks = 2000;
// After an edit, the blocks below are lexed ahead once the editor has been
// idle this long (ms), this many at a time between events.
constexpr int idlePause = 300;
constexpr int sliceBlocks = stretchBlocks;

// What a block was last coloured from: its text (by revision) and the state
// it started in. A block painted again unchanged costs a few comparisons.
struct BlockColours : QTextBlockUserData {
    int revision = -1;
    bool coloured = false;
    bool lineEnds = true;
    Colouring::State start = 0;
    Colouring::State end = 0;
};

} // namespace

Colouring::Colouring(ScriptEdit &edit, const Lexer &lexer, QObject *parent)
    : QObject(parent)
    , m_edit(&edit)
    , m_lexer(lexer)
{
    connect(edit.document(), &QTextDocument::contentsChange, this, &Colouring::contentsChange);
    edit.viewport()->installEventFilter(this);
    m_idle.setSingleShot(true);
    m_idle.setInterval(idlePause);
    connect(&m_idle, &QTimer::timeout, this, &Colouring::lexAhead);
}

void Colouring::lexAhead()
{
    const QTextDocument *document = m_edit->document();
    if (!m_enabled || m_lexed >= document->blockCount())
        return;
    startState(document->findBlockByNumber(std::min(m_lexed + sliceBlocks, document->blockCount() - 1)));
    if (m_lexed < document->blockCount() - 1)
        m_idle.start(0);
}

void Colouring::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    m_edit->viewport()->update();
    if (on)
        m_idle.start(idlePause);
}

Colouring::State Colouring::endOf(const QTextBlock &block, QStringView text, State start) const
{
    return m_lexer.end(text, start, !m_edit->script().continuesLine(block.next()));
}

void Colouring::contentsChange(int position, int, int added)
{
    QTextDocument *document = m_edit->document();
    // Blocks before the edited one keep their states.
    const QTextBlock block = document->findBlock(position);
    const int edited = block.blockNumber();
    const int blocks = document->blockCount();
    const int delta = blocks - m_blocks;
    const bool oneBlock = delta == 0 && position + added < block.position() + block.length();
    m_blocks = blocks;
    // An edit changes the blocks below it only if its last block ends in
    // another state than before: their states are kept, to be taken up
    // again when the edited blocks turn out to end as they did. Blocks
    // added or removed (Enter, a pasted block) shift the kept states with
    // their blocks.
    if (edited < 0) {
        m_junction = -1;
    } else if (!oneBlock) {
        const QTextBlock lastBlock = document->findBlock(std::min(position + added, document->characterCount() - 1));
        const int last = lastBlock.blockNumber();
        const int oldLast = last - delta;
        // Blocks joined by deleting a break keep the first one's colours and
        // revision: they are no longer what the block shows. The blocks in
        // between are new and have none.
        for (const QTextBlock &ends : {block, lastBlock})
            if (auto *colours = static_cast<BlockColours *>(ends.userData()))
                colours->revision = -1;
        if (m_junction < 0 && edited <= oldLast && oldLast < m_lexed) {
            const auto at = m_endStates.begin() + edited;
            if (delta > 0)
                m_endStates.insert(at, std::size_t(delta), State(0));
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
    // A keystroke in a coloured block: its new colours go in now, before the
    // editor lays it out, so that it is laid out once (and Text1's layout
    // repaints this block alone).
    auto *done = static_cast<BlockColours *>(block.userData());
    if (!m_enabled || !oneBlock || edited < 0 || m_lexed < edited || !done || !done->coloured)
        return;
    const State start = stateBefore(edited);
    const QString text = block.text();
    const bool lineEnds = !m_edit->script().continuesLine(block.next());
    QList<QTextLayout::FormatRange> wanted = m_lexer.formats(text, start, lineEnds);
    done->revision = block.revision();
    done->start = start;
    done->lineEnds = lineEnds;
    done->end = m_lexer.end(text, start, lineEnds);
    if (block.layout()->formats() == wanted)
        return;
    block.layout()->setFormats(wanted);
}

Colouring::State Colouring::stateBefore(int block) const
{
    return block == 0 ? State(0) : m_endStates[std::size_t(block - 1)];
}

void Colouring::advance(State end)
{
    const std::size_t block = std::size_t(m_lexed);
    if (m_endStates.size() <= block)
        m_endStates.resize(block + 1);
    m_endStates[block] = end;
    ++m_lexed;
    if (m_junction == int(block)) {
        if (end == m_junctionState)
            m_lexed = std::max(m_lexed, m_resume);
        m_junction = -1;
    }
}

Colouring::State Colouring::lineState(int line)
{
    return startState(m_edit->script().lineBlock(line));
}

Colouring::State Colouring::startState(const QTextBlock &block)
{
    const int number = block.blockNumber();
    if (number <= 0)
        return State(0);
    if (m_lexed < number) {
        const QTextDocument *document = m_edit->document();
        if (number - m_lexed < nearBlocks) {
            QTextBlock each = document->findBlockByNumber(m_lexed);
            while (m_lexed < number) {
                const int from = m_lexed;
                advance(endOf(each, each.text(), stateBefore(from)));
                each = m_lexed == from + 1 ? each.next() : document->findBlockByNumber(m_lexed);
            }
        } else {
            // Further ahead (a jump to the end): the raw text of many blocks
            // at once is much cheaper than a string per block, and taken a
            // stretch at a time it never holds a second copy of the script.
            while (m_lexed < number) {
                const int last = std::min(number, m_lexed + stretchBlocks) - 1;
                QTextBlock each = document->findBlockByNumber(m_lexed);
                const QTextBlock lastBlock = document->findBlockByNumber(last);
                QTextCursor cursor(each);
                cursor.setPosition(lastBlock.position() + lastBlock.length() - 1, QTextCursor::KeepAnchor);
                const QString stretch = cursor.selectedText();
                const QStringView text(stretch);
                qsizetype at = 0;
                while (m_lexed <= last) {
                    const int from = m_lexed;
                    qsizetype end = text.indexOf(QChar(scriptdoc::blockBreak), at);
                    if (end < 0)
                        end = text.size();
                    advance(endOf(each, text.sliced(at, end - at), stateBefore(from)));
                    if (m_lexed != from + 1)
                        break;  // past states an edit kept: read on from there
                    at = end + 1;
                    each = each.next();
                }
            }
        }
    }
    return m_endStates[std::size_t(number - 1)];
}

bool Colouring::colourShownBlocks(const QRect &painted)
{
    const QRect view = m_edit->viewport()->rect();
    auto [block, last] = m_edit->shownBlocks();
    if (!block.isValid())
        return false;
    State state = m_enabled ? startState(block) : State(0);
    bool elsewhere = false;
    for (;;) {
        auto *done = static_cast<BlockColours *>(block.userData());
        const bool lineEnds = !m_edit->script().continuesLine(block.next());
        const bool unchanged = done && done->revision == block.revision() && done->coloured == m_enabled &&
                               done->lineEnds == lineEnds && (!m_enabled || done->start == state);
        if (!unchanged) {
            const QString text = block.text();
            const QList<QTextLayout::FormatRange> wanted =
                m_enabled ? m_lexer.formats(text, state, lineEnds) : QList<QTextLayout::FormatRange>();
            if (!done) {
                done = new BlockColours;
                block.setUserData(done);
            }
            done->revision = block.revision();
            done->coloured = m_enabled;
            done->lineEnds = lineEnds;
            done->start = state;
            done->end = m_enabled ? m_lexer.end(text, state, lineEnds) : State(0);
            if (block.layout()->formats() != wanted) {
                const QRect line = m_edit->cursorRect(QTextCursor(block));
                elsewhere = elsewhere || !painted.intersects(QRect(0, line.top(), view.width(), line.height()));
                block.layout()->setFormats(wanted);
                // Setting formats leaves a change pending in the document;
                // marking the block dirty clears it, so that the next edit
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

bool Colouring::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: while the editor is being destroyed its viewport
    // still sends events, and the editor can no longer be asked for it.
    if (event->type() == QEvent::Paint && watched == m_edit->viewport()) {
        if (colourShownBlocks(static_cast<QPaintEvent *>(event)->rect()))
            m_edit->viewport()->update();
    }
    return QObject::eventFilter(watched, event);
}
