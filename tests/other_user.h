// Another user's rights for the life of the object, as an author who is
// not root meets the folders: the tests run as root, whom no folder's
// rights stop. The tree at `owned` becomes that user's for the while and
// root's again after.
#pragma once

#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <cstdlib>
#include <unistd.h>

struct AsAnotherUser {
    static constexpr uid_t user = 65534;
    QStringList paths;
    bool switched = false;

    explicit AsAnotherUser(const QString &owned) : paths{owned}
    {
        QDirIterator all(owned, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
        while (all.hasNext())
            paths << all.next();
        if (own(user))
            switched = ::seteuid(user) == 0;
    }
    ~AsAnotherUser()
    {
        if (switched && ::seteuid(0) != 0)
            std::abort();
        own(0);
    }
    AsAnotherUser(const AsAnotherUser &) = delete;
    AsAnotherUser &operator=(const AsAnotherUser &) = delete;

private:
    bool own(uid_t owner) const
    {
        for (const QString &path : paths)
            if (::lchown(QFile::encodeName(path).constData(), owner, owner) != 0)
                return false;
        return true;
    }
};
