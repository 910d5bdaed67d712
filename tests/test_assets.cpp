// The asset index, the matching, the assets used last and where the caret
// stands in the markup, without a display.
#include "assets/asset_index.h"
#include "assets/matching.h"
#include "dnml/source_value.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using assets::Match;

Q_DECLARE_METATYPE(assets::Match)
Q_DECLARE_METATYPE(dnml::State)

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

std::vector<const assets::Asset *> rowsOf(markup::InstallType type)
{
    std::vector<const assets::Asset *> rows;
    for (const assets::Asset &asset : assets::index(type))
        rows.push_back(&asset);
    return rows;
}

QStringList names(const std::vector<const assets::Asset *> &rows, std::size_t first = 100)
{
    QStringList out;
    for (std::size_t i = 0; i < std::min(first, rows.size()); ++i)
        out << rows[i]->name().toString();
    return out;
}

const assets::Asset &assetNamed(markup::InstallType type, QStringView name)
{
    for (const assets::Asset &asset : assets::index(type))
        if (asset.name() == name)
            return asset;
    qFatal("no asset named %s", qPrintable(name.toString()));
}

} // namespace

class TestAssets : public QObject
{
    Q_OBJECT

private slots:
    void indexHoldsEveryRowOnce();
    void matchIgnoresWidthCaseAndKana_data();
    void matchIgnoresWidthCaseAndKana();
    void matchingOrdersPrefixSubstringSubsequence_data();
    void matchingOrdersPrefixSubstringSubsequence();
    void rowsUsedLastComeFirst();
    void caretInAnAssetsValue_data();
    void caretInAnAssetsValue();
    void everyAssetValueOfALine();
};

void TestAssets::indexHoldsEveryRowOnce()
{
    for (auto type : {markup::InstallType::Adult, markup::InstallType::AllAges}) {
        const bool adult = type == markup::InstallType::Adult;
        std::size_t expected = catalogues::music.size() + catalogues::soundEffects.size() + catalogues::places.size();
        for (const markup::CastMember &member : markup::cast) {
            expected += member.sprites.size();
            expected += member.hasEvents() ? (adult ? member.events.adult : member.events.allAges).size() : 0;
        }
        expected += (adult ? markup::demoPictures.adult : markup::demoPictures.allAges).size();
        const std::vector<assets::Asset> &index = assets::index(type);
        QCOMPARE(index.size(), expected);
        QSet<QString> seen;
        for (const assets::Asset &asset : index) {
            const catalogues::Row &row = asset.catalogue[asset.row];
            QCOMPARE(asset.name(), qs(row.name));
            QCOMPARE(asset.reference(), qs(row.ref));
            QCOMPARE(asset.file().isEmpty(), !asset.isPicture());
            const QString key = asset.kindLabel + u'|' + asset.name().toString();
            QVERIFY2(!seen.contains(key), qPrintable(key));
            seen.insert(key);
        }
    }
    // What the kinds read.
    using markup::InstallType;
    QCOMPARE(assetNamed(InstallType::Adult, u"Snow Drop").kindLabel, u"音楽"_s);
    QCOMPARE(assetNamed(InstallType::Adult, u"チャイム").kindLabel, u"効果音"_s);
    QCOMPARE(assetNamed(InstallType::Adult, u"教室").kindLabel, u"場所"_s);
    QCOMPARE(assetNamed(InstallType::Adult, qs(catalogues::sprites::rin[0].name)).kindLabel, u"朝倉凛の立ち絵"_s);
    QCOMPARE(assetNamed(InstallType::AllAges, qs(catalogues::events::rinAllAges[0].name)).kindLabel,
             u"朝倉凛のイベントCG"_s);
    QCOMPARE(assetNamed(InstallType::Adult, u"日付１月７日").kindLabel, u"デモCG他"_s);
    QVERIFY(assetNamed(InstallType::Adult, u"黒(背景無し)").isBlackScreen());
    QVERIFY(!assetNamed(InstallType::Adult, u"教室").isBlackScreen());
}

