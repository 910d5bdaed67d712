// Finding and replacing in the script text (a TextReader's copy): lines
// separated by CR LF, a lone LF inside its line. Positions are script
// offsets.
//
// A match never crosses from one line into the next: a search text holding
// a line break finds nothing, and a regular expression is matched against
// one line at a time (it sees a lone LF as "\n", and ^ and $ stand at the
// line's start and end). Matches are found left to right and do not
// overlap; a regular expression's empty match counts, and the next search
// starts one character further on.
#pragma once

#include "document/script_document.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QString>

#include <optional>
#include <vector>

namespace search {

struct Options {
    bool caseSensitive = false;
    bool regularExpression = false;
};

struct Match {
    qsizetype start = -1;
    qsizetype length = 0;

    bool found() const { return start >= 0; }
    qsizetype end() const { return start + length; }
    // Where the search for the match after this one starts.
    qsizetype after() const { return length > 0 ? end() : end() + 1; }
    friend bool operator==(const Match &, const Match &) = default;
};

// Why a regular expression cannot be used: Qt's reason and the position in
// the pattern it points at.
struct PatternError {
    QString reason;
    qsizetype offset = 0;
};

// One replacement: `length` characters from `start` become `text`.
using Edit = ScriptDocument::Edit;

// A limit on a search's work, so that no pattern holds the program up. A
// search given one stops at the start of a line once the deadline has
// passed and says where to go on from; and a regular expression that takes
// longer than `tooSlowMs` over one line (the engine gives up on runaway
// backtracking only after millions of steps) is too complex for this text.
struct Budget {
    static constexpr qint64 tooSlowMs = 20;
    QDeadlineTimer deadline = QDeadlineTimer::Forever;
    qsizetype stoppedAt = -1;  // where to go on from, when it stopped short
    bool tooComplex = false;

    bool stopped() const { return stoppedAt >= 0 || tooComplex; }
};

class Pattern
{
public:
    Pattern() = default;
    Pattern(const QString &text, Options options);

    const QString &text() const { return m_text; }
    Options options() const { return m_options; }
    // The error of an invalid regular expression; such a pattern finds nothing.
    const std::optional<PatternError> &error() const { return m_error; }
    // True when the pattern can find something: not empty, not invalid.
    bool usable() const { return !m_text.isEmpty() && !m_error; }

    // The first match starting at or after `from` and before `until` (the
    // end of the text when negative); not found when there is none, or when
    // the budget stopped the search (it then says where to go on from).
    Match next(QStringView text, qsizetype from, qsizetype until = -1, Budget *budget = nullptr) const;
    // The last match starting before `before`, of the matches found left to
    // right from the start of its line; a budget that stops the search says
    // which `before` to go on with.
    Match previous(QStringView text, qsizetype before, Budget *budget = nullptr) const;
    // Every match in one line (no line break in it) that starts at or after
    // `from`, left to right, its positions counted from `lineStart`.
    std::vector<Match> lineMatches(QStringView line, qsizetype lineStart = 0, Budget *budget = nullptr,
                                   qsizetype from = 0) const;

    // What replaces `match` (one this pattern found in `text`): the
    // replacement as written; with a regular expression, \1 … \9 stand for
    // the groups the match captured (empty when it captured nothing), \0
    // for the whole match and \\ for one backslash.
    QString replacement(QStringView text, Match match, const QString &with) const;
    // The edits that replace every match in `text`, in order, appended to
    // `edits`, from the line that starts at `from` on until the budget stops
    // the work (it then says from which line to go on).
    void replaceAll(QStringView text, const QString &with, std::vector<Edit> &edits, qsizetype from = 0,
                    Budget *budget = nullptr) const;
    std::vector<Edit> replaceAll(QStringView text, const QString &with) const;

private:
    qsizetype plainIndex(QStringView text, qsizetype from) const;
    template <typename Visit>
    void eachLineMatch(QStringView line, qsizetype offset, Visit visit, Budget *budget = nullptr) const;

    QString m_text;
    Options m_options;
    std::optional<PatternError> m_error;
    QString m_needle;              // plain: the text as the editor keeps it
    std::vector<char16_t> m_firsts;  // plain, ignoring case: the units a match may start with
    QRegularExpression m_regex;
};

// The matches of a pattern counted a slice at a time, so that a long script
// never holds the caller up for long; it keeps where each match starts.
class Counter
{
public:
    Counter() = default;
    // Keeps where the first `kept` matches start: an expression that
    // matches nearly every character would otherwise hold gigabytes.
    Counter(Pattern pattern, qsizetype textSize, std::size_t kept = 1'000'000);

    // Counts on in `text` (the same text every time) a slice at a time until
    // the count is complete or the deadline passes, one slice at least;
    // true when complete.
    bool step(QStringView text, QDeadlineTimer deadline);
    bool done() const { return m_from > m_textSize || m_tooComplex; }
    // The count stopped: the pattern is too complex for this text.
    bool tooComplex() const { return m_tooComplex; }
    qsizetype count() const { return m_count; }
    // The number (1-based) of the match that starts at `start`; 0 when no
    // counted match starts there or it is past the kept ones.
    qsizetype ordinal(qsizetype start) const;

private:
    Pattern m_pattern;
    qsizetype m_textSize = -1;
    qsizetype m_from = 0;
    qsizetype m_count = 0;
    std::size_t m_kept = 0;
    bool m_tooComplex = false;
    std::vector<qsizetype> m_starts;
};

} // namespace search
