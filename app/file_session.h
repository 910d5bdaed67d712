// The file the script belongs to, from the moment it is opened or saved
// until another takes its place: its name as the system's bytes, what the
// file was on disk when the text last matched it, how it was read, whether
// the text differs from it, and the recent files. Opening, saving,
// reloading and closing ask their questions through Dialogs; what the
// window shows (the status line, the notice over Text1, the recent-files
// menu) it is told by signals. No widgets.
//
// The changed state has one rule: a change of the text sets it, a save or
// a reload that completed clears it, and nothing else does. An opened file
// counts as changed, as it always has; a new script starts unchanged.
#pragma once

#include "document/file_access.h"
#include "document/script_document.h"
#include "document/settings.h"

#include <QObject>

#include <optional>

class Dialogs;
class QWidget;

class FileSession : public QObject
{
    Q_OBJECT

public:
    // `document` and `dialogs` must outlive the session; `window` is the
    // parent of its questions.
    FileSession(ScriptDocument &document, Dialogs &dialogs, QWidget *window);

    // A new script of `text`, with no file.
    void start(QStringView text);

    bool changed() const { return m_changed; }
    // The file's name as the system has it; empty for none.
    QByteArray name() const { return m_name; }
    // The same as the program keeps names (see disk::nameFromBytes()).
    QString path() const { return disk::nameFromBytes(m_name); }
    const QStringList &recentFiles() const { return m_recent.paths(); }

    // 開く: the file the author chooses, after 開く's question when the
    // text has unsaved changes.
    void open();
    // The same for a file chosen elsewhere (the command line, a drop).
    void openFile(const QString &path);
    // A recent file; one that is gone is said so and taken off the list.
    void openRecent(const QString &path);
    // 保存: under the name the author chooses. True when the script was written.
    bool save();
    // 上書き保存: in place, with no dialog; with no file, as 保存.
    bool overwrite();
    // The notice's 再読み込み: reads the file it named again, after a
    // question when the text has unsaved changes; nothing when that file is
    // no longer the script's. True when the text was read again.
    bool reloadNoticed();
    // Looks whether the file changed on disk since the text last matched
    // it, and gives notice once for each change.
    void checkDisk();
    // Whether the window may close: no unsaved changes, the author gives
    // them up, or (No) they were saved.
    bool mayClose();

signals:
    // The file's name (empty for none) and whether the text differs from it.
    void fileShown(const QString &path, bool changed);
    // How the file is written: a short line and a sentence saying it whole.
    void formShown(const QString &form, const QString &detail);
    // A notice of the file changed on disk; it may be read again only if it
    // is still there.
    void noticed(const QString &message, bool canReload);
    void noticeWithdrawn();
    void recentFilesChanged(const QStringList &paths);
    // A character the file cannot hold, shown to the author before a save is refused.
    void unsavable(qsizetype offset, qsizetype length);
    // A save is about to write over the file at `path` (whatever is there).
    void aboutToWrite(const QString &path);
    // A save completed: `bytes` are at `path` now, which the text belonged
    // to `before` (empty for none).
    void written(const QString &before, const QString &path, const QByteArray &bytes);

private:
    enum class Purpose { Open, Reload };
    struct OnDisk {
        disk::Stamp stamp;
        std::optional<quint64> digest;  // of the bytes, when known
    };

    // True when the text has no unsaved changes or the author gives them up.
    bool mayDiscardEdits(const QString &title, const QString &question);
    bool mayOpen();
    bool load(const QString &path, Purpose purpose);
    std::optional<scriptfile::Reading> howToRead(const scriptfile::Survey &survey, const QString &title,
                                                 const QString &name);
    std::optional<QByteArray> encodedText();
    bool writeTo(QString path, const QByteArray &bytes);
    bool changedOnDisk();
    // The file is the text's from now on, as it is on disk.
    void becomes(const OnDisk &onDisk, bool changed);
    void followDocument();
    void textChanged();
    void withdrawNotice();
    void remember();
    void showForm(const scriptfile::Survey &survey, const scriptfile::Reading &reading);

    ScriptDocument &m_document;
    Dialogs &m_dialogs;
    QWidget *m_window;
    settings::RecentFiles m_recent;
    QByteArray m_name;
    OnDisk m_onDisk;
    bool m_changed = false;
    bool m_replacing = false;  // the session itself replaces the text
    // The notice given: for which file, and of which state of it.
    QByteArray m_noticeName;
    std::optional<disk::Stamp> m_noticed;
};
