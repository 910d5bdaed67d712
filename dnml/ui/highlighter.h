// DNML in colour in Text1: tags, attribute names, values, comments and the
// dialogue brackets, each in its own colour; prose stays black. Text1's
// colouring does the work of when and where (only the lines shown, states
// kept per line); this gives it the DNML lexer and the colours.
#pragma once

#include "dnml/lexer.h"
#include "editor/colouring.h"

#include <QTextCharFormat>
#include <QTextLayout>

class ScriptEdit;

namespace dnml {

class Highlighter : public QObject, private Colouring::Lexer
{
    Q_OBJECT

public:
    // Colours `edit`, which must outlive it, from now on; on at start.
    explicit Highlighter(ScriptEdit &edit);

    void setEnabled(bool on) { m_colouring.setEnabled(on); }
    bool isEnabled() const { return m_colouring.isEnabled(); }

    // The colour of each kind of span (prose has none).
    static QColor colour(Token token);
    // What a line shows, given the state it starts in.
    static QList<QTextLayout::FormatRange> formats(QStringView line, State start, bool lineEnds = true);

    // The colouring, which keeps the state each line starts in.
    Colouring &colouring() { return m_colouring; }
    // Lines whose end states are known, from the first. For tests.
    int lexedLines() const { return m_colouring.lexedBlocks(); }
    // The state script line `line` starts in (an open tag, an open
    // comment), lexing the lines before it that are not known yet; kept
    // whether the colours are on or off.
    State lineState(int line) { return State(m_colouring.lineState(line)); }

private:
    Colouring::State end(QStringView text, Colouring::State start, bool lineEnds) const override;
    QList<QTextLayout::FormatRange> formats(QStringView text, Colouring::State start, bool lineEnds) const override;

    Colouring m_colouring;
};

} // namespace dnml
