// Script files on disk: Shift-JIS (code page 932) text whose lines end in
// CR LF. This is the widget-free half of opening and saving: bytes to the
// script text and back, with the line-end rules, and the file access.
#pragma once

#include "document/file_access.h"
#include "document/io_error.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>


namespace scriptfile {

// The text of an opened file, and where it was not code page 932.
struct Decoded {
    QString text;
    // 1-based line of the first byte sequence that is not code page 932
    // (each such sequence is replaced by U+FFFD in `text`); 0 when none.
    qsizetype firstBadLine = 0;
};

// What opening looks at before it reads a file as a script: whether it
// seems to be written by another editor, or to be no text at all, and the
// line ends that a script cannot keep as they are.
struct Survey {
    bool nul = false;            // holds a NUL byte: most likely no text file
    bool loneLineFeeds = false;  // lines end in LF, and not one CR is there
    bool utf8 = false;           // a UTF-8 byte-order mark, or valid UTF-8 with multi-byte characters
    qsizetype lineFeeds = 0;           // LFs that no CR precedes
    qsizetype loneCarriageReturns = 0;  // CRs that no LF follows, those of CR CR LF aside
    qsizetype doubledCarriageReturns = 0;  // CR CR LF
    qsizetype separators = 0;  // U+2028 and U+2029 written in UTF-8: line breaks only if read as UTF-8
    friend bool operator==(const Survey &, const Survey &) = default;
};
Survey survey(QByteArrayView bytes);

// How to read a file: as the program writes scripts (code page 932, a lone
// LF inside its line), or as another editor wrote it. A lone CR always
// ends a line: a script line cannot hold one.
struct Reading {
    bool lineFeedsBreak = false;  // a lone LF ends a line too
    bool utf8 = false;            // the bytes are UTF-8 (a byte-order mark is dropped)
    bool oneBreakForCrCrLf = false;  // CR CR LF ends one line, not a line and an empty one
    bool separatorsBreak = false;    // read as UTF-8, U+2028 and U+2029 end a line; else they stay characters
};

// Turns a file's bytes into the script text.
// A line ends at CR LF or at a lone CR; a lone LF is an ordinary character
// of its line unless `reading` says it ends one, and so are U+2028 and
// U+2029 read as UTF-8 (no code page 932 text holds them). The lines are joined with
// CR LF and the last line gets no line break, so a file ending in CR LF
// loses that one break (saving adds it back). No bytes give the empty
// text. A lead byte without its trail byte, a trail byte outside the code
// page's range, a byte the code page leaves unassigned and an unassigned
// pair each become one U+FFFD; the byte after a lone lead byte is decoded
// on its own. Read as UTF-8, a byte that is no UTF-8 becomes U+FFFD, and
// the look-alikes (see savable()) become what code page 932 holds.
Decoded decode(QByteArrayView bytes, Reading reading = {});

// Nine characters that every other code page 932 encoder writes as the
// code of a look-alike, which reads back as that look-alike (U+301C 〜 as
// 81 60, read back as U+FF5E ～; U+2212 −, U+2016 ‖, U+2014 —, U+00A2 ¢,
// U+00A3 £, U+00AC ¬, U+00A5 ¥, U+203E ‾). The text with each of them
// turned into its look-alike, so that what is seen is what the file will
// hold; `replaced` counts them.
QString savable(QStringView text, qsizetype *replaced = nullptr);
// Whether code page 932 holds the character (line breaks included).
bool holds(char32_t character);

// A character of the text that code page 932 cannot hold.
struct Unencodable {
    char32_t character;  // a lone surrogate is reported as itself
    qsizetype line;      // 1-based; lines are separated by CR LF
    qsizetype column;    // 1-based, in characters (a surrogate pair is one)
    qsizetype offset = 0;  // in the text
    qsizetype length = 1;  // 2 for a surrogate pair
};

struct Encoded {
    QByteArray bytes;  // the text in code page 932, then CR LF
    std::optional<Unencodable> error;  // when set, `bytes` is empty: the first such character
    qsizetype unencodable = 0;         // how many there are in all
};

// Turns the script text into the bytes of its file: the text as it is
// (every character, line breaks included, maps to the same bytes it would
// be read back from) followed by one CR LF. A text holding a character the
// code page cannot hold gives no bytes and names the first such character.
Encoded encode(QStringView text);

struct Loaded {
    Decoded script;
    IoResult error;  // when set, `script` is empty
    bool givenUp = false;  // the question about how to read it was answered No
    Reading reading;       // how it was read
    quint64 digest = 0;    // disk::digestOf() the bytes read
};

// Reads the whole file at `path` and decodes it as `reading` says; with
// `howToRead` (given the survey), that decides, and none gives it up. What
// is no regular file
// (a folder, a named pipe, a device), a file larger than disk::readLimit,
// a missing or unreadable file is an error, said before anything is read;
// an empty file is the empty text.
using HowToRead = std::function<std::optional<Reading>(const Survey &)>;
Loaded load(const QString &path, const HowToRead &howToRead = {});

// How a save hands its bytes to the open temporary file (see disk::Writer).
using Writer = disk::Writer;

// Writes `bytes` to `path` atomically (disk::writeAtomically): on any
// failure, a write that stops part-way included, the target keeps its old
// content and no temporary file is left.
IoResult save(const QString &path, const QByteArray &bytes, const Writer &write = {});

} // namespace scriptfile
