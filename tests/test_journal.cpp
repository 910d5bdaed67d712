// The recovery journal without a window: random sessions replayed against
// a model and cut at every byte, bad journals, the file on disk, and which
// journals count as left over.
#include "document/file_access.h"
#include "recovery/journal.h"

#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using recovery::Replayed;

namespace {

// Characters a journal must give back as they were: the document's block
// and line separators, a no-break space, one code page 932 lacks, the
// replacement character, a surrogate pair and an unpaired surrogate.
const QString awkward = u"a\u2029b\u2028c\u00A0€\uFFFD😀"_s + QChar(0xD800) + u"「」"_s;

QString randomText(QRandomGenerator &random, int maxLength)
{
    QString text;
    for (int i = random.bounded(maxLength + 1); i > 0; --i)
        text += awkward[random.bounded(awkward.size())];
    return text;
}

QByteArray journalStart(const QString &source = QString())
{
    return recovery::encodeStart({1, u"host"_s, source, 1000});
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t mode(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0;
}

// Started as `test_journal --hold <folder>`: begins a journal, prints its
// path and waits to be killed, as a running instance of the program would.
int holdJournal(const QString &folder)
{
    recovery::Journal journal(folder);
    journal.begin(u"held"_s, QString());
    journal.waitForDisk();
    std::printf("%s\n", qPrintable(journal.path()));
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace

Q_DECLARE_METATYPE(recovery::Replayed::State)

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    // Random sessions against a model: the whole journal gives the model's
    // text exactly, and a journal cut at any byte of its last records gives
    // the text as it stood after its last complete record, nothing else.
    void cutAnywhereGivesAnEarlierState()
    {
        for (quint32 seed = 1; seed <= 40; ++seed) {
            QRandomGenerator random(seed);
            QList<QString> states = {randomText(random, 30)};
            QByteArray bytes = journalStart(u"C:/台本/第一話.dnml"_s) + recovery::encodeBase(states.front(), 0);
            QList<qsizetype> ends = {bytes.size()};
            for (int edit = random.bounded(1, 60); edit > 0; --edit) {
                const QString &text = states.back();
                const qsizetype position = random.bounded(text.size() + 1);
                const qsizetype removed = random.bounded(std::min<qsizetype>(text.size() - position, 5) + 1);
                const QString added = randomText(random, 6);
                states.append(QString(text).replace(position, removed, added));
                bytes += recovery::encodeEdit(position, removed, added, states.size());
                ends.append(bytes.size());
            }
            const Replayed whole = recovery::replay(bytes);
            QCOMPARE(whole.state, Replayed::State::Whole);
            QCOMPARE(whole.text, states.back());
            QCOMPARE(whole.header.source, u"C:/台本/第一話.dnml"_s);
            QCOMPARE(whole.lastEdit, qint64(states.size()));

            for (qsizetype cut = ends[std::max<qsizetype>(0, ends.size() - 4)]; cut < bytes.size(); ++cut) {
                const Replayed replayed = recovery::replay(bytes.first(cut));
                const qsizetype complete = std::upper_bound(ends.begin(), ends.end(), cut) - ends.begin() - 1;
                const QString where = u"seed %1, cut at %2 of %3"_s.arg(seed).arg(cut).arg(bytes.size());
                QVERIFY2(replayed.text == states[complete] && replayed.usedBytes == ends[complete], qPrintable(where));
                QVERIFY2(replayed.state == (cut == ends[complete] ? Replayed::State::Whole : Replayed::State::Damaged),
                         qPrintable(where));
            }
        }
    }

    // The header keeps the file's name as its bytes; a journal written
    // before, with the name in UTF-16 units, is read as it was.
    void headersKeepTheNamesBytes()
    {
        const QByteArray bytes("/x/\x91\xe4.dnml");
        const QByteArray start = journalStart(disk::nameFromBytes(bytes));
        QVERIFY(start.contains(bytes));
        QCOMPARE(recovery::replay(start + recovery::encodeBase(u"ab"_s, 0)).header.source, disk::nameFromBytes(bytes));
        const Replayed old = recovery::replay(QByteArray::fromHex(
            "53435249564a4e4c010000002d00000082207408010100000000000000010000006800090000002f0078002f0091dc2e0064006e"
            "006d006c0000000000000000001100000044ffa78b0200000000000000000200000061006200"));
        QCOMPARE(old.state, Replayed::State::Whole);
        QCOMPARE(disk::nameToBytes(old.header.source), QByteArray("/x/\x91.dnml"));
        QCOMPARE(old.text, u"ab"_s);
    }

    void badJournals_data()
    {
        const QByteArray start = journalStart();
        const QByteArray base = recovery::encodeBase(u"base"_s, 0);
        const QByteArray edit = recovery::encodeEdit(4, 0, u"!"_s, 1);
        QByteArray newer = start + base;
        newer[8] = 3;
        QByteArray former = start + base;
        former[8] = 1;  // the former format's number, by a changed byte
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
        QTest::newRow("the format's number changed into the former one")
            << former << Replayed::State::Unreadable << QString() << u"本文"_s;
        QTest::newRow("text without header") << start.first(12) + base << Replayed::State::Unreadable << QString()
                                             << u"本文"_s;
        QTest::newRow("a bad CRC ends the replay, the good record after it is not used")
            << flipped << Replayed::State::Damaged << u"base"_s << u"バイト"_s;
        QTest::newRow("an edit outside the text ends the replay")
            << start + base + edit + recovery::encodeEdit(9, 0, u"x"_s, 2) + edit << Replayed::State::Damaged
            << u"base!"_s << u"バイト"_s;
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
        const QString folder = data.filePath(u"scrivlet/recovery"_s);
        QString path;
        {
            recovery::Journal journal(folder);
            journal.begin(u"本文"_s, u"/home/作者/a.dnml"_s);
            journal.record(2, 0, awkward);
            journal.flush();
            journal.waitForDisk();
            path = journal.path();
            const Replayed replayed = recovery::replay(readAll(path));
            QCOMPARE(replayed.text, u"本文"_s + awkward);
            QCOMPARE(replayed.header.pid, QCoreApplication::applicationPid());
            QCOMPARE(mode(folder), mode_t(0700));
            QCOMPARE(mode(QFileInfo(folder).absolutePath()), mode_t(0700));
            QCOMPARE(mode(path), mode_t(0600));
            QVERIFY2(recovery::leftovers(folder).empty(), "this running process's journal is not left over");

            // Ending removes journal and lock; the next begin is a new file.
            journal.end();
            journal.waitForDisk();
            QVERIFY(!QFile::exists(path) && !QFile::exists(path + u".lock"_s));
            journal.begin(u"次"_s, {});
            journal.record(1, 0, u"へ"_s);
            path = journal.path();
        }
        // Closed without an end: the pending edit was written, and the
        // journal is left for the next start.
        std::vector<recovery::Leftover> left = recovery::leftovers(folder);
        QCOMPARE(left.size(), std::size_t(1));
        QCOMPARE(left[0].path, path);
        QCOMPARE(left[0].replayed.text, u"次へ"_s);
        QVERIFY(!recovery::discard(left[0]));
        QVERIFY(recovery::leftovers(folder).empty());
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
