// The rules behind what the screen shows, without a display: how long the
// status bar's notices stay up and which wait, which characters 空白と改行
// marks, where a button's caption may go onto a second line, and how much
// of the height the panels under Text1 leave it.
#include "app/button_captions.h"
#include "document/line_breaks.h"
#include "editor/blanks.h"
#include "editor/notices.h"
#include "editor/panel_heights.h"

#include <QtTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// One step of a notice session: at `at` ms, post `text` (with `duration`
// and `topic`), or with no text only let the time pass; then `shown` is up.
struct Step {
    qint64 at;
    QString text;
    qint64 duration;
    QString topic;
    QString shown;
};

Step post(qint64 at, const QString &text, qint64 duration, const QString &shown, const QString &topic = {})
{
    return {at, text, duration, topic, shown};
}

Step after(qint64 at, const QString &shown)
{
    return {at, {}, 0, {}, shown};
}

using blanks::Mark;

} // namespace

Q_DECLARE_METATYPE(QList<Step>)
Q_DECLARE_METATYPE(std::vector<blanks::Marked>)

class TestScreenRules : public QObject
{
    Q_OBJECT

private slots:
    void noticesStayLongEnoughToBeRead_data();
    void noticesStayLongEnoughToBeRead();
    void blanksAndFullWidthLettersAreMarked_data();
    void blanksAndFullWidthLettersAreMarked();
    void captionsBreakOnlyBetweenWords_data();
    void captionsBreakOnlyBetweenWords();
    void text1KeepsAThirdOrEightLines_data();
    void text1KeepsAThirdOrEightLines();
    void panelsGiveWayForText1_data();
    void panelsGiveWayForText1();
};

void TestScreenRules::noticesStayLongEnoughToBeRead_data()
{
    QTest::addColumn<QList<Step>>("steps");
    const qint64 least = Notices::least;
    QTest::newRow("alone, a notice stays its own time")
        << QList<Step>{post(0, u"A"_s, 9000, u"A"_s), after(8999, u"A"_s), after(9000, QString())};
    QTest::newRow("a short time is made the least")
        << QList<Step>{post(0, u"A"_s, 1000, u"A"_s), after(least - 1, u"A"_s), after(least, QString())};
    QTest::newRow("a second waits for the least of the first, then its own time")
        << QList<Step>{post(0, u"A"_s, 15000, u"A"_s), post(100, u"B"_s, 5000, u"A"_s), after(least - 1, u"A"_s),
                       after(least, u"B"_s), after(least + 4999, u"B"_s), after(least + 5000, QString())};
    QTest::newRow("the same text again is kept up, not said twice")
        << QList<Step>{post(0, u"A"_s, 5000, u"A"_s), post(3000, u"A"_s, 5000, u"A"_s), after(7999, u"A"_s),
                       after(8000, QString())};
    QTest::newRow("the same topic takes the place of the one up")
        << QList<Step>{post(0, u"末尾から先頭へ"_s, 5000, u"末尾から先頭へ"_s, u"wrap"_s),
                       post(500, u"先頭から末尾へ"_s, 5000, u"先頭から末尾へ"_s, u"wrap"_s),
                       after(5499, u"先頭から末尾へ"_s), after(5500, QString())};
    QTest::newRow("the same topic takes the place of one waiting")
        << QList<Step>{post(0, u"A"_s, 5000, u"A"_s), post(100, u"B1"_s, 5000, u"A"_s, u"b"_s),
                       post(200, u"B2"_s, 5000, u"A"_s, u"b"_s), after(least, u"B2"_s), after(least + 5000, QString())};
    QTest::newRow("one waiting for a busy window is still up its whole time")
        << QList<Step>{post(0, u"A"_s, 5000, u"A"_s), post(100, u"B"_s, 5000, u"A"_s), after(60000, u"B"_s),
                       after(64999, u"B"_s), after(65000, QString())};
    QTest::newRow("notices come up in the order they came")
        << QList<Step>{post(0, u"A"_s, 5000, u"A"_s), post(1, u"B"_s, 5000, u"A"_s), post(2, u"C"_s, 5000, u"A"_s),
                       after(least, u"B"_s), after(2 * least, u"C"_s), after(2 * least + 5000, QString())};
}

