#include "search/line_number.h"

#include <algorithm>

namespace search {

std::optional<int> lineNumber(QStringView typed, int lineCount)
{
    const QStringView digits = typed.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    qint64 number = 0;
    for (const QChar c : digits) {
        const char16_t unit = c.unicode();
        int digit = 0;
        if (unit >= u'0' && unit <= u'9')
            digit = unit - u'0';
        else if (unit >= u'０' && unit <= u'９')
            digit = unit - u'０';
        else
            return std::nullopt;
        // Past the last line it stays past, however many digits follow: the
        // number never grows beyond what a qint64 holds.
        number = std::min<qint64>(number * 10 + digit, qint64(lineCount) + 1);
    }
    if (number < 1 || number > lineCount)
        return std::nullopt;
    return int(number);
}

} // namespace search
