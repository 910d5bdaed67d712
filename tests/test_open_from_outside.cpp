// Scripts that come from outside the window: the command line and drops
// onto the main window or Text1, each through the real window.
#include "app/command_line.h"
#include "document/file_access.h"
#include "editor.h"
#include "test_files.h"

#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;
using Action = commandline::Request::Action;

Q_DECLARE_METATYPE(commandline::Request::Action)

namespace {

const QByteArray sjisScript = QByteArray("<BGM SRC=\"\x89\xb9\x8a\x79\">\r\nline\r\n");  // <BGM SRC="音楽">
const QString openedScript = u"<BGM SRC=\"音楽\">\r\nline"_s;

// The files the rows name, made in a fresh folder.
struct Files {
    QTemporaryDir dir;
    Files()
    {
        writeFile(path(u"script.dnml"_s), sjisScript);
        writeFile(path(u"not-sjis.dnml"_s), "ok\r\n\x81 broken\r\n");
        QDir(dir.path()).mkdir(u"folder.dnml"_s);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
};

// A drag that enters at `at`, moves and drops; true when the drop was taken.
bool drop(QWidget *target, QMimeData &data, QPoint at = QPoint(5, 5))
{
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents();  // the file opens once the drop is over
    return dropped.isAccepted();
}

QMimeData *files(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << (path.contains(u"://"_s) ? QUrl(path) : QUrl::fromLocalFile(path));
    data->setUrls(urls);
    data->setText(paths.join(u'\n'));  // what file managers add for programs that take only text
    return data;
}

} // namespace

class TestOpenFromOutside : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    void argumentsKeepTheirBytes();
    void commandLineIsRead_data();
    void commandLineIsRead();
    void fileAtStartOpensAsTheOpenItemDoes_data();
    void fileAtStartOpensAsTheOpenItemDoes();
    void programAnswersOnItsStreams_data();
    void programAnswersOnItsStreams();
    void drops_data();
    void drops();
    void droppedFileOverUnsavedEditsAsksFirst_data();
    void droppedFileOverUnsavedEditsAsksFirst();
};

// A Shift-JIS name (a double-click on a file from a Windows archive) is
// handed on as its bytes.
void TestOpenFromOutside::argumentsKeepTheirBytes()
{
    const char *const argv[] = {"scrivlet", "/tmp/\x91\xe4\x96\x7b.dnml"};
    const commandline::Request request = commandline::parse(commandline::argumentsOf(2, argv), u"1.0"_s);
    QCOMPARE(disk::nameToBytes(request.file), QByteArray(argv[1]));
}

void TestOpenFromOutside::commandLineIsRead_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outputStart");

    QTest::newRow("no argument: the starting document") << QStringList{} << Action::Run << QString() << 0 << QString();
    QTest::newRow("one file") << QStringList{u"a b.dnml"_s} << Action::Run << u"a b.dnml"_s << 0 << QString();
    QTest::newRow("a file named like an option, after --")
        << QStringList{u"--"_s, u"-x.dnml"_s} << Action::Run << u"-x.dnml"_s << 0 << QString();
    QTest::newRow("two files: refused with the usage")
        << QStringList{u"a.dnml"_s, u"b.dnml"_s} << Action::Refuse << QString() << 2
        << u"scrivlet: one file at most, 2 given\nUsage: scrivlet [options] [FILE]\n"_s;
    QTest::newRow("an unknown option: refused with the usage")
        << QStringList{u"--bogus"_s, u"a.dnml"_s} << Action::Refuse << QString() << 2
        << u"scrivlet: Unknown option 'bogus'.\nUsage: scrivlet [options] [FILE]\n"_s;
    QTest::newRow("a flag given a value: refused")
        << QStringList{u"--version=2"_s} << Action::Refuse << QString() << 2 << u"scrivlet: "_s;
    QTest::newRow("an empty file name: refused")
        << QStringList{u""_s} << Action::Refuse << QString() << 2 << u"scrivlet: the file name is empty\n"_s;
    QTest::newRow("--help prints the usage, even with a file")
        << QStringList{u"--help"_s, u"a.dnml"_s} << Action::Print << QString() << 0
        << u"Usage: scrivlet [options] [FILE]\n"_s;
    QTest::newRow("-h too") << QStringList{u"-h"_s} << Action::Print << QString() << 0
                            << u"Usage: scrivlet [options] [FILE]\n"_s;
    QTest::newRow("--version names program and version")
        << QStringList{u"--version"_s} << Action::Print << QString() << 0 << u"scrivlet 9.8\n"_s;
}

