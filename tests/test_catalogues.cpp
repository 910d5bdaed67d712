// Checks every asset catalogue against the rules its picker and the tags it
// writes rely on. Each rule is one data-driven test with one row per list,
// so a failure names the list, and its message names the offending rows.
#include <QtTest>

#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogues/catalogue.h"

using catalogues::Catalogue;
using catalogues::Row;
namespace sprites = catalogues::sprites;
namespace events = catalogues::events;

namespace {

// ---------------------------------------------------------------------------
// What each picker's lists must look like.

struct NameList {
    const char *title;
    Catalogue rows;
    std::size_t count;
};

struct SpriteForm {
    const char *title;
    Catalogue rows;
    std::size_t count;
    std::u16string_view label;       // before "／"; child rows put "子供" in front
    std::u16string_view prefix;      // file prefix of rows [0, childFrom)
    std::u16string_view childPrefix; // file prefix of rows [childFrom, count)
    std::size_t childFrom;
    bool plainRowsNameCostume;       // whether rows without A/B start with a costume
    std::u16string_view ownLetters;  // variant letters only this cast member uses: S (snow), C (extra)
};

struct EventForm {
    const char *title;
    std::u16string_view shortName;
    std::u16string_view code;
    Catalogue adult;
    std::size_t adultCount;
    Catalogue allAges;
    std::size_t allAgesCount;
    int shared; // exact number of pictures both editions hold, or -1 when free
};

struct DemoForm {
    const char *title;
    Catalogue adult;
    Catalogue allAges;
    std::size_t count;
};

constexpr std::array nameLists{
    NameList{"Form2 music", catalogues::music, 22},
    NameList{"Form3 places", catalogues::places, 97},
    NameList{"Form4 sound effects", catalogues::soundEffects, 19},
};

constexpr std::array spriteForms{
    SpriteForm{"Form5 ゆら sprites", sprites::yura, 110, u"ゆら", u"CGYR", u"CGKYR", 90, true, u""},
    SpriteForm{"Form6 宮下 sprites", sprites::sayuki, 6, u"宮下", u"CGSU", u"", 6, false, u""},
    SpriteForm{"Form7 晴美 sprites", sprites::harumi, 12, u"晴美", u"CGHM", u"", 12, false, u""},
    SpriteForm{"Form8 ちとせ sprites", sprites::chitose, 70, u"ちとせ", u"CGCT", u"CGKCT", 66, true, u""},
    SpriteForm{"Form9 森本 sprites", sprites::wataru, 2, u"森本", u"CGWT", u"", 2, false, u""},
    SpriteForm{"Form10 千景 sprites", sprites::chikage, 17, u"千景", u"CGCK", u"", 17, false, u""},
    SpriteForm{"Form11 小夜子 sprites", sprites::sayoko, 13, u"小夜子", u"CGSK", u"", 13, false, u""},
    SpriteForm{"Form12 しずく sprites", sprites::shizuku, 68, u"しずく", u"CGSZ", u"", 68, true, u"S"},
    SpriteForm{"Form13 真白 sprites", sprites::mashiro, 56, u"真白", u"CGMH", u"", 56, true, u"C"},
    SpriteForm{"Form14 凛 sprites", sprites::rin, 31, u"凛", u"CGRN", u"", 31, true, u""},
};

constexpr std::array eventForms{
    EventForm{"Form15 ゆら", u"ゆら", u"FGYR", events::yuraAdult, 31, events::yuraAllAges, 34, 26},
    EventForm{"Form17 ちとせ", u"ちとせ", u"FGCT", events::chitoseAdult, 29, events::chitoseAllAges, 30, -1},
    EventForm{"Form18 しずく", u"しずく", u"FGSZ", events::shizukuAdult, 27, events::shizukuAllAges, 31, -1},
    EventForm{"Form19 凛", u"凛", u"FGRN", events::rinAdult, 28, events::rinAllAges, 29, -1},
    EventForm{"Form20 真白", u"真白", u"FGMH", events::mashiroAdult, 19, events::mashiroAllAges, 23, -1},
};

constexpr DemoForm demoForm{"Form16", events::demoAdult, events::demoAllAges, 67};

constexpr std::size_t maxNameLength = 26;

constexpr bool countsMatch()
{
    for (const auto &l : nameLists)
        if (l.rows.size() != l.count)
            return false;
    for (const auto &f : spriteForms)
        if (f.rows.size() != f.count || f.childFrom > f.count)
            return false;
    for (const auto &f : eventForms)
        if (f.adult.size() != f.adultCount || f.allAges.size() != f.allAgesCount)
            return false;
    return demoForm.adult.size() == demoForm.count && demoForm.allAges.size() == demoForm.count;
}
static_assert(countsMatch(), "a catalogue's row count differs from its picker's");

// An event picker sizes its reference table by its all-ages list, so that
// list must be the larger one.
constexpr bool allAgesListsAreLarger()
{
    return std::ranges::all_of(eventForms, [](const EventForm &f) { return f.allAgesCount >= f.adultCount; });
}
static_assert(allAgesListsAreLarger());

static_assert(catalogues::titleCallMusicRow < catalogues::music.size());

// ---------------------------------------------------------------------------
// Helpers.

QString str(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

QString at(std::size_t i, const Row &r)
{
    return QStringLiteral("row %1 \"%2\" (%3): ").arg(i).arg(str(r.name), str(r.ref));
}

// All problems found in one list, reported together.
QByteArray report(const QStringList &problems)
{
    constexpr qsizetype shown = 15;
    QStringList lines = problems.mid(0, shown);
    if (problems.size() > shown)
        lines << QStringLiteral("… and %1 more").arg(problems.size() - shown);
    return lines.join(u'\n').toUtf8();
}

#define VERIFY_NO_PROBLEMS(problems) QVERIFY2((problems).isEmpty(), report(problems).constData())

std::size_t codePoints(std::u16string_view s)
{
    return std::size_t(std::ranges::count_if(s, [](char16_t c) { return c < 0xDC00 || c > 0xDFFF; }));
}

bool unwritableInTag(char16_t c)
{
    return c < 0x20 || c == 0x7F || c == u'"' || c == u'<' || c == u'>';
}

bool isStemChar(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// "PDT\STEM.PDT" → "STEM"
std::optional<std::u16string_view> stemOf(std::u16string_view ref)
{
    constexpr std::u16string_view head = u"PDT\\";
    constexpr std::u16string_view tail = u".PDT";
    if (ref.size() < head.size() + tail.size() || !ref.starts_with(head) || !ref.ends_with(tail))
        return std::nullopt;
    return ref.substr(head.size(), ref.size() - head.size() - tail.size());
}

std::vector<std::u16string_view> split(std::u16string_view s, char16_t sep)
{
    std::vector<std::u16string_view> parts;
    for (;;) {
        const auto pos = s.find(sep);
        parts.push_back(s.substr(0, pos));
        if (pos == std::u16string_view::npos)
            return parts;
        s.remove_prefix(pos + 1);
    }
}

struct Listing {
    QByteArray title;
    Catalogue rows;
    bool picture;
};

std::vector<Listing> everyList()
{
    std::vector<Listing> lists;
    for (const auto &l : nameLists)
        lists.push_back({l.title, l.rows, false});
    for (const auto &f : spriteForms)
        lists.push_back({f.title, f.rows, true});
    for (const auto &f : eventForms) {
        lists.push_back({QByteArray(f.title) + " adult", f.adult, true});
        lists.push_back({QByteArray(f.title) + " all-ages", f.allAges, true});
    }
    lists.push_back({QByteArray(demoForm.title) + " adult", demoForm.adult, true});
    lists.push_back({QByteArray(demoForm.title) + " all-ages", demoForm.allAges, true});
    return lists;
}

// A sprite reference taken apart: prefix, pose digit, expression digit, variant letters.
struct SpriteRef {
    std::u16string_view prefix;
    char16_t pose;
    char16_t expression;
    std::u16string_view letters;

    bool has(char16_t letter) const { return letters.find(letter) != std::u16string_view::npos; }
    QString expressionKey() const { return str(prefix) + QChar(pose) + QChar(expression); }
};

constexpr std::array<std::u16string_view, 10> spriteLetterSets{
    u"", u"N", u"A", u"AN", u"B", u"BN", u"BC", u"C", u"S", u"SN"};

bool isChildRow(const SpriteForm &f, std::size_t i)
{
    return i >= f.childFrom;
}

// Parses the reference of sprite row i; on failure says why.
std::optional<SpriteRef> spriteRef(const SpriteForm &f, std::size_t i, QString *why)
{
    const auto stem = stemOf(f.rows[i].ref);
    if (!stem) {
        *why = QStringLiteral("not a PDT\\….PDT path");
        return std::nullopt;
    }
    const auto prefix = isChildRow(f, i) ? f.childPrefix : f.prefix;
    if (!stem->starts_with(prefix) || stem->size() < prefix.size() + 2) {
        *why = QStringLiteral("file name does not start with %1 and two digits").arg(str(prefix));
        return std::nullopt;
    }
    SpriteRef r{prefix, (*stem)[prefix.size()], (*stem)[prefix.size() + 1], stem->substr(prefix.size() + 2)};
    if (r.pose < u'1' || r.pose > u'4' || !isDigit(r.expression)) {
        *why = QStringLiteral("pose digit must be 1–4 and expression digit 0–9");
        return std::nullopt;
    }
    if (std::ranges::find(spriteLetterSets, r.letters) == spriteLetterSets.end()) {
        *why = QStringLiteral("variant letters \"%1\" are no known combination").arg(str(r.letters));
        return std::nullopt;
    }
    for (char16_t own : {u'S', u'C'}) {
        if (r.has(own) && f.ownLetters.find(own) == std::u16string_view::npos) {
            *why = QStringLiteral("variant letter %1 belongs to another cast member").arg(QChar(own));
            return std::nullopt;
        }
    }
    if (isChildRow(f, i) && (r.has(u'A') || r.has(u'B'))) {
        *why = QStringLiteral("the child version has no costume variants");
        return std::nullopt;
    }
    return r;
}

// The attributes of a sprite's name in their slots, as its reference
// letters say they must be.
struct SpriteName {
    std::optional<std::u16string_view> costume;
    std::u16string_view pose;
    std::u16string_view expression;
    std::optional<std::u16string_view> extra;
    std::optional<std::u16string_view> condition;
};

enum class Costume { Plain, A, B };

Costume costumeOf(const SpriteRef &r)
{
    return r.has(u'A') ? Costume::A : r.has(u'B') ? Costume::B : Costume::Plain;
}

std::optional<SpriteName> spriteName(const SpriteForm &f, std::size_t i, const SpriteRef &ref, QString *why)
{
    const auto name = f.rows[i].name;
    const auto halves = split(name, u'／');
    const std::u16string_view label = halves.front();
    const QString expectedLabel = (isChildRow(f, i) ? QStringLiteral("子供") : QString()) + str(f.label);
    if (halves.size() != 2 || str(label) != expectedLabel) {
        *why = QStringLiteral("name must be \"%1／\" and attributes").arg(expectedLabel);
        return std::nullopt;
    }
    const auto attributes = split(halves[1], u'・');
    if (std::ranges::any_of(attributes, [](std::u16string_view a) { return a.empty(); })) {
        *why = QStringLiteral("empty attribute");
        return std::nullopt;
    }

    const bool namesCostume =
        costumeOf(ref) != Costume::Plain || (f.plainRowsNameCostume && !isChildRow(f, i));
    const bool extra = ref.has(u'C');
    const bool condition = ref.has(u'N') || ref.has(u'S');
    const std::size_t expected = (namesCostume ? 1 : 0) + 2 + (extra ? 1 : 0) + (condition ? 1 : 0);
    if (attributes.size() != expected) {
        *why = QStringLiteral("%1 attributes where the file name calls for %2 (%3pose, expression%4%5)")
                   .arg(attributes.size())
                   .arg(expected)
                   .arg(namesCostume ? QStringLiteral("costume, ") : QString(),
                        extra ? QStringLiteral(", extra") : QString(),
                        condition ? QStringLiteral(", condition") : QString());
        return std::nullopt;
    }
    SpriteName n;
    std::size_t k = 0;
    if (namesCostume)
        n.costume = attributes[k++];
    n.pose = attributes[k++];
    n.expression = attributes[k++];
    if (extra)
        n.extra = attributes[k++];
    if (condition)
        n.condition = attributes[k++];
    return n;
}

bool isConditionWord(std::u16string_view a)
{
    return a == u"暗" || a == u"雪" || a == u"雪暗";
}

// Place names end in at most one of these; what precedes it is the place.
constexpr std::array<std::u16string_view, 16> placeConditions{
    u"夜点灯", u"夕暮れ", u"曇り", u"夕方", u"点灯", u"早朝", u"深夜",
    u"夜", u"朝", u"昼", u"春", u"夏", u"秋", u"雨", u"雪", u"冬"};

std::u16string_view basePlace(std::u16string_view name)
{
    std::u16string_view best;
    for (auto c : placeConditions)
        if (name.size() > c.size() && name.ends_with(c) && c.size() > best.size())
            best = c;
    return name.substr(0, name.size() - best.size());
}

enum class Edition { Adult, AllAges };

struct Brackets {
    char16_t open;
    char16_t close;
};

Brackets bracketsOf(Edition e)
{
    return e == Edition::Adult ? Brackets{u'（', u'）'} : Brackets{u'(', u')'};
}

// Checks that a description uses only its edition's parentheses, in
// closed, unnested pairs.
QString bracketProblem(std::u16string_view s, Edition e)
{
    const Brackets own = bracketsOf(e);
    const Brackets other = bracketsOf(e == Edition::Adult ? Edition::AllAges : Edition::Adult);
    bool open = false;
    for (char16_t c : s) {
        if (c == other.open || c == other.close)
            return QStringLiteral("parenthesis %1 of the other edition").arg(QChar(c));
        if (c == own.open) {
            if (open)
                return QStringLiteral("nested parenthesis");
            open = true;
        } else if (c == own.close) {
            if (!open)
                return QStringLiteral("closing parenthesis without an opening one");
            open = false;
        }
    }
    return open ? QStringLiteral("unclosed parenthesis") : QString();
}

QString fullWidthNumber(int n)
{
    QString s = QString::number(n);
    for (QChar &c : s)
        c = QChar(char16_t(c.unicode() - u'0' + u'０'));
    return s;
}

} // namespace

Q_DECLARE_METATYPE(Catalogue)
Q_DECLARE_METATYPE(Edition)

class TestCatalogues : public QObject {
    Q_OBJECT

private slots:
    // Every list of every picker.
    void rowsFilled_data();
    void rowsFilled();
    void rowsUnique_data();
    void rowsUnique();
    void namesWritableInTags_data();
    void namesWritableInTags();
    void referenceShape_data();
    void referenceShape();
    void fixedRows_data();
    void fixedRows();

    void music();
    void places();
    void soundEffects();

    void spriteReferences_data();
    void spriteReferences();
    void spriteNames_data();
    void spriteNames();
    void spriteVocabulary_data();
    void spriteVocabulary();
    void spriteDarkRows_data();
    void spriteDarkRows();

    void eventNames_data();
    void eventNames();
    void eventReferences_data();
    void eventReferences();
    void eventEditions_data();
    void eventEditions();

    void demoNames_data();
    void demoNames();
    void demoEditions();
};

namespace {

void addEveryList()
{
    QTest::addColumn<int>("list");
    const auto lists = everyList();
    for (std::size_t i = 0; i < lists.size(); ++i)
        QTest::newRow(lists[i].title.constData()) << int(i);
}

Listing fetchList()
{
    QFETCH(int, list);
    return everyList()[std::size_t(list)];
}

void addSpriteForms()
{
    QTest::addColumn<int>("form");
    for (std::size_t i = 0; i < spriteForms.size(); ++i)
        QTest::newRow(spriteForms[i].title) << int(i);
}

const SpriteForm &fetchSpriteForm()
{
    QFETCH(int, form);
    return spriteForms[std::size_t(form)];
}

void addEventLists()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<Edition>("edition");
    for (std::size_t i = 0; i < eventForms.size(); ++i) {
        QTest::addRow("%s adult", eventForms[i].title) << int(i) << Edition::Adult;
        QTest::addRow("%s all-ages", eventForms[i].title) << int(i) << Edition::AllAges;
    }
}

} // namespace

void TestCatalogues::rowsFilled_data()
{
    addEveryList();
}

void TestCatalogues::rowsFilled()
{
    const Listing l = fetchList();
    QStringList problems;
    for (std::size_t i = 0; i < l.rows.size(); ++i) {
        if (l.rows[i].name.empty())
            problems << at(i, l.rows[i]) + QStringLiteral("empty name");
        if (l.rows[i].ref.empty())
            problems << at(i, l.rows[i]) + QStringLiteral("empty reference");
    }
    VERIFY_NO_PROBLEMS(problems);
}

// The picker finds a row by its name, and the reference table maps a row to
// one picture: a repeated name or reference makes one of two rows unreachable.
void TestCatalogues::rowsUnique_data()
{
    addEveryList();
}

void TestCatalogues::rowsUnique()
{
    const Listing l = fetchList();
    QStringList problems;
    std::map<std::u16string_view, std::size_t> names;
    std::map<std::u16string_view, std::size_t> refs;
    for (std::size_t i = 0; i < l.rows.size(); ++i) {
        const Row &r = l.rows[i];
        if (const auto [it, fresh] = names.try_emplace(r.name, i); !fresh)
            problems << at(i, r) + QStringLiteral("same name as row %1").arg(it->second);
        if (const auto [it, fresh] = refs.try_emplace(r.ref, i); !fresh)
            problems << at(i, r) + QStringLiteral("same reference as row %1").arg(it->second);
    }
    VERIFY_NO_PROBLEMS(problems);
}

// Names and references go verbatim into quoted tag attributes and comments.
void TestCatalogues::namesWritableInTags_data()
{
    addEveryList();
}

void TestCatalogues::namesWritableInTags()
{
    const Listing l = fetchList();
    QStringList problems;
    for (std::size_t i = 0; i < l.rows.size(); ++i) {
        const Row &r = l.rows[i];
        if (codePoints(r.name) > maxNameLength)
            problems << at(i, r) + QStringLiteral("name longer than %1 characters").arg(maxNameLength);
        if (std::ranges::any_of(r.name, unwritableInTag))
            problems << at(i, r) + QStringLiteral("name holds a quote, angle bracket or control character");
        if (std::ranges::any_of(r.ref, unwritableInTag))
            problems << at(i, r) + QStringLiteral("reference holds a quote, angle bracket or control character");
    }
    VERIFY_NO_PROBLEMS(problems);
}

void TestCatalogues::referenceShape_data()
{
    addEveryList();
}

void TestCatalogues::referenceShape()
{
    const Listing l = fetchList();
    QStringList problems;
    for (std::size_t i = 0; i < l.rows.size(); ++i) {
        const Row &r = l.rows[i];
        if (!l.picture) {
            if (r.ref != r.name)
                problems << at(i, r) + QStringLiteral("reference differs from the name");
            continue;
        }
        const auto stem = stemOf(r.ref);
        if (!stem)
            problems << at(i, r) + QStringLiteral("not PDT\\ + file name + .PDT");
        else if (stem->size() < 5 || stem->size() > 8 || !std::ranges::all_of(*stem, isStemChar))
            problems << at(i, r) + QStringLiteral("file name must be 5–8 of A–Z, 0–9, _");
    }
    VERIFY_NO_PROBLEMS(problems);
}

// Rows that other parts of the program or the game itself rely on.
void TestCatalogues::fixedRows_data()
{
    QTest::addColumn<Catalogue>("rows");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ref");
    QTest::newRow("Form5 first sprite") << Catalogue(sprites::yura) << 0 << QStringLiteral("ゆら／コート・少し横向・普通")
                                        << QStringLiteral("PDT\\CGYR10.PDT");
    QTest::newRow("Form5 its dark version") << Catalogue(sprites::yura) << 1
                                            << QStringLiteral("ゆら／コート・少し横向・普通・暗")
                                            << QStringLiteral("PDT\\CGYR10N.PDT");
    QTest::newRow("Form3 black background") << Catalogue(catalogues::places) << 96 << QStringLiteral("黒(背景無し)")
                                            << QStringLiteral("黒(背景無し)");
}

void TestCatalogues::fixedRows()
{
    QFETCH(Catalogue, rows);
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, ref);
    const Row &r = rows[std::size_t(index)];
    QVERIFY2(str(r.name) == name && str(r.ref) == ref,
             qPrintable(at(std::size_t(index), r) + QStringLiteral("must be \"%1\" (%2)").arg(name, ref)));
}

