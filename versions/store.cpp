#include "versions/store.h"

#include "dnml/lexer.h"
#include "document/file_access.h"
#include "document/settings.h"
#include "outline/counts.h"
#include "recovery/journal.h"
#include "versions/comparison.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <optional>
#include <set>
#include <sys/stat.h>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "texts are kept as UTF-16LE");

namespace versions {
namespace {

constexpr char recordMagic[] = "SCVR";
constexpr char textMagic[] = "SCVT";
constexpr quint8 format = 1;
constexpr qsizetype checkLength = 16;
constexpr qint64 day = 24 * 60 * 60 * 1000;
// The largest text kept: four times what a script may be on disk, as UTF-16.
constexpr qint64 largestText = qint64(1) << 30;
const QString recordSuffix = QStringLiteral(".version");
const QString textSuffix = QStringLiteral(".text");

QByteArray check(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256).first(checkLength);
}

// The store's own files are named in the error: its callers never see them.
IoResult naming(IoResult error, IoError::Operation operation, const QString &path)
{
    if (error) {
        error->operation = operation;
        error->path = path;
    }
    return error;
}

QByteArrayView utf16(QStringView text)
{
    return {reinterpret_cast<const char *>(text.utf16()), text.size() * 2};
}

QByteArray packText(QStringView text)
{
    const QByteArrayView bytes = utf16(text);
    return QByteArray(textMagic) + char(format) +
           qCompress(reinterpret_cast<const uchar *>(bytes.data()), bytes.size(), 3);
}

// The UTF-16 bytes of a stored text's file; none when the file is not
// one this program wrote whole.
std::optional<QByteArray> unpackText(QByteArrayView stored)
{
    const qsizetype head = qsizetype(sizeof textMagic - 1) + 1;
    if (!stored.startsWith(textMagic) || stored.size() < head + 4 || quint8(stored[head - 1]) != format)
        return std::nullopt;
    const QByteArrayView packed = stored.sliced(head);
    const quint32 size = quint32(quint8(packed[0])) << 24 | quint32(quint8(packed[1])) << 16 |
                         quint32(quint8(packed[2])) << 8 | quint32(quint8(packed[3]));
    // zlib makes at most 1032 bytes of one: a larger size is a damaged
    // head, never a reason to ask for a gigabyte.
    if (size > largestText || size % 2 != 0 || size / 1032 > quint32(packed.size()))
        return std::nullopt;
    QByteArray bytes = qUncompress(reinterpret_cast<const uchar *>(packed.data()), packed.size());
    if (bytes.size() != qsizetype(size))
        return std::nullopt;
    return bytes;
}

// The names in `folder`, "." and ".." left out, sorted; or why they
// cannot be read (a folder its user may not read, gone meanwhile).
IoResult namesIn(const QString &folder, QStringList &names)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return IoError::system(IoError::Operation::Read, errno, folder);
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry)
            break;
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != "..")
            names << QFile::decodeName(entry->d_name);
    }
    const int failed = errno;
    ::closedir(dir);
    if (failed != 0)
        return IoError::system(IoError::Operation::Read, failed, folder);
    names.sort();
    return {};
}

