// The DNML lexer and the check, without a display: every piece shape and
// line end, and every kind of finding with a near miss that must pass.
#include "dnml/check.h"
#include "dnml/lexer.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using dnml::State;
using dnml::Token;

Q_DECLARE_METATYPE(dnml::State)

namespace {

const char *tokenName(Token token)
{
    switch (token) {
    case Token::TagOpen: return "open";
    case Token::TagName: return "name";
    case Token::TagClose: return "close";
    case Token::AttributeName: return "attr";
    case Token::Equals: return "eq";
    case Token::Value: return "value";
    case Token::OpenValue: return "open-value";
    case Token::Comment: return "comment";
    case Token::CommentContinued: return "comment+";
    case Token::Bracket: return "bracket";
    }
    return "?";
}

// "token[text] token[text] …" for the pieces of one line.
QString show(QStringView line, const std::vector<dnml::Span> &spans)
{
    QStringList out;
    for (const dnml::Span &span : spans)
        out << QString::fromLatin1(tokenName(span.token)) + u'[' + line.sliced(span.start, span.length).toString() + u']';
    return out.join(u' ');
}

// Splits a script into lines the way the check does.
QStringList linesOf(const QString &script)
{
    QStringList lines;
    dnml::forEachLine(script, [&](qsizetype, QStringView line) { lines << line.toString(); });
    return lines;
}

// The pieces of a whole script, line by line with the state carried over;
// lines joined by " / ".
QString lexScript(const QString &script, State *end = nullptr)
{
    State state = State::Text;
    QStringList out;
    for (const QString &line : linesOf(script)) {
        std::vector<dnml::Span> spans;
        const State before = state;
        state = dnml::lexLine(line, state, spans);
        // The cheap path the colours take over lines not shown must agree.
        if (dnml::endState(line, before) != state)
            return u"endState() disagrees on: "_s + line;
        out << show(line, spans);
    }
    if (end)
        *end = state;
    return out.join(u" / "_s);
}

// "line:column kind-number message" per finding, one per line.
QString findings(const QString &script)
{
    QStringList out;
    for (const dnml::Finding &f : dnml::check(script))
        out << u"%1:%2 %3"_s.arg(f.line).arg(f.column).arg(f.message);
    return out.join(u'\n');
}

} // namespace

class TestDnml : public QObject
{
    Q_OBJECT

private slots:
    void lexesALine_data();
    void lexesALine();
    void lexesAcrossLineEnds_data();
    void lexesAcrossLineEnds();
    void findings_data();
    void findings();
    void findingPointsAtItsSpan_data();
    void findingPointsAtItsSpan();
    void checksTheEditorsRawText();
    void manyLongUnknownNamesStayCheap();
    void benchmarkScriptIsClean();
};

