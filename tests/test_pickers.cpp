// The nineteen pickers through their real windows: opening on the main
// window's corner, the list, and the fragment OK writes for every row of
// every picker under both install types and both name-display states.
#include "catalogues/catalogue.h"
#include "editor.h"
#include "pickers/picker.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(markup::InstallType)

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

enum class Family { Music, Place, Sound, Sprite, Event };

struct Launcher {
    const char *control;  // button or menu item on Form1
    int form;
    Family family;
    const char16_t *caption;
    const char16_t *speaker;  // sprite pickers
};

const Launcher launchers[] = {
    {"Command14", 2, Family::Music, u"音楽選択", nullptr},
    {"Command15", 3, Family::Place, u"場所選択", nullptr},
    {"Command16", 4, Family::Sound, u"効果音選択", nullptr},
    {"Command1", 5, Family::Sprite, u"星野ゆら選択", u"ゆら "},
    {"Command7", 6, Family::Sprite, u"宮下紗雪選択", u"紗雪 "},
    {"Command3", 7, Family::Sprite, u"白石晴美選択", u"晴美 "},
    {"Command2", 8, Family::Sprite, u"白石ちとせ選択", u"ちとせ "},
    {"Command10", 9, Family::Sprite, u"森本航選択", u"森本 "},
    {"Command8", 10, Family::Sprite, u"桐原千景選択", u"千景 "},
    {"Command5", 11, Family::Sprite, u"高峰小夜子選択", u"小夜子 "},
    {"Command9", 12, Family::Sprite, u"桐原しずく選択", u"しずく "},
    {"Command6", 13, Family::Sprite, u"柚木真白選択", u"真白 "},
    {"Command4", 14, Family::Sprite, u"朝倉凛選択", u"凛 "},
    {"mnu_hosino", 15, Family::Event, u"星野ゆら(イベントCG)選択", nullptr},
    {"mnu_demo", 16, Family::Event, u"デモCG他選択", nullptr},
    {"mnu_chitose", 17, Family::Event, u"白石ちとせ(イベントCG)選択", nullptr},
    {"mnu_sizuku", 18, Family::Event, u"桐原しずく(イベントCG)選択", nullptr},
    {"mnu_rin", 19, Family::Event, u"朝倉凛(イベントCG)選択", nullptr},
    {"mnu_yuzuki", 20, Family::Event, u"柚木真白(イベントCG)選択", nullptr},
};

const Launcher &launcherOf(int form)
{
    return launchers[form - 2];
}

// The rows a picker lists under an install type, straight from the tables.
catalogues::Catalogue rowsOf(int form, markup::InstallType type)
{
    const PickerForm &f = pickerNumbered(form);
    return type == markup::InstallType::Adult ? f.adult : f.allAges;
}

QString folder(markup::InstallType type)
{
    return type == markup::InstallType::Adult ? u"ORVEN"_s : u"OrvenA"_s;
}

// What OK must write for a field text and the picture the row stands for.
QString expected(const Launcher &l, const QString &field, const QString &picture, markup::InstallType type,
                 bool names, bool lastPlace = false)
{
    const QString tail = folder(type) + u"\">\r\n"_s;
    switch (l.family) {
    case Family::Music:
        return u"<BGM SRC=\""_s + field + u"\">\r\n"_s;
    case Family::Sound:
        return u"<SOUND SRC=\""_s + field + u"\" FOLDER=\"ORVEN\">\r\n"_s;
    case Family::Place:
        return lastPlace ? u"<BACKGROUND COLOR=\"#000000\">"_s : u"<BACKGROUND SRC=\""_s + field + u"\" FOLDER=\""_s + tail;
    case Family::Sprite:
        return u"<!--- \" "_s + field + u" \" --->\r\n<ACT NAME=\"人\" SRC=\""_s + picture + u"\" FOLDER=\""_s + tail +
               (names ? QString::fromUtf16(l.speaker) : QString());
    case Family::Event:
        return u"<!--- \" "_s + field + u" \" --->\r\n<BACKGROUND SRC=\""_s + picture + u"\" FOLDER=\""_s + tail;
    }
    return {};
}

QWidget *openPicker(Editor &editor, int form)
{
    const Launcher &l = launcherOf(form);
    if (QPushButton *button = editor.button(l.control))
        button->click();
    else
        editor.action(l.control)->trigger();
    return editor.picker(form);
}

