// Counting a script the way a Japanese writer counts it (文字数): the
// characters a reader sees, per speaker, and the pages of 400-character
// manuscript paper (原稿用紙) they fill.
//
// What counts: grapheme clusters of the visible text, so that a character
// with a variation selector or a combining mark counts once. Left out:
// tags, comments, line breaks (block breaks, a lone LF kept inside its
// line) and blanks (half- and full-width spaces, tabs). A line belongs to
// the cast member whose short name and one space it begins with, as a
// sprite picker writes them ("ゆら "), the name included; any other line is
// narration (地の文). On manuscript paper every line with something to read
// starts a new row of 20, and so does a lone LF within it.
#pragma once

#include "dnml/lexer.h"
#include "markup/vocabulary.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <vector>

namespace outline {

// Who a line belongs to: 0 is narration, 1 + i is markup::cast[i].
using Speaker = std::uint8_t;
inline constexpr Speaker narration = 0;
inline constexpr int speakerCount = 1 + int(markup::cast.size());

// "地の文", or the cast member's full name.
QString speakerName(Speaker speaker);
// The speaker of a line that starts outside any tag or comment.
Speaker speakerOf(QStringView line);

// What one line, or a part of it, gives a reader.
struct LineCount {
    std::uint32_t characters = 0;
    std::uint32_t rows = 0;  // rows of 20 on manuscript paper
};

// The visible characters of `line` (without its line break) between
// columns `from` and `to`, the line lexed from `state`; `spans` are its
// spans as dnml::lexLine() gives them from that state.
LineCount countLine(QStringView line, dnml::State state, const std::vector<dnml::Span> &spans, qsizetype from,
                    qsizetype to);
// The same, lexing the line itself.
LineCount countLine(QStringView line, dnml::State state, qsizetype from, qsizetype to);

struct Figure {
    qint64 lines = 0;  // lines with something to read
    qint64 characters = 0;
    qint64 rows = 0;

    // Sheets of 20 × 20 the rows fill, the last one begun counting whole.
    qint64 pages() const { return (rows + 19) / 20; }
};

// The figures of a stretch of the script, per speaker.
struct Tally {
    std::array<Figure, speakerCount> speakers{};

    // A line (or a part of one) with nothing to read adds nothing.
    void add(Speaker speaker, LineCount count);
    Figure total() const;
};

// The table of a tally as a CSV file: a header, a row for narration, one
// for each cast member who has a line, and the total; columns 話者, 行数,
// 文字数, 原稿用紙(枚). UTF-8 with a byte-order mark, so that spreadsheet
// programs read the Japanese; CR LF line ends.
QByteArray csv(const Tally &tally);

} // namespace outline
