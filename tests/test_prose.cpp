// The prose check without a display: each rule on scripts that must be
// found and on ones where it must stay silent, the unify step, the writer's
// list, the check made a part at a time, the program's own text, and 使用箇所.
#include "markup/markup.h"
#include "prose/list_rules.h"
#include "prose/prose_check.h"
#include "prose/spelling.h"
#include "prose/usage.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Lines joined by CR LF, as the script text has them.
QString script(const QStringList &lines) { return lines.join(u"\r\n"_s); }

prose::Rules only(prose::Rule rule)
{
    prose::Rules rules;
    rules.on = {false, false, false};
    rules[rule] = true;
    return rules;
}

// Each finding as "line:column" and its message.
QStringList described(const prose::Result &result)
{
    QStringList out;
    for (const prose::Finding &f : result.findings)
        out << u"%1:%2 %3"_s.arg(f.line).arg(f.column).arg(f.message);
    return out;
}

// The script with the replacements written in.
QString replaced(QString text, const std::vector<prose::Replacement> &replacements)
{
    for (auto r = replacements.rbegin(); r != replacements.rend(); ++r)
        text.replace(r->offset, r->length, r->text);
    return text;
}

} // namespace

class TestProse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_reader.ok(), qPrintable(m_reader.error()));
        QVERIFY2(m_lemmas.ok(), qPrintable(m_lemmas.error()));
    }

    void rules_data();
    void rules();
    void oneWordNotOneReading_data();
    void oneWordNotOneReading();
    void theSystemsDefaultDictionaryChangesNothing_data();
    void theSystemsDefaultDictionaryChangesNothing();
    void withoutLemmasOnlyTheListIsLookedFor();
    void findingsStandWhereTheWordIs();
    void aLongLineIsReadInPieces();
    void unifying_data();
    void unifying();
    void writersList_data();
    void writersList();
    void listedSpellings();
    void theListsIndexFindsWhatEachRuleFinds();
    void respelling_data();
    void respelling();
    void partsGiveTheFindingsOfTheWhole();
    void withoutADictionaryOnlyPunctuationIsFound();
    void noFindingInTheProgramsOwnText();
    void subjects_data();
    void subjects();
    void uses_data();
    void uses();

private:
    prose::Reader m_reader;
    prose::Reader m_lemmas{prose::Dictionary::UniDic};
};

