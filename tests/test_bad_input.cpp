// Bad and odd files, and saves that cannot be done, through the real main
// window: each ends opened, flagged with its line, or refused with the
// system's reason, and the text in Text1 is what the author should find.
#include "app/main_window.h"
#include "editor/script_edit.h"
#include "document/io_wording.h"
#include "document/script_file.h"
#include "scripted_dialogs.h"
#include "test_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Where two long texts part, for a failure message that does not print them.
QByteArray whereTheyDiffer(const QString &actual, const QString &expected)
{
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    return QStringLiteral("lengths %1 and %2, first difference at %3: %4 against %5")
        .arg(actual.size())
        .arg(expected.size())
        .arg(i)
        .arg(actual.mid(i, 20).toHtmlEscaped(), expected.mid(i, 20).toHtmlEscaped())
        .toUtf8();
}

// Peak resident memory of this process since the last reset, in MB.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 peakMemoryMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    return -1;
}

// Lines as authors write them: tags, Japanese dialogue, a blank line now
// and then; the bytes of the file and the text they must open as.
struct Script {
    QByteArray bytes;
    QString text;
};

Script generatedScript(qsizetype targetBytes, bool oneLine)
{
    const QString pieces[] = {
        QStringLiteral(u"<ACT NAME=\"人\" SRC=\"PDT\\YURA0%1.PDT\" FOLDER=\"ORVEN\">"),
        QStringLiteral(u"ゆら 「今日は%1回目の、いい天気だね。」<P>"),
        QStringLiteral(u"<!--- \"星野ゆら(制服・笑顔%1)\" --->"),
        QStringLiteral(u"<BACKGROUND SRC=\"PDT\\BG%1.PDT\" FOLDER=\"OrvenA\">"),
        QString(),
    };
    QStringList lines;
    qsizetype size = 0;
    for (int n = 0; size < targetBytes; ++n) {
        const QString &piece = pieces[n % 5];
        lines << (piece.isEmpty() ? piece : piece.arg(n));
        for (QChar c : lines.last())
            size += c.unicode() < 0x80 ? 1 : 2;
        size += 2;
    }
    Script script;
    script.text = lines.join(oneLine ? QStringLiteral(u"　") : QStringLiteral("\r\n"));
    const scriptfile::Encoded encoded = scriptfile::encode(script.text);
    script.bytes = encoded.bytes;
    return script;
}

enum class Opened { Clean, Flagged };

} // namespace

Q_DECLARE_METATYPE(Opened)

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void oddFilesOpen_data();
    void oddFilesOpen();
    void largeScriptsOpenAndSaveWhole_data();
    void largeScriptsOpenAndSaveWhole();
    void unreadablePathsAreRefusedKeepingTheText_data();
    void unreadablePathsAreRefusedKeepingTheText();
    void namesAreKeptAsTheirBytes_data();
    void namesAreKeptAsTheirBytes();
    void unwritableTargetsAreRefusedKeepingEverything_data();
    void unwritableTargetsAreRefusedKeepingEverything();
    void writeStoppingPartWayKeepsTheTarget_data();
    void writeStoppingPartWayKeepsTheTarget();

private:
    QTemporaryDir m_dir;
    std::shared_ptr<DialogScript> m_answers;
    std::unique_ptr<MainWindow> m_window;
    ScriptEdit *m_text1 = nullptr;
};

void TestBadInput::init()
{
    QVERIFY(m_dir.isValid());
    for (const QString &name : entries(m_dir.path()))
        QVERIFY(QFileInfo(m_dir.filePath(name)).isDir() ? QDir(m_dir.filePath(name)).removeRecursively()
                                                        : QFile::remove(m_dir.filePath(name)));
    m_window.reset();
    m_answers = std::make_shared<DialogScript>();
    m_window = std::make_unique<MainWindow>(std::make_unique<ScriptedDialogs>(m_answers));
    m_text1 = m_window->findChild<ScriptEdit *>(QStringLiteral("Text1"));
    QVERIFY(m_text1);
}