// Writes `text` into `file`, unless the file gives exactly that text back
// already. Whatever else stands there is replaced: a file cut short or
// changed, a link, or an empty folder (one holding anything is not the
// program's to remove, and the write then says why it cannot go on).
IoResult storeText(const QString &file, QStringView text)
{
    const disk::Read read = disk::readFile(file, largestText, disk::Links::Refuse);
    if (!read.error) {
        if (const std::optional<QByteArray> held = unpackText(read.bytes); held && *held == utf16(text))
            return {};
    }
    const QByteArray name = QFile::encodeName(file);
    struct stat status {};
    if (::lstat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        std::remove(name.constData());
    return naming(disk::writeAtomically(file, packText(text)), IoError::Operation::Write, file);
}

bool isHash(QStringView name)
{
    return name.size() == 64 && std::all_of(name.begin(), name.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

QByteArray encodeRecord(const Version &v)
{
    QByteArray bytes(recordMagic);
    bytes.append(char(format));
    QDataStream out(&bytes, QIODevice::Append);
    out.setVersion(QDataStream::Qt_6_0);
    out << v.time << quint8(v.kind) << v.note << v.text << v.characters << v.lines << v.against << v.linesAdded
        << v.linesRemoved;
    return bytes + check(bytes);
}

// The version a record holds, or why it cannot be read.
std::optional<Version> decodeRecord(const QByteArray &bytes, QString &problem)
{
    const qsizetype head = qsizetype(sizeof recordMagic - 1) + 1;
    if (!bytes.startsWith(recordMagic)) {
        problem = QStringLiteral(u"版の記録ではありません");
        return std::nullopt;
    }
    if (bytes.size() < head + checkLength) {
        problem = QStringLiteral(u"途中で切れています");
        return std::nullopt;
    }
    if (quint8(bytes[head - 1]) > format) {
        problem = QStringLiteral(u"新しい版のScrivletの形式です");
        return std::nullopt;
    }
    const QByteArrayView body = QByteArrayView(bytes).first(bytes.size() - checkLength);
    if (check(body) != QByteArrayView(bytes).last(checkLength)) {
        problem = QStringLiteral(u"壊れているか、途中で切れています");
        return std::nullopt;
    }
    Version v;
    quint8 kind = 0;
    QDataStream in(bytes.sliced(head, body.size() - head));
    in.setVersion(QDataStream::Qt_6_0);
    in >> v.time >> kind >> v.note >> v.text >> v.characters >> v.lines >> v.against >> v.linesAdded >>
        v.linesRemoved;
    v.kind = Kind(kind);
    if (in.status() != QDataStream::Ok || !in.atEnd() || kind < 1 || kind > 4 || !isHash(QString::fromLatin1(v.text))) {
        problem = QStringLiteral(u"中身が版の記録の形になっていません");
        return std::nullopt;
    }
    return v;
}

// 文字数 as the counts panel gives it for the whole script.
qint64 countCharacters(QStringView text)
{
    qint64 characters = 0;
    dnml::State state = dnml::State::Text;
    std::vector<dnml::Span> spans;
    dnml::forEachLine(text, [&](qsizetype, QStringView line) {
        spans.clear();
        const dnml::State next = dnml::lexLine(line, state, spans);
        characters += outline::countLine(line, state, spans, 0, line.size()).characters;
        state = next;
    });
    return characters;
}

IoResult makeFolder(const QString &folder)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return IoError::system(IoError::Operation::MakeFolder, errno, folder);
    return recovery::checkFolder(folder);
}

} // namespace

QString folderPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/versions");
}

Limits loadLimits()
{
    const settings::Stored stored;
    Limits limits;
    limits.latest = std::max(1, stored.value(QStringLiteral("versions/latest"), limits.latest).toInt());
    limits.days = std::max(0, stored.value(QStringLiteral("versions/days"), limits.days).toInt());
    return limits;
}

bool loadKeeping()
{
    return settings::Stored().value(QStringLiteral("versions/keep"), true).toBool();
}

std::vector<bool> survivors(std::span<const Version> newestFirst, qint64 now, Limits limits)
{
    std::vector<bool> kept(newestFirst.size(), false);
    std::set<qint64> days;  // the days that have their version beyond the latest
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        const Version &v = newestFirst[i];
        if (i < std::size_t(limits.latest)) {
            kept[i] = true;
            continue;
        }
        if (now - v.time > qint64(limits.days) * day)
            continue;
        if (v.kind == Kind::Named) {
            kept[i] = true;
            continue;
        }
        kept[i] = days.insert(QDateTime::fromMSecsSinceEpoch(v.time).date().toJulianDay()).second;
    }
    return kept;
}

QByteArray textHash(QStringView text)
{
    return QCryptographicHash::hash(utf16(text), QCryptographicHash::Blake2b_256).toHex();
}

// The lock of one file's folder, held while its versions change, so that
// two windows saving the same file take turns.
struct Store::Lock {
    QLockFile file;
    explicit Lock(const QString &folder) : file(folder + QStringLiteral("/lock")) {}
    IoResult take(const QString &folder)
    {
        if (file.tryLock(10'000))
            return {};
        if (file.error() == QLockFile::LockFailedError)
            return IoError::of(IoError::Operation::Lock, IoError::Trouble::InUse, folder);
        return IoError::system(IoError::Operation::Lock, file.error() == QLockFile::PermissionError ? EACCES : 0, folder);
    }
};

Store::Store(QString folder, Limits limits, Clock clock)
    : m_folder(std::move(folder))
    , m_limits(limits)
    , m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentMSecsSinceEpoch(); }))
{
}

Store::~Store() = default;

QString Store::folderOf(const QString &path) const
{
    const QByteArray key = QCryptographicHash::hash(disk::nameToBytes(path), QCryptographicHash::Blake2b_256);
    return m_folder + u'/' + QString::fromLatin1(key.toHex().first(32));
}

IoResult Store::prepare(const QString &path, const QString &folder) const
{
    if (IoResult error = recovery::prepareFolder(m_folder))
        return error;
    if (IoResult error = makeFolder(folder))
        return error;
    const QString file = folder + QStringLiteral("/file");
    if (QFile::exists(file))
        return {};
    return naming(disk::writeAtomically(file, disk::nameToBytes(path)), IoError::Operation::Write, file);
}

