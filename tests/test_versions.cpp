// Versions without a window: the line and cluster comparison against
// plain models, taking lines over, the store's round trips, pruning with a
// fake clock, random sessions against a plain model of the store, damaged
// and foreign files, the folder's checks, and the worker reading a file
// that a save replaces.
#include "document/file_access.h"
#include "document/io_wording.h"
#include "versions/comparison.h"
#include "versions/keeper.h"
#include "versions/store.h"

#include "other_user.h"
#include "test_files.h"

#include <QDateTime>
#include <QDir>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using versions::Kind;
using versions::Row;
using versions::Version;

namespace {

constexpr qint64 minute = 60'000;
constexpr qint64 day = 24 * 60 * minute;
// Noon, 1 June 2026 (UTC): the fake clock's start.
constexpr qint64 start = 1'780'315'200'000;

// The length of the longest common subsequence, by the table.
template <typename T>
qsizetype commonLength(const std::vector<T> &a, const std::vector<T> &b)
{
    std::vector<std::vector<qsizetype>> t(a.size() + 1, std::vector<qsizetype>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            t[i][j] = a[i] == b[j] ? t[i + 1][j + 1] + 1 : std::max(t[i + 1][j], t[i][j + 1]);
    return t[0][0];
}

// Clusters as a plain rule makes them: a combining mark belongs to the
// character before it, a surrogate pair is one character.
std::vector<QString> plainClusters(const QString &text)
{
    std::vector<QString> clusters;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString piece = text.sliced(i, units);
        const bool mark = QChar::category(piece.toUcs4().front()) == QChar::Mark_NonSpacing;
        if (mark && !clusters.empty())
            clusters.back() += piece;
        else
            clusters.push_back(piece);
        i += units;
    }
    return clusters;
}

// Where each plain cluster starts, and the end.
std::vector<qsizetype> plainStarts(const QString &text)
{
    std::vector<qsizetype> starts{0};
    for (const QString &cluster : plainClusters(text))
        starts.push_back(starts.back() + cluster.size());
    return starts;
}

// Japanese, kana with a combining voiced mark, surrogate pairs, a letter
// with a combining accent, and a mark standing first.
const QStringList pieces = {u"あ"_s, u"か"_s, u"か\u3099"_s, u"😀"_s, u"𠮷"_s, u"e\u0301"_s, u"「"_s, u"」"_s, u"ー"_s,
                            u"a"_s,  u"\u3099"_s};

QString randomLine(QRandomGenerator &random, int most)
{
    QString line;
    for (int i = random.bounded(most + 1); i > 0; --i)
        line += pieces[random.bounded(pieces.size())];
    return line;
}

// The clusters of `text` outside `spans`, which must lie on cluster starts.
std::vector<QString> unmarked(const QString &text, const std::vector<versions::Span> &spans, bool &onBoundaries)
{
    const std::vector<qsizetype> starts = plainStarts(text);
    const auto boundary = [&](qsizetype at) { return std::find(starts.begin(), starts.end(), at) != starts.end(); };
    std::vector<bool> marked(std::size_t(text.size()), false);
    for (const versions::Span &span : spans) {
        onBoundaries = onBoundaries && boundary(span.start) && boundary(span.start + span.length) && span.length > 0;
        std::fill_n(marked.begin() + span.start, span.length, true);
    }
    std::vector<QString> out;
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
        if (!marked[std::size_t(starts[i])])
            out.push_back(text.sliced(starts[i], starts[i + 1] - starts[i]));
    return out;
}

QString joined(const QStringList &lines) { return lines.join(u"\r\n"); }

// Texts a version must give back exactly: the document's own separators,
// a lone LF, a lone surrogate, an emoji, nothing at all.
const QStringList awkwardTexts = {u""_s, u"一行\r\n二行\r\n"_s, u"a\nb\u2028c\u2029"_s,
                                  u"😀"_s + QChar(0xD800) + u"\u00A0\uFFFD"_s};

int textFiles(const QString &folder)
{
    return int(QDir(folder).entryList({u"*.text"_s}, QDir::Files).size());
}

mode_t mode(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0;
}

// The store's plain model: a list of versions per file and the rule of
// what the limits keep, in the plainest terms.
struct ModelVersion {
    qint64 time;
    Kind kind;
    QString note;
    QString text;
};

struct Model {
    versions::Limits limits;
    std::vector<ModelVersion> versions;  // oldest first

    void keep(qint64 now, const QString &text, Kind kind, const QString &note)
    {
        if (kind != Kind::Named && !versions.empty() && versions.back().text == text)
            return;
        versions.push_back({now, kind, note, text});
    }