void TestProse::rules_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    const int spelling = int(prose::Rule::Spelling);
    const int voice = int(prose::Rule::Voice);
    const int punctuation = int(prose::Rule::Punctuation);
    QTest::newRow("表記ゆれ: kana against kanji, the fewer is found")
        << spelling << QStringList{u"出来る。"_s, u"出来た。"_s, u"できる。"_s}
        << QStringList{u"3:1 表記ゆれ: 「できる」1件、「出来る」2件。"_s};
    QTest::newRow("表記ゆれ: a katakana word with and without its final ー")
        << spelling << QStringList{u"キャラクターだ。キャラクター。"_s, u"キャラクタ。"_s, u"キャラクター"_s}
        << QStringList{u"2:1 表記ゆれ: 「キャラクタ」1件、「キャラクター」3件。"_s};
    QTest::newRow("表記ゆれ: okurigana")
        << spelling << QStringList{u"取り扱いに注意。取り扱い。"_s, u"取扱い。"_s}
        << QStringList{u"2:1 表記ゆれ: 「取扱い」1件、「取り扱い」2件。"_s};
    QTest::newRow("表記ゆれ: of two used as often, the later is found")
        << spelling << QStringList{u"できる"_s, u"出来る"_s} << QStringList{u"2:1 表記ゆれ: 「出来る」1件、「できる」1件。"_s};
    QTest::newRow("表記ゆれ: two kanji of one reading are two words")
        << spelling << QStringList{u"駅で会う。"_s, u"色が合う。"_s, u"あう。"_s} << QStringList{};
    QTest::newRow("表記ゆれ: a quoted title stays silent")
        << spelling << QStringList{u"『出来る男の条件』を読む。"_s, u"できる。できる。"_s} << QStringList{};
    QTest::newRow("表記ゆれ: tags and comments stay silent")
        << spelling
        << QStringList{u"<!-- 出来る -->"_s, u"<BGM SRC=\"出来る\">"_s, u"<!--- \" 出来る \" --->"_s, u"できる<P>"_s}
        << QStringList{};
    QTest::newRow("表記ゆれ: a tag inside the word's line")
        << spelling << QStringList{u"「<INDENT>出来る」</INDENT><P>"_s, u"できる<P>できる"_s}
        << QStringList{u"1:10 表記ゆれ: 「出来る」1件、「できる」2件。"_s};
    QTest::newRow("表記ゆれ: the speaker's name at a line's start is no word")
        << spelling << QStringList{u"しずく 「うん」<P>"_s, u"しずく 「そう」<P>"_s, u"雫が落ちた。"_s} << QStringList{};
    QTest::newRow("表記ゆれ: pronouns are the speakers' own")
        << spelling << QStringList{u"私は。"_s, u"わたしは。"_s} << QStringList{};

    QTest::newRow("声: ゆら says 私 twice and あたし once")
        << voice << QStringList{u"ゆら 「私は行く」<P>"_s, u"ゆら 「私も」<P>"_s, u"ゆら 「あたしは？」<P>"_s}
        << QStringList{u"3:5 声: ゆらの一人称はふだん「私」（2件）。ここは「あたし」。"_s};
    QTest::newRow("声: a speaker who has only one line stays silent")
        << voice << QStringList{u"ゆら 「私は私、あたしは」<P>"_s} << QStringList{};
    QTest::newRow("声: as many of each stays silent")
        << voice << QStringList{u"ゆら 「私」<P>"_s, u"ゆら 「あたし」<P>"_s} << QStringList{};
    QTest::newRow("声: another speaker's quoted words stay silent")
        << voice
        << QStringList{u"ゆら 「私は」<P>"_s, u"ゆら 「私も」<P>"_s, u"ゆら 「しずくが『あたしも行く』って」<P>"_s}
        << QStringList{};
    QTest::newRow("声: narration is nobody's")
        << voice << QStringList{u"私は歩いた。"_s, u"私は。"_s, u"あたしは。"_s, u"「あたし」"_s} << QStringList{};
    QTest::newRow("声: after the speaker's 」 the line is narration")
        << voice << QStringList{u"ゆら 「私」<P>"_s, u"ゆら 「私」<P>"_s, u"ゆら 「うん」とあたしは言った。<P>"_s}
        << QStringList{};
    QTest::newRow("声: a speaker's line without 「 is all theirs")
        << voice << QStringList{u"凛 僕は。"_s, u"凛 僕も。"_s, u"凛 俺は。"_s}
        << QStringList{u"3:3 声: 凛の一人称はふだん「僕」（2件）。ここは「俺」。"_s};
    QTest::newRow("声: how one speaker calls another")
        << voice
        << QStringList{u"しずく 「ゆらちゃん」<P>"_s, u"しずく 「ゆらちゃん、待って」<P>"_s, u"しずく 「ゆらさん？」<P>"_s,
                       u"ちとせ 「ゆらさん」<P>"_s}
        << QStringList{u"3:6 声: しずくはゆらをふだん「ゆらちゃん」と呼んでいます（2件）。ここは「ゆらさん」。"_s};
    QTest::newRow("声: a name without a suffix is no way of calling")
        << voice << QStringList{u"しずく 「ゆらちゃん」<P>"_s, u"しずく 「ゆらちゃん」<P>"_s, u"しずく 「ゆらゆら揺れる」<P>"_s}
        << QStringList{};

    QTest::newRow("約物: …… and ―― in pairs")
        << punctuation << QStringList{u"……待って。"_s, u"…待って。"_s, u"―――そう。"_s, u"――そう。"_s}
        << QStringList{u"2:1 約物: 「…」は二つずつ（……）書きます。"_s, u"3:1 約物: 「―」は二つずつ（――）書きます。"_s};
    QTest::newRow("約物: a full-width space after ！ and ？ unless a closing bracket follows")
        << punctuation
        << QStringList{u"「待って！」"_s, u"待って！　行く。"_s, u"待って！？行く。"_s, u"本当？"_s, u"待って！<P>"_s}
        << QStringList{u"3:4 約物: 「！？」のあとには全角の空白を入れます。"_s};
    QTest::newRow("約物: no 。 before 」")
        << punctuation << QStringList{u"「うん。」"_s, u"「うん」。"_s, u"『本。』"_s}
        << QStringList{u"1:4 約物: 閉じかっこの前に「。」は要りません。"_s};
    QTest::newRow("約物: tags and comments stay silent")
        << punctuation << QStringList{u"<!-- 待って！行く… -->"_s, u"<BGM SRC=\"え！？。\">"_s} << QStringList{};
}

