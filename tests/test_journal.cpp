// The recovery journal without a window: exact texts, random sessions
// replayed against a model and cut at every byte, bad journals, the file on
// disk, and which journals count as left over.
#include "recovery/journal.h"

#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using recovery::Replayed;

namespace {

struct Edit {
    qint64 position;
    qint64 removed;
    QString added;
};

QString apply(QString text, const Edit &edit)
{
    return text.replace(edit.position, edit.removed, edit.added);
}

// Characters a journal must give back as they were: the document's block
// and line separators, a no-break space, one code page 932 lacks, the
// replacement character, a surrogate pair and an unpaired surrogate.
const QString awkward = QStringLiteral(u"a\u2029b\u2028c\u00A0€\uFFFD😀") + QChar(0xD800) + QStringLiteral(u"「」");

QString randomText(QRandomGenerator &random, int maxLength)
{
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += awkward[random.bounded(awkward.size())];
    return text;
}

Edit randomEdit(QRandomGenerator &random, const QString &text)
{
    const qint64 position = random.bounded(text.size() + 1);
    const qint64 removed = random.bounded(std::min<qint64>(text.size() - position, 5) + 1);
    return {position, removed, randomText(random, 6)};
}

QByteArray journalStart(const QString &source = QString())
{
    return recovery::encodeStart({1, QStringLiteral("host"), source, 1000});
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Started as `test_journal --hold <folder>`: begins a journal, prints its
// path and waits to be killed, as a running instance of the program would.
int holdJournal(const QString &folder)
{
    recovery::Journal journal(folder);
    journal.begin(QStringLiteral("held"), QString());
    journal.waitForDisk();
    std::printf("%s\n", qPrintable(journal.path()));
    std::fflush(stdout);
    for (;;)
        ::pause();
}

mode_t mode(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0;
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(recovery::Replayed::State)

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    void everyCharacterComesBack_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QList<Edit>>("edits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("base only, awkward characters") << awkward << QList<Edit>{} << awkward;
        QTest::newRow("empty base, typing") << QString() << QList<Edit>{{0, 0, u"あ"_s}, {1, 0, u"い"_s}} << u"あい"_s;
        QTest::newRow("insert awkward characters in the middle")
            << u"ab"_s << QList<Edit>{{1, 0, awkward}} << u"a"_s + awkward + u"b"_s;
        QTest::newRow("remove everything") << awkward << QList<Edit>{{0, awkward.size(), {}}} << QString();
        QTest::newRow("replace a selection") << u"0123456789"_s << QList<Edit>{{2, 5, u"x"_s}} << u"01x789"_s;
        QTest::newRow("edits far apart, back and forth")
            << u"abcdef"_s << QList<Edit>{{6, 0, u"Z"_s}, {0, 1, {}}, {3, 0, u"\u2029"_s}, {6, 1, u"!"_s}}
            << u"bcd\u2029ef!"_s;
    }

    void everyCharacterComesBack()
    {
        QFETCH(QString, base);
        QFETCH(QList<Edit>, edits);
        QFETCH(QString, expected);
        QByteArray bytes = journalStart(u"C:/台本/第一話.dnml"_s) + recovery::encodeBase(base, 2000);
        qint64 when = 3000;
        for (const Edit &edit : edits)
            bytes += recovery::encodeEdit(edit.position, edit.removed, edit.added, when++);
        const Replayed replayed = recovery::replay(bytes);
        QCOMPARE(replayed.state, Replayed::State::Whole);
        QCOMPARE(replayed.text, expected);
        QCOMPARE(replayed.header.source, u"C:/台本/第一話.dnml"_s);
        QCOMPARE(replayed.lastEdit, edits.isEmpty() ? 2000 : when - 1);
        QCOMPARE(replayed.usedBytes, bytes.size());
    }

    // Random sessions against a model: the whole journal gives the model's
    // text, and a journal cut at any byte of its last records gives the
    // text as it stood after its last complete record, never anything else.
    void cutAnywhereGivesAnEarlierState()
    {
        for (quint32 seed = 1; seed <= 40; ++seed) {
            QRandomGenerator random(seed);
            QList<QString> states = {randomText(random, 30)};
            QByteArray bytes = journalStart() + recovery::encodeBase(states.front(), 0);
            QList<qsizetype> ends = {bytes.size()};
            const int edits = random.bounded(1, 60);
            for (int i = 0; i < edits; ++i) {
                const Edit edit = randomEdit(random, states.back());
                states.append(apply(states.back(), edit));
                bytes += recovery::encodeEdit(edit.position, edit.removed, edit.added, i);
                ends.append(bytes.size());
            }
            const Replayed whole = recovery::replay(bytes);
            QCOMPARE(whole.state, Replayed::State::Whole);
            QCOMPARE(whole.text, states.back());

            const qsizetype from = ends[std::max<qsizetype>(0, ends.size() - 4)];
            for (qsizetype cut = from; cut < bytes.size(); ++cut) {
                const Replayed replayed = recovery::replay(bytes.first(cut));
                const qsizetype complete = std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin() - 1;
                const QString where = QStringLiteral("seed %1, cut at %2 of %3").arg(seed).arg(cut).arg(bytes.size());
                QVERIFY2(replayed.text == states[complete], qPrintable(where));
                QVERIFY2(replayed.usedBytes == ends[complete], qPrintable(where));
                QVERIFY2(replayed.state == (cut == ends[complete] ? Replayed::State::Whole : Replayed::State::Damaged),
                         qPrintable(where));
            }
        }
    }

    void badJournals_data()
    {
        const QByteArray start = journalStart();
        const QByteArray base = recovery::encodeBase(u"base"_s, 0);
        const QByteArray edit = recovery::encodeEdit(4, 0, u"!"_s, 1);
        QByteArray newer = start + base;
        newer[8] = 2;
        QByteArray flipped = start + base + edit + edit;
        flipped[start.size() + base.size() + edit.size() - 1] ^= 0x01;
        QByteArray randomBytes(300, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(randomBytes.data()), randomBytes.size() / 4);

        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Replayed::State>("state");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problemHas");
        QTest::newRow("empty file") << QByteArray() << Replayed::State::Unreadable << QString() << u"切れて"_s;
        QTest::newRow("random bytes") << randomBytes << Replayed::State::Unreadable << QString() << u"ではありません"_s;
        QTest::newRow("a newer format") << newer << Replayed::State::Unreadable << QString() << u"新しい版"_s;
        QTest::newRow("header without text") << start << Replayed::State::Unreadable << QString() << u"本文"_s;
        QTest::newRow("text without header") << start.first(12) + base << Replayed::State::Unreadable << QString()
                                             << u"本文"_s;
        QTest::newRow("a bad CRC ends the replay, the good record after it is not used")
            << flipped << Replayed::State::Damaged << u"base"_s << u"バイト"_s;
        QTest::newRow("an edit outside the text ends the replay")
            << start + base + edit + recovery::encodeEdit(9, 0, u"x"_s, 2) + edit << Replayed::State::Damaged
            << u"base!"_s << u"バイト"_s;
        QTest::newRow("a removal past the end ends the replay")
            << start + base + recovery::encodeEdit(2, 3, {}, 1) << Replayed::State::Damaged << u"base"_s << u"バイト"_s;
        QTest::newRow("a second base ends the replay")
            << start + base + edit + base << Replayed::State::Damaged << u"base!"_s << u"バイト"_s;
        QTest::newRow("garbage after whole records")
            << start + base + edit + randomBytes << Replayed::State::Damaged << u"base!"_s << u"300バイト"_s;
    }

    void badJournals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Replayed::State, state);
        QFETCH(QString, text);
        QFETCH(QString, problemHas);
        const Replayed replayed = recovery::replay(bytes);
        QCOMPARE(replayed.state, state);
        QCOMPARE(replayed.text, text);
        QVERIFY2(replayed.problem.contains(problemHas), qPrintable(replayed.problem));
    }

