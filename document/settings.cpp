#include "document/settings.h"

#include "document/file_access.h"

#include <QSettings>
#include <QStandardPaths>
#include <QUtf8StringView>

#include <algorithm>
#include <memory>

namespace settings {
namespace {

std::unique_ptr<QSettings> store()
{
    return std::make_unique<QSettings>(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                           QStringLiteral("/scrivlet/scrivlet.conf"),
                                       QSettings::IniFormat);
}

} // namespace

View loadView()
{
    const auto stored = store();
    View view;
    view.wrap = stored->value(QStringLiteral("view/wrap"), view.wrap).toBool();
    view.lineNumbers = stored->value(QStringLiteral("view/lineNumbers"), view.lineNumbers).toBool();
    view.blanks = stored->value(QStringLiteral("view/blanks"), view.blanks).toBool();
    view.fontSize = std::clamp(stored->value(QStringLiteral("view/fontSize"), view.fontSize).toInt(), smallestFont,
                               largestFont);
    return view;
}

void saveView(const View &view)
{
    const auto stored = store();
    stored->setValue(QStringLiteral("view/wrap"), view.wrap);
    stored->setValue(QStringLiteral("view/lineNumbers"), view.lineNumbers);
    stored->setValue(QStringLiteral("view/fontSize"), view.fontSize);
    stored->setValue(QStringLiteral("view/blanks"), view.blanks);
}

int panelHeight(const QString &panel)
{
    return std::max(store()->value(QStringLiteral("panels/") + panel, 0).toInt(), 0);
}

void savePanelHeight(const QString &panel, int height)
{
    store()->setValue(QStringLiteral("panels/") + panel, height);
}

// A name is kept as text when its bytes are UTF-8, so that the file stays
// readable, and as its bytes otherwise, which text in the file would turn
// into other bytes.
RecentFiles RecentFiles::load()
{
    const QVariant stored = store()->value(QStringLiteral("files/recent"));
    QVariantList entries;
    if (stored.typeId() == QMetaType::QVariantList)
        entries = stored.toList();
    else
        for (const QString &path : stored.toStringList())  // a list of names only, or one name
            entries << path;
    RecentFiles recent;
    for (const QVariant &entry : entries) {
        const QString path =
            entry.typeId() == QMetaType::QByteArray ? disk::nameFromBytes(entry.toByteArray()) : entry.toString();
        if (!path.isEmpty() && !recent.m_paths.contains(path) && recent.m_paths.size() < most)
            recent.m_paths << path;
    }
    return recent;
}

void RecentFiles::save() const
{
    QVariantList entries;
    for (const QString &path : m_paths) {
        const QByteArray bytes = disk::nameToBytes(path);
        entries << (QUtf8StringView(bytes).isValidUtf8() ? QVariant(path) : QVariant(bytes));
    }
    store()->setValue(QStringLiteral("files/recent"), entries);
}

void RecentFiles::add(const QString &path)
{
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > most)
        m_paths.removeLast();
}

void RecentFiles::remove(const QString &path)
{
    m_paths.removeAll(path);
}

} // namespace settings