void TestProse::rules()
{
    QFETCH(int, rule);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    const prose::Result result = prose::check(script(lines), m_reader, &m_lemmas, only(prose::Rule(rule)), {});
    QCOMPARE(described(result), expected);
}

// Spellings are one word's when UniDic gives each use the same lemma; a
// reading shared is not enough. Each pair both ways: whichever spelling is
// used more, the other is found.
void TestProse::oneWordNotOneReading_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    const QStringList chime = {u"チャイムが鳴り、ベルも鳴った。"_s, u"耳まで赤くなった。どうかなって。"_s,
                               u"薄暗くなっていた。"_s};
    QTest::newRow("never: 鳴る and なる (成る)") << chime << QStringList{};
    QTest::newRow("never: なる (成る) and 鳴る, the other way")
        << QStringList{u"鈴が鳴る。"_s, u"大人になる。静かになる。"_s} << QStringList{};
    QTest::newRow("never: ため息をつく (吐く) and 着く")
        << QStringList{u"ため息をつく。またため息をついた。"_s, u"駅に着く。"_s} << QStringList{};
    QTest::newRow("never: 着く and つく (吐く), the other way")
        << QStringList{u"駅に着く。家に着いた。"_s, u"ため息をつく。"_s} << QStringList{};
    QTest::newRow("never: いい (良い) and いう (言う)")
        << QStringList{u"「ちょっといい？」"_s, u"彼はそう言う。"_s, u"そういうことだ。"_s} << QStringList{};
    QTest::newRow("never: 言う and いい (良い), the other way")
        << QStringList{u"そう言う。そう言った。"_s, u"これでいい。"_s} << QStringList{};
    QTest::newRow("never: 会う and 合う, read アウ alike")
        << QStringList{u"駅で会う。"_s, u"色が合う。"_s, u"また会った。"_s} << QStringList{};

    QTest::newRow("grouped: できる fewer than 出来る")
        << QStringList{u"今日は出来る。"_s, u"明日も出来た。"_s, u"きっとできる。"_s}
        << QStringList{u"3:4 表記ゆれ: 「できる」1件、「出来る」2件。"_s};
    QTest::newRow("grouped: 出来る fewer than できる")
        << QStringList{u"今日はできる。"_s, u"明日もできた。"_s, u"きっと出来る。"_s}
        << QStringList{u"3:4 表記ゆれ: 「出来る」1件、「できる」2件。"_s};
    QTest::newRow("grouped: きれい fewer than 綺麗")
        << QStringList{u"花が綺麗だ。"_s, u"空も綺麗だ。"_s, u"海がきれいだ。"_s}
        << QStringList{u"3:3 表記ゆれ: 「きれい」1件、「綺麗」2件。"_s};
    QTest::newRow("grouped: 綺麗 fewer than きれい")
        << QStringList{u"花がきれいだ。"_s, u"空もきれいだ。"_s, u"海が綺麗だ。"_s}
        << QStringList{u"3:3 表記ゆれ: 「綺麗」1件、「きれい」2件。"_s};
    QTest::newRow("grouped: いちばん fewer than 一番")
        << QStringList{u"一番好きだ。"_s, u"一番前の席。"_s, u"いちばん後ろ。"_s}
        << QStringList{u"3:1 表記ゆれ: 「いちばん」1件、「一番」2件。"_s};
    QTest::newRow("grouped: 一番 fewer than いちばん")
        << QStringList{u"いちばん好きだ。"_s, u"いちばん前の席。"_s, u"一番後ろ。"_s}
        << QStringList{u"3:1 表記ゆれ: 「一番」1件、「いちばん」2件。"_s};
    QTest::newRow("grouped: うれしい fewer than 嬉しい")
        << QStringList{u"とても嬉しい。"_s, u"嬉しかった。"_s, u"うれしい。"_s}
        << QStringList{u"3:1 表記ゆれ: 「うれしい」1件、「嬉しい」2件。"_s};
    QTest::newRow("grouped: 嬉しい fewer than うれしい")
        << QStringList{u"とてもうれしい。"_s, u"うれしかった。"_s, u"嬉しい。"_s}
        << QStringList{u"3:1 表記ゆれ: 「嬉しい」1件、「うれしい」2件。"_s};
    QTest::newRow("grouped: いつのまにか fewer than いつの間にか")
        << QStringList{u"いつの間にか夜だ。"_s, u"いつの間にか朝。"_s, u"いつのまにか昼。"_s}
        << QStringList{u"3:1 表記ゆれ: 「いつのまにか」1件、「いつの間にか」2件。"_s};
    QTest::newRow("grouped: いつの間にか fewer than いつのまにか")
        << QStringList{u"いつのまにか夜だ。"_s, u"いつのまにか朝。"_s, u"いつの間にか昼。"_s}
        << QStringList{u"3:1 表記ゆれ: 「いつの間にか」1件、「いつのまにか」2件。"_s};
    QTest::newRow("grouped beside a word of the same reading: 鳴る stays out")
        << QStringList{u"大人になる。"_s, u"静かに成る。"_s, u"大人になった。"_s, u"鐘が鳴る。"_s}
        << QStringList{u"2:4 表記ゆれ: 「成る」1件、「なる」2件。"_s};
}