void TestBadInput::oddFilesOpen_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Opened>("outcome");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");         // reported for a flagged file
    QTest::addColumn<QByteArray>("saved");  // what saving the opened text writes

    const QByteArray nuls("A\0B\r\n\0\r\n", 8);
    QTest::newRow("0-byte file opens as an empty text") << QByteArray() << Opened::Clean << QString() << 0 << QByteArray("\r\n");
    QTest::newRow("only CR LF opens as an empty text") << QByteArray("\r\n") << Opened::Clean << QString() << 0 << QByteArray("\r\n");
    QTest::newRow("lone CRs end lines") << QByteArray("A\rB\r\rC") << Opened::Clean << QStringLiteral("A\r\nB\r\n\r\nC") << 0
                                        << QByteArray("A\r\nB\r\n\r\nC\r\n");
    QTest::newRow("lone LFs stay inside their line") << QByteArray("A\nB\n\r\n") << Opened::Clean << QStringLiteral("A\nB\n") << 0
                                                     << QByteArray("A\nB\n\r\n");
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\rc\nd\n\re") << Opened::Clean
                                     << QStringLiteral("a\r\nb\r\nc\nd\n\r\ne") << 0
                                     << QByteArray("a\r\nb\r\nc\nd\n\r\ne\r\n");
    QTest::newRow("NUL bytes are kept as characters") << nuls << Opened::Clean << QString::fromUtf16(u"A\0B\r\n\0", 6) << 0 << nuls;
    QTest::newRow("lead byte at the end of the file is flagged")
        << QByteArray("OK\r\n\x82\xa0\x82") << Opened::Flagged << QStringLiteral(u"OK\r\nあ\uFFFD") << 2 << QByteArray();
    QTest::newRow("lead byte then an invalid trail byte is flagged")
        << QByteArray("A\r\nB\r\n\x81\x7f" "C\r\n\x81") << Opened::Flagged << QStringLiteral(u"A\r\nB\r\n\uFFFD\x7f" u"C\r\n\uFFFD")
        << 3 << QByteArray();
}

void TestBadInput::oddFilesOpen()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Opened, outcome);
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QByteArray, saved);

    const QString path = m_dir.filePath(QStringLiteral(u"開く.dnml"));
    QVERIFY(writeFile(path, bytes));
    m_answers->openPath = path;
    m_answers->choices = {0};  // a file with NUL bytes is opened after all
    m_window->mnu_open_Click();

    QCOMPARE(m_text1->text(), text);
    QCOMPARE(m_text1->caret(), qsizetype(0));
    QVERIFY(m_window->textChanged());
    if (outcome == Opened::Clean) {
        QCOMPARE(m_answers->warnings, QStringList());
    } else {
        QCOMPARE(m_answers->warnings.size(), 1);
        QVERIFY2(m_answers->warnings[0].contains(path), qPrintable(m_answers->warnings[0]));
        QVERIFY2(m_answers->warnings[0].contains(QStringLiteral(u"%1行目").arg(line)), qPrintable(m_answers->warnings[0]));
    }

    // Saving gives the file back in its CR LF form; a flagged text is not
    // saved until it is mended, and nothing is written.
    m_answers->warnings.clear();
    const QString target = m_dir.filePath(QStringLiteral(u"保存.dnml"));
    m_answers->savePath = target;
    QCOMPARE(m_window->mnu_save_Click(), outcome == Opened::Clean);
    if (outcome == Opened::Clean) {
        QCOMPARE(readFile(target).toHex(' '), saved.toHex(' '));
        QVERIFY(!m_window->textChanged());
    } else {
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(m_answers->warnings.size(), 1);
        QVERIFY(m_window->textChanged());
    }
    QCOMPARE(m_text1->text(), text);
}

void TestBadInput::largeScriptsOpenAndSaveWhole_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<bool>("oneLine");
    QTest::newRow("one line of 5 MB") << qsizetype(5) << true;
    QTest::newRow("200 MB script") << qsizetype(200) << false;
}

void TestBadInput::largeScriptsOpenAndSaveWhole()
{
    QFETCH(qsizetype, size);
    QFETCH(bool, oneLine);
    const QString path = m_dir.filePath(QStringLiteral("large.dnml"));
    const QString target = m_dir.filePath(QStringLiteral("large-saved.dnml"));
    QString expected;
    QByteArray bytes;
    {
        Script script = generatedScript(size * 1000 * 1000, oneLine);
        QVERIFY(!script.bytes.isEmpty());
        QVERIFY(writeFile(path, script.bytes));
        expected = std::move(script.text);
        bytes = std::move(script.bytes);
    }
    m_answers->openPath = path;
    m_answers->savePath = target;

    resetPeakMemory();
    QElapsedTimer clock;
    clock.start();
    m_window->mnu_open_Click();
    const qint64 openMs = clock.restart();
    const bool same = m_text1->text() == expected;
    QVERIFY2(same, whereTheyDiffer(m_text1->text(), expected));
    QCOMPARE(m_answers->warnings, QStringList());
    QCOMPARE(m_text1->caret(), qsizetype(0));

    clock.restart();
    QVERIFY(m_window->mnu_save_Click());
    const qint64 saveMs = clock.elapsed();
    QVERIFY(readFile(target) == bytes);
    qInfo("%s: %lld bytes, %lld lines; open %lld ms, save %lld ms; peak memory %lld MB", QTest::currentDataTag(),
          qint64(bytes.size()), qint64(bytes.count('\n')), openMs, saveMs, peakMemoryMB());
}

