#include "prose/user_list.h"

#include "document/file_access.h"

#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

namespace prose {

UserList parseUserList(QStringView text)
{
    UserList list;
    QSet<QString> taken;
    if (text.startsWith(u'\uFEFF'))
        text = text.sliced(1);
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'#') || equals < 0)
            continue;
        Preferred rule{line.first(equals).trimmed().toString(), line.sliced(equals + 1).trimmed().toString()};
        // A set of what is taken keeps a long list linear.
        if (!rule.wrong.isEmpty() && !rule.right.isEmpty() && rule.wrong != rule.right && !taken.contains(rule.wrong)) {
            taken.insert(rule.wrong);
            list.push_back(std::move(rule));
        }
    }
    return list;
}

QString userListPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/scrivlet/spellings.txt");
}

UserListFile readUserList()
{
    const QString path = userListPath();
    const disk::Read read = disk::readFile(path, largestUserList);
    if (!read.error)
        return {parseUserList(QString::fromUtf8(read.bytes)), {}};
    if (read.error->trouble == IoError::Trouble::System && read.error->code == ENOENT)
        return {};
    UserListFile refused{{}, read.error};
    refused.refused->path = path;
    return refused;
}

UserList loadUserList()
{
    return readUserList().list;
}

} // namespace prose
