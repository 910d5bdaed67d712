#include "app/button_captions.h"

#include <algorithm>
#include <optional>

namespace captions {

constexpr QChar mark = u'|';

QString plain(QStringView marked)
{
    return marked.toString().remove(mark);
}

Fit fit(QStringView marked, QSize box, int lineHeight, const std::function<int(QStringView)> &width)
{
    const QString whole = plain(marked);
    Fit oneLine{{whole}, width(whole)};
    if (oneLine.width <= box.width() || 2 * lineHeight > box.height())
        return oneLine;
    std::optional<Fit> best;
    for (qsizetype at = marked.indexOf(mark); at >= 0; at = marked.indexOf(mark, at + 1)) {
        const QString first = plain(marked.first(at));
        const QString second = plain(marked.sliced(at + 1));
        const int wider = std::max(width(first), width(second));
        if (!best || wider < best->width)
            best = Fit{{first, second}, wider};
    }
    return best && best->width < oneLine.width ? *best : oneLine;
}

} // namespace captions
