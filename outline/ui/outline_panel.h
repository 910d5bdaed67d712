// The story's shape in a panel under Text1: the outline (sections, scenes,
// the writer's headings) with a filter, what is on stage at the caret, and
// the counts of the whole script, the scene holding the caret and the
// selection. Everything comes from a survey made off the interface thread
// after a pause in typing; until the survey of the text as it is now
// arrives, the panel shows the last one unchanged rather than guess.
#pragma once

#include "editor/script_edit.h"
#include "outline/survey_run.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTreeView;
class QTreeWidget;

namespace outline {

class ItemModel;

class OutlinePanel : public QWidget
{
    Q_OBJECT

public:
    // `edit` must outlive the panel.
    explicit OutlinePanel(ScriptEdit &edit, QWidget *parent = nullptr);
    ~OutlinePanel() override;

    // Ctrl+Shift+O: shows the panel, with the focus in its filter and the
    // filter's text selected.
    void showFilter();
    // Hides the panel and gives up its survey; the focus goes to Text1 if
    // it was in the panel.
    void dismiss();
    bool isOpen() const { return !isHidden(); }

    // The survey shown; null before the first.
    const Survey *survey() const { return m_shown.get(); }

    // Writes the counts of the whole script to `path` as CSV (nothing for
    // an empty path). With the text changed since the last survey, the
    // file is written once the survey of the text as it is now has come.
    void saveCsv(const QString &path);

    // The pause after an edit before the survey is made again, in ms.
    static constexpr int pause = 300;

signals:
    // The panel shows the survey of the text as it is now.
    void surveyed();
    // The CSV button was pressed: whoever hosts the panel asks for a file
    // and calls saveCsv().
    void csvWanted();
    // Writing the CSV failed; the message names the file and the reason.
    void csvFailed(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct PendingJump {
        ItemKind kind;
        QString text;
        int line;
    };
    void edited();
    void pauseOver();
    void surveyDone();
    void filterChanged();
    void followCaret();
    void showCounts(int caretLine);
    void activate(const QModelIndex &index);
    void jumpTo(int line);
    void writeCsv(const QString &path);

    ScriptEdit &m_edit;
    QLineEdit *m_filter;
    QTreeView *m_list;
    ItemModel *m_model;
    QLabel *m_stage;
    QTreeWidget *m_counts;
    QPushButton *m_csv;
    QTimer m_pause;
    QTimer m_caret;  // the caret's moves of one event-loop turn, taken together
    QElapsedTimer m_lastEdit;
    std::shared_ptr<const Survey> m_shown;
    std::pair<int, int> m_scene{-1, -1};  // the lines whose tally m_sceneTally is
    Tally m_sceneTally;
    std::optional<PendingJump> m_pendingJump;
    bool m_activateWhenSurveyed = false;  // Return came before the first survey
    QString m_pendingCsv;
    SurveyRun m_run;
};

} // namespace outline