void TestProse::oneWordNotOneReading()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    QCOMPARE(described(prose::check(script(lines), m_reader, &m_lemmas, only(prose::Rule::Spelling), {})), expected);
}

// Installing UniDic makes it MeCab's default: the readers open their own
// dictionaries by their folders, so the check finds what it found before,
// whichever dictionary the settings file names.
void TestProse::theSystemsDefaultDictionaryChangesNothing_data()
{
    QTest::addColumn<QString>("dictionary");
    QTest::newRow("UniDic the default") << prose::dictionaryFolder(prose::Dictionary::UniDic);
    QTest::newRow("IPA the default") << prose::dictionaryFolder(prose::Dictionary::Ipa);
    QTest::newRow("the default missing") << u"/nonexistent/dic"_s;
}

void TestProse::theSystemsDefaultDictionaryChangesNothing()
{
    QFETCH(QString, dictionary);
    const QString text = script({u"ゆら 「私は行く」<P>"_s, u"ゆら 「私も」<P>"_s, u"ゆら 「あたしは？」<P>"_s,
                                 u"チャイムが鳴った。赤くなった。"_s, u"出来る。出来た。できる。"_s});
    prose::Rules all;
    all.on = {true, true, true};
    const QStringList expected = {u"3:5 声: ゆらの一人称はふだん「私」（2件）。ここは「あたし」。"_s,
                                  u"5:9 表記ゆれ: 「できる」1件、「出来る」2件。"_s};
    QTemporaryDir dir;
    const QString rc = dir.filePath(u"mecabrc"_s);
    QFile file(rc);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("dicdir = " + QFile::encodeName(dictionary) + "\n");
    file.close();
    qputenv("MECABRC", QFile::encodeName(rc));
    prose::Reader words;
    prose::Reader lemmas(prose::Dictionary::UniDic);
    qunsetenv("MECABRC");
    QVERIFY2(words.ok(), qPrintable(words.error()));
    QVERIFY2(lemmas.ok(), qPrintable(lemmas.error()));
    QCOMPARE(described(prose::check(text, words, &lemmas, all, {})), expected);
}

// Without UniDic, spellings are never grouped by their reading alone; the
// writer's list and 声 go on.
void TestProse::withoutLemmasOnlyTheListIsLookedFor()
{
    prose::setDictionaryFolder(prose::Dictionary::UniDic, u"/nonexistent/unidic"_s);
    prose::Reader without(prose::Dictionary::UniDic);
    prose::setDictionaryFolder(prose::Dictionary::UniDic, {});
    QVERIFY(!without.ok());
    QVERIFY(without.error().contains(u"/nonexistent/unidic"_s));
    const QString text = script({u"ゆら 「私」<P>"_s, u"ゆら 「私」<P>"_s, u"ゆら 「あたし」<P>"_s, u"出来る。出来る。できる。一人で。"_s});
    prose::Rules all;
    all.on = {true, true, false};
    const QStringList expected = {u"3:5 声: ゆらの一人称はふだん「私」（2件）。ここは「あたし」。"_s,
                                  u"4:13 表記ゆれ: 「一人」は「ひとり」と書きます（表記の一覧）。"_s};
    const prose::UserList list = prose::parseUserList(u"一人=ひとり"_s);
    QCOMPARE(described(prose::check(text, m_reader, &without, all, list)), expected);
    QCOMPARE(described(prose::check(text, m_reader, nullptr, all, list)), expected);
}

