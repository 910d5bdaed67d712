// The versions of the script's files, as the window uses them: every
// completed save keeps the text it wrote; before a file is first written
// over in a session (or after another program changed it), the text on
// disk is kept too; a file saved under a new name starts its own versions,
// linked to where it came from. ファイル → 以前の版 lists them and compares
// (VersionsDialog); ファイル → 版に名前を付けて保存 keeps the script as it
// stands with a note. The versions are written on a worker: no call here
// waits for the disk.
//
// The window's part, in this order around a save:
//   history.keepBeforeOverwrite(path);          before writing the file
//   history.movedTo(oldSource, newSource);      after a save under a new name
//   history.keepSaved(path, bytesWritten);      after the save completed
#pragma once

#include "document/file_access.h"
#include "editor/script_edit.h"
#include "versions/keeper.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

namespace versions {

class VersionsDialog;

class History : public QObject
{
    Q_OBJECT

public:
    // What is asked of the author. An empty function uses Qt's own dialog.
    struct Questions {
        std::function<bool(const QString &title, const QString &question)> yesNo;  // Yes is the default
        std::function<void(const QString &title, const QString &message)> warn;
        // The note of a named version; none when the author cancels.
        std::function<std::optional<QString>(const QString &title, const QString &label)> note;
    };

    // `text1` (and its document) and `window` must outlive the history.
    History(ScriptEdit &text1, QWidget *window, Questions questions = {}, const QString &folder = folderPath());
    ~History() override;

    // After a save of `path` completed: the bytes it wrote are a version.
    void keepSaved(const QString &path, const QByteArray &written);
    // Before a save writes over `path`: the file as it is on disk is kept,
    // the first time in this session, and whenever it is no longer what
    // this window saved last. Nothing for a file that is not there.
    void keepBeforeOverwrite(const QString &path);
    // After the script was saved under a new name.
    void movedTo(const QString &oldPath, const QString &newPath);
    // ファイル → 以前の版.
    void showList();
    // ファイル → 版に名前を付けて保存.
    void nameVersion();

    // Versions kept (the default, from the settings) or not; the list
    // opens either way.
    void setKeeping(bool on) { m_keeping = on; }
    bool keeping() const { return m_keeping; }
    Questions &questions() { return m_questions; }
    Keeper &keeper() { return m_keeper; }
    // The list, while it is open.
    VersionsDialog *list() const;

signals:
    // A sentence for the status bar: a version kept on the author's word,
    // or one that could not be kept.
    void message(const QString &text);

private:
    ScriptEdit &m_text1;
    QWidget *m_window;
    Questions m_questions;
    bool m_keeping;
    // Each file as this window last saved it, or first found it.
    QHash<QString, disk::Stamp> m_seen;
    QPointer<VersionsDialog> m_list;
    Keeper m_keeper;
};

} // namespace versions
