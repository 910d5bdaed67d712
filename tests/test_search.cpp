// Finding and replacing, against a model that works on the script text
// itself (CR LF between lines, a lone LF inside one) with the plainest
// means: a character-by-character comparison for plain text, Qt's own
// global match and replace line by line for regular expressions.
#include "search/line_number.h"
#include "search/search.h"
#include "test_files.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using search::Match;
using search::Options;
using search::Pattern;

namespace {

// The text the search reads: the script text itself, which a long line's
// pieces on screen never reach.
QString editorForm(QString script)
{
    return script;
}

// A position of the search as a script offset: the same.
qsizetype scriptOffset(const QString &, qsizetype position)
{
    return position;
}

struct ModelMatch {
    qsizetype start;
    qsizetype length;
    friend bool operator==(const ModelMatch &, const ModelMatch &) = default;
};

char *toString(const ModelMatch &m) { return QTest::toString(u"%1+%2"_s.arg(m.start).arg(m.length)); }

// Every match in the script, in script offsets.
QList<ModelMatch> modelMatches(const QString &script, const QString &pattern, Options options)
{
    QList<ModelMatch> out;
    qsizetype lineStart = 0;
    const Qt::CaseSensitivity cs = options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QRegularExpression re(pattern, options.caseSensitive ? QRegularExpression::UseUnicodePropertiesOption
                                                         : QRegularExpression::UseUnicodePropertiesOption |
                                                               QRegularExpression::CaseInsensitiveOption);
    for (const QString &line : script.split(u"\r\n"_s)) {
        if (options.regularExpression) {
            for (auto it = re.globalMatch(line); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                out.append({lineStart + m.capturedStart(), m.capturedLength()});
            }
        } else if (!pattern.isEmpty() && !pattern.contains(u'\r')) {
            for (qsizetype i = 0; i + pattern.size() <= line.size();) {
                if (QStringView(line).sliced(i, pattern.size()).compare(pattern, cs) == 0) {
                    out.append({lineStart + i, pattern.size()});
                    i += pattern.size();
                } else {
                    ++i;
                }
            }
        }
        lineStart += line.size() + 2;
    }
    return out;
}

// Regular expressions: Qt's own replace, line by line; plain text: each
// model match replaced, from the last.
QString modelReplaceAll(const QString &script, const QString &pattern, Options options, const QString &with)
{
    if (options.regularExpression) {
        QStringList lines = script.split(u"\r\n"_s);
        for (QString &line : lines)
            line.replace(QRegularExpression(pattern, options.caseSensitive
                                                         ? QRegularExpression::UseUnicodePropertiesOption
                                                         : QRegularExpression::UseUnicodePropertiesOption |
                                                               QRegularExpression::CaseInsensitiveOption),
                         with);
        return lines.join(u"\r\n"_s);
    }
    QString out = script;
    const QList<ModelMatch> matches = modelMatches(script, pattern, options);
    for (auto it = matches.rbegin(); it != matches.rend(); ++it)
        out.replace(it->start, it->length, with);
    return out;
}

// The edits (at positions in `editor`, never across a line) applied to the script.
QString applied(QString script, const QString &editor, const std::vector<search::Edit> &edits)
{
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const qsizetype start = scriptOffset(editor, it->start);
        script.replace(start, scriptOffset(editor, it->start + it->length) - start, it->text);
    }
    return script;
}