void TestDnml::lexesALine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<State>("start");
    QTest::addColumn<QString>("pieces");
    QTest::addColumn<State>("end");

    QTest::newRow("prose has no pieces") << u"雪が降っていた"_s << State::Text << u""_s << State::Text;
    QTest::newRow("tag with a quoted value")
        << u"<BGM SRC=\"Snow Drop\">"_s << State::Text
        << u"open[<] name[BGM] attr[SRC] eq[=] value[\"Snow Drop\"] close[>]"_s << State::Text;
    QTest::newRow("no blank between a value and the next attribute")
        << u"<INCLUDE SRC=\"a.dnml\"FOLDER=\"PLAYER\">"_s << State::Text
        << u"open[<] name[INCLUDE] attr[SRC] eq[=] value[\"a.dnml\"] attr[FOLDER] eq[=] value[\"PLAYER\"] close[>]"_s
        << State::Text;
    QTest::newRow("closing tag and bare value")
        << u"</CURTAIN EFFECT=EF_NONE>"_s << State::Text
        << u"open[</] name[CURTAIN] attr[EFFECT] eq[=] value[EF_NONE] close[>]"_s << State::Text;
    QTest::newRow("dialogue brackets around tags, prose between")
        << u"ゆら 「<INDENT>うん」</INDENT><P>"_s << State::Text
        << u"bracket[「] open[<] name[INDENT] close[>] bracket[」] open[</] name[INDENT] close[>] open[<] name[P] close[>]"_s
        << State::Text;
    QTest::newRow("brackets inside a value are the value's")
        << u"<ACT NAME=\"「人」\">"_s << State::Text
        << u"open[<] name[ACT] attr[NAME] eq[=] value[\"「人」\"] close[>]"_s << State::Text;
    QTest::newRow("tag left open at the line end")
        << u"<COVER"_s << State::Text << u"open[<] name[COVER]"_s << State::Tag;
    QTest::newRow("lone < waits for its name")
        << u"text <"_s << State::Text << u"open[<]"_s << State::TagStart;
    QTest::newRow("name on the line after a lone <")
        << u"BGM SRC=\"x\">"_s << State::TagStart
        << u"name[BGM] attr[SRC] eq[=] value[\"x\"] close[>]"_s << State::Text;
    QTest::newRow("attribute line inside an open tag")
        << u" TITLE = \"任意のタイトル入力\""_s << State::Tag
        << u"attr[TITLE] eq[=] value[\"任意のタイトル入力\"]"_s << State::Tag;
    QTest::newRow("quote left open stops at the line end")
        << u"<BGM SRC=\"abc>"_s << State::Text << u"open[<] name[BGM] attr[SRC] eq[=] open-value[\"abc>]"_s
        << State::Tag;
    QTest::newRow("a < inside a tag starts another")
        << u"<BGM <P>"_s << State::Text << u"open[<] name[BGM] open[<] name[P] close[>]"_s << State::Text;
    QTest::newRow("short comment") << u"<!-- 本編 -->"_s << State::Text << u"comment[<!-- 本編 -->]"_s << State::Text;
    QTest::newRow("three-dash comment with quotes inside")
        << u"<!--- \" a<b>\" --->x「"_s << State::Text << u"comment[<!--- \" a<b>\" --->] bracket[「]"_s
        << State::Text;
    QTest::newRow("comment left open") << u"a <!-- 「"_s << State::Text << u"comment[<!-- 「]"_s << State::Comment;
    QTest::newRow("comment's own dashes do not close it")
        << u"<!-->"_s << State::Text << u"comment[<!-->]"_s << State::Comment;
    QTest::newRow("comment closed on a later line, tag after it")
        << u"end --><P>"_s << State::Comment << u"comment+[end -->] open[<] name[P] close[>]"_s << State::Text;
    QTest::newRow("comment going on") << u"<P> 「"_s << State::Comment << u"comment+[<P> 「]"_s << State::Comment;
    QTest::newRow("tag closed on a later line")
        << u">「"_s << State::Tag << u"close[>] bracket[「]"_s << State::Text;
    QTest::newRow("a lone LF is a blank inside a tag")
        << u"<BGM\nSRC=\"a\"\n>"_s << State::Text << u"open[<] name[BGM] attr[SRC] eq[=] value[\"a\"] close[>]"_s
        << State::Text;
    QTest::newRow("a quoted value holds a lone LF")
        << u"<BGM SRC=\"a\nb\">"_s << State::Text << u"open[<] name[BGM] attr[SRC] eq[=] value[\"a\nb\"] close[>]"_s
        << State::Text;
    QTest::newRow("empty line keeps the state") << u""_s << State::Comment << u""_s << State::Comment;
}

void TestDnml::lexesALine()
{
    QFETCH(QString, line);
    QFETCH(State, start);
    QFETCH(QString, pieces);
    QFETCH(State, end);
    std::vector<dnml::Span> spans;
    QCOMPARE(dnml::lexLine(line, start, spans), end);
    QCOMPARE(show(line, spans), pieces);
    QCOMPARE(dnml::endState(line, start), end);
}

