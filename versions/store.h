// The versions of the author's files, kept in the user's data folder
// ($XDG_DATA_HOME/scrivlet/versions/): a folder per file, named by a hash
// of the file's absolute path as bytes (a name need not be UTF-8), that
// holds
//   file            the path itself, as bytes;
//   origin          the path of the file it was saved from under a new name;
//   <time>-<n>.version   one record per version: when, what kind, the
//                   note, its text's hash, its 文字数 and lines, and its
//                   change against the version below it;
//   <hash>.text     each text once, compressed, named by its hash.
// Every file is written whole or not at all (atomically, synced to disk);
// the folders are the user's own (0700, no links). What cannot be read
// (a damaged record, a file that is not the program's) is named and
// passed over, never a reason to fail. Qt Core only; one thread at a time.
#pragma once

#include "document/io_error.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <vector>

class QLockFile;

namespace versions {

// "versions" under the application's data folder.
QString folderPath();

// How many versions are kept: the latest ones, and beyond those the last
// of each day for so many days.
struct Limits {
    int latest = 50;
    int days = 90;
    friend bool operator==(const Limits &, const Limits &) = default;
};
// The limits and whether versions are kept at all, from the settings
// file ([versions] latest, days, keep).
Limits loadLimits();
bool loadKeeping();

enum class Kind : quint8 {
    Saved = 1,            // the text a save wrote
    BeforeOverwrite = 2,  // the file on disk before a save wrote over it
    Named = 3,            // kept on the author's word, with a note
    BeforeBringBack = 4,  // the text as it stood before a version was brought back
};

struct Version {
    QString id;  // the record's name, without ".version"
    qint64 time = 0;  // ms since the epoch
    Kind kind = Kind::Saved;
    QString note;
    QByteArray text;  // the hash of its text, in hex: the name of its file
    qint64 characters = 0;  // 文字数, as the counts panel counts them
    qint64 lines = 0;
    // The change against the version below it: that version's text hash
    // (empty for none) and the lines added and removed since.
    QByteArray against;
    qint64 linesAdded = 0;
    qint64 linesRemoved = 0;
};

// A file of a versions folder that was passed over, and why: what is
// wrong with its content, or why it could not be read at all.
struct Problem {
    QString path;
    QString reason;
    IoResult error;
};

struct Listing {
    std::vector<Version> versions;  // newest first
    QString origin;                 // the file it was saved from, if it was
    std::vector<Problem> problems;
    // The folder itself could not be read (or is not safe to read): then
    // nothing else is known, and this says why. No folder at all is no
    // error: no version was ever kept.
    IoResult error;
};

struct Text {
    QString text;
    IoResult error;
};

// Which of `newestFirst` the limits keep at `now` (ms since the epoch):
// the `latest` newest; beyond those, of the versions of the last `days`
// days, each named one and the newest of each day (local time).
std::vector<bool> survivors(std::span<const Version> newestFirst, qint64 now, Limits limits);

// The hash a text is kept under (in hex), of its UTF-16 exactly as it is.
QByteArray textHash(QStringView text);

class Store
{
public:
    using Clock = std::function<qint64()>;  // ms since the epoch

    explicit Store(QString folder = folderPath(), Limits limits = {}, Clock clock = {});
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    void setLimits(Limits limits) { m_limits = limits; }
    const QString &folder() const { return m_folder; }
    // The folder of one file's versions.
    QString folderOf(const QString &path) const;

    struct Kept {
        Version version;
        bool added = false;  // false: the newest version already held the text
        IoResult error;
    };
    // Keeps `text` as a version of the file at `path` (absolute). A version
    // that is not named adds nothing when the newest version holds the same
    // text already. Identical texts are stored once, and a stored text is
    // held by one more version only once it reads back as that text: one
    // damaged since (cut short, changed, removed, something else in its
    // place) is written afresh, which mends every version that holds it.
    Kept keep(const QString &path, const QString &text, Kind kind, const QString &note = {});
    // Drops the versions beyond the limits and the texts no version holds,
    // and measures each survivor's change against its new neighbour below.
    IoResult prune(const QString &path);
    // The file at `to` was saved from the one at `from`: its versions
    // start afresh, linked to those of `from`.
    IoResult link(const QString &from, const QString &to);

    Listing list(const QString &path) const;
    // The text of a version (by its text's hash); an error, never another
    // text, when its file is not whole.
    Text text(const QString &path, const QByteArray &hash) const;

private:
    struct Lock;
    IoResult prepare(const QString &path, const QString &folder) const;
    IoResult writeRecord(const QString &folder, const Version &version) const;
    // list(), and every version whose record can be read into `records`
    // (if given), those whose text is gone too, newest first.
    Listing scan(const QString &path, std::vector<Version> *records) const;
    std::vector<quint64> linesOf(const QString &path, const QByteArray &hash, IoResult &error) const;

    QString m_folder;
    Limits m_limits;
    Clock m_clock;
    // The line hashes of the last text measured against, for the next.
    mutable QByteArray m_linesOf;
    mutable std::vector<quint64> m_lines;
};

} // namespace versions
