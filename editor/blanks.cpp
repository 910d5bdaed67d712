#include "editor/blanks.h"

#include "document/line_breaks.h"

#include <optional>

namespace blanks {
namespace {

std::optional<Mark> markOf(char16_t c)
{
    if (c == 0x3000)
        return Mark::FullWidthSpace;
    if (c == u'\t')
        return Mark::Tab;
    if (c == scriptdoc::loneLineFeed)
        return Mark::LoneLineFeed;
    const bool letter = (c >= u'Ａ' && c <= u'Ｚ') || (c >= u'ａ' && c <= u'ｚ') || (c >= u'０' && c <= u'９');
    if (letter)
        return Mark::FullWidthLetter;
    return std::nullopt;
}

} // namespace

std::vector<Marked> marksIn(QStringView text)
{
    std::vector<Marked> marks;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<Mark> mark = markOf(text[i].unicode());
        if (!mark)
            continue;
        // Letters side by side are one shaded run; each blank is its own.
        if (*mark == Mark::FullWidthLetter && !marks.empty() && marks.back().mark == Mark::FullWidthLetter &&
            marks.back().at + marks.back().length == i)
            ++marks.back().length;
        else
            marks.push_back({i, 1, *mark});
    }
    return marks;
}

} // namespace blanks