void TestAssets::matchIgnoresWidthCaseAndKana_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Match>("match");

    QTest::newRow("full-width letters find half-width") << u"ｓｎｏｗ"_s << u"Snow Drop"_s << Match::Prefix;
    QTest::newRow("half-width letters find full-width digits") << u"日付1月7日"_s << u"日付１月７日"_s << Match::Prefix;
    QTest::newRow("half-width katakana finds katakana") << u"ﾁｬｲﾑ"_s << u"チャイム"_s << Match::Prefix;
    QTest::newRow("upper case finds mixed case") << u"MEMORIES"_s << u"Memories of Snow"_s << Match::Prefix;
    QTest::newRow("katakana finds hiragana") << u"ヒダマリ"_s << u"ひだまりの午後"_s << Match::Prefix;
    QTest::newRow("hiragana finds katakana") << u"しゃったー"_s << u"シャッター音"_s << Match::Prefix;
    QTest::newRow("half-width brackets find full-width ones") << u"(公園)"_s << u"ゆら／幼い日の約束（公園）"_s
                                                              << Match::Substring;
    QTest::newRow("inside the name") << u"drop"_s << u"Snow Drop"_s << Match::Substring;
    QTest::newRow("characters in order") << u"snwdp"_s << u"Snow Drop"_s << Match::Subsequence;
    QTest::newRow("characters out of order") << u"pdns"_s << u"Snow Drop"_s << Match::None;
    QTest::newRow("kanji are not read as kana") << u"ゆき"_s << u"雪明かり"_s << Match::None;
}

void TestAssets::matchIgnoresWidthCaseAndKana()
{
    QFETCH(QString, query);
    QFETCH(QString, text);
    QFETCH(Match, match);
    QCOMPARE(assets::matchOf(assets::fold(query), assets::fold(text)), match);
}

void TestAssets::matchingOrdersPrefixSubstringSubsequence_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("first");  // the first rows found, in order

    const auto yura = [](std::size_t row) { return qs(catalogues::sprites::yura[row].name); };
    QTest::newRow("prefix before substring before subsequence")
        << u"snow"_s << QStringList{u"Snow Drop"_s, u"Memories of Snow"_s, u"デモ・舞い散る雪"_s};
    QTest::newRow("holding it before an earlier row holding its characters apart")
        << u"on"_s << QStringList{u"Lazy Afternoon"_s, u"Confession"_s};
    QTest::newRow("a file's stem") << u"cgyr10"_s << QStringList{yura(0), yura(1)};
    QTest::newRow("a path stands for its stem") << u"PDT\\CGYR10N.PDT"_s << QStringList{yura(1)};
    QTest::newRow("katakana for a title in hiragana") << u"ヒダマリ"_s << QStringList{u"ひだまりの午後"_s};
    QTest::newRow("nothing") << u"該当なし"_s << QStringList{};
}

void TestAssets::matchingOrdersPrefixSubstringSubsequence()
{
    QFETCH(QString, query);
    QFETCH(QStringList, first);
    const std::vector<const assets::Asset *> all = rowsOf(markup::InstallType::Adult);
    const std::vector<const assets::Asset *> found = assets::matching(all, query);
    QCOMPARE(names(found, std::size_t(first.size())), first);
    // Whatever the query: ranks never go back, and rows of one rank keep
    // the index's order.
    const QString folded = assets::fold(query);
    const QString stem = folded.contains(u'\\') ? assets::fileStem(folded).toString() : folded;
    Match previous = Match::Prefix;
    const assets::Asset *previousRow = nullptr;
    for (const assets::Asset *asset : found) {
        Match m = assets::matchOf(stem, asset->foldedName);
        if (!asset->foldedStem.isEmpty())
            m = std::min(m, assets::matchOf(stem, asset->foldedStem));
        QVERIFY(m != Match::None);
        QVERIFY2(m >= previous, qPrintable(asset->name().toString()));
        if (m == previous && previousRow)
            QVERIFY(previousRow < asset);
        previous = m;
        previousRow = asset;
    }
}

void TestAssets::rowsUsedLastComeFirst()
{
    using markup::InstallType;
    const std::vector<const assets::Asset *> all = rowsOf(InstallType::Adult);
    assets::RecentUse recent;
    QCOMPARE(recent.order(all), all);
    const QString scene = qs(catalogues::events::yuraAdult[1].name);  // "（公園）" here, "(公園)" in the other
    recent.use(assetNamed(InstallType::Adult, u"チャイム"));
    recent.use(assetNamed(InstallType::Adult, u"Snow Drop"));
    recent.use(assetNamed(InstallType::Adult, scene));
    recent.use(assetNamed(InstallType::Adult, u"チャイム"));
    const QStringList adultFirst{u"チャイム"_s, scene, u"Snow Drop"_s, qs(catalogues::music[0].name)};
    QCOMPARE(names(recent.order(all), 4), adultFirst);
    // The other edition's row of the same picture counts as used.
    const QStringList allAgesFirst{u"チャイム"_s, qs(catalogues::events::yuraAllAges[1].name), u"Snow Drop"_s};
    QCOMPARE(names(recent.order(rowsOf(InstallType::AllAges)), 3), allAgesFirst);
    QCOMPARE(recent.order(all).size(), all.size());
}

