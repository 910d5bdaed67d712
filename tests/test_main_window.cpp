// The main window through its real widgets, found by name: start-up, the
// layout, the changed flag and the close prompt, script files, the two
// options, the dialogue buttons and the section scaffolds.
#include "app/dialogs.h"
#include "app/main_window.h"
#include "assets/ui/asset_list.h"
#include "assets/ui/palette.h"
#include "editor/script_edit.h"
#include "editor/status_line.h"
#include "recovery/journal.h"
#include "catalogues/catalogue.h"
#include "document/settings.h"
#include "document/script_file.h"
#include "editor.h"
#include "search/ui/search_bar.h"
#include "test_files.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QTextBlock>
#include <QDir>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSplitter>
#include <QStyleOptionButton>
#include <QTranslator>
#include <QTreeView>
#include <QInputMethodEvent>
#include <QStandardPaths>

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <QClipboard>
#include <QScopeGuard>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Where a widget stands in the window's client area, whatever frame holds it.
QRect inClient(const QWidget *widget)
{
    const QWidget *client = widget->window()->findChild<QWidget *>(QStringLiteral("client"));
    return QRect(widget->mapTo(client, QPoint(0, 0)), widget->size());
}

const QString crlf = QStringLiteral("\r\n");

// Drags a splitter's handle `pixels` up with the mouse.
void dragUp(QSplitterHandle *handle, int pixels)
{
    const QPoint grip = handle->rect().center();
    const QPoint up = grip - QPoint(0, pixels);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(up), handle->mapToGlobal(QPointF(up)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, up);
}

// The starting document, line by line as an author reads it.
QString startingDocument()
{
    const QStringList lines = {
        QStringLiteral("<COVER"),
        QStringLiteral(u" TITLE = \"任意のタイトル入力\""),
        QStringLiteral(u" AUTHOR = \"作者の名前\""),
        QStringLiteral(u" MAIL = \"メールアドレス\""),
        QStringLiteral(u" HP = \"ホームページ\""),
        QStringLiteral(u" DATE = \"製作日\""),
        QStringLiteral(u" GENRE = \"ORVEN\""),
        QStringLiteral(u" COMMENT =\"一言コメント\""),
        QStringLiteral(">"),
        QString(),
        QStringLiteral(u"<INCLUDE SRC=\"環境設定.dnml\"FOLDER=\"PLAYER\">"),
        QStringLiteral(u"<INCLUDE SRC=\"orven\\テンプレート.dnml\"FOLDER=\"PLAYER\">"),
        QString(),
        QStringLiteral(u"<TITLE ALT=\"任意のタイトル\">"),
        QString(),
        QStringLiteral(u"<ENTER NAME=\"人\">"),
    };
    return lines.join(crlf) + crlf;
}

using Action = std::function<void(Editor &)>;

// The program's own interface font for as long as it lives, `scale` times
// its size (a desktop that draws letters at 150 % gives 1.5).
struct InterfaceFont {
    QFont before = QApplication::font();
    explicit InterfaceFont(qreal scale = 1)
    {
        QFont font = interfaceFont();
        font.setPointSizeF(font.pointSizeF() * scale);
        QApplication::setFont(font);
    }
    ~InterfaceFont() { QApplication::setFont(before); }
};

// Picks row `row` of picker Form<form> as an author does: the row chosen
// from the dropped-down list, then OK.
Action pick(int form, int row)
{
    return [form, row](Editor &e) {
        e.window->launch(pickerNumbered(form));
        auto *combo = e.picker(form)->findChild<PickerCombo *>(u"Combo1"_s);
        combo->showPopup();
        combo->view()->setCurrentIndex(combo->view()->model()->index(row, 0));
        QTest::keyClick(combo->view(), Qt::Key_Return);
        e.picker(form)->Command1_Click();
    };
}

} // namespace

Q_DECLARE_METATYPE(Action)

Q_DECLARE_METATYPE(std::deque<int>)
Q_DECLARE_METATYPE(std::deque<bool>)

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    // Each test starts with nothing remembered: no recent files, the usual view.
    void init()
    {
        QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      u"/scrivlet/scrivlet.conf"_s);
    }
    void startsWithTheDocumentCaretAtItsEndUnchanged();
    void controlsCarryTheirNamesAndCaptions_data();
    void controlsCarryTheirNamesAndCaptions();
    void menusStandInOrderWithUniqueAccessKeys();
    void noAccessKeyInTheWindowRepeatsTheMenuBars();
    void buttonRowKeepsItsPlaceAndTextFollowsTheWindow();
    void captionsFitTheirButtons_data();
    void captionsFitTheirButtons();
    void eachInsertionIsOneUndoStepAndOneJournalRecord_data();
    void eachInsertionIsOneUndoStepAndOneJournalRecord();
    void noticesAreSeenBesideTheCaretAndTheFile();
    void theFactsStayInSightWhileANoticeIsUp_data();
    void theFactsStayInSightWhileANoticeIsUp();
    void zoomKeepsTheCaretInView_data();
    void zoomKeepsTheCaretInView();
    void listsAreInTheScriptsLetters_data();
    void listsAreInTheScriptsLetters();
    void fileTypesAreNamedInJapanese();
    void blanksAreMarkedOverTheTextAlone();
    void panelsUnderTheTextTakeTheirHeightWhileShown();
    void panelsKeepTheHeightTheyWereDraggedTo();
    void text1KeepsAThirdOrEightLinesWhateverIsOpen_data();
    void text1KeepsAThirdOrEightLinesWhateverIsOpen();
    void tabVisitsButtonsAndTextInOrder();
    void closingWithEverythingOpenLeavesNothingBehind();
    void changesSetTheFlagAndNothingElseDoes_data();
    void changesSetTheFlagAndNothingElseDoes();
    void closePrompt_data();
    void closePrompt();
    void openedFileBecomesTheTextAndSavesBack_data();
    void openedFileBecomesTheTextAndSavesBack();
    void savedStartingDocumentIs335Bytes();
    void openingCountsAsAChangeEvenOfAnEmptyText();
    void cancelledDialogsChangeNothing();
    void failedOpenKeepsTextAndSays_data();
    void failedOpenKeepsTextAndSays();
    void failedSaveKeepsFlagFileAndSays_data();
    void failedSaveKeepsFlagFileAndSays();
    void unencodableTextIsNotSaved();
    void lookAlikesGoInAsTheFileWillHoldThem_data();
    void lookAlikesGoInAsTheFileWillHoldThem();
    void filesFromElsewhereOpenAsTheAuthorSays_data();
    void filesFromElsewhereOpenAsTheAuthorSays();
    void savingOverAFileChangedOnDiskAsksFirst_data();
    void savingOverAFileChangedOnDiskAsksFirst();
    void aChangeOnDiskIsToldWhenTheWindowComesBack();
    void overwriteSavesInPlaceWithNoDialog();
    void recentFilesOpenAndForgetTheMissing();
    void viewSettingsLastFromOneStartToTheNext();
    void statusLineFollowsTheCaretAndTheFile();
    void badBytesOpenMarkedAndCannotBeSavedUnmended();
    void openOverUnsavedEditsAsksFirst_data();
    void openOverUnsavedEditsAsksFirst();
    void installTypeKeepsExactlyOneCheck();
    void nameDisplaySwitchesCaptionAndColour();
    void dialogueSkeletons_data();
    void dialogueSkeletons();
    void sectionScaffolds_data();
    void sectionScaffolds();
    void simpleScaffoldsLeaveTheFocusAlone();
};

void TestMainWindow::startsWithTheDocumentCaretAtItsEndUnchanged()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QCOMPARE(editor.window->objectName(), QStringLiteral("Form1"));
    QCOMPARE(editor.window->windowTitle(), QStringLiteral("Scrivlet(ORVEN)"));
    QCOMPARE(editor.text()->text(), startingDocument());
    QCOMPARE(editor.text()->length(), 279);
    QCOMPARE(editor.text()->caret(), 279);
    QCOMPARE(QApplication::focusWidget(), editor.text());
    QVERIFY(!editor.window->textChanged());
    QCOMPARE(editor.window->installType(), markup::InstallType::Adult);
    QVERIFY(editor.window->nameDisplayOn());
    // Nothing edited: the window closes without a question.
    QVERIFY(editor.window->close());
    QVERIFY(editor.dialogs->questions.isEmpty());
}

