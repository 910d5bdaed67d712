// The outline panel through the real main window on the offscreen
// platform: Ctrl+Shift+O, the filter, jumps, the item and the stage that
// follow the caret, the counts of the selection, the CSV through the
// dialog seam, and the panel waiting for the survey of an edited text.
#include "editor.h"
#include "outline/ui/outline_panel.h"
#include "test_files.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// Two sections, each with a scene, and a heading; line numbers from 1.
const QString story = u"<!-- 前書き -->\r\n"                      // 1
                      u"<BACKGROUND SRC=\"駅のホーム\">\r\n"      // 2
                      u"雪が降っていた。<P>\r\n"                  // 3
                      u"<!-- 本編 -->\r\n"                        // 4
                      u"<BACKGROUND COLOR=\"#000000\">\r\n"       // 5
                      u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\">\r\n"  // 6
                      u"ゆら 「うん」<P>\r\n"                     // 7
                      u"終わり\r\n"                              // 8
                      u"<!-- ■本編の終わり -->"_s;                // 9

struct Panel {
    Editor editor;
    outline::OutlinePanel *panel = nullptr;
    QLineEdit *filter = nullptr;
    QTreeView *list = nullptr;
    QLabel *stage = nullptr;
    QTreeWidget *counts = nullptr;

    // Opens the panel on `text` by Ctrl+Shift+O and waits for its survey,
    // unless told not to.
    explicit Panel(const QString &text, bool wait = true)
    {
        editor.text()->setText(text);
        QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
        QVERIFY(!editor.window->outline());  // built when first asked for
        ctrlShiftO();
        panel = editor.window->outline();
        filter = panel->findChild<QLineEdit *>(u"outlineFilter"_s);
        list = panel->findChild<QTreeView *>(u"outlineList"_s);
        stage = panel->findChild<QLabel *>(u"stage"_s);
        counts = panel->findChild<QTreeWidget *>(u"counts"_s);
        QSignalSpy surveyed(panel, &outline::OutlinePanel::surveyed);
        QVERIFY(!wait || surveyed.wait(5000));
    }

    // The shortcut, pressed wherever the focus is.
    void ctrlShiftO() const
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    }

    // The caret to the start of a line (1-based), as a key would move it.
    void caretTo(int line) const
    {
        QTextCursor cursor(editor.text()->document()->findBlockByNumber(line - 1));
        editor.text()->setTextCursor(cursor);
        QCoreApplication::processEvents();
    }
    int caretLine() const { return editor.text()->textCursor().blockNumber() + 1; }
    QString currentItem() const
    {
        const QModelIndex row = list->currentIndex();
        return row.isValid() ? row.siblingAtColumn(0).data().toString() + u' ' + row.siblingAtColumn(2).data().toString()
                             : QString();
    }
    // The counts table's row `name`: "全体 | 場面 | 選択".
    QString countsOf(const QString &name) const
    {
        const QList<QTreeWidgetItem *> rows = counts->findItems(name, Qt::MatchExactly);
        return rows.isEmpty() ? QString() : QStringList{rows[0]->text(1), rows[0]->text(2), rows[0]->text(3)}.join(u" | "_s);
    }
};

} // namespace

class TestOutlinePanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    void ctrlShiftOFocusesTheFilterAndEscapeGoesBack();
    void filterAndReturnLandOnTheItemsLine_data();
    void filterAndReturnLandOnTheItemsLine();
    void itemStageAndCountsFollowTheCaret();
    void figuresStandUnderTheirHeadings();
    void anEditedTextWaitsForItsSurvey();
    void aJumpAskedDuringAnEditGoesWhereTheItemIsNow();
    void returnBeforeTheFirstSurveyWaitsForIt();
    void csvThroughTheDialog();
};

void TestOutlinePanel::ctrlShiftOFocusesTheFilterAndEscapeGoesBack()
{
    Panel p(story);
    QVERIFY(p.panel->isVisible());
    QCOMPARE(QApplication::focusWidget(), p.filter);
    QCOMPARE(p.list->model()->rowCount(), 5);
    QTest::keyClick(p.filter, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), p.editor.text());
    QVERIFY(p.panel->isVisible());  // it stays open, following the caret
    // Again: the filter's text is selected, so that typing replaces it.
    typeInto(p.filter, u"x"_s);
    p.ctrlShiftO();
    QCOMPARE(QApplication::focusWidget(), p.filter);
    QCOMPARE(p.filter->selectedText(), u"x"_s);
}