// Offsets are UTF-16 units of the script text, whatever MeCab reads (UTF-8):
// a character beyond the basic plane, a lone LF and a tag before the word
// leave it where it is.
void TestProse::findingsStandWhereTheWordIs()
{
    const QString text =
        script({u"ゆら 「私」<P>"_s, u"ゆら 「私」<P>"_s, u"ゆら 「𠮷野家で\n<NL>😀あ、あたし」<P>"_s});
    const prose::Result result = prose::check(text, m_reader, &m_lemmas, {}, {});
    QCOMPARE(result.findings.size(), std::size_t(1));
    const prose::Finding &f = result.findings.front();
    QCOMPARE(f.kind, prose::Rule::Voice);
    QCOMPARE(text.sliced(f.offset, f.length), u"あたし"_s);
    QCOMPARE(f.column, f.offset - text.indexOf(u"ゆら 「𠮷"_s) + 1);
    QCOMPARE(result.lines, 3);
}

// A line of thousands of characters between tags: the dictionary reads it
// a few sentences at a time, and each finding still stands on its word.
void TestProse::aLongLineIsReadInPieces()
{
    const QString line = u"雪が降る。<P>"_s.repeated(1000) + u"出来る！行く"_s;
    const QString text = script({line, u"できる。できる。"_s});
    prose::Rules all;
    all.on = {true, true, true};
    const prose::Result result = prose::check(text, m_reader, &m_lemmas, all, {});
    QCOMPARE(described(result), (QStringList{u"1:8001 表記ゆれ: 「出来る」1件、「できる」2件。"_s,
                                             u"1:8004 約物: 「！」のあとには全角の空白を入れます。"_s}));
    QCOMPARE(text.sliced(result.findings.front().offset, result.findings.front().length), u"出来る"_s);
}

void TestProse::unifying_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("kept");

    QTest::newRow("to the kanji, conjugated forms too")
        << QStringList{u"できる。できた。"_s, u"出来ない。<!-- できる -->"_s} << u"出来る"_s
        << QStringList{u"出来る。出来た。"_s, u"出来ない。<!-- できる -->"_s} << 0;
    QTest::newRow("to the kana")
        << QStringList{u"出来る。出来た。"_s, u"できない。"_s} << u"できる"_s
        << QStringList{u"できる。できた。"_s, u"できない。"_s} << 0;
    QTest::newRow("to the final ー; quoted words stay")
        << QStringList{u"キャラクタ。『キャラクタ』"_s, u"キャラクター"_s} << u"キャラクター"_s
        << QStringList{u"キャラクター。『キャラクタ』"_s, u"キャラクター"_s} << 0;
    QTest::newRow("the speaker's name and the line's tags stay")
        << QStringList{u"ゆら 「出来る」<P>"_s, u"できる<P>できる"_s} << u"できる"_s
        << QStringList{u"ゆら 「できる」<P>"_s, u"できる<P>できる"_s} << 0;
}

void TestProse::unifying()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, target);
    QFETCH(QStringList, expected);
    QFETCH(int, kept);
    const QString text = script(lines);
    const prose::Result result = prose::check(text, m_reader, &m_lemmas, only(prose::Rule::Spelling), {});
    QCOMPARE(result.groups.size(), std::size_t(1));
    const prose::Unified unified = prose::unify(text, m_reader, &m_lemmas, result.groups.front(), target);
    QCOMPARE(replaced(text, unified.replacements), script(expected));
    QCOMPARE(unified.kept, kept);
    // Once written one way, the word is no finding.
    QVERIFY(prose::check(script(expected), m_reader, &m_lemmas, only(prose::Rule::Spelling), {}).findings.empty());
}

void TestProse::writersList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<prose::UserList>("expected");
    QTest::newRow("one rule a line, blanks around either side left out")
        << u"出来る=できる\n 下さい = ください \r\n"_s << prose::UserList{{u"出来る"_s, u"できる"_s}, {u"下さい"_s, u"ください"_s}};
    QTest::newRow("comments, empty sides, no = and the same spelling twice are no rules")
        << u"\uFEFF# 表記の一覧\n\n=できる\n出来る=\n出来る\nできる=できる\n事=こと\n事=コト"_s
        << prose::UserList{{u"事"_s, u"こと"_s}};
}

void TestProse::writersList()
{
    QFETCH(QString, text);
    QFETCH(prose::UserList, expected);
    QCOMPARE(prose::parseUserList(text), expected);
}

