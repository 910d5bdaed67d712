#include "prose/prose_check.h"

#include "markup/vocabulary.h"
#include "prose/spelling.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace prose {
namespace {

QString str(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }
QString str(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// The cast member's short name without its space: ゆら.
QString shortName(outline::Speaker speaker) { return str(markup::cast[speaker - 1].speaker).trimmed(); }

// Words whose spellings are compared: the content words. Numbers, pronouns
// (the speakers' own, see 声), names and suffixes are written as they are
// meant.
bool comparable(const Word &w)
{
    if (!w.known())
        return false;
    if (w.partOfSpeech == "名詞")
        return w.detail != "数" && w.detail != "代名詞" && w.detail != "固有名詞" && w.detail != "接尾" &&
               w.detail != "特殊" && w.detail != "引用文字列";
    return w.partOfSpeech == "動詞" || w.partOfSpeech == "形容詞" || w.partOfSpeech == "副詞" ||
           w.partOfSpeech == "連体詞" || w.partOfSpeech == "接続詞";
}

// The base form and the word it is a spelling of (part of speech, its
// first subclass, the reading spellings share); none for a word whose
// spelling is not compared.
struct Spelled {
    QString base;
    QString word;
};
std::optional<Spelled> spelledWord(const Word &w, std::string_view lemma)
{
    // A word whose lemma is not known is compared with none: a reading
    // shared is no proof of one word (鳴る and なる = 成る read ナル alike).
    if (!comparable(w) || lemma.empty())
        return std::nullopt;
    const QString base = str(w.base);
    const std::optional<QString> reading = baseReading(str(w.surface), str(w.reading), base);
    if (!reading)
        return std::nullopt;
    const QString shared = sharedReading(base, *reading);
    if (shared.size() < 2)
        return std::nullopt;
    return Spelled{base, str(w.partOfSpeech) + u',' + str(w.detail) + u',' + shared + u',' + str(lemma)};
}

// The words of the first person, as the speakers of a visual novel use
// them.
constexpr std::string_view firstPerson[] = {
    "私",   "わたし", "ワタシ", "わたくし", "あたし", "アタシ", "あたくし", "あたい", "僕",   "ぼく", "ボク", "俺",
    "おれ", "オレ",   "儂",     "わし",     "ワシ",   "我",     "われ",     "我輩",   "吾輩", "拙者", "妾",  "わらわ",
};

bool isFirstPerson(const Word &w)
{
    return w.partOfSpeech == "名詞" && w.detail == "代名詞" &&
           std::find(std::begin(firstPerson), std::end(firstPerson), w.surface) != std::end(firstPerson);
}

// What follows a name when it is used to call someone, the longest first
// where one starts another.
constexpr std::u16string_view suffixes[] = {
    u"姉ちゃん", u"ねえちゃん", u"姉さん", u"ねえさん", u"兄ちゃん", u"兄さん", u"ちゃん", u"さん", u"くん", u"君",
    u"さま",     u"様",         u"先輩",   u"先生",     u"殿",       u"氏",     u"たん",   u"っち", u"ねえ", u"姉",
};

// Where a word (or a part of a line) stands in the script.
struct Place {
    qsizetype offset;
    qsizetype length;
    qsizetype line;    // 1-based
    qsizetype column;  // 1-based
};

// A spelling the writer's list names, as the dictionary reads it: one
// word that conjugates, found in any of its forms, or a text found where
// the words it covers start and end.
struct Pattern {
    QString text;
    std::string base;          // one word: its base form, UTF-8; empty for a text
    std::string partOfSpeech;
};

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

// The prose of a script, line by line and word by word: what the check and
// the unify step share. `Visitor` is told of each line and of each stretch
// of prose with the same flags, with its words.
class Walker
{
public:
    // `lemmas` (UniDic) gives each word its lemma; none leaves them empty.
    Walker(Reader &reader, Reader *lemmas)
        : m_reader(reader)
        , m_lemmaReader(lemmas && lemmas->ok() ? lemmas : nullptr)
    {
    }

    struct Run {
        qsizetype start;   // in the line's prose
        QStringView text;
        std::uint8_t flags;
    };

    template <typename Visitor>
    void add(QStringView part, bool last, Visitor &visitor)
    {
        m_feed.add(part, last, [&](qsizetype number, qsizetype start, QStringView text) {
            m_lineNumber = number + 1;
            m_lineStart = start;
            m_state = m_line.read(text, m_state);
            visitor.line(*this);
            m_line.forEachRun([&](qsizetype from, qsizetype length, std::uint8_t flags) {
                const QStringView text = QStringView(m_line.text()).sliced(from, length);
                for (qsizetype at = 0; at < length;) {
                    const qsizetype cut = runEnd(text, at);
                    const Run run{from + at, text.sliced(at, cut - at), flags};
                    m_words.clear();
                    m_reader.read(run.text, [this](const Word &w) { m_words.push_back(w); });
                    readLemmas(run.text);
                    visitor.run(*this, run);
                    at = cut;
                }
            });
        });
    }

    const ProseLine &line() const { return m_line; }
    const std::vector<Word> &words() const { return m_words; }
    // The lemma of words()[i]: UniDic's lemmas of the words it read over the
    // same characters, one after another (いつの間にか, one word to the IPA
    // dictionary, is 何時 の 間 に か to UniDic); empty when there is no
    // lemma reader or a word over them has no lemma.
    std::string_view lemma(std::size_t i) const { return i < m_lemmas.size() ? m_lemmas[i] : std::string_view(); }
    bool knowsLemmas() const { return m_lemmaReader != nullptr; }
    qsizetype lineNumber() const { return m_lineNumber; }

    // Where `length` characters of the line's prose from `i` stand.
    Place place(qsizetype i, qsizetype length) const
    {
        const auto [from, to] = m_line.span(i, length);
        return {m_lineStart + from, to - from, m_lineNumber, from + 1};
    }

    // The places in a run where a pattern stands, each with the word it is
    // when it is one.
    template <typename Hit>
    void find(const Run &run, const Pattern &pattern, Hit hit) const
    {
        if (!pattern.base.empty()) {
            for (const Word &w : m_words)
                if (w.base == pattern.base && w.partOfSpeech == pattern.partOfSpeech)
                    hit(place(run.start + w.offset, w.length), &w);
            return;
        }
        for (qsizetype at = run.text.indexOf(pattern.text); at >= 0; at = run.text.indexOf(pattern.text, at + 1)) {
            const qsizetype end = at + pattern.text.size();
            const auto starts = [at](const Word &w) { return w.offset == at; };
            const auto ends = [end](const Word &w) { return w.offset + w.length == end; };
            if (std::any_of(m_words.begin(), m_words.end(), starts) && std::any_of(m_words.begin(), m_words.end(), ends))
                hit(place(run.start + at, pattern.text.size()), nullptr);
        }
    }

private:
    void readLemmas(QStringView text)
    {
        m_lemmas.clear();
        if (!m_lemmaReader)
            return;
        m_lemmaWords.clear();
        m_lemmaReader->read(text, [this](const Word &w) {
            m_lemmaWords.push_back({w.offset, w.offset + w.length, std::string(w.lemma)});
        });
        // Both lists are in the order of the text: each word takes the
        // lemma words that overlap it.
        std::size_t first = 0;
        for (const Word &w : m_words) {
            const qsizetype end = w.offset + w.length;
            while (first < m_lemmaWords.size() && m_lemmaWords[first].end <= w.offset)
                ++first;
            std::string &lemma = m_lemmas.emplace_back();
            for (std::size_t i = first; i < m_lemmaWords.size() && m_lemmaWords[i].start < end; ++i) {
                if (m_lemmaWords[i].lemma.empty()) {
                    lemma.clear();
                    break;
                }
                lemma += m_lemmaWords[i].lemma;
            }
        }
    }

    // Where a run read at once ends, from `at`: the dictionary reads a
    // sentence or a few at a time, however long the line, so a stretch of
    // more than longestRun characters is cut after a full stop near its end.
    static qsizetype runEnd(QStringView text, qsizetype at)
    {
        constexpr qsizetype longestRun = 2048;
        if (text.size() - at <= longestRun)
            return text.size();
        for (qsizetype cut = at + longestRun; cut > at + longestRun / 2; --cut)
            if (QStringView(u"。！？").contains(text[cut - 1]))
                return cut;
        return at + longestRun - (text[at + longestRun - 1].isHighSurrogate() ? 1 : 0);
    }

    struct LemmaWord {
        qsizetype start;
        qsizetype end;
        std::string lemma;
    };

    Reader &m_reader;
    Reader *m_lemmaReader;
    std::vector<LemmaWord> m_lemmaWords;
    std::vector<std::string> m_lemmas;  // of m_words
    LineFeed m_feed;
    ProseLine m_line;
    dnml::State m_state = dnml::State::Text;
    std::vector<Word> m_words;
    qsizetype m_lineNumber = 0;
    qsizetype m_lineStart = 0;
};

// How someone usually says a thing (their 一人称, what they call another),
// and every time they said it.
struct Habit {
    QHash<QString, std::vector<Place>> uses;  // by what was said
    std::vector<QString> order;               // what was said, first said first
    qsizetype firstLine = 0;
    bool severalLines = false;

    void note(const QString &said, const Place &place)
    {
        auto it = uses.find(said);
        if (it == uses.end()) {
            it = uses.insert(said, {});
            order.push_back(said);
        }
        it->push_back(place);
        if (firstLine == 0)
            firstLine = place.line;
        severalLines = severalLines || place.line != firstLine;
    }

    // What is said most, by more uses than anything else; none when two
    // tie or everything was said on one line.
    std::optional<QString> usual() const
    {
        if (!severalLines)
            return std::nullopt;
        std::optional<QString> best;
        std::size_t most = 0;
        bool tie = false;
        for (const QString &said : order) {
            const std::size_t n = uses.value(said).size();
            if (n > most) {
                best = said;
                most = n;
                tie = false;
            } else if (n == most) {
                tie = true;
            }
        }
        return tie ? std::nullopt : best;
    }
};

// A spelling's count and first use.
struct Seen {
    qsizetype count = 0;
    Place first{};
};

} // namespace

QString ruleName(Rule rule)
{
    switch (rule) {
    case Rule::Spelling: return QStringLiteral(u"表記ゆれ");
    case Rule::Voice: return QStringLiteral(u"声");
    case Rule::Punctuation: return QStringLiteral(u"約物");
    }
    return {};
}

class Check::Checker
{
public:
    Checker(Reader &reader, Reader *lemmas, Rules rules, UserList list)
        : m_walker(reader, rules[Rule::Spelling] ? lemmas : nullptr)
        , m_rules(rules)
        , m_list(std::move(list))
    {
        for (const Preferred &p : m_list) {
            m_patterns.push_back(patternOf(reader, p.wrong));
            m_patterns.push_back(patternOf(reader, p.right));
        }
        m_listed.resize(m_patterns.size());
    }

