// The recovery journal through the real window: what is journalled and
// when it ends, the question at start with each answer, bad journals, and a
// data folder that cannot be written. A crash is stood in for by copying
// the journal as it is on disk, before the window goes away in good order.
#include "app/main_window.h"
#include "editor/script_edit.h"
#include "editor.h"
#include "recovery/journal.h"
#include "recovery/recovery.h"
#include "test_files.h"

#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Session {
    std::shared_ptr<DialogScript> dialogs = std::make_shared<DialogScript>();
    std::unique_ptr<MainWindow> window;

    // Starts the program with the answers the test has scripted.
    void start(std::deque<bool> answers = {})
    {
        dialogs->answers = std::move(answers);
        window = std::make_unique<MainWindow>(std::make_unique<ScriptedDialogs>(dialogs));
    }
    ScriptEdit *text() const { return window->text1(); }
    recovery::Journal &journal() const { return window->recovery().journal(); }

    // The journal's text as it is on disk once what is pending is written.
    recovery::Replayed onDisk() const
    {
        journal().flush();
        journal().waitForDisk();
        return recovery::replay(readFile(journal().path()));
    }
    // What a crash would leave: the journal as it is on disk, unlocked.
    QString leaveJournal(const QString &name) const
    {
        journal().flush();
        journal().waitForDisk();
        const QString copy = QDir(recovery::folderPath()).filePath(name + u".journal"_s);
        QFile::copy(journal().path(), copy);
        return copy;
    }
};

QStringList journalsOnDisk()
{
    return QDir(recovery::folderPath()).entryList({u"*.journal"_s}, QDir::Files);
}

QString question(const QString &file, qint64 lastEdit)
{
    return u"復元|前回保存されなかった文書があります（%1、%2）。復元しますか?"_s.arg(
        file, QDateTime::fromMSecsSinceEpoch(lastEdit).toString(u"yyyy/MM/dd HH:mm:ss"_s));
}

// Script text holding what a journal must keep: CR LF, a lone LF, a
// no-break space, € (not in code page 932) and U+FFFD.
const QString awkward = u"一行目\r\n二\n行目\u00A0€\uFFFD\r\n"_s;

} // namespace