// Lines of the characters that matter to a search: both cases, a letter
// whose folding is not ASCII, markup, blanks, a lone LF, a surrogate pair.
QString generatedScript(QRandomGenerator &random)
{
    static const QStringList pieces = {u"a"_s, u"A"_s,  u"b"_s,      u"<P>"_s, u"<p>"_s, u"ä"_s,  u"Ä"_s,
                                       u"「"_s, u"」"_s, u"\u00a0"_s, u" "_s,   u"\n"_s,  u"😀"_s, u"K"_s,
                                       u"\u212a"_s, u"k"_s};
    QString script;
    const int lines = random.bounded(1, 8);
    for (int line = 0; line < lines; ++line) {
        if (line > 0)
            script += u"\r\n"_s;
        const int length = random.bounded(0, 9);
        for (int i = 0; i < length; ++i)
            script += pieces[random.bounded(qsizetype(pieces.size()))];
    }
    return script;
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithTheModel_data();
    void agreesWithTheModel();
    void plainSearchFromAnywhere();
    void findsWithinOneLineOnly_data();
    void findsWithinOneLineOnly();
    void replacementExpansion_data();
    void replacementExpansion();
    void invalidExpressionFindsNothing();
    void counterStopsAtTheDeadlineAndGoesOn();
    void budgetStopsAtALineAndTheSearchGoesOn_data();
    void budgetStopsAtALineAndTheSearchGoesOn();
    void lineNumberTakesDigitsOfEitherWidth_data();
    void lineNumberTakesDigitsOfEitherWidth();
};

void TestSearch::agreesWithTheModel_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("regularExpression");
    QTest::addColumn<QString>("with");
    QTest::newRow("plain letter, any case") << u"a"_s << false << false << u"[x]"_s;
    QTest::newRow("plain letter, case kept") << u"A"_s << true << false << u"z"_s;
    QTest::newRow("plain word that overlaps itself") << u"aa"_s << false << false << u"-"_s;
    QTest::newRow("plain markup, any case") << u"<p>"_s << false << false << u"<P>\r\n"_s;
    QTest::newRow("plain non-ASCII folding") << u"ä"_s << false << false << u"ae"_s;
    QTest::newRow("plain Kelvin sign folds to k") << u"k"_s << false << false << u"K"_s;
    QTest::newRow("plain lone LF inside a line") << u"\n"_s << true << false << u"/"_s;
    QTest::newRow("plain across a lone LF") << u"a\nb"_s << false << false << u"ab"_s;
    QTest::newRow("plain surrogate pair") << u"😀"_s << true << false << u"?"_s;
    QTest::newRow("plain no-break space") << u"\u00a0"_s << true << false << u"_"_s;
    QTest::newRow("regex run, any case") << u"(a+)"_s << false << true << u"(\\1)"_s;
    QTest::newRow("regex at line starts") << u"^."_s << true << true << u"#"_s;
    QTest::newRow("regex at line ends") << u".$"_s << true << true << u"#"_s;
    QTest::newRow("regex empty line start") << u"^"_s << true << true << u"> "_s;
    QTest::newRow("regex empty matches everywhere") << u"x*"_s << true << true << u"."_s;
    QTest::newRow("regex empty or a run") << u"(a*)"_s << false << true << u"<\\1>"_s;
    QTest::newRow("regex groups swapped") << u"(a)(b)"_s << false << true << u"\\2\\1"_s;
    QTest::newRow("regex optional group") << u"(<)?p"_s << false << true << u"[\\1]"_s;
    QTest::newRow("regex lone LF as \\n") << u"\\n"_s << true << true << u"|"_s;
    QTest::newRow("regex any character") << u"."_s << true << true << u"_"_s;
    QTest::newRow("regex blanks") << u"\\s+"_s << true << true << u" "_s;
    QTest::newRow("regex Unicode letters") << u"\\p{L}+"_s << true << true << u"w"_s;
    QTest::newRow("regex word boundary") << u"\\b"_s << true << true << u"|"_s;
}