void TestMainWindow::controlsCarryTheirNamesAndCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");  // button text, tooltip of a picture button, or item text

    const QStringList castButtons = {
        QStringLiteral(u"Command1|星野ゆら"),   QStringLiteral(u"Command2|白石ちとせ"), QStringLiteral(u"Command3|白石晴美"),
        QStringLiteral(u"Command4|朝倉凛"),     QStringLiteral(u"Command5|高峰小夜子"), QStringLiteral(u"Command6|柚木真白"),
        QStringLiteral(u"Command7|宮下紗雪"),   QStringLiteral(u"Command8|桐原千景"),   QStringLiteral(u"Command9|桐原しずく"),
        QStringLiteral(u"Command10|森本航"),
    };
    for (const QString &row : castButtons)
        QTest::newRow(qPrintable(u"cast button "_s + row)) << row.section(u'|', 0, 0) << row.section(u'|', 1);
    const QStringList others = {
        QStringLiteral(u"Command12|<INDENT>「」付挿入"), QStringLiteral(u"Command13|人物名表示"),
        QStringLiteral(u"Command14|音楽挿入"),           QStringLiteral(u"Command15|場所挿入"),
        QStringLiteral(u"Command16|効果音挿入"),         QStringLiteral(u"Command17|「」<P>挿入"),
        QStringLiteral(u"mnu_open|開く(&O)"),            QStringLiteral(u"mnu_save|保存(&S)"),
        QStringLiteral(u"mnu_exit|終了(&X)"),            QStringLiteral(u"mnu_insto_type_0|18禁(&K)"),
        QStringLiteral(u"mnu_insto_type_1|全年齢(&Z)"),  QStringLiteral(u"mnu_maegaki|前書き(&X)"),
        QStringLiteral(u"mnu_taitlecall|タイトルコール(&Q)"), QStringLiteral(u"mnu_honpen|本編(&M)"),
        QStringLiteral(u"mnu_atogaki|後書き(&N)"),       QStringLiteral(u"mnu_demo|デモCG他(&D)"),
        QStringLiteral(u"mnu_hosino|星野ゆら(&H)"),      QStringLiteral(u"mnu_chitose|白石ちとせ(&C)"),
        QStringLiteral(u"mnu_sizuku|桐原しずく(&S)"),    QStringLiteral(u"mnu_rin|朝倉凛(&R)"),
        QStringLiteral(u"mnu_yuzuki|柚木真白(&Y)"),      QStringLiteral(u"mnu_file|ファイル(&F)"),
        QStringLiteral(u"mnu_type|インストールタイプ(&I)"), QStringLiteral(u"mnu_sengen|文頭宣言(&H)"),
        QStringLiteral(u"mnu_event_cg|イベントCG挿入(&E)"),
    };
    for (const QString &row : others)
        QTest::newRow(qPrintable(row.section(u'|', 0, 0))) << row.section(u'|', 0, 0) << row.section(u'|', 1);
}

void TestMainWindow::controlsCarryTheirNamesAndCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Editor editor;
    if (auto *button = editor.window->findChild<QPushButton *>(name)) {
        if (button->icon().isNull()) {
            QCOMPARE(button->text(), caption);
        } else {
            QVERIFY(button->text().isEmpty());
            QCOMPARE(button->toolTip(), caption);
            QCOMPARE(button->accessibleName(), caption);
            QCOMPARE(button->iconSize(), QSize(32, 32));
        }
        return;
    }
    auto *action = editor.window->findChild<QAction *>(name);
    QVERIFY2(action, qPrintable(name));
    QCOMPARE(action->text(), caption);
}

void TestMainWindow::menusStandInOrderWithUniqueAccessKeys()
{
    Editor editor;
    QStringList layout;
    for (QAction *menu : editor.window->menuBar()->actions()) {
        QStringList items;
        QSet<QChar> keys;
        for (QAction *item : menu->menu()->actions()) {
            items << (item->isSeparator() ? u'-' + item->objectName() : item->objectName());
            const qsizetype amp = item->text().indexOf(u'&');
            if (amp >= 0) {
                QVERIFY2(!keys.contains(item->text().at(amp + 1)), qPrintable(item->text()));
                keys.insert(item->text().at(amp + 1));
            }
        }
        layout << menu->objectName() + u": "_s + items.join(u' ');
    }
    QCOMPARE(layout, (QStringList{
                         QStringLiteral("mnu_file: mnu_open mnu_save mnu_overwrite mnu_name_version mnu_versions mnu_recent -mnu_ber1 mnu_exit"),
                         QStringLiteral("mnu_type: mnu_insto_type_0 mnu_insto_type_1"),
                         QStringLiteral("mnu_sengen: mnu_maegaki mnu_taitlecall mnu_honpen mnu_atogaki"),
                         QStringLiteral("mnu_event_cg: mnu_demo -ber2 mnu_hosino mnu_chitose mnu_sizuku mnu_rin mnu_yuzuki"),
                         QStringLiteral("mnu_search: mnu_find mnu_find_next mnu_find_previous mnu_replace -mnu_ber3 mnu_jump mnu_palette "
                                        "mnu_usages"),
                         QStringLiteral("mnu_view: mnu_colours -mnu_ber4 mnu_check mnu_next mnu_previous -mnu_ber5 "
                                        "mnu_wrap mnu_line_numbers mnu_blanks mnu_font_size mnu_outline mnu_prose"),
                     }));
}

// Alt and a menu bar letter must open that menu, never also press a
// button of a panel under the script.
void TestMainWindow::noAccessKeyInTheWindowRepeatsTheMenuBars()
{
    Editor editor;
    const auto accessKey = [](const QString &caption) {
        const qsizetype amp = caption.indexOf(u'&');
        return amp >= 0 && amp + 1 < caption.size() ? caption.at(amp + 1).toUpper() : QChar();
    };
    QSet<QChar> barKeys;
    for (QAction *menu : editor.window->menuBar()->actions())
        barKeys.insert(accessKey(menu->text()));
    QCOMPARE(barKeys, (QSet<QChar>{u'F', u'I', u'H', u'E', u'S', u'V'}));
    // Every panel shown, so that each of its rows is built.
    editor.window->findChild<QAction *>(QStringLiteral("mnu_replace"))->trigger();
    editor.window->findChild<QAction *>(QStringLiteral("mnu_check"))->trigger();
    editor.window->findChild<QAction *>(QStringLiteral("mnu_outline"))->trigger();
    int captions = 0;
    for (const QAbstractButton *button : editor.window->centralWidget()->findChildren<QAbstractButton *>()) {
        const QChar key = accessKey(button->text());
        captions += !key.isNull();
        QVERIFY2(key.isNull() || !barKeys.contains(key), qPrintable(button->objectName() + u' ' + button->text()));
    }
    for (const QLabel *label : editor.window->centralWidget()->findChildren<QLabel *>()) {
        const QChar key = accessKey(label->text());
        QVERIFY2(key.isNull() || !barKeys.contains(key), qPrintable(label->objectName() + u' ' + label->text()));
    }
    QVERIFY(captions >= 4);  // the search bar's own access keys were seen
}

void TestMainWindow::buttonRowKeepsItsPlaceAndTextFollowsTheWindow()
{
    const InterfaceFont font;
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    QWidget *client = editor.window->centralWidget();
    QCOMPARE(client->size(), QSize(656, 526));
    // Left and width in pixels, fifteen twips to a pixel.
    const QList<std::tuple<const char *, int, int>> row = {
        {"Command1", 0, 32},    {"Command2", 32, 32},   {"Command9", 64, 32},   {"Command4", 96, 32},
        {"Command6", 128, 32},  {"Command3", 160, 32},  {"Command5", 192, 32},  {"Command8", 224, 32},
        {"Command7", 256, 32},  {"Command10", 288, 33}, {"Command14", 328, 41}, {"Command15", 368, 41},
        {"Command16", 408, 49}, {"Command12", 464, 65}, {"Command17", 528, 49}, {"Command13", 576, 49},
    };
    auto checkRow = [&] {
        for (const auto &[name, left, width] : row)
            QCOMPARE(editor.button(name)->geometry(), QRect(left, 0, width, 33));
    };
    checkRow();
    QCOMPARE(inClient(editor.text()), QRect(0, 33, 656, 493));

    editor.window->resize(editor.window->width() + 200, editor.window->height() + 50);
    QTRY_COMPARE(client->width(), 856);
    QCOMPARE(inClient(editor.text()), QRect(0, 33, 856, client->height() - 33));
    checkRow();

    // Lower than the button row: the text area stays where it was.
    const QRect before = inClient(editor.text());
    editor.window->resize(editor.window->width(),
                          editor.window->menuBar()->height() + editor.window->statusBar()->height() + 10);
    QTRY_VERIFY(client->height() < 33);
    QCOMPARE(inClient(editor.text()), before);
}

void TestMainWindow::captionsFitTheirButtons_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("at the usual size") << 1.0;
    QTest::newRow("letters at 150 %") << 1.5;
}

