// Reading Japanese prose word by word with MeCab and the system's IPA
// dictionary: each word's place in the text, its part of speech, its base
// form and its reading. A Reader holds one MeCab tagger, which must never
// be used by two threads at once: each worker makes its own.
#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <string>
#include <string_view>

namespace MeCab {
class Tagger;
}

namespace prose {

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

    bool known() const { return !reading.empty(); }
};

class Reader
{
public:
    // Opens the system's dictionary (/etc/mecabrc names it); see ok().
    Reader();
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // False when MeCab or its dictionary could not be opened; error() says
    // why, in Japanese when MeCab does not.
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

    MeCab::Tagger *m_tagger = nullptr;
    QString m_error;
    std::string m_input;  // the text read, in UTF-8
    const void *m_node = nullptr;
    std::size_t m_byte = 0;  // where the last word ended, in m_input
    qsizetype m_unit = 0;    // the same place in UTF-16 units
};

} // namespace prose
