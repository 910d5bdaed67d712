#include "recovery/journal.h"

#include "document/file_access.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recovery {

QString folderPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

IoResult checkFolder(const QString &folder)
{
    using Trouble = IoError::Trouble;
    // Other users must neither read the journals (they hold the text) nor
    // remove them: the folder must be a folder of this user's own, not a
    // link to somewhere else, that nobody else may enter.
    struct stat status {};
    if (::lstat(QFile::encodeName(folder).constData(), &status) != 0)
        return IoError::system(IoError::Operation::Inspect, errno, folder);
    IoError unsafe = IoError::of(IoError::Operation::Inspect, Trouble::NotAFolder, folder);
    unsafe.mode = status.st_mode;
    if (!S_ISDIR(status.st_mode))
        return unsafe;
    if (status.st_uid != ::geteuid()) {
        unsafe.trouble = Trouble::NotOwned;
        return unsafe;
    }
    if ((status.st_mode & 077) != 0) {
        unsafe.trouble = Trouble::OpenToOthers;
        return unsafe;
    }
    return {};
}

IoResult prepareFolder(const QString &folder)
{
    const QString appData = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(QFileInfo(appData).absolutePath()))
        return IoError::system(IoError::Operation::MakeFolder, 0, QFileInfo(appData).absolutePath());
    for (const QString &path : {appData, folder}) {
        if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
            return IoError::system(IoError::Operation::MakeFolder, errno, path);
    }
    return checkFolder(folder);
}

namespace {

QLockFile *newLock(const QString &journalPath)
{
    auto *lock = new QLockFile(journalPath + QStringLiteral(".lock"));
    // A lock is stale only when its process is gone, however old it is: an
    // author may leave the program open for days.
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

namespace {

// A lock whose process runs on another machine: the user's folder moved, or
// is shared. The process is not this machine's to ask about.
bool heldOnAnotherMachine(const QString &lockPath)
{
    const disk::Read lock = disk::readFile(lockPath, 4096, disk::Links::Refuse);
    const QList<QByteArray> lines = lock.bytes.split('\n');
    if (lock.error || lines.size() < 3)
        return false;
    const bool otherHost = !lines[2].isEmpty() && QString::fromUtf8(lines[2]) != QSysInfo::machineHostName();
    const bool otherMachine = lines.size() > 3 && !lines[3].isEmpty() && lines[3] != QSysInfo::machineUniqueId();
    return otherHost || otherMachine;
}

// The largest journal read: the text twice over, and many edits.
constexpr qint64 journalLimit = qint64(1) << 30;

} // namespace

std::vector<Leftover> leftovers(const QString &folder, const QString &own)
{
    std::vector<Leftover> found;
    if (checkFolder(folder))
        return found;
    const QDir dir(folder);
    // Every entry by the name, links and devices included: each is looked at
    // before it is read.
    for (const QString &name : dir.entryList({QStringLiteral("*.journal")}, QDir::AllEntries | QDir::System, QDir::Name)) {
        Leftover leftover;
        leftover.path = dir.filePath(name);
        if (leftover.path == own)
            continue;
        leftover.lock.reset(newLock(leftover.path));
        if (!leftover.lock->tryLock(0)) {
            const QString lockPath = leftover.path + QStringLiteral(".lock");
            if (leftover.lock->error() == QLockFile::LockFailedError && heldOnAnotherMachine(lockPath)) {
                leftover.lock->removeStaleLockFile();
                leftover.lock->tryLock(0);
            }
            if (leftover.lock->error() == QLockFile::LockFailedError && !leftover.lock->isLocked())
                continue;  // a window that is still open has it
            if (!leftover.lock->isLocked())
                leftover.unlocked = QStringLiteral(u"「%1」を作れないため、ほかのウィンドウが使っていないか確かめられません。")
                                        .arg(lockPath);
        }
        const disk::Read read = disk::readFile(leftover.path, journalLimit, disk::Links::Refuse);
        leftover.unreadable = read.error;
        if (!read.error)
            leftover.replayed = replay(read.bytes);
        // An unreadable journal sorts by when it was last written.
        if (leftover.replayed.state == Replayed::State::Unreadable)
            leftover.replayed.lastEdit = QFileInfo(leftover.path).lastModified().toMSecsSinceEpoch();
        found.push_back(std::move(leftover));
    }
    std::stable_sort(found.begin(), found.end(), [](const Leftover &a, const Leftover &b) {
        return a.replayed.lastEdit > b.replayed.lastEdit;
    });
    return found;
}

IoResult discard(Leftover &leftover)
{
    IoResult result = disk::removeFile(leftover.path);
    leftover.lock.reset();
    return result;
}

// The journal file and what the worker knows of it. Its functions run on
// the worker only, one job at a time; each returns the reason it failed.
struct Journal::File {
    QString path;
    int fd = -1;
    std::unique_ptr<QLockFile> lock;
    bool broken = false;

    IoResult open(const QString &folder, const QString &journalPath, const QByteArray &start, const QString &base,
                  qint64 when, Leftover replaced)
    {
        if (IoResult error = close(false))
            return error;
        broken = false;
        path = journalPath;
        if (IoResult error = prepareFolder(folder))
            return broke(*error);
        lock.reset(newLock(path));
        if (!lock->tryLock(0))
            return broke(IoError::system(IoError::Operation::Lock, 0,
                                         lock->error() == QLockFile::PermissionError ? folder : path));
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return broke(IoError::system(IoError::Operation::Create, errno, path));
        if (IoResult error = write(start, false))
            return error;
        if (IoResult error = write(encodeBase(base, when)))
            return error;
        // The new journal's name must survive a power cut too.
        if (const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
        // Only now that this journal holds the whole text on disk does the
        // one it takes over from go.
        if (!replaced.path.isEmpty())
            return discard(replaced);
        return {};
    }

    IoResult append(const QByteArray &records)
    {
        if (fd < 0 || broken)
            return {};
        return write(records);
    }

    // Closes the journal; `remove` deletes it, else it stays for the next start.
    IoResult close(bool remove)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        IoResult result;
        if (remove && !path.isEmpty())
            result = disk::removeFile(path);
        lock.reset();
        return result;
    }

    // Appends bytes and, unless told not to, waits until they are on disk.
    IoResult write(const QByteArray &bytes, bool sync = true)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return broke(IoError::system(IoError::Operation::Write, n < 0 ? errno : ENOSPC, path));
            done += n;
        }
        if (sync && ::fdatasync(fd) != 0)
            return broke(IoError::system(IoError::Operation::Finish, errno, path));
        return {};
    }

