// The story's shape without a display: the outline's items, the stage at a
// line, the counting rules and the CSV, and the survey run that never
// delivers a survey of a text that has changed.
#include "document/script_document.h"
#include "document/script_file.h"
#include "document/text_reader.h"
#include "markup/markup.h"
#include "outline/survey.h"
#include "outline/survey_run.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace outline;

Q_DECLARE_METATYPE(outline::Point)

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// "line kind text" per item (lines 1-based), joined by " | ".
QString items(const Survey &s)
{
    QStringList out;
    for (const Item &item : s.items)
        out << u"%1 %2 %3"_s.arg(item.line + 1)
                   .arg(item.kind == ItemKind::Section ? u"section"_s : item.kind == ItemKind::Scene ? u"scene"_s
                                                                                                     : u"heading"_s)
                   .arg(item.text);
    return out.join(u" | "_s);
}

// "speaker lines/characters/rows" for each speaker with a line, then the
// pages: "地の文 1/8/1, 星野ゆら 1/6/1; 1枚".
QString figures(const Tally &t)
{
    QStringList out;
    for (Speaker speaker = 0; speaker < speakerCount; ++speaker)
        if (const Figure &f = t.speakers[speaker]; f.lines > 0)
            out << u"%1 %2/%3/%4"_s.arg(speakerName(speaker)).arg(f.lines).arg(f.characters).arg(f.rows);
    return out.join(u", "_s) + u"; %1枚"_s.arg(t.total().pages());
}

// "背景 | slot=picture … | 音楽 | curtain line" of the stage.
QString stage(const Stage &s)
{
    QStringList actors;
    for (const Actor &a : s.actors)
        actors << a.slot + u'=' + a.picture;
    return QStringList{s.background, actors.join(u' '), s.music, QString::number(s.curtainLine + 1)}.join(u" | "_s);
}

} // namespace

class TestOutline : public QObject
{
    Q_OBJECT

private slots:
    void outlineItems_data();
    void outlineItems();
    void stageAtALine_data();
    void stageAtALine();
    void countingRules_data();
    void countingRules();
    void partsOfTheText_data();
    void partsOfTheText();
    void csvForSpreadsheets();
    void benchmarkScriptHasEverySceneOnce();
    void staleSurveyIsNeverDelivered();
};

void TestOutline::outlineItems_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");

    QTest::newRow("sections by the scaffolds' comments, each with its black background")
        << markup::sectionScaffold(markup::forewordLabel) + markup::sectionScaffold(markup::mainStoryLabel)
        << u"1 section 前書き | 2 scene 黒画面 | 3 section 本編 | 4 scene 黒画面"_s;
    QTest::newRow("the title call: its section, a white screen, the title picture")
        << markup::titleCall() << u"1 section タイトル | 5 scene 白画面 | 9 scene システム・タイトル背景"_s;
    QTest::newRow("a comment that only mentions a label is no section")
        << u"<!-- 本編の前に -->\r\n<!--- \" 本編 \" --->"_s << u""_s;
    QTest::newRow("scenes by their display names; a picture unknown by its path; any letter case")
        << u"<BACKGROUND SRC=\"駅のホーム\" FOLDER=\"ORVEN\">\r\n<background src=\"pdt\\fgyr01.pdt\">\r\n"
           u"<BACKGROUND SRC=\"PDT\\NOPE.PDT\"><BACKGROUND COLOR=\"#123456\">"_s
        << u"1 scene 駅のホーム | 2 scene ゆら／再会／雪の校門 | 3 scene PDT\\NOPE.PDT | 3 scene 背景色 #123456"_s;
    QTest::newRow("the writer's headings in both comment shapes, across lines too")
        << u"<!-- ■第一章　雪の日 -->\r\n<!--- \" ◆ 回想 \" --->\r\n□<!--□ 続く\r\n-->\r\n<!-- ●-->"_s
        << u"1 heading ■第一章　雪の日 | 2 heading ◆ 回想 | 3 heading □ 続く | 5 heading ●"_s;
    QTest::newRow("no heading without its mark at the start, none in prose")
        << u"<!-- 第一章 ■ -->\r\n■ 見出しではない地の文"_s << u""_s;
    QTest::newRow("a tag cut short, or inside a comment, is no scene")
        << u"<BACKGROUND COLOR=\"#000000\"\r\n<P>\r\n<!-- <BACKGROUND COLOR=\"#000000\"> -->"_s << u""_s;
    QTest::newRow("a tag across lines counts where it starts")
        << u"雪\r\n<BACKGROUND\r\n SRC=\"駅のホーム\"\r\n>"_s << u"2 scene 駅のホーム"_s;
}

void TestOutline::outlineItems()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QCOMPARE(items(survey(script)), expected);
    // Lines ending in a lone CR give the same items, and so does a survey
    // made a line at a time, as the worker makes it while the text is read.
    const QString raw = QString(script).replace(u"\r\n"_s, u"\r"_s);
    QCOMPARE(items(survey(raw)), expected);
    SurveyBuilder parts;
    const QStringList lines = script.split(u"\r\n"_s);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        parts.add(lines[i] + u"\r\n"_s, false);
    parts.add(lines.back(), true);
    QCOMPARE(items(parts.finish()), expected);
}