void TestBadInput::unreadablePathsAreRefusedKeepingTheText_data()
{
    // What stands at the path, made by the test: none of it is read, and
    // nothing waits on it (a named pipe with no writer would block).
    QTest::addColumn<QString>("made");
    QTest::addColumn<QString>("reason");
    QTest::newRow("path that is a folder") << u"folder"_s << u"フォルダー"_s;
    QTest::newRow("file removed between the dialog and the read") << u"gone"_s << systemReason(ENOENT);
    QTest::newRow("named pipe with no writer") << u"pipe"_s << u"名前付きパイプ"_s;
    QTest::newRow("endless device, through a link") << u"zero"_s << u"デバイス"_s;
    QTest::newRow("sparse file over the limit, said with its size") << u"huge"_s << u"300.0 MB"_s;
}

void TestBadInput::unreadablePathsAreRefusedKeepingTheText()
{
    QFETCH(QString, made);
    QFETCH(QString, reason);

    const QString path = m_dir.filePath(made + u".dnml"_s);
    const QByteArray bytes = QFile::encodeName(path);
    if (made == u"gone") {
        QVERIFY(writeFile(path, "A\r\n"));
        m_answers->beforeOpen = [path] { QFile::remove(path); };
    } else if (made == u"folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (made == u"pipe") {
        QCOMPARE(::mkfifo(bytes.constData(), 0600), 0);
    } else if (made == u"zero") {
        QCOMPARE(::symlink("/dev/zero", bytes.constData()), 0);
    } else {
        QVERIFY(writeFile(path, ""));
        QCOMPARE(::truncate(bytes.constData(), qint64(300) << 20), 0);
    }
    m_text1->setCaret(9);
    m_text1->insert(u"執筆中");
    const QString text = m_text1->text();
    m_answers->openPath = path;
    m_window->mnu_open_Click();

    QCOMPARE(m_answers->warnings.size(), 1);
    QVERIFY2(m_answers->warnings[0].contains(path) && m_answers->warnings[0].contains(reason), qPrintable(m_answers->warnings[0]));
    QCOMPARE(m_text1->text(), text);
    QCOMPARE(m_text1->caret(), qsizetype(12));
    QVERIFY(m_window->textChanged());
}

namespace {

bool writeRaw(const QByteArray &path, QByteArrayView bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool whole = fd >= 0 && ::write(fd, bytes.data(), std::size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && whole;
}

QByteArray readRaw(const QByteArray &path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY);
    return fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? file.readAll() : "<unreadable>";
}

} // namespace

void TestBadInput::namesAreKeptAsTheirBytes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("a Shift-JIS name from a Windows archive") << QByteArray("\x91\xe4\x96\x7b.dnml");
    QTest::newRow("a name that looks like a format and markup") << QByteArray("x%1y<b>%2.dnml");
}

// A file handed in by the command line or a drop opens and saves back
// under its own name, whatever its bytes, and a message names it as it is.
void TestBadInput::namesAreKeptAsTheirBytes()
{
    QFETCH(QByteArray, name);
    const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
    QVERIFY(writeRaw(path, "<P>\r\n\x82"));
    m_window->openFile(disk::nameFromBytes(path));
    QCOMPARE(m_text1->text(), u"<P>\r\n\uFFFD"_s);
    QCOMPARE(m_answers->warnings.size(), 1);
    QVERIFY2(m_answers->warnings[0].contains(disk::shownName(disk::nameFromBytes(path))) &&
                 m_answers->warnings[0].contains(u"の2行目に"_s),
             qPrintable(m_answers->warnings[0]));

    m_text1->setText(u"<P>"_s);
    m_answers->savePath = disk::nameFromBytes(path);
    QVERIFY(m_window->mnu_save_Click());
    QCOMPARE(readRaw(path), QByteArray("<P>\r\n"));
}