    void add(QStringView part, bool last) { m_walker.add(part, last, *this); }

    Result finish()
    {
        if (m_rules[Rule::Spelling]) {
            spellingFindings();
            listFindings();
        }
        if (m_rules[Rule::Voice]) {
            for (int speaker = 1; speaker < outline::speakerCount; ++speaker) {
                const QString name = shortName(outline::Speaker(speaker));
                habitFindings(m_firstPerson[std::size_t(speaker)],
                              [&name](const QString &usual, qsizetype n, const QString &here) {
                                  return QStringLiteral(u"声: %1の一人称はふだん「%2」（%3件）。ここは「%4」。")
                                      .arg(name, usual)
                                      .arg(n)
                                      .arg(here);
                              });
                for (int other = 1; other < outline::speakerCount; ++other) {
                    const QString called = shortName(outline::Speaker(other));
                    habitFindings(m_calls[std::size_t(speaker)][std::size_t(other)],
                                  [&](const QString &usual, qsizetype n, const QString &here) {
                                      return QStringLiteral(u"声: %1は%2をふだん「%3」と呼んでいます（%4件）。ここは「%5」。")
                                          .arg(name, called, usual)
                                          .arg(n)
                                          .arg(here);
                                  });
                }
            }
        }
        std::stable_sort(m_result.findings.begin(), m_result.findings.end(),
                         [](const Finding &a, const Finding &b) { return a.offset < b.offset; });
        m_result.lines = m_walker.lineNumber();
        return std::move(m_result);
    }

