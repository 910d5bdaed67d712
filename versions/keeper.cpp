#include "versions/keeper.h"

#include "document/file_access.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace versions {
namespace {

// An open file, closed with the last job that reads it.
struct OpenFile {
    int fd;
    explicit OpenFile(int descriptor) : fd(descriptor) {}
    ~OpenFile() { ::close(fd); }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;

    disk::Read readAll() const
    {
        QByteArray bytes;
        char buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return {{}, IoError{systemError(errno)}};
            if (n == 0)
                return {bytes, {}};
            if (bytes.size() + n > disk::readLimit)
                return {{}, IoError{QStringLiteral(u"%1 MB より大きいファイルです").arg(disk::readLimit >> 20)}};
            bytes.append(buffer, n);
        }
    }
};

QString cannotKeep(const QString &path, const QString &reason)
{
    return QStringLiteral(u"「%1」の版を残せませんでした。%2").arg(disk::shownName(path), reason);
}

} // namespace

Keeper::Keeper(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_store(std::make_unique<Store>(folder))
    , m_worker(QStringLiteral("versions"))
{
}

Keeper::~Keeper() = default;

void Keeper::setLimits(Limits limits)
{
    m_worker.post([store = m_store.get(), limits] { store->setLimits(limits); });
}

void Keeper::post(const QString &path, Kind kind, std::function<Store::Kept(Store &)> keep)
{
    m_worker.post([this, store = m_store.get(), path, kind, keep = std::move(keep)] {
        const Store::Kept done = keep(*store);
        IoResult error = done.error;
        if (!error)
            error = store->prune(path);
        Worker::reply(this, [this, path, kind, added = done.added, error] {
            if (error)
                emit trouble(cannotKeep(path, error->reason));
            else
                emit kept(path, kind, added);
        });
    });
}

void Keeper::keepText(const QString &path, const QString &text, Kind kind, const QString &note)
{
    post(path, kind, [path, text, kind, note](Store &store) { return store.keep(path, text, kind, note); });
}

void Keeper::keepBytes(const QString &path, const QByteArray &bytes, scriptfile::Reading reading, Kind kind)
{
    post(path, kind, [path, bytes, reading, kind](Store &store) {
        return store.keep(path, scriptfile::decode(bytes, reading).text, kind);
    });
}

void Keeper::keepFile(const QString &path, std::optional<scriptfile::Reading> reading, Kind kind)
{
    const int fd = ::open(disk::nameToBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT)
            emit trouble(cannotKeep(path, systemError(errno)));
        return;
    }
    auto file = std::make_shared<const OpenFile>(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return;
    post(path, kind, [path, file, reading, kind](Store &store) {
        const disk::Read read = file->readAll();
        if (read.error)
            return Store::Kept{{}, false, read.error};
        const scriptfile::Survey survey = scriptfile::survey(read.bytes);
        const scriptfile::Reading suggested{survey.loneLineFeeds, survey.utf8};
        return store.keep(path, scriptfile::decode(read.bytes, reading.value_or(suggested)).text, kind);
    });
}

void Keeper::link(const QString &from, const QString &to)
{
    m_worker.post([this, store = m_store.get(), from, to] {
        if (IoResult error = store->link(from, to))
            Worker::reply(this, [this, to, error] { emit trouble(cannotKeep(to, error->reason)); });
    });
}

void Keeper::waitForDisk()
{
    m_worker.waitIdle();
}

} // namespace versions
