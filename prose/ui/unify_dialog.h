// The unify step shown before it writes: the spellings of the word, the
// most used (or the writer's list's 正) chosen, and under them every place
// that would be written otherwise, its line before and after, each with a
// tick. Choosing another spelling asks for its places (targetChosen); the
// 統一 button, or Return, takes the ticked ones, Escape nothing.
#pragma once

#include "prose/unify_preview.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace prose {

class UnifyDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UnifyDialog(const SpellingGroup &group, QWidget *parent = nullptr);

    // The spelling chosen.
    QString chosen() const;
    // The places of writing chosen() everywhere, shown ticked; `kept` uses
    // cannot be respelled. Places of another spelling are not taken.
    void showChanges(const QString &target, const std::vector<Change> &changes, qsizetype kept);
    // The ticked places of the spelling chosen, ascending; none while they
    // are being looked for.
    std::vector<Replacement> ticked() const;

signals:
    // Another spelling was chosen: its places are wanted.
    void targetChosen(const QString &target);

private:
    void updateSummary();

    QListWidget *m_list;
    QTreeWidget *m_changes;
    QLabel *m_summary;
    QPushButton *m_ok;
    std::vector<QString> m_spellings;
    std::vector<Change> m_shown;
    QString m_shownTarget;  // whose places m_shown are
    qsizetype m_kept = 0;
};

} // namespace prose
