// The findings of the check in a panel under Text1: one row per finding
// (line, column, message), the count in the title, the visible findings
// underlined in Text1. The check runs off the UI thread on a copy of the
// text, and again after a short pause in typing while the panel is open.
#pragma once

#include "dnml/check.h"

#include <QWidget>

#include <vector>

class QLabel;
class QThread;
class QTimer;
class QTreeWidget;
class ScriptEdit;

namespace dnml {

class FindingsPanel : public QWidget
{
    Q_OBJECT

public:
    explicit FindingsPanel(ScriptEdit *edit, QWidget *parent = nullptr);
    ~FindingsPanel() override;

    // F7: opens the panel and checks, or closes it and removes the marks.
    void toggle();
    // F8 and Shift+F8: the caret to the first character of the next or
    // previous finding after or before it, wrapping around, and the focus
    // to Text1. With the text changed since the last check, the move waits
    // for the check that is coming. Nothing moves while the panel is closed
    // or when there is nothing to find.
    void next();
    void previous();

    bool isOpen() const { return m_open; }
    const std::vector<Finding> &findings() const { return m_findings; }

    // The pause after an edit before the check runs again, in ms.
    static constexpr int pause = 200;

signals:
    // The findings and the rows follow the text as it is now.
    void checked();

private:
    enum class Move { None, Next, Previous };
    void startCheck();
    void checkDone();
    void showFindings();
    void markVisible();
    void move(Move direction);
    void jumpTo(const Finding &finding);

    ScriptEdit *m_edit;
    QLabel *m_title;
    QTreeWidget *m_list;
    QTimer *m_pause;
    QThread *m_worker = nullptr;
    std::vector<Finding> m_findings;
    std::vector<Finding> m_result;  // written by the worker
    bool m_open = false;
    bool m_stale = true;            // the text changed since the findings
    bool m_again = false;           // changed again while the worker ran
    Move m_pendingMove = Move::None;
};

} // namespace dnml
