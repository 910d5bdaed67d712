#include "prose/reading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <mecab.h>

#include <array>
#include <vector>

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

// The comma-separated fields of a word's feature string, as many as fit.
template <std::size_t N>
std::size_t splitFeature(std::string_view feature, std::array<std::string_view, N> &fields)
{
    std::size_t count = 0;
    for (std::size_t from = 0; count < N;) {
        const std::size_t comma = feature.find(',', from);
        fields[count++] = feature.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from);
        if (comma == std::string_view::npos)
            break;
        from = comma + 1;
    }
    return count;
}

// The IPA dictionary's feature: 品詞,細分類1,細分類2,細分類3,活用型,活用形,
// 原形,読み,発音; a word it lacks has only the first seven.
constexpr std::size_t ipaFields = 9;
// UniDic's (2.1 and later): 品詞 in four fields, 活用型,活用形,語彙素読み,
// 語彙素 and more; the lemma is the eighth.
constexpr std::size_t uniDicLemma = 7;

struct Known {
    const char16_t *folder;   // Debian's
    const char16_t *package;  // what installs it
};
constexpr Known known[] = {
    {u"/var/lib/mecab/dic/ipadic-utf8", u"mecab-ipadic-utf8"},
    {u"/var/lib/mecab/dic/unidic", u"unidic-mecab"},
};

QMutex folderLock;
QString folders[std::size(known)];

} // namespace

QString dictionaryFolder(Dictionary dictionary)
{
    const QMutexLocker lock(&folderLock);
    const QString &set = folders[std::size_t(dictionary)];
    return set.isEmpty() ? QString::fromUtf16(known[std::size_t(dictionary)].folder) : set;
}

void setDictionaryFolder(Dictionary dictionary, const QString &folder)
{
    const QMutexLocker lock(&folderLock);
    folders[std::size_t(dictionary)] = folder;
}

Reader::Reader(Dictionary dictionary)
    : m_dictionary(dictionary)
{
    const QString folder = dictionaryFolder(dictionary);
    const QString package = QString::fromUtf16(known[std::size_t(dictionary)].package);
    if (!QFileInfo(QDir(folder).filePath(QStringLiteral("sys.dic"))).isFile()) {
        m_error = QStringLiteral(u"辞書 %1 がありません。%2 を入れてください").arg(folder, package);
        return;
    }
    // MeCab's settings file (-r) is left empty: its dicdir would name the
    // system's default dictionary, and nothing else in it matters here.
    QByteArray folderBytes = QFile::encodeName(folder);
    std::vector<char *> arguments = {const_cast<char *>("scrivlet"), const_cast<char *>("-r"),
                                     const_cast<char *>("/dev/null"), const_cast<char *>("-d"), folderBytes.data()};
    m_tagger = MeCab::createTagger(int(arguments.size()), arguments.data());
    if (!m_tagger) {
        const QString said = QString::fromUtf8(MeCab::getTaggerError()).trimmed();
        m_error = QStringLiteral(u"辞書 %1 を開けません").arg(folder) + (said.isEmpty() ? QString() : QStringLiteral(u": ") + said);
        return;
    }
    // A dictionary of another make would have its fields in another order.
    bool fits = false;
    Word word;
    if (begin(u"できた") && next(word)) {
        fits = dictionary == Dictionary::Ipa ? word.base == "できる" && word.reading == "デキ"
                                             : word.lemma == "出来る";
    }
    if (!fits) {
        delete std::exchange(m_tagger, nullptr);
        m_error = QStringLiteral(u"辞書 %1 は %2 の形ではないため使えません").arg(folder, package);
    }
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

    std::array<std::string_view, ipaFields> fields{};
    const std::size_t count = splitFeature(node->feature, fields);
    word.partOfSpeech = fields[0];
    word.detail = fields[1];
    const bool unknown = node->stat == MECAB_UNK_NODE;
    if (m_dictionary == Dictionary::UniDic) {
        word.base = word.surface;
        word.reading = {};
        word.lemma = count > uniDicLemma && !unknown && fields[uniDicLemma] != "*" ? fields[uniDicLemma]
                                                                                    : std::string_view();
        return true;
    }
    word.base = count > 6 && fields[6] != "*" ? fields[6] : word.surface;
    word.reading = count > 7 && !unknown && fields[7] != "*" ? fields[7] : std::string_view();
    word.lemma = {};
    return true;
}

} // namespace prose
