// Versions through the real window: what each save keeps, the list and its
// comparison, bringing a version back as one undo step (byte for byte once
// saved), taking lines over, the keys of the dialog, named versions, a
// file saved under a new name, and damaged files named in the list.
#include "document/io_wording.h"
#include "editor.h"
#include "other_user.h"
#include "test_files.h"
#include "versions/store.h"
#include "versions/ui/comparison_view.h"
#include "versions/ui/history.h"
#include "versions/ui/versions_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>
#include <optional>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using versions::Kind;
using versions::VersionsDialog;

namespace {

// Whether the signal came, or comes within the spy's time.
bool arrived(QSignalSpy &spy)
{
    return !spy.isEmpty() || spy.wait(20'000);
}

QByteArray sjis(const QString &text)
{
    return scriptfile::encode(text).bytes;
}

// A window with a script file open, saved as the author saves.
struct Author : Editor {
    QTemporaryDir folder;
    QString path;

    explicit Author(const QString &text = u"一行目\r\n二行目\r\n三行目"_s, const QString &name = u"台本.dnml"_s)
        : path(folder.filePath(name))
    {
        writeFile(path, sjis(text));
        dialogs->openPath = path;
        window->mnu_open_Click();
    }
    versions::History &history() const { return window->history(); }
    // The whole script rewritten, as by select all and a paste.
    void rewrite(const QString &script) const
    {
        text()->select(0, text()->length());
        text()->insert(script);
    }
    // Types at the end of the script and saves in place (Ctrl+S).
    void typeAndSave(const QString &typed)
    {
        text()->setCaret(text()->length());
        type(typed);
        QVERIFY(window->mnu_overwrite_Click());
    }
    // The versions on disk once every keep is done, newest first.
    versions::Listing listing(const QString &file = {}) const
    {
        history().keeper().waitForDisk();
        return versions::Store().list(file.isEmpty() ? path : file);
    }
    // The list, open with its versions shown and its first comparison made.
    VersionsDialog *openList() const
    {
        history().keeper().waitForDisk();
        action("mnu_versions")->trigger();
        VersionsDialog *list = history().list();
        if (!list)
            return nullptr;
        QSignalSpy compared(list, &VersionsDialog::compared);
        return arrived(compared) ? list : nullptr;
    }
    // Chooses row `row` of the list and waits for its comparison.
    static bool choose(VersionsDialog *list, int row)
    {
        QSignalSpy compared(list, &VersionsDialog::compared);
        auto *rows = list->findChild<QTreeWidget *>(u"versionList"_s);
        rows->setCurrentItem(rows->topLevelItem(row));
        return arrived(compared);
    }
};

QString summaryOf(VersionsDialog *list) { return list->findChild<QLabel *>(u"comparisonSummary"_s)->text(); }

// The file that holds a text in the store.
QString storedText(const QString &path, const QString &text)
{
    return versions::Store().folderOf(path) + u'/' + QString::fromLatin1(versions::textHash(text)) + u".text"_s;
}

// Spoils a stored text as a failing disk, a careless hand or another
// program would.
bool spoil(const QString &file, const QString &how)
{
    QByteArray bytes = readFile(file);
    if (how == u"cut")
        return writeFile(file, bytes.first(bytes.size() / 2));
    if (how == u"flip") {
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x10);
        return writeFile(file, bytes);
    }
    if (how == u"folder")
        return QFile::remove(file) && QDir().mkdir(file);
    return QFile::remove(file);
}

} // namespace

class TestVersionsUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    // The file as opened is kept before the first save writes over it; each
    // save keeps what it wrote; a save of the same text adds nothing.
    void eachSaveKeepsAVersion()
    {
        Author w;
        w.typeAndSave(u"あ"_s);
        w.typeAndSave(u"い"_s);
        QVERIFY(w.window->mnu_overwrite_Click());
        const versions::Listing listing = w.listing();
        QCOMPARE(listing.versions.size(), std::size_t(3));
        QCOMPARE(listing.versions[2].kind, Kind::BeforeOverwrite);
        QCOMPARE(listing.versions[1].kind, Kind::Saved);
        QCOMPARE(versions::Store().text(w.path, listing.versions[2].text).text, u"一行目\r\n二行目\r\n三行目"_s);
        QCOMPARE(versions::Store().text(w.path, listing.versions[0].text).text, u"一行目\r\n二行目\r\n三行目あい"_s);
        QCOMPARE(listing.versions[0].linesAdded, 1);
        QCOMPARE(listing.versions[0].linesRemoved, 1);
    }

    // Another program changed the file: the next save keeps its text first.
    void aFileChangedElsewhereIsKeptBeforeItIsWrittenOver()
    {
        Author w;
        w.typeAndSave(u"あ"_s);
        QTest::qWait(20);  // a new modification time
        writeFile(w.path, sjis(u"よそで書いた"_s));
        w.dialogs->choices = {0};  // 上書き
        w.typeAndSave(u"い"_s);
        const versions::Listing listing = w.listing();
        QCOMPARE(listing.versions.size(), std::size_t(4));
        QCOMPARE(listing.versions[1].kind, Kind::BeforeOverwrite);
        QCOMPARE(versions::Store().text(w.path, listing.versions[1].text).text, u"よそで書いた"_s);
    }

    // Save, change, save, bring the first back: one undo step, unsaved, and
    // the next save writes the first file again byte for byte.
    void bringingBackIsOneUndoStepAndSavesTheSameBytes()
    {
        const QString first = u"雪が降っていた。\r\n「おはよう」\r\n終わり"_s;
        Author w(first);
        const QByteArray firstBytes = readFile(w.path);
        w.typeAndSave(u"変えた"_s);
        w.text()->setCaret(0);
        w.type(u"いま"_s);
        const QString now = w.text()->text();
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        QCOMPARE(int(list->entries().size()), 2);
        QVERIFY(Author::choose(list, 1));
        QTest::keyClick(list->findChild<QTreeWidget *>(u"versionList"_s), Qt::Key_Return);
        QTRY_COMPARE(w.text()->text(), first);
        QVERIFY(w.dialogs->questions.last().startsWith(u"以前の版|"_s));
        QVERIFY(w.window->textChanged());
        QTRY_VERIFY(!w.history().list());
        w.text()->undo();
        QCOMPARE(w.text()->text(), now);
        w.text()->redo();
        QVERIFY(w.window->mnu_overwrite_Click());
        QCOMPARE(readFile(w.path), firstBytes);
        // What stood before is a version of its own.
        QCOMPARE(w.listing().versions[1].kind, Kind::BeforeBringBack);
    }

    void answeringNoBringsNothingBack()
    {
        Author w;
        w.typeAndSave(u"あ"_s);
        VersionsDialog *list = w.openList();
        QVERIFY(list && Author::choose(list, 1));
        w.dialogs->answers = {false};
        const QString before = w.text()->text();
        QTest::keyClick(list->findChild<QTreeWidget *>(u"versionList"_s), Qt::Key_Return);
        w.history().keeper().waitForDisk();
        QCoreApplication::processEvents();
        QCOMPARE(w.text()->text(), before);
        QVERIFY(w.history().list());
    }

    // Nothing is chosen at first; Alt+↓ chooses the next stretch of
    // differences, Alt+↑ the one before, and past either end they round,
    // which the summary says; Alt+T takes the chosen stretch over, one undo
    // step, and the comparison follows.
    void differencesByKeysAndTakenOver()
    {
        Author w(u"一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九\r\n十\r\n十一\r\n十二"_s);
        w.rewrite(u"一\r\n弐\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九\r\n十\r\n十一\r\n十二\r\n十三"_s);
        QVERIFY(w.window->mnu_overwrite_Click());
        VersionsDialog *list = w.openList();
        QVERIFY(list && Author::choose(list, 1));
        versions::ComparisonView *view = list->view();
        QCOMPARE(view->comparison()->differences.size(), std::size_t(2));
        QVERIFY(!view->currentIndex().isValid() && view->chosenRows().empty());
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(view->currentIndex().row(), int(view->comparison()->differences[0]));
        QCOMPARE(view->chosenRows().size(), std::size_t(2));  // 二 and 弐
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(view->currentIndex().row(), int(view->comparison()->differences[1]));
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(view->currentIndex().row(), int(view->comparison()->differences[0]));
        QVERIFY(summaryOf(list).contains(u"最初の違いに戻りました"_s));
        QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(view->currentIndex().row(), int(view->comparison()->differences[1]));
        QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(view->currentIndex().row(), int(view->comparison()->differences[0]));
        // 二 comes back; the line added since stays.
        QSignalSpy compared(list, &VersionsDialog::compared);
        const QString before = w.text()->text();
        QTest::keyClick(list, Qt::Key_T, Qt::AltModifier);
        QCOMPARE(w.text()->text(), u"一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九\r\n十\r\n十一\r\n十二\r\n十三"_s);
        QVERIFY(arrived(compared));
        QCOMPARE(view->comparison()->differences.size(), std::size_t(1));
        QVERIFY(w.window->textChanged());
        w.text()->undo();
        QCOMPARE(w.text()->text(), before);
    }

    // Alt+T pressed while the comparison is still being made waits for it
    // and takes over its first difference.
    void takingOverBeforeTheComparisonComes()
    {
        Author w(u"一\r\n二"_s);
        w.rewrite(u"一\r\n弐"_s);
        QVERIFY(w.window->mnu_overwrite_Click());
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        QSignalSpy compared(list, &VersionsDialog::compared);
        auto *rows = list->findChild<QTreeWidget *>(u"versionList"_s);
        rows->setCurrentItem(rows->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_T, Qt::AltModifier);
        QVERIFY(arrived(compared));
        QCOMPARE(w.text()->text(), u"一\r\n二"_s);
    }

    // Against another version, nothing can be taken over; a changed line
    // shows its differing characters.
    void comparedWithAnotherVersion()
    {
        Author w(u"雪が降っていた。"_s);
        w.rewrite(u"雨が降っていた。"_s);
        QVERIFY(w.window->mnu_overwrite_Click());
        w.rewrite(u"雨が降っている。"_s);
        QVERIFY(w.window->mnu_overwrite_Click());
        VersionsDialog *list = w.openList();
        QVERIFY(list && Author::choose(list, 2));
        QSignalSpy compared(list, &VersionsDialog::compared);
        auto *against = list->findChild<QComboBox *>(u"comparedWith"_s);
        against->setCurrentIndex(2);  // the version in the middle
        QVERIFY(arrived(compared));
        QVERIFY(!list->findChild<QPushButton *>(u"takeOver"_s)->isEnabled());
        const versions::Comparison *c = list->view()->comparison();
        QCOMPARE(c->rows.size(), std::size_t(2));
        QCOMPARE(c->text(c->rows[0]).sliced(c->spansOf(c->rows[0])[0].start, 1), u"雪"_s);
        QCOMPARE(c->text(c->rows[1]).sliced(c->spansOf(c->rows[1])[0].start, 1), u"雨"_s);
    }

    // Inside the dialog every access key is its own, and none is one of
    // the menu bar's; the two menu items have theirs.
    void theDialogsAccessKeys()
    {
        Author w;
        w.typeAndSave(u"あ"_s);
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        QList<QChar> keys;
        const auto take = [&keys](const QString &caption) {
            if (const qsizetype amp = caption.indexOf(u'&'); amp >= 0)
                keys << caption.at(amp + 1).toUpper();
        };
        for (const QAbstractButton *button : list->findChildren<QAbstractButton *>())
            take(button->text());
        for (const QLabel *label : list->findChildren<QLabel *>())
            take(label->text());
        for (const QChar key : keys)
            QVERIFY2(!u"FIHESV"_s.contains(key), qPrintable(QString(key)));
        QCOMPARE(QSet<QChar>(keys.begin(), keys.end()).size(), keys.size());
        QCOMPARE(QSet<QChar>(keys.begin(), keys.end()), (QSet<QChar>{u'R', u'T', u'L', u'C', u'D'}));
        QCOMPARE(w.action("mnu_versions")->text(), u"以前の版(&H)"_s);
        QCOMPARE(w.action("mnu_name_version")->text(), u"版に名前を付けて保存(&N)"_s);
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!w.history().list());
    }

    void aNamedVersion()
    {
        Author w;
        w.history().questions().note = [](const QString &, const QString &) { return std::optional(u" 初稿 "_s); };
        w.type(u"まだ保存していない"_s);
        w.action("mnu_name_version")->trigger();
        const versions::Listing listing = w.listing();
        QCOMPARE(listing.versions.size(), std::size_t(1));
        QCOMPARE(listing.versions[0].kind, Kind::Named);
        QCOMPARE(listing.versions[0].note, u"初稿"_s);
        QCOMPARE(versions::Store().text(w.path, listing.versions[0].text).text, w.text()->text());
        QCoreApplication::processEvents();
        QVERIFY(w.window->findChild<QLabel *>(u"statusMessage"_s)->text().contains(u"名前を付けた版"_s));
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        QCOMPARE(list->findChild<QTreeWidget *>(u"versionList"_s)->topLevelItem(0)->text(1), u"名前: 初稿"_s);
    }

    // A script never saved has no versions: both items say so.
    void anUnsavedScriptHasNone()
    {
        Editor e;
        e.action("mnu_versions")->trigger();
        e.action("mnu_name_version")->trigger();
        QCOMPARE(e.dialogs->warnings.size(), 2);
        QVERIFY(!e.window->history().list());
    }

    // Saved under a new name, the file's list holds its own version and,
    // under it, those of the file it came from.
    void savedUnderANewName()
    {
        Author w;
        w.typeAndSave(u"あ"_s);
        w.dialogs->savePath = w.folder.filePath(u"別名.dnml"_s);
        QVERIFY(w.window->mnu_save_Click());
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        QCOMPARE(int(list->entries().size()), 3);
        QCOMPARE(list->entries()[0].file, w.dialogs->savePath);
        QCOMPARE(list->entries()[1].file, w.path);
        QVERIFY(list->findChild<QTreeWidget *>(u"versionList"_s)->topLevelItem(1)->text(1).contains(u"元のファイル「台本.dnml」"_s));
    }

    void aDamagedFileIsNamedInTheList()
    {
        Author w;
        w.typeAndSave(u"あ"_s);
        w.history().keeper().waitForDisk();
        writeFile(versions::Store().folderOf(w.path) + u"/落書き.txt"_s, "x");
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        QCOMPARE(int(list->entries().size()), 2);
        auto *problems = list->findChild<QLabel *>(u"versionProblems"_s);
        QVERIFY(problems->isVisibleTo(list));
        QVERIFY2(problems->text().contains(u"落書き.txt"_s), qPrintable(problems->text()));
    }

    // A stored text damaged between saves (cut short, a bit flipped,
    // replaced by a folder, removed) is written afresh by the next save
    // that keeps the same text, whether the newest version holds it or an
    // older one: that save's row compares, and brings the text back.
    void aDamagedTextIsWrittenAfreshByTheNextSave_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("newest");  // the text saved again is the newest version's
        for (const QString &how : {u"cut"_s, u"flip"_s, u"folder"_s, u"removed"_s}) {
            QTest::addRow("%s, the newest version's text saved again", qPrintable(how)) << how << true;
            QTest::addRow("%s, an older version's text saved again", qPrintable(how)) << how << false;
        }
    }

    void aDamagedTextIsWrittenAfreshByTheNextSave()
    {
        QFETCH(QString, how);
        QFETCH(bool, newest);
        Author w;
        w.typeAndSave(u"あ"_s);
        const QString again = w.text()->text();
        if (!newest)
            w.typeAndSave(u"い"_s);
        w.history().keeper().waitForDisk();
        QVERIFY(spoil(storedText(w.path, again), how));
        QSignalSpy said(&w.history(), &versions::History::message);
        w.rewrite(again);
        QVERIFY(w.window->mnu_overwrite_Click());
        const versions::Listing listing = w.listing();
        QVERIFY(listing.problems.empty());
        QCOMPARE(listing.versions[0].text, versions::textHash(again));
        QCOMPARE(said.size(), 0);
        w.type(u"後で書いた"_s);
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        QVERIFY2(list->view()->comparison(), qPrintable(summaryOf(list)));
        QCOMPARE(list->findChild<QTreeWidget *>(u"versionList"_s)->topLevelItem(0)->text(1), u"保存"_s);
        QTest::keyClick(list->findChild<QTreeWidget *>(u"versionList"_s), Qt::Key_Return);
        QTRY_COMPARE(w.text()->text(), again);
    }

    // A save whose version cannot be kept says so in the notices, every
    // time, with the reason: here the text's place is taken by a folder
    // that holds a file, which is not the program's to remove.
    void aVersionThatCannotBeKeptIsSaidAtEverySave()
    {
        Author w;
        w.typeAndSave(u"あ"_s);
        w.type(u"い"_s);
        w.history().keeper().waitForDisk();
        const QString blocked = storedText(w.path, w.text()->text());
        QVERIFY(QDir().mkpath(blocked) && writeFile(blocked + u"/メモ.txt"_s, "x"));
        QSignalSpy said(&w.history(), &versions::History::message);
        for (int save = 1; save <= 2; ++save) {
            QVERIFY(w.window->mnu_overwrite_Click());
            w.history().keeper().waitForDisk();
            QTRY_COMPARE(said.size(), save);
            const QString notice = said.last().first().toString();
            QVERIFY2(notice.contains(u"台本.dnml」の版を残せませんでした。"_s) && notice.contains(u"フォルダー"_s),
                     qPrintable(notice));
            QCOMPARE(w.window->findChild<QLabel *>(u"statusMessage"_s)->text(), notice);
        }
    }

    // A list whose folder cannot be read says that it cannot, and why; it
    // never says there are no versions yet.
    void aListThatCannotBeReadSaysWhy_data()
    {
        QTest::addColumn<QString>("shut");
        QTest::addColumn<QString>("why");
        QTest::newRow("the file's folder, unreadable to its user") << u"unreadable"_s << QString::fromLocal8Bit(std::strerror(EACCES));
        QTest::newRow("the versions folder, open to other users") << u"open"_s << u"ほかのユーザーも入れます"_s;
    }

    void aListThatCannotBeReadSaysWhy()
    {
        QFETCH(QString, shut);
        QFETCH(QString, why);
        Author w;
        w.typeAndSave(u"あ"_s);
        w.history().keeper().waitForDisk();
        const QString folder = versions::Store().folderOf(w.path);
        const QString root = versions::folderPath();
        std::optional<AsAnotherUser> other;
        if (shut == u"unreadable") {
            other.emplace(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
            QVERIFY2(other->switched, "no other user to be");
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0) == 0);
        } else {
            QVERIFY(::chmod(QFile::encodeName(root).constData(), 0755) == 0);
        }
        w.action("mnu_versions")->trigger();
        VersionsDialog *list = w.history().list();
        QVERIFY(list);
        QSignalSpy listed(list, &VersionsDialog::listed);
        QVERIFY(arrived(listed));
        const QString summary = summaryOf(list);
        QVERIFY(::chmod(QFile::encodeName(shut == u"unreadable" ? folder : root).constData(), 0700) == 0);
        other.reset();
        QVERIFY2(summary.startsWith(u"「台本.dnml」の版を読めませんでした。"_s) && summary.contains(why), qPrintable(summary));
        QVERIFY(!summary.contains(u"まだありません"_s));
        QVERIFY(list->entries().empty());
        QVERIFY(!list->findChild<QPushButton *>(u"bringBack"_s)->isEnabled());
    }

    // A line naming a long path (the reason a comparison failed) has the
    // path shortened in its middle, and a long line (a long file name)
    // wraps: the dialog stays on the screen, 閉じる in view.
    void longLinesStayOnTheScreen_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("a comparison that failed, naming a long path") << u"compared"_s;
        QTest::newRow("a list that cannot be read, of a script with a long name") << u"listed"_s;
    }

    void longLinesStayOnTheScreen()
    {
        QFETCH(QString, line);
        const QString name = line == u"listed" ? QString(60, QChar(u'長')) + u".dnml"_s : u"台本.dnml"_s;
        Author w(u"一行目"_s, name);
        w.typeAndSave(u"あ"_s);
        w.typeAndSave(u"い"_s);
        w.history().keeper().waitForDisk();
        const QString damaged = storedText(w.path, w.text()->text());
        VersionsDialog *list = nullptr;
        if (line == u"compared") {
            QVERIFY(damaged.size() > 120);
            QVERIFY(spoil(damaged, u"cut"_s));
            list = w.openList();
            QVERIFY(list);
            const QString summary = summaryOf(list);
            QVERIFY2(summary.startsWith(u"比べられません: "_s) && summary.contains(u"…"_s) &&
                         summary.contains(QFileInfo(damaged).fileName().right(30)),
                     qPrintable(summary));
        } else {
            QVERIFY(::chmod(QFile::encodeName(versions::folderPath()).constData(), 0755) == 0);
            w.action("mnu_versions")->trigger();
            list = w.history().list();
            QVERIFY(list);
            QSignalSpy listed(list, &VersionsDialog::listed);
            QVERIFY(arrived(listed));
            QVERIFY(::chmod(QFile::encodeName(versions::folderPath()).constData(), 0700) == 0);
            QVERIFY2(summaryOf(list).contains(name), qPrintable(summaryOf(list)));
        }
        list->layout()->activate();
        QVERIFY2(list->minimumSizeHint().width() <= 640, qPrintable(QString::number(list->minimumSizeHint().width())));
        QVERIFY(list->screen()->availableGeometry().contains(list->frameGeometry()));
        auto *close = list->findChild<QPushButton *>(u"closeVersions"_s);
        QVERIFY(close->isVisible());
        QVERIFY(list->rect().contains(QRect(close->mapTo(list, QPoint()), close->size())));
    }

    // The first Alt+↓ chooses the first difference, wherever the focus is
    // and wherever the difference stands, the first line included.
    void theFirstAltDownChoosesTheFirstDifference_data()
    {
        QTest::addColumn<QString>("now");
        QTest::addColumn<bool>("inComparison");  // the focus in the comparison rather than in the list
        const QString firstChanged = u"壱\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九"_s;
        const QString middleChanged = u"一\r\n二\r\n三\r\n四\r\n伍\r\n六\r\n七\r\n八\r\n九"_s;
        QTest::newRow("the first line changed, from the list") << firstChanged << false;
        QTest::newRow("the first line changed, from the comparison") << firstChanged << true;
        QTest::newRow("a middle line changed, from the comparison") << middleChanged << true;
    }

    void theFirstAltDownChoosesTheFirstDifference()
    {
        QFETCH(QString, now);
        QFETCH(bool, inComparison);
        Author w(u"一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九"_s);
        QVERIFY(w.window->mnu_overwrite_Click());
        w.rewrite(now);
        VersionsDialog *list = w.openList();
        QVERIFY(list);
        versions::ComparisonView *view = list->view();
        QVERIFY(view->chosenRows().empty());
        if (inComparison)
            view->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        const qsizetype first = view->comparison()->differences.front();
        QCOMPARE(view->currentIndex().row(), int(first));
        QCOMPARE(view->chosenRows().front(), first);
        QVERIFY(!summaryOf(list).contains(u"戻りました"_s));
    }

    void keepingOffKeepsNothing()
    {
        Author w;
        w.history().setKeeping(false);
        w.typeAndSave(u"あ"_s);
        QVERIFY(w.listing().versions.empty());
    }
};

QTEST_MAIN(TestVersionsUi)

#include "test_versions_ui.moc"