void TestCatalogues::music()
{
    const auto isAscii = [](const Row &r) {
        return !r.name.empty() && std::ranges::all_of(r.name, [](char16_t c) { return c < 0x80; });
    };
    const auto isJapanese = [](const Row &r) {
        return std::ranges::any_of(r.name, [](char16_t c) {
            return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF);
        });
    };
    QVERIFY2(std::ranges::any_of(catalogues::music, isAscii), "no English title");
    QVERIFY2(std::ranges::any_of(catalogues::music, isJapanese), "no Japanese title");
    QVERIFY2(!catalogues::music[catalogues::titleCallMusicRow].name.empty(), "the title call has no music");
}

void TestCatalogues::places()
{
    const Catalogue rows = catalogues::places;
    constexpr std::size_t firstSky = 90;
    constexpr std::size_t black = 96;
    QStringList problems;

    // One place's rows stand together in the list.
    std::map<std::u16string_view, std::size_t> lastRowOf;
    for (std::size_t i = 0; i < firstSky; ++i) {
        const auto base = basePlace(rows[i].name);
        if (const auto it = lastRowOf.find(base); it != lastRowOf.end() && it->second != i - 1)
            problems << at(i, rows[i]) + QStringLiteral("%1 is apart from its row %2").arg(str(base)).arg(it->second);
        lastRowOf[base] = i;
        if (rows[i].name.ends_with(u"空"))
            problems << at(i, rows[i]) + QStringLiteral("a sky among the places");
    }
    for (std::size_t i = firstSky; i < black; ++i)
        if (!rows[i].name.ends_with(u"空"))
            problems << at(i, rows[i]) + QStringLiteral("not a sky");
    if (std::none_of(rows.begin() + firstSky, rows.begin() + black, [](const Row &r) { return r.name == u"青空"; }))
        problems << QStringLiteral("no 青空 among the skies");

    for (std::u16string_view wanted : {u"教室", u"教室夜", u"教室夕方"})
        if (std::ranges::none_of(rows, [&](const Row &r) { return r.name == wanted; }))
            problems << QStringLiteral("no row %1").arg(str(wanted));

    // The black background is recognised by its row alone.
    for (std::size_t i = 0; i < black; ++i) {
        const auto holds = [&](std::u16string_view mark) {
            return rows[i].name.find(mark) != std::u16string_view::npos;
        };
        if (std::ranges::any_of(std::array<std::u16string_view, 5>{u"(", u")", u"（", u"）", u"背景"}, holds))
            problems << at(i, rows[i]) + QStringLiteral("looks like the black background");
    }
    VERIFY_NO_PROBLEMS(problems);
}