PickerCombo *comboOf(QWidget *picker) { return picker->findChild<PickerCombo *>(u"Combo1"_s); }
QPushButton *okOf(QWidget *picker) { return picker->findChild<QPushButton *>(u"Command1"_s); }

// Picks a row the way a person does: drop the list down, move to the row,
// press Return.
void choose(QComboBox *combo, int row)
{
    combo->showPopup();
    QAbstractItemView *list = combo->view();
    list->setCurrentIndex(list->model()->index(row, 0));
    QTest::keyClick(list, Qt::Key_Return);
}

void setOptions(Editor &editor, markup::InstallType type, bool names)
{
    editor.action(type == markup::InstallType::Adult ? "mnu_insto_type_0" : "mnu_insto_type_1")->trigger();
    if (editor.window->nameDisplayOn() != names)
        editor.button("Command13")->click();
}

// An editor with an empty script, caret at 0.
struct EmptyEditor : Editor {
    EmptyEditor() { text()->setText(QString()); }
};

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    void launcherOpensItsPickerOnTheCorner_data();
    void launcherOpensItsPickerOnTheCorner();
    void everyRowWritesItsFragment_data();
    void everyRowWritesItsFragment();
    void writesTheWorkedExamples_data();
    void writesTheWorkedExamples();
    void typedAndEmptiedFields_data();
    void typedAndEmptiedFields();
    void arrowKeysChooseRows();
    void typingFiltersRowsAndAChoiceCounts();
    void droppedRowsAreInTheFieldsFont();
    void enterPressesOkAndEscapeLeaves();
    void keysWhileRowsAreDroppedDown_data();
    void keysWhileRowsAreDroppedDown();
    void firstPieceReplacesTheSelection();
    void optionsAreReadAtOk();
    void eventListFollowsInstallTypeAtLoading();
    void reopeningKeepsTheChoiceAndReturnsToTheCorner();
    void severalPickersAtOnce();
    void closeBoxWritesNothingAndUnloads();
    void pickersCloseWithTheMainWindow();
};

void TestPickers::launcherOpensItsPickerOnTheCorner_data()
{
    QTest::addColumn<int>("form");
    for (const Launcher &l : launchers)
        QTest::newRow(qPrintable(u"%1 opens Form%2"_s.arg(QLatin1String(l.control)).arg(l.form))) << l.form;
}

void TestPickers::launcherOpensItsPickerOnTheCorner()
{
    QFETCH(int, form);
    const Launcher &l = launcherOf(form);
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    const QString before = editor.text()->text();
    QWidget *picker = openPicker(editor, form);
    QVERIFY(picker);
    QCOMPARE(picker->objectName(), u"Form%1"_s.arg(form));
    QCOMPARE(picker->windowTitle(), QString::fromUtf16(l.caption));
    QVERIFY(picker->isVisible());
    QVERIFY(!picker->isModal());
    QCOMPARE(picker->pos(), editor.window->pos());
    QVERIFY(picker->width() >= 528 && picker->width() <= 545);
    // A picture's picker has an empty line under the field for what OK
    // refuses; the others are the field's height.
    auto *message = picker->findChild<QLabel *>(u"message"_s);
    if (l.family == Family::Sprite || l.family == Family::Event) {
        QVERIFY(message && message->text().isEmpty());
        QVERIFY(message->geometry().top() >= 24 && message->geometry().bottom() < picker->height());
    } else {
        QVERIFY(!message);
        QVERIFY(picker->height() >= 24 && picker->height() <= 26);
    }

    const catalogues::Catalogue rows = rowsOf(form, markup::InstallType::Adult);
    PickerCombo *combo = comboOf(picker);
    QVERIFY(combo && combo->isEditable());
    QCOMPARE(okOf(picker)->text(), u"OK"_s);
    QCOMPARE(combo->count(), int(rows.size()));
    for (int i = 0; i < combo->count(); ++i)
        QCOMPARE(combo->itemText(i), qs(rows[std::size_t(i)].name));
    QCOMPARE(combo->currentText(), qs(rows.front().name));
    QCOMPARE(combo->chosenRow(), -1);
    QCOMPARE(combo->lineEdit()->selectedText(), qs(rows.front().name));
    QVERIFY(combo->font().bold());
    QCOMPARE(combo->font().pointSize(), 12);
    // Opening writes nothing and leaves the script's caret alone.
    QCOMPARE(editor.text()->text(), before);
    QVERIFY(!editor.window->textChanged());
}