void TestDnml::lexesAcrossLineEnds_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("pieces");
    QTest::addColumn<State>("end");

    const QString cover = u"<COVER\r\n TITLE = \"t\"\r\n>\r\n<!-- a\r\nb --><P>"_s;
    const QString coverPieces =
        u"open[<] name[COVER] / attr[TITLE] eq[=] value[\"t\"] / close[>] / comment[<!-- a] / "
        u"comment+[b -->] open[<] name[P] close[>]"_s;
    QTest::newRow("CR LF") << cover << coverPieces << State::Text;
    QTest::newRow("lone CR") << QString(cover).replace(u"\r\n"_s, u"\r"_s) << coverPieces << State::Text;
    QTest::newRow("an author's U+2029 ends no line")
        << u"<P>\u2029「\r\n」"_s << u"open[<] name[P] close[>] bracket[「] / bracket[」]"_s << State::Text;
    QTest::newRow("lone LF stays in its line")
        << u"<COVER\n TITLE=\"t\"\n>\r\n「"_s << u"open[<] name[COVER] attr[TITLE] eq[=] value[\"t\"] close[>] / bracket[「]"_s
        << State::Text;
    QTest::newRow("comment open at the end") << u"<P>\r\n<!--\r\n<BGM>"_s << u"open[<] name[P] close[>] / comment[<!--] / comment+[<BGM>]"_s
                                             << State::Comment;
}

void TestDnml::lexesAcrossLineEnds()
{
    QFETCH(QString, script);
    QFETCH(QString, pieces);
    QFETCH(State, end);
    State state = State::Text;
    QCOMPARE(lexScript(script, &state), pieces);
    QCOMPARE(state, end);
}