    // Edits after a lost one would not apply to the text on disk: nothing
    // more goes into this journal.
    IoResult broke(IoError error)
    {
        broken = true;
        return error;
    }
};

Journal::Journal(QString folder, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_file(std::make_unique<File>())
    , m_worker(QStringLiteral("journal"))
{
    m_handover.setSingleShot(true);
    m_handover.setInterval(1500);
    connect(&m_handover, &QTimer::timeout, this, &Journal::flush);
}

Journal::~Journal()
{
    flush();
    // Left on disk: the program is going, not the text.
    m_worker.post([file = m_file.get()] { file->close(false); });
}

namespace {

// Runs a job of the journal's file and says on the owner's thread how it
// failed, if it did.
template <typename Job>
std::function<void()> reporting(Journal *owner, Job job)
{
    return [owner, job = std::move(job)] {
        if (IoResult error = job())
            Worker::reply(owner, [owner, error = *error] { emit owner->failed(error); });
    };
}

} // namespace

void Journal::begin(const QString &base, const QString &source, Leftover replaced)
{
    end();
    static std::atomic<int> serial = 0;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 pid = QCoreApplication::applicationPid();
    m_path = QDir(m_folder).filePath(QStringLiteral("%1-%2-%3.journal").arg(now).arg(pid).arg(++serial));
    m_active = true;
    m_worker.post(reporting(this, [file = m_file.get(), folder = m_folder, path = m_path,
                                   start = encodeStart({pid, QSysInfo::machineHostName(), source, now}),
                                   base, now, replaced = std::move(replaced)] {
        return file->open(folder, path, start, base, now, replaced);
    }));
}

void Journal::record(qint64 position, qint64 removed, QStringView added)
{
    if (!m_active)
        return;
    m_pending += encodeEdit(position, removed, added, QDateTime::currentMSecsSinceEpoch());
    if (!m_handover.isActive())
        m_handover.start();
}

void Journal::flush()
{
    m_handover.stop();
    if (m_pending.isEmpty())
        return;
    m_worker.post(reporting(this, [file = m_file.get(), records = std::exchange(m_pending, {})] {
        return file->append(records);
    }));
}

void Journal::end()
{
    if (!m_active)
        return;
    m_handover.stop();
    m_pending.clear();
    m_worker.post(reporting(this, [file = m_file.get()] { return file->close(true); }));
    m_active = false;
    m_path.clear();
}

void Journal::waitForDisk()
{
    m_worker.waitIdle();
}

} // namespace recovery
