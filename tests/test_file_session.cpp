// The file session without a window, its questions answered from a script:
// every answer of every question about how to read a file, each way a
// reload fails, the notice of a change on disk and whose it is, and a name
// that is no UTF-8 through open, save, the recent files and a restart.
#include "app/file_session.h"
#include "scripted_dialogs.h"
#include "test_files.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString configFile = u"/scrivlet/scrivlet.conf"_s;

// A session over a document holding "start", and what it told the window.
struct Session {
    QTemporaryDir dir;
    std::shared_ptr<DialogScript> asked = std::make_shared<DialogScript>();
    ScriptedDialogs dialogs{asked};
    ScriptDocument document;
    FileSession session{document, dialogs, nullptr};
    QString form;
    int notices = 0;
    int withdrawn = 0;

    Session()
    {
        QObject::connect(&session, &FileSession::formShown, [this](const QString &shown) { form = shown; });
        QObject::connect(&session, &FileSession::noticed, [this] { ++notices; });
        QObject::connect(&session, &FileSession::noticeWithdrawn, [this] { ++withdrawn; });
        session.start(u"start");
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    void type(const QString &text)
    {
        QTextCursor end(document.textDocument());
        end.movePosition(QTextCursor::End);
        document.insert(end, text);
    }
};

// Makes `path` what a row names: a folder, a sparse file over the size
// limit, a named pipe, a file with NUL bytes, or one with `text`.
bool make(const QString &path, const QString &what)
{
    const QByteArray bytes = QFile::encodeName(path);
    QFile::remove(path);
    if (what == u"folder")
        return QDir().mkdir(path);
    if (what == u"fifo")
        return ::mkfifo(bytes.constData(), 0600) == 0;
    if (what == u"huge")
        return writeFile(path, "") && ::truncate(bytes.constData(), qint64(300) << 20) == 0;
    return writeFile(path, what == u"nul" ? QByteArray("<P>\0\r\n", 6) : what.toUtf8());
}

} // namespace

class TestFileSession : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + configFile); }
    void everyAnswerOfTheOpeningQuestions_data();
    void everyAnswerOfTheOpeningQuestions();
    void aReloadThatFailsChangesNothing_data();
    void aReloadThatFailsChangesNothing();
    void theNoticeBelongsToItsFile();
    void aFileWrittenAgainWithItsOwnBytesIsNoChange();
    void aNameThatIsNoUtf8GoesThroughWhole();
};

void TestFileSession::everyAnswerOfTheOpeningQuestions_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<bool>>("answers");  // Yes or No, to each question in turn
    QTest::addColumn<int>("nul");              // the button for a file with NUL bytes; -1 its default
    QTest::addColumn<QString>("asked");        // in the last question
    QTest::addColumn<QString>("text");         // "start": nothing was read
    QTest::addColumn<QString>("form");
    QTest::addColumn<QByteArray>("saved");

    const QList<bool> yes{true}, no{false};
    QTest::newRow("LF only, Yes: lines, saved with CR LF")
        << QByteArray("a\nb\n") << yes << -1 << u"LFで行を分けて"_s << u"a\r\nb"_s << u"Shift-JIS・LF から → CR LF"_s
        << QByteArray("a\r\nb\r\n");
    QTest::newRow("LF only, No: kept inside the line, which is saved as it is with one CR LF")
        << QByteArray("a\nb\n") << no << -1 << u"ファイルの終わりにCR LFが1つ付きます"_s << u"a\nb\n"_s
        << u"Shift-JIS・LF（行の中の文字）"_s << QByteArray("a\nb\n\r\n");
    QTest::newRow("lone CR, Yes: a line break") << QByteArray("a\rb\r") << yes << -1 << u"CRだけの改行 2 か所"_s
                                               << u"a\r\nb"_s << u"Shift-JIS・CR から → CR LF"_s << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone CR, No: nothing read") << QByteArray("a\rb\r") << no << -1 << u"いいえ」なら読み込まず"_s
                                              << u"start"_s << QString() << QByteArray();
    QTest::newRow("CR CR LF, Yes: one line break") << QByteArray("a\r\r\nb") << yes << -1 << u"CR CR LF 1 か所"_s
                                                  << u"a\r\nb"_s << u"Shift-JIS・CR CR LF から → CR LF"_s
                                                  << QByteArray("a\r\nb\r\n");
    QTest::newRow("CR CR LF, No: nothing read") << QByteArray("a\r\r\nb") << no << -1 << u"CR CR LF"_s << u"start"_s
                                               << QString() << QByteArray();
    QTest::newRow("UTF-8 with LF and U+2028, Yes: one question for both")
        << QByteArray("\xe2\x80\xa8x\ny") << QList<bool>{true, true} << -1
        << u"LFだけの改行 1 か所、改行文字 U+2028・U+2029 1 個"_s << u"\r\nx\r\ny"_s
        << u"UTF-8 から → Shift-JIS・LF、U+2028/2029 から → CR LF"_s << QByteArray("\r\nx\r\ny\r\n");
    QTest::newRow("UTF-8 with U+2029, No: nothing read") << QByteArray("\xe3\x81\x82\xe2\x80\xa9") << QList<bool>{true, false}
                                                        << -1 << u"U+2028・U+2029 1 個"_s << u"start"_s << QString()
                                                        << QByteArray();
    QTest::newRow("NUL bytes, Yes: read as they are") << QByteArray("a\0b", 3) << QList<bool>{} << 0 << u"NUL文字"_s
                                                     << QString::fromUtf16(u"a\0b", 3) << u"Shift-JIS・CR LF"_s
                                                     << QByteArray("a\0b\r\n", 5);
    QTest::newRow("NUL bytes, No (the default): nothing read")
        << QByteArray("a\0b", 3) << QList<bool>{} << -1 << u"NUL文字"_s << u"start"_s << QString() << QByteArray();
    QTest::newRow("CR LF with a lone LF: kept inside its line, nothing asked")
        << QByteArray("a\r\nb\nc") << QList<bool>{} << -1 << QString() << u"a\r\nb\nc"_s << u"Shift-JIS・CR LF"_s
        << QByteArray("a\r\nb\nc\r\n");
}