    void prune(qint64 now)
    {
        std::vector<ModelVersion> left;
        QList<qint64> daysKept;
        for (qsizetype i = qsizetype(versions.size()) - 1, rank = 0; i >= 0; --i, ++rank) {
            const ModelVersion &v = versions[std::size_t(i)];
            const bool recent = now - v.time <= limits.days * day;
            const bool firstOfDay = !daysKept.contains(v.time / day);
            bool keep = rank < limits.latest || (recent && (v.kind == Kind::Named || firstOfDay));
            if (keep && rank >= limits.latest && v.kind != Kind::Named)
                daysKept << v.time / day;
            if (keep)
                left.insert(left.begin(), v);
        }
        versions = left;
    }
};

std::vector<QString> linesOf(const QString &text)
{
    const QStringList lines = text.split(u"\r\n"_s);
    return {lines.begin(), lines.end()};
}

// One to `most` of `lines`, at random.
QString randomText(QRandomGenerator &random, const QStringList &lines, int most)
{
    QStringList text;
    for (int n = random.bounded(1, most + 1); n > 0; --n)
        text << lines[random.bounded(lines.size())];
    return joined(text);
}

// A folder for a store written thousands of times: in memory where there
// is a memory file system, since writes synced to a disk would take minutes.
QString scratchFolder()
{
    return QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm/scrivlet-test-XXXXXX"_s
                                                 : QDir::tempPath() + u"/scrivlet-test-XXXXXX"_s;
}

// What is done to a stored text between saves.
enum class Damage { None, Cut, Flip, Folder, Gone };

void damage(const QString &file, Damage how, QRandomGenerator &random)
{
    QByteArray bytes = readFile(file);
    switch (how) {
    case Damage::Cut:
        QVERIFY(writeFile(file, bytes.first(random.bounded(int(bytes.size())))));
        break;
    case Damage::Flip: {
        const int bit = random.bounded(int(bytes.size()) * 8);
        bytes[bit / 8] = char(bytes[bit / 8] ^ (1 << (bit % 8)));
        QVERIFY(writeFile(file, bytes));
        break;
    }
    case Damage::Folder:
        QVERIFY(QFile::remove(file) && QDir().mkdir(file));
        break;
    case Damage::Gone:
        QVERIFY(QFile::remove(file));
        break;
    case Damage::None:
        break;
    }
}

} // namespace

