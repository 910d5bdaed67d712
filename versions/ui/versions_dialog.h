// 以前の版: the versions of the script's file, newest first, then those of
// the file it was saved from under a new name; under them the chosen
// version against the script as it is now (or against another version,
// 比べる相手). Return on a version, or この版に戻す, brings it back into
// Text1 after one question; 選んだ行を取り込む takes over the rows chosen
// in the comparison. Alt+↓ and Alt+↑ choose the next and the previous
// stretch of differences. Everything read from the store, and every
// comparison, is made on the keeper's worker; the dialog only shows.
#pragma once

#include "editor/script_edit.h"
#include "versions/keeper.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace versions {

class ComparisonView;
struct Comparison;

class VersionsDialog : public QDialog
{
    Q_OBJECT

public:
    using YesNo = std::function<bool(const QString &title, const QString &question)>;

    // The versions of `path` (absolute). `keeper` and `text1` must outlive
    // the dialog. With `keepFirst`, bringing a version back first keeps the
    // script as it stands as a version.
    VersionsDialog(Keeper &keeper, ScriptEdit &text1, const QString &path, YesNo yesNo, bool keepFirst,
                   QWidget *parent = nullptr);
    ~VersionsDialog() override;

    struct Entry {
        QString file;  // the file it is a version of
        Version version;
    };
    // The versions listed, in the list's order.
    const std::vector<Entry> &entries() const { return m_entries; }
    ComparisonView *view() const { return m_view; }

    // The chosen version into Text1, after the question.
    void bringBack();
    // The rows chosen in the comparison into Text1 (with none chosen, its
    // first stretch of differences); asked for while the comparison is
    // being made, once it is shown.
    void takeOver();
    void nextDifference();
    void previousDifference();

signals:
    // The list shows the versions.
    void listed();
    // The comparison of the chosen pair is shown.
    void compared();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Found;
    struct Compared;
    struct TextCache;
    void fill(const Found &found);
    void compare();
    void showComparison(const Compared &compared);
    // The script text as it is now.
    const QString &current();
    void replaceText(const QString &wanted);
    // The summary under the comparison, and a note after it.
    void summarise(const QString &summary);
    void say(const QString &note);

    Keeper &m_keeper;
    ScriptEdit &m_text1;
    QString m_path;
    YesNo m_yesNo;
    bool m_keepFirst;
    std::vector<Entry> m_entries;
    QTreeWidget *m_list;
    QLabel *m_problems;
    QComboBox *m_against;
    ComparisonView *m_view;
    QLabel *m_summary;
    QString m_summaryText;
    QPushButton *m_bringBack;
    QPushButton *m_takeOver;
    QString m_current;
    quint64 m_currentRevision = ~quint64(0);
    // The comparison asked for last; one that comes back for an earlier
    // request is dropped, and the worker skips one asked for meanwhile.
    std::shared_ptr<std::atomic<quint64>> m_latest;
    std::shared_ptr<TextCache> m_texts;  // the worker's alone
    quint64 m_shown = 0;  // the request whose comparison is shown
    bool m_takeOverWhenShown = false;
    bool m_bringing = false;
};

} // namespace versions