void TestSearch::agreesWithTheModel()
{
    QFETCH(QString, pattern);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, regularExpression);
    QFETCH(QString, with);
    const Options options{caseSensitive, regularExpression};
    const Pattern compiled(pattern, options);
    QRandomGenerator random(qHash(QString::fromLatin1(QTest::currentDataTag())));
    for (int round = 0; round < 300; ++round) {
        const QString script = generatedScript(random);
        const QString editor = editorForm(script);
        const QList<ModelMatch> expected = modelMatches(script, pattern, options);

        // Left to right, as Return and F3 go.
        QList<ModelMatch> found;
        std::vector<Match> raw;
        for (Match m = compiled.next(editor, 0); m.found(); m = compiled.next(editor, m.after())) {
            raw.push_back(m);
            found.append({scriptOffset(editor, m.start), scriptOffset(editor, m.end()) - scriptOffset(editor, m.start)});
        }
        QCOMPARE(found, expected);

        // Right to left, as Shift+F3 goes: each match gives the one before.
        Match previous = compiled.previous(editor, editor.size() + 1);
        for (auto it = raw.rbegin(); it != raw.rend(); ++it) {
            QCOMPARE(previous, *it);
            previous = compiled.previous(editor, it->start);
        }
        QVERIFY(!previous.found());

        // The count, and each match's number in it.
        search::Counter counter(compiled, editor.size());
        QVERIFY(counter.step(editor, QDeadlineTimer::Forever));
        QCOMPARE(counter.count(), qsizetype(expected.size()));
        for (std::size_t i = 0; i < raw.size(); ++i)
            QCOMPARE(counter.ordinal(raw[i].start), qsizetype(i) + 1);

        const std::vector<search::Edit> edits = compiled.replaceAll(editor, with);
        QCOMPARE(readable(applied(script, editor, edits)), readable(modelReplaceAll(script, pattern, options, with)));
        // One replacement at a time gives what replacing all gives.
        for (std::size_t i = 0; i < raw.size(); ++i)
            QCOMPARE(compiled.replacement(editor, raw[i], with), edits[i].text);
    }
}

void TestSearch::plainSearchFromAnywhere()
{
    // Near misses right before a match, of the same and of the other case,
    // then generated texts.
    const QStringList fixed = {u"AAb"_s, u"aab"_s, u"aAb"_s, u"AaAb"_s, u"A\r\nAb"_s, u"Ab"_s, u"A"_s, QString()};
    QRandomGenerator random(7);
    for (const bool caseSensitive : {false, true}) {
        const Pattern compiled(u"Ab"_s, {caseSensitive, false});
        for (int round = 0; round < 300 + fixed.size(); ++round) {
            const QString script = round < fixed.size() ? fixed[round] : generatedScript(random);
            const QString editor = editorForm(script);
            for (qsizetype from = 0; from <= editor.size() + 1; ++from) {
                const Match m = compiled.next(editor, from);
                // The naive answer: the first place at or after `from` where the text stands.
                qsizetype at = from;
                const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
                while (at + 2 <= editor.size() && QStringView(editor).sliced(at, 2).compare(u"Ab"_s, cs) != 0)
                    ++at;
                QCOMPARE(m.start, at + 2 <= editor.size() ? at : -1);
            }
        }
    }
}

void TestSearch::findsWithinOneLineOnly_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("regularExpression");
    QTest::newRow("plain text holding CR LF") << u"a\r\nb"_s << false;
    QTest::newRow("plain text holding a CR") << u"a\rb"_s << false;
    QTest::newRow("blank class does not take the break") << u"a\\s+b"_s << true;
    QTest::newRow("negated class does not take the break") << u"a[^x]b"_s << true;
    QTest::newRow("dot-all does not take the break") << u"(?s)a.b"_s << true;
    QTest::newRow("line-break escape takes only a lone LF") << u"a\\Rb"_s << true;
}

void TestSearch::findsWithinOneLineOnly()
{
    QFETCH(QString, pattern);
    QFETCH(bool, regularExpression);
    const QString editor = editorForm(u"xa\r\nbx\r\na\nb"_s);
    const Pattern compiled(pattern, {false, regularExpression});
    // Only the third line, whose lone LF is inside it, may match.
    const Match m = compiled.next(editor, 0);
    if (pattern.contains(u'\r')) {
        QVERIFY(!m.found());
    } else {
        QCOMPARE(m.start, 8);
        QVERIFY(!compiled.next(editor, m.after()).found());
    }
}

