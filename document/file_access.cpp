#include "document/file_access.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace disk {
namespace {

constexpr char16_t keptByte = 0xDC80;  // U+DC80 + byte: a byte that is no UTF-8

// Closes a descriptor however the function is left.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
qsizetype sequenceLength(QByteArrayView bytes, char32_t &code)
{
    const auto b = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = b(0);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    const qsizetype length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4                                   ? 4
                                                                                               : 0;
    if (length == 0 || bytes.size() < length)
        return 0;
    code = lead & (0x7F >> length);
    for (qsizetype i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (b(i) & 0x3F);
    }
    const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

using Operation = IoError::Operation;
using Trouble = IoError::Trouble;

IoError notAFile(Operation operation, unsigned mode)
{
    IoError error = IoError::of(operation, Trouble::NotAFile);
    error.mode = mode;
    return error;
}

qint64 writeAll(QIODevice &file, const QByteArray &bytes)
{
    // A write the system cuts short (a full disk, a file size limit)
    // reports no error; asking again for the rest gets the system's reason.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            break;
        done += written;
    }
    return done;
}

} // namespace

QString nameFromBytes(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        char32_t code = 0;
        const qsizetype length = sequenceLength(bytes, code);
        if (length == 0) {
            name.append(QChar(char16_t(keptByte + static_cast<unsigned char>(bytes[0]) - 0x80)));
            bytes = bytes.sliced(1);
            continue;
        }
        name.append(QString::fromUcs4(&code, 1));
        bytes = bytes.sliced(length);
    }
    return name;
}

QByteArray nameToBytes(QStringView name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= keptByte && c <= keptByte + 0x7F) {
            bytes.append(char(c - keptByte + 0x80));
            continue;
        }
        const qsizetype units = name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate() ? 2 : 1;
        bytes.append(name.sliced(i, units).toUtf8());
        i += units - 1;
    }
    return bytes;
}

QString shownName(QStringView name)
{
    QString shown = name.toString();
    for (QChar &c : shown)
        if (c.unicode() >= keptByte && c.unicode() <= keptByte + 0x7F)
            c = QChar::ReplacementCharacter;
    return shown;
}

QString absoluteName(const QString &name)
{
    if (name.startsWith(u'/'))
        return QDir::cleanPath(name);
    // QDir::currentPath() would lose the bytes of a folder whose name is no UTF-8.
    char *folder = ::getcwd(nullptr, 0);
    const QString base = folder ? nameFromBytes(folder) : QDir::currentPath();
    std::free(folder);
    return QDir::cleanPath(base + u'/' + name);
}

bool present(const QString &name)
{
    struct stat status {};
    return ::lstat(nameToBytes(name).constData(), &status) == 0;
}

Read readFile(const QString &path, qint64 limit, Links links)
{
    // Opened without waiting (a named pipe with no writer would hold the
    // program up for ever) and looked at before a byte is read.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (links == Links::Refuse ? O_NOFOLLOW : 0);
    Descriptor file{::open(nameToBytes(path).constData(), flags)};
    if (file.fd < 0)
        return {{}, errno == ELOOP && links == Links::Refuse ? notAFile(Operation::Read, S_IFLNK)
                                                             : IoError::system(Operation::Read, errno)};
    struct stat status {};
    if (::fstat(file.fd, &status) != 0)
        return {{}, IoError::system(Operation::Read, errno)};
    if (!S_ISREG(status.st_mode))
        return {{}, notAFile(Operation::Read, status.st_mode)};
    const auto tooLarge = [limit](qint64 size) {
        IoError error = IoError::of(Operation::Read, Trouble::TooLarge);
        error.size = size;
        error.limit = limit;
        return error;
    };
    if (status.st_size > limit)
        return {{}, tooLarge(status.st_size)};
    ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray bytes;
    bytes.reserve(qsizetype(status.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            IoError error = IoError::system(Operation::Read, errno);
            error.position = bytes.size();
            return {{}, error};
        }
        if (n == 0)
            break;
        // A file that grows while it is read is held to the limit too.
        if (bytes.size() + n > limit)
            return {{}, tooLarge(bytes.size() + n)};
        bytes.append(buffer, n);
    }
    return {bytes, {}};
}

