#include "document/io_wording.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <sys/stat.h>

namespace {

// The system's own words for an errno value.
QString systemError(int code)
{
    // The GNU strerror_r returns its text rather than filling the buffer in
    // every case; strerror itself may share one buffer between threads.
    char buffer[256];
    return QString::fromLocal8Bit(strerror_r(code, buffer, sizeof buffer));
}

// What is at a path when it is not a file to read: "フォルダー", "名前付きパイプ"…
QString kindOfNonFile(unsigned mode)
{
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return QStringLiteral(u"フォルダー");
    case S_IFIFO:
        return QStringLiteral(u"名前付きパイプ");
    case S_IFCHR:
    case S_IFBLK:
        return QStringLiteral(u"デバイス");
    case S_IFSOCK:
        return QStringLiteral(u"ソケット");
    case S_IFLNK:
        return QStringLiteral(u"シンボリックリンク");
    }
    return QStringLiteral(u"ファイルでないもの");
}

// Why, alone; empty when nothing says why.
QString cause(const IoError &error)
{
    using Trouble = IoError::Trouble;
    switch (error.trouble) {
    case Trouble::NotAFile:
        return QStringLiteral(u"ファイルではなく%1です").arg(kindOfNonFile(error.mode));
    case Trouble::TooLarge:
        if (error.size < 0)
            return QStringLiteral(u"%1 MB より大きいファイルです").arg(error.limit >> 20);
        return QStringLiteral(u"%1 MB のファイルです。開けるのは %2 MB までです")
            .arg(QString::number(double(error.size) / (1 << 20), 'f', 1), QString::number(error.limit >> 20));
    case Trouble::ShortWrite:
        return QStringLiteral(u"%1バイトのうち%2バイトしか書き込めませんでした")
            .arg(QString::number(error.size), QString::number(error.position));
    default:
        return error.code != 0 ? systemError(error.code) : error.systemText;
    }
}

// What could not be done to a named file, by IoError::Operation; %2 is
// why, in brackets, or nothing.
constexpr std::u16string_view withPath[] = {
    u"「%1」を読めません%2。",
    u"「%1」に書けません%2。",
    u"「%1」を作れません%2。",
    u"「%1」を消せません%2。",
    u"フォルダ「%1」を調べられません%2。",
    u"フォルダ「%1」を作れません%2。",
    u"「%1」の鎖錠ファイルを作れません%2。",
    u"「%1」を書き終えられません%2。",
};
static_assert(std::size(withPath) == std::size_t(IoError::Operation::Finish) + 1);

} // namespace

QString wording(const IoError &error)
{
    using Trouble = IoError::Trouble;
    const QString why = cause(error);
    if (error.path.isEmpty())
        return why;
    const QString &path = error.path;
    switch (error.trouble) {
    case Trouble::NotAFolder:
        return QStringLiteral(u"「%1」はフォルダーではなく%2です。").arg(path, kindOfNonFile(error.mode));
    case Trouble::NotOwned:
        return QStringLiteral(u"フォルダ「%1」の持ち主がこのユーザーではありません。").arg(path);
    case Trouble::OpenToOthers:
        return QStringLiteral(u"フォルダ「%1」にほかのユーザーも入れます（%2）。").arg(path, QString::number(error.mode & 0777, 8));
    case Trouble::InUse:
        return QStringLiteral(u"版のフォルダ「%1」を、ほかのウィンドウが使っています。").arg(path);
    case Trouble::Damaged:
        return QStringLiteral(u"「%1」は壊れています。").arg(path);
    default:
        break;
    }
    const QString because = why.isEmpty() ? QString() : u'（' + why + u'）';
    return QStringView(withPath[std::size_t(error.operation)]).toString().arg(path, because);
}

QString shortenedPath(QStringView path, qsizetype most)
{
    most = std::max<qsizetype>(most, 3);
    if (path.size() <= most)
        return path.toString();
    // The end carries the file's name, the part that tells one path from
    // its neighbours: it gets two thirds.
    qsizetype head = (most - 1) / 3;
    qsizetype tail = most - 1 - head;
    if (head > 0 && path[head].isLowSurrogate())
        --head;
    if (path[path.size() - tail].isLowSurrogate())
        --tail;
    QString shortened = path.first(head).toString();
    shortened += u'…';
    shortened += path.last(tail);
    return shortened;
}

QString shortWording(const IoError &error)
{
    IoError shortened = error;
    shortened.path = shortenedPath(error.path);
    return wording(shortened);
}