void TestAssets::caretInAnAssetsValue_data()
{
    QTest::addColumn<QString>("lines");   // "|" marks the caret on the last line; "\n" separates lines
    QTest::addColumn<dnml::State>("start");
    QTest::addColumn<QString>("value");   // "tag start end open|closed", or "none"

    using dnml::State;
    QTest::newRow("just after the opening quote") << u"<BGM SRC=\"|"_s << State::Text << u"bgm 10 10 open"_s;
    QTest::newRow("inside a closed value") << u"<BGM SRC=\"Sn|ow\">"_s << State::Text << u"bgm 10 14 closed"_s;
    QTest::newRow("before its closing quote") << u"<SOUND SRC=\"ab|\">"_s << State::Text << u"sound 12 14 closed"_s;
    QTest::newRow("lower-case element and attribute")
        << u"<act name=\"人\" src=\"|"_s << State::Text << u"act 19 19 open"_s;
    QTest::newRow("background, value runs to the line's end")
        << u"<BACKGROUND SRC=\"教|室 FOLDER"_s << State::Text << u"background 17 26 open"_s;
    QTest::newRow("a second tag on the line") << u"<BGM SRC=\"a\"> <SOUND SRC=\"|"_s << State::Text
                                              << u"sound 26 26 open"_s;
    QTest::newRow("a tag across lines") << u"<ACT NAME=\"人\"\n SRC=\"|"_s << State::Text << u"act 6 6 open"_s;
    QTest::newRow("before the opening quote") << u"<BGM SRC=|\"x\">"_s << State::Text << u"none"_s;
    QTest::newRow("after the closing quote") << u"<BGM SRC=\"x\"|>"_s << State::Text << u"none"_s;
    QTest::newRow("another attribute") << u"<ACT NAME=\"|\" SRC=\"\">"_s << State::Text << u"none"_s;
    QTest::newRow("the folder") << u"<BGM SRC=\"x\" FOLDER=\"|"_s << State::Text << u"none"_s;
    QTest::newRow("another element") << u"<INCLUDE SRC=\"|"_s << State::Text << u"none"_s;
    QTest::newRow("a closing tag") << u"</BGM SRC=\"|"_s << State::Text << u"none"_s;
    QTest::newRow("a comment") << u"<!-- <BGM SRC=\"| -->"_s << State::Text << u"none"_s;
    QTest::newRow("a comment open since an earlier line") << u"<BGM SRC=\"|"_s << State::Comment << u"none"_s;
    QTest::newRow("prose") << u"彼は SRC=\"|"_s << State::Text << u"none"_s;
    QTest::newRow("an unquoted value") << u"<BGM SRC=Sn|ow>"_s << State::Text << u"none"_s;
    QTest::newRow("no equals sign") << u"<BGM SRC \"|"_s << State::Text << u"none"_s;
    QTest::newRow("a tag begun before the lines given") << u" SRC=\"|"_s << State::Tag << u"none"_s;
}

void TestAssets::caretInAnAssetsValue()
{
    QFETCH(QString, lines);
    QFETCH(dnml::State, start);
    QFETCH(QString, value);
    QStringList split = lines.split(u'\n');
    const qsizetype caret = split.last().indexOf(u'|');
    split.last().remove(caret, 1);
    std::vector<QStringView> views(split.begin(), split.end());
    const auto found = dnml::sourceValueAt(views, start, caret);
    QString shown = u"none"_s;
    if (found) {
        const char *tags[] = {"bgm", "sound", "background", "act"};
        shown = u"%1 %2 %3 %4"_s.arg(QLatin1String(tags[int(found->tag)]))
                    .arg(found->start)
                    .arg(found->end)
                    .arg(found->closed ? u"closed"_s : u"open"_s);
    }
    QCOMPARE(shown, value);
    // The line's values read all at once hold the one the caret is in.
    if (found && split.size() == 1) {
        const std::vector<dnml::SourceValue> all = dnml::sourceValues(split.last(), start);
        QVERIFY(std::any_of(all.begin(), all.end(), [&found](const dnml::SourceValue &v) {
            return v.tag == found->tag && v.start == found->start && v.end == found->end && v.closed == found->closed;
        }));
    }
}

void TestAssets::everyAssetValueOfALine()
{
    const QString line = u"<BGM SRC=\"a\"> <INCLUDE SRC=\"b\"> <ACT NAME=\"人\" src = \"cd\"> <!-- <BGM SRC=\"e\"> -->"_s;
    QStringList values;
    for (const dnml::SourceValue &value : dnml::sourceValues(line, dnml::State::Text))
        values << line.sliced(value.start, value.end - value.start);
    QCOMPARE(values, (QStringList{u"a"_s, u"cd"_s}));
    // Inside a comment open since an earlier line, up to its end, none is.
    QVERIFY(dnml::sourceValues(line, dnml::State::Comment).empty());
}

QTEST_APPLESS_MAIN(TestAssets)
#include "test_assets.moc"