IoResult Store::writeRecord(const QString &folder, const Version &version) const
{
    const QString path = folder + u'/' + version.id + recordSuffix;
    return naming(disk::writeAtomically(path, encodeRecord(version)), IoError::Operation::Write, path);
}

std::vector<quint64> Store::linesOf(const QString &path, const QByteArray &hash, IoResult &error) const
{
    if (m_linesOf != hash) {
        Text read = text(path, hash);
        if (read.error) {
            error = read.error;
            return {};
        }
        m_lines = lineHashes(read.text);
        m_linesOf = hash;
    }
    return m_lines;
}

Store::Kept Store::keep(const QString &path, const QString &text, Kind kind, const QString &note)
{
    Kept kept;
    const QString folder = folderOf(path);
    if ((kept.error = prepare(path, folder)))
        return kept;
    Lock lock(folder);
    if ((kept.error = lock.take(folder)))
        return kept;
    const QByteArray hash = textHash(text);
    // Every version counts here, those whose text is gone too: the newest
    // is the one the author saved last, whatever became of its text.
    std::vector<Version> records;
    if ((kept.error = scan(path, &records).error))
        return kept;
    // Even when the newest version holds this text already: a save must
    // leave it whole on disk.
    if ((kept.error = storeText(folder + u'/' + QString::fromLatin1(hash) + textSuffix, text)))
        return kept;
    const Version *newest = records.empty() ? nullptr : &records.front();
    if (kind != Kind::Named && newest && newest->text == hash) {
        kept.version = *newest;
        return kept;
    }
    Version &v = kept.version;
    static std::atomic<quint32> serial = 0;
    v.time = m_clock();
    v.id = QStringLiteral("%1-%2-%3")
               .arg(v.time, 13, 10, QLatin1Char('0'))
               .arg(++serial, 8, 16, QLatin1Char('0'))
               .arg(QCoreApplication::applicationPid());
    v.kind = kind;
    v.note = note;
    v.text = hash;
    const auto same = std::find_if(records.begin(), records.end(),
                                   [&hash](const Version &other) { return other.text == hash; });
    std::vector<quint64> lines = lineHashes(text);
    v.lines = qint64(lines.size());
    v.characters = same != records.end() ? same->characters : countCharacters(text);
    if (newest) {
        IoResult unreadable;
        const std::vector<quint64> below = linesOf(path, newest->text, unreadable);
        if (!unreadable) {
            const LineCounts change = countChanges(below, lines);
            v.against = newest->text;
            v.linesAdded = change.added;
            v.linesRemoved = change.removed;
        }
    }
    m_lines = std::move(lines);
    m_linesOf = hash;
    kept.error = writeRecord(folder, v);
    kept.added = !kept.error;
    return kept;
}

IoResult Store::prune(const QString &path)
{
    const QString folder = folderOf(path);
    if (!QFileInfo::exists(folder))
        return {};
    Lock lock(folder);
    if (IoResult error = lock.take(folder))
        return error;
    Listing listing = list(path);
    // What cannot be seen is never dropped.
    if (listing.error)
        return listing.error;
    const std::vector<bool> kept = survivors(listing.versions, m_clock(), m_limits);
    IoResult result;
    std::vector<Version> left;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i])
            left.push_back(listing.versions[i]);
        else if (IoResult error = disk::removeFile(folder + u'/' + listing.versions[i].id + recordSuffix); error && !result)
            result = error;
    }
    // Each version's change is against the version now below it.
    for (std::size_t i = 0; i < left.size(); ++i) {
        Version &v = left[i];
        const QByteArray below = i + 1 < left.size() ? left[i + 1].text : QByteArray();
        if (v.against == below)
            continue;
        IoResult unreadable;
        const LineCounts change = below.isEmpty() ? LineCounts{}
                                                  : countChanges(linesOf(path, below, unreadable),
                                                                 linesOf(path, v.text, unreadable));
        if (unreadable)
            continue;
        v.against = below;
        v.linesAdded = change.added;
        v.linesRemoved = change.removed;
        if (IoResult error = writeRecord(folder, v); error && !result)
            result = error;
    }
    // A record that cannot be read may hold any text: then none goes.
    const bool unreadRecords = std::any_of(listing.problems.begin(), listing.problems.end(),
                                           [](const Problem &p) { return p.path.endsWith(recordSuffix); });
    std::set<QByteArray> held;
    for (const Version &v : left)
        held.insert(v.text);
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const bool unheld = !unreadRecords && name.endsWith(textSuffix) &&
                            !held.contains(name.chopped(textSuffix.size()).toLatin1());
        // A write cut short by a crash, under this folder's lock.
        const bool cutShort = name.startsWith(u'.') && name.contains(QStringLiteral(".scrivlet-"));
        if (unheld || cutShort)
            if (IoResult error = disk::removeFile(dir.filePath(name)); error && !result)
                result = error;
    }
    return result;
}