void TestSearch::replacementExpansion_data()
{
    QTest::addColumn<QString>("with");
    QTest::addColumn<QString>("result");
    QTest::newRow("groups by number") << u"\\2-\\1"_s << u"B-A"_s;
    QTest::newRow("whole match") << u"[\\0]"_s << u"[AB]"_s;
    QTest::newRow("group that captured nothing is empty") << u"<\\3>"_s << u"<>"_s;
    QTest::newRow("group beyond the pattern's is empty") << u"<\\9>"_s << u"<>"_s;
    QTest::newRow("doubled backslash is one") << u"\\\\1"_s << u"\\1"_s;
    QTest::newRow("other escapes stay as written") << u"\\n\\t"_s << u"\\n\\t"_s;
    QTest::newRow("backslash at the end stays") << u"x\\"_s << u"x\\"_s;
    QTest::newRow("two digits are a group and a digit") << u"\\12"_s << u"A2"_s;
}

void TestSearch::replacementExpansion()
{
    QFETCH(QString, with);
    QFETCH(QString, result);
    const QString editor = u"zAB"_s;
    const Pattern compiled(u"(A)(B)(C)?"_s, {true, true});
    const Match m = compiled.next(editor, 0);
    QCOMPARE(m, (Match{1, 2}));
    QCOMPARE(compiled.replacement(editor, m, with), result);
    const std::vector<search::Edit> edits = compiled.replaceAll(editor, with);
    QCOMPARE(edits.size(), std::size_t(1));
    QCOMPARE(edits[0].text, result);
}

void TestSearch::invalidExpressionFindsNothing()
{
    const Pattern compiled(u"a(b"_s, {false, true});
    QVERIFY(compiled.error());
    QVERIFY(!compiled.error()->reason.isEmpty());
    QCOMPARE(compiled.error()->offset, 3);
    QVERIFY(!compiled.usable());
    const QString editor = u"a(b ab"_s;
    QVERIFY(!compiled.next(editor, 0).found());
    QVERIFY(!compiled.previous(editor, 6).found());
    QVERIFY(compiled.replaceAll(editor, u"x"_s).empty());
    search::Counter counter(compiled, editor.size());
    QVERIFY(counter.done());
    QCOMPARE(counter.count(), 0);
}