void TestProse::listedSpellings()
{
    const prose::UserList list = prose::parseUserList(u"出来る=できる\n一人=ひとり"_s);
    const QString text = script({u"出来た。ひとりで出来る。"_s, u"一人で。一人称で。『一人』"_s});
    const prose::Result result = prose::check(text, m_reader, &m_lemmas, only(prose::Rule::Spelling), list);
    // Wherever the listed spelling stands as words: not inside 一人称, not quoted.
    QCOMPARE(described(result), (QStringList{u"1:1 表記ゆれ: 「出来る」は「できる」と書きます（表記の一覧）。"_s,
                                             u"1:9 表記ゆれ: 「出来る」は「できる」と書きます（表記の一覧）。"_s,
                                             u"2:1 表記ゆれ: 「一人」は「ひとり」と書きます（表記の一覧）。"_s}));
    const prose::SpellingGroup &listed = result.groups.at(std::size_t(result.findings.back().group));
    QVERIFY(listed.listed);
    QCOMPARE(listed.spellings.front().text, u"ひとり"_s);
    QCOMPARE(listed.spellings.front().count, 1);
    QString unified = text;
    for (const prose::Finding &f : {result.findings.back(), result.findings.front()})
        unified = replaced(unified,
                           prose::unify(unified, m_reader, &m_lemmas, result.groups.at(std::size_t(f.group)),
                                        result.groups.at(std::size_t(f.group)).spellings.front().text)
                               .replacements);
    QCOMPARE(unified, script({u"できた。ひとりでできる。"_s, u"ひとりで。一人称で。『一人』"_s}));
    // The list is part of 表記ゆれ: off with it.
    QVERIFY(prose::check(text, m_reader, &m_lemmas, only(prose::Rule::Voice), list).findings.empty());
}

// The writer's list is matched through one index over all its rules: on
// random prose and random lists, it finds exactly the places a search for
// each rule alone finds.
void TestProse::theListsIndexFindsWhatEachRuleFinds()
{
    const QStringList spellings = {u"出来る"_s, u"できる"_s, u"一人"_s,   u"ひとり"_s, u"下さい"_s, u"ください"_s,
                                   u"事"_s,     u"こと"_s,   u"雪が"_s,   u"降る"_s,   u"一人称"_s, u"で"_s,
                                   u"行く"_s,   u"いく"_s,   u"雪が降"_s, u"。"_s};
    QRandomGenerator random(37);
    for (int round = 0; round < 30; ++round) {
        prose::UserList list;
        for (int i = random.bounded(1, 12); i > 0; --i) {
            const QString wrong = spellings[random.bounded(int(spellings.size()))];
            const QString right = spellings[random.bounded(int(spellings.size()))];
            if (wrong != right)
                list.push_back({wrong, right});
        }
        QString text;
        for (int i = random.bounded(1, 20); i > 0; --i)
            text += spellings[random.bounded(int(spellings.size()))];
        // The index first: the words' texts last until the reader reads again.
        const prose::ListRules index(m_reader, list);
        std::vector<prose::Word> words;
        m_reader.read(text, [&](const prose::Word &w) { words.push_back(w); });
        std::vector<std::vector<std::pair<qsizetype, qsizetype>>> indexed(index.size()), plain(index.size());
        index.find(text, words, [&](std::uint32_t i, qsizetype at, qsizetype length) { indexed[i].push_back({at, length}); });
        for (std::size_t i = 0; i < index.size(); ++i)
            prose::findPattern(text, words, index.pattern(i),
                               [&](qsizetype at, qsizetype length, const prose::Word *) { plain[i].push_back({at, length}); });
        QVERIFY2(indexed == plain, qPrintable(text));
    }
}

void TestProse::respelling_data()
{
    QTest::addColumn<QString>("surface");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("other");
    QTest::addColumn<QString>("expected");  // empty: none
    QTest::newRow("the stem in kana") << u"出来"_s << u"デキ"_s << u"出来る"_s << u"できる"_s << u"でき"_s;
    QTest::newRow("the stem in kanji") << u"でき"_s << u"デキ"_s << u"できる"_s << u"出来る"_s << u"出来"_s;
    QTest::newRow("okurigana") << u"終わっ"_s << u"オワッ"_s << u"終わる"_s << u"終る"_s << u"終っ"_s;
    QTest::newRow("a word that does not conjugate") << u"キャラクタ"_s << u"キャラクタ"_s << u"キャラクタ"_s
                                                    << u"キャラクター"_s << u"キャラクター"_s;
    QTest::newRow("a stem whose reading changes is kept") << u"来"_s << u"キ"_s << u"来る"_s << u"くる"_s << QString();
    QTest::newRow("an ending the other spelling lacks") << u"行っ"_s << u"イッ"_s << u"行く"_s << u"いける"_s << QString();
}