// Every caption stands whole in its button, broken only between words
// (never 音楽挿／入); a button too narrow widens, the ones after it move on,
// and the window makes room for the row.
void TestMainWindow::captionsFitTheirButtons()
{
    QFETCH(qreal, scale);
    const InterfaceFont font(scale);
    Editor editor;
    QMap<QString, QStringList> words = {
        {u"Command14"_s, {u"音楽"_s, u"挿入"_s}},    {u"Command15"_s, {u"場所"_s, u"挿入"_s}},
        {u"Command16"_s, {u"効果音"_s, u"挿入"_s}},  {u"Command12"_s, {u"<INDENT>"_s, u"「」付"_s, u"挿入"_s}},
        {u"Command17"_s, {u"「」<P>"_s, u"挿入"_s}}, {u"Command13"_s, {u"人物名"_s, u"表示"_s}},
    };
    // Whether the caption can stand whole in the button: on one line, or
    // on two broken between words.
    const auto fits = [](QPushButton *button, const QStringList &parts) {
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QFontMetrics metrics = button->fontMetrics();
        if (metrics.horizontalAdvance(parts.join(QString())) <= area.width())
            return true;
        if (2 * metrics.height() > area.height())
            return false;
        for (qsizetype cut = 1; cut < parts.size(); ++cut)
            if (std::max(metrics.horizontalAdvance(parts.first(cut).join(QString())),
                         metrics.horizontalAdvance(parts.sliced(cut).join(QString()))) <= area.width())
                return true;
        return false;
    };
    const auto checkRow = [&] {
        int previousRight = -1;
        for (const char *name : {"Command1", "Command2", "Command9", "Command4", "Command6", "Command3", "Command5",
                                 "Command8", "Command7", "Command10", "Command14", "Command15", "Command16",
                                 "Command12", "Command17", "Command13"}) {
            QPushButton *button = editor.button(name);
            // None covers the one before (the row's own pixel aside), and
            // the window makes room for all.
            QVERIFY2(button->x() >= previousRight, name);
            previousRight = button->geometry().right();
            QVERIFY2(button->geometry().right() < editor.window->centralWidget()->width(), name);
            const QStringList parts = words.value(QLatin1String(name));
            if (parts.isEmpty())
                continue;
            QCOMPARE(parts.join(QString()), button->text());
            QVERIFY2(fits(button, parts), qPrintable(u"%1 in %2"_s.arg(button->text()).arg(button->width())));
        }
    };
    checkRow();
    editor.button("Command13")->click();
    words[u"Command13"_s] = {u"人物名"_s, u"非表示"_s};
    checkRow();
}

void TestMainWindow::eachInsertionIsOneUndoStepAndOneJournalRecord_data()
{
    QTest::addColumn<Action>("prepare");
    QTest::addColumn<Action>("insert");
    const Action nothing = [](Editor &) {};
    QTest::newRow("a sprite's pick: comment, tag, folder and speaker") << nothing << pick(5, 3);
    QTest::newRow("an event picture's pick") << nothing << pick(15, 2);
    QTest::newRow("a place's pick") << nothing << pick(3, 4);
    QTest::newRow("a palette row") << nothing << Action([](Editor &e) {
        e.window->palette()->open();
        auto *field = e.window->palette()->findChild<QLineEdit *>(u"paletteField"_s);
        typeInto(field, u"ちとせ／制服・正面・驚き"_s);
        QTest::keyClick(field, Qt::Key_Return);
    });
    QTest::newRow("a completion, its quote closed")
        << Action([](Editor &e) {
               e.text()->setFocus();
               e.type(u"<ACT NAME=\"人\" SRC=\"ゆら／こーと"_s);
               QCoreApplication::processEvents();
           })
        << Action([](Editor &e) { QTest::keyClick(e.text(), Qt::Key_Return); });
    QTest::newRow("a section scaffold") << nothing << Action([](Editor &e) { e.action("mnu_honpen")->trigger(); });
    QTest::newRow("the title call") << nothing << Action([](Editor &e) { e.action("mnu_taitlecall")->trigger(); });
    QTest::newRow("a dialogue skeleton") << nothing << Action([](Editor &e) { e.button("Command12")->click(); });
    QTest::newRow("a replacement of every match")
        << Action([](Editor &e) { e.text()->insert(u"ゆら「あ」\r\nゆら\r\n"_s); })
        << Action([](Editor &e) {
               e.window->searchBar()->showReplace();
               e.window->searchBar()->findChild<QLineEdit *>(u"replace_text"_s)->setText(u"しずく"_s);
               e.window->searchBar()->setSearchText(u"ゆら"_s);
               e.window->searchBar()->replaceAll();
           });
    QTest::newRow("look-alikes pasted") << nothing << Action([](Editor &e) {
        QApplication::clipboard()->setText(u"〜と−"_s);
        e.text()->paste();
    });
    // A line shown in pieces, where a word committed over a selection goes
    // through the document rather than the editor's own insertion.
    QTest::newRow("a look-alike committed over a selection in a long line")
        << Action([](Editor &e) {
               e.text()->insert(QString(3 * ScriptDocument::cutAbove, u'あ'));
               e.text()->select(ScriptDocument::cutAbove - 2, 5);
           })
        << Action([](Editor &e) {
               QInputMethodEvent commit;
               commit.setCommitString(u"〜"_s);
               QApplication::sendEvent(e.text(), &commit);
           });
}

// Whatever one command writes, one Ctrl+Z takes back whole, byte for byte,
// and the recovery journal keeps it as one record that replays exactly.
void TestMainWindow::eachInsertionIsOneUndoStepAndOneJournalRecord()
{
    QFETCH(Action, prepare);
    QFETCH(Action, insert);
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setCaret(editor.text()->length());
    editor.type(u"x"_s);  // the journal begins with the text of the first edit
    recovery::Journal &journal = editor.window->recovery().journal();
    QTRY_VERIFY(journal.active());
    prepare(editor);
    const QString before = editor.text()->text();
    QSignalSpy edits(&editor.window->document(), &ScriptDocument::edited);
    insert(editor);
    const QString after = editor.text()->text();
    QVERIFY(after != before);
    QCOMPARE(edits.size(), 1);
    journal.flush();
    journal.waitForDisk();
    QCOMPARE(readable(recovery::replay(readFile(journal.path())).text), readable(after));
    editor.text()->undo();
    QCOMPARE(readable(editor.text()->text()), readable(before));
    editor.text()->redo();
    QCOMPARE(readable(editor.text()->text()), readable(after));
}

// A notice has a place of its own in the status bar, which the file's
// name and the caret's place beside it never take, and is read out.
void TestMainWindow::noticesAreSeenBesideTheCaretAndTheFile()
{
    const InterfaceFont font;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"とても長い名前の台本ファイルの第一話から第三話まで.dnml"_s);
    QVERIFY(writeFile(path, "<P>\r\n"));
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    editor.dialogs->answers = {false};
    editor.window->openFile(path);
    editor.text()->setCaret(editor.text()->length());
    editor.type(u"〜"_s);
    auto *notice = editor.window->findChild<QLabel *>(u"statusMessage"_s);
    QCOMPARE(notice->text(), u"〜 を ～ として入力しました（Shift-JIS で保存される形）"_s);
    QCOMPARE(notice->accessibleName(), notice->text());
    QCOMPARE(QAccessible::queryAccessibleInterface(notice)->role(), QAccessible::AlertMessage);
    QTRY_VERIFY(notice->isVisible());
    const QRect place = notice->geometry();
    QVERIFY2(place.width() >= 16 * notice->fontMetrics().horizontalAdvance(u'あ'), "room for sixteen characters");
    for (const char *part : {"statusFile", "statusCaret", "statusSelection", "statusForm"}) {
        const auto *label = editor.window->findChild<QLabel *>(QLatin1String(part));
        QVERIFY2(!label->isVisible() || !label->geometry().intersects(place), part);
    }
    QVERIFY(editor.window->findChild<QLabel *>(u"statusCaret"_s)->isVisible());
    QVERIFY(editor.window->findChild<QLabel *>(u"statusFile"_s)->isVisible());
}

void TestMainWindow::theFactsStayInSightWhileANoticeIsUp_data()
{
    QTest::addColumn<QString>("notice");
    QTest::newRow("a short notice") << u"末尾から先頭に戻りました"_s;
    QTest::newRow("a notice longer than the bar")
        << u"版を残せませんでした。保存は済んでいますが、この保存の版は以前の版の一覧に出ません。"_s.repeated(2);
}

// The file, the caret's place and the form of the file keep their place,
// whole, while a notice is up beside them.
void TestMainWindow::theFactsStayInSightWhileANoticeIsUp()
{
    QFETCH(QString, notice);
    const InterfaceFont font;
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    const auto part = [&editor](const char *name) { return editor.window->findChild<QLabel *>(QLatin1String(name)); };
    const QStringList facts{u"statusFile"_s, u"statusCaret"_s, u"statusForm"_s};
    editor.window->findChild<StatusLine *>(u"statusLine"_s)->tell(notice);
    QTRY_COMPARE(part("statusMessage")->text(), notice);
    QVERIFY(part("statusMessage")->isVisible());
    QCOMPARE(part("statusForm")->text(), u"Shift-JIS・CR LF"_s);
    for (const QString &name : facts) {
        const QLabel *label = part(name.toLatin1().constData());
        QVERIFY2(label->isVisible(), qPrintable(name));
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(name));
        QVERIFY2(!label->geometry().intersects(part("statusMessage")->geometry()), qPrintable(name));
    }
}

void TestMainWindow::zoomKeepsTheCaretInView_data()
{
    QTest::addColumn<int>("fromBottom");  // the caret's line, counted up from the last line shown
    QTest::addColumn<int>("times");
    QTest::newRow("the caret on the last line shown, a few steps bigger") << 0 << 3;
    QTest::newRow("the caret mid-view, up to the largest letters") << 12 << 40;
}

void TestMainWindow::zoomKeepsTheCaretInView()
{
    QFETCH(int, fromBottom);
    QFETCH(int, times);
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    QStringList lines;
    for (int line = 0; line < 400; ++line)
        lines << u"%1行目の長い台詞がここにあります"_s.arg(line + 1);
    editor.text()->setText(lines.join(u"\r\n"_s));
    editor.text()->showLine(200);
    const int line = editor.text()->shownLines().second - 1 - fromBottom;
    editor.text()->setCaret(editor.text()->script().lineStart(line) + 12);
    QVERIFY(editor.text()->viewport()->rect().contains(editor.text()->cursorRect()));
    for (int i = 0; i < times; ++i) {
        editor.action("mnu_zoom_in")->trigger();
        QVERIFY2(editor.text()->viewport()->rect().contains(editor.text()->cursorRect()),
                 qPrintable(u"after %1 steps"_s.arg(i + 1)));
    }
}

