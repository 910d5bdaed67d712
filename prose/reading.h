// Reading Japanese prose word by word with MeCab: each word's place in the
// text, its part of speech, its base form and its reading, from the IPA
// dictionary; and from UniDic, each word's lemma (語彙素), which tells two
// words that share a reading (鳴る, 成る) apart. A dictionary is opened by
// its own folder, never through MeCab's system default (installing UniDic
// makes it that default, and the IPA's fields would be misread). A Reader
// holds one MeCab tagger, which must never be used by two threads at once:
// each worker makes its own.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace MeCab {
class Tagger;
}

namespace prose {

enum class Dictionary : std::uint8_t {
    Ipa,     // mecab-ipadic-utf8: parts of speech, base forms, readings
    UniDic,  // unidic-mecab: lemmas
};

// The folder a dictionary is opened from: Debian's, unless a test said
// otherwise with setDictionaryFolder().
QString dictionaryFolder(Dictionary dictionary);
// For tests: where the dictionary is (an empty folder: Debian's again).
void setDictionaryFolder(Dictionary dictionary, const QString &folder);

// One word as the dictionary reads it. The texts are UTF-8 views that
// last until the next word is read.
struct Word {
    qsizetype offset;  // in the text read, in UTF-16 units
    qsizetype length;
    std::string_view surface;      // as written in the text
    std::string_view partOfSpeech;  // 名詞, 動詞, 形容詞, 助詞…
    std::string_view detail;        // its first subclass: 一般, 自立, 代名詞, 数…; "*" for none
    std::string_view base;          // the dictionary form as written (出来る for 出来た)
    std::string_view reading;       // of the surface, in katakana; empty for a word the dictionary lacks
    // UniDic's alone: the word's lemma (語彙素), one for all its spellings
    // (出来る for できた, 成る for なっ, 吐く for ため息をつく's つく);
    // empty for the IPA dictionary and for a word UniDic lacks.
    std::string_view lemma;

    bool known() const { return !reading.empty(); }
};

class Reader
{
public:
    // Opens `dictionary` from its folder, whatever MeCab's settings name as
    // the default, and reads one word to see that its entries hold the
    // fields read here; see ok().
    explicit Reader(Dictionary dictionary = Dictionary::Ipa);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // False when MeCab or its dictionary could not be opened or is not the
    // one expected; error() says why, naming the dictionary's folder.
    bool ok() const { return m_tagger != nullptr; }
    const QString &error() const { return m_error; }

    // Reads `text` (prose without line breaks) and calls `word(const Word &)`
    // for each word, in order. Blanks between words belong to none. Nothing
    // happens when the reader is not ok().
    template <typename WordFunction>
    void read(QStringView text, WordFunction word)
    {
        if (!begin(text))
            return;
        Word w;
        while (next(w))
            word(w);
    }

private:
    bool begin(QStringView text);
    bool next(Word &word);

    Dictionary m_dictionary;
    MeCab::Tagger *m_tagger = nullptr;
    QString m_error;
    std::string m_input;  // the text read, in UTF-8
    const void *m_node = nullptr;
    std::size_t m_byte = 0;  // where the last word ended, in m_input
    qsizetype m_unit = 0;    // the same place in UTF-16 units
};

} // namespace prose