void TestScreenRules::noticesStayLongEnoughToBeRead()
{
    QFETCH(QList<Step>, steps);
    Notices notices;
    for (const Step &step : steps) {
        if (step.text.isEmpty())
            notices.advance(step.at);
        else
            notices.post(step.text, step.duration, step.at, step.topic);
        QVERIFY2(notices.shown() == step.shown,
                 qPrintable(u"at %1 ms: \"%2\" up, not \"%3\""_s.arg(step.at).arg(notices.shown(), step.shown)));
        // Nothing changes before the time it names.
        if (notices.due() > step.at)
            QVERIFY(!Notices(notices).advance(notices.due() - 1));
    }
}

void TestScreenRules::blanksAndFullWidthLettersAreMarked_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<std::vector<blanks::Marked>>("marks");
    const QChar lf(scriptdoc::loneLineFeed);
    QTest::newRow("prose and half-width letters: nothing") << u"ゆら「abc 123」です。"_s << std::vector<blanks::Marked>{};
    QTest::newRow("a full-width space, a tab") << u"あ　い\tう"_s
                                               << std::vector<blanks::Marked>{{1, 1, Mark::FullWidthSpace},
                                                                              {3, 1, Mark::Tab}};
    QTest::newRow("full-width letters and digits side by side are one run")
        << u"ＰＤＴ\\ＣＧ１０.PDT"_s
        << std::vector<blanks::Marked>{{0, 3, Mark::FullWidthLetter}, {4, 4, Mark::FullWidthLetter}};
    QTest::newRow("full-width punctuation is Japanese prose, unmarked")
        << u"！？（）＝ｰ"_s << std::vector<blanks::Marked>{};
    QTest::newRow("a lone LF inside the line") << u"一"_s + lf + u"二"_s
                                                << std::vector<blanks::Marked>{{1, 1, Mark::LoneLineFeed}};
    QTest::newRow("the letters' ends: Ａ Ｚ ａ ｚ ０ ９, not Ｚ's neighbours")
        << u"Ａ［Ｚ｀ａ｛ｚ／０：９"_s
        << std::vector<blanks::Marked>{{0, 1, Mark::FullWidthLetter}, {2, 1, Mark::FullWidthLetter},
                                       {4, 1, Mark::FullWidthLetter}, {6, 1, Mark::FullWidthLetter},
                                       {8, 1, Mark::FullWidthLetter}, {10, 1, Mark::FullWidthLetter}};
    QTest::newRow("two full-width spaces are two marks") << u"　　"_s
                                                         << std::vector<blanks::Marked>{{0, 1, Mark::FullWidthSpace},
                                                                                        {1, 1, Mark::FullWidthSpace}};
}

void TestScreenRules::blanksAndFullWidthLettersAreMarked()
{
    QFETCH(QString, line);
    QFETCH(std::vector<blanks::Marked>, marks);
    QVERIFY(blanks::marksIn(line) == marks);
}

void TestScreenRules::captionsBreakOnlyBetweenWords_data()
{
    QTest::addColumn<QString>("marked");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("width");
    // Every character is 10 wide, every line 10 high.
    QTest::newRow("fits on one line") << u"音楽|挿入"_s << QSize(40, 30) << QStringList{u"音楽挿入"_s} << 40;
    QTest::newRow("too wide: broken at the mark, never inside a word")
        << u"音楽|挿入"_s << QSize(39, 30) << QStringList{u"音楽"_s, u"挿入"_s} << 20;
    QTest::newRow("the mark that makes the wider line narrowest")
        << u"<INDENT>|「」付|挿入"_s << QSize(60, 30) << QStringList{u"<INDENT>"_s, u"「」付挿入"_s} << 80;
    QTest::newRow("a later mark, when it makes the wider line narrower")
        << u"人|物名|表示"_s << QSize(30, 30) << QStringList{u"人物名"_s, u"表示"_s} << 30;
    QTest::newRow("too low for two lines: one line, the button widens")
        << u"音楽|挿入"_s << QSize(30, 19) << QStringList{u"音楽挿入"_s} << 40;
    QTest::newRow("no mark: one line, the button widens") << u"表示"_s << QSize(10, 30) << QStringList{u"表示"_s} << 20;
}

