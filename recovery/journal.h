// The recovery journal: a file per editing session that holds the text as
// it stood at the session's first edit and every edit after it, so that a
// script lost to a crash, a kill or a power cut can be rebuilt at the next
// start (its bytes: journal_format.h). Qt Core only.
#pragma once

#include "document/io_error.h"
#include "document/worker.h"
#include "recovery/journal_format.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class QLockFile;

namespace recovery {

// The journals' folder: "recovery" under the application's data folder.
QString folderPath();
// Whether the folder is safe for journals: a folder (not a link) of this
// user's own that no other user may enter (mode 0700).
IoResult checkFolder(const QString &folder);
// Creates the folder and the application's data folder above it, both
// owner-only (0700), if they are missing, and checks the folder.
IoResult prepareFolder(const QString &folder);

// A journal left by a process that is no longer running, and the lock that
// keeps other instances away from it while this one decides.
struct Leftover {
    QString path;
    Replayed replayed;
    std::shared_ptr<QLockFile> lock;
    QString unlocked;  // why it could not be locked, when it could not
    IoResult unreadable;  // why its file could not be read, when it could not
};

// Every journal in `folder` whose process is gone, newest last edit first:
// one of another machine counts as gone; one that cannot be locked, or is
// no regular file, or cannot be read, is listed with its reason. Journals
// of running instances are left alone, and so is a folder that fails
// checkFolder(). The journal at `own`, this window's, which its writer may
// be creating at this moment, is never one of them.
std::vector<Leftover> leftovers(const QString &folder, const QString &own = {});
// Removes a leftover journal and its lock.
IoResult discard(Leftover &leftover);

// The journal of this session, written by a Worker of its own: the calls
// only queue work, so the caller never waits for the disk. Edits are handed
// over at most once every 1.5 seconds and at most 1.5 seconds after they
// were made; each handover is synced to disk before the next.
class Journal : public QObject
{
    Q_OBJECT

public:
    explicit Journal(QString folder, QObject *parent = nullptr);
    // Writes what is pending and closes the journal, leaving it on disk.
    ~Journal() override;

    // Ends any current journal and begins a new one holding `base`, from
    // `source` (empty for none). A `replaced` leftover is removed once the
    // new journal is on disk.
    void begin(const QString &base, const QString &source, Leftover replaced = {});
    // Records an edit of the text; ignored when no journal is open.
    void record(qint64 position, qint64 removed, QStringView added);
    // Removes the current journal: its text is saved or was given up.
    void end();
    bool active() const { return m_active; }
    QString path() const { return m_path; }
    QString folder() const { return m_folder; }

    // Hands the pending edits to the writer now.
    void flush();
    // Waits until everything handed over is on disk (or has failed).
    void waitForDisk();

signals:
    // A journal could not be written (no more is written to it), or one
    // that is done with could not be removed.
    void failed(const IoError &error);

private:
    struct File;

    QString m_folder;
    QByteArray m_pending;
    QTimer m_handover;
    QString m_path;
    bool m_active = false;
    std::unique_ptr<File> m_file;  // used by the worker's jobs only
    Worker m_worker;                // last: its jobs are done before the rest goes
};

} // namespace recovery