void TestPickers::everyRowWritesItsFragment_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<markup::InstallType>("type");
    QTest::addColumn<bool>("names");
    for (const Launcher &l : launchers) {
        for (auto type : {markup::InstallType::Adult, markup::InstallType::AllAges}) {
            for (bool names : {true, false}) {
                if (l.family != Family::Sprite && !names)
                    continue;  // only sprites read name display
                QTest::newRow(qPrintable(u"Form%1 %2%3"_s.arg(l.form)
                                             .arg(type == markup::InstallType::Adult ? u"adult"_s : u"all-ages"_s,
                                                  l.family == Family::Sprite ? (names ? u", names on"_s : u", names off"_s)
                                                                             : QString())))
                    << l.form << type << names;
            }
        }
    }
}

void TestPickers::everyRowWritesItsFragment()
{
    QFETCH(int, form);
    QFETCH(markup::InstallType, type);
    QFETCH(bool, names);
    const Launcher &l = launcherOf(form);
    const catalogues::Catalogue rows = rowsOf(form, type);
    EmptyEditor editor;
    setOptions(editor, type, names);

    // Row -1 is OK right after opening: the first row's fragment.
    for (int row = -1; row < int(rows.size()); ++row) {
        editor.text()->setText(QString());
        QWidget *picker = openPicker(editor, form);
        if (row >= 0)
            choose(comboOf(picker), row);
        QCOMPARE(comboOf(picker)->chosenRow(), row);
        okOf(picker)->click();
        const catalogues::Row &r = rows[std::size_t(std::max(row, 0))];
        const bool lastPlace = l.family == Family::Place && row == int(rows.size()) - 1;
        const QString want = expected(l, qs(r.name), qs(r.ref), type, names, lastPlace);
        QCOMPARE(editor.text()->text(), want);
        QCOMPARE(editor.text()->caret(), want.size());
        QVERIFY(!editor.picker(form));
        QCOMPARE(editor.window->focusWidget(), editor.text());
    }
}

void TestPickers::writesTheWorkedExamples_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("row");  // "" for OK without choosing
    QTest::addColumn<markup::InstallType>("type");
    QTest::addColumn<bool>("names");
    QTest::addColumn<QString>("written");

    using markup::InstallType;
    const QString yura = u"<!--- \" ゆら／コート・少し横向・普通 \" --->\r\n<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\" FOLDER=\""_s;
    QTest::newRow("ゆら, nothing chosen, adult, names on")
        << 5 << QString() << InstallType::Adult << true << QString(yura + u"ORVEN\">\r\nゆら "_s);
    QTest::newRow("ゆら, row 0 chosen, all-ages, names on")
        << 5 << u"ゆら／コート・少し横向・普通"_s << InstallType::AllAges << true << QString(yura + u"OrvenA\">\r\nゆら "_s);
    QTest::newRow("ゆら, names off ends with the line break")
        << 5 << QString() << InstallType::Adult << false << QString(yura + u"ORVEN\">\r\n"_s);
    QTest::newRow("ゆら's dark row 1")
        << 5 << u"ゆら／コート・少し横向・普通・暗"_s << InstallType::Adult << false
        << u"<!--- \" ゆら／コート・少し横向・普通・暗 \" --->\r\n<ACT NAME=\"人\" SRC=\"PDT\\CGYR10N.PDT\" FOLDER=\"ORVEN\">\r\n"_s;
    QTest::newRow("date card, adult")
        << 16 << u"日付１月７日"_s << InstallType::Adult << true
        << u"<!--- \" 日付１月７日 \" --->\r\n<BACKGROUND SRC=\"PDT\\BG107.PDT\" FOLDER=\"ORVEN\">\r\n"_s;
    QTest::newRow("date card, all-ages")
        << 16 << u"日付１月３１日"_s << InstallType::AllAges << true
        << u"<!--- \" 日付１月３１日 \" --->\r\n<BACKGROUND SRC=\"PDT\\BG131.PDT\" FOLDER=\"OrvenA\">\r\n"_s;
    QTest::newRow("classroom, adult") << 3 << u"教室"_s << InstallType::Adult << true
                                      << u"<BACKGROUND SRC=\"教室\" FOLDER=\"ORVEN\">\r\n"_s;
    QTest::newRow("classroom, all-ages") << 3 << u"教室"_s << InstallType::AllAges << true
                                         << u"<BACKGROUND SRC=\"教室\" FOLDER=\"OrvenA\">\r\n"_s;
    QTest::newRow("black background has no line break")
        << 3 << u"黒(背景無し)"_s << InstallType::AllAges << true << u"<BACKGROUND COLOR=\"#000000\">"_s;
    QTest::newRow("chime under all-ages still names ORVEN")
        << 4 << u"チャイム"_s << InstallType::AllAges << true << u"<SOUND SRC=\"チャイム\" FOLDER=\"ORVEN\">\r\n"_s;
}

