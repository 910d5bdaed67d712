#include "versions/comparison.h"

#include <algorithm>

namespace versions {
namespace {

// Two lines of a stretch of differences that share this much or more are
// one line changed, not one replaced by another.
constexpr double alike = 0.5;
// A stretch of differences with more lines than this on both sides is a
// rewrite: its lines are not paired.
constexpr qsizetype mostPairs = 2000;

// Where each line of a script text begins, after the first: a CR found
// at the speed of a search for one character, then its LF.
template <typename Found>
void eachLineBreak(QStringView text, Found found)
{
    for (qsizetype at = text.indexOf(u'\r'); at >= 0; at = text.indexOf(u'\r', at + 1))
        if (at + 1 < text.size() && text[at + 1] == u'\n')
            found(at + 2);
}

std::vector<quint64> hashesOf(const Lines &lines)
{
    std::vector<quint64> hashes(std::size_t(lines.count()));
    for (qsizetype i = 0; i < lines.count(); ++i)
        hashes[std::size_t(i)] = qHash(lines.line(i), 0x5C1B);
    return hashes;
}

// Each line of both texts by its text, so that equal lines are equal
// elements: the lines' hashes, and only if two lines that differ share one,
// numbers given to each distinct line.
std::vector<Match> matchLines(const Lines &a, const Lines &b)
{
    std::vector<Match> matches = matchSequences(hashesOf(a), hashesOf(b));
    const bool exact = std::all_of(matches.begin(), matches.end(), [&](const Match &m) {
        for (qsizetype i = 0; i < m.length; ++i)
            if (a.line(m.a + i) != b.line(m.b + i))
                return false;
        return true;
    });
    if (exact)
        return matches;
    QHash<QStringView, quint64> ids;
    ids.reserve(a.count() + b.count());
    const auto elements = [&ids](const Lines &lines) {
        std::vector<quint64> out;
        out.reserve(std::size_t(lines.count()));
        for (qsizetype i = 0; i < lines.count(); ++i)
            out.push_back(elementOf(ids, lines.line(i)));
        return out;
    };
    const std::vector<quint64> first = elements(a);
    return matchSequences(first, elements(b));
}

class Builder
{
public:
    Builder(Comparison &comparison, int context) : m_c(comparison), m_context(context) {}

    // Lines a[a0, a0 + length) and b[b0, b0 + length) are the same; `before`
    // and `after` say whether differences stand on either side.
    void same(qsizetype a0, qsizetype b0, qsizetype length, bool before, bool after)
    {
        const qsizetype head = before ? std::min<qsizetype>(m_context, length) : 0;
        const qsizetype tail = after ? std::min<qsizetype>(m_context, length - head) : 0;
        for (qsizetype i = 0; i < head; ++i)
            push({Row::Kind::Same, qint32(a0 + i), qint32(b0 + i)});
        if (const qsizetype hidden = length - head - tail; hidden > 0)
            push({Row::Kind::Skipped, qint32(a0 + head), qint32(b0 + head), qint32(hidden)});
        for (qsizetype i = length - tail; i < length; ++i)
            push({Row::Kind::Same, qint32(a0 + i), qint32(b0 + i)});
    }

    void differ(qsizetype a0, qsizetype a1, qsizetype b0, qsizetype b1)
    {
        std::vector<Row> &rows = m_c.rows;
        m_c.differences.push_back(qsizetype(rows.size()));
        const qsizetype removedRow = qsizetype(rows.size());
        for (qsizetype i = a0; i < a1; ++i)
            push({Row::Kind::Removed, qint32(i), -1});
        const qsizetype addedRow = qsizetype(rows.size());
        for (qsizetype j = b0; j < b1; ++j)
            push({Row::Kind::Added, -1, qint32(j)});
        m_c.removed += a1 - a0;
        m_c.added += b1 - b0;
        const qsizetype pairs = std::min(a1 - a0, b1 - b0);
        if (pairs > mostPairs)
            return;
        for (qsizetype i = 0; i < pairs; ++i) {
            const LineChange change = compareLine(m_c.a.line(a0 + i), m_c.b.line(b0 + i));
            if (change.likeness < alike)
                continue;
            Row &removed = rows[std::size_t(removedRow + i)];
            Row &added = rows[std::size_t(addedRow + i)];
            removed.partner = qint32(addedRow + i);
            added.partner = qint32(removedRow + i);
            mark(removed, change.a);
            mark(added, change.b);
            ++m_c.changed;
        }
    }

private:
    void push(Row row) { m_c.rows.push_back(row); }