void TestOpenFromOutside::commandLineIsRead()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QString, outputStart);
    const commandline::Request request = commandline::parse(QStringList{u"scrivlet"_s} + arguments, u"9.8"_s);
    QCOMPARE(request.action, action);
    QCOMPARE(request.file, file);
    QCOMPARE(request.exitCode, exitCode);
    QVERIFY2(request.output.startsWith(outputStart), qPrintable(request.output));
    if (action != Action::Run)
        QVERIFY(request.output.endsWith(u'\n'));
}

void TestOpenFromOutside::fileAtStartOpensAsTheOpenItemDoes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("warning");  // empty: none

    QTest::newRow("a script opens, flagged as changed as 開く leaves it")
        << u"script.dnml"_s << openedScript << QString();
    QTest::newRow("a missing file: named, then the starting document")
        << u"missing.dnml"_s << startingScript << u"開く|「%1」を開けませんでした。\n"_s;
    QTest::newRow("a folder: said so, then the starting document")
        << u"folder.dnml"_s << startingScript << u"開く|「%1」を開けませんでした。\nファイルではなくフォルダーです"_s;
    QTest::newRow("bytes that are not Shift-JIS: opened, the line named")
        << u"not-sjis.dnml"_s << u"ok\r\n\uFFFD broken"_s << u"開く|「%1」の2行目に、Shift-JISとして読めない部分があります。"_s;
}

void TestOpenFromOutside::fileAtStartOpensAsTheOpenItemDoes()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, warning);
    Files made;
    const commandline::Request request =
        commandline::parse({u"scrivlet"_s, made.path(name)}, u"1.0"_s);
    QCOMPARE(request.action, Action::Run);
    // As main() does: the window first, then the file.
    Editor editor;
    editor.window->openFile(request.file);
    QCOMPARE(readable(editor.text()->text()), readable(text));
    QCOMPARE(editor.window->textChanged(), text != startingScript);
    QVERIFY(editor.dialogs->questions.isEmpty());
    // The next file dialog opens beside it, as after choosing it in 開く.
    QCOMPARE(editor.dialogs->chosenElsewhere, QStringList{made.path(name)});
    if (warning.isEmpty()) {
        QVERIFY2(editor.dialogs->warnings.isEmpty(), qPrintable(editor.dialogs->warnings.join(u'\n')));
    } else {
        QCOMPARE(editor.dialogs->warnings.size(), 1);
        const QString said = editor.dialogs->warnings.front();
        QVERIFY2(said.startsWith(warning.arg(made.path(name))), qPrintable(said));
    }
}

void TestOpenFromOutside::programAnswersOnItsStreams_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errStart");

    QTest::newRow("--version on standard output")
        << QStringList{u"--version"_s} << true << 0 << u"scrivlet " SCRIVLET_VERSION "\n"_s << QString();
    QTest::newRow("--help with no display at all")
        << QStringList{u"--help"_s} << false << 0 << u"*Usage: "_s << QString();
    QTest::newRow("two files: usage on standard error, status 2")
        << QStringList{u"a.dnml"_s, u"b.dnml"_s} << true << 2 << QString() << u"scrivlet: one file at most"_s;
    QTest::newRow("two files with no display: still status 2")
        << QStringList{u"a.dnml"_s, u"b.dnml"_s} << false << 2 << QString() << u"scrivlet: one file at most"_s;
    QTest::newRow("an unknown option: usage on standard error, status 2")
        << QStringList{u"--bogus"_s} << true << 2 << QString() << u"scrivlet: Unknown option 'bogus'."_s;
    QTest::newRow("the toolkit's own options are no unknown options")
        << QStringList{u"-style"_s, u"Fusion"_s, u"-v"_s} << true << 0 << u"scrivlet " SCRIVLET_VERSION "\n"_s
        << QString();
}

