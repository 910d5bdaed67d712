#include "prose/reading.h"

#include <mecab.h>

#include <array>

namespace prose {
namespace {

// UTF-16 units of the UTF-8 sequence starting with `lead`: two for a
// character beyond the basic plane.
int unitsOf(unsigned char lead) { return lead >= 0xF0 ? 2 : 1; }

bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Appends `text` to `out` as UTF-8; an unpaired surrogate becomes U+FFFD,
// which keeps one unit for one unit.
void appendUtf8(QStringView text, std::string &out)
{
    const char16_t *s = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
}

} // namespace

Reader::Reader()
{
    // A NUL in the text would end MeCab's input early: it is never passed one.
    m_tagger = MeCab::createTagger("");
    if (!m_tagger)
        m_error = QString::fromUtf8(MeCab::getTaggerError()).trimmed();
    // MeCab says nothing when its settings file is missing.
    if (!m_tagger && m_error.isEmpty())
        m_error = QStringLiteral(u"MeCab の設定ファイル (/etc/mecabrc) か辞書 (mecab-ipadic-utf8) がありません");
}

Reader::~Reader()
{
    delete m_tagger;
}

bool Reader::begin(QStringView text)
{
    if (!m_tagger || text.isEmpty())
        return false;
    m_input.clear();
    appendUtf8(text, m_input);
    for (char &c : m_input)
        if (c == '\0')
            c = ' ';
    m_node = m_tagger->parseToNode(m_input.data(), m_input.size());
    m_byte = 0;
    m_unit = 0;
    return m_node != nullptr;
}

bool Reader::next(Word &word)
{
    const auto *node = static_cast<const MeCab::Node *>(m_node);
    while (node && (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0))
        node = node->next;
    if (!node) {
        m_node = nullptr;
        return false;
    }
    m_node = node->next;
    // From where the last word ended to this one's start, then over it.
    const auto units = [this](std::size_t to) {
        qsizetype count = 0;
        for (; m_byte < to; ++m_byte)
            if (!continuation(static_cast<unsigned char>(m_input[m_byte])))
                count += unitsOf(static_cast<unsigned char>(m_input[m_byte]));
        return count;
    };
    const std::size_t start = std::size_t(node->surface - m_input.data());
    m_unit += units(start);
    word.offset = m_unit;
    word.length = units(start + node->length);
    m_unit += word.length;
    word.surface = std::string_view(node->surface, node->length);

    // 品詞,細分類1,細分類2,細分類3,活用型,活用形,原形,読み,発音; a word the
    // dictionary lacks has only the first seven.
    std::array<std::string_view, 9> fields{};
    const std::string_view feature(node->feature);
    std::size_t count = 0;
    for (std::size_t from = 0; count < fields.size();) {
        const std::size_t comma = feature.find(',', from);
        fields[count++] = feature.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from);
        if (comma == std::string_view::npos)
            break;
        from = comma + 1;
    }
    word.partOfSpeech = fields[0];
    word.detail = fields[1];
    word.base = count > 6 && fields[6] != "*" ? fields[6] : word.surface;
    word.reading = count > 7 && node->stat != MECAB_UNK_NODE && fields[7] != "*" ? fields[7] : std::string_view();
    return true;
}

} // namespace prose