void TestOutline::stageAtALine_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("line");  // 1-based: the stage above it
    QTest::addColumn<QString>("expected");

    const QString scene = u"<BACKGROUND SRC=\"駅のホーム\">\r\n<BGM SRC=\"Snow Drop\">\r\n"
                          u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\">\r\n"
                          u"<ACT NAME=\"ロゴ\" SRC=\"PDT\\TITLE_LG.PDT\">\r\n"
                          u"<ACT NAME=\"人\" SRC=\"PDT\\CGCT99.PDT\">\r\n"_s;
    QTest::newRow("nothing on stage before any tag") << scene << 1 << u" |  |  | 0"_s;
    QTest::newRow("a tag on the caret's own line is not yet on stage") << scene << 2 << u"駅のホーム |  |  | 0"_s;
    QTest::newRow("each slot shows its cast member and picture")
        << scene << 5 << u"駅のホーム | 人=星野ゆら（ゆら／コート・少し横向・普通） ロゴ=システム・タイトルロゴ | Snow Drop | 0"_s;
    QTest::newRow("the last ACT of a slot wins; an unknown picture by its path")
        << scene << 6 << u"駅のホーム | 人=PDT\\CGCT99.PDT ロゴ=システム・タイトルロゴ | Snow Drop | 0"_s;
    QTest::newRow("EXIT with a name empties that slot")
        << scene + u"<EXIT NAME=\"ロゴ\">\r\n"_s << 7 << u"駅のホーム | 人=PDT\\CGCT99.PDT | Snow Drop | 0"_s;
    QTest::newRow("EXIT alone empties every slot; an ACT after it fills one")
        << scene + u"<EXIT>\r\n<ACT NAME=\"ロゴ\" SRC=\"PDT\\TITLE_LG.PDT\">\r\n"_s << 8
        << u"駅のホーム | ロゴ=システム・タイトルロゴ | Snow Drop | 0"_s;
    QTest::newRow("a CURTAIN left open, with its line") << u"<P>\r\n<CURTAIN>\r\n<EXIT>\r\n"_s << 4 << u" |  |  | 2"_s;
    QTest::newRow("the title call leaves its curtain closed")
        << markup::titleCall() << 14
        << u"システム・タイトル背景 | ロゴ=システム・タイトルロゴ | "_s + qs(catalogues::music[catalogues::titleCallMusicRow].name) +
               u" | 0"_s;
}

void TestOutline::stageAtALine()
{
    QFETCH(QString, script);
    QFETCH(int, line);
    QFETCH(QString, expected);
    QCOMPARE(stage(stageAt(survey(script), line - 1)), expected);
}

void TestOutline::countingRules_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");

    QTest::newRow("narration; tags and comments left out, brackets kept")
        << u"<BGM SRC=\"x\">雪が<!-- 本編 -->「降る」<P>"_s << u"地の文 1/6/1; 1枚"_s;
    QTest::newRow("blanks left out: half-width, full-width, tab")
        << u"雪 が　降る\t夜"_s << u"地の文 1/5/1; 1枚"_s;
    QTest::newRow("grapheme clusters: a variation selector, a combining mark, half-width voicing, a joined emoji")
        << u"葛\U000E0100城か\u3099ｶﾞ👩\u200D👩\u200D👧"_s << u"地の文 1/5/1; 1枚"_s;
    QTest::newRow("a speaker line, the name included")
        << u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\" FOLDER=\"ORVEN\">\r\nゆら 「うん」<P>"_s
        << u"星野ゆら 1/6/1; 1枚"_s;
    QTest::newRow("a name without its space, or not at the line's start, is narration")
        << u"ゆら「うん」\r\n「ゆら うん」\r\n森本航 うん"_s << u"地の文 3/17/3; 1枚"_s;
    QTest::newRow("a name inside a comment's further line is no speaker")
        << u"<!--\r\nゆら -->雪"_s << u"地の文 1/1/1; 1枚"_s;
    QTest::newRow("the attribute lines of a tag across lines are not read")
        << qs(markup::startingDocument) << u"; 0枚"_s;
    QTest::newRow("every line starts a row of 20; 21 characters take two")
        << QString(20, u'あ') + u"\r\n"_s + QString(21, u'い') << u"地の文 2/41/3; 1枚"_s;
    QTest::newRow("400 characters fill a page, one more starts the next")
        << QString(400, u'あ') + u"\r\n小夜子 X"_s << u"地の文 1/400/20, 高峰小夜子 1/4/1; 2枚"_s;
    QTest::newRow("a lone LF is no character and starts a row; CR LF and a lone CR end lines")
        << u"雪が\n降る\r\nあ\rい"_s << u"地の文 3/6/4; 1枚"_s;
    QTest::newRow("a lone LF inside a tag starts no row") << u"雪<BGM\nSRC=\"a\">が"_s << u"地の文 1/2/1; 1枚"_s;
    QTest::newRow("the empty script") << u""_s << u"; 0枚"_s;
}

