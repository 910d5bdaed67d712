#include "prose/user_list.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>

namespace prose {

UserList parseUserList(QStringView text)
{
    UserList list;
    if (text.startsWith(u'\uFEFF'))
        text = text.sliced(1);
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'#') || equals < 0)
            continue;
        Preferred rule{line.first(equals).trimmed().toString(), line.sliced(equals + 1).trimmed().toString()};
        const auto same = [&rule](const Preferred &p) { return p.wrong == rule.wrong; };
        if (!rule.wrong.isEmpty() && !rule.right.isEmpty() && rule.wrong != rule.right &&
            std::none_of(list.begin(), list.end(), same))
            list.push_back(std::move(rule));
    }
    return list;
}

QString userListPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/scrivlet/spellings.txt");
}

UserList loadUserList()
{
    QFile file(userListPath());
    // A list is a few lines: anything over a megabyte is not one.
    if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 20))
        return {};
    return parseUserList(QString::fromUtf8(file.readAll()));
}

} // namespace prose
