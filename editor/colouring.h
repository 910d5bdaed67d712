// Colours in Text1 from a lexer of the caller's: each line's colours follow
// from its text and the state it starts in (an open tag, an open comment).
// Only the lines on screen are coloured, when they are painted. The state a
// block starts in is kept per block up to a mark that an edit only pulls
// back, and found on demand up to the first block shown, however far the
// view jumps; after an edit, the blocks below are lexed ahead once the
// editor is idle. A long line shown in pieces is lexed piece by piece: the
// state at a piece's end carries into the next piece, so the lexer sees the
// line as one. Colours live in the blocks' layouts, never in the text: the
// undo stack and the content signals never see them.
#pragma once

#include <QObject>
#include <QTextLayout>
#include <QTimer>

#include <cstdint>
#include <vector>

class QTextBlock;
class ScriptEdit;

class Colouring : public QObject
{
    Q_OBJECT

public:
    using State = std::uint8_t;

    // What a lexer tells of a stretch of one line's text: a whole line, or a
    // part of it when `lineEnds` is false (the line goes on after it, in
    // the state given back).
    class Lexer
    {
    public:
        virtual ~Lexer() = default;
        virtual State end(QStringView text, State start, bool lineEnds) const = 0;
        virtual QList<QTextLayout::FormatRange> formats(QStringView text, State start, bool lineEnds) const = 0;
    };

    // Colours `edit`, which must outlive it, with `lexer`, which must too;
    // on at start.
    Colouring(ScriptEdit &edit, const Lexer &lexer, QObject *parent = nullptr);

    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    // The state script line `line` starts in, lexing the lines before it
    // that are not known yet; kept whether the colours are on or off.
    State lineState(int line);
    // Blocks whose end states are known, from the first. For tests.
    int lexedBlocks() const { return m_lexed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void contentsChange(int position, int removed, int added);
    // A slice of the blocks not lexed yet, while the editor is idle, so that
    // a jump far ahead finds their states known.
    void lexAhead();
    State startState(const QTextBlock &block);
    State stateBefore(int block) const;
    State endOf(const QTextBlock &block, QStringView text, State start) const;
    // Records the end state of block m_lexed and moves the mark on, past
    // the kept states below an edited block when it ends as it did.
    void advance(State end);
    // Brings the layouts of the blocks on screen up to date; true when a
    // block outside `painted` changed and must be painted again.
    bool colourShownBlocks(const QRect &painted);

    ScriptEdit *m_edit;
    const Lexer &m_lexer;
    std::vector<State> m_endStates;  // per block; valid below m_lexed
    int m_lexed = 0;
    int m_junction = -1;  // the block edited alone since the states below were known
    State m_junctionState = 0;  // its end state then
    int m_resume = 0;     // how far the kept states reach
    bool m_enabled = true;
    int m_blocks = 1;
    QTimer m_idle;
};