class TestVersions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Days are counted in local time: the model counts them in UTC.
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        // Damaged texts are read by the thousand, each making zlib complain.
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (type != QtWarningMsg || !message.startsWith(u"qUncompress"))
                previous(type, context, message);
        });
    }

    // Random sequences against the table: the stretches found are shared,
    // in order, and as long in all as the longest common subsequence.
    void linesMatchAsFewDifferencesAsPossible()
    {
        for (quint32 seed = 1; seed <= 1500; ++seed) {
            QRandomGenerator random(seed);
            const auto sequence = [&] {
                std::vector<quint64> s(std::size_t(random.bounded(40)));
                for (quint64 &e : s)
                    e = random.bounded(seed % 3 == 0 ? 3 : 8);
                return s;
            };
            const std::vector<quint64> a = sequence(), b = sequence();
            const std::vector<versions::Match> matches = versions::matchSequences(a, b);
            QCOMPARE(matches.back(), (versions::Match{qsizetype(a.size()), qsizetype(b.size()), 0}));
            qsizetype shared = 0, doneA = 0, doneB = 0;
            for (const versions::Match &m : matches) {
                QVERIFY2(m.a >= doneA && m.b >= doneB, qPrintable(u"seed %1: out of order"_s.arg(seed)));
                for (qsizetype i = 0; i < m.length; ++i)
                    QVERIFY2(a[std::size_t(m.a + i)] == b[std::size_t(m.b + i)], qPrintable(u"seed %1"_s.arg(seed)));
                shared += m.length;
                doneA = m.a + m.length;
                doneB = m.b + m.length;
            }
            QVERIFY2(shared == commonLength(a, b), qPrintable(u"seed %1: not the fewest differences"_s.arg(seed)));
        }
    }

    // A long text with scattered edits is cut at its unique lines and
    // still finds every line that was kept.
    void aLongTextKeepsEveryUntouchedLine()
    {
        QRandomGenerator random(11);
        std::vector<quint64> a(30'000);
        for (std::size_t i = 0; i < a.size(); ++i)
            a[i] = i % 7 == 0 ? 1 : i;  // a line that repeats, as "<P>" does
        std::vector<quint64> b = a;
        qsizetype touched = 0;
        for (int edit = 0; edit < 300; ++edit) {
            const std::size_t at = std::size_t(random.bounded(int(b.size())));
            b[at] = 1'000'000 + quint64(edit);
            ++touched;
        }
        const versions::LineCounts counts = versions::countChanges(a, b);
        QVERIFY(counts.added == counts.removed && counts.added <= touched);
        QVERIFY(counts.added >= touched - 5);
    }

    // Random lines of Japanese, surrogate pairs and combining marks: the
    // marked stretches lie on cluster boundaries, what is left unmarked is
    // shared, and it is as much as the table finds.
    void clustersDifferAgainstThePlainModel()
    {
        for (quint32 seed = 1; seed <= 1500; ++seed) {
            QRandomGenerator random(seed);
            const QString a = randomLine(random, 12);
            const QString b = seed % 4 == 0 ? a + randomLine(random, 2) : randomLine(random, 12);
            const versions::LineChange change = versions::compareLine(a, b);
            bool onBoundaries = true;
            const std::vector<QString> keptA = unmarked(a, change.a, onBoundaries);
            const std::vector<QString> keptB = unmarked(b, change.b, onBoundaries);
            const QString where = u"seed %1: %2 / %3"_s.arg(seed).arg(readable(a), readable(b));
            QVERIFY2(onBoundaries, qPrintable(where));
            QVERIFY2(keptA == keptB, qPrintable(where));
            QVERIFY2(qsizetype(keptA.size()) == commonLength(plainClusters(a), plainClusters(b)), qPrintable(where));
            QVERIFY2((change.likeness == 1) == (a == b), qPrintable(where));
        }
    }

    void comparisonRows_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("rows");  // kind letters; = same, - removed, + added, ~ skipped
        QTest::addColumn<QString>("marked");  // the marked text of each changed row, in order
        const QStringList ten = {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9"_s, u"10"_s};
        QStringList changed = ten;
        changed[5] = u"六"_s;
        QTest::newRow("the same text is one skipped row") << joined(ten) << joined(ten) << u"~"_s << QString();
        QTest::newRow("three lines around a difference, the rest skipped")
            << joined(ten) << joined(changed) << u"~===-+===~"_s << QString();
        QTest::newRow("a changed line is paired and its clusters marked")
            << u"雪が降っていた。\r\n終"_s << u"雨が降っていた！\r\n終"_s << u"-+="_s << u"雪。|雨！"_s;
        QTest::newRow("a voiced mark added marks the whole kana")
            << u"かなしい"_s << u"か\u3099なしい"_s << u"-+"_s << u"か|か\u3099"_s;
        QTest::newRow("a line rewritten is not paired") << u"おはよう"_s << u"<P>"_s << u"-+"_s << QString();
        QTest::newRow("a line added at the end") << u"一\r\n二"_s << u"一\r\n二\r\n三"_s << u"==+"_s << QString();
    }

    void comparisonRows()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, rows);
        QFETCH(QString, marked);
        const versions::Comparison c = versions::compare(a, b);
        QString kinds;
        QStringList marks;
        for (const Row &row : c.rows) {
            kinds += u"=-+~"_s[int(row.kind)];
            QString text;
            for (const versions::Span &span : c.spansOf(row))
                text += c.text(row).sliced(span.start, span.length);
            if (row.partner >= 0)
                marks << text;
        }
        QCOMPARE(kinds, rows);
        QCOMPARE(marks.join(u'|'), marked);
    }

    void takingLinesOver_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QList<qsizetype>>("chosen");  // rows
        QTest::addColumn<QString>("result");
        const QString version = u"一\r\n二です\r\n三です\r\n四"_s;
        const QString now = u"一\r\n二でした\r\n三でした\r\n四\r\n五"_s;
        // Rows: 一, 二です, 三です, 二でした, 三でした, 四, 五.
        QTest::newRow("nothing chosen keeps the text") << version << now << QList<qsizetype>{} << now;
        QTest::newRow("every row gives the version back")
            << version << now << QList<qsizetype>{0, 1, 2, 3, 4, 5, 6} << version;
        QTest::newRow("the second changed line alone, by its new row")
            << version << now << QList<qsizetype>{4} << u"一\r\n二でした\r\n三です\r\n四\r\n五"_s;
        QTest::newRow("a line added since goes") << version << now << QList<qsizetype>{6} << u"一\r\n二でした\r\n三でした\r\n四"_s;
        QTest::newRow("a line removed since comes back")
            << u"一\r\n消えた行\r\n二"_s << u"一\r\n二"_s << QList<qsizetype>{1} << u"一\r\n消えた行\r\n二"_s;
    }

    void takingLinesOver()
    {
        QFETCH(QString, version);
        QFETCH(QString, now);
        QFETCH(QList<qsizetype>, chosen);
        QFETCH(QString, result);
        const versions::Comparison c = versions::compare(version, now);
        QCOMPARE(versions::takeOver(c, chosen), result);
    }

    void splices_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("length");
        QTest::newRow("one kana") << u"雪が降る"_s << u"雪も降る"_s << qsizetype(1) << qsizetype(1);
        QTest::newRow("a surrogate pair is never cut") << u"a😀b"_s << u"a😁b"_s << qsizetype(1) << qsizetype(2);
        QTest::newRow("a CR LF is never cut") << u"x\r\ny"_s << u"x\ny"_s << qsizetype(1) << qsizetype(2);
        QTest::newRow("the same text needs nothing") << u"同じ"_s << u"同じ"_s << qsizetype(2) << qsizetype(0);
    }

    void splices()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(qsizetype, start);
        QFETCH(qsizetype, length);
        const versions::Splice s = versions::splice(from, to);
        QCOMPARE(s.start, start);
        QCOMPARE(s.length, length);
        QCOMPARE(QString(from).replace(s.start, s.length, s.text), to);
    }

    void textsComeBackExactly()
    {
        QTemporaryDir data;
        versions::Store store(data.filePath(u"versions"_s));
        const QString path = u"/台本/第一話.dnml"_s;
        QList<QByteArray> hashes;
        for (const QString &text : awkwardTexts) {
            const versions::Store::Kept kept = store.keep(path, text, Kind::Saved);
            QVERIFY2(!kept.error && kept.added, qPrintable(kept.error ? wording(*kept.error) : readable(text)));
            hashes << kept.version.text;
        }
        for (qsizetype i = 0; i < awkwardTexts.size(); ++i) {
            const versions::Text back = store.text(path, hashes[i]);
            QVERIFY(!back.error);
            QCOMPARE(readable(back.text), readable(awkwardTexts[i]));
        }
        QCOMPARE(mode(store.folder()), mode_t(0700));
        QCOMPARE(mode(store.folderOf(path)), mode_t(0700));
    }

    void identicalTextsAreStoredOnce()
    {
        QTemporaryDir data;
        versions::Store store(data.filePath(u"versions"_s));
        const QString path = u"/a.dnml"_s;
        store.keep(path, u"一"_s, Kind::Saved);
        QVERIFY2(!store.keep(path, u"一"_s, Kind::Saved).added, "a save of the newest text adds no version");
        store.keep(path, u"二"_s, Kind::Saved);
        QVERIFY(store.keep(path, u"一"_s, Kind::BeforeOverwrite).added);
        QVERIFY(store.keep(path, u"一"_s, Kind::Named, u"初稿"_s).added);
        QCOMPARE(store.list(path).versions.size(), std::size_t(4));
        QCOMPARE(textFiles(store.folderOf(path)), 2);
        QCOMPARE(store.list(path).versions.front().note, u"初稿"_s);
    }

    void pruning_data()
    {
        QTest::addColumn<QList<qint64>>("ages");  // of the versions kept, in minutes before now, oldest first
        QTest::addColumn<QList<int>>("named");    // which of them are named
        QTest::addColumn<QList<qint64>>("left");  // the ages that stay
        const qint64 d = 24 * 60;
        QTest::newRow("within the latest, everything stays") << QList<qint64>{50, 40, 30} << QList<int>{}
                                                             << QList<qint64>{50, 40, 30};
        QTest::newRow("beyond the latest, the newest of each day")
            << QList<qint64>{3 * d + 30, 3 * d + 20, 2 * d + 10, 5, 4, 3} << QList<int>{}
            << QList<qint64>{3 * d + 20, 2 * d + 10, 5, 4, 3};
        QTest::newRow("beyond the days, nothing") << QList<qint64>{91 * d, 89 * d, 3, 2, 1} << QList<int>{}
                                                  << QList<qint64>{89 * d, 3, 2, 1};
        QTest::newRow("a named version stays beside its day's newest")
            << QList<qint64>{2 * d + 30, 2 * d + 20, 2 * d + 10, 3, 2, 1} << QList<int>{0}
            << QList<qint64>{2 * d + 30, 2 * d + 10, 3, 2, 1};
    }

    void pruning()
    {
        QFETCH(QList<qint64>, ages);
        QFETCH(QList<int>, named);
        QFETCH(QList<qint64>, left);
        QTemporaryDir data;
        // Ages count back from now: the first version is kept first.
        const qint64 now = start + 100 * day;
        qint64 clock = 0;
        versions::Store store(data.filePath(u"versions"_s), {3, 90}, [&clock] { return clock; });
        for (qsizetype i = 0; i < ages.size(); ++i) {
            clock = now - ages[i] * minute;
            store.keep(u"/a.dnml"_s, u"版 %1"_s.arg(i), named.contains(int(i)) ? Kind::Named : Kind::Saved);
        }
        clock = now;
        QVERIFY(!store.prune(u"/a.dnml"_s));
        QList<qint64> survived;
        for (const Version &v : store.list(u"/a.dnml"_s).versions)
            survived.prepend((now - v.time) / minute);
        QCOMPARE(survived, left);
        QCOMPARE(textFiles(store.folderOf(u"/a.dnml"_s)), int(left.size()));
    }

    // Random keeps, prunes, bring-backs, restarts and days going by, in two
    // files, against the plain model: after every step the list is the
    // model's, each version's change is the table's against the version
    // below, every text comes back, and after a prune only the texts of
    // versions kept are on disk.
    void randomSessionsAgainstAPlainModel()
    {
        const QStringList lines = {u"「うん」<P>"_s, u"雪が降っていた。"_s, u"<BGM SRC=\"Snow Drop\">"_s, u""_s,
                                   u"ゆら 「おはよう」<P>"_s, u"😀か\u3099"_s};
        for (quint32 seed = 1; seed <= 12; ++seed) {
            QRandomGenerator random(seed);
            QStringList pool;
            for (int i = 0; i < 6; ++i)
                pool << randomText(random, lines, 6);
            QTemporaryDir data(scratchFolder());
            const QString folder = data.filePath(u"versions"_s);
            const versions::Limits limits{int(random.bounded(2, 6)), int(random.bounded(1, 5))};
            qint64 now = start;
            auto store = std::make_unique<versions::Store>(folder, limits, [&now] { return now; });
            const QStringList paths = {u"/台本/一.dnml"_s, u"/台本/二.dnml"_s};
            std::map<QString, Model> models;
            for (const QString &path : paths)
                models[path].limits = limits;
            for (int step = 0; step < 250; ++step) {
                const QString &path = paths[random.bounded(2)];
                Model &model = models[path];
                const int op = random.bounded(100);
                QString what;
                if (op < 45) {
                    const Kind kind = Kind(random.bounded(1, 5));
                    const QString note = kind == Kind::Named ? u"メモ%1"_s.arg(step) : QString();
                    const QString &text = pool[random.bounded(pool.size())];
                    QVERIFY(!store->keep(path, text, kind, note).error);
                    model.keep(now, text, kind, note);
                    what = u"keep"_s;
                } else if (op < 65) {
                    QVERIFY(!store->prune(path));
                    model.prune(now);
                    what = u"prune"_s;
                    std::set<QString> held;
                    for (const ModelVersion &v : model.versions)
                        held.insert(v.text);
                    QCOMPARE(textFiles(store->folderOf(path)), int(held.size()));
                } else if (op < 80) {
                    now += random.bounded(2) ? random.bounded(1, 600) * minute : random.bounded(1, 3) * day;
                    what = u"time"_s;
                } else if (op < 95 && !model.versions.empty()) {
                    const ModelVersion &v = model.versions[std::size_t(random.bounded(int(model.versions.size())))];
                    const versions::Text back = store->text(path, versions::textHash(v.text));
                    QVERIFY(!back.error);
                    QCOMPARE(back.text, v.text);
                    what = u"bring back"_s;
                } else {
                    store = std::make_unique<versions::Store>(folder, limits, [&now] { return now; });
                    what = u"restart"_s;
                }
                const versions::Listing listing = store->list(path);
                const QString where = u"seed %1, step %2 (%3)"_s.arg(seed).arg(step).arg(what);
                QVERIFY2(listing.problems.empty(), qPrintable(where));
                QVERIFY2(listing.versions.size() == model.versions.size(), qPrintable(where));
                for (std::size_t i = 0; i < listing.versions.size(); ++i) {
                    const Version &got = listing.versions[i];
                    const ModelVersion &want = model.versions[model.versions.size() - 1 - i];
                    QVERIFY2(got.time == want.time && got.kind == want.kind && got.note == want.note &&
                                 got.text == versions::textHash(want.text),
                             qPrintable(where));
                    const std::vector<QString> below = i + 1 < listing.versions.size()
                                                           ? linesOf(model.versions[model.versions.size() - 2 - i].text)
                                                           : std::vector<QString>{};
                    const std::vector<QString> mine = linesOf(want.text);
                    const qsizetype shared = below.empty() ? 0 : commonLength(below, mine);
                    const qsizetype added = below.empty() ? 0 : qsizetype(mine.size()) - shared;
                    const qsizetype removed = below.empty() ? 0 : qsizetype(below.size()) - shared;
                    QVERIFY2(got.linesAdded == added && got.linesRemoved == removed, qPrintable(where));
                }
            }
        }
    }

    // Damage done to the stored texts between saves (a text cut short, a
    // bit flipped, the file replaced by a folder or removed), against a
    // plain model of what can be brought back: a damaged text is never
    // given back as another one (a flipped bit the format does not read
    // may still give it back whole), the versions whose text is gone are
    // named rather than listed, and the next save of a damaged text writes
    // it afresh, which brings back every version holding it.
    void damageBetweenSavesAgainstAPlainModel()
    {
        const QStringList lines = {u"「うん」<P>"_s, u"雪が降っていた。"_s, u"<BGM SRC=\"Snow Drop\">"_s, u""_s,
                                   u"😀か\u3099"_s};
        const QList<Damage> kinds = {Damage::Cut, Damage::Flip, Damage::Folder, Damage::Gone};
        int damaged = 0, broughtBack = 0, mended = 0;
        for (quint32 seed = 1; seed <= 16; ++seed) {
            QRandomGenerator random(seed);
            QStringList pool = {u""_s};
            for (int i = 0; i < 5; ++i)
                pool << randomText(random, lines, 29);
            QTemporaryDir data(scratchFolder());
            qint64 now = start;
            const versions::Limits limits{int(random.bounded(3, 8)), 2};
            versions::Store store(data.filePath(u"versions"_s), limits, [&now] { return now; });
            const QString path = u"/台本/傷.dnml"_s;
            const QString folder = store.folderOf(path);
            const auto fileOf = [&folder](const QString &text) {
                return folder + u'/' + QString::fromLatin1(versions::textHash(text)) + u".text"_s;
            };
            Model model;
            model.limits = limits;
            std::map<QString, Damage> harm;  // by text; what is not here is whole
            const auto harmOf = [&harm](const QString &text) {
                const auto at = harm.find(text);
                return at == harm.end() ? Damage::None : at->second;
            };
            for (int step = 0; step < 200; ++step) {
                const QString where = u"seed %1, step %2"_s.arg(seed).arg(step);
                const int op = random.bounded(100);
                if (op < 40) {
                    const Kind kind = Kind(random.bounded(1, 5));
                    const QString &text = pool[random.bounded(pool.size())];
                    const versions::Store::Kept kept = store.keep(path, text, kind, kind == Kind::Named ? u"メモ"_s : QString());
                    QVERIFY2(!kept.error, qPrintable(where + u": "_s + wording(*kept.error)));
                    mended += harmOf(text) != Damage::None;
                    model.keep(now, text, kind, kind == Kind::Named ? u"メモ"_s : QString());
                    harm.erase(text);
                    const versions::Text back = store.text(path, versions::textHash(text));
                    QVERIFY2(!back.error && back.text == text, qPrintable(where + u": kept, but not given back"_s));
                } else if (op < 70 && !model.versions.empty()) {
                    const QString &text = model.versions[std::size_t(random.bounded(int(model.versions.size())))].text;
                    if (harmOf(text) != Damage::None)
                        continue;
                    const Damage how = kinds[random.bounded(kinds.size())];
                    damage(fileOf(text), how, random);
                    harm[text] = how;
                    ++damaged;
                } else if (op < 80) {
                    // A version whose text is gone is not seen, so the
                    // model's count of the latest would not be the store's.
                    if (std::any_of(harm.begin(), harm.end(), [](const auto &h) {
                            return h.second == Damage::Folder || h.second == Damage::Gone;
                        }))
                        continue;
                    QVERIFY2(!store.prune(path), qPrintable(where));
                    model.prune(now);
                } else {
                    now += random.bounded(1, 600) * minute;
                }
                const versions::Listing listing = store.list(path);
                QVERIFY2(!listing.error, qPrintable(where));
                std::vector<const ModelVersion *> seen;  // newest first
                bool unseen = false;
                for (auto v = model.versions.rbegin(); v != model.versions.rend(); ++v) {
                    const Damage h = harmOf(v->text);
                    if (h == Damage::Folder || h == Damage::Gone)
                        unseen = true;
                    else
                        seen.push_back(&*v);
                }
                QVERIFY2(listing.versions.size() == seen.size(), qPrintable(where));
                QVERIFY2(unseen != listing.problems.empty(), qPrintable(where + u": a version passed over unnamed"_s));
                for (std::size_t i = 0; i < seen.size(); ++i) {
                    const Version &got = listing.versions[i];
                    const ModelVersion &want = *seen[i];
                    QVERIFY2(got.time == want.time && got.kind == want.kind && got.text == versions::textHash(want.text),
                             qPrintable(where));
                    const versions::Text back = store.text(path, got.text);
                    const Damage h = harmOf(want.text);
                    if (h == Damage::None) {
                        QVERIFY2(!back.error && back.text == want.text, qPrintable(where + u": a whole text not given back"_s));
                        ++broughtBack;
                    } else {
                        QVERIFY2(back.error ? back.text.isEmpty() : (h == Damage::Flip && back.text == want.text),
                                 qPrintable(where + u": a damaged text given back as another"_s));
                    }
                }
            }
        }
        // The sessions did what they are for.
        QVERIFY(damaged > 400 && mended > 300 && broughtBack > 10'000);
    }

    // A versions folder that cannot be read is said as such, never listed
    // as no versions, and a save's version then fails with its reason.
    void unreadableFolders_data()
    {
        QTest::addColumn<QString>("shut");   // which folder loses its rights
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("named");  // the folder the reason names
        QTest::newRow("the file's folder cannot be read") << u"file"_s << 0 << u"file"_s;
        QTest::newRow("the file's folder cannot be entered") << u"file"_s << 0400 << u"file"_s;
        QTest::newRow("the versions folder cannot be entered") << u"versions"_s << 0 << u"file"_s;
    }

    void unreadableFolders()
    {
        QFETCH(QString, shut);
        QFETCH(int, mode);
        QFETCH(QString, named);
        QTemporaryDir data;
        const QString root = data.filePath(u"versions"_s);
        versions::Store store(root);
        const QString path = u"/台本.dnml"_s;
        QVERIFY(!store.keep(path, u"一行目"_s, Kind::Saved).error);
        const QString folder = store.folderOf(path);
        AsAnotherUser other(data.path());
        QVERIFY2(other.switched, "no other user to be");
        QVERIFY(::chmod(QFile::encodeName(shut == u"file" ? folder : root).constData(), mode_t(mode)) == 0);
        const versions::Listing listing = store.list(path);
        QVERIFY(listing.error);
        QCOMPARE(listing.error->path, named == u"file" ? folder : root);
        QVERIFY2(wording(*listing.error).contains(QString::fromLocal8Bit(std::strerror(EACCES))),
                 qPrintable(wording(*listing.error)));
        QVERIFY(listing.versions.empty());
        const versions::Store::Kept kept = store.keep(path, u"二行目"_s, Kind::Saved);
        QVERIFY(kept.error && !kept.added);
        store.prune(path);  // drops nothing it cannot see
        QVERIFY(::chmod(QFile::encodeName(shut == u"file" ? folder : root).constData(), 0700) == 0);
        const versions::Listing after = store.list(path);
        QCOMPARE(after.versions.size(), std::size_t(1));
        QCOMPARE(store.text(path, after.versions[0].text).text, u"一行目"_s);
    }

    void damagedAndForeignFiles_data()
    {
        QTest::addColumn<QString>("spoil");  // what is done to the folder
        QTest::addColumn<QString>("named");  // the file the listing names
        QTest::addColumn<int>("left");        // versions still listed, of two
        QTest::newRow("a record cut short") << u"cut"_s << u".version"_s << 1;
        QTest::newRow("a record with a byte changed") << u"flip"_s << u".version"_s << 1;
        QTest::newRow("a record of a newer program") << u"newer"_s << u".version"_s << 1;
        QTest::newRow("a text gone") << u"no text"_s << u".version"_s << 1;
        QTest::newRow("somebody's notes") << u"notes"_s << u"notes.txt"_s << 2;
        QTest::newRow("a link named like a record") << u"link"_s << u"x.version"_s << 2;
        QTest::newRow("a folder") << u"folder"_s << u"old"_s << 2;
    }

    void damagedAndForeignFiles()
    {
        QFETCH(QString, spoil);
        QFETCH(QString, named);
        QFETCH(int, left);
        QTemporaryDir data;
        versions::Store store(data.filePath(u"versions"_s), {1, 0});
        const QString path = u"/a.dnml"_s;
        store.keep(path, u"古い"_s, Kind::Saved);
        const versions::Store::Kept newest = store.keep(path, u"新しい"_s, Kind::Saved);
        const QString folder = store.folderOf(path);
        const QString record = folder + u'/' + newest.version.id + u".version"_s;
        QByteArray bytes = readFile(record);
        if (spoil == u"cut")
            QVERIFY(writeFile(record, bytes.first(bytes.size() - 3)));
        else if (spoil == u"flip")
            QVERIFY(writeFile(record, bytes.replace(12, 1, "\x7f")));
        else if (spoil == u"newer")
            QVERIFY(writeFile(record, bytes.replace(4, 1, "\x09")));
        else if (spoil == u"no text")
            QVERIFY(QFile::remove(folder + u'/' + QString::fromLatin1(newest.version.text) + u".text"_s));
        else if (spoil == u"notes")
            QVERIFY(writeFile(folder + u"/notes.txt"_s, "メモ"));
        else if (spoil == u"link")
            QVERIFY(QFile::link(record, folder + u"/x.version"_s));
        else
            QVERIFY(QDir(folder).mkdir(u"old"_s));
        const versions::Listing listing = store.list(path);
        QCOMPARE(int(listing.versions.size()), left);
        QCOMPARE(listing.problems.size(), std::size_t(1));
        QVERIFY2(listing.problems[0].path.endsWith(named) && !listing.problems[0].reason.isEmpty(),
                 qPrintable(listing.problems[0].path));
        // Never a reason to fail: the next version is kept, and pruning
        // (down to one) takes no text an unreadable record might hold.
        const versions::Store::Kept next = store.keep(path, u"次"_s, Kind::Saved);
        QVERIFY(!next.error && next.added);
        QVERIFY(!store.prune(path));
        QCOMPARE(store.text(path, next.version.text).text, u"次"_s);
        if (named.endsWith(u".version") && spoil != u"no text")
            QVERIFY2(textFiles(folder) == 3, "a text is gone while a record could not be read");
    }

    void unsafeFolders_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reasonHas");
        QTest::newRow("open to other users") << u"open"_s << u"ほかのユーザー"_s;
        QTest::newRow("the folder is a link") << u"link"_s << u"シンボリックリンク"_s;
        QTest::newRow("a file's folder is a link") << u"file link"_s << u"シンボリックリンク"_s;
        if (::geteuid() == 0)
            QTest::newRow("another user's") << u"owner"_s << u"持ち主"_s;
    }

    void unsafeFolders()
    {
        QFETCH(QString, make);
        QFETCH(QString, reasonHas);
        QTemporaryDir data;
        const QString folder = data.filePath(u"scrivlet/versions"_s);
        versions::Store store(folder);
        QVERIFY(QDir().mkpath(data.filePath(u"elsewhere"_s)));
        if (make == u"link") {
            QVERIFY(QDir().mkpath(data.filePath(u"scrivlet"_s)));
            QVERIFY(QFile::link(data.filePath(u"elsewhere"_s), folder));
        } else {
            QVERIFY(!store.keep(u"/b.dnml"_s, u"b"_s, Kind::Saved).error);
            if (make == u"open")
                QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
            if (make == u"owner")
                QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
            if (make == u"file link")
                QVERIFY(QFile::link(data.filePath(u"elsewhere"_s), store.folderOf(u"/a.dnml"_s)));
        }
        const versions::Store::Kept kept = store.keep(u"/a.dnml"_s, u"本文"_s, Kind::Saved);
        QVERIFY(kept.error);
        QVERIFY2(wording(*kept.error).contains(reasonHas), qPrintable(wording(*kept.error)));
        QVERIFY(QDir(data.filePath(u"elsewhere"_s)).isEmpty());
    }

    // A name that is not UTF-8 has a folder of its own, which names it by
    // its bytes; a file saved under a new name links to where it came from.
    void namesAsBytesAndMovedFiles()
    {
        QTemporaryDir data;
        versions::Store store(data.filePath(u"versions"_s));
        const QByteArray bytes = "/\x91\xe4\x96\x7b.dnml";  // 台本 in Shift-JIS
        const QString path = disk::nameFromBytes(bytes);
        QVERIFY(!store.keep(path, u"一"_s, Kind::Saved).error);
        QVERIFY(store.folderOf(path) != store.folderOf(disk::nameFromBytes("/\x91\xe4\x96\x7c.dnml")));
        QCOMPARE(readFile(store.folderOf(path) + u"/file"_s), bytes);
        QVERIFY(!store.link(path, u"/新しい名前.dnml"_s));
        QCOMPARE(store.list(u"/新しい名前.dnml"_s).origin, path);
        QVERIFY(store.list(u"/新しい名前.dnml"_s).versions.empty());
    }

    void limitsAreSettings()
    {
        QCOMPARE(versions::loadLimits(), (versions::Limits{50, 90}));
        QSettings stored(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                             u"/scrivlet/scrivlet.conf"_s,
                         QSettings::IniFormat);
        stored.setValue(u"versions/latest"_s, 7);
        stored.setValue(u"versions/days"_s, 30);
        stored.setValue(u"versions/keep"_s, false);
        stored.sync();
        QCOMPARE(versions::loadLimits(), (versions::Limits{7, 30}));
        QVERIFY(!versions::loadKeeping());
        stored.clear();
    }

    // The file on disk before a save is read after the save replaced it,
    // on the worker, and still gives the text that was there.
    void theFileBeforeASaveIsReadAfterIt()
    {
        QTemporaryDir data;
        const QString file = data.filePath(u"台本.dnml"_s);
        QVERIFY(writeFile(file, "\x83\x86\x83\x89\r\nold\r\n"));  // ユラ
        versions::Keeper keeper(data.filePath(u"versions"_s));
        QSignalSpy kept(&keeper, &versions::Keeper::kept);
        keeper.keepFile(file, std::nullopt, Kind::BeforeOverwrite);
        QVERIFY(!disk::writeAtomically(file, "new\r\n"));
        keeper.keepBytes(file, "new\r\n", {}, Kind::Saved);
        QVERIFY(kept.wait() && (kept.size() == 2 || kept.wait()));
        versions::Store store(data.filePath(u"versions"_s));
        const versions::Listing listing = store.list(file);
        QCOMPARE(listing.versions.size(), std::size_t(2));
        QCOMPARE(listing.versions[1].kind, Kind::BeforeOverwrite);
        QCOMPARE(store.text(file, listing.versions[1].text).text, u"ユラ\r\nold"_s);
        QCOMPARE(store.text(file, listing.versions[0].text).text, u"new"_s);
        QCOMPARE(listing.versions[0].linesAdded, 1);
        QCOMPARE(listing.versions[0].linesRemoved, 2);
    }
};

QTEST_GUILESS_MAIN(TestVersions)

#include "test_versions.moc"