IoResult writeAtomically(const QString &path, const QByteArray &bytes, const Writer &write)
{
    QByteArray target = nameToBytes(path);
    // A symbolic link stays a link: its target gets the new text.
    struct stat link {};
    if (::lstat(target.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char *resolved = ::realpath(target.constData(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.first(slash);
    const QByteArray name = target.sliced(slash + 1);
    Descriptor directory{::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (directory.fd < 0)
        return IoError::system(Operation::Write, errno);
    struct stat old {};
    const bool existed = ::fstatat(directory.fd, name.constData(), &old, 0) == 0;
    if (existed && S_ISDIR(old.st_mode))
        return notAFile(Operation::Write, old.st_mode);

    // The text is written into a file with no name, which gets one only
    // once the text is whole on disk: a failure or a kill leaves nothing.
    // Where the file system has no unnamed files, a named one is removed
    // again on failure.
    const auto temporaryName = [&name] {
        return '.' + name + ".scrivlet-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    };
    QByteArray named;
    Descriptor file{::openat(directory.fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)};
    for (int attempt = 0; file.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EEXIST) && attempt < 100;
         ++attempt) {
        named = temporaryName();
        file.fd = ::openat(directory.fd, named.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    }
    if (file.fd < 0)
        return IoError::system(Operation::Create, errno);
    struct Unnamed {
        int directory;
        QByteArray name;
        ~Unnamed()
        {
            if (!name.isEmpty())
                ::unlinkat(directory, name.constData(), 0);
        }
    } leftover{directory.fd, named};
    {
        QFile device;
        const auto deviceError = [&device] {
            IoError error = IoError::of(Operation::Write, Trouble::System);
            error.systemText = device.errorString();
            return error;
        };
        if (!device.open(file.fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
            return deviceError();
        const qint64 written = write ? write(device, bytes) : writeAll(device, bytes);
        if (written != bytes.size()) {
            if (device.error() != QFileDevice::NoError)
                return deviceError();
            // A device that stops short without an error of its own still
            // has not taken the whole script.
            IoError error = IoError::of(Operation::Write, Trouble::ShortWrite);
            error.size = bytes.size();
            error.position = std::max<qint64>(written, 0);
            return error;
        }
    }
    if (existed)
        ::fchmod(file.fd, old.st_mode & 07777);
    if (::fsync(file.fd) != 0)
        return IoError::system(Operation::Finish, errno);
    QByteArray temporary = named;
    if (named.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.fd);
        for (int attempt = 0;; ++attempt) {
            temporary = temporaryName();
            if (::linkat(AT_FDCWD, self.constData(), directory.fd, temporary.constData(), AT_SYMLINK_FOLLOW) == 0)
                break;
            if (errno != EEXIST || attempt == 100)
                return IoError::system(Operation::Create, errno);
        }
        leftover.name = temporary;
    }
    if (::renameat(directory.fd, temporary.constData(), directory.fd, name.constData()) != 0)
        return IoError::system(Operation::Write, errno);
    leftover.name.clear();
    // The new name must survive a power cut too.
    ::fsync(directory.fd);
    return {};
}

IoResult removeFile(const QString &path)
{
    QFile file(path);
    if (file.remove() || !file.exists())
        return {};
    IoError error = IoError::of(IoError::Operation::Remove, IoError::Trouble::System, path);
    error.systemText = file.errorString();
    return error;
}

Stamp stampOf(const QString &path)
{
    struct stat status {};
    if (::stat(nameToBytes(path).constData(), &status) != 0)
        return {};
    return {true, qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
            quint64(status.st_dev), quint64(status.st_ino)};
}

quint64 digestOf(QByteArrayView bytes)
{
    // Fixed, so that two fingerprints taken in one run compare.
    constexpr size_t seed = 0x5C81'7B1E'7D15'4A57;
    return qHash(bytes, seed);
}

} // namespace disk
