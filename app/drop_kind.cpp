#include "app/drop_kind.h"

#include "document/file_access.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace drop {

Kind classify(const QMimeData &data)
{
    if (!data.hasUrls())
        return {};
    const QList<QUrl> urls = data.urls();
    const bool allLocal = std::all_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
    if (!allLocal || urls.isEmpty())
        return {};
    if (urls.size() > 1)
        return {Kind::Refuse, {}};
    // The path's bytes as they are: a file's name need not be UTF-8.
    const QByteArray path = QByteArray::fromPercentEncoding(urls.front().path(QUrl::FullyEncoded).toLatin1());
    return {Kind::OpenFile, disk::nameFromBytes(path)};
}

} // namespace drop
