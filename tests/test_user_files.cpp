// The files the author keeps beside the program, the settings and the list
// of preferred spellings, when what stands at their place is no file to
// read: a named pipe (which would hold a reader up for ever), a folder, a
// link to /dev/zero (which would fill the memory), a file too large. Each
// is refused without waiting and named in one line; the window starts from
// the defaults, the check runs without the list, and neither is written
// over. Through the real window, on the offscreen platform.
#include "dnml/ui/findings_panel.h"
#include "document/io_wording.h"
#include "document/settings.h"
#include "editor.h"
#include "prose/rule_settings.h"
#include "prose/user_list.h"
#include "test_files.h"
#include "versions/store.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// What stands at a path, to tell afterwards that it is still what it was.
struct Standing {
    mode_t type = 0;
    QByteArray bytes;  // of a regular file
    friend bool operator==(const Standing &, const Standing &) = default;
};

Standing standing(const QString &path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {status.st_mode & S_IFMT, S_ISREG(status.st_mode) ? readFile(path) : QByteArray()};
}

// A device of endless zeros of the test's own, beside the files: a
// program that wrongly wrote its settings through a link to /dev/zero
// itself would, run as root, put a file in its place.
QString zeroDevice()
{
    return QFileInfo(settings::filePath()).path() + u"/zero"_s;
}

// Puts at `path` what the row asks for; `rules` are what a regular file
// holds, filled up past a megabyte for "large".
bool make(const QString &path, const QString &what, const QByteArray &rules)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    const QByteArray name = QFile::encodeName(path);
    if (what == u"pipe")
        return ::mkfifo(name.constData(), 0600) == 0;
    if (what == u"folder")
        return QDir().mkdir(path);
    if (what == u"zero")
        return ::mknod(QFile::encodeName(zeroDevice()).constData(), S_IFCHR | 0666, makedev(1, 5)) == 0 &&
               QFile::link(zeroDevice(), path);
    QByteArray large = rules;
    while (large.size() <= (1 << 20))
        large += "# " + QByteArray(78, '-') + '\n';
    return writeFile(path, large);
}

void addRows()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("why");  // part of the reason given
    QTest::newRow("a named pipe") << u"pipe"_s << u"ファイルではなく名前付きパイプです"_s;
    QTest::newRow("a folder") << u"folder"_s << u"ファイルではなくフォルダーです"_s;
    QTest::newRow("a link to a zero device") << u"zero"_s << u"ファイルではなくデバイスです"_s;
    QTest::newRow("over a megabyte") << u"large"_s << u"開けるのは 1 MB までです"_s;
}

QString noticeOf(const Editor &e)
{
    return e.window->findChild<QLabel *>(u"statusMessage"_s)->text();
}

} // namespace

class TestUserFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    void cleanup()
    {
        for (const QString &path : {settings::filePath(), prose::userListPath(), zeroDevice()}) {
            QFile::remove(path);
            QDir().rmdir(path);
        }
        // A settings file that is one again: what the refused one held in
        // memory is let go.
        settings::Stored();
    }

    void settingsThatAreNoFile_data() { addRows(); }

    // The window shows, from the defaults, and names the file; what the
    // author then changes (折り返し, a file saved and so remembered) lasts
    // while the program runs, and the file stays what it was.
    void settingsThatAreNoFile()
    {
        QFETCH(QString, what);
        QFETCH(QString, why);
        const QString path = settings::filePath();
        QVERIFY(make(path, what, "[view]\nwrap=true\nfontSize=30\n[versions]\nkeep=false\n[prose]\nvoice=false\n"));
        const Standing before = standing(path);
        Editor e;
        QVERIFY(e.window->isVisible());
        const QString notice = noticeOf(e);
        QVERIFY2(notice.startsWith(u"「"_s + path + u"」を読めません（"_s) && notice.contains(why) &&
                     notice.endsWith(u"既定の設定で始め、このファイルには書き込みません。"_s),
                 qPrintable(notice));
        QCOMPARE(settings::loadView(), settings::View{});
        QCOMPARE(versions::loadLimits(), versions::Limits{});
        QVERIFY(versions::loadKeeping());
        QCOMPARE(prose::loadRules(), prose::Rules{});
        QVERIFY(!e.action("mnu_wrap")->isChecked());

        e.action("mnu_wrap")->trigger();
        QTemporaryDir folder;
        e.dialogs->savePath = folder.filePath(u"台本.dnml"_s);
        QVERIFY(e.window->mnu_save_Click());
        QVERIFY(settings::loadView().wrap);
        QCOMPARE(settings::RecentFiles::load().paths(), QStringList{e.dialogs->savePath});
        QVERIFY(standing(path) == before);
    }

    // A settings file that is one is read and written as ever.
    void aSettingsFileIsReadAndWritten()
    {
        const QString path = settings::filePath();
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && writeFile(path, "[view]\nwrap=true\n"));
        Editor e;
        QVERIFY(e.action("mnu_wrap")->isChecked());
        QVERIFY(!settings::refusal());
        e.action("mnu_wrap")->trigger();
        QVERIFY(!readFile(path).contains("wrap=true"));
    }

    void spellingListsThatAreNoFile_data() { addRows(); }

    // The list is refused with its reason, and F7 checks the script
    // without it: no wait, no crash.
    void spellingListsThatAreNoFile()
    {
        QFETCH(QString, what);
        QFETCH(QString, why);
        const QString path = prose::userListPath();
        QVERIFY(make(path, what, u"出来る=できる\n"_s.toUtf8()));
        const Standing before = standing(path);
        const prose::UserListFile read = prose::readUserList();
        QVERIFY(read.list.empty());
        QVERIFY(read.refused);
        QVERIFY2(wording(*read.refused).startsWith(u"「"_s + path + u"」を読めません（"_s) &&
                     wording(*read.refused).contains(why),
                 qPrintable(wording(*read.refused)));

        Editor e;
        e.text()->setText(u"ゆら 「出来た」<P>"_s);
        dnml::FindingsPanel *panel = e.window->findings();
        QVERIFY(QTest::qWaitForWindowActive(e.window.get()));
        QSignalSpy checked(panel, &dnml::FindingsPanel::checked);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F7);
        QVERIFY(checked.wait(10000));
        for (const auto &finding : panel->findings())
            QVERIFY2(!finding.message.contains(u"表記の一覧"_s), qPrintable(finding.message));
        QVERIFY(standing(path) == before);
    }

    // A list that is a file is read; one that is not there is no refusal.
    void aSpellingListIsRead()
    {
        QVERIFY(!prose::readUserList().refused);
        const QString path = prose::userListPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && writeFile(path, u"出来る=できる\n"_s.toUtf8()));
        const prose::UserListFile read = prose::readUserList();
        QVERIFY(!read.refused);
        QCOMPARE(read.list, (prose::UserList{{u"出来る"_s, u"できる"_s}}));
    }
};

QTEST_MAIN(TestUserFiles)

#include "test_user_files.moc"
