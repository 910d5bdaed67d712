#include "versions/diff.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <unordered_map>

namespace versions {
namespace {

using Sequence = std::span<const quint64>;

// A part longer than this, in elements of both sides, is cut at its
// elements found once on each side before the fewest differences are
// looked for.
constexpr qsizetype longPart = 2000;
// How deep the cutting goes before the parts are left to the search.
constexpr int deepestCut = 48;
// Steps of the search for the fewest differences that one comparison may
// take (some tenths of a second); what is left after them counts as
// changed whole.
constexpr qint64 searchSteps = 150'000'000;

class Matcher
{
public:
    Matcher(Sequence a, Sequence b) : m_a(a), m_b(b) {}

    std::vector<Match> run()
    {
        part(0, qsizetype(m_a.size()), 0, qsizetype(m_b.size()), 0);
        m_matches.push_back({qsizetype(m_a.size()), qsizetype(m_b.size()), 0});
        return std::move(m_matches);
    }

private:
    void shared(qsizetype a, qsizetype b, qsizetype length)
    {
        if (length == 0)
            return;
        if (!m_matches.empty()) {
            Match &last = m_matches.back();
            if (last.a + last.length == a && last.b + last.length == b) {
                last.length += length;
                return;
            }
        }
        m_matches.push_back({a, b, length});
    }

    // The parts [a0, a1) and [b0, b1), whose matches are reported in order.
    void part(qsizetype a0, qsizetype a1, qsizetype b0, qsizetype b1, int depth)
    {
        qsizetype head = 0;
        while (a0 + head < a1 && b0 + head < b1 && m_a[a0 + head] == m_b[b0 + head])
            ++head;
        shared(a0, b0, head);
        a0 += head;
        b0 += head;
        qsizetype tail = 0;
        while (a1 - tail > a0 && b1 - tail > b0 && m_a[a1 - tail - 1] == m_b[b1 - tail - 1])
            ++tail;
        a1 -= tail;
        b1 -= tail;
        if (a0 < a1 && b0 < b1) {
            if (a1 - a0 == 1 || b1 - b0 == 1)
                single(a0, a1, b0, b1);
            else if ((a1 - a0) + (b1 - b0) <= longPart || depth >= deepestCut || !cut(a0, a1, b0, b1, depth))
                search(a0, a1, b0, b1, depth);
        }
        shared(a1, b1, tail);
    }

    // One side is one element: it is shared if the other side has it.
    void single(qsizetype a0, qsizetype a1, qsizetype b0, qsizetype b1)
    {
        if (a1 - a0 == 1) {
            const auto at = std::find(m_b.begin() + b0, m_b.begin() + b1, m_a[a0]);
            if (at != m_b.begin() + b1)
                shared(a0, at - m_b.begin(), 1);
        } else {
            const auto at = std::find(m_a.begin() + a0, m_a.begin() + a1, m_b[b0]);
            if (at != m_a.begin() + a1)
                shared(at - m_a.begin(), b0, 1);
        }
    }