// The file dialog's type column is the toolkit's, in the interface's
// language whatever the desktop's.
void TestMainWindow::fileTypesAreNamedInJapanese()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"memo.txt"_s);
    QVERIFY(writeFile(path, "plain text\n"));
    const QLocale before;
    QTranslator translator;
    speakJapanese(translator);
    const QString type = QFileIconProvider().type(QFileInfo(path));
    QLocale::setDefault(before);
    QCoreApplication::removeTranslator(&translator);
    const bool japanese = std::any_of(type.begin(), type.end(), [](QChar c) { return c.unicode() >= 0x3000; });
    QVERIFY2(japanese, qPrintable(type));
}

// The marks are drawn over the text: the text, its undo history and the
// changed flag stay as they were, and with the option off nothing is drawn.
void TestMainWindow::blanksAreMarkedOverTheTextAlone()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    const QString script = u"全角　空白\tタブ\nＡＢＣ１２３\r\n二行目"_s;
    editor.text()->setText(script);
    const int undoSteps = editor.text()->document()->availableUndoSteps();
    const bool changed = editor.window->textChanged();
    const auto shot = [&] {
        editor.text()->viewport()->repaint();
        return editor.text()->viewport()->grab().toImage();
    };
    const QImage plain = shot();
    editor.action("mnu_blanks")->trigger();
    const QImage marked = shot();
    QVERIFY(marked != plain);
    // Marked where the blanks, the letters and the line ends are: the
    // first line's row differs, and so does the end of the second.
    const QTextBlock first = editor.text()->document()->firstBlock();
    const QRect firstRow = editor.text()->cursorRect(QTextCursor(first)).adjusted(0, 0, 2000, 0);
    QVERIFY(marked.copy(firstRow) != plain.copy(firstRow));
    QCOMPARE(editor.text()->text(), script);
    QCOMPARE(editor.text()->document()->availableUndoSteps(), undoSteps);
    QCOMPARE(editor.window->textChanged(), changed);
    editor.action("mnu_blanks")->trigger();
    QCOMPARE(shot(), plain);
}

void TestMainWindow::listsAreInTheScriptsLetters_data()
{
    QTest::addColumn<int>("zoom");  // steps of 拡大, or of 縮小 below zero
    QTest::newRow("the letters as they start") << 0;
    QTest::newRow("zoomed in while the lists are open") << 3;
    QTest::newRow("zoomed out while the lists are open") << -4;
}

// Every list of what the script holds is drawn in Text1's family at its
// size, and follows its zoom while open.
void TestMainWindow::listsAreInTheScriptsLetters()
{
    QFETCH(int, zoom);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"駅.dnml"_s);
    QVERIFY(writeFile(path, "<BGM SRC=\"Snow Dorp\">\r\n"));
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.dialogs->openPath = path;
    editor.window->mnu_open_Click();
    editor.action("mnu_check")->trigger();
    editor.action("mnu_outline")->trigger();
    editor.text()->setCaret(12);  // in the music's name
    editor.action("mnu_usages")->trigger();
    editor.window->palette()->open();
    editor.window->palette()->leave();
    editor.text()->setFocus();
    editor.text()->setCaret(editor.text()->length());
    editor.type(u"<BGM SRC=\"S"_s);
    QTRY_VERIFY(editor.window->findChild<QWidget *>(u"completionList"_s));
    editor.action("mnu_versions")->trigger();
    auto *findings = editor.window->findChild<QTreeView *>(u"findingList"_s);
    const int lineColumn = findings->columnWidth(0);
    for (int i = 0; i < std::abs(zoom); ++i)
        editor.action(zoom > 0 ? "mnu_zoom_in" : "mnu_zoom_out")->trigger();
    // A column sized for the letters grows and shrinks with them, and the
    // palette's kinds are measured again in the new ones.
    QCOMPARE(findings->columnWidth(0) > lineColumn, zoom > 0);
    QCOMPARE(findings->columnWidth(0) < lineColumn, zoom < 0);
    auto *palette = editor.window->findChild<QTreeView *>(u"paletteList"_s);
    QVERIFY(palette->columnWidth(assets::AssetList::KindColumn) >
            palette->fontMetrics().horizontalAdvance(u"星野ゆらのイベントCG"_s));
    const QFont script = editor.text()->font();
    QCOMPARE(script.pointSize(), 12 + zoom);
    for (const char *name : {"paletteList", "completionList", "findingList", "outlineList", "counts", "usageList",
                             "versionList"}) {
        const auto *list = editor.window->findChild<QAbstractItemView *>(QLatin1String(name));
        QVERIFY2(list, name);
        QCOMPARE(QFontInfo(list->font()).family(), QFontInfo(script).family());
        QVERIFY2(list->font().pointSize() == script.pointSize(),
                 qPrintable(u"%1: %2 points"_s.arg(QLatin1String(name)).arg(list->font().pointSize())));
    }
}

void TestMainWindow::panelsUnderTheTextTakeTheirHeightWhileShown()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    auto panel = [](const char *name, int height) {
        auto *widget = new QWidget;
        widget->setObjectName(QLatin1String(name));
        widget->setFixedHeight(height);
        widget->hide();
        return widget;
    };
    QWidget *first = panel("first", 30);
    QWidget *second = panel("second", 20);
    editor.window->addPanel(first);
    editor.window->addPanel(second);
    const int handle = editor.window->findChild<QSplitter *>(u"panelSplitter"_s)->handleWidth();
    QCOMPARE(inClient(editor.text()), QRect(0, 33, 656, 493));

    second->show();
    QCOMPARE(inClient(editor.text()), QRect(0, 33, 656, 473 - handle));
    QCOMPARE(inClient(second), QRect(0, 506, 656, 20));
    first->show();
    QCOMPARE(inClient(editor.text()), QRect(0, 33, 656, 443 - 2 * handle));
    QCOMPARE(inClient(first), QRect(0, 476 - handle, 656, 30));
    QCOMPARE(inClient(second), QRect(0, 506, 656, 20));
    first->setFixedHeight(40);  // a bar growing a second row
    QTRY_COMPARE(inClient(editor.text()), QRect(0, 33, 656, 433 - 2 * handle));

    first->hide();
    second->hide();
    QCOMPARE(inClient(editor.text()), QRect(0, 33, 656, 493));
}

// A panel dragged taller by its splitter's handle keeps that height when it
// opens again, at the next start too; Text1 keeps a few lines whatever.
void TestMainWindow::panelsKeepTheHeightTheyWereDraggedTo()
{
    int dragged = 0;
    {
        Editor editor;
        QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
        editor.action("mnu_check")->trigger();
        QWidget *findings = editor.window->findChild<QWidget *>(u"findings"_s);
        QWidget *rows = findings->findChild<QWidget *>(u"findingList"_s);
        QVERIFY(findings->isVisible());
        const int before = rows->height();
        auto *split = editor.window->findChild<QSplitter *>(u"panelSplitter"_s);
        dragUp(split->handle(split->indexOf(findings)), 120);
        // The list of findings itself grows: more rows in sight.
        QCOMPARE(rows->height(), before + 120);
        dragged = findings->height();
        editor.action("mnu_check")->trigger();
        QVERIFY(!findings->isVisible());
        editor.action("mnu_check")->trigger();
        QCOMPARE(findings->height(), dragged);
    }
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    editor.action("mnu_check")->trigger();
    QCOMPARE(editor.window->findChild<QWidget *>(u"findings"_s)->height(), dragged);
    QVERIFY(editor.text()->height() >= 4 * editor.text()->fontMetrics().height());
}

void TestMainWindow::text1KeepsAThirdOrEightLinesWhateverIsOpen_data()
{
    QTest::addColumn<int>("zoom");  // steps of 拡大
    QTest::addColumn<int>("height");  // of the window
    QTest::newRow("the letters as they start") << 0 << 0;
    QTest::newRow("bigger letters in a taller window") << 6 << 900;
}

