#include "document/settings.h"

#include "document/file_access.h"

#include <QSettings>
#include <QStandardPaths>
#include <QUtf8StringView>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>

namespace settings {
namespace {

// What the refused file would have held, and the last refusal: shared by
// every Stored, on any thread.
struct Refused {
    std::mutex lock;
    QVariantMap values;
    IoResult reason;
};

Refused &refused()
{
    static Refused shared;
    return shared;
}

} // namespace

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/scrivlet/scrivlet.conf");
}

Stored::Stored()
{
    const QString path = filePath();
    // Read only to be looked at: QSettings reads it again, a file by then
    // known to be one.
    const disk::Read read = disk::readFile(path, largestFile);
    IoResult reason = read.error;
    if (reason && reason->trouble == IoError::Trouble::System && reason->code == ENOENT)
        reason.reset();  // none yet: the first value set makes it
    if (reason)
        reason->path = path;
    else
        m_file = std::make_unique<QSettings>(path, QSettings::IniFormat);
    const std::lock_guard held(refused().lock);
    refused().reason = reason;
    // Readable again: from now on the file holds what is set.
    if (!reason)
        refused().values.clear();
}

Stored::~Stored() = default;

QVariant Stored::value(const QString &key, const QVariant &fallback) const
{
    if (m_file)
        return m_file->value(key, fallback);
    const std::lock_guard held(refused().lock);
    return refused().values.value(key, fallback);
}

void Stored::setValue(const QString &key, const QVariant &value)
{
    if (m_file) {
        m_file->setValue(key, value);
        return;
    }
    const std::lock_guard held(refused().lock);
    refused().values.insert(key, value);
}

IoResult refusal()
{
    const std::lock_guard held(refused().lock);
    return refused().reason;
}

View loadView()
{
    const Stored stored;
    View view;
    view.wrap = stored.value(QStringLiteral("view/wrap"), view.wrap).toBool();
    view.lineNumbers = stored.value(QStringLiteral("view/lineNumbers"), view.lineNumbers).toBool();
    view.blanks = stored.value(QStringLiteral("view/blanks"), view.blanks).toBool();
    view.fontSize = std::clamp(stored.value(QStringLiteral("view/fontSize"), view.fontSize).toInt(), smallestFont,
                               largestFont);
    return view;
}

void saveView(const View &view)
{
    Stored stored;
    stored.setValue(QStringLiteral("view/wrap"), view.wrap);
    stored.setValue(QStringLiteral("view/lineNumbers"), view.lineNumbers);
    stored.setValue(QStringLiteral("view/fontSize"), view.fontSize);
    stored.setValue(QStringLiteral("view/blanks"), view.blanks);
}

int panelHeight(const QString &panel)
{
    return std::max(Stored().value(QStringLiteral("panels/") + panel, 0).toInt(), 0);
}

void savePanelHeight(const QString &panel, int height)
{
    Stored().setValue(QStringLiteral("panels/") + panel, height);
}

// A name is kept as text when its bytes are UTF-8, so that the file stays
// readable, and as its bytes otherwise, which text in the file would turn
// into other bytes.
RecentFiles RecentFiles::load()
{
    const QVariant stored = Stored().value(QStringLiteral("files/recent"));
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
    Stored().setValue(QStringLiteral("files/recent"), entries);
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
