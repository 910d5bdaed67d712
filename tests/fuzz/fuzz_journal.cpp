// Reading recovery journals. Checked for every input:
// - the input itself, read as a journal, never crashes the reader, and the
//   reader never claims more bytes than it was given, nor text from a
//   journal it calls unreadable;
// - the input, read as a session (a base text and edits), is written as a
//   journal, cut at some byte and perhaps one byte changed: the reader gives
//   back exactly the text as it stood after the last record that was whole
//   and before the changed byte, and calls the journal whole only when it
//   used every byte.
#include "recovery/journal_format.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void require(bool holds, const char *property)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", property);
        std::abort();
    }
}

// Takes the input a byte at a time; zero once it runs out.
struct Input {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t at = 0;

    bool more() const { return at < size; }
    unsigned byte() { return at < size ? data[at++] : 0; }
};

// A short text of characters a journal must keep apart.
QString takeText(Input &in)
{
    static const char16_t alphabet[] = {u'a', 0x2029, 0x2028, 0x00A0, 0x20AC, 0xFFFD, 0xD800, 0xDC00, u'\r', u'あ'};
    QString text;
    const unsigned length = in.byte() % 8;
    for (unsigned i = 0; i < length; ++i)
        text += QChar(alphabet[in.byte() % std::size(alphabet)]);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using recovery::Replayed;
    const QByteArrayView raw(reinterpret_cast<const char *>(data), qsizetype(size));
    const Replayed direct = recovery::replay(raw);
    require(direct.usedBytes <= raw.size(), "no more bytes used than given");
    require(direct.state != Replayed::State::Whole || direct.usedBytes == raw.size(), "whole means every byte");
    require(direct.state != Replayed::State::Unreadable || direct.text.isEmpty(), "no text from an unreadable journal");

    Input in{data, size};
    const unsigned cutChoice = in.byte() | in.byte() << 8;
    const unsigned changeChoice = in.byte() | in.byte() << 8;
    std::vector<QString> states = {takeText(in)};
    QByteArray bytes = recovery::encodeStart({1, QStringLiteral("host"), takeText(in), 0});
    bytes += recovery::encodeBase(states.back(), 0);
    std::vector<qsizetype> ends = {bytes.size()};
    while (in.more()) {
        const QString &text = states.back();
        const qint64 position = in.byte() % (text.size() + 1);
        const qint64 removed = in.byte() % (text.size() - position + 1);
        const QString added = takeText(in);
        states.push_back(QString(text).replace(position, removed, added));
        bytes += recovery::encodeEdit(position, removed, added, qint64(states.size()));
        ends.push_back(bytes.size());
    }

    const qsizetype cut = qsizetype(cutChoice % (bytes.size() + 1));
    QByteArray journal = bytes.first(cut);
    // The byte changed, if any: one past the cut means none.
    const qsizetype changed = qsizetype(changeChoice % (cut + 1));
    if (changed < cut)
        journal[changed] = char(journal[changed] ^ (changeChoice >> 8 | 1));
    const qsizetype intactUpTo = changed < cut ? changed : cut;

    const Replayed replayed = recovery::replay(journal);
    if (intactUpTo < ends.front()) {
        require(replayed.state == Replayed::State::Unreadable, "a journal without its whole base is unreadable");
        return 0;
    }
    std::size_t whole = 0;
    while (whole + 1 < ends.size() && ends[whole + 1] <= intactUpTo)
        ++whole;
    require(replayed.text == states[whole], "the text after the last whole record");
    require(replayed.usedBytes == ends[whole], "used up to the end of the last whole record");
    require((replayed.state == Replayed::State::Whole) == (replayed.usedBytes == journal.size()),
            "whole exactly when every byte was used");
    return 0;
}
