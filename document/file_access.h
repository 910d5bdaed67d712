// Files as the system has them: names that are bytes, kinds of files that
// are no files to read (folders, named pipes, devices), and writes that
// must never leave a file half-written. Qt Core only.
#pragma once

#include "document/io_error.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace disk {

// A file's name as the program keeps it. Names are bytes, and a name from
// elsewhere (a Shift-JIS name out of a Windows archive) need not be valid
// UTF-8: each byte that is not part of a valid sequence is kept as the
// lone surrogate U+DC80 + byte, which no text holds, so that the name goes
// back to exactly its bytes.
QString nameFromBytes(QByteArrayView bytes);
QByteArray nameToBytes(QStringView name);
// The name for the author's eyes: a kept byte shows as U+FFFD.
QString shownName(QStringView name);
// An absolute path without "." and ".." parts, for a name given relative
// to the current folder (whose name is bytes too).
QString absoluteName(const QString &name);
// Whether anything stands at `name`, a link that leads nowhere included.
bool present(const QString &name);

// The largest file the program reads: a script is a few MB at most.
inline constexpr qint64 readLimit = qint64(256) << 20;

struct Read {
    QByteArray bytes;
    IoResult error;  // when set, `bytes` is empty; its path is left empty
};
enum class Links { Follow, Refuse };
// Reads the whole regular file at `path`, at most `limit` bytes. Whatever
// else is there (a folder, a named pipe, a device, a socket; with
// Links::Refuse a symbolic link) is refused without waiting on it, and so
// is a larger file, before anything is read.
Read readFile(const QString &path, qint64 limit = readLimit, Links links = Links::Follow);

// How a save hands its bytes to the open temporary file; returns how many
// it took, or -1, as QIODevice::write() does. A test passes one that stops
// part-way, as a full disk or a failing drive would.
using Writer = std::function<qint64(QIODevice &file, const QByteArray &bytes)>;
// Writes `bytes` to `path` atomically: into an unnamed file in the same
// folder, synced to disk, then named and renamed over the target (a
// symbolic link's target, when the path is a link), keeping the target's
// permissions. On any failure the target keeps its old content and no file
// is left behind. An error's path is left empty: the caller has it.
IoResult writeAtomically(const QString &path, const QByteArray &bytes, const Writer &write = {});

// Removes the file at `path`; one that is not there is no error. An
// error names the path.
IoResult removeFile(const QString &path);

// What tells one version of a file from another without reading it.
struct Stamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0;  // nanoseconds since the epoch
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const Stamp &, const Stamp &) = default;
};
Stamp stampOf(const QString &path);
// A fingerprint of a file's bytes, to tell a file that was written again
// with the same bytes (its stamp changed) from one that changed.
quint64 digestOf(QByteArrayView bytes);

} // namespace disk