    // Walker's visitor.
    void line(const Walker &walker)
    {
        if (m_rules[Rule::Punctuation])
            punctuation(walker);
    }

    void run(const Walker &walker, const Walker::Run &run)
    {
        if (run.flags & Quoted)
            return;
        if (m_rules[Rule::Spelling]) {
            const std::vector<Word> &words = walker.words();
            for (std::size_t i = 0; i < words.size(); ++i)
                if (const std::optional<Spelled> spelled = spelledWord(words[i], walker.lemma(i)))
                    seeSpelling(*spelled, walker.place(run.start + words[i].offset, words[i].length));
            for (std::size_t i = 0; i < m_patterns.size(); ++i)
                walker.find(run, m_patterns[i],
                            [&](const Place &place, const Word *) { m_listed[i].push_back(place); });
        }
        const outline::Speaker speaker = walker.line().speaker();
        if (!m_rules[Rule::Voice] || !(run.flags & Spoken) || speaker == outline::narration)
            return;
        for (const Word &w : walker.words())
            if (isFirstPerson(w))
                m_firstPerson[speaker].note(str(w.surface), walker.place(run.start + w.offset, w.length));
        for (int other = 1; other < outline::speakerCount; ++other)
            if (other != speaker)
                calls(walker, run, speaker, outline::Speaker(other));
    }

private:
    void report(Rule kind, const Place &at, QString message, int group = -1)
    {
        m_result.findings.push_back({kind, at.offset, at.length, at.line, at.column, std::move(message), group});
    }

