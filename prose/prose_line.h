// The prose of a script, line by line: what a reader reads of each line
// (tags, comments and the speaker's name at its start left out), whose
// words they are, and which of them are quoted. The rules and the unify
// step read the script through it.
#pragma once

#include "dnml/lexer.h"
#include "outline/counts.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace prose {

// What a character of the prose is.
enum Flag : std::uint8_t {
    // The speaker's own words: on a speaker's line, inside its 「」, or the
    // whole line when it has no 「.
    Spoken = 1,
    // Inside 『』: a title, or words quoted from someone else.
    Quoted = 2,
};

class ProseLine
{
public:
    // Reads `line` (without its line break), which starts in `state`, and
    // returns the state at its end, as dnml::lexLine() gives it.
    dnml::State read(QStringView line, dnml::State state);

    // The line's speaker: the cast member whose short name and a space it
    // starts with, outside any tag (outline::speakerOf()); else narration.
    outline::Speaker speaker() const { return m_speaker; }
    // The prose characters one after another.
    const QString &text() const { return m_text; }
    // The column in the line of the prose's character `i`.
    qsizetype column(qsizetype i) const
    {
        const auto after = std::upper_bound(m_pieces.begin(), m_pieces.end(), i,
                                            [](qsizetype at, const Piece &piece) { return at < piece.prose; });
        return after[-1].column + (i - after[-1].prose);
    }
    std::uint8_t flags(qsizetype i) const { return m_flags[std::size_t(i)]; }
    // The columns that `length` prose characters from `i` stand over in
    // the line: from the first's to just after the last's (a tag between
    // them included).
    std::pair<qsizetype, qsizetype> span(qsizetype i, qsizetype length) const
    {
        return {column(i), column(i + length - 1) + 1};
    }

    // Calls `run(start, length, flags)` for each stretch of the prose whose
    // characters have the same flags, in order; a lone LF inside the line
    // ends a stretch and belongs to none.
    template <typename RunFunction>
    void forEachRun(RunFunction run) const
    {
        const qsizetype n = m_text.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i <= n; ++i) {
            if (i < n && m_text[i] != u'\n' && m_flags[std::size_t(i)] == m_flags[std::size_t(start)])
                continue;
            if (i > start)
                run(start, i - start, m_flags[std::size_t(start)]);
            start = i < n && m_text[i] == u'\n' ? i + 1 : i;
        }
    }

private:
    void take(QStringView line, qsizetype from, qsizetype to);

    outline::Speaker m_speaker = outline::narration;
    QString m_text;
    // Where each stretch of prose between tags starts, in the prose and in
    // the line: a long line costs a few of these, not one per character.
    struct Piece {
        qsizetype prose;
        qsizetype column;
    };
    std::vector<Piece> m_pieces;
    std::vector<std::uint8_t> m_flags;
    std::vector<dnml::Span> m_spans;
    int m_plain = 0;   // depth of 「」
    int m_quoted = 0;  // depth of 『』
    bool m_bracketed = false;  // the speaker's line holds a 「
};

// A script text given a part at a time, cut anywhere but inside a CR LF,
// as whole lines: the lines of each part and of the parts before it are
// handed on once their line break has come, the last line with the last
// part.
class LineFeed
{
public:
    // Calls `line(number, start, text)` for each line completed: its number
    // from 0, its script offset, its text without the line break.
    template <typename LineFunction>
    void add(QStringView part, bool last, LineFunction line)
    {
        m_carry.append(part);
        const qsizetype lastBreak = m_carry.lastIndexOf(u"\r\n");
        if (!last && lastBreak < 0)
            return;
        const qsizetype end = last ? m_carry.size() : lastBreak + 2;
        // Each line but the last ends with a CR LF: what follows the last
        // one is the start of a line still to come.
        const QStringView lines = QStringView(m_carry).first(last ? end : end - 2);
        dnml::forEachLine(lines, [&](qsizetype start, QStringView text) { line(m_line++, m_start + start, text); });
        m_start += end;
        m_carry.remove(0, end);
    }

private:
    QString m_carry;
    qsizetype m_start = 0;  // the script offset of m_carry's start
    qsizetype m_line = 0;
};

} // namespace prose