void TestCatalogues::soundEffects()
{
    for (std::u16string_view wanted : {u"目覚まし1", u"チャイム", u"ノック"})
        QVERIFY2(std::ranges::any_of(catalogues::soundEffects, [&](const Row &r) { return r.name == wanted; }),
                 qPrintable(QStringLiteral("no sound effect %1").arg(str(wanted))));
}

void TestCatalogues::spriteReferences_data()
{
    addSpriteForms();
}

void TestCatalogues::spriteReferences()
{
    const SpriteForm &f = fetchSpriteForm();
    QStringList problems;
    for (std::size_t i = 0; i < f.rows.size(); ++i) {
        QString why;
        if (!spriteRef(f, i, &why))
            problems << at(i, f.rows[i]) + why;
    }
    VERIFY_NO_PROBLEMS(problems);
}

void TestCatalogues::spriteNames_data()
{
    addSpriteForms();
}

void TestCatalogues::spriteNames()
{
    const SpriteForm &f = fetchSpriteForm();
    QStringList problems;
    for (std::size_t i = 0; i < f.rows.size(); ++i) {
        QString why;
        const auto ref = spriteRef(f, i, &why);
        if (!ref)
            continue; // reported by spriteReferences
        const auto name = spriteName(f, i, *ref, &why);
        if (!name) {
            problems << at(i, f.rows[i]) + why;
            continue;
        }
        if (name->condition) {
            const std::u16string_view expected = ref->has(u'S') ? (ref->has(u'N') ? u"雪暗" : u"雪") : u"暗";
            if (*name->condition != expected)
                problems << at(i, f.rows[i])
                                + QStringLiteral("ends in %1, not %2").arg(str(*name->condition), str(expected));
        }
        for (auto a : {name->costume.value_or(u""), name->pose, name->expression, name->extra.value_or(u"")})
            if (isConditionWord(a))
                problems << at(i, f.rows[i]) + QStringLiteral("%1 out of place").arg(str(a));
    }
    VERIFY_NO_PROBLEMS(problems);
}