void TestFileSession::everyAnswerOfTheOpeningQuestions()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<bool>, answers);
    QFETCH(int, nul);
    QFETCH(QString, asked);
    QFETCH(QString, text);
    QFETCH(QString, form);
    QFETCH(QByteArray, saved);
    Session s;
    QVERIFY(writeFile(s.path(u"in.dnml"_s), file));
    s.asked->answers.assign(answers.begin(), answers.end());
    if (nul >= 0)
        s.asked->choices = {nul};
    s.asked->openPath = s.path(u"in.dnml"_s);
    s.session.open();

    // Each answer went to a question of its own, and no other was asked.
    QCOMPARE(s.asked->questions.size(), answers.size() + (file.contains('\0') ? 1 : 0));
    QVERIFY(s.asked->answers.empty() && s.asked->choices.empty());
    if (!asked.isEmpty())
        QVERIFY2(s.asked->questions.last().contains(asked), qPrintable(s.asked->questions.last()));
    QCOMPARE(readable(s.document.text()), readable(text));
    QCOMPARE(s.session.changed(), text != u"start");  // an opened file counts as changed
    QVERIFY(s.asked->warnings.isEmpty());
    if (saved.isEmpty())
        return;
    QCOMPARE(s.form, form);
    s.asked->savePath = s.path(u"out.dnml"_s);
    QVERIFY(s.session.save());
    QCOMPARE(readFile(s.path(u"out.dnml"_s)).toHex(' '), saved.toHex(' '));
    QCOMPARE(s.form, u"Shift-JIS・CR LF"_s);
}

void TestFileSession::aReloadThatFailsChangesNothing_data()
{
    QTest::addColumn<QString>("becomes");  // what the file is made after the notice
    QTest::addColumn<bool>("giveUpEdits");  // the answer to "unsaved changes will be lost"
    QTest::addColumn<QString>("said");     // in the warning; empty: none
    QTest::newRow("a folder") << u"folder"_s << true << u"フォルダー"_s;
    QTest::newRow("a file over the size limit") << u"huge"_s << true << u"300.0 MB"_s;
    QTest::newRow("a named pipe") << u"fifo"_s << true << u"名前付きパイプ"_s;
    QTest::newRow("gone") << u"gone"_s << true << QString::fromLocal8Bit(std::strerror(ENOENT));
    QTest::newRow("NUL bytes, not read (the default)") << u"nul"_s << true << QString();
    QTest::newRow("losing the edits declined") << u"<Q>\r\n"_s << false << QString();
    QTest::newRow("read again") << u"<Q>\r\n"_s << true << QString();
}