Q_DECLARE_METATYPE(std::deque<bool>)
Q_DECLARE_METATYPE(std::function<void(ScriptEdit *)>)

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    void cleanup()
    {
        for (const QString &name : journalsOnDisk())
            QFile::remove(QDir(recovery::folderPath()).filePath(name));
    }

    void aCrashedSessionComesBackExactly()
    {
        Session crashed;
        crashed.start();
        QVERIFY2(!crashed.journal().active(), "nothing is journalled before the first edit");
        typeInto(crashed.text(), u"あいう"_s);
        crashed.text()->insert(awkward);
        crashed.text()->setCaret(3);
        typeInto(crashed.text(), u"x"_s);
        const QString before = crashed.text()->text();
        const QString copy = crashed.leaveJournal(u"crashed"_s);
        const recovery::Replayed left = recovery::replay(readFile(copy));
        crashed.window.reset();

        Session next;
        next.start({true});
        QCOMPARE(next.dialogs->questions, QStringList{question(u"無題"_s, left.lastEdit)});
        QCOMPARE(readable(next.text()->text()), readable(before));
        QCOMPARE(next.text()->caret(), next.text()->length());
        QVERIFY(next.window->textChanged());
        // The old journal gave way to this session's, which holds the same
        // text until the next save.
        next.journal().waitForDisk();
        QVERIFY(!QFile::exists(copy));
        QCOMPARE(journalsOnDisk().size(), 1);
        QCOMPARE(next.onDisk().text, next.text()->text());

        QTemporaryDir folder;
        next.dialogs->savePaths = {folder.filePath(u"saved.dnml"_s)};
        QVERIFY2(!next.window->mnu_save_Click(), "€ cannot be saved: the text stays journalled");
        QCOMPARE(journalsOnDisk().size(), 1);
    }

    // The journal begins at the first edit after start, open and save, with
    // the file the text belongs to, and ends when the text is safe or given up.
    void whenTheJournalBeginsAndEnds()
    {
        QTemporaryDir folder;
        const QString script = folder.filePath(u"第一話.dnml"_s);
        QVERIFY(writeFile(script, "<P>\r\n"));
        Session session;
        session.start();
        typeInto(session.text(), u"a"_s);
        QCOMPARE(session.onDisk().header.source, QString());

        session.dialogs->openPaths = {script};
        session.window->mnu_open_Click();
        QVERIFY2(!session.journal().active(), "an opened file is on disk already");
        session.journal().waitForDisk();
        QVERIFY(journalsOnDisk().isEmpty());
        typeInto(session.text(), u"b"_s);
        QCOMPARE(session.onDisk().header.source, script);
        QCOMPARE(session.onDisk().text, u"b<P>"_s);

        const QString saved = folder.filePath(u"保存.dnml"_s);
        session.dialogs->savePaths = {saved};
        QVERIFY(session.window->mnu_save_Click());
        QVERIFY(!session.journal().active());
        session.journal().waitForDisk();
        QVERIFY(journalsOnDisk().isEmpty());
        typeInto(session.text(), u"c"_s);
        QCOMPARE(session.onDisk().header.source, saved);

        // Yes to the quit question drops the text, and its journal.
        session.dialogs->answers = {true};
        session.window->close();
        QVERIFY(!session.window->isVisible());
        session.journal().waitForDisk();
        QVERIFY(journalsOnDisk().isEmpty());

        Session next;
        next.start();
        QVERIFY(next.dialogs->questions.isEmpty());
    }

    void answersToTheQuestion_data()
    {
        QTest::addColumn<std::deque<bool>>("answers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("left");
        QTest::newRow("yes takes the newest, the others wait for the next start")
            << std::deque<bool>{true} << u"newest"_s << 1 << 2;
        QTest::newRow("no discards it and asks about the next newest")
            << std::deque<bool>{false, true} << u"middle"_s << 2 << 1;
        QTest::newRow("no to all discards all") << std::deque<bool>{false, false, false} << QString() << 3 << 0;
    }

    void answersToTheQuestion()
    {
        QFETCH(std::deque<bool>, answers);
        QFETCH(QString, text);
        QFETCH(int, asked);
        QFETCH(int, left);
        QVERIFY(QDir().mkpath(recovery::folderPath()));
        const std::pair<QString, qint64> journals[] = {{u"oldest"_s, 1000}, {u"newest"_s, 3000}, {u"middle"_s, 2000}};
        for (const auto &[name, when] : journals)
            QVERIFY(writeFile(QDir(recovery::folderPath()).filePath(name + u".journal"_s),
                              recovery::encodeStart({1, u"h"_s, u"/台本/"_s + name, when}) +
                                  recovery::encodeBase(name, when)));
        Session session;
        session.start(answers);
        QCOMPARE(session.dialogs->questions.size(), asked);
        QCOMPARE(session.dialogs->questions[0], question(u"/台本/newest"_s, 3000));
        if (asked > 1)
            QCOMPARE(session.dialogs->questions[1], question(u"/台本/middle"_s, 2000));
        if (!text.isEmpty()) {
            QCOMPARE(session.text()->text(), text);
            QVERIFY(session.window->textChanged());
            QCOMPARE(session.onDisk().header.source, u"/台本/"_s + text);
        } else {
            QVERIFY(!session.window->textChanged());
        }
        session.journal().waitForDisk();
        QCOMPARE(journalsOnDisk().size(), left + (text.isEmpty() ? 0 : 1));
    }

    void badJournalsAreOfferedForDiscarding_data()
    {
        const QByteArray whole = recovery::encodeStart({1, u"h"_s, {}, 0}) + recovery::encodeBase(u"戻る"_s, 0) +
                                 recovery::encodeEdit(2, 0, u"文"_s, 0);
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("asks");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("kept");
        QTest::newRow("random bytes: yes discards") << QByteArray("\x01\x02garbage", 9) << true
                                                    << u"戻せません"_s << QString() << false;
        QTest::newRow("random bytes: no keeps it for later") << QByteArray("\x01\x02garbage", 9) << false
                                                             << u"戻せません"_s << QString() << true;
        QTest::newRow("cut in its last edit: the rest comes back")
            << whole.first(whole.size() - 3) << true << u"壊れていた"_s << u"戻る"_s << false;
    }

    void badJournalsAreOfferedForDiscarding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, yes);
        QFETCH(QString, asks);
        QFETCH(QString, text);
        QFETCH(bool, kept);
        QVERIFY(QDir().mkpath(recovery::folderPath()));
        const QString path = QDir(recovery::folderPath()).filePath(u"bad.journal"_s);
        QVERIFY(writeFile(path, bytes));
        Session session;
        session.start({yes});
        QCOMPARE(session.dialogs->questions.size(), 1);
        QVERIFY2(session.dialogs->questions[0].contains(asks), qPrintable(session.dialogs->questions[0]));
        if (!text.isEmpty())
            QCOMPARE(session.text()->text(), text);
        session.journal().waitForDisk();
        QCOMPARE(QFile::exists(path), kept);
    }

    // A long text is copied for the journal a slice at a time; edits made
    // meanwhile, on either side of where the copy has got, end up in it.
    void editsWhileTheTextIsCopied_data()
    {
        using Edits = std::function<void(ScriptEdit *)>;
        QTest::addColumn<Edits>("edits");
        const auto typeAt = [](qsizetype offset, const QString &text) {
            return [=](ScriptEdit *text1) {
                text1->setCaret(offset);
                typeInto(text1, text);
            };
        };
        const auto replaceAt = [](qsizetype start, qsizetype length, const QString &text) {
            return [=](ScriptEdit *text1) {
                text1->select(start, length);
                text1->insert(text);
            };
        };
        QTest::newRow("a removal across it") << Edits(replaceAt(100'000, 300'000, u"\n跨\r\n"_s));
        QTest::newRow("everything replaced") << Edits(replaceAt(0, 10'000'000, u"全"_s));
        QTest::newRow("several, back and forth") << Edits([=](ScriptEdit *text1) {
            typeAt(700'000, u"a"_s)(text1);
            typeAt(5, u"b"_s)(text1);
            replaceAt(50'000, 500'000, u"c"_s)(text1);
            typeAt(text1->length(), u"d"_s)(text1);
        });
    }

    void editsWhileTheTextIsCopied()
    {
        QFETCH(std::function<void(ScriptEdit *)>, edits);
        QTemporaryDir folder;
        const QString script = folder.filePath(u"long.dnml"_s);
        QVERIFY(writeFile(script, QByteArray("0123456789abcdef<P>\r\n").repeated(40'000)));
        Session session;
        session.start();
        session.dialogs->openPaths = {script};
        session.window->mnu_open_Click();
        typeInto(session.text(), u"始"_s);
        QVERIFY2(!session.journal().active(), "the copy takes more than one slice");
        edits(session.text());
        QTRY_VERIFY_WITH_TIMEOUT(session.journal().active(), 60000);
        QCOMPARE(session.onDisk().text, session.text()->text());
        typeInto(session.text(), u"終"_s);
        QCOMPARE(session.onDisk().text, session.text()->text());
    }

    // A recovery folder that others could read or that leads elsewhere is
    // not used: editing goes on, the status bar says why, nothing is written
    // there and nothing found there is offered.
    void anUnsafeFolderIsNotUsed_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("reason");
        QTest::newRow("open to every user (0777)") << u"open"_s << u"ほかのユーザーも入れます"_s;
        QTest::newRow("a link to a folder elsewhere") << u"link"_s << u"シンボリックリンク"_s;
    }

    void anUnsafeFolderIsNotUsed()
    {
        QFETCH(QString, made);
        QFETCH(QString, reason);
        const QString folder = recovery::folderPath();
        QTemporaryDir elsewhere;
        QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
        QDir(folder).removeRecursively();
        if (made == u"open") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        } else {
            QVERIFY(QFile::link(elsewhere.path(), folder));
        }
        QVERIFY(writeFile(folder + u"/planted.journal"_s,
                          recovery::encodeStart({1, u"h"_s, {}, 1000}) + recovery::encodeBase(u"植"_s, 1000)));
        Session session;
        session.start();
        typeInto(session.text(), u"あ"_s);
        session.journal().waitForDisk();
        QCoreApplication::processEvents();
        const QStringList found = QDir(folder).entryList(QDir::Files);
        QFile::remove(folder + u"/planted.journal"_s);
        if (made == u"open")
            QDir(folder).removeRecursively();
        else
            QFile::remove(folder);

        QVERIFY2(session.dialogs->questions.isEmpty(), "nothing in that folder is offered");
        QCOMPARE(found, QStringList{u"planted.journal"_s});
        const auto *notice = session.window->findChild<QLabel *>(u"recoveryNotice"_s);
        QVERIFY(notice && notice->text().contains(reason));
        QCOMPARE(notice->toolTip(), notice->text());
        QVERIFY(session.text()->text().endsWith(u"あ"_s));
    }

    // Whatever stands in the folder under a journal's name is looked at
    // before it is read, and one left by another machine is offered.
    void oddLeftoversAreNamedOrOffered_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("asks");
        QTest::newRow("a link to an endless device") << u"zero"_s << u"シンボリックリンク"_s;
        QTest::newRow("a journal locked on another machine") << u"foreign"_s << u"復元しますか?"_s;
    }

    void oddLeftoversAreNamedOrOffered()
    {
        QFETCH(QString, made);
        QFETCH(QString, asks);
        QVERIFY(QDir().mkpath(recovery::folderPath()));
        QVERIFY(QFile::setPermissions(recovery::folderPath(), QFileDevice::Permissions(0x7700)));
        const QString path = QDir(recovery::folderPath()).filePath(u"odd.journal"_s);
        if (made == u"zero") {
            QVERIFY(QFile::link(u"/dev/zero"_s, path));
        } else {
            QVERIFY(writeFile(path, recovery::encodeStart({1, u"h"_s, {}, 1000}) + recovery::encodeBase(u"遠"_s, 1000)));
            // A lock as another machine's program leaves it: its process
            // number means nothing here.
            QVERIFY(writeFile(path + u".lock"_s, QByteArray::number(QCoreApplication::applicationPid()) +
                                                     "\nscrivlet\nsomewhere-else\nffffffffffffffffffffffff\n"));
        }
        Session session;
        session.start({true});
        QCOMPARE(session.dialogs->questions.size(), 1);
        QVERIFY2(session.dialogs->questions[0].contains(asks), qPrintable(session.dialogs->questions[0]));
        if (made == u"foreign")
            QCOMPARE(session.text()->text(), u"遠"_s);
        QFile::remove(path);
        QFile::remove(path + u".lock"_s);
    }

    // With nowhere to write, editing goes on and the status bar says why, once.
    void aFolderThatCannotBeWritten()
    {
        QTemporaryDir data;
        QVERIFY(writeFile(data.filePath(u"file"_s), "x"));
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.filePath(u"file"_s)));
        Session session;
        session.start();
        typeInto(session.text(), u"あ"_s);
        session.journal().waitForDisk();
        QCoreApplication::processEvents();
        // A second journal, after an open, fails too: no second notice.
        const QString script = data.filePath(u"s.dnml"_s);
        QVERIFY(writeFile(script, "<P>"));
        session.dialogs->openPaths = {script};
        session.window->mnu_open_Click();
        session.text()->setCaret(3);
        typeInto(session.text(), u"あい"_s);
        session.journal().waitForDisk();
        QCoreApplication::processEvents();
        qputenv("XDG_DATA_HOME", previous);

        QVERIFY(session.text()->text().endsWith(u"あい"_s));
        const QList<QLabel *> notices = session.window->findChildren<QLabel *>(u"recoveryNotice"_s);
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0]->isVisible());
        QVERIFY2(notices[0]->text().contains(data.filePath(u"file"_s)), qPrintable(notices[0]->text()));
        QVERIFY(session.dialogs->warnings.isEmpty());
    }
};

QTEST_MAIN(TestRecovery)

#include "test_recovery.moc"