    void seeSpelling(const Spelled &spelled, const Place &place)
    {
        auto &spellings = m_spellings[spelled.word];
        Seen &seen = spellings[spelled.base];
        if (seen.count++ == 0)
            seen.first = place;
    }

    // Each word written more than one way: a finding for each spelling but
    // the one used most (the first used, of two used as often).
    void spellingFindings()
    {
        for (auto word = m_spellings.cbegin(); word != m_spellings.cend(); ++word) {
            if (word->size() < 2)
                continue;
            std::vector<QString> spellings;
            for (auto it = word->cbegin(); it != word->cend(); ++it)
                spellings.push_back(it.key());
            for (const std::vector<std::size_t> &sameWordOf : sameWord(spellings)) {
                std::vector<std::pair<QString, Seen>> group;
                for (std::size_t i : sameWordOf)
                    group.emplace_back(spellings[i], word->value(spellings[i]));
                std::sort(group.begin(), group.end(), [](const auto &a, const auto &b) {
                    return a.second.count != b.second.count ? a.second.count > b.second.count
                                                            : a.second.first.offset < b.second.first.offset;
                });
                const int index = int(m_result.groups.size());
                SpellingGroup &kept = m_result.groups.emplace_back();
                kept.word = word.key();
                for (const auto &[text, seen] : group)
                    kept.spellings.push_back({text, seen.count});
                for (std::size_t i = 1; i < group.size(); ++i) {
                    QStringList counts{QStringLiteral(u"「%1」%2件").arg(group[i].first).arg(group[i].second.count)};
                    for (std::size_t j = 0; j < group.size(); ++j)
                        if (j != i)
                            counts << QStringLiteral(u"「%1」%2件").arg(group[j].first).arg(group[j].second.count);
                    report(Rule::Spelling, group[i].second.first, QStringLiteral(u"表記ゆれ: ") + counts.join(u'、') + u'。',
                        index);
                }
            }
        }
    }