IoResult Store::link(const QString &from, const QString &to)
{
    if (from == to)
        return {};
    const QString folder = folderOf(to);
    if (IoResult error = prepare(to, folder))
        return error;
    Lock lock(folder);
    if (IoResult error = lock.take(folder))
        return error;
    const QString origin = folder + QStringLiteral("/origin");
    return naming(disk::writeAtomically(origin, disk::nameToBytes(from)), IoError::Operation::Write, origin);
}

Listing Store::list(const QString &path) const
{
    return scan(path, nullptr);
}

Listing Store::scan(const QString &path, std::vector<Version> *records) const
{
    Listing listing;
    const QString folder = folderOf(path);
    struct stat status {};
    if (::lstat(QFile::encodeName(folder).constData(), &status) != 0) {
        // None kept yet; any other reason hides the versions there are.
        if (errno != ENOENT)
            listing.error = IoError::system(IoError::Operation::Inspect, errno, folder);
        return listing;
    }
    for (const QString &checked : {m_folder, folder})
        if ((listing.error = recovery::checkFolder(checked)))
            return listing;
    QStringList names;
    if ((listing.error = namesIn(folder, names)))
        return listing;
    const QDir dir(folder);
    std::set<QString> texts;
    std::vector<std::pair<Version, QString>> found;  // with the record's path
    for (const QString &name : std::as_const(names)) {
        const QString file = dir.filePath(name);
        if (name == u"file" || name == u"origin" || name == u"lock" ||
            (name.startsWith(u'.') && name.contains(QStringLiteral(".scrivlet-"))))
            continue;
        if (::lstat(QFile::encodeName(file).constData(), &status) != 0) {
            if (errno == ENOENT)  // gone since the folder was read
                continue;
            // Its names can be read, but not what they are (a folder
            // without the right to enter it).
            listing.error = IoError::system(IoError::Operation::Inspect, errno, folder);
            return listing;
        }
        const bool regular = S_ISREG(status.st_mode);
        if (name.endsWith(textSuffix) && isHash(name.chopped(textSuffix.size())) && regular) {
            texts.insert(name.chopped(textSuffix.size()));
            continue;
        }
        if (!name.endsWith(recordSuffix) || !regular) {
            listing.problems.push_back({file, QStringLiteral(u"版のファイルではありません"), {}});
            continue;
        }
        const disk::Read read = disk::readFile(file, 1 << 20, disk::Links::Refuse);
        if (read.error) {
            listing.problems.push_back({file, {}, read.error});
            continue;
        }
        QString problem;
        std::optional<Version> version = decodeRecord(read.bytes, problem);
        if (!version) {
            listing.problems.push_back({file, problem, {}});
            continue;
        }
        version->id = name.chopped(recordSuffix.size());
        found.emplace_back(std::move(*version), file);
    }
    const auto newer = [](const Version &x, const Version &y) { return x.time != y.time ? x.time > y.time : x.id > y.id; };
    for (auto &[version, file] : found) {
        if (records)
            records->push_back(version);
        if (texts.contains(QString::fromLatin1(version.text)))
            listing.versions.push_back(std::move(version));
        else
            listing.problems.push_back(
                {file, QStringLiteral(u"本文のファイル「%1%2」がありません").arg(QString::fromLatin1(version.text), textSuffix), {}});
    }
    std::sort(listing.versions.begin(), listing.versions.end(), newer);
    if (records)
        std::sort(records->begin(), records->end(), newer);
    const disk::Read origin = disk::readFile(dir.filePath(QStringLiteral("origin")), 1 << 16, disk::Links::Refuse);
    if (!origin.error)
        listing.origin = disk::nameFromBytes(origin.bytes);
    return listing;
}

Text Store::text(const QString &path, const QByteArray &hash) const
{
    const QString file = folderOf(path) + u'/' + QString::fromLatin1(hash) + textSuffix;
    const disk::Read read = disk::readFile(file, largestText, disk::Links::Refuse);
    if (read.error)
        return {{}, naming(read.error, IoError::Operation::Read, file)};
    const std::optional<QByteArray> bytes = unpackText(read.bytes);
    QString text = bytes ? QString(reinterpret_cast<const QChar *>(bytes->constData()), bytes->size() / 2) : QString();
    if (!bytes || textHash(text) != hash)
        return {{}, IoError::of(IoError::Operation::Read, IoError::Trouble::Damaged, file)};
    return {std::move(text), {}};
}

} // namespace versions