void TestDnml::findings_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");

    // 1. Unknown references, with the closest name of the kind.
    QTest::newRow("music: unknown title, closest title offered")
        << u"<BGM SRC=\"Snow Dorp\">"_s << u"1:11 \"Snow Dorp\" はゲームにありません。もしかして \"Snow Drop\"?"_s;
    QTest::newRow("music: a known title passes") << u"<BGM SRC=\"Snow Drop\">"_s << u""_s;
    QTest::newRow("music: the value on the line after its name, as the outline reads it")
        << u"<BGM SRC=\r\n\"Snow Dorp\">"_s << u"2:2 \"Snow Dorp\" はゲームにありません。もしかして \"Snow Drop\"?"_s;
    QTest::newRow("music: a sound effect is no music, and no title is near it")
        << u"<BGM SRC=\"チャイム\">"_s << u"1:11 \"チャイム\" はゲームにありません。"_s;
    QTest::newRow("music: nothing near, no guess") << u"<BGM SRC=\"夜想曲\">"_s << u"1:11 \"夜想曲\" はゲームにありません。"_s;
    QTest::newRow("sound: a name held by a row is nearer than one as short")
        << u"<SOUND SRC=\"ドア\" FOLDER=\"ORVEN\">"_s << u"1:13 \"ドア\" はゲームにありません。もしかして \"ドアの開閉\"?"_s;
    QTest::newRow("sound: half-width katakana says so")
        << u"<SOUND SRC=\"ﾁｬｲﾑ\" FOLDER=\"ORVEN\">"_s
        << u"1:13 \"ﾁｬｲﾑ\" はゲームにありません。\"チャイム\" とは全角と半角が違うだけです。"_s;
    QTest::newRow("background: a full-width path says so")
        << u"<BACKGROUND SRC=\"ＰＤＴ\\ＦＧＹＲ０１.ＰＤＴ\" FOLDER=\"ORVEN\">"_s
        << u"1:18 \"ＰＤＴ\\ＦＧＹＲ０１.ＰＤＴ\" はゲームにありません。\"PDT\\FGYR01.PDT\" とは全角と半角が違うだけです。"_s;
    QTest::newRow("background: a name in katakana finds its row in hiragana")
        << u"<BACKGROUND SRC=\"ユラ／再会／雪ノ校門\" FOLDER=\"ORVEN\">"_s
        << u"1:18 \"ユラ／再会／雪ノ校門\" はゲームにありません。もしかして ゆら／再会／雪の校門（\"PDT\\FGYR01.PDT\"）?"_s;
    QTest::newRow("sound: unknown") << u"<SOUND SRC=\"チャイム2\" FOLDER=\"ORVEN\">"_s
                                    << u"1:13 \"チャイム2\" はゲームにありません。もしかして \"チャイム\"?"_s;
    QTest::newRow("sound: known, lower-case element and attribute")
        << u"<sound src=\"チャイム\" folder=\"ORVEN\">"_s << u""_s;
    QTest::newRow("background: neither place nor picture")
        << u"<BACKGROUND SRC=\"教室朝\" FOLDER=\"ORVEN\">"_s
        << u"1:18 \"教室朝\" はゲームにありません。もしかして \"教室\"?"_s;
    QTest::newRow("background: a place") << u"<BACKGROUND SRC=\"教室夕方\" FOLDER=\"ORVEN\">"_s << u""_s;
    QTest::newRow("background: an event picture, any letter case")
        << u"<BACKGROUND SRC=\"pdt\\fgyr01.pdt\" FOLDER=\"ORVEN\">"_s << u""_s;
    QTest::newRow("background: the display name is not the path")
        << u"<BACKGROUND SRC=\"ゆら／再会／雪の校門\" FOLDER=\"ORVEN\">"_s
        << u"1:18 \"ゆら／再会／雪の校門\" はゲームにありません。もしかして ゆら／再会／雪の校門（\"PDT\\FGYR01.PDT\"）?"_s;
    QTest::newRow("background: demo picture and colour tags pass")
        << u"<BACKGROUND SRC=\"PDT\\OP_YR1.PDT\" FOLDER=\"ORVEN\">\r\n<BACKGROUND COLOR=\"#000000\">"_s << u""_s;
    QTest::newRow("act: a picture path typo")
        << u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10X.PDT\" FOLDER=\"ORVEN\">"_s
        << u"1:20 \"PDT\\CGYR10X.PDT\" はゲームにありません。もしかして ゆら／コート・少し横向・普通（\"PDT\\CGYR10.PDT\"）?"_s;
    QTest::newRow("act: an event picture is no sprite")
        << u"<ACT NAME=\"人\" SRC=\"PDT\\FGYR01.PDT\" FOLDER=\"ORVEN\">"_s
        << u"1:20 \"PDT\\FGYR01.PDT\" はゲームにありません。もしかして ゆら／コート・少し横向・普通（\"PDT\\CGYR10.PDT\"）?"_s;
    QTest::newRow("act: two letters of a heroine's prefix swapped: hers, named")
        << u"<ACT NAME=\"人\" SRC=\"PDT\\CGTC11N.PDT\" FOLDER=\"ORVEN\">"_s
        << u"1:20 \"PDT\\CGTC11N.PDT\" はゲームにありません。もしかして ちとせ／制服・正面・笑顔・暗（\"PDT\\CGCT11N.PDT\"）?"_s;
    QTest::newRow("act: a slip in her prefix: her picture")
        << u"<ACT NAME=\"人\" SRC=\"PDT\\CGTC34N.PDT\" FOLDER=\"ORVEN\">"_s
        << u"1:20 \"PDT\\CGTC34N.PDT\" はゲームにありません。もしかして ちとせ／制服・正面・驚き・暗（\"PDT\\CGCT14N.PDT\"）?"_s;
    QTest::newRow("act: her name's head: her picture, though another's name is nearer")
        << u"<ACT NAME=\"人\" SRC=\"ちとせ／コート・少し横向・困り顔\" FOLDER=\"ORVEN\">"_s
        << u"1:20 \"ちとせ／コート・少し横向・困り顔\" はゲームにありません。もしかして ちとせ／制服・少し横向・困り顔（\"PDT\\CGCT23.PDT\"）?"_s;
    QTest::newRow("act: her name's head, none of hers near: no guess rather than another's")
        << u"<ACT NAME=\"人\" SRC=\"ちとせ／エプロン・正面・普通\" FOLDER=\"ORVEN\">"_s
        << u"1:20 \"ちとせ／エプロン・正面・普通\" はゲームにありません。"_s;
    QTest::newRow("act: the title logo passes")
        << u"<ACT NAME=\"ロゴ\" SRC=\"PDT\\TITLE_LG.PDT\" FOLDER=\"ORVEN\">"_s << u""_s;
    QTest::newRow("unknown element's SRC is not judged") << u"<MOVIE SRC=\"どこか\">"_s << u""_s;
    QTest::newRow("empty SRC is its own finding") << u"<BGM SRC=\"\">"_s << u"1:11 SRC の値が空です。"_s;
    QTest::newRow("unquoted SRC is its own finding, and one")
        << u"<BGM SRC=Snow Drop>"_s << u"1:10 SRC の値 Snow が引用符 \" で囲まれていません。"_s;
    QTest::newRow("references inside a comment are not judged")
        << u"<!-- <BGM SRC=\"ありえない曲\"> -->"_s << u""_s;

    // 2. The picker's comment line and the picture after it.
    const QString yuraCoat = u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\" FOLDER=\"ORVEN\">"_s;
    QTest::newRow("comment: a name no row has, over the first row's picture")
        << u"<!--- \" ゆら／水着・笑顔 \" --->\r\n"_s + yuraCoat
        << u"2:20 コメントの名前と絵が違います。コメントは \"ゆら／水着・笑顔\"、\"PDT\\CGYR10.PDT\" は \"ゆら／コート・少し横向・普通\" の絵です。"_s;
    QTest::newRow("comment: another row's name")
        << u"<!--- \" ゆら／コート・正面・笑顔 \" --->\r\n"_s + yuraCoat
        << u"2:20 コメントの名前と絵が違います。コメントは \"ゆら／コート・正面・笑顔\"、\"PDT\\CGYR10.PDT\" は \"ゆら／コート・少し横向・普通\" の絵です。"_s;
    QTest::newRow("comment: its own row, path in lower case, passes")
        << u"<!--- \" ゆら／コート・少し横向・普通 \" --->\r\n<ACT NAME=\"人\" SRC=\"pdt\\cgyr10.pdt\" FOLDER=\"ORVEN\">"_s
        << u""_s;
    QTest::newRow("comment: the other edition's name of the same picture passes")
        << u"<!--- \" ゆら／幼い日の約束(公園) \" --->\r\n<BACKGROUND SRC=\"PDT\\FGYR02A.PDT\" FOLDER=\"ORVEN\">"_s << u""_s;
    QTest::newRow("comment: not on the line right before the tag, not judged")
        << u"<!--- \" ゆら／水着・笑顔 \" --->\r\n\r\n"_s + yuraCoat << u""_s;
    QTest::newRow("comment: a section comment is no picker's")
        << u"<!-- ゆら／水着・笑顔 -->\r\n"_s + yuraCoat << u""_s;

    // 3. Pictures of the other edition.
    QTest::newRow("adult-only picture under OrvenA")
        << u"<BACKGROUND SRC=\"PDT\\FGYR17A.PDT\" FOLDER=\"OrvenA\">"_s
        << u"1:18 \"PDT\\FGYR17A.PDT\" は18禁版だけの絵です。全年齢版(\"OrvenA\")にはありません。"_s;
    QTest::newRow("adult-only picture under ORVEN passes")
        << u"<BACKGROUND SRC=\"PDT\\FGYR17A.PDT\" FOLDER=\"ORVEN\">"_s << u""_s;
    QTest::newRow("picture of both editions under OrvenA passes")
        << u"<BACKGROUND SRC=\"PDT\\FGYR01.PDT\" FOLDER=\"OrvenA\">"_s << u""_s;

    // 4. Folder values.
    QTest::newRow("folder: a value never written")
        << u"<BACKGROUND SRC=\"教室\" FOLDER=\"Orven\">"_s
        << u"1:30 FOLDER の \"Orven\" は使えない値です。\"ORVEN\" か \"OrvenA\" です。"_s;
    QTest::newRow("folder: PLAYER outside INCLUDE")
        << u"<SOUND SRC=\"チャイム\" FOLDER=\"PLAYER\">"_s
        << u"1:27 FOLDER の \"PLAYER\" は使えない値です。\"ORVEN\" か \"OrvenA\" です。"_s;
    QTest::newRow("folder: PLAYER on INCLUDE passes") << u"<INCLUDE SRC=\"a.dnml\"FOLDER=\"PLAYER\">"_s << u""_s;
    QTest::newRow("folder: INCLUDE with another value")
        << u"<INCLUDE SRC=\"a.dnml\" FOLDER=\"DATA\">"_s
        << u"1:31 FOLDER の \"DATA\" は使えない値です。\"PLAYER\"、\"ORVEN\" か \"OrvenA\" です。"_s;
    QTest::newRow("folder: editions mixed")
        << u"<BACKGROUND SRC=\"教室\" FOLDER=\"ORVEN\">\r\n<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\" FOLDER=\"OrvenA\">"_s
        << u"2:44 \"OrvenA\" と \"ORVEN\" が混ざっています(最初の \"ORVEN\" は1行目)。"_s;
    QTest::newRow("folder: sound effects and the title call are no mix")
        << u"<BACKGROUND SRC=\"教室\" FOLDER=\"OrvenA\">\r\n<SOUND SRC=\"チャイム\" FOLDER=\"ORVEN\">\r\n"
           u"<ACT NAME=\"ロゴ\" SRC=\"PDT\\TITLE_LG.PDT\" FOLDER=\"ORVEN\">\r\n"
           u"<BACKGROUND SRC=\"PDT\\TITLE_BG.PDT\" FOLDER=\"ORVEN\" EFFECT=\"EF_FADEIN\">"_s
        << u""_s;

    // 5. Shape.
    QTest::newRow("shape: < closed only after the next <")
        << u"<BGM SRC=\"Snow Drop\"\r\n<P>"_s << u"1:1 \"<\" を閉じる \">\" がありません。"_s;
    QTest::newRow("shape: < open at the end") << u"text <P"_s << u"1:6 \"<\" を閉じる \">\" がありません。"_s;
    QTest::newRow("shape: tag across lines passes") << u"<COVER\r\n TITLE = \"t\"\r\n>"_s << u""_s;
    QTest::newRow("shape: quote left open is one finding")
        << u"<ACT NAME=\"人>\r\n"_s << u"1:11 引用符 \" が閉じていません。"_s;
    QTest::newRow("shape: a closing quote missing before the next tag is one finding")
        << u"<BGM SRC=\"Snow Drop>\r\n<P>"_s << u"1:10 引用符 \" が閉じていません。"_s;
    QTest::newRow("shape: an opening quote missing is one finding")
        << u"<BGM SRC=Snow Drop\">"_s << u"1:19 引用符 \" が閉じていません。"_s;
    QTest::newRow("shape: comment never closed")
        << u"<P>\r\n<!-- メモ\r\n<P>"_s << u"2:1 \"<!--\" を閉じる \"-->\" がありません。"_s;
    QTest::newRow("shape: comment closed lines later passes") << u"<!-- メモ\r\n続き -->"_s << u""_s;
    QTest::newRow("shape: 「 without 」 on its line")
        << u"「うん\r\n」"_s << u"1:1 「 を閉じる 」 がこの行にありません。\n2:1 」 の前に 「 がこの行にありません。"_s;
    QTest::newRow("shape: nested brackets pass") << u"「「うん」」<P>"_s << u""_s;
    QTest::newRow("shape: 」 before 「")
        << u"」「"_s << u"1:1 」 の前に 「 がこの行にありません。\n1:2 「 を閉じる 」 がこの行にありません。"_s;
    QTest::newRow("shape: <INDENT> without </INDENT>")
        << u"「<INDENT>」<P>"_s << u"1:2 <INDENT> を閉じる </INDENT> がこの行にありません。"_s;
    QTest::newRow("shape: </INDENT> alone")
        << u"」</INDENT>「"_s.sliced(1, 9) << u"1:1 </INDENT> の前に <INDENT> がこの行にありません。"_s;
    QTest::newRow("shape: INDENT pair across a lone LF passes") << u"「<INDENT>\n」</INDENT><P>"_s << u""_s;
}

