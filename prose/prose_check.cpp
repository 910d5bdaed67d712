#include "prose/prose_check.h"

#include "markup/vocabulary.h"
#include "prose/list_rules.h"
#include "prose/spelling.h"

#include <QSet>

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

// The base form and what its spellings share as the IPA dictionary reads
// them (part of speech, its first subclass, the reading of the base form);
// none for a word whose spelling is not compared. A shared reading is no
// proof of one word (鳴る and なる = 成る read ナル alike): a word is one
// word with another only when their lemmas are the same too (wordOf).
struct Spelled {
    QString base;
    QString reading;
};
std::optional<Spelled> spelledWord(const Word &w)
{
    if (!comparable(w))
        return std::nullopt;
    const QString base = str(w.base);
    const std::optional<QString> reading = baseReading(str(w.surface), str(w.reading), base);
    if (!reading)
        return std::nullopt;
    const QString shared = sharedReading(base, *reading);
    if (shared.size() < 2)
        return std::nullopt;
    return Spelled{base, str(w.partOfSpeech) + u',' + str(w.detail) + u',' + shared};
}

// What tells a word from every other: the reading its spellings share and
// its lemma.
QString wordOf(const QString &reading, std::string_view lemma)
{
    return reading + u',' + str(lemma);
}

// The reading part of a wordOf().
QStringView readingOf(const QString &word)
{
    return QStringView(word).first(std::max<qsizetype>(0, word.lastIndexOf(u',')));
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
            if (!visitor.wanted(m_lineNumber))
                return;
            visitor.line(*this);
            m_line.forEachRun([&](qsizetype from, qsizetype length, std::uint8_t flags) {
                const QStringView text = QStringView(m_line.text()).sliced(from, length);
                for (qsizetype at = 0; at < length;) {
                    const qsizetype cut = runEnd(text, at);
                    const Run run{from + at, text.sliced(at, cut - at), flags};
                    m_words.clear();
                    m_reader.read(run.text, [this](const Word &w) { m_words.push_back(w); });
                    m_run = run.text;
                    m_lemmasRead = false;
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
    // lemma reader or a word over them has no lemma. The run is read with
    // UniDic when a lemma is first asked for, and only then.
    std::string_view lemma(std::size_t i) const
    {
        if (!m_lemmasRead)
            readLemmas();
        return i < m_lemmas.size() ? m_lemmas[i] : std::string_view();
    }
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
        findPattern(run.text, m_words, pattern, [&](qsizetype at, qsizetype length, const Word *w) {
            hit(place(run.start + at, length), w);
        });
    }

private:
    void readLemmas() const
    {
        m_lemmasRead = true;
        m_lemmas.clear();
        if (!m_lemmaReader)
            return;
        m_lemmaWords.clear();
        m_lemmaReader->read(m_run, [this](const Word &w) {
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
    QStringView m_run;  // the run whose words m_words are
    // Read when first asked for.
    mutable bool m_lemmasRead = false;
    mutable std::vector<LemmaWord> m_lemmaWords;
    mutable std::vector<std::string> m_lemmas;  // of m_words
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
    Checker(Reader &reader, Reader *lemmas, Rules rules, std::shared_ptr<const ListRules> list)
        : m_reader(reader)
        , m_lemmas(rules[Rule::Spelling] && lemmas && lemmas->ok() ? lemmas : nullptr)
        , m_walker(reader, nullptr)
        , m_rules(rules)
        , m_list(std::move(list))
    {
        m_listed.resize(m_list->size());
    }

    void add(QStringView part, bool last)
    {
        if (m_second)
            m_second->add(part, last, *this);
        else
            m_walker.add(part, last, *this);
    }

    // After the first reading: the lines where a reading is shared by
    // several spellings are read once more, with their lemmas, to tell which
    // of them are one word. Only those lines: UniDic is a second reading of
    // the text, and most lines have no such word.
    bool again()
    {
        if (m_second || !m_lemmas)
            return false;
        for (auto reading = m_spellings.cbegin(); reading != m_spellings.cend(); ++reading)
            if (reading->size() >= 2) {
                m_shared.insert(reading.key());
                const std::vector<qsizetype> &lines = m_linesOf.value(reading.key());
                m_wanted.insert(m_wanted.end(), lines.begin(), lines.end());
            }
        m_linesOf.clear();
        if (m_wanted.empty())
            return false;
        std::sort(m_wanted.begin(), m_wanted.end());
        m_wanted.erase(std::unique(m_wanted.begin(), m_wanted.end()), m_wanted.end());
        m_second = std::make_unique<Walker>(m_reader, m_lemmas);
        return true;
    }

    Result finish()
    {
        if (m_rules[Rule::Spelling]) {
            // The spellings of one reading that are one word's, if their
            // lines were read again with their lemmas; else none.
            m_spellings = std::move(m_words);
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

    // Walker's visitor: every line the first time, the lines wanted the
    // second.
    bool wanted(qsizetype line)
    {
        if (!m_second)
            return true;
        while (m_nextWanted < m_wanted.size() && m_wanted[m_nextWanted] < line)
            ++m_nextWanted;
        return m_nextWanted < m_wanted.size() && m_wanted[m_nextWanted] == line;
    }

    void line(const Walker &walker)
    {
        if (m_rules[Rule::Punctuation] && !m_second)
            punctuation(walker);
    }

    void run(const Walker &walker, const Walker::Run &run)
    {
        if (run.flags & Quoted)
            return;
        if (m_second) {
            const std::vector<Word> &words = walker.words();
            for (std::size_t i = 0; i < words.size(); ++i) {
                const std::optional<Spelled> spelled = spelledWord(words[i]);
                if (!spelled || !m_shared.contains(spelled->reading))
                    continue;
                const std::string_view lemma = walker.lemma(i);
                if (!lemma.empty())
                    see(m_words, wordOf(spelled->reading, lemma), spelled->base,
                        walker.place(run.start + words[i].offset, words[i].length));
            }
            return;
        }
        if (m_rules[Rule::Spelling]) {
            const std::vector<Word> &words = walker.words();
            for (std::size_t i = 0; i < words.size(); ++i)
                if (const std::optional<Spelled> spelled = spelledWord(words[i])) {
                    see(m_spellings, spelled->reading, spelled->base,
                        walker.place(run.start + words[i].offset, words[i].length));
                    if (m_lemmas) {
                        std::vector<qsizetype> &lines = m_linesOf[spelled->reading];
                        if (lines.empty() || lines.back() != walker.lineNumber())
                            lines.push_back(walker.lineNumber());
                    }
                }
            m_list->find(run.text, words, [&](std::uint32_t i, qsizetype at, qsizetype length) {
                m_listed[i].push_back(walker.place(run.start + at, length));
            });
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

    using Spellings = QHash<QString, QHash<QString, Seen>>;  // by word, by spelling

    static void see(Spellings &in, const QString &word, const QString &spelling, const Place &place)
    {
        Seen &seen = in[word][spelling];
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
        const UserList &list = m_list->list();
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::vector<Place> &wrong = m_listed[2 * i];
            if (wrong.empty())
                continue;
            const int index = int(m_result.groups.size());
            m_result.groups.push_back({list[i].wrong,
                                       {{list[i].right, qsizetype(m_listed[2 * i + 1].size())},
                                        {list[i].wrong, qsizetype(wrong.size())}},
                                       true});
            for (const Place &place : wrong)
                report(Rule::Spelling, place,
                    QStringLiteral(u"表記ゆれ: 「%1」は「%2」と書きます（表記の一覧）。").arg(list[i].wrong, list[i].right),
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

    Reader &m_reader;
    Reader *m_lemmas;  // none: spellings are never grouped
    Walker m_walker;
    std::unique_ptr<Walker> m_second;  // the lines read again with lemmas
    Rules m_rules;
    std::shared_ptr<const ListRules> m_list;
    std::vector<std::vector<Place>> m_listed;  // by pattern of m_list
    Spellings m_spellings;  // the first reading's, by reading
    QHash<QString, std::vector<qsizetype>> m_linesOf;  // by reading, the lines it stands on
    QSet<QString> m_shared;  // readings of several spellings
    std::vector<qsizetype> m_wanted;  // lines read again, ascending
    std::size_t m_nextWanted = 0;
    Spellings m_words;  // the second reading's, by wordOf()
    std::array<Habit, outline::speakerCount> m_firstPerson;
    // By speaker, by whom they call.
    std::array<std::array<Habit, outline::speakerCount>, outline::speakerCount> m_calls;
    Result m_result;
};

Check::Check(Reader &reader, Reader *lemmas, Rules rules, std::shared_ptr<const ListRules> list)
    : m_checker(std::make_unique<Checker>(reader, lemmas, rules, std::move(list)))
{
}

Check::Check(Reader &reader, Reader *lemmas, Rules rules, UserList list)
    : Check(reader, lemmas, rules, std::make_shared<const ListRules>(reader, std::move(list)))
{
}

Check::~Check() = default;

void Check::add(QStringView part, bool last)
{
    m_checker->add(part, last);
}

bool Check::again()
{
    return m_checker->again();
}

Result Check::finish()
{
    return m_checker->finish();
}

Result check(QStringView script, Reader &reader, Reader *lemmas, Rules rules, const UserList &list)
{
    Check check(reader, lemmas, rules, list);
    do
        check.add(script, true);
    while (check.again());
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
    bool wanted(qsizetype) const { return true; }
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
            // The lemma last, and only of a word that reads as the group's.
            const std::optional<Spelled> spelled = spelledWord(w);
            if (!spelled || spelled->reading != readingOf(m_group.word) || spelled->base == m_target ||
                std::none_of(m_group.spellings.begin(), m_group.spellings.end(),
                             [&](const SpellingGroup::Spelling &s) { return s.text == spelled->base; }) ||
                wordOf(spelled->reading, walker.lemma(i)) != m_group.word)
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