    // Every use of a spelling the writer's list corrects.
    void listFindings()
    {
        for (std::size_t i = 0; i < m_list.size(); ++i) {
            const std::vector<Place> &wrong = m_listed[2 * i];
            if (wrong.empty())
                continue;
            const int index = int(m_result.groups.size());
            m_result.groups.push_back({m_list[i].wrong,
                                       {{m_list[i].right, qsizetype(m_listed[2 * i + 1].size())},
                                        {m_list[i].wrong, qsizetype(wrong.size())}},
                                       true});
            for (const Place &place : wrong)
                report(Rule::Spelling, place,
                    QStringLiteral(u"表記ゆれ: 「%1」は「%2」と書きます（表記の一覧）。").arg(m_list[i].wrong, m_list[i].right),
                    index);
        }
    }

    // Where `speaker` calls `other` by their name and a suffix.
    void calls(const Walker &walker, const Walker::Run &run, outline::Speaker speaker, outline::Speaker other)
    {
        const QString name = shortName(other);
        for (qsizetype at = run.text.indexOf(name); at >= 0; at = run.text.indexOf(name, at + 1)) {
            const QStringView after = run.text.sliced(at + name.size());
            for (std::u16string_view suffix : suffixes) {
                const QStringView s(suffix.data(), qsizetype(suffix.size()));
                if (after.startsWith(s)) {
                    const Place place = walker.place(run.start + at, name.size() + s.size());
                    m_calls[speaker][other].note(name + s.toString(), place);
                    break;
                }
            }
        }
    }

    template <typename Message>
    void habitFindings(const Habit &habit, Message message)
    {
        const std::optional<QString> usual = habit.usual();
        if (!usual)
            return;
        const qsizetype n = qsizetype(habit.uses.value(*usual).size());
        for (const QString &said : habit.order)
            if (said != *usual)
                for (const Place &place : habit.uses.value(said))
                    report(Rule::Voice, place, message(*usual, n, said));
    }

    void punctuation(const Walker &walker)
    {
        const ProseLine &line = walker.line();
        const QString &text = line.text();
        const qsizetype n = text.size();
        const auto open = [&](qsizetype i) { return !(line.flags(i) & Quoted); };
        // Whether the prose character `i` stands right after the one before
        // it in the line, with no tag between them.
        const auto joined = [&](qsizetype i) { return i > 0 && i < n && line.column(i) == line.column(i - 1) + 1; };
        const auto next = [&](qsizetype i) { return joined(i + 1) ? text[i + 1] : QChar(); };
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text[i];
            if (!open(i))
                continue;
            if (c == u'…' || c == u'―') {
                qsizetype end = i + 1;
                while (joined(end) && text[end] == c)
                    ++end;
                if ((end - i) % 2)
                    report(Rule::Punctuation, walker.place(i, end - i),
                        QStringLiteral(u"約物: 「%1」は二つずつ（%1%1）書きます。").arg(c));
                i = end - 1;
            } else if (c == u'！' || c == u'？') {
                qsizetype end = i + 1;
                while (joined(end) && (text[end] == u'！' || text[end] == u'？'))
                    ++end;
                const QChar after = next(end - 1);
                const bool closing = QStringView(u"」』）】〉》〕］｝").contains(after);
                if (!after.isNull() && after != u'\u3000' && after != u'\n' && !closing)
                    report(Rule::Punctuation, walker.place(i, end - i),
                        QStringLiteral(u"約物: 「%1」のあとには全角の空白を入れます。").arg(text.sliced(i, end - i)));
                i = end - 1;
            } else if (c == u'。' && (next(i) == u'」' || next(i) == u'』')) {
                report(Rule::Punctuation, walker.place(i, 1), QStringLiteral(u"約物: 閉じかっこの前に「。」は要りません。"));
            }
        }
    }

