#include "document/settings.h"

#include <QSettings>
#include <QStandardPaths>

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
}

RecentFiles RecentFiles::load()
{
    RecentFiles recent;
    for (const QString &path : store()->value(QStringLiteral("files/recent")).toStringList())
        if (!path.isEmpty() && !recent.m_paths.contains(path) && recent.m_paths.size() < most)
            recent.m_paths << path;
    return recent;
}

void RecentFiles::save() const
{
    store()->setValue(QStringLiteral("files/recent"), m_paths);
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