// One costume word per costume letter, one pose word per pose digit, one
// expression word per picture number: the names must read the same way
// across rows.
void TestCatalogues::spriteVocabulary_data()
{
    addSpriteForms();
}

void TestCatalogues::spriteVocabulary()
{
    const SpriteForm &f = fetchSpriteForm();
    // For each costume letter, pose digit and picture number, the rows that
    // use each word for it.
    using Uses = std::map<std::u16string_view, std::vector<std::size_t>>;
    std::map<Costume, Uses> costumes;
    std::map<QString, Uses> poses;
    std::map<QString, Uses> expressions;
    for (std::size_t i = 0; i < f.rows.size(); ++i) {
        QString why;
        const auto ref = spriteRef(f, i, &why);
        const auto name = ref ? spriteName(f, i, *ref, &why) : std::nullopt;
        if (!name)
            continue; // reported by spriteReferences or spriteNames
        if (name->costume)
            costumes[costumeOf(*ref)][*name->costume].push_back(i);
        poses[str(ref->prefix) + QChar(ref->pose)][name->pose].push_back(i);
        expressions[ref->expressionKey()][name->expression].push_back(i);
    }

    QStringList problems;
    // The word most rows use is taken as meant; the others are reported.
    const auto usual = [](const Uses &uses) {
        return std::ranges::max_element(uses, {}, [](const auto &u) { return u.second.size(); })->first;
    };
    const auto disagree = [&](const auto &words, const QString &what) {
        for (const auto &[key, uses] : words) {
            const auto meant = usual(uses);
            for (const auto &[word, rows] : uses)
                if (word != meant)
                    for (std::size_t i : rows)
                        problems << at(i, f.rows[i])
                                        + QStringLiteral("%1 %2 where the other rows say %3")
                                              .arg(what, str(word), str(meant));
        }
    };
    disagree(costumes, QStringLiteral("costume"));
    disagree(poses, QStringLiteral("pose"));
    disagree(expressions, QStringLiteral("expression"));

    constexpr std::array<std::pair<Costume, Costume>, 3> pairs{
        {{Costume::Plain, Costume::A}, {Costume::Plain, Costume::B}, {Costume::A, Costume::B}}};
    for (const auto &[x, y] : pairs) {
        if (!costumes.contains(x) || !costumes.contains(y))
            continue;
        if (const auto word = usual(costumes[x]); word == usual(costumes[y]))
            problems << QStringLiteral("two costumes named alike: %1 (rows %2 and %3)")
                            .arg(str(word))
                            .arg(costumes[x][word].front())
                            .arg(costumes[y][word].front());
    }
    VERIFY_NO_PROBLEMS(problems);
}