void TestBadInput::unwritableTargetsAreRefusedKeepingEverything_data()
{
    QTest::addColumn<QString>("target");  // in a folder holding the file "file"
    QTest::addColumn<QString>("reason");
    QTest::newRow("target whose folder is gone") << QStringLiteral("gone/new.dnml") << systemReason(ENOENT);
    QTest::newRow("target whose parent is a file") << QStringLiteral("file/new.dnml") << systemReason(ENOTDIR);
}

void TestBadInput::unwritableTargetsAreRefusedKeepingEverything()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("file")), "a file"));
    const QStringList before = entries(m_dir.path());
    m_text1->insert(u"「」<P>");
    const QString text = m_text1->text();
    const qsizetype caret = m_text1->caret();

    m_answers->savePath = m_dir.filePath(target);
    QVERIFY(!m_window->mnu_save_Click());

    QCOMPARE(m_answers->warnings.size(), 1);
    QVERIFY2(m_answers->warnings[0].contains(m_answers->savePath) && m_answers->warnings[0].contains(reason),
             qPrintable(m_answers->warnings[0]));
    QCOMPARE(entries(m_dir.path()), before);
    QCOMPARE(readFile(m_dir.filePath(QStringLiteral("file"))), QByteArray("a file"));
    QCOMPARE(m_text1->text(), text);
    QCOMPARE(m_text1->caret(), caret);
    QVERIFY(m_window->textChanged());
}

void TestBadInput::writeStoppingPartWayKeepsTheTarget_data()
{
    // A file size limit makes the system refuse part-way through the
    // window's own save, root or not; the writer seam makes the device stop
    // at chosen points of a save.
    QTest::addColumn<qint64>("sizeLimit");  // 0: no limit, the writer stops
    QTest::addColumn<qint64>("stopAt");     // bytes the writer lets through
    QTest::addColumn<bool>("deviceError");  // the writer stops with -1
    QTest::newRow("system refuses past 64 KB of the window's save") << qint64(64 * 1024) << qint64(0) << false;
    QTest::newRow("device refuses the first byte") << qint64(0) << qint64(0) << true;
    QTest::newRow("device fails half-way") << qint64(0) << qint64(-2) << true;
    QTest::newRow("device stops short one byte before the end") << qint64(0) << qint64(-1) << false;
}

void TestBadInput::writeStoppingPartWayKeepsTheTarget()
{
    QFETCH(qint64, sizeLimit);
    QFETCH(qint64, stopAt);
    QFETCH(bool, deviceError);

    const QString target = m_dir.filePath(QStringLiteral(u"台本.dnml"));
    const QByteArray old("old script\r\n");
    QVERIFY(writeFile(target, old));
    const QStringList before = entries(m_dir.path());
    QString script;
    for (int i = 0; script.size() < 200 * 1000; ++i)
        script += QStringLiteral(u"ゆら 「%1行目のせりふ。」<P>\r\n").arg(i);
    m_text1->setText(script);
    m_text1->setCaret(1234);

    if (sizeLimit > 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit limited = previous;
        limited.rlim_cur = rlim_t(sizeLimit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        m_answers->savePath = target;
        const bool saved = m_window->mnu_save_Click();
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &previous), 0);
        QVERIFY(!saved);
        QCOMPARE(m_answers->warnings.size(), 1);
        QVERIFY2(m_answers->warnings[0].contains(target) && m_answers->warnings[0].contains(systemReason(EFBIG)),
                 qPrintable(m_answers->warnings[0]));
        QCOMPARE(m_text1->text(), script);
        QCOMPARE(m_text1->caret(), qsizetype(1234));
        QVERIFY(m_window->textChanged());
    } else {
        const QByteArray bytes = scriptfile::encode(script).bytes;
        const qint64 through = stopAt >= 0 ? stopAt : stopAt == -1 ? bytes.size() - 1 : bytes.size() / 2;
        const auto error = scriptfile::save(target, bytes, [&](QIODevice &file, const QByteArray &all) -> qint64 {
            const qint64 written = file.write(all.constData(), through);
            return deviceError ? -1 : written;
        });
        QVERIFY(error);
        QVERIFY(!wording(*error).isEmpty());
    }
    QCOMPARE(readFile(target), old);
    QCOMPARE(entries(m_dir.path()), before);
}

QTEST_MAIN(TestBadInput)
#include "test_bad_input.moc"