    Walker m_walker;
    Rules m_rules;
    UserList m_list;
    std::vector<Pattern> m_patterns;  // each rule's 誤 and then its 正
    std::vector<std::vector<Place>> m_listed;
    QHash<QString, QHash<QString, Seen>> m_spellings;  // by word, by spelling
    std::array<Habit, outline::speakerCount> m_firstPerson;
    // By speaker, by whom they call.
    std::array<std::array<Habit, outline::speakerCount>, outline::speakerCount> m_calls;
    Result m_result;
};

Check::Check(Reader &reader, Reader *lemmas, Rules rules, UserList list)
    : m_checker(std::make_unique<Checker>(reader, lemmas, rules, std::move(list)))
{
}

Check::~Check() = default;

void Check::add(QStringView part, bool last)
{
    m_checker->add(part, last);
}

Result Check::finish()
{
    return m_checker->finish();
}

Result check(QStringView script, Reader &reader, Reader *lemmas, Rules rules, const UserList &list)
{
    Check check(reader, lemmas, rules, list);
    check.add(script, true);
    return check.finish();
}

class Unify::Unifier
{
public:
    Unifier(Reader &reader, Reader *lemmas, SpellingGroup group, QString target)
        : m_walker(reader, group.listed ? nullptr : lemmas)
        , m_group(std::move(group))
        , m_target(std::move(target))
    {
        if (m_group.listed && m_group.spellings.size() == 2)
            m_pattern = patternOf(reader, m_group.spellings[1].text);
        m_unified.target = m_target;
    }

    void add(QStringView part, bool last) { m_walker.add(part, last, *this); }
    Unified finish() { return std::move(m_unified); }

    // Walker's visitor.
    void line(const Walker &) {}

    void run(const Walker &walker, const Walker::Run &run)
    {
        if (run.flags & Quoted)
            return;
        if (m_pattern) {
            walker.find(run, *m_pattern, [&](const Place &place, const Word *w) {
                if (!w)
                    replace(place, m_target);
                else
                    replace(place, respell(str(w->surface), str(w->reading), str(w->base), m_target));
            });
            return;
        }
        const std::vector<Word> &words = walker.words();
        for (std::size_t i = 0; i < words.size(); ++i) {
            const Word &w = words[i];
            const std::optional<Spelled> spelled = spelledWord(w, walker.lemma(i));
            if (!spelled || spelled->word != m_group.word || spelled->base == m_target ||
                std::none_of(m_group.spellings.begin(), m_group.spellings.end(),
                             [&](const SpellingGroup::Spelling &s) { return s.text == spelled->base; }))
                continue;
            replace(walker.place(run.start + w.offset, w.length),
                    respell(str(w.surface), str(w.reading), spelled->base, m_target));
        }
    }

private:
    void replace(const Place &place, const std::optional<QString> &text)
    {
        if (text)
            m_unified.replacements.push_back({place.offset, place.length, *text});
        else
            ++m_unified.kept;
    }

    Walker m_walker;
    SpellingGroup m_group;
    QString m_target;
    std::optional<Pattern> m_pattern;  // a rule of the writer's list: its 誤
    Unified m_unified;
};

Unify::Unify(Reader &reader, Reader *lemmas, SpellingGroup group, QString target)
    : m_unifier(std::make_unique<Unifier>(reader, lemmas, std::move(group), std::move(target)))
{
}

Unify::~Unify() = default;

void Unify::add(QStringView part, bool last)
{
    m_unifier->add(part, last);
}

Unified Unify::finish()
{
    return m_unifier->finish();
}

Unified unify(QStringView script, Reader &reader, Reader *lemmas, const SpellingGroup &group, const QString &target)
{
    Unify unify(reader, lemmas, group, target);
    unify.add(script, true);
    return unify.finish();
}

} // namespace prose
