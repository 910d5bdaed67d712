// The recovery journal's bytes: how a journal is written, record by record,
// and how a text is rebuilt from whatever is left of one. Qt Core only.
//
// A journal is a format tag and version, then records, each framed by its
// length and a CRC-32: a header (process, host, the bytes of the name of
// the file the text came from), the base text, then one record per edit. All numbers are little
// endian; texts are UTF-16 code units, so every character comes back as it
// was, unpaired surrogates included.
#pragma once

#include <QByteArray>
#include <QString>

namespace recovery {

struct Header {
    qint64 pid = 0;
    QString host;
    // The file the text was opened from or saved to; empty for a new script.
    // Kept in the journal as the name's bytes (see disk::nameToBytes()).
    QString source;
    qint64 created = 0;  // milliseconds since the epoch
};

// The first bytes of a journal: tag, version and the header record.
QByteArray encodeStart(const Header &header);
// The record of the text the edits apply to.
QByteArray encodeBase(QStringView text, qint64 when);
// The record of one edit: `removed` code units at `position` give way to
// `added`.
QByteArray encodeEdit(qint64 position, qint64 removed, QStringView added, qint64 when);

struct Replayed {
    enum class State {
        Whole,       // every byte read
        Damaged,     // a good beginning, then bytes that were not used
        Unreadable,  // no text can be taken from it
    };
    State state = State::Unreadable;
    Header header;
    // The base with every edit up to the last complete, consistent record.
    QString text;
    // The journal is of an earlier version, which kept the editor's own
    // text rather than the script's (see ScriptDocument::fromFormerJournal).
    bool formerText = false;
    qint64 lastEdit = 0;  // milliseconds since the epoch; the base's time if no edit
    qsizetype usedBytes = 0;
    // Why some or all of the bytes were not used, in the user's words.
    QString problem;
};

// Rebuilds the text from a journal's bytes. Never throws or reads past the
// bytes; a record that is cut short, fails its CRC or does not fit the text
// ends the replay, and nothing after it is used.
Replayed replay(QByteArrayView bytes);

} // namespace recovery