void TestOutlinePanel::filterAndReturnLandOnTheItemsLine_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("line");

    QTest::newRow("a section's name, Return: the first match") << 1 << u"本編"_s << 0 << 4;
    QTest::newRow("the first match, though the caret is under a later one") << 9 << u"本編"_s << 0 << 4;
    QTest::newRow("Down goes to the next match") << 1 << u"本編"_s << 1 << 9;
    QTest::newRow("a scene by a part of its name") << 1 << u"黒画"_s << 0 << 5;
    QTest::newRow("no filter: Down from the item holding the caret") << 3 << u""_s << 1 << 4;
    QTest::newRow("Down past the matches stays on the last") << 1 << u"の"_s << 3 << 9;
}

void TestOutlinePanel::filterAndReturnLandOnTheItemsLine()
{
    QFETCH(int, caret);
    QFETCH(QString, typed);
    QFETCH(int, downs);
    QFETCH(int, line);
    Panel p(story);
    p.caretTo(caret);
    p.ctrlShiftO();
    typeInto(p.filter, typed);
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(p.filter, Qt::Key_Down);
    QTest::keyClick(p.filter, Qt::Key_Return);
    QCOMPARE(p.caretLine(), line);
    QCOMPARE(p.editor.text()->textCursor().positionInBlock(), 0);
    QCOMPARE(QApplication::focusWidget(), p.editor.text());
}

void TestOutlinePanel::itemStageAndCountsFollowTheCaret()
{
    Panel p(story);
    p.editor.text()->setFocus();
    p.caretTo(8);
    QCOMPARE(p.currentItem(), u"5 黒画面"_s);
    QCOMPARE(QApplication::focusWidget(), p.editor.text());
    QCOMPARE(p.stage->text(), u"舞台 ― 背景: 黒画面　人: 星野ゆら（ゆら／コート・少し横向・普通）　音楽: なし　CURTAIN: なし"_s);
    QCOMPARE(p.countsOf(u"合計"_s), u"17字 3行 | 9字 2行 | -"_s);
    QCOMPARE(p.countsOf(u"星野ゆら"_s), u"6字 1行 | 6字 1行 | -"_s);
    p.caretTo(3);
    QCOMPARE(p.currentItem(), u"2 駅のホーム"_s);
    QCOMPARE(p.stage->text(), u"舞台 ― 背景: 駅のホーム　音楽: なし　CURTAIN: なし"_s);
    // A selection from the middle of line 3 into line 7.
    QTextCursor cursor = p.editor.text()->textCursor();
    cursor.setPosition(cursor.position() + 2);
    cursor.setPosition(p.editor.text()->document()->findBlockByNumber(6).position() + 4, QTextCursor::KeepAnchor);
    p.editor.text()->setTextCursor(cursor);
    QCoreApplication::processEvents();
    // The scene is the caret's, at the selection's far end.
    QCOMPARE(p.countsOf(u"合計"_s), u"17字 3行 | 9字 2行 | 9字 2行"_s);
    QCOMPARE(p.countsOf(u"地の文"_s), u"11字 2行 | 3字 1行 | 6字 1行"_s);
    QCOMPARE(p.countsOf(u"原稿用紙"_s), u"1枚 | 1枚 | 1枚"_s);
}