    // Cuts a long part at the elements found once in each of its sides that
    // stand in the same order on both (the longest such run); false when
    // there are none.
    bool cut(qsizetype a0, qsizetype a1, qsizetype b0, qsizetype b1, int depth)
    {
        struct Seen {
            qsizetype inA = 0;
            qsizetype inB = 0;
            qsizetype atB = 0;
        };
        std::unordered_map<quint64, Seen> seen;
        seen.reserve(std::size_t(a1 - a0));
        for (qsizetype i = a0; i < a1; ++i)
            ++seen[m_a[i]].inA;
        for (qsizetype j = b0; j < b1; ++j)
            if (const auto found = seen.find(m_b[j]); found != seen.end()) {
                ++found->second.inB;
                found->second.atB = j;
            }
        // The pairs in the order of a; the longest run rising in b, by
        // patience sorting.
        std::vector<std::pair<qsizetype, qsizetype>> pairs;
        for (qsizetype i = a0; i < a1; ++i)
            if (const Seen &s = seen[m_a[i]]; s.inA == 1 && s.inB == 1)
                pairs.emplace_back(i, s.atB);
        if (pairs.empty())
            return false;
        std::vector<std::size_t> tops;  // per pile, the pair on top
        std::vector<std::ptrdiff_t> below(pairs.size(), -1);
        for (std::size_t p = 0; p < pairs.size(); ++p) {
            const auto pile = std::lower_bound(tops.begin(), tops.end(), pairs[p].second,
                                               [&](std::size_t top, qsizetype b) { return pairs[top].second < b; });
            if (pile != tops.begin())
                below[p] = std::ptrdiff_t(*(pile - 1));
            if (pile == tops.end())
                tops.push_back(p);
            else
                *pile = p;
        }
        std::vector<std::pair<qsizetype, qsizetype>> anchors;
        for (std::ptrdiff_t p = std::ptrdiff_t(tops.back()); p >= 0; p = below[std::size_t(p)])
            anchors.push_back(pairs[std::size_t(p)]);
        std::reverse(anchors.begin(), anchors.end());
        qsizetype a = a0;
        qsizetype b = b0;
        for (const auto &[x, y] : anchors) {
            part(a, x, b, y, depth + 1);
            shared(x, y, 1);
            a = x + 1;
            b = y + 1;
        }
        part(a, a1, b, b1, depth + 1);
        return true;
    }

    // The fewest differences, by Myers' search from both ends at once for
    // the middle of the shortest edit, which splits the part in two.
    void search(qsizetype a0, qsizetype a1, qsizetype b0, qsizetype b1, int depth)
    {
        const qsizetype n = a1 - a0;
        const qsizetype m = b1 - b0;
        const qsizetype most = (n + m + 1) / 2;
        const qsizetype offset = most + 1;
        const qsizetype size = 2 * most + 3;
        m_steps -= size;
        if (m_steps < 0)
            return;
        std::vector<qsizetype> forward(std::size_t(size), -1);
        std::vector<qsizetype> backward(std::size_t(size), -1);
        forward[std::size_t(offset + 1)] = 0;
        backward[std::size_t(offset + 1)] = 0;
        const qsizetype delta = n - m;
        const bool odd = delta % 2 != 0;
        qsizetype forwardStart = 0, forwardEnd = 0, backwardStart = 0, backwardEnd = 0;
        const auto at = [](std::vector<qsizetype> &v, qsizetype k) -> qsizetype & { return v[std::size_t(k)]; };
        // How far diagonal k reaches on the d-th step of one direction,
        // following the elements that `same` finds equal.
        const auto reach = [&](std::vector<qsizetype> &v, qsizetype k, qsizetype d, auto same) {
            const qsizetype ko = offset + k;
            qsizetype x = k == -d || (k != d && at(v, ko - 1) < at(v, ko + 1)) ? at(v, ko + 1) : at(v, ko - 1) + 1;
            const qsizetype from = x;
            while (x < n && x - k < m && same(x, x - k))
                ++x;
            m_steps -= 1 + x - from;
            return at(v, ko) = x;
        };
        for (qsizetype d = 0; d < most; ++d) {
            for (qsizetype k = -d + forwardStart; k <= d - forwardEnd; k += 2) {
                const qsizetype x = reach(forward, k, d, [&](qsizetype i, qsizetype j) {
                    return m_a[a0 + i] == m_b[b0 + j];
                });
                const qsizetype y = x - k;
                if (x > n) {
                    forwardEnd += 2;
                } else if (y > m) {
                    forwardStart += 2;
                } else if (odd) {
                    const qsizetype other = offset + delta - k;
                    if (other >= 0 && other < size && at(backward, other) != -1 && x >= n - at(backward, other)) {
                        split(a0, a1, b0, b1, x, y, depth);
                        return;
                    }
                }
            }
            for (qsizetype k = -d + backwardStart; k <= d - backwardEnd; k += 2) {
                const qsizetype x = reach(backward, k, d, [&](qsizetype i, qsizetype j) {
                    return m_a[a1 - 1 - i] == m_b[b1 - 1 - j];
                });
                if (x > n) {
                    backwardEnd += 2;
                } else if (x - k > m) {
                    backwardStart += 2;
                } else if (!odd) {
                    const qsizetype other = offset + delta - k;
                    if (other >= 0 && other < size && at(forward, other) != -1) {
                        const qsizetype fx = at(forward, other);
                        if (fx >= n - x) {
                            split(a0, a1, b0, b1, fx, fx - (other - offset), depth);
                            return;
                        }
                    }
                }
            }
            if (m_steps < 0)
                return;
        }
    }

