// The findings of the check in a panel under Text1: one row per finding
// (line, column, message), the count in the title, the findings near the
// lines on screen underlined in Text1. The check runs off the interface
// thread, and again after a short pause in typing while the panel is open.
#pragma once

#include "dnml/check_run.h"
#include "editor/script_edit.h"

#include <QWidget>

#include <vector>

class QLabel;
class QTimer;
class QTreeWidget;

namespace dnml {

class FindingsPanel : public QWidget
{
    Q_OBJECT

public:
    // `edit` must outlive the panel.
    explicit FindingsPanel(ScriptEdit &edit, QWidget *parent = nullptr);

    // F7: opens the panel and checks, or closes it and removes the marks.
    void toggle();
    // F8 and Shift+F8: the caret to the first character of the next or
    // previous finding after or before it, wrapping around (wrapped() says
    // so), and the focus to Text1. With the text changed since the last
    // check, the move waits for the check that is coming. With the panel
    // closed, they open it and go to the first or the last finding once
    // the check is done. Nothing moves when there is nothing to find.
    void next();
    void previous();

    bool isOpen() const { return m_open; }
    const std::vector<Finding> &findings() const { return m_findings; }

    // The pause after an edit before the check runs again, in ms.
    static constexpr int pause = 200;

signals:
    // The findings and the rows follow the text as it is now.
    void checked();
    // F8 or Shift+F8 went past the last or the first finding and round to
    // the other end; `note` says so in a sentence.
    void wrapped(const QString &note);

private:
    enum class Move { None, Next, Previous, First, Last };
    void startCheck();
    void checkDone(const std::vector<Finding> &findings);
    void showFindings();
    void markVisible();
    void move(Move direction);
    void jumpTo(const Finding &finding);

    ScriptEdit &m_edit;
    ScriptEdit::MarkLayer m_layer;
    QLabel *m_title;
    QTreeWidget *m_list;
    QTimer *m_pause;
    CheckRun m_check;
    std::vector<Finding> m_findings;
    bool m_open = false;
    Move m_pendingMove = Move::None;
};

} // namespace dnml