    void theFileOnDisk()
    {
        QTemporaryDir data;
        const QString folder = data.filePath(QStringLiteral("scrivlet/recovery"));
        QString path;
        {
            recovery::Journal journal(folder);
            QVERIFY(!journal.active());
            journal.record(0, 0, u"not journalled"_s);
            journal.begin(u"本文"_s, u"/home/作者/a.dnml"_s);
            journal.record(2, 0, awkward);
            journal.record(0, 1, {});
            journal.flush();
            journal.waitForDisk();
            path = journal.path();
            const Replayed replayed = recovery::replay(readAll(path));
            QCOMPARE(replayed.state, Replayed::State::Whole);
            QCOMPARE(replayed.text, u"文"_s + awkward);
            QCOMPARE(replayed.header.source, u"/home/作者/a.dnml"_s);
            QCOMPARE(replayed.header.pid, QCoreApplication::applicationPid());
            QCOMPARE(mode(folder), mode_t(0700));
            QCOMPARE(mode(QFileInfo(folder).absolutePath()), mode_t(0700));
            QCOMPARE(mode(path), mode_t(0600));
            QVERIFY(QFile::exists(path + u".lock"_s));
            QVERIFY2(recovery::leftovers(folder).empty(), "this running process's journal is not left over");

            // Ending removes journal and lock; the next begin is a new file.
            journal.end();
            journal.waitForDisk();
            QVERIFY(!QFile::exists(path));
            QVERIFY(!QFile::exists(path + u".lock"_s));
            journal.begin(u"次"_s, {});
            journal.record(1, 0, u"へ"_s);
            QVERIFY(journal.path() != path);
            path = journal.path();
        }
        // Closed without an end: pending edits were written, and the journal
        // is left for the next start, the only one there.
        std::vector<recovery::Leftover> left = recovery::leftovers(folder);
        QCOMPARE(left.size(), std::size_t(1));
        QCOMPARE(left[0].path, path);
        QCOMPARE(left[0].replayed.text, u"次へ"_s);
        QVERIFY(recovery::discard(left[0]).isEmpty());
        QVERIFY(!QFile::exists(path));
        QVERIFY(recovery::leftovers(folder).empty());
    }