void TestPickers::writesTheWorkedExamples()
{
    QFETCH(int, form);
    QFETCH(QString, row);
    QFETCH(markup::InstallType, type);
    QFETCH(bool, names);
    QFETCH(QString, written);
    EmptyEditor editor;
    setOptions(editor, type, names);
    QWidget *picker = openPicker(editor, form);
    if (!row.isEmpty()) {
        const int index = comboOf(picker)->findText(row);
        QVERIFY2(index >= 0, qPrintable(row));
        choose(comboOf(picker), index);
    }
    okOf(picker)->click();
    QCOMPARE(editor.text()->text(), written);
    // Text typed next goes where the fragment ends: on the tag's own line
    // for the black background, after the speaker's name for a sprite.
    editor.type(u"x"_s);
    QCOMPARE(editor.text()->text(), written + u'x');
}

void TestPickers::typedAndEmptiedFields_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");  // empty: OK refused, the picker still open

    QTest::newRow("music: typed title is the reference") << 2 << u"abc"_s << u"<BGM SRC=\"abc\">\r\n"_s;
    QTest::newRow("music: emptied field") << 2 << QString() << u"<BGM SRC=\"\">\r\n"_s;
    QTest::newRow("sound: emptied field") << 4 << QString() << u"<SOUND SRC=\"\" FOLDER=\"ORVEN\">\r\n"_s;
    QTest::newRow("place: emptied field") << 3 << QString() << u"<BACKGROUND SRC=\"\" FOLDER=\"ORVEN\">\r\n"_s;
    QTest::newRow("place: quote and > written as typed")
        << 3 << u"a\">b"_s << u"<BACKGROUND SRC=\"a\">b\" FOLDER=\"ORVEN\">\r\n"_s;
    QTest::newRow("place: the last row's name typed picks the last row")
        << 3 << u"黒(背景無し)"_s << u"<BACKGROUND COLOR=\"#000000\">"_s;
    QTest::newRow("sprite: a name no row has is refused, no picture written")
        << 5 << u"ゆら／水着・笑顔"_s << QString();
    QTest::newRow("sprite: the emptied field is refused") << 5 << QString() << QString();
    QTest::newRow("sprite: a row's exact name counts as choosing it")
        << 5 << u"ゆら／コート・正面・笑顔"_s
        << u"<!--- \" ゆら／コート・正面・笑顔 \" --->\r\n<ACT NAME=\"人\" SRC=\"PDT\\CGYR21.PDT\" FOLDER=\"ORVEN\">\r\nゆら "_s;
    QTest::newRow("event: a comment closer typed is no row's name, refused")
        << 17 << u"--->x"_s << QString();
    QTest::newRow("event: a row's name in another case is no row's name")
        << 16 << u"システム・cg鑑賞モード"_s << QString();
}

void TestPickers::typedAndEmptiedFields()
{
    QFETCH(int, form);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    EmptyEditor editor;
    QWidget *picker = openPicker(editor, form);
    QLineEdit *field = comboOf(picker)->lineEdit();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    typeInto(field, typed);
    okOf(picker)->click();
    QCOMPARE(editor.text()->text(), written);
    if (!written.isEmpty())
        return;
    // Refused: open, the text kept, the reason under the field until it is
    // edited; a row's name then writes that row.
    QCOMPARE(editor.picker(form), picker);
    QCOMPARE(comboOf(picker)->currentText(), typed);
    auto *message = picker->findChild<QLabel *>(u"message"_s);
    QCOMPARE(message->text(), typed.isEmpty() ? u"名前が入っていません。一覧から選んでください。"_s
                                              : u"「%1」という名前の行はありません。一覧から選んでください。"_s.arg(typed));
    typeInto(field, u"x"_s);
    QVERIFY(message->text().isEmpty());
    const catalogues::Row &first = rowsOf(form, markup::InstallType::Adult)[0];
    field->selectAll();
    typeInto(field, qs(first.name));
    okOf(picker)->click();
    QVERIFY(!editor.picker(form));
    QVERIFY(editor.text()->text().contains(u"SRC=\""_s + qs(first.ref) + u'"'));
}