void TestOutline::countingRules()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QCOMPARE(figures(survey(script).whole), expected);
    // Lines ending in a lone CR count the same.
    QString raw = script;
    raw.replace(u"\r\n"_s, u"\r"_s);
    QCOMPARE(figures(survey(raw).whole), expected);
}

void TestOutline::partsOfTheText_data()
{
    QTest::addColumn<Point>("from");
    QTest::addColumn<Point>("to");
    QTest::addColumn<QString>("expected");

    // Line 1 is in the scene before the first background (the lines above it).
    QTest::newRow("a selection across lines: each cut line its speaker's part")
        << Point{1, 3} << Point{3, 2} << u"地の文 1/2/1, 星野ゆら 1/4/1; 1枚"_s;
    QTest::newRow("a selection backwards is the same") << Point{3, 2} << Point{1, 3}
                                                       << u"地の文 1/2/1, 星野ゆら 1/4/1; 1枚"_s;
    QTest::newRow("a selection within a tag and a comment has nothing to read")
        << Point{2, 0} << Point{2, 16} << u"; 0枚"_s;
    QTest::newRow("a selection starting inside a tag counts from its end") << Point{4, 3} << Point{4, 40}
                                                                           << u"地の文 1/2/1; 1枚"_s;
}

void TestOutline::partsOfTheText()
{
    QFETCH(Point, from);
    QFETCH(Point, to);
    QFETCH(QString, expected);
    const QStringList lines{u"雪が降る"_s, u"ゆら 「うん」<P>"_s, u"<!-- x --><BACKGROUND COLOR=\"#000000\">"_s,
                            u"終わりの一行"_s, u"<BGM\nSRC=\"a\">雪だ"_s};
    const Survey s = survey(lines.join(u"\r\n"_s));
    const auto text = [&lines](int line) { return lines[line]; };
    QCOMPARE(figures(tally(s, from, to, text)), expected);
    // The scenes: the lines above the first background, then from it on.
    QCOMPARE(sceneAround(s, 1), (std::pair{0, 2}));
    QCOMPARE(sceneAround(s, 4), (std::pair{2, 5}));
    QCOMPARE(figures(tally(s, 2, 5)), u"地の文 2/8/2; 1枚"_s);
}

void TestOutline::csvForSpreadsheets()
{
    const Survey s = survey(u"雪<P>\r\nちとせ 「うん」\r\nゆら 「え？」\r\n<!--x-->"_s);
    QCOMPARE(csv(s.whole), QByteArray("\xEF\xBB\xBF") +
                               u"話者,行数,文字数,原稿用紙(枚)\r\n地の文,1,1,1\r\n星野ゆら,1,6,1\r\n"
                               u"白石ちとせ,1,7,1\r\n合計,3,14,1\r\n"_s.toUtf8());
}

void TestOutline::benchmarkScriptHasEverySceneOnce()
{
    const QByteArray path = qgetenv("SCRIVLET_BENCH_SCRIPT");
    if (path.isEmpty())
        QSKIP("SCRIVLET_BENCH_SCRIPT names no script");
    const scriptfile::Loaded loaded = scriptfile::load(QFile::decodeName(path));
    QVERIFY(!loaded.error);
    const QString &text = loaded.script.text;
    const Survey s = survey(text);
    QCOMPARE(s.lines.size(), std::size_t(text.count(u"\r\n"_s) + 1));
    QCOMPARE(std::count_if(s.items.begin(), s.items.end(), [](const Item &i) { return i.kind == ItemKind::Scene; }),
             text.count(u"<BACKGROUND "_s));
    // Every speaker line of the script starts with a picker's name.
    qint64 speaking = 0;
    for (const markup::CastMember &member : markup::cast)
        speaking += text.count(u"\r\n"_s + qs(member.speaker));
    const Figure total = s.whole.total();
    QCOMPARE(total.lines - s.whole.speakers[narration].lines, speaking);
}

void TestOutline::staleSurveyIsNeverDelivered()
{
    ScriptDocument document;
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += u"<BACKGROUND SRC=\"駅のホーム\">\r\n雪が降っていた。<P>\r\n"_s;
    document.replaceWhole(text, ScriptDocument::Origin::Replaced);
    SurveyRun run(document);
    int delivered = 0;
    connect(&run, &SurveyRun::finished, this, [&] {
        ++delivered;
        TextReader reader(document);
        QCOMPARE(run.survey()->lines.size(), std::size_t(document.lineCount()));
        QCOMPARE(items(*run.survey()), items(survey(reader.whole())));
    });
    // Edits land while copies are read and surveys are made, and some
    // surveys finish between them.
    QTextCursor cursor(document.textDocument());
    for (int edit = 0; edit < 30; ++edit) {
        run.start();
        QTest::qWait(edit * 7 % 40);
        cursor.setPosition(int(edit * 997 % document.positions()));
        document.insert(cursor, edit % 2 ? u"\r\n<!-- ■見出し -->\r\n"_s : u"雪"_s);
    }
    run.start();
    QTRY_VERIFY(!run.stale());
    QVERIFY(delivered >= 1);
}

QTEST_MAIN(TestOutline)
#include "test_outline.moc"
