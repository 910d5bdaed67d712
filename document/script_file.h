// Script files on disk: Shift-JIS (code page 932) text whose lines end in
// CR LF. This is the widget-free half of opening and saving: bytes to the
// script text and back, with the line-end rules, and the file access.
#pragma once

#include "document/file_access.h"
#include "document/io_error.h"

#include <QByteArray>
#include <QString>
#include <optional>


namespace scriptfile {

// The text of an opened file, and where it was not code page 932.
struct Decoded {
    QString text;
    // 1-based line of the first byte sequence that is not code page 932
    // (each such sequence is replaced by U+FFFD in `text`); 0 when none.
    qsizetype firstBadLine = 0;
};

// Turns a file's bytes into the script text.
// A line ends at CR LF or at a lone CR; a lone LF is an ordinary character
// of its line. The lines are joined with CR LF and the last line gets no
// line break, so a file ending in CR LF loses that one break (saving adds
// it back). No bytes give the empty text. A lead byte without its trail
// byte, a trail byte outside the code page's range, a byte the code page
// leaves unassigned and an unassigned pair each become one U+FFFD; the
// byte after a lone lead byte is decoded on its own.
Decoded decode(QByteArrayView bytes);

// A character of the text that code page 932 cannot hold.
struct Unencodable {
    char32_t character;  // a lone surrogate is reported as itself
    qsizetype line;      // 1-based; lines are separated by CR LF
    qsizetype column;    // 1-based, in characters (a surrogate pair is one)
};

struct Encoded {
    QByteArray bytes;  // the text in code page 932, then CR LF
    std::optional<Unencodable> error;  // when set, `bytes` is empty
};

// Turns the script text into the bytes of its file: the text as it is
// (every character, line breaks included, maps to the same bytes it would
// be read back from) followed by one CR LF. A text holding a character the
// code page cannot hold gives no bytes and names the first such character.
Encoded encode(QStringView text);

struct Loaded {
    Decoded script;
    IoResult error;  // when set, `script` is empty
};

// Reads the whole file at `path` and decodes it. What is no regular file
// (a folder, a named pipe, a device), a file larger than disk::readLimit,
// a missing or unreadable file is an error, said before anything is read;
// an empty file is the empty text.
Loaded load(const QString &path);

// How a save hands its bytes to the open temporary file (see disk::Writer).
using Writer = disk::Writer;

// Writes `bytes` to `path` atomically (disk::writeAtomically): on any
// failure, a write that stops part-way included, the target keeps its old
// content and no temporary file is left.
IoResult save(const QString &path, const QByteArray &bytes, const Writer &write = {});

} // namespace scriptfile