void TestPickers::arrowKeysChooseRows()
{
    EmptyEditor editor;
    QWidget *picker = openPicker(editor, 5);
    QVERIFY(QTest::qWaitForWindowActive(picker));
    PickerCombo *combo = comboOf(picker);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->chosenRow(), 0);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->chosenRow(), 2);
    QCOMPARE(combo->currentText(), qs(catalogues::sprites::yura[2].name));
    // Typing after a choice unchooses the row again.
    typeInto(combo->lineEdit(), u"!"_s);
    QCOMPARE(combo->chosenRow(), -1);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(combo->chosenRow(), 2);  // the exact name again
}

void TestPickers::typingFiltersRowsAndAChoiceCounts()
{
    EmptyEditor editor;
    QWidget *picker = openPicker(editor, 5);
    QVERIFY(QTest::qWaitForWindowActive(picker));
    PickerCombo *combo = comboOf(picker);
    QLineEdit *field = combo->lineEdit();
    typeInto(field, u"制服・正面"_s);

    QStringList holding;
    for (const catalogues::Row &row : catalogues::sprites::yura)
        if (qs(row.name).contains(u"制服・正面"_s))
            holding << qs(row.name);
    QVERIFY(holding.size() > 2);
    QCompleter *completer = combo->completer();
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->completionCount(), holding.size());
    QCOMPARE(combo->chosenRow(), -1);

    // Down twice and Return in the dropped rows picks the second of them;
    // that Return does not also press OK.
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QCOMPARE(combo->currentText(), holding.at(1));
    QCOMPARE(combo->chosenRow(), combo->findText(holding.at(1)));
    QCOMPARE(editor.picker(5), picker);
    QVERIFY(editor.text()->text().isEmpty());

    // The next Return in the field is OK.
    QTest::keyClick(combo, Qt::Key_Return);
    QVERIFY(!editor.picker(5));
    const catalogues::Row &row = catalogues::sprites::yura[std::size_t(combo->findText(holding.at(1)))];
    QVERIFY(editor.text()->text().contains(u"SRC=\""_s + qs(row.ref) + u'"'));
}

// The rows dropped down, from the list's button or while typing, read as
// large as the field they drop from.
void TestPickers::droppedRowsAreInTheFieldsFont()
{
    Editor editor;
    PickerCombo *combo = comboOf(openPicker(editor, 5));
    combo->showPopup();
    QCOMPARE(combo->view()->font(), combo->font());
    combo->hidePopup();
    typeInto(combo->lineEdit(), u"正面"_s);
    QTRY_VERIFY(combo->completer()->popup()->isVisible());
    QCOMPARE(combo->completer()->popup()->font(), combo->font());
    QCOMPARE(combo->completer()->popup()->fontMetrics().height(), combo->lineEdit()->fontMetrics().height());
}

void TestPickers::enterPressesOkAndEscapeLeaves()
{
    EmptyEditor editor;
    QWidget *picker = openPicker(editor, 2);
    QVERIFY(QTest::qWaitForWindowActive(picker));
    QTest::keyClick(comboOf(picker), Qt::Key_Escape);
    QVERIFY(!editor.picker(2));
    QVERIFY(editor.text()->text().isEmpty());

    picker = openPicker(editor, 2);
    QVERIFY(QTest::qWaitForWindowActive(picker));
    QTest::keyClick(comboOf(picker), Qt::Key_Return);
    QVERIFY(!editor.picker(2));
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\""_s + qs(catalogues::music[0].name) + u"\">\r\n"_s);
}