// The search bar, the findings and the outline open at once, the two
// panels remembered most of the window tall: they give way, and Text1
// keeps a third of its frame and eight whole lines, of letters made bigger
// after they opened too; a window made taller gives them back what they
// gave.
void TestMainWindow::text1KeepsAThirdOrEightLinesWhateverIsOpen()
{
    QFETCH(int, zoom);
    QFETCH(int, height);
    const QStringList remembered{u"findings"_s, u"outline"_s};
    for (const QString &panel : remembered)
        settings::savePanelHeight(panel, 400);
    const auto forget = qScopeGuard([&remembered] {
        for (const QString &panel : remembered)
            settings::savePanelHeight(panel, 0);
    });
    Editor editor;
    if (height > 0)
        editor.window->resize(editor.window->width(), height);
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    QStringList lines;
    for (int line = 1; line <= 200; ++line)
        lines << u"%1行目"_s.arg(line);
    editor.text()->setText(lines.join(crlf));
    editor.window->searchBar()->showFind();
    editor.action("mnu_check")->trigger();
    editor.action("mnu_outline")->trigger();
    for (int i = 0; i < zoom; ++i)
        editor.action("mnu_zoom_in")->trigger();
    auto *findings = editor.window->findChild<QWidget *>(u"findings"_s);
    auto *outline = editor.window->findChild<QWidget *>(u"outline"_s);
    QVERIFY(editor.window->searchBar()->isVisible() && findings->isVisible() && outline->isVisible());
    const auto wholeLines = [&editor] {
        ScriptEdit *text1 = editor.text();
        int shown = 0;
        for (QTextBlock block = text1->document()->begin(); block.isValid(); block = block.next()) {
            QTextCursor at(block);
            if (text1->cursorRect(at).bottom() >= text1->viewport()->height())
                break;
            ++shown;
        }
        return shown;
    };
    const QWidget *frame = editor.window->findChild<QWidget *>(u"editorFrame"_s);
    QTRY_VERIFY2(editor.text()->height() >= frame->height() / 3,
                 qPrintable(u"Text1 %1 of %2"_s.arg(editor.text()->height()).arg(frame->height())));
    QVERIFY2(wholeLines() >= 8, qPrintable(u"%1 lines"_s.arg(wholeLines())));
    QVERIFY(findings->height() < 400 && outline->height() < 400);
    // Giving way is not forgetting.
    for (const QString &panel : remembered)
        QCOMPARE(settings::panelHeight(panel), 400);
    // Nor does a drag squeeze Text1.
    auto *split = editor.window->findChild<QSplitter *>(u"panelSplitter"_s);
    dragUp(split->handle(1), 300);
    QVERIFY(editor.text()->height() >= frame->height() / 3);
    QVERIFY(wholeLines() >= 8);

    editor.window->resize(editor.window->width(), 2000);
    QTRY_COMPARE(findings->height(), 400);
    QCOMPARE(outline->height(), 400);
    QVERIFY(editor.text()->height() >= frame->height() / 3);
}

void TestMainWindow::tabVisitsButtonsAndTextInOrder()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.button("Command1")->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 16; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited.join(u' '), QStringLiteral("Command1 Command2 Command3 Command4 Command5 Command6 Command7 "
                                                "Command8 Command9 Command10 Text1 Command12 Command13 Command14 "
                                                "Command15 Command16 Command17"));
    // Tab in the script moves on rather than typing a tab.
    QCOMPARE(editor.text()->text(), startingDocument());
}

// Everything that points into the window open and busy at once (the search
// bar counting, the check on its worker, a picker, the journal's copy of
// the text) as the window goes: the sanitizers' pass of this test finds
// anything that outlives what it points to.
void TestMainWindow::closingWithEverythingOpenLeavesNothingBehind()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    editor.type(QStringLiteral(u"「あ」<P>"));
    editor.window->searchBar()->setSearchText(QStringLiteral("<"));
    editor.action("mnu_check")->trigger();
    editor.button("Command1")->click();
    QPointer<Picker> picker = editor.picker(5);
    QVERIFY(picker);
    editor.type(QStringLiteral("x"));
    editor.dialogs->answers = {true};
    QVERIFY(editor.window->close());
    QVERIFY(!picker);
    editor.window.reset();
    QVERIFY(QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/recovery"_s)
                .entryList({u"*.journal"_s}, QDir::Files)
                .isEmpty());
}

void TestMainWindow::changesSetTheFlagAndNothingElseDoes_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("changed");

    QTest::newRow("typing a character") << Action([](Editor &e) { e.type(QStringLiteral("a")); }) << true;
    QTest::newRow("typing then deleting it") << Action([](Editor &e) {
        e.type(QStringLiteral("a"));
        QTest::keyClick(e.text(), Qt::Key_Backspace);
    }) << true;
    QTest::newRow("Enter") << Action([](Editor &e) { QTest::keyClick(e.text(), Qt::Key_Return); }) << true;
    QTest::newRow("dialogue button") << Action([](Editor &e) { e.button("Command17")->click(); }) << true;
    QTest::newRow("scaffold menu item") << Action([](Editor &e) { e.action("mnu_honpen")->trigger(); }) << true;
    QTest::newRow("paste") << Action([](Editor &e) {
        QApplication::clipboard()->setText(QStringLiteral("x"));
        e.text()->paste();
    }) << true;
    QTest::newRow("caret moves") << Action([](Editor &e) {
        QTest::keyClick(e.text(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(e.text(), Qt::Key_Right);
    }) << false;
    QTest::newRow("selecting") << Action([](Editor &e) { e.text()->selectAll(); }) << false;
    QTest::newRow("copying") << Action([](Editor &e) {
        e.text()->selectAll();
        e.text()->copy();
    }) << false;
    QTest::newRow("switching both options") << Action([](Editor &e) {
        e.action("mnu_insto_type_1")->trigger();
        e.button("Command13")->click();
    }) << false;
}

void TestMainWindow::changesSetTheFlagAndNothingElseDoes()
{
    QFETCH(Action, action);
    QFETCH(bool, changed);
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    action(editor);
    QCOMPARE(editor.window->textChanged(), changed);
}

void TestMainWindow::closePrompt_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("savePath");  // "" cancels, "*" is a good path, else relative
    QTest::addColumn<bool>("viaExitMenu");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("savesAsked");

    for (bool viaExit : {false, true}) {
        const QString how = viaExit ? QStringLiteral("exit menu: ") : QStringLiteral("close box: ");
        QTest::newRow(qPrintable(how + u"unedited closes without asking"_s))
            << false << QList<bool>{} << QString() << viaExit << true << 0;
        QTest::newRow(qPrintable(how + u"edited, Yes closes unsaved"_s))
            << true << QList<bool>{true} << QString() << viaExit << true << 0;
        QTest::newRow(qPrintable(how + u"edited, No saves then closes"_s))
            << true << QList<bool>{false} << QStringLiteral("*") << viaExit << true << 1;
        QTest::newRow(qPrintable(how + u"edited, No then cancel stays open"_s))
            << true << QList<bool>{false} << QString() << viaExit << false << 1;
        QTest::newRow(qPrintable(how + u"edited, No then failed save stays open"_s))
            << true << QList<bool>{false} << QStringLiteral("gone/x.dnml") << viaExit << false << 1;
    }
}

void TestMainWindow::closePrompt()
{
    QFETCH(bool, edited);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, savePath);
    QFETCH(bool, viaExitMenu);
    QFETCH(bool, closes);
    QFETCH(int, savesAsked);

    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("saved.dnml"));
    Editor editor;
    if (edited)
        editor.type(QStringLiteral(u"あ"));
    editor.dialogs->answers.assign(answers.begin(), answers.end());
    editor.dialogs->savePaths.push_back(savePath == u"*" ? good : savePath.isEmpty() ? QString() : dir.filePath(savePath));
    if (viaExitMenu)
        editor.action("mnu_exit")->trigger();
    else
        editor.window->close();

    QCOMPARE(editor.closed(), closes);
    QCOMPARE(editor.dialogs->questions.size(), edited ? 1 : 0);
    if (edited)
        QCOMPARE(editor.dialogs->questions.first(), QStringLiteral(u"終了確認|保存していませんが\n終了しても宜しいですか?"));
    QCOMPARE(editor.dialogs->savesAsked, savesAsked);
    QCOMPARE(QFileInfo::exists(good), savePath == u"*");
    if (!closes)
        QVERIFY(editor.text()->text().endsWith(QStringLiteral(u"あ")));
}

void TestMainWindow::openedFileBecomesTheTextAndSavesBack_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("two lines without a final break") << QByteArray("A\r\nB") << QStringLiteral("A\r\nB")
                                                     << QByteArray("A\r\nB\r\n");
    QTest::newRow("final CR LF comes back once") << QByteArray("A\r\nB\r\n") << QStringLiteral("A\r\nB")
                                                 << QByteArray("A\r\nB\r\n");
    QTest::newRow("only CR LF opens empty") << QByteArray("\r\n") << QString() << QByteArray("\r\n");
    QTest::newRow("empty file opens empty") << QByteArray() << QString() << QByteArray("\r\n");
    QTest::newRow("lone LFs stay inside one line") << QByteArray("A\nB\nC") << QStringLiteral("A\nB\nC")
                                                   << QByteArray("A\nB\nC\r\n");
    QTest::newRow("lone CR becomes a line break") << QByteArray("A\rB") << QStringLiteral("A\r\nB")
                                                  << QByteArray("A\r\nB\r\n");
    QTest::newRow("Japanese in Shift-JIS") << QByteArray::fromHex("8a bf 8e9a 0d0a 82a0")
                                           << QStringLiteral(u"漢字\r\nあ") << QByteArray::fromHex("8abf8e9a0d0a82a00d0a");
}

