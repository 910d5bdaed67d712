#include "prose/list_rules.h"

namespace prose {

Pattern patternOf(Reader &reader, const QString &text)
{
    Pattern pattern{text, {}, {}};
    int words = 0;
    reader.read(text, [&](const Word &w) {
        if (++words == 1 && w.known() && w.base == w.surface && w.length == text.size()) {
            pattern.base = w.base;
            pattern.partOfSpeech = w.partOfSpeech;
        }
    });
    if (words != 1)
        pattern.base.clear();
    return pattern;
}

ListRules::ListRules(Reader &reader, UserList list)
    : m_list(std::move(list))
{
    m_patterns.reserve(2 * m_list.size());
    for (const Preferred &p : m_list) {
        m_patterns.push_back(patternOf(reader, p.wrong));
        m_patterns.push_back(patternOf(reader, p.right));
    }
    for (std::uint32_t i = 0; i < m_patterns.size(); ++i) {
        const Pattern &p = m_patterns[i];
        if (!p.base.empty()) {
            m_byBase[p.base].push_back(i);
        } else if (!p.text.isEmpty()) {
            m_byText[QStringView(p.text)].push_back(i);
            m_longestText = std::max(m_longestText, p.text.size());
        }
    }
}

} // namespace prose