void TestPickers::keysWhileRowsAreDroppedDown_data()
{
    QTest::addColumn<QString>("typed");      // empty: the list dropped down from its button
    QTest::addColumn<QList<int>>("keys");   // pressed one after another where the focus is
    QTest::addColumn<bool>("stillOpen");
    QTest::addColumn<QString>("field");     // the comment written, or the field's text if still open
    QTest::addColumn<int>("picture");       // the row whose picture the tag names; -1 when nothing is written

    const QString uniform = u"制服・正面"_s;
    const auto firstHolding = [](const QString &part) {
        for (std::size_t i = 0; i < catalogues::sprites::yura.size(); ++i)
            if (qs(catalogues::sprites::yura[i].name).contains(part))
                return int(i);
        return -1;
    };
    const int first = firstHolding(uniform);
    const QString firstName = qs(catalogues::sprites::yura[std::size_t(first)].name);
    QVERIFY(first > 0);  // a row other than the list's first, or the row could not tell

    QTest::newRow("typed part, Return, none highlighted: the first dropped row is picked, OK is not pressed")
        << uniform << QList<int>{Qt::Key_Return} << true << firstName << -1;
    QTest::newRow("typed part, Return twice: the first dropped row's picture is written")
        << uniform << QList<int>{Qt::Key_Return, Qt::Key_Return} << false << firstName << first;
    QTest::newRow("text matching no row: Return is OK, which refuses it and writes nothing")
        << u"自作の立ち絵"_s << QList<int>{Qt::Key_Return} << true << u"自作の立ち絵"_s << -1;
    QTest::newRow("typed part, Escape: only the dropped rows close")
        << uniform << QList<int>{Qt::Key_Escape} << true << uniform << -1;
    QTest::newRow("typed part, Escape twice: the picker closes, nothing written")
        << uniform << QList<int>{Qt::Key_Escape, Qt::Key_Escape} << false << QString() << -1;
    QTest::newRow("list dropped from its button, Escape: only the list closes")
        << QString() << QList<int>{Qt::Key_Escape} << true << qs(catalogues::sprites::yura[0].name) << -1;
    QTest::newRow("list dropped from its button, Escape twice: the picker closes")
        << QString() << QList<int>{Qt::Key_Escape, Qt::Key_Escape} << false << QString() << -1;
}

void TestPickers::keysWhileRowsAreDroppedDown()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, keys);
    QFETCH(bool, stillOpen);
    QFETCH(QString, field);
    QFETCH(int, picture);
    EmptyEditor editor;
    setOptions(editor, markup::InstallType::Adult, false);
    QWidget *picker = openPicker(editor, 5);
    QVERIFY(QTest::qWaitForWindowActive(picker));
    PickerCombo *combo = comboOf(picker);
    QAbstractItemView *rows = combo->completer()->popup();
    if (typed.isEmpty()) {
        combo->showPopup();
        rows = combo->view();
    } else {
        typeInto(combo->lineEdit(), typed);
    }
    const bool dropped = typed != u"自作の立ち絵"_s;
    QTRY_COMPARE(rows->isVisible(), dropped);
    const QPointer<QWidget> alive = picker;
    for (int key : keys) {
        QVERIFY2(alive && alive->isVisible(), "the picker closed before its last key");
        // Keys go where a real one would: to the rows while they show.
        QTest::keyClick(rows->isVisible() ? static_cast<QWidget *>(rows) : combo, Qt::Key(key));
    }
    QCOMPARE(editor.picker(5) != nullptr, stillOpen);
    if (stillOpen) {
        QVERIFY(!rows->isVisible());
        QCOMPARE(combo->currentText(), field);
        QVERIFY(editor.text()->text().isEmpty());
        return;
    }
    const QString written = editor.text()->text();
    if (picture < 0) {
        QVERIFY2(written.isEmpty(), qPrintable(written));
        return;
    }
    QCOMPARE(written, expected(launcherOf(5), field, qs(catalogues::sprites::yura[std::size_t(picture)].ref),
                               markup::InstallType::Adult, false));
}

void TestPickers::firstPieceReplacesTheSelection()
{
    Editor editor;
    editor.text()->setText(u"前[選択]後"_s);
    editor.text()->select(1, 4);
    setOptions(editor, markup::InstallType::Adult, true);
    okOf(openPicker(editor, 9))->click();
    const QString block = expected(launcherOf(9), qs(catalogues::sprites::wataru[0].name),
                                   qs(catalogues::sprites::wataru[0].ref), markup::InstallType::Adult, true);
    QCOMPARE(editor.text()->text(), u"前"_s + block + u"後"_s);
    QCOMPARE(editor.text()->caret(), 1 + block.size());
}