// A dark version follows the picture it darkens, so the two sit together in
// the list.
void TestCatalogues::spriteDarkRows_data()
{
    addSpriteForms();
}

void TestCatalogues::spriteDarkRows()
{
    const SpriteForm &f = fetchSpriteForm();
    QStringList problems;
    for (std::size_t i = 0; i < f.rows.size(); ++i) {
        const Row &r = f.rows[i];
        if (!r.ref.ends_with(u"N.PDT"))
            continue;
        std::u16string baseRef(r.ref);
        baseRef.erase(baseRef.size() - 5, 1);
        std::u16string baseName(r.name);
        if (baseName.ends_with(u"・雪暗"))
            baseName.pop_back();
        else if (baseName.ends_with(u"・暗"))
            baseName.resize(baseName.size() - 2);
        if (i == 0 || f.rows[i - 1].ref != baseRef || f.rows[i - 1].name != baseName)
            problems << at(i, r)
                            + QStringLiteral("must follow \"%1\" (%2)").arg(QString::fromStdU16String(baseName),
                                                                              QString::fromStdU16String(baseRef));
    }
    VERIFY_NO_PROBLEMS(problems);
}

void TestCatalogues::eventNames_data()
{
    addEventLists();
}

void TestCatalogues::eventNames()
{
    QFETCH(int, form);
    QFETCH(Edition, edition);
    const EventForm &f = eventForms[std::size_t(form)];
    const Catalogue rows = edition == Edition::Adult ? f.adult : f.allAges;
    const std::u16string head = std::u16string(f.shortName) + u"／";
    QStringList problems;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row &r = rows[i];
        if (!r.name.starts_with(head)) {
            problems << at(i, r) + QStringLiteral("does not start with %1").arg(QString::fromStdU16String(head));
            continue;
        }
        const auto parts = split(r.name.substr(head.size()), u'／');
        if (parts.size() > 2 || std::ranges::any_of(parts, [](std::u16string_view p) { return p.empty(); }))
            problems << at(i, r) + QStringLiteral("description must be one or two non-empty parts");
        if (const QString p = bracketProblem(r.name, edition); !p.isEmpty())
            problems << at(i, r) + p;
    }
    VERIFY_NO_PROBLEMS(problems);
}

