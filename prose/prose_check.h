// The check of the writer's words (文章の点検): the prose and the dialogue
// of a script, tags and comments left out, read with MeCab. It only
// reports; the unify step works out the replacements that write one word
// one way, and the author decides whether they go in.
//
// - 表記ゆれ: a word written several ways in the script (its spellings
//   are of one lemma, as UniDic reads each use, and share a reading and a
//   part of speech, see spelling.h); without a lemma reader only the
//   writer's list is looked for. One finding per
//   spelling other than the most used one, at its first use, naming every
//   spelling with its count. A spelling the writer's list corrects is a
//   finding wherever it stands.
// - 声: a speaker's 一人称, or the name and suffix they call another cast
//   member by (ゆらちゃん), unlike the one they use most, counted over the
//   speaker's own words (on their lines, inside the 「」, outside any 『』).
// - 約物: …… and ―― in pairs, a full-width space after ！ and ？ unless a
//   closing bracket follows, no 。 before 」 or 』.
//
// Words inside 『』 (titles, someone else's words) are left to 約物 and to
// nothing else. Safe on any thread with a Reader of its own.
#pragma once

#include "prose/prose_line.h"
#include "prose/reading.h"
#include "prose/user_list.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace prose {

class ListRules;

enum class Rule : std::uint8_t { Spelling, Voice, Punctuation };
inline constexpr std::array<Rule, 3> rules = {Rule::Spelling, Rule::Voice, Rule::Punctuation};

// Which rules are on; 表記ゆれ and 声 unless the writer turns them off.
struct Rules {
    std::array<bool, rules.size()> on = {true, true, false};

    bool operator[](Rule rule) const { return on[std::size_t(rule)]; }
    bool &operator[](Rule rule) { return on[std::size_t(rule)]; }
    bool any() const { return on[0] || on[1] || on[2]; }
    friend bool operator==(const Rules &, const Rules &) = default;
};

// "表記ゆれ", "声", "約物".
QString ruleName(Rule rule);

// The same shape as the check's findings.
struct Finding {
    Rule kind;
    qsizetype offset;  // in the script text (CR LF counts two)
    qsizetype length;
    qsizetype line;    // 1-based
    qsizetype column;  // 1-based, in characters
    QString message;   // Japanese, one sentence or two
    int group = -1;    // 表記ゆれ: its word's spellings, an index into Result::groups
};

// The spellings of one word in the script, the most used first.
struct SpellingGroup {
    struct Spelling {
        QString text;  // of the base form: 出来る for 出来た
        qsizetype count;
    };
    // What tells the word's uses in the script: its part of speech,
    // reading and lemma, or for a rule of the writer's list the spelling it corrects.
    QString word;
    std::vector<Spelling> spellings;
    // From the writer's list: `spellings` are its 正 and then its 誤, and the
    // 正 is the one to write.
    bool listed = false;
};

struct Result {
    std::vector<Finding> findings;  // in the order of their offsets
    std::vector<SpellingGroup> groups;
    qsizetype lines = 0;  // the lines read
};

// The check made a part at a time, as the text is read: parts of the
// script text cut anywhere but inside a CR LF (see LineFeed), the whole
// text once, or twice when again() asks for it.
class Check
{
public:
    // `lemmas` (UniDic) tells words apart for 表記ゆれ; none, or one that is
    // not ok(), leaves that part out.
    Check(Reader &reader, Reader *lemmas, Rules rules, UserList list);
    // The same with the writer's list made ready once for many checks.
    Check(Reader &reader, Reader *lemmas, Rules rules, std::shared_ptr<const ListRules> list);
    ~Check();
    Check(const Check &) = delete;
    Check &operator=(const Check &) = delete;

    void add(QStringView part, bool last);
    // After the last part: true when the text is wanted once more, from
    // its start, in parts cut anywhere as before (the lines where spellings
    // share a reading are read again, with their lemmas); false when the
    // findings are ready.
    bool again();
    // The findings of every part added.
    Result finish();

private:
    class Checker;
    std::unique_ptr<Checker> m_checker;
};

// The whole script at once.
Result check(QStringView script, Reader &reader, Reader *lemmas, Rules rules, const UserList &list);

// One replacement in the script text.
struct Replacement {
    qsizetype offset;
    qsizetype length;
    QString text;
    friend bool operator==(const Replacement &, const Replacement &) = default;
};

struct Unified {
    std::vector<Replacement> replacements;  // ascending, not overlapping
    qsizetype kept = 0;  // uses of another spelling that cannot be respelled (来た is not くた)
    QString target;      // the spelling written
};

// The unify step made a part at a time: every use of `group`'s word that
// is spelled otherwise than `target` (one of its spellings), respelled,
// outside 『』 as the check counts them.
class Unify
{
public:
    // `lemmas` as for the check that found the group.
    Unify(Reader &reader, Reader *lemmas, SpellingGroup group, QString target);
    ~Unify();
    Unify(const Unify &) = delete;
    Unify &operator=(const Unify &) = delete;

    void add(QStringView part, bool last);
    Unified finish();

private:
    class Unifier;
    std::unique_ptr<Unifier> m_unifier;
};

Unified unify(QStringView script, Reader &reader, Reader *lemmas, const SpellingGroup &group, const QString &target);

} // namespace prose