void TestPickers::optionsAreReadAtOk()
{
    EmptyEditor editor;
    QWidget *place = openPicker(editor, 3);
    QWidget *sprite = openPicker(editor, 14);
    editor.action("mnu_insto_type_1")->trigger();
    editor.button("Command13")->click();
    okOf(place)->click();
    okOf(sprite)->click();
    const QString text = editor.text()->text();
    QVERIFY2(text.count(u"FOLDER=\"OrvenA\""_s) == 2, qPrintable(text));
    QVERIFY2(text.endsWith(u"\">\r\n"_s), qPrintable(text));  // no speaker: name display went off
}

void TestPickers::eventListFollowsInstallTypeAtLoading()
{
    EmptyEditor editor;
    QWidget *picker = openPicker(editor, 15);
    QCOMPARE(comboOf(picker)->count(), 31);
    editor.action("mnu_insto_type_1")->trigger();
    // The open picker keeps the list it loaded; its tag follows the switch.
    QCOMPARE(openPicker(editor, 15), picker);
    QCOMPARE(comboOf(picker)->count(), 31);
    choose(comboOf(picker), 30);
    okOf(picker)->click();
    const auto &adultLast = catalogues::events::yuraAdult[30];
    QCOMPARE(editor.text()->text(), u"<!--- \" "_s + qs(adultLast.name) + u" \" --->\r\n<BACKGROUND SRC=\""_s +
                                        qs(adultLast.ref) + u"\" FOLDER=\"OrvenA\">\r\n"_s);
    // Opened afresh it lists the all-ages pictures.
    picker = openPicker(editor, 15);
    QCOMPARE(comboOf(picker)->count(), 34);
    QCOMPARE(comboOf(picker)->itemText(33), qs(catalogues::events::yuraAllAges[33].name));
}

void TestPickers::reopeningKeepsTheChoiceAndReturnsToTheCorner()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    QWidget *picker = openPicker(editor, 8);
    choose(comboOf(picker), 7);
    picker->move(picker->pos() + QPoint(150, 120));
    editor.window->move(editor.window->pos() + QPoint(-40, 30));
    QTRY_VERIFY(picker->pos() != editor.window->pos());
    QCOMPARE(openPicker(editor, 8), picker);
    QCOMPARE(comboOf(picker)->chosenRow(), 7);
    QCOMPARE(comboOf(picker)->currentText(), qs(catalogues::sprites::chitose[7].name));
    QTRY_COMPARE(picker->pos(), editor.window->pos());
}

void TestPickers::severalPickersAtOnce()
{
    EmptyEditor editor;
    QList<QWidget *> open;
    for (int form : {2, 5, 16, 20})
        open << openPicker(editor, form);
    for (QWidget *picker : open) {
        QVERIFY(picker->isVisible());
        QCOMPARE(picker->pos(), editor.window->pos());
    }
    okOf(open[1])->click();
    QVERIFY(editor.text()->text().startsWith(u"<!--- \" ゆら／"_s));
    for (int form : {2, 16, 20})
        QVERIFY(editor.picker(form));
    QVERIFY(!editor.picker(5));
}

void TestPickers::closeBoxWritesNothingAndUnloads()
{
    Editor editor;
    QWidget *picker = openPicker(editor, 12);
    choose(comboOf(picker), 3);
    picker->close();
    QCOMPARE(editor.text()->length(), 279);
    QVERIFY(!editor.window->textChanged());
    QVERIFY(!editor.picker(12));
    // Opened again it is loaded afresh: nothing chosen.
    QCOMPARE(comboOf(openPicker(editor, 12))->chosenRow(), -1);
}

void TestPickers::pickersCloseWithTheMainWindow()
{
    QPointer<QWidget> music;
    QPointer<QWidget> demo;
    {
        Editor editor;
        music = openPicker(editor, 2);
        demo = openPicker(editor, 16);
        QVERIFY(editor.window->close());
        QVERIFY(!music || !music->isVisible());
        QVERIFY(!demo || !demo->isVisible());
    }
    QVERIFY(!music && !demo);
}

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
