// 使用箇所 in a panel under Text1: the lines that use the asset or the
// speaker at the caret, each with its number and text, the count in the
// title. The focus goes to the list; Return puts the caret at the use and
// the focus back in Text1; Escape closes the panel. A long script is
// searched on a worker, its text copied a slice a turn, so that no turn of
// the window waits for it.
#pragma once

#include "document/background_run.h"
#include "document/text_reader.h"
#include "editor/script_edit.h"
#include "prose/usage.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QTreeWidget;

namespace prose {

class UsagePanel : public QWidget
{
    Q_OBJECT

public:
    // `edit` must outlive the panel.
    explicit UsagePanel(ScriptEdit &edit, QWidget *parent = nullptr);

    // Ctrl+Shift+U: shows the uses of what is at the caret, the focus in
    // the list on the first use at or after the caret's line; with nothing
    // at the caret, says so and leaves the focus in Text1.
    void showAtCaret();
    // Hides the panel; the focus goes to Text1 if it was in the panel.
    void dismiss();
    bool isOpen() const { return !isHidden(); }

    const std::vector<Use> &uses() const { return m_uses; }
    QString title() const;

signals:
    // The uses are in the list (or nothing stood at the caret).
    void listed();

public:
    // A script at most this long is searched at once: copying and searching
    // it stays well within a frame.
    static constexpr qsizetype searchedAtOnce = 256 * 1024;

private:
    struct Search {
        Subject subject;
        qsizetype lineStart;  // of the caret's line when asked
        std::shared_ptr<TextReader> reader;
    };
    static constexpr int sliceTime = 4;  // ms of copying a turn

    void readOn();
    void setTitle(const QString &label);
    void showUses(const std::optional<Subject> &subject, std::vector<Use> found, qsizetype lineStart,
                  bool focus = true);
    void jump(int row);

    ScriptEdit &m_edit;
    QLabel *m_title;
    QTreeWidget *m_list;
    std::vector<Use> m_uses;
    std::optional<Search> m_searching;
    QTimer m_more;  // copies the next slice on the next turn
    BackgroundRun m_run;  // last: stopped before anything its jobs reply to
};

} // namespace prose