// Each figure right-aligned under its heading, also right-aligned, in a
// column as wide as what it holds: none pushed to the panel's far edge.
void TestOutlinePanel::figuresStandUnderTheirHeadings()
{
    Panel p(story);
    p.caretTo(8);
    QTextCursor cursor = p.editor.text()->textCursor();
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    p.editor.text()->setTextCursor(cursor);
    QCoreApplication::processEvents();
    const QHeaderView *header = p.counts->header();
    for (int column = 1; column < 4; ++column) {
        const Qt::Alignment heading = Qt::Alignment(p.counts->headerItem()->textAlignment(column));
        QVERIFY2(heading & Qt::AlignRight, qPrintable(p.counts->headerItem()->text(column)));
        const int contents = std::max(static_cast<QAbstractItemView *>(p.counts)->sizeHintForColumn(column),
                                      header->sectionSizeHint(column));
        QVERIFY2(header->sectionSize(column) <= contents + 8,
                 qPrintable(u"%1: %2 px for %3 px of figures"_s.arg(p.counts->headerItem()->text(column))
                                .arg(header->sectionSize(column))
                                .arg(contents)));
        for (int row = 0; row < p.counts->topLevelItemCount(); ++row)
            QVERIFY(Qt::Alignment(p.counts->topLevelItem(row)->textAlignment(column)) & Qt::AlignRight);
    }
}

void TestOutlinePanel::anEditedTextWaitsForItsSurvey()
{
    Panel p(story);
    p.editor.text()->setFocus();
    p.caretTo(1);
    const QString stageBefore = p.stage->text();
    p.editor.text()->insert(u"<BGM SRC=\"Snow Drop\">\r\n<!-- ■結び -->\r\n"_s);
    p.caretTo(10);
    // Until the survey of this text comes, the panel shows the last one as
    // it was: the last survey's line 10 is another line now.
    QCOMPARE(p.list->model()->rowCount(), 5);
    QCOMPARE(p.currentItem(), u"1 前書き"_s);
    QCOMPARE(p.stage->text(), stageBefore);
    QSignalSpy surveyed(p.panel, &outline::OutlinePanel::surveyed);
    QVERIFY(surveyed.wait(5000));
    QCOMPARE(p.list->model()->rowCount(), 6);
    QCOMPARE(p.currentItem(), u"7 黒画面"_s);
    QVERIFY(p.stage->text().contains(u"音楽: Snow Drop"_s));
    QCOMPARE(p.countsOf(u"合計"_s), u"17字 3行 | 9字 2行 | -"_s);
}

void TestOutlinePanel::aJumpAskedDuringAnEditGoesWhereTheItemIsNow()
{
    Panel p(story);
    p.caretTo(1);
    p.editor.text()->insert(u"一行\r\n二行\r\n"_s);
    p.ctrlShiftO();
    typeInto(p.filter, u"本編"_s);
    QTest::keyClick(p.filter, Qt::Key_Return);
    QTRY_COMPARE(p.caretLine(), 6);
    QCOMPARE(QApplication::focusWidget(), p.editor.text());
}

void TestOutlinePanel::returnBeforeTheFirstSurveyWaitsForIt()
{
    Panel p(story, false);
    typeInto(p.filter, u"本編"_s);
    QTest::keyClick(p.filter, Qt::Key_Return);
    QTRY_COMPARE(p.caretLine(), 4);
    QCOMPARE(QApplication::focusWidget(), p.editor.text());
}

void TestOutlinePanel::csvThroughTheDialog()
{
    QTemporaryDir folder;
    Panel p(story);
    QPushButton *button = p.panel->findChild<QPushButton *>(u"countsCsv"_s);
    p.editor.dialogs->csvPath = folder.filePath(u"文字数.csv"_s);
    button->click();
    QCOMPARE(readFile(p.editor.dialogs->csvPath),
             QByteArray("\xEF\xBB\xBF") + u"話者,行数,文字数,原稿用紙(枚)\r\n地の文,2,11,1\r\n星野ゆら,1,6,1\r\n合計,3,17,1\r\n"_s.toUtf8());
    p.editor.dialogs->csvPath = folder.filePath(u"無い/文字数.csv"_s);
    button->click();
    QCOMPARE(p.editor.dialogs->warnings.size(), 1);
    QVERIFY(p.editor.dialogs->warnings[0].contains(u"無い/文字数.csv」に書き出せませんでした"_s));
    p.editor.dialogs->csvPath = QString();  // cancelled: nothing written, nothing said
    button->click();
    QCOMPARE(p.editor.dialogs->csvsAsked, 3);
    QCOMPARE(p.editor.dialogs->warnings.size(), 1);
}

QTEST_MAIN(TestOutlinePanel)
#include "test_outline_panel.moc"
