#include "recovery/journal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace recovery {

namespace {

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

} // namespace

QString folderPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

QString prepareFolder(const QString &folder)
{
    const QString appData = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(QFileInfo(appData).absolutePath()))
        return QStringLiteral(u"フォルダ「%1」を作れません。").arg(QFileInfo(appData).absolutePath());
    for (const QString &path : {appData, folder}) {
        if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral(u"フォルダ「%1」を作れません（%2）。").arg(path, systemError(errno));
    }
    return {};
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

std::vector<Leftover> leftovers(const QString &folder)
{
    std::vector<Leftover> found;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.journal")}, QDir::Files, QDir::Name)) {
        Leftover leftover;
        leftover.path = dir.filePath(name);
        leftover.lock.reset(newLock(leftover.path));
        if (!leftover.lock->tryLock(0))
            continue;
        QFile file(leftover.path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        leftover.replayed = replay(file.readAll());
        // An unreadable journal sorts by when it was last written.
        if (leftover.replayed.state == Replayed::State::Unreadable)
            leftover.replayed.lastEdit = QFileInfo(file).lastModified().toMSecsSinceEpoch();
        found.push_back(std::move(leftover));
    }
    std::stable_sort(found.begin(), found.end(), [](const Leftover &a, const Leftover &b) {
        return a.replayed.lastEdit > b.replayed.lastEdit;
    });
    return found;
}

QString discard(Leftover &leftover)
{
    QString reason;
    if (!QFile::remove(leftover.path) && QFile::exists(leftover.path))
        reason = QStringLiteral(u"「%1」を消せません。").arg(leftover.path);
    leftover.lock.reset();
    return reason;
}

// The thread that owns the journal file: jobs run in the order queued.
struct Journal::Writer {
    explicit Writer(Journal *owner) : owner(owner), thread([this] { run(); }) {}

    ~Writer()
    {
        {
            std::lock_guard guard(mutex);
            stopping = true;
        }
        wake.notify_all();
        thread.join();
    }

    void post(std::function<void()> job)
    {
        {
            std::lock_guard guard(mutex);
            jobs.push_back(std::move(job));
        }
        wake.notify_all();
    }

    void waitIdle()
    {
        std::unique_lock guard(mutex);
        idle.wait(guard, [this] { return jobs.empty() && !busy; });
    }

    void run()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock guard(mutex);
                wake.wait(guard, [this] { return stopping || !jobs.empty(); });
                if (jobs.empty())
                    return;
                job = std::move(jobs.front());
                jobs.pop_front();
                busy = true;
            }
            job();
            {
                std::lock_guard guard(mutex);
                busy = false;
            }
            idle.notify_all();
        }
    }

    // Jobs: these run on the writer's thread only.

    void open(const QString &folder, const QString &journalPath, const QByteArray &start, const QString &base,
              qint64 when, Leftover replaced)
    {
        close(false);
        broken = false;
        path = journalPath;
        if (const QString reason = prepareFolder(folder); !reason.isEmpty())
            return fail(reason);
        lock.reset(newLock(path));
        if (!lock->tryLock(0))
            return fail(QStringLiteral(u"「%1」の鎖錠ファイルを作れません。").arg(lock->error() == QLockFile::PermissionError
                                                                                   ? folder
                                                                                   : path));
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return fail(QStringLiteral(u"「%1」を作れません（%2）。").arg(path, systemError(errno)));
        if (!write(start, false) || !write(encodeBase(base, when)))
            return;
        // The new journal's name must survive a power cut too.
        if (const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
        if (!replaced.path.isEmpty())
            discard(replaced);
    }

    void append(const QByteArray &records)
    {
        if (fd >= 0 && !broken)
            write(records);
    }

    // Closes the journal; `remove` deletes it, else it stays for the next start.
    void close(bool remove)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (remove && !path.isEmpty())
            QFile::remove(path);
        lock.reset();
    }

    // Appends bytes and, unless told not to, waits until they are on disk.
    bool write(const QByteArray &bytes, bool sync = true)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                fail(QStringLiteral(u"「%1」に書けません（%2）。").arg(path, systemError(n < 0 ? errno : ENOSPC)));
                return false;
            }
            done += n;
        }
        if (sync && ::fdatasync(fd) != 0) {
            fail(QStringLiteral(u"「%1」を書き終えられません（%2）。").arg(path, systemError(errno)));
            return false;
        }
        return true;
    }

    void fail(const QString &reason)
    {
        // Edits after a lost one would not apply to the text on disk:
        // nothing more goes into this journal.
        broken = true;
        QMetaObject::invokeMethod(owner, [owner = owner, reason] { owner->report(reason); }, Qt::QueuedConnection);
    }

    Journal *owner;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    bool busy = false;

    QString path;
    int fd = -1;
    std::unique_ptr<QLockFile> lock;
    bool broken = false;

    std::thread thread;  // last: starts once everything above exists
};

Journal::Journal(QString folder, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_writer(std::make_unique<Writer>(this))
{
    m_handover.setSingleShot(true);
    m_handover.setInterval(2000);
    connect(&m_handover, &QTimer::timeout, this, &Journal::flush);
}

Journal::~Journal()
{
    flush();
    m_writer->post([writer = m_writer.get()] { writer->close(false); });
    m_writer.reset();
}

void Journal::begin(const QString &base, const QString &source, Leftover replaced)
{
    end();
    static std::atomic<int> serial = 0;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 pid = QCoreApplication::applicationPid();
    m_path = QDir(m_folder).filePath(QStringLiteral("%1-%2-%3.journal").arg(now).arg(pid).arg(++serial));
    m_active = true;
    const QByteArray start = encodeStart({pid, QSysInfo::machineHostName(), source, now});
    m_writer->post([writer = m_writer.get(), folder = m_folder, path = m_path, start, base, now, replaced] {
        writer->open(folder, path, start, base, now, replaced);
    });
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
    m_writer->post([writer = m_writer.get(), records = std::exchange(m_pending, {})] { writer->append(records); });
}

void Journal::end()
{
    if (!m_active)
        return;
    m_handover.stop();
    m_pending.clear();
    m_writer->post([writer = m_writer.get()] { writer->close(true); });
    m_active = false;
    m_path.clear();
}

void Journal::waitForDisk()
{
    m_writer->waitIdle();
}

void Journal::report(const QString &reason)
{
    emit failed(reason);
}

} // namespace recovery