void TestSearch::counterStopsAtTheDeadlineAndGoesOn()
{
    // Long enough for several slices, with matches on both sides of every
    // slice's edge.
    QString editor;
    for (int line = 0; line < 200'000; ++line)
        editor += u"<P>ab<p>\r\n"_s;
    for (const bool regularExpression : {false, true}) {
        search::Counter counter(Pattern(u"<p>"_s, {false, regularExpression}), editor.size());
        // Each step with its time already up still counts a slice.
        int steps = 1;
        while (!counter.step(editor, QDeadlineTimer(0)))
            ++steps;
        QCOMPARE(counter.count(), 400'000);
        QCOMPARE(counter.ordinal(editor.size() - 5), 400'000);
        QCOMPARE(counter.ordinal(10), 3);
        QCOMPARE(counter.ordinal(1), 0);
        QVERIFY(steps > 2);

        // Beyond the starts it keeps, it still counts.
        search::Counter few(Pattern(u"<p>"_s, {false, regularExpression}), editor.size(), 10);
        QVERIFY(few.step(editor, QDeadlineTimer::Forever));
        QCOMPARE(few.count(), 400'000);
        QCOMPARE(few.ordinal(10), 3);
        QCOMPARE(few.ordinal(editor.size() - 5), 0);
    }
}

void TestSearch::budgetStopsAtALineAndTheSearchGoesOn_data()
{
    QTest::addColumn<bool>("regularExpression");
    QTest::newRow("plain") << false;
    QTest::newRow("regular expression") << true;
}

// A search whose time is up stops at the start of a line and says where to
// go on from; going on from there a line at a time finds exactly what one
// search without a limit finds, forwards, backwards and for すべて置換.
void TestSearch::budgetStopsAtALineAndTheSearchGoesOn()
{
    QFETCH(bool, regularExpression);
    const Pattern compiled(u"ab"_s, {false, regularExpression});
    const QString editor = editorForm(u"xx\r\nyy\r\nzz ab\r\n\r\nAB ab\r\nq"_s);

    const auto stopped = [] { return search::Budget{QDeadlineTimer(0)}; };
    Match forward;
    int slices = 0;
    for (qsizetype from = 0;; ++slices) {
        search::Budget budget = stopped();
        forward = compiled.next(editor, from, -1, &budget);
        if (budget.stoppedAt < 0)
            break;
        QVERIFY(budget.stoppedAt > from);
        from = budget.stoppedAt;
    }
    QCOMPARE(forward, compiled.next(editor, 0));
    // An expression goes a line at a time: the two before the match's are
    // a slice each. A plain search is one quick scan and needs no slices.
    QCOMPARE(slices, regularExpression ? 2 : 0);

    Match backward;
    for (qsizetype before = editor.size() + 1;;) {
        search::Budget budget = stopped();
        backward = compiled.previous(editor, before, &budget);
        if (budget.stoppedAt < 0)
            break;
        QVERIFY(budget.stoppedAt < before);
        before = budget.stoppedAt;
    }
    QCOMPARE(backward, compiled.previous(editor, editor.size() + 1));

    std::vector<search::Edit> edits;
    for (qsizetype from = 0;;) {
        search::Budget budget = stopped();
        compiled.replaceAll(editor, u"-"_s, edits, from, &budget);
        if (budget.stoppedAt < 0)
            break;
        from = budget.stoppedAt;
    }
    const std::vector<search::Edit> whole = compiled.replaceAll(editor, u"-"_s);
    QCOMPARE(edits.size(), whole.size());
    for (std::size_t i = 0; i < edits.size(); ++i)
        QCOMPARE(edits[i].start, whole[i].start);
}

// Ctrl+G's field with the input method on gets full-width digits: they
// name the same line as half-width ones; anything else names none.
void TestSearch::lineNumberTakesDigitsOfEitherWidth_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("line");  // 0: no line
    QTest::newRow("half-width digits") << u"120"_s << 200 << 120;
    QTest::newRow("full-width digits") << u"１２０"_s << 200 << 120;
    QTest::newRow("every full-width digit") << u"１２３４５６７８９０"_s << std::numeric_limits<int>::max() << 1'234'567'890;
    QTest::newRow("both widths mixed") << u"１2０"_s << 200 << 120;
    QTest::newRow("leading zeros") << u"０07"_s << 200 << 7;
    QTest::newRow("the first line") << u"１"_s << 1 << 1;
    QTest::newRow("the last line") << u"２００"_s << 200 << 200;
    QTest::newRow("half-width blanks around") << u" \t12 "_s << 200 << 12;
    QTest::newRow("full-width spaces around") << u"\u3000１２\u3000"_s << 200 << 12;
    QTest::newRow("one past the last") << u"２０１"_s << 200 << 0;
    QTest::newRow("zero") << u"０"_s << 200 << 0;
    QTest::newRow("zeros only") << u"00０"_s << 200 << 0;
    QTest::newRow("more digits than any number holds") << u"１"_s + u"0"_s.repeated(40) << 200 << 0;
    QTest::newRow("nothing") << QString() << 200 << 0;
    QTest::newRow("blanks only") << u" \u3000 "_s << 200 << 0;
    QTest::newRow("a blank between digits") << u"1 2"_s << 200 << 0;
    QTest::newRow("a full-width space between digits") << u"１\u3000２"_s << 200 << 0;
    QTest::newRow("letters after digits") << u"12行"_s << 200 << 0;
    QTest::newRow("a sign") << u"-1"_s << 200 << 0;
    QTest::newRow("a full-width sign") << u"＋１"_s << 200 << 0;
    QTest::newRow("kanji numerals") << u"十二"_s << 200 << 0;
    QTest::newRow("Arabic-Indic digits") << u"\u0661\u0662"_s << 200 << 0;
    QTest::newRow("the character after full-width nine") << u"\uff1a"_s << 200 << 0;
    QTest::newRow("the character before full-width zero") << u"\uff0f"_s << 200 << 0;
}

void TestSearch::lineNumberTakesDigitsOfEitherWidth()
{
    QFETCH(QString, typed);
    QFETCH(int, lines);
    QFETCH(int, line);
    QCOMPARE(search::lineNumber(typed, lines).value_or(0), line);
}

QTEST_GUILESS_MAIN(TestSearch)
#include "test_search.moc"