void TestScreenRules::captionsBreakOnlyBetweenWords()
{
    QFETCH(QString, marked);
    QFETCH(QSize, box);
    QFETCH(QStringList, lines);
    QFETCH(int, width);
    const captions::Fit fit = captions::fit(marked, box, 10, [](QStringView text) { return int(text.size()) * 10; });
    QCOMPARE(fit.lines, lines);
    QCOMPARE(fit.width, width);
    QCOMPARE(captions::plain(marked), lines.join(QString()));
}

void TestScreenRules::text1KeepsAThirdOrEightLines_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("least");
    // Lines around 20 pixels high with 30 around them: eight take 190.
    QTest::newRow("a tall frame: a third") << 900 << 20 << 300;
    QTest::newRow("a low frame: eight lines") << 450 << 20 << 190;
    QTest::newRow("where a third is eight lines") << 570 << 20 << 190;
    QTest::newRow("bigger letters: eight of their lines") << 900 << 40 << 350;
}

void TestScreenRules::text1KeepsAThirdOrEightLines()
{
    QFETCH(int, frame);
    QFETCH(int, lineHeight);
    QFETCH(int, least);
    QCOMPARE(panels::text1Least(frame, lineHeight, 30), least);
}

void TestScreenRules::panelsGiveWayForText1_data()
{
    QTest::addColumn<int>("space");
    QTest::addColumn<int>("least");  // Text1's
    QTest::addColumn<QList<int>>("wanted");
    QTest::addColumn<QList<int>>("panelsLeast");
    QTest::addColumn<int>("text1");
    QTest::addColumn<QList<int>>("given");  // to the panels
    QTest::newRow("nothing open: Text1 has it all") << 500 << 170 << QList<int>{} << QList<int>{} << 500 << QList<int>{};
    QTest::newRow("panels that leave Text1 its least get what they want")
        << 500 << 170 << QList<int>{100, 80} << QList<int>{50, 80} << 320 << QList<int>{100, 80};
    QTest::newRow("panels that leave Text1 just its least")
        << 500 << 170 << QList<int>{250, 80} << QList<int>{50, 80} << 170 << QList<int>{250, 80};
    QTest::newRow("a bar as tall as its rows gives nothing")
        << 500 << 170 << QList<int>{120, 300} << QList<int>{120, 60} << 170 << QList<int>{120, 210};
    QTest::newRow("two panels give in proportion to what they have above their least")
        << 600 << 200 << QList<int>{300, 180} << QList<int>{60, 60} << 200 << QList<int>{246, 154};
    QTest::newRow("a bar, the findings and the outline, all remembered tall")
        << 500 << 170 << QList<int>{70, 400, 400} << QList<int>{70, 80, 120} << 170 << QList<int>{70, 112, 148};
    QTest::newRow("panels down to their least leave Text1 what remains")
        << 400 << 200 << QList<int>{300, 100} << QList<int>{150, 100} << 150 << QList<int>{150, 100};
    QTest::newRow("panels whose least is more than there is leave Text1 nothing")
        << 200 << 100 << QList<int>{300} << QList<int>{250} << 0 << QList<int>{250};
    QTest::newRow("a panel wanting less than its least gets its least")
        << 500 << 100 << QList<int>{10} << QList<int>{60} << 440 << QList<int>{60};
}

void TestScreenRules::panelsGiveWayForText1()
{
    QFETCH(int, space);
    QFETCH(int, least);
    QFETCH(QList<int>, wanted);
    QFETCH(QList<int>, panelsLeast);
    QFETCH(int, text1);
    QFETCH(QList<int>, given);
    std::vector<panels::Panel> open;
    for (qsizetype i = 0; i < wanted.size(); ++i)
        open.push_back({wanted[i], panelsLeast[i]});
    const panels::Shares shares = panels::share(space, least, open);
    QCOMPARE(shares.text1, text1);
    QCOMPARE(QList<int>(shares.panels.begin(), shares.panels.end()), given);
}

QTEST_GUILESS_MAIN(TestScreenRules)
#include "test_screen_rules.moc"
