// The findings of the check in a panel under Text1: one row per finding
// (line, column, message), the count in the title, the findings near the
// lines on screen underlined in Text1. The check runs off the interface
// thread, and again after a short pause in typing while the panel is open.
#pragma once

#include "dnml/check_run.h"
#include "editor/script_edit.h"

#include <QWidget>

#include <vector>

class QHBoxLayout;
class QLabel;
class QTimer;
class QTreeView;

namespace dnml {

class FindingRows;

// Findings of another kind beside the check's (the prose's): the panel asks
// the source to check whenever it has checked, shows its findings among the
// check's in the order of the text, waits for them before F8 moves, and
// tells it which of them is the current row.
class FindingSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    // Checks the text as it is now; finished() follows.
    virtual void start() = 0;
    // The panel closed: nothing is wanted until the next start().
    virtual void stop() = 0;
    // True while findings of the text as it is now are still to come.
    virtual bool pending() const = 0;
    // The current row is this source's finding `index`; -1: none of its.
    virtual void setCurrent(int index) = 0;

signals:
    // In script offsets, in the order of their offsets.
    void finished(const std::vector<dnml::Finding> &findings);
};

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
    // Adds a source of findings of another kind; `tools` (its buttons, if
    // any) go on the title row.
    void addSource(FindingSource *source, QWidget *tools = nullptr);
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
    // The findings of other sources.
    struct Source {
        FindingSource *source;
        std::vector<Finding> findings;
    };
    void sourceDone(std::size_t source, const std::vector<Finding> &findings);
    // The check's findings and the sources' in one list; the pending move
    // and checked() once none is still to come.
    void merge();
    bool waiting() const;
    void currentRowChanged();

    ScriptEdit &m_edit;
    ScriptEdit::MarkLayer m_layer;
    QLabel *m_title;
    QHBoxLayout *m_titleRow;
    QTreeView *m_list;
    FindingRows *m_rows;
    QTimer *m_pause;
    CheckRun m_check;
    std::vector<Finding> m_findings;
    std::vector<Finding> m_own;  // the check's
    std::vector<Source> m_sources;
    // Per row: the source it is from (-1: the check) and its index there.
    std::vector<std::pair<int, int>> m_origins;
    bool m_open = false;
    Move m_pendingMove = Move::None;
};

} // namespace dnml
