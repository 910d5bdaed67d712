// The DNML fragments, each against the exact text the player expects.
#include "catalogues/catalogue.h"
#include "markup/markup.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

} // namespace

class TestMarkup : public QObject
{
    Q_OBJECT

private slots:
    void fragments_data();
    void fragments();
    void skeletonCaretLandsInsideTheBrackets_data();
    void skeletonCaretLandsInsideTheBrackets();
    void titleCallPlaysTheTitleTheme();
    void startingDocumentKeepsItsOddSpacing();
    void commentLineTextIsReadBack_data();
    void commentLineTextIsReadBack();
};

void TestMarkup::fragments_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("expected");

    using namespace markup;
    QTest::newRow("music tag") << bgmTag(u"Snow Drop") << u"<BGM SRC=\"Snow Drop\">\r\n"_s;
    QTest::newRow("music tag, empty title still quoted") << bgmTag(u"") << u"<BGM SRC=\"\">\r\n"_s;
    QTest::newRow("sound tag names ORVEN") << soundTag(u"チャイム") << u"<SOUND SRC=\"チャイム\" FOLDER=\"ORVEN\">\r\n"_s;
    QTest::newRow("comment line, three dashes and inner blanks")
        << commentLine(u"日付１月７日") << u"<!--- \" 日付１月７日 \" --->\r\n"_s;
    QTest::newRow("comment line, text verbatim") << commentLine(u"a\"b") << u"<!--- \" a\"b \" --->\r\n"_s;
    QTest::newRow("background head stops inside FOLDER") << backgroundHead(u"教室") << u"<BACKGROUND SRC=\"教室\" FOLDER=\""_s;
    QTest::newRow("actor head") << actHead(u"PDT\\CGYR10.PDT") << u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\" FOLDER=\""_s;
    QTest::newRow("adult folder tail") << folderTail(InstallType::Adult) << u"ORVEN\">\r\n"_s;
    QTest::newRow("all-ages folder tail") << folderTail(InstallType::AllAges) << u"OrvenA\">\r\n"_s;
    QTest::newRow("black background, no break") << qs(blackBackground) << u"<BACKGROUND COLOR=\"#000000\">"_s;
    QTest::newRow("foreword") << sectionScaffold(forewordLabel)
                              << u"<!-- 前書き -->\r\n<BACKGROUND COLOR=\"#000000\">\r\n"_s;
    QTest::newRow("main story") << sectionScaffold(mainStoryLabel)
                                << u"<!-- 本編 -->\r\n<BACKGROUND COLOR=\"#000000\">\r\n"_s;
    QTest::newRow("afterword") << sectionScaffold(afterwordLabel)
                               << u"<!-- 後書き -->\r\n<BACKGROUND COLOR=\"#000000\">\r\n"_s;
    QTest::newRow("indented dialogue, 24 characters") << qs(indentedDialogue.text) << u"「<INDENT>」</INDENT><P>\r\n"_s;
    QTest::newRow("plain dialogue, no break") << qs(plainDialogue.text) << u"「」<P>"_s;
}

void TestMarkup::fragments()
{
    QFETCH(QString, fragment);
    QFETCH(QString, expected);
    QCOMPARE(fragment, expected);
}

void TestMarkup::skeletonCaretLandsInsideTheBrackets_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("back");
    QTest::addColumn<QString>("beforeCaret");
    QTest::newRow("indented") << qs(markup::indentedDialogue.text) << int(markup::indentedDialogue.caretBack)
                              << u"「<INDENT>"_s;
    QTest::newRow("plain") << qs(markup::plainDialogue.text) << int(markup::plainDialogue.caretBack) << u"「"_s;
}

void TestMarkup::skeletonCaretLandsInsideTheBrackets()
{
    QFETCH(QString, text);
    QFETCH(int, back);
    QFETCH(QString, beforeCaret);
    QCOMPARE(text.left(text.size() - back), beforeCaret);
}

void TestMarkup::titleCallPlaysTheTitleTheme()
{
    const QStringList lines = markup::titleCall().split(u"\r\n"_s);
    QCOMPARE(lines.size(), 14);  // thirteen lines, each ending in CR LF
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(lines[0], u"<!-- タイトル -->"_s);
    QCOMPARE(lines[1], u"<BGM SRC=\""_s + qs(catalogues::music[11].name) + u"\">"_s);
    QCOMPARE(lines[10], u"    任意のタイトル  <P>"_s);
    QCOMPARE(lines[12], u"    作者名  <P>"_s);
    QVERIFY(!markup::titleCall().contains(u"OrvenA"_s));
}

void TestMarkup::startingDocumentKeepsItsOddSpacing()
{
    const QString document = qs(markup::startingDocument);
    QCOMPARE(document.size(), 279);
    const QStringList lines = document.split(u"\r\n"_s);
    QCOMPARE(lines.size(), 17);
    for (int i = 1; i <= 7; ++i)
        QVERIFY2(lines[i].startsWith(u' ') && !lines[i].startsWith(u"  "_s), qPrintable(lines[i]));
    QVERIFY(lines[7].startsWith(u" COMMENT =\""_s));
    QVERIFY(lines[10].contains(u".dnml\"FOLDER=\"PLAYER\">"_s));
    QCOMPARE(lines[11], u"<INCLUDE SRC=\"orven\\テンプレート.dnml\"FOLDER=\"PLAYER\">"_s);
}

void TestMarkup::commentLineTextIsReadBack_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");  // empty: no comment line
    QString written = markup::commentLine(u"ゆら／制服・正面・笑顔");
    written.chop(2);
    QTest::newRow("a picker's comment line") << written << u"ゆら／制服・正面・笑顔"_s;
    QTest::newRow("another comment") << u"<!-- ゆら／制服・正面・笑顔 -->"_s << QString();
    QTest::newRow("nothing between the quotes") << u"<!--- \"  \" --->"_s << QString();
    QTest::newRow("text after it") << written + u"<P>"_s << QString();
}

void TestMarkup::commentLineTextIsReadBack()
{
    QFETCH(QString, line);
    QFETCH(QString, text);
    QCOMPARE(markup::commentLineText(line).value_or(QStringView()).toString(), text);
}

QTEST_APPLESS_MAIN(TestMarkup)
#include "test_markup.moc"
