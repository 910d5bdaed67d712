#include "document/script_file.h"

#include "document/file_access.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <QUtf8StringView>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace scriptfile {
namespace {

constexpr char16_t kUnassigned = 0xFFFF;
constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

constexpr bool isLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool isTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Code page 932 as lookup tables, taken once from Qt's converter.
//
// The tables, rather than the converter itself, do the work for two
// reasons. The converter behind "windows-31j" swaps three control codes
// (0x1A, 0x1C and 0x7F come back as other controls), so bytes 0x00 to
// 0x7F are mapped one to one here as Windows does. And a table walk knows
// where every byte sequence starts, which the error messages need, and
// cannot hold back a lead byte at the end of the data.
struct Tables {
    std::array<char16_t, 256> single{};  // kUnassigned for lead and unassigned bytes
    std::vector<char16_t> pair;          // by (lead << 8 | trail)
    std::vector<std::uint16_t> encode;   // by UTF-16 unit; 0 when it has no bytes

    Tables() : pair(0x10000, kUnassigned), encode(0x10000, 0)
    {
        single.fill(kUnassigned);
        for (int b = 0; b < 0x80; ++b)
            single[b] = char16_t(b);

        QByteArray kana;
        for (int b = 0xA1; b <= 0xDF; ++b)
            kana.append(char(b));
        const QString kanaText = decodeWhole(kana);
        for (int b = 0xA1; b <= 0xDF; ++b)
            single[b] = kanaText.size() == kana.size() ? kanaText[b - 0xA1].unicode() : decodeOne(QByteArray(1, char(b)));

        QByteArray pairs;
        std::vector<int> codes;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLead(lead))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrail(trail))
                    continue;
                pairs.append(char(lead)).append(char(trail));
                codes.push_back(lead << 8 | trail);
            }
        }
        // One call for all pairs: every structurally valid pair decodes to
        // exactly one unit (U+FFFD when unassigned). Should a converter ever
        // break that, fall back to one call per pair.
        const QString pairText = decodeWhole(pairs);
        const bool aligned = pairText.size() == qsizetype(codes.size());
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const char16_t c = aligned ? pairText[i].unicode() : decodeOne(pairs.mid(2 * i, 2));
            if (c != kReplacement && c != kUnassigned)
                pair[codes[i]] = c;
        }

        for (int b = 0xA1; b <= 0xDF; ++b)
            if (single[b] != kUnassigned)
                encode[single[b]] = std::uint16_t(b);
        // Where several byte pairs decode to one character, the converter
        // names the pair that Windows writes; ask it, and keep only answers
        // that read back as the same character.
        QStringEncoder encoder("windows-31j");
        for (int code : codes) {
            const char16_t c = pair[code];
            if (c == kUnassigned || encode[c] != 0)
                continue;
            const QByteArray bytes = encoder(QStringView(&c, 1));
            if (encoder.hasError() || bytes.size() != 2) {
                encoder.resetState();
                continue;
            }
            const int preferred = (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
            encode[c] = std::uint16_t(pair[preferred] == c ? preferred : code);
        }
    }

    static QString decodeWhole(const QByteArray &bytes)
    {
        QStringDecoder decoder("windows-31j");
        return decoder(bytes);
    }

    static char16_t decodeOne(const QByteArray &bytes)
    {
        QStringDecoder decoder("windows-31j");
        const QString s = decoder(bytes);
        return !decoder.hasError() && s.size() == 1 ? s[0].unicode() : kUnassigned;
    }
};

const Tables &tables()
{
    static const Tables instance;
    return instance;
}

} // namespace

namespace {

// The nine, each with the look-alike that code page 932 reads back.
constexpr std::pair<char16_t, char16_t> lookAlikes[] = {
    {0x301C, 0xFF5E}, {0x2212, 0xFF0D}, {0x2016, 0x2225}, {0x2014, 0x2015}, {0x00A2, 0xFFE0},
    {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x00A5, 0x005C}, {0x203E, 0x007E},
};

char16_t lookAlikeOf(char16_t c)
{
    for (const auto &[seen, held] : lookAlikes)
        if (c == seen)
            return held;
    return 0;
}

// Line ends as the reading says, for text that is already characters.
QString withLineEnds(QStringView text, const Reading &reading, qsizetype *firstBadLine)
{
    QString out;
    out.reserve(text.size() + 16);
    qsizetype line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool separator = c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
        if (c == CR || (c == LF && reading.lineFeedsBreak) || (separator && reading.separatorsBreak)) {
            if (c == CR && reading.oneBreakForCrCrLf && text.sliced(i).startsWith(u"\r\r\n"))
                ++i;
            if (c == CR && i + 1 < text.size() && text[i + 1] == LF)
                ++i;
            out += u"\r\n";
            ++line;
            continue;
        }
        if (c == QChar::ReplacementCharacter && *firstBadLine == 0)
            *firstBadLine = line;
        out += c;
    }
    if (out.endsWith(u"\r\n"))
        out.chop(2);
    return out;
}

} // namespace