void TestMainWindow::openedFileBecomesTheTextAndSavesBack()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral(u"開く.dnml"));
    const QString out = dir.filePath(QStringLiteral(u"保存.dnml"));
    QVERIFY(writeFile(in, file));

    Editor editor;
    editor.dialogs->openPaths.push_back(in);
    // Lines that end in LF alone are kept as they are by No; a lone CR,
    // which no line can keep, is asked about and read as a break by Yes.
    const bool loneLineFeeds = file.contains('\n') && !file.contains('\r');
    const bool loneCarriageReturn = QByteArray(file).replace("\r\n", "").contains('\r');
    editor.dialogs->answers = {loneCarriageReturn};
    editor.action("mnu_open")->trigger();
    QCOMPARE(editor.text()->text(), text);
    QCOMPARE(editor.text()->caret(), 0);
    QVERIFY(editor.window->textChanged());
    QCOMPARE(editor.dialogs->questions.size(), loneLineFeeds || loneCarriageReturn ? 1 : 0);
    QVERIFY(editor.dialogs->warnings.isEmpty());

    editor.dialogs->savePaths.push_back(out);
    editor.action("mnu_save")->trigger();
    QCOMPARE(readFile(out).toHex(' '), saved.toHex(' '));
    QVERIFY(!editor.window->textChanged());
    QVERIFY(editor.window->close());
}

void TestMainWindow::savedStartingDocumentIs335Bytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("start.dnml"));
    Editor editor;
    editor.type(QStringLiteral("x"));
    QTest::keyClick(editor.text(), Qt::Key_Backspace);
    editor.dialogs->savePaths.push_back(path);
    QVERIFY(editor.window->mnu_save_Click());
    QCOMPARE(readFile(path).size(), 335);
    QVERIFY(!editor.window->textChanged());

    // Any change after the save brings the question back.
    editor.type(QStringLiteral("y"));
    QVERIFY(editor.window->textChanged());

    Editor reopened;
    reopened.dialogs->openPaths.push_back(path);
    reopened.window->mnu_open_Click();
    QCOMPARE(reopened.text()->text(), startingDocument());
}

void TestMainWindow::openingCountsAsAChangeEvenOfAnEmptyText()
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.dnml"));
    QVERIFY(writeFile(empty, {}));
    Editor editor;
    editor.text()->setText(QString());
    editor.dialogs->savePaths.push_back(dir.filePath(QStringLiteral("saved.dnml")));
    QVERIFY(editor.window->mnu_save_Click());
    editor.dialogs->openPaths.push_back(empty);
    editor.window->mnu_open_Click();
    QCOMPARE(editor.text()->text(), QString());
    QVERIFY(editor.window->textChanged());
}

void TestMainWindow::cancelledDialogsChangeNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.dnml"));
    QVERIFY(writeFile(path, "first"));
    Editor editor;
    editor.dialogs->openPaths = {path, QString()};
    editor.window->mnu_open_Click();
    QCOMPARE(editor.text()->text(), QStringLiteral("first"));
    editor.dialogs->savePaths = {path, QString()};
    QVERIFY(editor.window->mnu_save_Click());
    editor.text()->setCaret(5);
    editor.type(QStringLiteral("!"));

    editor.window->mnu_open_Click();  // Yes to discarding, then cancel
    QVERIFY(!editor.window->mnu_save_Click());
    QCOMPARE(editor.text()->text(), QStringLiteral("first!"));
    QVERIFY(editor.window->textChanged());
    QCOMPARE(readFile(path), QByteArray("first\r\n"));
    QVERIFY(editor.dialogs->warnings.isEmpty());
}

void TestMainWindow::failedOpenKeepsTextAndSays_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("missing file") << QStringLiteral("missing.dnml");
    QTest::newRow("a folder") << QStringLiteral(".");
}

void TestMainWindow::failedOpenKeepsTextAndSays()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    const QString path = QDir::cleanPath(dir.filePath(target));
    Editor editor;
    editor.dialogs->openPaths.push_back(path);
    editor.window->mnu_open_Click();
    QCOMPARE(editor.text()->text(), startingDocument());
    QVERIFY(!editor.window->textChanged());
    QCOMPARE(editor.dialogs->warnings.size(), 1);
    QVERIFY2(editor.dialogs->warnings.first().contains(path), qPrintable(editor.dialogs->warnings.first()));
}

void TestMainWindow::failedSaveKeepsFlagFileAndSays_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder is gone") << QStringLiteral("gone/new.dnml");
    QTest::newRow("parent is a file") << QStringLiteral("old.dnml/new.dnml");
    QTest::newRow("target is a folder") << QStringLiteral("folder");
}

void TestMainWindow::failedSaveKeepsFlagFileAndSays()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("old.dnml")), "old"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    Editor editor;
    editor.type(QStringLiteral("edit"));
    editor.dialogs->savePaths.push_back(dir.filePath(target));
    QVERIFY(!editor.window->mnu_save_Click());
    QVERIFY(editor.window->textChanged());
    QCOMPARE(editor.dialogs->warnings.size(), 1);
    QVERIFY(editor.dialogs->warnings.first().contains(dir.filePath(target)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("old.dnml"))), QByteArray("old"));
}

void TestMainWindow::savingOverAFileChangedOnDiskAsksFirst_data()
{
    QTest::addColumn<std::deque<int>>("choices");
    QTest::addColumn<QByteArray>("onDisk");    // the file afterwards
    QTest::addColumn<QByteArray>("elsewhere");  // the other file afterwards
    QTest::newRow("cancel, the default, keeps the other program's change")
        << std::deque<int>{} << QByteArray("theirs\r\n") << QByteArray();
    QTest::newRow("overwrite") << std::deque<int>{0} << QByteArray("mine<P>\r\n") << QByteArray();
    QTest::newRow("save under another name") << std::deque<int>{1} << QByteArray("theirs\r\n")
                                             << QByteArray("mine<P>\r\n");
}

void TestMainWindow::savingOverAFileChangedOnDiskAsksFirst()
{
    QFETCH(std::deque<int>, choices);
    QFETCH(QByteArray, onDisk);
    QFETCH(QByteArray, elsewhere);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"台本.dnml"_s);
    const QString other = dir.filePath(u"別名.dnml"_s);
    QVERIFY(writeFile(path, "<P>\r\n"));
    Editor editor;
    editor.dialogs->openPaths = {path};
    editor.window->mnu_open_Click();
    editor.text()->setCaret(0);
    editor.type(u"mine"_s);
    QVERIFY(writeFile(path, "theirs\r\n"));  // another program, a byte longer
    editor.dialogs->choices = choices;
    editor.dialogs->savePaths = {path, other};
    QCOMPARE(editor.window->mnu_save_Click(), onDisk != "theirs\r\n" || !elsewhere.isEmpty());
    QCOMPARE(editor.dialogs->questions.size(), 1);
    QVERIFY(editor.dialogs->questions[0].endsWith(u"上書き(&O)/別名で保存(&A)/キャンセル"_s));
    QCOMPARE(readFile(path), onDisk);
    QCOMPARE(QFile::exists(other), !elsewhere.isEmpty());
    if (!elsewhere.isEmpty())
        QCOMPARE(readFile(other), elsewhere);
    // Saved in place, the file is the text's again: the next save asks nothing.
    if (!choices.empty() && choices.front() == 0) {
        editor.dialogs->savePaths = {path};
        QVERIFY(editor.window->mnu_save_Click());
        QCOMPARE(editor.dialogs->questions.size(), 1);
    }
}

void TestMainWindow::aChangeOnDiskIsToldWhenTheWindowComesBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"台本.dnml"_s);
    QVERIFY(writeFile(path, "<P>\r\n"));
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.window->openFile(path);
    auto *notice = editor.window->findChild<QWidget *>(u"diskNotice"_s);
    const auto comeBack = [&] {
        QEvent activation(QEvent::ActivationChange);
        QApplication::sendEvent(editor.window.get(), &activation);
    };
    comeBack();
    QVERIFY2(!notice->isVisible(), "nothing changed yet");
    QVERIFY(writeFile(path, "<BGM SRC=\"x\">\r\n<P>\r\n"));
    comeBack();
    QVERIFY(notice->isVisible());
    QCOMPARE(editor.text()->text(), u"<P>"_s);  // nothing reloaded by itself
    QCOMPARE(inClient(notice).bottom() + 1, inClient(editor.text()).top());
    notice->findChild<QPushButton *>(u"diskNoticeReload"_s)->click();
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\"x\">\r\n<P>"_s);
    QVERIFY(!notice->isVisible());
    QVERIFY(!editor.window->textChanged());
    comeBack();
    QVERIFY2(!notice->isVisible(), "the file is the text's again");
}

void TestMainWindow::lookAlikesGoInAsTheFileWillHoldThem_data()
{
    QTest::addColumn<Action>("enter");
    QTest::newRow("typed") << Action([](Editor &e) { e.type(u"ちょっと〜"_s); });
    QTest::newRow("committed by an input method") << Action([](Editor &e) {
        QInputMethodEvent conversion(u"ちょっと〜"_s, {});
        QApplication::sendEvent(e.text(), &conversion);
        QInputMethodEvent commit;
        commit.setCommitString(u"ちょっと〜"_s);
        QApplication::sendEvent(e.text(), &commit);
    });
    QTest::newRow("pasted") << Action([](Editor &e) {
        QApplication::clipboard()->setText(u"ちょっと〜"_s);
        e.text()->paste();
    });
}

