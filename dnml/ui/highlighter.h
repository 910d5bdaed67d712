// DNML in colour in Text1: tags, attribute names, values, comments and the
// dialogue brackets, each in its own colour; prose stays black. Only the
// lines on screen are coloured, when they are painted. The state a line
// starts in (an open tag, an open comment) is kept per line up to a mark
// that an edit only pulls back, and found on demand up to the first line
// shown, however far the view jumps. Colours live in the lines' layouts,
// never in the text: the undo stack and the content signals never see them.
#pragma once

#include "dnml/lexer.h"

#include <QObject>
#include <QTimer>
#include <QTextCharFormat>
#include <QTextLayout>

#include <vector>

class QTextBlock;
class ScriptEdit;

namespace dnml {

class Highlighter : public QObject
{
    Q_OBJECT

public:
    // Colours `edit`, which must outlive it, from now on; on at start.
    explicit Highlighter(ScriptEdit &edit);

    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    // The colour of each kind of piece (prose has none).
    static QColor colour(Token token);
    // What a line shows, given the state it starts in.
    static QList<QTextLayout::FormatRange> formats(QStringView line, State start);

    // Lines whose end states are known, from the first. For tests.
    int lexedLines() const { return m_lexed; }

    // The state `block` starts in (an open tag, an open comment), lexing the
    // lines before it that are not known yet; kept whether the colours are
    // on or off.
    State startState(const QTextBlock &block);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void contentsChange(int position, int removed, int added);
    // A slice of the lines not lexed yet, while the editor is idle, so that
    // a jump far ahead finds their states known.
    void lexAhead();
    State stateBefore(int line) const;
    // Records the end state of line m_lexed and moves the mark on, past the
    // kept states below an edited line when it ends as it did.
    void advance(State end);
    // Brings the layouts of the lines on screen up to date; true when a
    // line outside `painted` changed and must be painted again.
    bool colourShownLines(const QRect &painted);

    ScriptEdit *m_edit;
    std::vector<State> m_endStates;  // per line; valid below m_lexed
    int m_lexed = 0;
    int m_junction = -1;  // the line edited alone since the states below were known
    State m_junctionState = State::Text;  // its end state then
    int m_resume = 0;     // how far the kept states reach
    bool m_enabled = true;
    int m_blocks = 1;
    QTimer m_idle;
};

} // namespace dnml