void TestCatalogues::eventReferences_data()
{
    addEventLists();
}

// "FGYR" + scene "02" (or sub-scene "031") + version letter A–E, if any.
void TestCatalogues::eventReferences()
{
    QFETCH(int, form);
    QFETCH(Edition, edition);
    const EventForm &f = eventForms[std::size_t(form)];
    const Catalogue rows = edition == Edition::Adult ? f.adult : f.allAges;
    QStringList problems;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto stem = stemOf(rows[i].ref);
        if (!stem || !stem->starts_with(f.code)) {
            problems << at(i, rows[i]) + QStringLiteral("not PDT\\%1….PDT").arg(str(f.code));
            continue;
        }
        auto rest = stem->substr(f.code.size());
        if (!rest.empty() && rest.back() >= u'A' && rest.back() <= u'E')
            rest.remove_suffix(1);
        if ((rest.size() != 2 && rest.size() != 3) || !std::ranges::all_of(rest, isDigit))
            problems << at(i, rows[i])
                            + QStringLiteral("scene must be two or three digits and at most one letter A–E");
    }
    VERIFY_NO_PROBLEMS(problems);
}

void TestCatalogues::eventEditions_data()
{
    QTest::addColumn<int>("form");
    for (std::size_t i = 0; i < eventForms.size(); ++i)
        QTest::newRow(eventForms[i].title) << int(i);
}