    void split(qsizetype a0, qsizetype a1, qsizetype b0, qsizetype b1, qsizetype x, qsizetype y, int depth)
    {
        part(a0, a0 + x, b0, b0 + y, depth);
        part(a0 + x, a1, b0 + y, b1, depth);
    }

    Sequence m_a;
    Sequence m_b;
    std::vector<Match> m_matches;
    qint64 m_steps = searchSteps;
};

// Whether a grapheme cluster begins at `at` (the text's ends included),
// judged from the characters around it.
bool clusterStarts(QStringView text, qsizetype at)
{
    if (at <= 0 || at >= text.size())
        return true;
    const qsizetype from = std::max<qsizetype>(0, at - 32);
    const qsizetype to = std::min(text.size(), at + 4);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.sliced(from).data(), to - from);
    finder.setPosition(at - from);
    return finder.isAtBoundary();
}

// Where each cluster of a text begins, and its end.
std::vector<qsizetype> clusterStarts(QStringView text)
{
    std::vector<qsizetype> starts{0};
    if (text.isEmpty())
        return starts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    while (finder.toNextBoundary() > 0)
        starts.push_back(finder.position());
    return starts;
}

} // namespace

std::vector<Match> matchSequences(std::span<const quint64> a, std::span<const quint64> b)
{
    return Matcher(a, b).run();
}

LineChange compareLine(QStringView a, QStringView b)
{
    LineChange change;
    if (a == b)
        return change;
    // What both begin and end with is shared, up to where a cluster begins
    // in both.
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    while (head > 0 && !(clusterStarts(a, head) && clusterStarts(b, head)))
        --head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    while (tail > 0 && !(clusterStarts(a, a.size() - tail) && clusterStarts(b, b.size() - tail)))
        --tail;
    const QStringView middleA = a.sliced(head, a.size() - head - tail);
    const QStringView middleB = b.sliced(head, b.size() - head - tail);
    const std::vector<qsizetype> startsA = clusterStarts(middleA);
    const std::vector<qsizetype> startsB = clusterStarts(middleB);
    // Each cluster by its text, so that equal clusters are equal elements.
    QHash<QStringView, quint64> ids;
    const auto elements = [&ids](QStringView text, const std::vector<qsizetype> &starts) {
        std::vector<quint64> out;
        out.reserve(starts.size() - 1);
        for (std::size_t i = 0; i + 1 < starts.size(); ++i)
            out.push_back(elementOf(ids, text.sliced(starts[i], starts[i + 1] - starts[i])));
        return out;
    };
    const std::vector<quint64> clustersA = elements(middleA, startsA);
    const std::vector<quint64> clustersB = elements(middleB, startsB);
    qsizetype sharedUnits = head + tail;
    qsizetype doneA = 0, doneB = 0;  // in clusters
    const auto differs = [head](std::vector<Span> &spans, const std::vector<qsizetype> &starts, qsizetype from,
                                qsizetype to) {
        if (to > from)
            spans.push_back({head + starts[std::size_t(from)], starts[std::size_t(to)] - starts[std::size_t(from)]});
    };
    for (const Match &match : matchSequences(clustersA, clustersB)) {
        differs(change.a, startsA, doneA, match.a);
        differs(change.b, startsB, doneB, match.b);
        sharedUnits += startsA[std::size_t(match.a + match.length)] - startsA[std::size_t(match.a)];
        doneA = match.a + match.length;
        doneB = match.b + match.length;
    }
    change.likeness = double(2 * sharedUnits) / double(a.size() + b.size());
    return change;
}

} // namespace versions
