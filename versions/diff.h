// Telling two texts apart: which lines two versions share, and inside a
// changed line which characters differ. Characters are grapheme clusters
// (a kana with its voiced mark, a surrogate pair, a letter with a
// combining accent is one), since Japanese has no spaces to cut words at
// and a diff by words would mark whole lines. Qt Core only.
#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <span>
#include <vector>

namespace versions {

// A stretch two sequences share: `length` elements from `a` in the first
// and from `b` in the second.
struct Match {
    qsizetype a = 0;
    qsizetype b = 0;
    qsizetype length = 0;
    friend bool operator==(const Match &, const Match &) = default;
};

// The stretches two sequences share, in order, adjacent ones joined, and
// after them an empty one at the ends of both; whatever lies between two
// stretches differs. Where the differing part is small the fewest
// differences are found (Myers' algorithm); a long one is first cut at the
// elements found exactly once on each side (as patience diff does), and a
// part that would still take too long is taken as changed whole, so that
// no pair of texts takes long.
std::vector<Match> matchSequences(std::span<const quint64> a, std::span<const quint64> b);

// The number of `text` among `known`: the next free one for a text not
// seen before. Equal texts get equal numbers, to be compared as elements.
inline quint64 elementOf(QHash<QStringView, quint64> &known, QStringView text)
{
    if (const auto found = known.constFind(text); found != known.cend())
        return found.value();
    return known.insert(text, quint64(known.size())).value();
}

// A stretch of a line, in UTF-16 units.
struct Span {
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const Span &, const Span &) = default;
};

// Two versions of one line, cluster by cluster: the stretches of each that
// the other does not have (whole clusters, in order), and how much of the
// two lines is shared, from 0 (nothing) to 1 (the same line).
struct LineChange {
    std::vector<Span> a;
    std::vector<Span> b;
    double likeness = 1;
};
LineChange compareLine(QStringView a, QStringView b);

} // namespace versions
