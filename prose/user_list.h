// The writer's own list of preferred spellings: a plain text file in the
// configuration folder ($XDG_CONFIG_HOME/scrivlet/spellings.txt), UTF-8,
// one rule a line written 誤=正 ("出来る=できる"). Blanks around either side
// are left out; an empty line, a line starting with # and a line without
// "=" or with nothing on either side are not rules.
#pragma once

#include "document/io_error.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace prose {

struct Preferred {
    QString wrong;  // 誤
    QString right;  // 正
    friend bool operator==(const Preferred &, const Preferred &) = default;
};

using UserList = std::vector<Preferred>;

// The rules of a list's text, in its order; a spelling given twice keeps
// its first rule.
UserList parseUserList(QStringView text);
// Where the list is kept.
QString userListPath();
// The largest list read: a list is a few lines, and anything larger is
// not one.
inline constexpr qint64 largestUserList = qint64(1) << 20;

struct UserListFile {
    UserList list;
    // Why the file was not read, with its path; none when it was, or when
    // there is no file.
    IoResult refused;
};
// The list in its file. The file is read only when it is a regular file
// (or a link to one) of at most `largestUserList` bytes, looked at
// without waiting, as a script is opened: a named pipe there would hold
// the check up for ever, and a link to /dev/zero would fill the memory.
// A file refused gives no rules and says why.
UserListFile readUserList();
// The rules of readUserList() alone.
UserList loadUserList();

} // namespace prose