// Saved, edited, then the file changes on disk: after the notice, a reload
// either reads the file's text, clearing the changed mark, or leaves the
// text and the mark as they were, and closing asks.
void TestFileSession::aReloadThatFailsChangesNothing()
{
    QFETCH(QString, becomes);
    QFETCH(bool, giveUpEdits);
    QFETCH(QString, said);
    Session s;
    const QString path = s.path(u"台本.dnml"_s);
    QVERIFY(writeFile(path, "<P>\r\n"));
    s.session.openFile(path);
    QVERIFY(s.session.overwrite());
    s.type(u"あ"_s);
    QVERIFY(make(path, becomes == u"gone" ? u"<Q>\r\n"_s : becomes));
    s.session.checkDisk();
    QCOMPARE(s.notices, 1);
    if (becomes == u"gone")
        QVERIFY(QFile::remove(path));
    s.asked->answers = {giveUpEdits};

    const bool read = becomes.startsWith(u'<') && giveUpEdits;
    QCOMPARE(s.session.reloadNoticed(), read);
    QCOMPARE(s.asked->warnings.size(), said.isEmpty() ? 0 : 1);
    if (!said.isEmpty())
        QVERIFY2(s.asked->warnings[0].startsWith(u"再読み込み|"_s) && s.asked->warnings[0].contains(said),
                 qPrintable(s.asked->warnings[0]));
    QCOMPARE(s.document.text(), read ? u"<Q>"_s : u"<P>あ"_s);
    QCOMPARE(s.session.changed(), !read);
    const qsizetype questions = s.asked->questions.size();
    s.asked->answers = {true};
    QVERIFY(s.session.mayClose());
    QCOMPARE(s.asked->questions.size(), questions + (read ? 0 : 1));
}

void TestFileSession::theNoticeBelongsToItsFile()
{
    Session s;
    const QString a = s.path(u"a.dnml"_s), b = s.path(u"b.dnml"_s);
    QVERIFY(writeFile(a, "A\r\n") && writeFile(b, "B\r\n"));
    s.session.openFile(a);
    QVERIFY(writeFile(a, "A, changed\r\n"));
    s.session.checkDisk();
    s.session.checkDisk();
    QCOMPARE(s.notices, 1);  // once for each change

    // Opening another file takes the notice down, and its action reads nothing.
    s.session.openFile(b);
    QCOMPARE(s.withdrawn, 1);
    QVERIFY(!s.session.reloadNoticed());
    QCOMPARE(s.document.text(), u"B"_s);

    // So does saving as another file.
    QVERIFY(writeFile(b, "B, changed\r\n"));
    s.session.checkDisk();
    QCOMPARE(s.notices, 2);
    s.asked->savePath = s.path(u"c.dnml"_s);
    QVERIFY(s.session.save());
    QCOMPARE(s.withdrawn, 2);
    QVERIFY(!s.session.reloadNoticed());
    QCOMPARE(s.document.text(), u"B"_s);
    QVERIFY(!s.asked->questions.join(u'\n').contains(u"再読み込み"_s));
}

void TestFileSession::aFileWrittenAgainWithItsOwnBytesIsNoChange()
{
    Session s;
    const QString path = s.path(u"a.dnml"_s);
    QVERIFY(writeFile(path, "<P>\r\n"));
    s.session.openFile(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) &&
            file.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
    file.close();
    s.session.checkDisk();
    QCOMPARE(s.notices, 0);
    QVERIFY(s.session.overwrite());
    QVERIFY2(s.asked->questions.isEmpty(), "saving over the file asks nothing");

    // As long, other bytes (a file of its own: written in place within the
    // same tick of the clock, its stamp would not change).
    QVERIFY(QFile::remove(path) && writeFile(path, "<Q>\r\n"));
    s.session.checkDisk();
    QCOMPARE(s.notices, 1);
}

void TestFileSession::aNameThatIsNoUtf8GoesThroughWhole()
{
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/\x91\xe4\x96\x7b.dnml";  // 台本 in Shift-JIS
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0 && ::write(fd, "<P>\r\n", 5) == 5 && ::close(fd) == 0);
    {
        Session s;
        s.session.openFile(disk::nameFromBytes(name));
        QCOMPARE(s.session.name(), name);
        s.type(u"x"_s);
        QVERIFY(s.session.overwrite());
        QVERIFY(s.asked->warnings.isEmpty());
    }
    QFile saved;
    QVERIFY(saved.open(::open(name.constData(), O_RDONLY), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(saved.readAll(), QByteArray("<P>x\r\n"));

    // Started again, the recent files hold the name, and it opens.
    Session restarted;
    QCOMPARE(restarted.session.recentFiles().size(), 1);
    QCOMPARE(disk::nameToBytes(restarted.session.recentFiles().first()), name);
    restarted.session.openRecent(restarted.session.recentFiles().first());
    QCOMPARE(restarted.document.text(), u"<P>x"_s);
    QVERIFY(restarted.asked->warnings.isEmpty());

    // A list written before names were kept as bytes is read as it was.
    QSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + configFile, QSettings::IniFormat)
        .setValue(u"files/recent"_s, QStringList{u"/古い/台本.dnml"_s});
    QCOMPARE(settings::RecentFiles::load().paths(), QStringList{u"/古い/台本.dnml"_s});
}

QTEST_MAIN(TestFileSession)
#include "test_file_session.moc"