// 〜 goes in as ～, which Shift-JIS holds, in the step that enters it: one
// undo takes the entry back whole, and the script can be saved.
void TestMainWindow::lookAlikesGoInAsTheFileWillHoldThem()
{
    QFETCH(Action, enter);
    Editor editor;
    editor.text()->setText(QString());
    QSignalSpy told(editor.text(), &ScriptEdit::lookAlikesReplaced);
    enter(editor);
    QCOMPARE(editor.text()->text(), u"ちょっと～"_s);
    QCOMPARE(told.size(), 1);
    QVERIFY(scriptfile::encode(editor.text()->text()).bytes.contains("\x81\x60"));
    while (editor.text()->document()->isUndoAvailable() && !editor.text()->text().isEmpty())
        editor.text()->undo();
    QCOMPARE(editor.text()->text(), QString());
}

void TestMainWindow::filesFromElsewhereOpenAsTheAuthorSays_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<std::deque<bool>>("answers");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("text");  // empty: the starting document stays; "*": read as Shift-JIS
    QTest::newRow("LF only, Yes: read as lines") << QByteArray("a\nb\n") << std::deque<bool>{true}
                                               << u"改行はLFだけです"_s << u"a\r\nb"_s;
    QTest::newRow("UTF-8, Yes: read as UTF-8") << QByteArray("\xe3\x81\x82\r\n") << std::deque<bool>{true}
                                              << u"UTF-8で書かれているようです"_s << u"あ"_s;
    QTest::newRow("UTF-8, No: read as Shift-JIS") << QByteArray("\xe3\x81\x82\r\n") << std::deque<bool>{false}
                                                 << u"UTF-8で書かれているようです"_s << u"*"_s;
    QTest::newRow("NUL bytes, No (the default): nothing opens") << QByteArray("MZ\0\0", 4) << std::deque<bool>{}
                                                              << u"テキストファイルではないようです"_s << QString();
}

void TestMainWindow::filesFromElsewhereOpenAsTheAuthorSays()
{
    QFETCH(QByteArray, file);
    QFETCH(std::deque<bool>, answers);
    QFETCH(QString, asked);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"外から.dnml"_s);
    QVERIFY(writeFile(path, file));
    Editor editor;
    editor.dialogs->answers = answers;
    editor.window->openFile(path);
    QCOMPARE(editor.dialogs->questions.size(), 1);
    QVERIFY2(editor.dialogs->questions[0].contains(asked), qPrintable(editor.dialogs->questions[0]));
    if (text.isEmpty()) {
        QCOMPARE(editor.text()->text(), startingDocument());
        QVERIFY(!editor.window->textChanged());
        return;
    }
    if (text == u"*")
        QVERIFY(editor.text()->text() != u"あ"_s && !editor.text()->text().isEmpty());
    else
        QCOMPARE(editor.text()->text(), text);
    // Saved as a script: Shift-JIS, CR LF.
    editor.dialogs->savePaths = {path};
    if (editor.window->mnu_save_Click())
        QCOMPARE(readFile(path), scriptfile::encode(editor.text()->text()).bytes);
}

void TestMainWindow::overwriteSavesInPlaceWithNoDialog()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"台本.dnml"_s);
    QVERIFY(writeFile(path, "<P>\r\n"));
    Editor editor;
    // With no file yet, it is 保存: the dialog asks.
    editor.action("mnu_overwrite")->trigger();
    QCOMPARE(editor.dialogs->savesAsked, 1);
    editor.window->openFile(path);
    editor.text()->setCaret(0);
    editor.type(u"あ"_s);
    QCOMPARE(editor.action("mnu_overwrite")->shortcut(), QKeySequence(u"Ctrl+S"_s));
    editor.action("mnu_overwrite")->trigger();
    QCOMPARE(editor.dialogs->savesAsked, 1);
    QCOMPARE(readFile(path), QByteArray("\x82\xa0<P>\r\n"));
    QVERIFY(!editor.window->textChanged());
}

void TestMainWindow::recentFilesOpenAndForgetTheMissing()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(u"一.dnml"_s);
    const QString second = dir.filePath(u"二.dnml"_s);
    QVERIFY(writeFile(first, "1"));
    QVERIFY(writeFile(second, "2"));
    {
        Editor editor;
        editor.window->openFile(first);
        editor.dialogs->answers = {true};
        editor.window->openFile(second);
    }
    QFile::remove(first);
    Editor editor;
    QAction *newest = editor.action("mnu_recent_1");
    QVERIFY(newest && newest->text().startsWith(u"&1 "_s) && newest->text().endsWith(u"二.dnml"_s));
    editor.action("mnu_recent_2")->trigger();
    QCOMPARE(editor.dialogs->warnings.size(), 1);
    QVERIFY(editor.dialogs->warnings[0].contains(u"見つかりません"_s));
    QCOMPARE(editor.window->findChild<QMenu *>(u"mnu_recent"_s)->actions().size(), 1);
    editor.action("mnu_recent_1")->trigger();
    QCOMPARE(editor.text()->text(), u"2"_s);
}

void TestMainWindow::viewSettingsLastFromOneStartToTheNext()
{
    {
        Editor editor;
        QVERIFY(!editor.action("mnu_wrap")->isChecked());
        editor.action("mnu_wrap")->trigger();
        editor.action("mnu_line_numbers")->trigger();
        editor.action("mnu_zoom_in")->trigger();
        editor.action("mnu_zoom_in")->trigger();
        editor.action("mnu_blanks")->trigger();
        QCOMPARE(editor.text()->fontSize(), 14);
        QCOMPARE(editor.text()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(editor.text()->findChild<QWidget *>(u"lineNumbers"_s));
        QVERIFY(editor.text()->blanksShown());
    }
    Editor editor;
    QVERIFY(editor.action("mnu_wrap")->isChecked());
    QVERIFY(editor.action("mnu_blanks")->isChecked());
    QVERIFY(editor.text()->blanksShown());
    QCOMPARE(editor.text()->fontSize(), 14);
    QVERIFY(editor.text()->findChild<QWidget *>(u"lineNumbers"_s));
    editor.action("mnu_zoom_reset")->trigger();
    editor.action("mnu_wrap")->trigger();
    editor.action("mnu_line_numbers")->trigger();
    editor.action("mnu_blanks")->trigger();
    QCOMPARE(editor.text()->fontSize(), 12);
    QCOMPARE(editor.text()->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(!editor.text()->findChild<QWidget *>(u"lineNumbers"_s));
    QVERIFY(!editor.text()->blanksShown());
}

void TestMainWindow::statusLineFollowsTheCaretAndTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"第一話.dnml"_s);
    QVERIFY(writeFile(path, "ab\r\ncd\ne\r\n"));
    Editor editor;
    const auto part = [&](const char *name) { return editor.window->findChild<QLabel *>(QLatin1String(name))->text(); };
    QCOMPARE(part("statusFile"), u"無題"_s);
    editor.dialogs->answers = {false};
    editor.window->openFile(path);
    QCOMPARE(part("statusFile"), u"第一話.dnml ●"_s);  // opening counts as a change
    editor.text()->select(5, 3);  // "d", the lone LF, "e": the second line as the file counts them
    QCOMPARE(part("statusCaret"), u"2 行、5 桁"_s);
    QCOMPARE(part("statusSelection"), u"3 文字選択"_s);
    QCOMPARE(part("statusForm"), u"Shift-JIS・CR LF"_s);
    editor.action("mnu_overwrite")->trigger();
    QCOMPARE(part("statusFile"), u"第一話.dnml"_s);
    QVERIFY(editor.window->accessibleName().contains(u"第一話.dnml"_s));
}

void TestMainWindow::unencodableTextIsNotSaved()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.dnml"));
    QVERIFY(writeFile(path, "kept"));
    Editor editor;
    editor.text()->setText(QStringLiteral(u"一\r\n二\r\n三は5€です"));
    editor.dialogs->savePaths.push_back(path);
    QVERIFY(!editor.window->mnu_save_Click());
    QCOMPARE(editor.dialogs->savesAsked, 0);
    QCOMPARE(readFile(path), QByteArray("kept"));
    QVERIFY(editor.window->textChanged());
    QCOMPARE(editor.dialogs->warnings.size(), 1);
    const QString warning = editor.dialogs->warnings.first();
    QVERIFY2(warning.contains(QStringLiteral(u"3行目4文字目")) && warning.contains(QStringLiteral(u"「€」"))
                 && warning.contains(QStringLiteral("U+20AC")),
             qPrintable(warning));
}

void TestMainWindow::badBytesOpenMarkedAndCannotBeSavedUnmended()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.dnml"));
    QVERIFY(writeFile(path, QByteArray::fromHex("41 0d0a 42 80 43 0d0a 81")));
    Editor editor;
    editor.dialogs->openPaths.push_back(path);
    editor.window->mnu_open_Click();
    QCOMPARE(editor.text()->text(), QStringLiteral(u"A\r\nB\uFFFDC\r\n\uFFFD"));
    QCOMPARE(editor.dialogs->warnings.size(), 1);
    QVERIFY2(editor.dialogs->warnings.first().contains(QStringLiteral(u"2行目")), qPrintable(editor.dialogs->warnings.first()));

    editor.dialogs->savePaths.push_back(path);
    QVERIFY(!editor.window->mnu_save_Click());
    QCOMPARE(readFile(path), QByteArray::fromHex("41 0d0a 42 80 43 0d0a 81"));
    QVERIFY(editor.dialogs->warnings.last().contains(QStringLiteral("U+FFFD")));
}

