// A version of the script against another text (the script as it is now,
// or another version), as the rows the comparison shows: lines both
// have, lines only the version has (gone since), lines only the other has
// (added since), and, in a line that was changed, the clusters that
// differ. Script texts: CR LF ends a line, a lone LF stays inside its
// line. Qt Core only; made on a worker, read on the interface thread.
#pragma once

#include "versions/diff.h"

#include <QString>

#include <span>
#include <vector>

namespace versions {

// A script text and where each of its lines begins. The empty text is one
// empty line.
class Lines
{
public:
    Lines() : Lines(QString()) {}
    explicit Lines(QString text);

    const QString &text() const { return m_text; }
    qsizetype count() const { return qsizetype(m_starts.size()); }
    QStringView line(qsizetype index) const;
    // The offset of a line's first character; count() gives the text's end
    // plus a line break, where a line after the last would begin.
    qsizetype start(qsizetype index) const;

private:
    QString m_text;
    std::vector<qsizetype> m_starts;
};

struct Row {
    enum class Kind : quint8 {
        Same,     // a line both have
        Removed,  // a line of a only: gone since
        Added,    // a line of b only: added since
        Skipped,  // `count` lines both have, not shown
    };
    Kind kind = Kind::Same;
    qint32 a = -1;  // the line in a (Same, Removed, Skipped), from 0
    qint32 b = -1;  // the line in b (Same, Added, Skipped)
    qint32 count = 1;
    // For a line changed rather than replaced: the row of its other
    // version, and its differing clusters in Comparison::spans.
    qint32 partner = -1;
    qint32 firstSpan = 0;
    qint32 spanCount = 0;
};

struct Comparison {
    Lines a;
    Lines b;
    std::vector<Row> rows;
    std::vector<Span> spans;
    // The first row of each stretch of differences, in order.
    std::vector<qsizetype> differences;
    qsizetype added = 0;    // lines only b has
    qsizetype removed = 0;  // lines only a has
    qsizetype changed = 0;  // of those, the lines changed rather than replaced (counted once)

    std::span<const Span> spansOf(const Row &row) const
    {
        return std::span<const Span>(spans).subspan(std::size_t(row.firstSpan), std::size_t(row.spanCount));
    }
    QStringView text(const Row &row) const { return row.kind == Row::Kind::Added ? b.line(row.b) : a.line(row.a); }
};

// The rows of `a` against `b`. Lines both have are shown `context` at a
// time around each difference; a longer stretch of them is one Skipped
// row. A stretch of differences shows the lines of a, then those of b; a
// line of each that are alike enough (half of them shared, or more) count
// as one changed line and are paired, in order.
Comparison compare(QString a, QString b, int context = 3);

// The text of b with the lines of the chosen rows taken from a: a line
// only a has comes back, one only b has goes, and a changed line (either
// of its rows chosen) is a's again. Rows of lines both have change nothing.
QString takeOver(const Comparison &comparison, std::span<const qsizetype> rows);

// How many lines one text has that the other has not, from the lines'
// hashes (lineHashes()): cheap to keep, and enough to count by.
struct LineCounts {
    qsizetype added = 0;
    qsizetype removed = 0;
};
std::vector<quint64> lineHashes(const QString &text);
LineCounts countChanges(std::span<const quint64> from, std::span<const quint64> to);

// The least replacement that turns `from` into `to`: `length` characters
// at `start` become `text`. It never begins or ends inside a CR LF or a
// surrogate pair; nothing to replace gives an empty text of length 0.
struct Splice {
    qsizetype start = 0;
    qsizetype length = 0;
    QString text;
};
Splice splice(QStringView from, QStringView to);

} // namespace versions
