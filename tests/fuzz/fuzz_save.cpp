// Saving any text. The input's first byte chooses how the rest becomes the
// text: as UTF-16 code units (any text at all, mostly characters the code
// page cannot hold), or as indices into the characters it can hold, line
// breaks, lone CRs and lone LFs (texts that save). Checked for every input:
// - a refused text names its first character the code page cannot hold, at
//   the right line and column, and gives no bytes;
// - a saved text ends in one CR LF and opens again without bad bytes as
//   the same text, each lone CR of it become a line break.
#include "document/script_file.h"

#include <algorithm>
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

// Every character the code page holds, found by opening each byte and each
// byte pair on its own, then the pieces that make and break lines.
const std::vector<QString> &palette()
{
    static const std::vector<QString> pieces = [] {
        std::vector<QString> all{QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n")};
        for (int first = 0; first < 0x100; ++first) {
            for (int second = -1; second < 0x100; ++second) {
                QByteArray bytes(1, char(first));
                if (second >= 0)
                    bytes.append(char(second));
                const scriptfile::Decoded decoded = scriptfile::decode(bytes);
                if (decoded.firstBadLine == 0 && decoded.text.size() == 1 && decoded.text[0] != u'\r')
                    all.push_back(decoded.text);
            }
        }
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }();
    return pieces;
}

QString textFrom(const std::uint8_t *data, std::size_t size)
{
    QString text;
    if (size == 0)
        return text;
    const bool fromPalette = data[0] & 1;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        const unsigned unit = data[i] | unsigned(data[i + 1]) << 8;
        if (fromPalette)
            text += palette()[unit % palette().size()];
        else
            text += QChar(char16_t(unit));
    }
    return text;
}

// The character at a 1-based line and column, lines ending at CR LF and a
// surrogate pair counting one column; -1 for none.
qsizetype at(const QString &text, qsizetype line, qsizetype column)
{
    qsizetype i = 0;
    for (qsizetype l = 1; l < line; ++l) {
        i = text.indexOf(QStringLiteral("\r\n"), i);
        if (i < 0)
            return -1;
        i += 2;
    }
    for (qsizetype c = 1; c < column; ++c) {
        if (i >= text.size() || (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
            return -1;
        i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    }
    return i < text.size() ? i : -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = textFrom(data, size);
    const scriptfile::Encoded encoded = scriptfile::encode(text);

    if (encoded.error) {
        const scriptfile::Unencodable &where = *encoded.error;
        require(encoded.bytes.isEmpty(), "a refused text gives no bytes");
        const qsizetype i = at(text, where.line, where.column);
        require(i >= 0, "the line and column name a character of the text");
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t character = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        require(where.character == character, "the named character is the one at that line and column");
        require(bool(scriptfile::encode(text.mid(i, pair ? 2 : 1)).error), "the named character cannot be saved");
        require(!scriptfile::encode(text.left(i)).error, "everything before it can be saved");
        return 0;
    }

    require(encoded.bytes.endsWith("\r\n"), "a saved text ends in CR LF");
    QString expected = text;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (expected[i] == u'\r' && (i + 1 == expected.size() || expected[i + 1] != u'\n'))
            expected.insert(i + 1, u'\n');
    }
    const scriptfile::Decoded reread = scriptfile::decode(encoded.bytes);
    require(reread.firstBadLine == 0, "what was saved opens without bad bytes");
    require(reread.text == expected, "what was saved opens as the same text, lone CRs made line breaks");
    return 0;
}