    void mark(Row &row, const std::vector<Span> &spans)
    {
        row.firstSpan = qint32(m_c.spans.size());
        row.spanCount = qint32(spans.size());
        m_c.spans.insert(m_c.spans.end(), spans.begin(), spans.end());
    }

    Comparison &m_c;
    int m_context;
};

} // namespace

Lines::Lines(QString text) : m_text(std::move(text))
{
    m_starts.reserve(std::size_t(m_text.size() / 32));
    m_starts.push_back(0);
    eachLineBreak(m_text, [this](qsizetype start) { m_starts.push_back(start); });
}

qsizetype Lines::start(qsizetype index) const
{
    return index < count() ? m_starts[std::size_t(index)] : m_text.size() + 2;
}

QStringView Lines::line(qsizetype index) const
{
    const qsizetype from = start(index);
    return QStringView(m_text).sliced(from, start(index + 1) - 2 - from);
}

Comparison compare(QString a, QString b, int context)
{
    Comparison c;
    c.a = Lines(std::move(a));
    c.b = Lines(std::move(b));
    Builder builder(c, context);
    qsizetype doneA = 0, doneB = 0;
    for (const Match &match : matchLines(c.a, c.b)) {
        if (match.a > doneA || match.b > doneB)
            builder.differ(doneA, match.a, doneB, match.b);
        doneA = match.a + match.length;
        doneB = match.b + match.length;
        const bool after = doneA < c.a.count() || doneB < c.b.count();
        builder.same(match.a, match.b, match.length, !c.differences.empty(), after);
    }
    return c;
}

QString takeOver(const Comparison &comparison, std::span<const qsizetype> rows)
{
    const std::vector<Row> &all = comparison.rows;
    std::vector<bool> chosen(all.size(), false);
    for (const qsizetype row : rows) {
        chosen[std::size_t(row)] = true;
        if (const qint32 partner = all[std::size_t(row)].partner; partner >= 0)
            chosen[std::size_t(partner)] = true;
    }
    QStringList lines;
    lines.reserve(comparison.b.count() + comparison.removed);
    for (std::size_t r = 0; r < all.size();) {
        const Row &row = all[r];
        if (row.kind == Row::Kind::Same || row.kind == Row::Kind::Skipped) {
            for (qint32 i = 0; i < row.count; ++i)
                lines << comparison.b.line(row.b + i).toString();
            ++r;
            continue;
        }
        // A stretch of differences: a's lines, then b's; the i-th of each
        // side stand in the same place.
        std::size_t removed = r;
        while (removed < all.size() && all[removed].kind == Row::Kind::Removed)
            ++removed;
        std::size_t added = removed;
        while (added < all.size() && all[added].kind == Row::Kind::Added)
            ++added;
        const std::size_t fromA = removed - r;
        const std::size_t fromB = added - removed;
        for (std::size_t i = 0; i < std::max(fromA, fromB); ++i) {
            const std::size_t rowA = r + i;
            const std::size_t rowB = removed + i;
            if (i < fromA && chosen[rowA])
                lines << comparison.a.line(all[rowA].a).toString();
            if (i < fromB && !chosen[rowB])
                lines << comparison.b.line(all[rowB].b).toString();
        }
        r = added;
    }
    return lines.join(u"\r\n");
}

std::vector<quint64> lineHashes(const QString &text)
{
    return hashesOf(Lines(text));
}

LineCounts countChanges(std::span<const quint64> from, std::span<const quint64> to)
{
    qsizetype shared = 0;
    for (const Match &match : matchSequences(from, to))
        shared += match.length;
    return {qsizetype(to.size()) - shared, qsizetype(from.size()) - shared};
}

Splice splice(QStringView from, QStringView to)
{
    qsizetype head = 0;
    while (head < from.size() && head < to.size() && from[head] == to[head])
        ++head;
    while (head > 0 && (from[head - 1].isHighSurrogate() || from[head - 1] == u'\r'))
        --head;
    qsizetype tail = 0;
    while (tail < from.size() - head && tail < to.size() - head &&
           from[from.size() - 1 - tail] == to[to.size() - 1 - tail])
        ++tail;
    while (tail > 0 && (from[from.size() - tail].isLowSurrogate() || from[from.size() - tail] == u'\n'))
        --tail;
    return {head, from.size() - head - tail, to.sliced(head, to.size() - head - tail).toString()};
}

} // namespace versions