// The built program itself, for what only main() decides: the streams,
// the status, and the order of the display check.
void TestOpenFromOutside::programAnswersOnItsStreams()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, errStart);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    if (display)
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    else
        environment.remove(u"QT_QPA_PLATFORM"_s);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(SCRIVLET_BINARY), arguments);
    QVERIFY(program.waitForFinished(60000));
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    if (out.startsWith(u'*'))
        QVERIFY2(stdOut.contains(out.mid(1)), qPrintable(stdOut));
    else
        QCOMPARE(stdOut, out);
    QVERIFY2(errStart.isEmpty() ? !stdErr.contains(u"scrivlet:"_s) : stdErr.contains(errStart), qPrintable(stdErr));
    if (exitCode == 2)
        QVERIFY2(stdErr.contains(u"Usage: "_s), qPrintable(stdErr));
}

void TestOpenFromOutside::drops_data()
{
    QTest::addColumn<bool>("onText");  // else on the button row
    QTest::addColumn<QStringList>("files");  // empty: a text drop
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("warnings");

    const QString start = startingScript;
    QTest::newRow("a file on Text1 opens") << true << QStringList{u"script.dnml"_s} << true << openedScript << 0;
    QTest::newRow("a file on the button row opens")
        << false << QStringList{u"script.dnml"_s} << true << openedScript << 0;
    QTest::newRow("a folder: said so, the text stays")
        << true << QStringList{u"folder.dnml"_s} << true << start << 1;
    QTest::newRow("a file that is not Shift-JIS: opened, the line named")
        << true << QStringList{u"not-sjis.dnml"_s} << true << u"ok\r\n\uFFFD broken"_s << 1;
    QTest::newRow("two files: refused, and their names are not typed in")
        << true << QStringList{u"script.dnml"_s, u"not-sjis.dnml"_s} << false << start << 0;
    QTest::newRow("a web link on Text1 goes in as its text")
        << true << QStringList{u"https://example.org/a.dnml"_s} << true << u"https://example.org/a.dnml"_s + start << 0;
    QTest::newRow("text on Text1 goes in with CR LF line breaks")
        << true << QStringList{} << true << u"「一行目\r\n二行目」\r\n"_s + start << 0;
    QTest::newRow("text on the button row is not taken") << false << QStringList{} << false << start << 0;
}

void TestOpenFromOutside::drops()
{
    QFETCH(bool, onText);
    QFETCH(QStringList, files);
    QFETCH(bool, taken);
    QFETCH(QString, text);
    QFETCH(int, warnings);
    Files made;
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    std::unique_ptr<QMimeData> data;
    if (files.isEmpty()) {
        data = std::make_unique<QMimeData>();
        data->setText(u"「一行目\n二行目」\r\n"_s);
    } else {
        QStringList paths;
        for (const QString &file : files)
            paths << (file.contains(u"://"_s) ? file : made.path(file));
        data.reset(::files(paths));
    }
    // At the very start of Text1, or on the first cast button.
    QWidget *target = onText ? editor.text()->viewport() : editor.button("Command1");
    const QPoint at = onText ? editor.text()->cursorRect(QTextCursor(editor.text()->document())).center() : QPoint(5, 5);
    QCOMPARE(drop(target, *data, at), taken);
    QTRY_COMPARE(readable(editor.text()->text()), readable(text));
    QCOMPARE(editor.window->textChanged(), text != startingScript);
    QCOMPARE(editor.dialogs->warnings.size(), warnings);
    QVERIFY(editor.dialogs->questions.isEmpty());
}

void TestOpenFromOutside::droppedFileOverUnsavedEditsAsksFirst_data()
{
    QTest::addColumn<bool>("discard");
    QTest::newRow("Yes: the dropped script replaces the edits") << true;
    QTest::newRow("No: the edits stay") << false;
}

void TestOpenFromOutside::droppedFileOverUnsavedEditsAsksFirst()
{
    QFETCH(bool, discard);
    Files made;
    Editor editor;
    editor.type(u"mine"_s);
    editor.dialogs->answers.push_back(discard);
    std::unique_ptr<QMimeData> data(files({made.path(u"script.dnml"_s)}));
    QVERIFY(drop(editor.text()->viewport(), *data));
    QTRY_COMPARE(editor.dialogs->questions,
                 QStringList{QStringLiteral(u"開く確認|保存していませんが\n開いても宜しいですか?")});
    QCOMPARE(editor.text()->text(), discard ? openedScript : startingScript + u"mine"_s);
    QCOMPARE(editor.dialogs->chosenElsewhere.size(), discard ? 1 : 0);
    QVERIFY(editor.window->textChanged());
}

QTEST_MAIN(TestOpenFromOutside)
#include "test_open_from_outside.moc"