// Both editions open on the same picture and tell the same story in the
// same order; each replaces some scenes of the other.
void TestCatalogues::eventEditions()
{
    QFETCH(int, form);
    const EventForm &f = eventForms[std::size_t(form)];
    const auto refsOf = [](Catalogue rows) {
        std::set<std::u16string_view> s;
        for (const Row &r : rows)
            s.insert(r.ref);
        return s;
    };
    const auto adultRefs = refsOf(f.adult);
    const auto allAgesRefs = refsOf(f.allAges);
    const auto sharedIn = [](Catalogue rows, const std::set<std::u16string_view> &other) {
        std::vector<std::u16string_view> v;
        for (const Row &r : rows)
            if (other.contains(r.ref))
                v.push_back(r.ref);
        return v;
    };
    const auto adultShared = sharedIn(f.adult, allAgesRefs);
    const auto allAgesShared = sharedIn(f.allAges, adultRefs);

    QStringList problems;
    if (f.adult[0].ref != f.allAges[0].ref)
        problems << QStringLiteral("row 0 is %1 in the adult list, %2 in the all-ages list")
                        .arg(str(f.adult[0].ref), str(f.allAges[0].ref));
    if (const auto [a, b] = std::ranges::mismatch(adultShared, allAgesShared); a != adultShared.end())
        problems << QStringLiteral("shared pictures in another order: %1 in the adult list where the all-ages list "
                                   "has %2")
                        .arg(str(*a), b == allAgesShared.end() ? QStringLiteral("none") : str(*b));
    if (adultShared.size() == f.adult.size())
        problems << QStringLiteral("the adult list has no scene of its own");
    if (allAgesShared.size() == f.allAges.size())
        problems << QStringLiteral("the all-ages list has no scene of its own");
    if (2 * adultShared.size() <= f.allAges.size())
        problems << QStringLiteral("only %1 pictures shared").arg(adultShared.size());
    if (f.shared >= 0 && adultShared.size() != std::size_t(f.shared))
        problems << QStringLiteral("%1 pictures shared, not %2").arg(adultShared.size()).arg(f.shared);
    VERIFY_NO_PROBLEMS(problems);
}

