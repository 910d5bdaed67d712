#include "app/drop_kind.h"

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
    return {Kind::OpenFile, urls.front().toLocalFile()};
}

} // namespace drop
