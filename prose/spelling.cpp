#include "prose/spelling.h"

#include <algorithm>

namespace prose {
namespace {

bool isHiragana(char16_t c) { return c >= 0x3041 && c <= 0x3096; }
bool isKatakana(char16_t c) { return (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC; }

qsizetype commonPrefix(QStringView a, QStringView b)
{
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

bool allKana(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isKana);
}

} // namespace

QString toKatakana(QStringView text)
{
    QString out = text.toString();
    for (QChar &c : out)
        if (isHiragana(c.unicode()))
            c = QChar(char16_t(c.unicode() + 0x60));
    return out;
}

bool isKana(QChar c)
{
    return isHiragana(c.unicode()) || isKatakana(c.unicode());
}

QString kanjiOf(QStringView spelling)
{
    QString out;
    for (QChar c : spelling)
        if (!isKana(c))
            out.append(c);
    return out;
}

bool inOrder(QStringView part, QStringView whole)
{
    qsizetype at = 0;
    for (QChar c : part) {
        at = whole.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

std::optional<QString> baseReading(QStringView surface, QStringView reading, QStringView base)
{
    if (surface == base)
        return reading.toString();
    // The surface and the base share a stem and end in kana, each read as
    // it is written.
    const qsizetype stem = commonPrefix(surface, base);
    const QStringView surfaceEnd = surface.sliced(stem);
    const QStringView baseEnd = base.sliced(stem);
    if (stem == 0 || !allKana(surfaceEnd) || !allKana(baseEnd) || reading.size() < surfaceEnd.size())
        return std::nullopt;
    return reading.first(reading.size() - surfaceEnd.size()).toString() + toKatakana(baseEnd);
}

QString sharedReading(QStringView base, QStringView reading)
{
    const bool katakanaWord =
        std::all_of(base.begin(), base.end(), [](QChar c) { return isKatakana(c.unicode()); });
    if (katakanaWord && reading.size() > 3 && reading.endsWith(u'ー'))
        return reading.chopped(1).toString();
    return reading.toString();
}

std::optional<QString> respell(QStringView surface, QStringView reading, QStringView base, QStringView otherBase)
{
    const qsizetype stem = commonPrefix(surface, base);
    const QStringView baseEnd = base.sliced(stem);
    if (!otherBase.endsWith(baseEnd))
        return std::nullopt;
    QString written = otherBase.chopped(baseEnd.size()).toString();
    written.append(surface.sliced(stem));
    // In kana a word says how it is read: it must read as the surface did.
    if (allKana(written) && surface != base && toKatakana(written) != reading)
        return std::nullopt;
    return written;
}

std::vector<std::vector<std::size_t>> sameWord(const std::vector<QString> &spellings)
{
    std::vector<QString> kanji;
    for (const QString &s : spellings)
        kanji.push_back(kanjiOf(s));
    // The kanji of the spellings that no other spelling's kanji hold.
    std::vector<QString> widest;
    for (const QString &k : kanji) {
        if (k.isEmpty() || std::find(widest.begin(), widest.end(), k) != widest.end())
            continue;
        const bool held = std::any_of(kanji.begin(), kanji.end(),
                                      [&k](const QString &other) { return other != k && inOrder(k, other); });
        if (!held)
            widest.push_back(k);
    }
    std::vector<std::vector<std::size_t>> groups;
    if (widest.size() <= 1) {
        groups.emplace_back();
        for (std::size_t i = 0; i < spellings.size(); ++i)
            groups.back().push_back(i);
    } else {
        for (const QString &w : widest) {
            std::vector<std::size_t> group;
            for (std::size_t i = 0; i < spellings.size(); ++i) {
                const QString &k = kanji[i];
                const auto holds = [&k](const QString &other) { return inOrder(k, other); };
                if (!k.isEmpty() && inOrder(k, w) && std::count_if(widest.begin(), widest.end(), holds) == 1)
                    group.push_back(i);
            }
            groups.push_back(std::move(group));
        }
    }
    std::erase_if(groups, [](const std::vector<std::size_t> &group) { return group.size() < 2; });
    return groups;
}

} // namespace prose