void TestMainWindow::openOverUnsavedEditsAsksFirst_data()
{
    QTest::addColumn<bool>("discard");
    QTest::newRow("No keeps the edits and asks for no file") << false;
    QTest::newRow("Yes goes on to the file") << true;
}

void TestMainWindow::openOverUnsavedEditsAsksFirst()
{
    QFETCH(bool, discard);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.dnml"));
    QVERIFY(writeFile(path, "other"));
    Editor editor;
    editor.type(QStringLiteral("mine"));
    editor.dialogs->answers.push_back(discard);
    editor.dialogs->openPaths.push_back(path);
    editor.window->mnu_open_Click();
    QCOMPARE(editor.dialogs->questions, QStringList{QStringLiteral(u"開く確認|保存していませんが\n開いても宜しいですか?")});
    QCOMPARE(editor.dialogs->opensAsked, discard ? 1 : 0);
    QCOMPARE(editor.text()->text(), discard ? QStringLiteral("other") : startingDocument() + u"mine"_s);
}

void TestMainWindow::installTypeKeepsExactlyOneCheck()
{
    Editor editor;
    QAction *adult = editor.action("mnu_insto_type_0");
    QAction *allAges = editor.action("mnu_insto_type_1");
    auto checks = [&] { return QPair<bool, bool>(adult->isChecked(), allAges->isChecked()); };
    QCOMPARE(checks(), qMakePair(true, false));
    allAges->trigger();
    QCOMPARE(checks(), qMakePair(false, true));
    QCOMPARE(editor.window->installType(), markup::InstallType::AllAges);
    allAges->trigger();  // the checked item again: stays checked
    QCOMPARE(checks(), qMakePair(false, true));
    adult->trigger();
    QCOMPARE(checks(), qMakePair(true, false));
    adult->trigger();
    QCOMPARE(checks(), qMakePair(true, false));
    QCOMPARE(editor.window->installType(), markup::InstallType::Adult);
    QCOMPARE(editor.text()->text(), startingDocument());
}

void TestMainWindow::nameDisplaySwitchesCaptionAndColour()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QPushButton *button = editor.button("Command13");
    auto state = [&] { return button->text() + u' ' + button->palette().color(QPalette::Button).name(); };
    QCOMPARE(state(), QStringLiteral(u"人物名表示 #c0c0ff"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral(u"人物名非表示 #ffc0ff"));
    QVERIFY(!editor.window->nameDisplayOn());
    QCOMPARE(QApplication::focusWidget(), button);  // the click does not send the focus back to the text
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral(u"人物名表示 #c0c0ff"));
    QVERIFY(editor.window->nameDisplayOn());
    QCOMPARE(editor.text()->text(), startingDocument());
}

void TestMainWindow::dialogueSkeletons_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");

    const QString indented = QStringLiteral(u"「<INDENT>」</INDENT><P>\r\n");
    const QString plain = QStringLiteral(u"「」<P>");
    QTest::newRow("indented line in an empty text: caret after 「<INDENT>")
        << QString() << 0 << 0 << QStringList{QStringLiteral("Command12")} << indented << 9;
    QTest::newRow("plain line in an empty text: caret after 「")
        << QString() << 0 << 0 << QStringList{QStringLiteral("Command17")} << plain << 1;
    QTest::newRow("indented line replaces the selection")
        << QStringLiteral("abcdef") << 1 << 3 << QStringList{QStringLiteral("Command12")}
        << QString(u"a"_s + indented + u"ef"_s) << 10;
    QTest::newRow("plain line replaces the selection")
        << QStringLiteral("abcdef") << 4 << 2 << QStringList{QStringLiteral("Command17")} << QString(u"abcd"_s + plain) << 5;
    QTest::newRow("indented line splits the line at the caret")
        << QStringLiteral("AB\r\nCD\r\nEF") << 5 << 0 << QStringList{QStringLiteral("Command12")}
        << QString(u"AB\r\nC"_s + indented + u"D\r\nEF"_s) << 14;
    QTest::newRow("selection across a line break")
        << QStringLiteral("AB\r\nCD") << 1 << 4 << QStringList{QStringLiteral("Command17")} << QString(u"A"_s + plain + u"D"_s) << 2;
    QTest::newRow("plain line twice nests the second in the first")
        << QString() << 0 << 0 << QStringList{QStringLiteral("Command17"), QStringLiteral("Command17")}
        << QStringLiteral(u"「「」<P>」<P>") << 2;
    QTest::newRow("indented then plain lands inside the brackets")
        << QString() << 0 << 0 << QStringList{QStringLiteral("Command12"), QStringLiteral("Command17")}
        << QStringLiteral(u"「<INDENT>「」<P>」</INDENT><P>\r\n") << 10;
}

void TestMainWindow::dialogueSkeletons()
{
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(QStringList, buttons);
    QFETCH(QString, result);
    QFETCH(int, caret);

    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setText(text);
    editor.text()->select(selectionStart, selectionLength);
    for (const QString &name : buttons) {
        QPushButton *button = editor.button(qPrintable(name));
        button->setFocus();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(editor.text()->text(), result);
    QCOMPARE(editor.text()->caret(), caret);
    QCOMPARE(editor.text()->selectionLength(), 0);
    QCOMPARE(QApplication::focusWidget(), editor.text());
    // The author types straight between the brackets.
    editor.type(QStringLiteral(u"はい"));
    QCOMPARE(editor.text()->text(), QString(result).insert(caret, QStringLiteral(u"はい")));
}

void TestMainWindow::sectionScaffolds_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");

    const QString black = QStringLiteral(u"<BACKGROUND COLOR=\"#000000\">\r\n");
    const QString foreword = u"<!-- 前書き -->\r\n"_s + black;
    const QString music = QString::fromUtf16(catalogues::music[11].name.data(), qsizetype(catalogues::music[11].name.size()));
    const QString title = QStringList{
        QStringLiteral(u"<!-- タイトル -->"),
        u"<BGM SRC=\""_s + music + u"\">"_s,
        QStringLiteral("<CURTAIN>"),
        QStringLiteral("<EXIT>"),
        QStringLiteral("<BACKGROUND COLOR=\"#FFFFFF\">"),
        QStringLiteral("</CURTAIN EFFECT=\"EF_NONE\">"),
        QStringLiteral(u"<ENTER NAME=\"ロゴ\">"),
        QStringLiteral(u"<ACT NAME=\"ロゴ\" SRC=\"PDT\\TITLE_LG.PDT\" FOLDER=\"ORVEN\">"),
        QStringLiteral("<BACKGROUND SRC=\"PDT\\TITLE_BG.PDT\" FOLDER=\"ORVEN\" EFFECT=\"EF_FADEIN\">"),
        QStringLiteral("<NL>"),
        QStringLiteral(u"    任意のタイトル  <P>"),
        QStringLiteral("<NL>"),
        QStringLiteral(u"    作者名  <P>"),
    }.join(crlf) + crlf;

    QTest::newRow("foreword at the end of the document")
        << QStringLiteral("mnu_maegaki") << startingDocument() << 279 << 0 << QString(startingDocument() + foreword)
        << int(279 + foreword.size());
    QTest::newRow("main story splits a line")
        << QStringLiteral("mnu_honpen") << QStringLiteral("AB") << 1 << 0
        << QString(u"A<!-- 本編 -->\r\n"_s + black + u"B"_s) << int(1 + 13 + black.size());
    QTest::newRow("afterword replaces the selection")
        << QStringLiteral("mnu_atogaki") << QStringLiteral("xyz") << 0 << 2
        << QString(u"<!-- 後書き -->\r\n"_s + black + u"z"_s) << int(14 + black.size());
    QTest::newRow("title call mid-text leaves the caret at the very end")
        << QStringLiteral("mnu_taitlecall") << QStringLiteral("A\r\nB") << 1 << 0 << QString(u"A"_s + title + u"\r\nB"_s)
        << int(title.size() + 4);
    QTest::newRow("title call replaces the selection")
        << QStringLiteral("mnu_taitlecall") << QStringLiteral("abc") << 1 << 1 << QString(u"a"_s + title + u"c"_s)
        << int(title.size() + 2);
}

void TestMainWindow::sectionScaffolds()
{
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(QString, result);
    QFETCH(int, caret);

    for (int type : {0, 1}) {  // the scaffolds ignore the install type
        Editor editor;
        editor.action(type == 0 ? "mnu_insto_type_0" : "mnu_insto_type_1")->trigger();
        editor.text()->setText(text);
        editor.text()->select(selectionStart, selectionLength);
        editor.action(qPrintable(item))->trigger();
        QCOMPARE(editor.text()->text(), result);
        QCOMPARE(editor.text()->caret(), caret);
        QVERIFY(editor.window->textChanged());
    }
}

void TestMainWindow::simpleScaffoldsLeaveTheFocusAlone()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QPushButton *elsewhere = editor.button("Command13");
    for (const char *item : {"mnu_maegaki", "mnu_honpen", "mnu_atogaki"}) {
        elsewhere->setFocus();
        editor.action(item)->trigger();
        QCOMPARE(QApplication::focusWidget(), elsewhere);
    }
    editor.action("mnu_taitlecall")->trigger();
    QCOMPARE(QApplication::focusWidget(), editor.text());
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
