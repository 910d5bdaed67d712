// The writer's own list of preferred spellings: a plain text file in the
// configuration folder ($XDG_CONFIG_HOME/scrivlet/spellings.txt), UTF-8,
// one rule a line written 誤=正 ("出来る=できる"). Blanks around either side
// are left out; an empty line, a line starting with # and a line without
// "=" or with nothing on either side are not rules.
#pragma once

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
// The list in its file; none when there is no file or it cannot be read.
UserList loadUserList();

} // namespace prose
