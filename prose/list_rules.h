// The writer's list made ready for reading a script: each spelling it names
// as the dictionary reads it, and an index over all of them, so that a
// stretch of prose is matched against every rule at once, in time that
// grows with the prose and not with the rules (a list of 100,000 rules
// costs a look-up per word, not 100,000 searches per line).
#pragma once

#include "prose/reading.h"
#include "prose/user_list.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace prose {

// A spelling the writer's list names, as the dictionary reads it: one
// word that conjugates, found in any of its forms, or a text found where
// the words it covers start and end.
struct Pattern {
    QString text;
    std::string base;  // one word: its base form, UTF-8; empty for a text
    std::string partOfSpeech;
};

Pattern patternOf(Reader &reader, const QString &text);

// Where `pattern` stands in `text`, whose words are `words` (in order):
// hit(offset, length, word) for each place, with the word it is when it
// is one (else nullptr), in the order of the text.
template <typename Hit>
void findPattern(QStringView text, const std::vector<Word> &words, const Pattern &pattern, Hit hit)
{
    if (!pattern.base.empty()) {
        for (const Word &w : words)
            if (w.base == pattern.base && w.partOfSpeech == pattern.partOfSpeech)
                hit(w.offset, w.length, &w);
        return;
    }
    for (qsizetype at = text.indexOf(pattern.text); at >= 0; at = text.indexOf(pattern.text, at + 1)) {
        const qsizetype end = at + pattern.text.size();
        const auto starts = [at](const Word &w) { return w.offset == at; };
        const auto ends = [end](const Word &w) { return w.offset + w.length == end; };
        if (std::any_of(words.begin(), words.end(), starts) && std::any_of(words.begin(), words.end(), ends))
            hit(at, pattern.text.size(), nullptr);
    }
}

class ListRules
{
public:
    // Reads each rule's 誤 and 正 with `reader`: made once for a list, then
    // shared by every check on the same thread.
    ListRules(Reader &reader, UserList list);

    const UserList &list() const { return m_list; }
    // Pattern 2i is rule i's 誤, 2i + 1 its 正.
    std::size_t size() const { return m_patterns.size(); }
    const Pattern &pattern(std::size_t i) const { return m_patterns[i]; }

    // Every pattern that stands in `text` (words as in findPattern):
    // hit(pattern, offset, length), each pattern's places in the order of
    // the text, as findPattern gives them.
    template <typename Hit>
    void find(QStringView text, const std::vector<Word> &words, Hit hit) const
    {
        if (m_patterns.empty())
            return;
        for (const Word &w : words) {
            const auto it = m_byBase.find(w.base);
            if (it != m_byBase.end())
                for (std::uint32_t i : it->second)
                    if (m_patterns[i].partOfSpeech == w.partOfSpeech)
                        hit(i, w.offset, w.length);
        }
        if (m_byText.isEmpty())
            return;
        // A text stands from where a word starts to where one ends.
        for (std::size_t s = 0; s < words.size(); ++s) {
            const qsizetype at = words[s].offset;
            for (std::size_t e = s; e < words.size(); ++e) {
                const qsizetype end = words[e].offset + words[e].length;
                if (end - at > m_longestText)
                    break;
                const auto it = m_byText.constFind(text.sliced(at, end - at));
                if (it != m_byText.cend())
                    for (std::uint32_t i : *it)
                        hit(i, at, end - at);
            }
        }
    }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };

    UserList m_list;
    std::vector<Pattern> m_patterns;
    std::unordered_map<std::string, std::vector<std::uint32_t>, Hash, std::equal_to<>> m_byBase;
    QHash<QStringView, std::vector<std::uint32_t>> m_byText;  // views of m_patterns' texts
    qsizetype m_longestText = 0;
};

} // namespace prose
