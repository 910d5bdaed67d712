// Versions through the real window: what each save keeps, the list and its
// comparison, bringing a version back as one undo step (byte for byte once
// saved), taking lines over, the keys of the dialog, named versions, a
// file saved under a new name, and damaged files named in the list.
#include "editor.h"
#include "test_files.h"
#include "versions/store.h"
#include "versions/ui/comparison_view.h"
#include "versions/ui/history.h"
#include "versions/ui/versions_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

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
    QString path = folder.filePath(u"台本.dnml"_s);

    explicit Author(const QString &text = u"一行目\r\n二行目\r\n三行目"_s)
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

    // Alt+↓ chooses the next stretch of differences, Alt+↑ the one before,
    // and past either end they round, which the summary says; Alt+T takes
    // the chosen stretch over, one undo step, and the comparison follows.
    void differencesByKeysAndTakenOver()
    {
        Author w(u"一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九\r\n十\r\n十一\r\n十二"_s);
        w.rewrite(u"一\r\n弐\r\n三\r\n四\r\n五\r\n六\r\n七\r\n八\r\n九\r\n十\r\n十一\r\n十二\r\n十三"_s);
        QVERIFY(w.window->mnu_overwrite_Click());
        VersionsDialog *list = w.openList();
        QVERIFY(list && Author::choose(list, 1));
        versions::ComparisonView *view = list->view();
        QCOMPARE(view->comparison()->differences.size(), std::size_t(2));
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