void TestDnml::findings()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QCOMPARE(::findings(script), expected);
}

void TestDnml::findingPointsAtItsSpan_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("span");

    QTest::newRow("unknown reference: the value inside its quotes")
        << u"<P>\r\n<BGM SRC=\"ありえない曲\">"_s << u"ありえない曲"_s;
    QTest::newRow("folder value") << u"<SOUND SRC=\"チャイム\" FOLDER=\"X\">"_s << u"X"_s;
    QTest::newRow("unclosed tag: its <") << u"a\r\n<BGM SRC=\"Snow Drop\""_s << u"<"_s;
    QTest::newRow("unclosed comment: its <!--") << u"\r\n\r\n<!-- x"_s << u"<!--"_s;
    QTest::newRow("indent: the whole tag") << u"<INDENT>"_s << u"<INDENT>"_s;
}

void TestDnml::findingPointsAtItsSpan()
{
    QFETCH(QString, script);
    QFETCH(QString, span);
    const std::vector<dnml::Finding> found = dnml::check(script);
    QCOMPARE(found.size(), 1u);
    QCOMPARE(script.mid(found[0].offset, found[0].length), span);
}

void TestDnml::checksTheEditorsRawText()
{
    // A U+2028 of the author's (from a UTF-8 file) is a character of its
    // line, not a break: the same findings as with a lone LF there, and
    // one more for the character Shift-JIS cannot hold.
    const QString script = u"<P>\r\n「\n<BGM SRC=\"x\">\r\n"_s;
    const QString separated = u"<P>\r\n「\u2028<BGM SRC=\"x\">\r\n"_s;
    const auto a = dnml::check(script);
    const auto b = dnml::check(separated);
    QCOMPARE(a.size(), 2u);
    QCOMPARE(b.size(), 3u);
    QCOMPARE(b[1].kind, dnml::FindingKind::Unsavable);
    QCOMPARE(b[1].offset, 6);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const dnml::Finding &other = b[i == 0 ? 0 : 2];
        QCOMPARE(other.line, a[i].line);
        QCOMPARE(other.column, a[i].column);
        QCOMPARE(other.message, a[i].message);
        QCOMPARE(other.offset, a[i].offset);
    }
}

void TestDnml::manyLongUnknownNamesStayCheap()
{
    // Measured naively, 2,000 backgrounds with a 5,000-character name would
    // take minutes against the picture catalogues; the test would time out.
    const QString tag = u"<BACKGROUND SRC=\""_s + QString(5000, u'x') + u"\" FOLDER=\"ORVEN\">\r\n"_s;
    const auto found = dnml::check(tag.repeated(2000));
    QCOMPARE(found.size(), 2000u);
    QCOMPARE(found.back().line, 2000);
    QCOMPARE(found.back().length, 5000);
}

void TestDnml::benchmarkScriptIsClean()
{
    // The script the benchmarks write: the program's own lines with prose
    // between them. CTest passes its path.
    const QString path = qEnvironmentVariable("SCRIVLET_BENCH_SCRIPT");
    if (path.isEmpty())
        QSKIP("SCRIVLET_BENCH_SCRIPT is not set");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringDecoder decode("windows-31j");
    const QString text = decode(file.readAll());
    QVERIFY(text.size() > 1000);
    QCOMPARE(::findings(text), QString());
}

QTEST_APPLESS_MAIN(TestDnml)
#include "test_dnml.moc"