void TestCatalogues::demoNames_data()
{
    QTest::addColumn<Edition>("edition");
    QTest::addRow("%s adult", demoForm.title) << Edition::Adult;
    QTest::addRow("%s all-ages", demoForm.title) << Edition::AllAges;
}

void TestCatalogues::demoNames()
{
    QFETCH(Edition, edition);
    const Catalogue rows = edition == Edition::Adult ? demoForm.adult : demoForm.allAges;
    constexpr std::size_t firstDate = 42;
    constexpr std::u16string_view system = u"システム・";
    const std::u16string_view opening = edition == Edition::Adult ? u"デモ・" : u"ＯＰ・";
    QStringList problems;

    std::size_t systemRows = 0;
    std::size_t openingRows = 0;
    std::set<std::u16string_view> systemRefs;
    for (std::size_t i = 0; i < firstDate; ++i) {
        const Row &r = rows[i];
        if (r.name.starts_with(system) && r.name.size() > system.size()) {
            ++systemRows;
            systemRefs.insert(r.ref);
        } else if (r.name.starts_with(opening) && r.name.size() > opening.size()) {
            ++openingRows;
        } else {
            problems << at(i, r) + QStringLiteral("must be %1… or %2…").arg(str(system), str(opening));
        }
    }
    if (systemRows != 9)
        problems << QStringLiteral("%1 system pictures, not 9").arg(systemRows);
    if (openingRows != 33)
        problems << QStringLiteral("%1 opening pictures, not 33").arg(openingRows);

    for (std::size_t i = firstDate; i < rows.size(); ++i) {
        const int day = int(i - firstDate) + 7;
        const QString name = QStringLiteral("日付１月%1日").arg(fullWidthNumber(day));
        const QString ref = QStringLiteral("PDT\\BG1%1.PDT").arg(day, 2, 10, QChar(u'0'));
        if (str(rows[i].name) != name || str(rows[i].ref) != ref)
            problems << at(i, rows[i]) + QStringLiteral("must be the date card %1 (%2)").arg(name, ref);
    }

    // The title scaffold shows these two.
    for (std::u16string_view title : {u"PDT\\TITLE_BG.PDT", u"PDT\\TITLE_LG.PDT"})
        if (!systemRefs.contains(title))
            problems << QStringLiteral("%1 is no system picture").arg(str(title));
    VERIFY_NO_PROBLEMS(problems);
}

// The same pictures in both editions: only rows 6–23 change places.
void TestCatalogues::demoEditions()
{
    const Catalogue adult = demoForm.adult;
    const Catalogue allAges = demoForm.allAges;
    constexpr std::size_t firstMoved = 6;
    constexpr std::size_t lastMoved = 23;
    QStringList problems;
    for (std::size_t i = 0; i < adult.size(); ++i)
        if ((i < firstMoved || i > lastMoved) && adult[i].ref != allAges[i].ref)
            problems << at(i, adult[i]) + QStringLiteral("all-ages row is %1").arg(str(allAges[i].ref));

    const auto movedRefs = [&](Catalogue rows) {
        std::vector<std::u16string_view> v;
        for (std::size_t i = firstMoved; i <= lastMoved; ++i)
            v.push_back(rows[i].ref);
        return v;
    };
    auto a = movedRefs(adult);
    auto b = movedRefs(allAges);
    if (a == b)
        problems << QStringLiteral("rows 6–23 are in the same order in both editions");
    std::ranges::sort(a);
    std::ranges::sort(b);
    if (a != b)
        problems << QStringLiteral("rows 6–23 hold different pictures in the two editions");
    VERIFY_NO_PROBLEMS(problems);
}

QTEST_APPLESS_MAIN(TestCatalogues)
#include "test_catalogues.moc"
