// Opening any bytes. Checked for every input:
// - every byte is decoded: one character per byte sequence, none held back;
// - the text has a line break (CR LF) for every CR LF or lone CR of the
//   file, except one that ends it, and no other CR;
// - U+FFFD appears exactly when a bad line is reported, and the reported
//   line is the line of the first U+FFFD;
// - a text without bad bytes saves, and opens again as the same text;
// - a file without bad bytes whose line breaks are all CR LF and which ends
//   in CR LF is saved back byte for byte, lone LFs included; the only bytes
//   allowed to differ are double-byte characters the code page has twice,
//   which come back as the other pair of the same character.
#include "document/script_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool holds, const char *property)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", property);
        std::abort();
    }
}

bool isLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Length of the byte sequence starting at `i`: a lead byte and a byte in
// the trail range make a pair; anything else stands alone.
qsizetype sequenceLength(const unsigned char *in, qsizetype n, qsizetype i)
{
    return isLead(in[i]) && i + 1 < n && isTrail(in[i + 1]) ? 2 : 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *in = reinterpret_cast<const unsigned char *>(data);
    const qsizetype n = qsizetype(size);
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), n);
    const scriptfile::Decoded decoded = scriptfile::decode(bytes);
    const QString &text = decoded.text;

    qsizetype sequences = 0;
    qsizetype lineEnds = 0;
    bool loneCr = false;
    bool endsWithLineEnd = false;
    for (qsizetype i = 0; i < n;) {
        endsWithLineEnd = in[i] == '\r';
        if (in[i] == '\r') {
            ++lineEnds;
            const bool pair = i + 1 < n && in[i + 1] == '\n';
            loneCr = loneCr || !pair;
            i += pair ? 2 : 1;
            continue;
        }
        ++sequences;
        i += sequenceLength(in, n, i);
    }
    const qsizetype breaks = lineEnds - (endsWithLineEnd ? 1 : 0);
    require(text.size() == sequences + 2 * breaks, "one character per byte sequence, two per line break");

    qsizetype crLfs = 0;
    qsizetype lineOfFirstReplacement = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            require(i + 1 < text.size() && text[i + 1] == u'\n', "no CR without its LF in the text");
            ++crLfs;
            ++i;
        } else if (text[i] == QChar(0xFFFD) && lineOfFirstReplacement == 0) {
            lineOfFirstReplacement = crLfs + 1;
        }
    }
    require(crLfs == breaks, "one CR LF per line end of the file but the last");
    require(decoded.firstBadLine == lineOfFirstReplacement, "the reported line is that of the first U+FFFD");
    if (decoded.firstBadLine != 0)
        return 0;

    const scriptfile::Encoded encoded = scriptfile::encode(text);
    require(!encoded.error, "a text read without bad bytes can be saved");
    const scriptfile::Decoded reread = scriptfile::decode(encoded.bytes);
    require(reread.firstBadLine == 0 && reread.text == text, "saved and opened again, the text is the same");

    if (loneCr || !bytes.endsWith("\r\n"))
        return 0;
    const auto *out = reinterpret_cast<const unsigned char *>(encoded.bytes.constData());
    const qsizetype m = encoded.bytes.size();
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < n && j < m) {
        const qsizetype a = sequenceLength(in, n, i);
        const qsizetype b = sequenceLength(out, m, j);
        if (QByteArrayView(in + i, a) != QByteArrayView(out + j, b)) {
            require(a == 2 && b == 2, "only double-byte characters may change their bytes");
            require(scriptfile::decode(QByteArrayView(in + i, 2)).text == scriptfile::decode(QByteArrayView(out + j, 2)).text,
                    "a changed pair stands for the same character");
        }
        i += a;
        j += b;
    }
    require(i == n && j == m, "saved back to as many byte sequences as were read");
    return 0;
}