    void newestFirst()
    {
        QTemporaryDir data;
        const QString folder = data.path();
        const qint64 times[] = {5000, 9000, 1000};
        for (int i = 0; i < 3; ++i)
            writeAll(data.filePath(QStringLiteral("%1.journal").arg(i)),
                     journalStart() + recovery::encodeBase(QString::number(i), times[i]));
        writeAll(data.filePath(u"not-a-journal.txt"_s), "x");
        const std::vector<recovery::Leftover> left = recovery::leftovers(folder);
        QCOMPARE(left.size(), std::size_t(3));
        QCOMPARE(left[0].replayed.text, u"1"_s);
        QCOMPARE(left[1].replayed.text, u"0"_s);
        QCOMPARE(left[2].replayed.text, u"2"_s);
    }

    // Another instance still running keeps its journal; once it is killed,
    // the journal is left over.
    void aRunningInstancesJournalIsNotLeftOver()
    {
        QTemporaryDir data;
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {u"--hold"_s, data.path()});
        QVERIFY(other.waitForReadyRead(20'000));
        const QString path = QString::fromLocal8Bit(other.readLine().trimmed());
        QVERIFY(QFile::exists(path));
        QVERIFY(recovery::leftovers(data.path()).empty());
        ::kill(pid_t(other.processId()), SIGKILL);
        QVERIFY(other.waitForFinished(20'000));
        const std::vector<recovery::Leftover> left = recovery::leftovers(data.path());
        QCOMPARE(left.size(), std::size_t(1));
        QCOMPARE(left[0].path, path);
        QCOMPARE(left[0].replayed.text, u"held"_s);
    }

    // A folder that cannot be made: the journal says why, once per failed
    // journal, and takes further edits without complaint.
    void anUnwritableFolderIsReported()
    {
        QTemporaryDir data;
        writeAll(data.filePath(u"file"_s), "x");
        recovery::Journal journal(data.filePath(u"file/scrivlet/recovery"_s));
        QSignalSpy failed(&journal, &recovery::Journal::failed);
        journal.begin(u"text"_s, {});
        journal.record(0, 0, u"more"_s);
        journal.flush();
        journal.waitForDisk();
        QCoreApplication::processEvents();
        QCOMPARE(failed.count(), 1);
        QVERIFY2(failed[0][0].toString().contains(data.filePath(u"file"_s)), qPrintable(failed[0][0].toString()));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--hold") == 0)
        return holdJournal(QString::fromLocal8Bit(argv[2]));
    TestJournal test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_journal.moc"
