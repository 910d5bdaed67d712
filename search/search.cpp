#include "search/search.h"

#include <QElapsedTimer>

#include <algorithm>
#include <array>

namespace search {

namespace {

// No character has more than four case forms (θ Θ ϑ ϴ); room for twice that.
constexpr std::size_t maxFirsts = 8;

// A script line ends at CR LF; the script holds no other CR.
constexpr qsizetype breakLength = 2;

// The start of the line holding offset `at` (a CR LF belongs to the line
// it ends).
qsizetype lineStartOf(QStringView text, qsizetype at)
{
    if (at <= 0)
        return 0;
    // The LF of a CR LF stands where the CR does.
    if (at < text.size() && text[at] == u'\n' && text[at - 1] == u'\r')
        --at;
    const qsizetype cr = at > 0 ? text.lastIndexOf(u'\r', at - 1) : -1;
    return cr < 0 ? 0 : cr + breakLength;
}

qsizetype lineEndFrom(QStringView text, qsizetype lineStart)
{
    const qsizetype end = text.indexOf(u'\r', lineStart);
    return end < 0 ? text.size() : end;
}

// Whether a match may start at `at`: not on the LF of a CR LF, which a
// search text that starts with a lone LF would find.
bool startsInLine(QStringView text, qsizetype at)
{
    return !(text[at] == u'\n' && at > 0 && text[at - 1] == u'\r');
}

// \1 … \9 and \0 from the match, \\ as one backslash, anything else as written.
QString expand(const QString &with, const QRegularExpressionMatch &match)
{
    QString out;
    out.reserve(with.size());
    for (qsizetype i = 0; i < with.size(); ++i) {
        const QChar c = with[i];
        const QChar next = i + 1 < with.size() ? with[i + 1] : QChar();
        if (c == u'\\' && next >= u'0' && next <= u'9') {
            out += match.capturedView(next.unicode() - u'0');
            ++i;
        } else if (c == u'\\' && next == u'\\') {
            out += c;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

Pattern::Pattern(const QString &text, Options options)
    : m_text(text)
    , m_options(options)
{
    if (options.regularExpression) {
        QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
        if (!options.caseSensitive)
            flags |= QRegularExpression::CaseInsensitiveOption;
        m_regex = QRegularExpression(text, flags);
        if (!m_regex.isValid())
            m_error = PatternError{m_regex.errorString(), m_regex.patternErrorOffset()};
        else
            m_regex.optimize();
        return;
    }
    // A text holding a line break could only match across lines, so it
    // finds nothing; a lone LF stands inside its line.
    if (text.contains(u'\r'))
        return;
    m_needle = text;
    if (!options.caseSensitive && !m_needle.isEmpty()) {
        const QChar first = m_needle.front();
        if (first.isSurrogate()) {
            m_firsts.push_back(first.unicode());
            return;
        }
        const char32_t folded = QChar::toCaseFolded(first.unicode());
        for (char32_t c = 0; c < 0x10000; ++c)
            if (!QChar::isSurrogate(c) && QChar::toCaseFolded(c) == folded && m_firsts.size() < maxFirsts)
                m_firsts.push_back(char16_t(c));
    }
}

qsizetype Pattern::plainIndex(QStringView text, qsizetype from) const
{
    if (m_needle.isEmpty())
        return -1;
    if (m_options.caseSensitive) {
        qsizetype at = text.indexOf(m_needle, from);
        while (at >= 0 && !startsInLine(text, at))
            at = text.indexOf(m_needle, at + 1);
        return at;
    }
    // Qt's own case-blind search folds every character of the text; most
    // characters of a script cannot start a match, so look only where one can.
    const qsizetype n = m_needle.size();
    // Few forms of the first character (one for most of Japanese, two for
    // a Latin letter): Qt's fast search for one character finds the next
    // place of each form, and the nearest is compared.
    const std::size_t forms = m_firsts.size();
    std::array<qsizetype, maxFirsts> next{};
    for (std::size_t k = 0; k < forms; ++k)
        next[k] = text.indexOf(QChar(m_firsts[k]), std::max<qsizetype>(from, 0));
    for (;;) {
        std::size_t nearest = forms;
        for (std::size_t k = 0; k < forms; ++k)
            if (next[k] >= 0 && (nearest == forms || next[k] < next[nearest]))
                nearest = k;
        if (nearest == forms || next[nearest] + n > text.size())
            return -1;
        const qsizetype i = next[nearest];
        if (text.sliced(i, n).compare(m_needle, Qt::CaseInsensitive) == 0 && startsInLine(text, i))
            return i;
        next[nearest] = text.indexOf(QChar(m_firsts[nearest]), i + 1);
    }
}

template <typename Visit>
void Pattern::eachLineMatch(QStringView line, qsizetype offset, Visit visit, Budget *budget) const
{
    // The expression sees the line whole, a lone LF as the LF it is.
    qsizetype at = offset;
    while (at <= line.size()) {
        // Never start between the halves of a surrogate pair.
        if (at > 0 && at < line.size() && line[at].isLowSurrogate() && line[at - 1].isHighSurrogate())
            ++at;
        QElapsedTimer clock;
        clock.start();
        const QRegularExpressionMatch match = m_regex.match(line, at);
        if (budget && clock.elapsed() > Budget::tooSlowMs) {
            budget->tooComplex = true;
            return;
        }
        if (!match.hasMatch())
            return;
        if (!visit(match.capturedStart(), match.capturedLength(), match))
            return;
        at = match.capturedLength() > 0 ? match.capturedEnd() : match.capturedEnd() + 1;
    }
}

std::vector<Match> Pattern::lineMatches(QStringView line, qsizetype lineStart, Budget *budget, qsizetype from) const
{
    std::vector<Match> matches;
    if (!usable())
        return matches;
    if (m_options.regularExpression) {
        eachLineMatch(
            line, from,
            [&](qsizetype start, qsizetype length, const QRegularExpressionMatch &) {
                matches.push_back({lineStart + start, length});
                return true;
            },
            budget);
        return matches;
    }
    for (qsizetype at = plainIndex(line, from); at >= 0; at = plainIndex(line, at + m_needle.size()))
        matches.push_back({lineStart + at, m_needle.size()});
    return matches;
}

Match Pattern::next(QStringView text, qsizetype from, qsizetype until, Budget *budget) const
{
    from = std::max<qsizetype>(from, 0);
    // One on from an empty match at a line's end is inside its CR LF: the
    // search goes on from the next line.
    if (from > 0 && from < text.size() && text[from - 1] == u'\r')
        ++from;
    const qsizetype limit = until < 0 ? text.size() + 1 : std::min(until, text.size() + 1);
    if (!usable() || from >= limit)
        return {};
    if (!m_options.regularExpression) {
        const qsizetype n = m_needle.size();
        const qsizetype at = plainIndex(text.first(std::min(text.size(), limit - 1 + n)), from);
        return at >= 0 ? Match{at, n} : Match{};
    }
    qsizetype lineStart = lineStartOf(text, from);
    qsizetype offset = from - lineStart;
    const qsizetype first = lineStart;
    while (lineStart < limit) {
        if (budget && lineStart > first && budget->deadline.hasExpired()) {
            budget->stoppedAt = lineStart;
            return {};
        }
        const qsizetype lineEnd = lineEndFrom(text, lineStart);
        Match found;
        eachLineMatch(
            text.sliced(lineStart, lineEnd - lineStart), offset,
            [&](qsizetype start, qsizetype length, const QRegularExpressionMatch &) {
                found = {lineStart + start, length};
                return false;
            },
            budget);
        if (budget && budget->tooComplex)
            return {};
        if (found.found())
            return found.start < limit ? found : Match{};
        if (lineEnd == text.size())
            break;
        lineStart = lineEnd + breakLength;
        offset = 0;
    }
    return {};
}

Match Pattern::previous(QStringView text, qsizetype before, Budget *budget) const
{
    before = std::min(before, text.size() + 1);
    if (!usable() || before <= 0)
        return {};
    qsizetype lineStart = lineStartOf(text, before - 1);
    for (bool firstLine = true;; firstLine = false) {
        const qsizetype lineEnd = lineEndFrom(text, lineStart);
        if (budget && !firstLine && budget->deadline.hasExpired()) {
            budget->stoppedAt = lineEnd + breakLength;
            return {};
        }
        const std::vector<Match> matches = lineMatches(text.sliced(lineStart, lineEnd - lineStart), lineStart, budget);
        if (budget && budget->tooComplex)
            return {};
        const auto after = std::partition_point(matches.begin(), matches.end(),
                                                [&](const Match &m) { return m.start < before; });
        if (after != matches.begin())
            return *std::prev(after);
        if (lineStart == 0)
            return {};
        lineStart = lineStartOf(text, lineStart - breakLength);
    }
}

QString Pattern::replacement(QStringView text, Match match, const QString &with) const
{
    if (!m_options.regularExpression)
        return with;
    const qsizetype lineStart = lineStartOf(text, match.start);
    const qsizetype lineEnd = lineEndFrom(text, lineStart);
    QString out = with;
    eachLineMatch(text.sliced(lineStart, lineEnd - lineStart), match.start - lineStart,
                  [&](qsizetype start, qsizetype, const QRegularExpressionMatch &m) {
                      if (lineStart + start == match.start)
                          out = expand(with, m);
                      return false;
                  });
    return out;
}

std::vector<Edit> Pattern::replaceAll(QStringView text, const QString &with) const
{
    std::vector<Edit> edits;
    replaceAll(text, with, edits);
    return edits;
}

void Pattern::replaceAll(QStringView text, const QString &with, std::vector<Edit> &edits, qsizetype from,
                         Budget *budget) const
{
    if (!usable())
        return;
    for (qsizetype lineStart = from;;) {
        if (budget && lineStart > from && budget->deadline.hasExpired()) {
            budget->stoppedAt = lineStart;
            return;
        }
        const qsizetype lineEnd = lineEndFrom(text, lineStart);
        const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
        if (m_options.regularExpression) {
            eachLineMatch(
                line, 0,
                [&](qsizetype start, qsizetype length, const QRegularExpressionMatch &m) {
                    edits.push_back({lineStart + start, length, expand(with, m)});
                    return true;
                },
                budget);
            if (budget && budget->tooComplex)
                return;
        } else {
            for (const Match &m : lineMatches(line, lineStart))
                edits.push_back({m.start, m.length, with});
        }
        if (lineEnd == text.size())
            return;
        lineStart = lineEnd + breakLength;
    }
}

Counter::Counter(Pattern pattern, qsizetype textSize, std::size_t kept)
    : m_pattern(std::move(pattern))
    , m_textSize(textSize)
    , m_from(m_pattern.usable() ? 0 : textSize + 1)
    , m_kept(kept)
{
}

bool Counter::step(QStringView text, QDeadlineTimer deadline)
{
    // A slice is small enough to finish well within a frame even when
    // nothing in it matches.
    constexpr qsizetype slice = 1 << 18;
    Budget budget{deadline};
    while (!done()) {
        const qsizetype until = std::min(m_from + slice, m_textSize + 1);
        for (Match m = m_pattern.next(text, m_from, until, &budget); m.found();
             m = m_pattern.next(text, m_from, until, &budget)) {
            if (m_starts.size() < m_kept)
                m_starts.push_back(m.start);
            ++m_count;
            m_from = m.after();
            // An expression matching (almost) everywhere fills a slice fast.
            if (m_count % 4096 == 0 && deadline.hasExpired())
                return false;
        }
        if (budget.tooComplex) {
            m_tooComplex = true;
            return true;
        }
        if (budget.stoppedAt >= 0) {
            m_from = budget.stoppedAt;
            return false;
        }
        m_from = std::max(m_from, until);
        if (!done() && deadline.hasExpired())
            return false;
    }
    return true;
}

qsizetype Counter::ordinal(qsizetype start) const
{
    const auto at = std::lower_bound(m_starts.begin(), m_starts.end(), start);
    return at != m_starts.end() && *at == start ? qsizetype(at - m_starts.begin()) + 1 : 0;
}

} // namespace search