void TestProse::respelling()
{
    QFETCH(QString, surface);
    QFETCH(QString, reading);
    QFETCH(QString, base);
    QFETCH(QString, other);
    QFETCH(QString, expected);
    QCOMPARE(prose::respell(surface, reading, base, other).value_or(QString()), expected);
}

// The worker gets the script in slices cut anywhere but inside a CR LF: the
// findings must be those of the whole, wherever the cuts fall.
void TestProse::partsGiveTheFindingsOfTheWhole()
{
    const QStringList pieces = {u"ゆら 「私は"_s, u"あたしは"_s, u"」<P>"_s,        u"出来る。"_s,  u"できる！です"_s,
                                u"<!-- 私 --"_s, u">"_s,         u"しずく 「"_s,    u"ゆらちゃん"_s, u"ゆらさん"_s,
                                u"…"_s,          u"『"_s,        u"キャラクタ"_s,   u"』"_s,        u"キャラクター"_s,
                                u"\n"_s,         u"。」"_s,      u"<BGM SRC=\""_s, u"\">"_s};
    QRandomGenerator random(29);
    prose::Rules all;
    all.on = {true, true, true};
    for (int round = 0; round < 60; ++round) {
        QString text;
        for (int i = 0; i < 40; ++i)
            text += pieces[random.bounded(int(pieces.size()))] + (random.bounded(3) == 0 ? u"\r\n"_s : QString());
        const QStringList whole = described(prose::check(text, m_reader, &m_lemmas, all, {}));
        prose::Check check(m_reader, &m_lemmas, all, prose::UserList());
        // Cut elsewhere each time the check asks for the text again.
        do {
            for (qsizetype at = 0; at < text.size();) {
                qsizetype cut = std::min(text.size(), at + 1 + random.bounded(30));
                if (cut < text.size() && text[cut - 1] == u'\r' && text[cut] == u'\n')
                    ++cut;
                check.add(QStringView(text).sliced(at, cut - at), cut == text.size());
                at = cut;
            }
        } while (check.again());
        QCOMPARE(described(check.finish()), whole);
    }
}

// A machine without the dictionary: its folder is not there.
void TestProse::withoutADictionaryOnlyPunctuationIsFound()
{
    prose::setDictionaryFolder(prose::Dictionary::Ipa, u"/nonexistent/ipadic-utf8"_s);
    prose::Reader without;
    prose::setDictionaryFolder(prose::Dictionary::Ipa, {});
    QVERIFY(!without.ok());
    QVERIFY(without.error().contains(u"/nonexistent/ipadic-utf8"_s));
    prose::Rules all;
    all.on = {true, true, true};
    const QString text = script({u"ゆら 「私」<P>"_s, u"ゆら 「私」<P>"_s, u"ゆら 「あたし！行く」<P>"_s, u"出来る。できる"_s});
    QCOMPARE(described(prose::check(text, without, &m_lemmas, all, {})),
             QStringList{u"3:8 約物: 「！」のあとには全角の空白を入れます。"_s});
}

// The starting document, the scaffolds, the title call, the dialogue
// skeletons and a sprite picker's lines under every rule; and the
// benchmarks' script, written the program's way, under the rules that are
// on at first.
void TestProse::noFindingInTheProgramsOwnText()
{
    const auto str = [](std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); };
    QString text = str(markup::startingDocument);
    for (std::u16string_view label : markup::sectionLabels)
        text += markup::sectionScaffold(label);
    text += markup::titleCall();
    text += str(markup::indentedDialogue.text) + str(markup::plainDialogue.text) + u"\r\n"_s;
    const markup::CastMember &yura = markup::cast.front();
    text += markup::commentLine(str(yura.sprites.front().name)) + markup::actHead(str(yura.sprites.front().ref)) +
            markup::folderTail(markup::InstallType::Adult) + str(yura.speaker) + str(markup::plainDialogue.text);
    prose::Rules all;
    all.on = {true, true, true};
    QCOMPARE(described(prose::check(text, m_reader, &m_lemmas, all, {})), QStringList());

    QFile bench(qEnvironmentVariable("SCRIVLET_BENCH_SCRIPT"));
    if (!bench.open(QIODevice::ReadOnly))
        QSKIP("no benchmark script (SCRIVLET_BENCH_SCRIPT)");
    QStringDecoder decoder("windows-31j");
    const QString benchText = decoder(bench.readAll());
    QCOMPARE(described(prose::check(benchText, m_reader, &m_lemmas, {}, {})), QStringList());
}