Survey survey(QByteArrayView bytes)
{
    Survey result;
    result.nul = bytes.contains('\0');
    result.loneLineFeeds = bytes.contains('\n') && !bytes.contains('\r');
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    const bool multiByte = std::any_of(bytes.begin(), bytes.end(), [](char b) { return (b & 0x80) != 0; });
    result.utf8 = mark || (multiByte && QUtf8StringView(bytes).isValidUtf8());
    // Each byte is looked for with memchr: a large script is mostly others.
    const char *const end = bytes.data() + bytes.size();
    // `found` gets each place and the bytes from there, and says where it
    // looked up to.
    const auto each = [&](char wanted, auto found) {
        const char *at = bytes.data();
        while (at < end && (at = static_cast<const char *>(std::memchr(at, wanted, std::size_t(end - at)))))
            at = found(at, QByteArrayView(at, end - at)) + 1;
    };
    each('\n', [&](const char *at, QByteArrayView) {
        result.lineFeeds += at == bytes.data() || at[-1] != '\r';
        return at;
    });
    each('\r', [&](const char *at, QByteArrayView rest) {
        if (rest.startsWith("\r\r\n")) {
            ++result.doubledCarriageReturns;
            return at + 2;
        }
        result.loneCarriageReturns += !rest.startsWith("\r\n");
        return at;
    });
    if (result.utf8)
        each('\xE2', [&](const char *at, QByteArrayView rest) {
            result.separators += rest.startsWith("\xE2\x80\xA8") || rest.startsWith("\xE2\x80\xA9");
            return at;
        });
    return result;
}

QString savable(QStringView text, qsizetype *replaced)
{
    QString out = text.toString();
    qsizetype count = 0;
    for (QChar &c : out)
        if (const char16_t held = lookAlikeOf(c.unicode())) {
            c = QChar(held);
            ++count;
        }
    if (replaced)
        *replaced = count;
    return out;
}

bool holds(char32_t character)
{
    if (character < 0x80)
        return true;
    if (character > 0xFFFF || QChar::isSurrogate(character))
        return false;
    return tables().encode[character] != 0;
}

Decoded decode(QByteArrayView bytes, Reading reading)
{
    if (reading.utf8) {
        Decoded result;
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        result.text = savable(withLineEnds(QString::fromUtf8(bytes), reading, &result.firstBadLine));
        return result;
    }
    const Tables &t = tables();
    Decoded result;
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();

    // Every byte gives at most one unit, except a lone CR, which becomes CR LF.
    QString text(n + 16, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    qsizetype w = 0;
    qsizetype line = 1;
    bool endsWithBreak = false;

    for (qsizetype i = 0; i < n;) {
        if (w + 2 > text.size()) {
            text.resize(text.size() + text.size() / 2 + 16);
            out = reinterpret_cast<char16_t *>(text.data());
        }
        const unsigned char b = in[i];
        endsWithBreak = false;
        if (b == '\r' || (b == '\n' && reading.lineFeedsBreak)) {
            out[w++] = CR;
            out[w++] = LF;
            if (b == '\r' && reading.oneBreakForCrCrLf && bytes.sliced(i).startsWith("\r\r\n"))
                ++i;
            i += (b == '\r' && i + 1 < n && in[i + 1] == '\n') ? 2 : 1;
            ++line;
            endsWithBreak = true;
            continue;
        }
        char16_t c;
        if (isLead(b)) {
            if (i + 1 < n && isTrail(in[i + 1])) {
                c = t.pair[b << 8 | in[i + 1]];
                i += 2;
            } else {
                c = kUnassigned;  // the next byte is decoded on its own
                i += 1;
            }
        } else {
            c = t.single[b];
            i += 1;
        }
        if (c == kUnassigned) {
            c = kReplacement;
            if (result.firstBadLine == 0)
                result.firstBadLine = line;
        }
        out[w++] = c;
    }
    if (endsWithBreak)
        w -= 2;
    text.truncate(w);
    result.text = std::move(text);
    return result;
}

namespace {

Unencodable locate(QStringView text, qsizetype at)
{
    Unencodable where{0, 1, 1};
    for (qsizetype i = 0; i < at; ++i) {
        if (text[i] == CR && i + 1 < text.size() && text[i + 1] == LF) {
            ++where.line;
            where.column = 1;
            ++i;
        } else if (!(text[i].isHighSurrogate() && i + 1 < at && text[i + 1].isLowSurrogate())) {
            ++where.column;
        }
    }
    const QChar c = text[at];
    where.offset = at;
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        where.character = QChar::surrogateToUcs4(c, text[at + 1]);
        where.length = 2;
    } else {
        where.character = c.unicode();
    }
    return where;
}

} // namespace

Encoded encode(QStringView text)
{
    const Tables &t = tables();
    Encoded result;
    QByteArray bytes(2 * text.size() + 2, Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(bytes.data());
    qsizetype w = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out[w++] = static_cast<unsigned char>(c);
            continue;
        }
        const std::uint16_t code = t.encode[c];
        if (code == 0) {
            result.error = locate(text, i);
            for (qsizetype j = i; j < text.size(); ++j) {
                const bool pair = text[j].isHighSurrogate() && j + 1 < text.size() && text[j + 1].isLowSurrogate();
                result.unencodable += pair || (text[j].unicode() >= 0x80 && t.encode[text[j].unicode()] == 0);
                j += pair;
            }
            return result;
        }
        if (code > 0xFF)
            out[w++] = static_cast<unsigned char>(code >> 8);
        out[w++] = static_cast<unsigned char>(code & 0xFF);
    }
    out[w++] = '\r';
    out[w++] = '\n';
    bytes.truncate(w);
    result.bytes = std::move(bytes);
    return result;
}

Loaded load(const QString &path, const HowToRead &howToRead)
{
    disk::Read read = disk::readFile(path);
    if (read.error)
        return {{}, read.error, false, {}};
    std::optional<Reading> reading = Reading{};
    if (howToRead)
        reading = howToRead(survey(read.bytes));
    if (!reading)
        return {{}, {}, true, {}};
    return {decode(read.bytes, *reading), {}, false, *reading, disk::digestOf(read.bytes)};
}

IoResult save(const QString &path, const QByteArray &bytes, const Writer &write)
{
    return disk::writeAtomically(path, bytes, write);
}

} // namespace scriptfile