void TestProse::subjects_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("label");  // empty: nothing there
    QTest::newRow("music in a BGM's SRC") << u"<BGM SRC=\"ふたりの時間\">"_s << 12 << u"ふたりの時間"_s;
    QTest::newRow("a picture by its path, whatever its case")
        << u"<ACT NAME=\"人\" SRC=\"pdt\\cgyr10.pdt\" FOLDER=\"ORVEN\">"_s << 20 << u"ゆら／コート・少し横向・普通"_s;
    QTest::newRow("a reference the game lacks") << u"<BGM SRC=\"ありえない曲\">"_s << 11 << u"ありえない曲"_s;
    QTest::newRow("a picker's comment line") << u"<!--- \" ゆら／コート・少し横向・普通 \" --->"_s << 9 << u"ゆら／コート・少し横向・普通"_s;
    QTest::newRow("a speaker's line") << u"ゆら 「うん」<P>"_s << 5 << u"星野ゆら"_s;
    QTest::newRow("a FOLDER value is no asset") << u"<BGM SRC=\"ふたりの時間\" FOLDER=\"ORVEN\">"_s << 27 << QString();
    QTest::newRow("narration") << u"雪が降っていた。"_s << 3 << QString();
}

void TestProse::subjects()
{
    QFETCH(QString, line);
    QFETCH(int, caret);
    QFETCH(QString, label);
    const QString text = script({u"雪。"_s, line, u"終わり"_s});
    const std::optional<prose::Subject> subject = prose::subjectAt(text, 4 + caret);
    QCOMPARE(subject ? subject->label : QString(), label);
}

void TestProse::uses_data()
{
    QTest::addColumn<int>("caretLine");  // 0-based line of the script below, caret at its 12th character
    QTest::addColumn<QList<int>>("lines");
    // 1 <BGM SRC="ふたりの時間">
    // 2 ふたりの時間を思い出す。
    // 3 <!--- " ゆら／コート・少し横向・普通 " --->
    // 4 <ACT NAME="人" SRC="PDT\CGYR10.PDT" FOLDER="ORVEN">
    // 5 ゆら 「ふたりの時間」<P>
    // 6 <bgm src="ふたりの時間"><ACT NAME="人" SRC="pdt\cgyr10.pdt">
    // 7 <!-- ゆら 「私」 -->
    // 8 ゆら 「うん」
    // 9 <!-- 書きかけ
    // 10 ゆら 「ない」
    // 11 -->
    QTest::newRow("music: its tags, not the prose naming it") << 0 << QList<int>{1, 6};
    QTest::newRow("a picture: its comment lines and its path in any case") << 2 << QList<int>{3, 4, 6};
    QTest::newRow("a speaker: the lines they speak, not a comment of one line or more") << 4 << QList<int>{5, 8};
}

void TestProse::uses()
{
    QFETCH(int, caretLine);
    QFETCH(QList<int>, lines);
    const QStringList all = {u"<BGM SRC=\"ふたりの時間\">"_s,
                             u"ふたりの時間を思い出す。"_s,
                             u"<!--- \" ゆら／コート・少し横向・普通 \" --->"_s,
                             u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\" FOLDER=\"ORVEN\">"_s,
                             u"ゆら 「ふたりの時間」<P>"_s,
                             u"<bgm src=\"ふたりの時間\"><ACT NAME=\"人\" SRC=\"pdt\\cgyr10.pdt\">"_s,
                             u"<!-- ゆら 「私」 -->"_s,
                             u"ゆら 「うん」"_s,
                             u"<!-- 書きかけ"_s,
                             u"ゆら 「ない」"_s,
                             u"-->"_s};
    const QString text = script(all);
    qsizetype caret = 12;
    for (int i = 0; i < caretLine; ++i)
        caret += all[i].size() + 2;
    const std::optional<prose::Subject> subject = prose::subjectAt(text, caret);
    QVERIFY(subject);
    QList<int> found;
    for (const prose::Use &use : prose::uses(text, *subject)) {
        found << int(use.line);
        QCOMPARE(use.text, all[use.line - 1]);
        QVERIFY(use.offset >= text.indexOf(all[use.line - 1]));
    }
    QCOMPARE(found, lines);
}

QTEST_GUILESS_MAIN(TestProse)
#include "test_prose.moc"
