// The asset palette and the completion list through the real main window
// on the offscreen platform: the palette writes what each row's picker
// writes, for every row under both install types; keys, the rows used
// last and the input method in the palette; the list in Text1's values.
#include "assets/ui/completion.h"
#include "assets/ui/palette.h"
#include "editor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QTreeView>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(markup::InstallType)
Q_DECLARE_METATYPE(std::function<void(ScriptEdit *)>)

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

struct EmptyEditor : Editor {
    EmptyEditor() { text()->setText(QString()); }

    assets::Palette *palette() const { return window->palette(); }
    QLineEdit *field() const { return palette()->findChild<QLineEdit *>(u"paletteField"_s); }
    QTreeView *rows() const { return palette()->findChild<QTreeView *>(u"paletteList"_s); }
    assets::Completion *completion() const { return window->findChild<assets::Completion *>(u"completion"_s); }
    // The names the completion list shows, in order.
    QStringList offered() const
    {
        QStringList names;
        if (!completion()->isShown())
            return names;
        const QAbstractItemModel *model = completion()->list()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 0).data().toString();
        return names;
    }
    QString current() const { return rows()->currentIndex().siblingAtColumn(0).data().toString(); }
};

void setOptions(Editor &editor, markup::InstallType type, bool names)
{
    editor.action(type == markup::InstallType::Adult ? "mnu_insto_type_0" : "mnu_insto_type_1")->trigger();
    if (editor.window->nameDisplayOn() != names)
        editor.button("Command13")->click();
}

// Lets what a keystroke set going happen: the list follows typed text
// once the editor has taken it.
void settle()
{
    QCoreApplication::processEvents();
}

void commit(QWidget *target, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(target, &event);
}

void compose(QWidget *target, const QString &text)
{
    QInputMethodEvent event(text, {});
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class TestAssetsUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    void paletteWritesWhatThePickerWrites_data();
    void paletteWritesWhatThePickerWrites();
    void paletteByKeys();
    void paletteWaitsForTheConversion();
    void completesInsideValues_data();
    void completesInsideValues();
    void completionKeepsTheFocusInText1();
    void completionReplacesAClosedValue();
    void completesATagCutByAPieceEdge();
    void escapeDismissesUntilTheCaretLeaves();
    void completionWaitsForTheConversion();
    void completionFollowsEveryChangeOfTheValue_data();
    void completionFollowsEveryChangeOfTheValue();
};

void TestAssetsUi::paletteWritesWhatThePickerWrites_data()
{
    QTest::addColumn<markup::InstallType>("type");
    QTest::newRow("every row, adult") << markup::InstallType::Adult;
    QTest::newRow("every row, all-ages") << markup::InstallType::AllAges;
}

void TestAssetsUi::paletteWritesWhatThePickerWrites()
{
    QFETCH(markup::InstallType, type);
    EmptyEditor editor;
    const std::vector<assets::Asset> &index = assets::index(type);
    for (std::size_t i = 0; i < index.size(); ++i) {
        const assets::Asset &asset = index[i];
        // Name display on and off in turn: the sprite pickers read it.
        setOptions(editor, type, i % 2 == 0);
        const PickerForm &form = assets::pickerOf(asset);

        // The picker: its row chosen from the list, then OK.
        editor.text()->setText(QString());
        editor.window->launch(form);
        Picker *picker = editor.window->picker(form);
        QVERIFY(picker);
        auto *combo = picker->findChild<PickerCombo *>(u"Combo1"_s);
        combo->showPopup();
        combo->view()->setCurrentIndex(combo->view()->model()->index(int(asset.row), 0));
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QCOMPARE(combo->chosenRow(), int(asset.row));
        picker->findChild<QPushButton *>(u"Command1"_s)->click();
        const QString byPicker = editor.text()->text();
        QVERIFY(!byPicker.isEmpty());

        // The palette: its name in the field, its row highlighted, Return.
        editor.text()->setText(QString());
        editor.palette()->open();
        editor.field()->setText(asset.name().toString());
        const QAbstractItemModel *model = editor.rows()->model();
        int row = 0;
        while (row < model->rowCount() && !(model->index(row, 0).data().toString() == asset.name() &&
                                            model->index(row, 1).data().toString() == asset.kindLabel))
            ++row;
        QVERIFY2(row < model->rowCount(), qPrintable(asset.name().toString()));
        editor.rows()->setCurrentIndex(model->index(row, 0));
        QTest::keyClick(editor.field(), Qt::Key_Return);
        QVERIFY(!editor.palette()->isVisible());
        QVERIFY2(editor.text()->text() == byPicker,
                 qPrintable(u"%1 (%2): palette wrote %3, picker %4"_s.arg(asset.name(), asset.kindLabel,
                                                                          editor.text()->text(), byPicker)));
        QCOMPARE(editor.text()->caret(), byPicker.size());
    }
}

void TestAssetsUi::paletteByKeys()
{
    EmptyEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QAction *item = editor.action("mnu_palette");
    QCOMPARE(item->shortcut(), QKeySequence(u"Ctrl+P"_s));
    item->trigger();
    QTRY_COMPARE(QApplication::focusWidget(), editor.field());
    const int all = int(assets::index(markup::InstallType::Adult).size());
    auto *count = editor.palette()->findChild<QLabel *>(u"paletteCount"_s);
    QCOMPARE(count->text(), u"%1 件(全 %1 件)"_s.arg(all));
    QCOMPARE(editor.current(), qs(catalogues::music[0].name));

    typeInto(editor.field(), u"ＳＮＯＷ"_s);
    QCOMPARE(editor.current(), u"Snow Drop"_s);
    QTest::keyClick(editor.field(), Qt::Key_Down);
    QCOMPARE(editor.current(), u"Memories of Snow"_s);
    QTest::keyClick(editor.field(), Qt::Key_PageDown);
    QCOMPARE(editor.rows()->currentIndex().row(), editor.rows()->model()->rowCount() - 1);
    QTest::keyClick(editor.field(), Qt::Key_PageUp);
    QTest::keyClick(editor.field(), Qt::Key_Down);
    QCOMPARE(editor.current(), u"Memories of Snow"_s);
    QTest::keyClick(editor.field(), Qt::Key_Return);
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\"Memories of Snow\">\r\n"_s);
    QVERIFY(!editor.palette()->isVisible());
    QTRY_VERIFY(editor.text()->hasFocus());

    // Escape writes nothing; opened again, the field is empty and the row
    // used last comes first, then the one used before it.
    editor.window->palette()->open();
    typeInto(editor.field(), u"チャイム"_s);
    QTest::keyClick(editor.field(), Qt::Key_Return);
    editor.window->palette()->open();
    QVERIFY(editor.field()->text().isEmpty());
    QCOMPARE(editor.current(), u"チャイム"_s);
    QTest::keyClick(editor.field(), Qt::Key_Down);
    QCOMPARE(editor.current(), u"Memories of Snow"_s);
    typeInto(editor.field(), u"x"_s);
    QTest::keyClick(editor.field(), Qt::Key_Escape);
    QVERIFY(!editor.palette()->isVisible());
    QTRY_VERIFY(editor.text()->hasFocus());
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\"Memories of Snow\">\r\n<SOUND SRC=\"チャイム\" FOLDER=\"ORVEN\">\r\n"_s);
}

void TestAssetsUi::paletteWaitsForTheConversion()
{
    EmptyEditor editor;
    setOptions(editor, markup::InstallType::Adult, true);
    editor.palette()->open();
    QLineEdit *field = editor.field();
    const int all = editor.rows()->model()->rowCount();
    // Text still being converted neither narrows the rows nor lets a key
    // choose, move or leave.
    compose(field, u"ゆら"_s);
    QCOMPARE(editor.rows()->model()->rowCount(), all);
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Escape);
    QCOMPARE(editor.rows()->currentIndex().row(), 0);
    QVERIFY(editor.palette()->isVisible());
    QVERIFY(editor.text()->text().isEmpty());
    // Committed, it narrows; the commit itself chooses nothing.
    commit(field, u"ゆら／"_s);
    QVERIFY(editor.rows()->model()->rowCount() < all);
    QVERIFY(editor.palette()->isVisible());
    QVERIFY(editor.text()->text().isEmpty());
    QTest::keyClick(field, Qt::Key_Return);
    const catalogues::Row &first = catalogues::sprites::yura[0];
    QCOMPARE(editor.text()->text(), markup::commentLine(qs(first.name)) + markup::actHead(qs(first.ref)) +
                                        markup::folderTail(markup::InstallType::Adult) + u"ゆら "_s);
}

void TestAssetsUi::completesInsideValues_data()
{
    QTest::addColumn<markup::InstallType>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("first");    // the list's first row; empty: no list
    QTest::addColumn<int>("key");          // then pressed
    QTest::addColumn<QString>("written");  // the whole text afterwards

    using markup::InstallType;
    const QString yuraCoat = qs(catalogues::sprites::yura[0].name);
    QTest::newRow("music: a typed part, Return closes the quote")
        << InstallType::Adult << u"<BGM SRC=\"snow"_s << u"Snow Drop"_s << int(Qt::Key_Return)
        << u"<BGM SRC=\"Snow Drop\""_s;
    QTest::newRow("music: Tab does the same") << InstallType::Adult << u"<BGM SRC=\"mem"_s << u"Memories of Snow"_s
                                              << int(Qt::Key_Tab) << u"<BGM SRC=\"Memories of Snow\""_s;
    QTest::newRow("music: an empty value lists every title")
        << InstallType::Adult << u"<BGM SRC=\""_s << qs(catalogues::music[0].name) << int(Qt::Key_Down)
        << u"<BGM SRC=\""_s;
    QTest::newRow("sound: half-width katakana") << InstallType::Adult << u"<SOUND SRC=\"ﾁｬｲ"_s << u"チャイム"_s
                                                << int(Qt::Key_Return) << u"<SOUND SRC=\"チャイム\""_s;
    QTest::newRow("sprite: its name in other kana, its path written")
        << InstallType::Adult << u"<ACT NAME=\"人\" SRC=\"ゆら／こーと"_s << yuraCoat << int(Qt::Key_Return)
        << u"<ACT NAME=\"人\" SRC=\"PDT\\CGYR10.PDT\""_s;
    QTest::newRow("background: a place") << InstallType::Adult << u"<BACKGROUND SRC=\"教室夕"_s << u"教室夕方"_s
                                         << int(Qt::Key_Return) << u"<BACKGROUND SRC=\"教室夕方\""_s;
    QTest::newRow("background: a demo picture's path")
        << InstallType::Adult << u"<BACKGROUND SRC=\"デモ・星"_s << u"デモ・星空"_s << int(Qt::Key_Return)
        << u"<BACKGROUND SRC=\"PDT\\OP_STAR.PDT\""_s;
    QTest::newRow("background: the edition in force")
        << InstallType::AllAges << u"<BACKGROUND SRC=\"ゆら／幼い日の約束("_s
        << qs(catalogues::events::yuraAllAges[1].name) << int(Qt::Key_Return) << u"<BACKGROUND SRC=\"PDT\\FGYR02A.PDT\""_s;
    QTest::newRow("background: the black screen is no source")
        << InstallType::Adult << u"<BACKGROUND SRC=\"黒(背景"_s << QString() << int(Qt::Key_Return)
        << u"<BACKGROUND SRC=\"黒(背景\r\n"_s;
    QTest::newRow("no row: Return is a new line")
        << InstallType::Adult << u"<BGM SRC=\"該当なし"_s << QString() << int(Qt::Key_Return) << u"<BGM SRC=\"該当なし\r\n"_s;
    QTest::newRow("another attribute") << InstallType::Adult << u"<ACT NAME=\"ゆ"_s << QString() << int(Qt::Key_Return)
                                       << u"<ACT NAME=\"ゆ\r\n"_s;
    QTest::newRow("a comment") << InstallType::Adult << u"<!-- <BGM SRC=\"s"_s << QString() << int(Qt::Key_Return)
                               << u"<!-- <BGM SRC=\"s\r\n"_s;
    QTest::newRow("prose") << InstallType::Adult << u"SRC=\"s"_s << QString() << int(Qt::Key_Return)
                           << u"SRC=\"s\r\n"_s;
}

void TestAssetsUi::completesInsideValues()
{
    QFETCH(markup::InstallType, type);
    QFETCH(QString, typed);
    QFETCH(QString, first);
    QFETCH(int, key);
    QFETCH(QString, written);
    EmptyEditor editor;
    setOptions(editor, type, true);
    editor.text()->setFocus();
    editor.type(typed);
    settle();
    QCOMPARE(editor.offered().value(0), first);
    QTest::keyClick(editor.text(), Qt::Key(key));
    settle();
    QCOMPARE(editor.text()->text(), written);
    if (!first.isEmpty() && key != Qt::Key_Down) {
        QVERIFY(!editor.completion()->isShown());
        QCOMPARE(editor.text()->caret(), written.size());
    }
}

void TestAssetsUi::completionKeepsTheFocusInText1()
{
    EmptyEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setFocus();
    editor.type(u"<ACT NAME=\"人\" SRC=\"ゆら"_s);
    settle();
    QVERIFY(editor.completion()->isShown());
    QVERIFY(editor.text()->hasFocus());
    QCOMPARE(QApplication::activeWindow(), editor.window.get());
    // Keys move in the list from Text1.
    const QString second = editor.offered().value(1);
    QTest::keyClick(editor.text(), Qt::Key_Down);
    QCOMPARE(editor.completion()->list()->currentIndex().data().toString(), second);
    QTest::keyClick(editor.text(), Qt::Key_Return);
    QVERIFY(editor.text()->text().endsWith(qs(catalogues::sprites::yura[1].ref) + u'"'));
    QVERIFY(editor.text()->hasFocus());
}

void TestAssetsUi::completionReplacesAClosedValue()
{
    EmptyEditor editor;
    editor.text()->setText(u"<BGM SRC=\"\">\r\n"_s);
    editor.text()->setCaret(10);
    editor.text()->setFocus();
    editor.type(u"mem"_s);
    settle();
    QCOMPARE(editor.offered().value(0), u"Memories of Snow"_s);
    QTest::keyClick(editor.text(), Qt::Key_Return);
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\"Memories of Snow\">\r\n"_s);
    QCOMPARE(editor.text()->caret(), 27);
    // One step takes it back.
    editor.text()->undo();
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\"mem\">\r\n"_s);
}

// A line too long to lay out at once is shown in pieces; a tag whose name
// stands in one piece and its value in the next is completed as one tag.
void TestAssetsUi::completesATagCutByAPieceEdge()
{
    EmptyEditor editor;
    const QString tag = u"<BGM SRC=\"Snow Drop\">"_s;
    const QString line = tag.repeated(ScriptDocument::cutAbove / tag.size() + 10);
    editor.text()->setText(line);
    // A piece that starts inside a tag, after its name.
    const QTextDocument *document = editor.text()->document();
    QTextBlock piece = document->begin().next();
    while (piece.isValid() && !piece.text().startsWith(u"SRC="_s))
        piece = piece.next();
    QVERIFY2(piece.isValid(), "no piece starts inside a tag");
    const qsizetype value = editor.text()->script().toScript(piece.position()) + 5;
    editor.text()->select(value, 9);
    editor.text()->setFocus();
    editor.type(u"mem"_s);
    settle();
    QCOMPARE(editor.offered().value(0), u"Memories of Snow"_s);
    QTest::keyClick(editor.text(), Qt::Key_Tab);
    QString expected = line;
    expected.replace(value, 9, u"Memories of Snow"_s);
    QVERIFY(editor.text()->text() == expected);
    QCOMPARE(editor.text()->caret(), value + 17);
}

void TestAssetsUi::escapeDismissesUntilTheCaretLeaves()
{
    EmptyEditor editor;
    editor.text()->setFocus();
    editor.type(u"<BGM SRC=\"s"_s);
    settle();
    QVERIFY(editor.completion()->isShown());
    QTest::keyClick(editor.text(), Qt::Key_Escape);
    QVERIFY(!editor.completion()->isShown());
    editor.type(u"n"_s);
    settle();
    QVERIFY(!editor.completion()->isShown());
    // Out of the value and back into it: the list comes with the next key.
    QTest::keyClick(editor.text(), Qt::Key_Home);
    QTest::keyClick(editor.text(), Qt::Key_End);
    settle();
    QVERIFY(!editor.completion()->isShown());
    editor.type(u"o"_s);
    settle();
    QCOMPARE(editor.offered().value(0), u"Snow Drop"_s);
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\"sno"_s);
    // The caret taken into another value: the list was for this one.
    editor.text()->setText(u"<SOUND SRC=\"チ\">\r\n<BGM SRC=\""_s);
    editor.text()->setCaret(editor.text()->length());
    editor.type(u"s"_s);
    settle();
    QVERIFY(editor.completion()->isShown());
    editor.text()->setCaret(13);
    QVERIFY(!editor.completion()->isShown());
}

void TestAssetsUi::completionWaitsForTheConversion()
{
    EmptyEditor editor;
    editor.text()->setFocus();
    editor.type(u"<BGM SRC=\""_s);
    settle();
    QVERIFY(editor.completion()->isShown());
    compose(editor.text(), u"ゆき"_s);
    settle();
    QVERIFY(!editor.completion()->isShown());
    compose(editor.text(), u"雪"_s);
    settle();
    QVERIFY(!editor.completion()->isShown());
    commit(editor.text(), u"雪"_s);
    settle();
    QCOMPARE(editor.offered(), QStringList{u"雪明かり"_s});
    QTest::keyClick(editor.text(), Qt::Key_Return);
    QCOMPARE(editor.text()->text(), u"<BGM SRC=\"雪明かり\""_s);
}

QTEST_MAIN(TestAssetsUi)
void TestAssetsUi::completionFollowsEveryChangeOfTheValue_data()
{
    using Change = std::function<void(ScriptEdit *)>;
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("drawnFirst");  // the event loop turns before Return
    const QString name = u"ちとせ／制服・正面・驚き"_s;
    const Change paste = [name](ScriptEdit *text) {
        QApplication::clipboard()->setText(name);
        text->paste();
    };
    QTest::newRow("pasted") << paste << true;
    QTest::newRow("committed by the input method") << Change([name](ScriptEdit *text) { commit(text, name); }) << true;
    QTest::newRow("dropped") << Change([name](ScriptEdit *text) {
        QMimeData data;
        data.setText(name);
        const QPoint at = text->cursorRect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(text->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(text->viewport(), &drop);
    }) << true;
    // The first Return shows the list for the value as it is, and writes
    // nothing; the next writes the row the author now sees.
    QTest::newRow("pasted, Return before the list is drawn again") << paste << false;
}

// A list drawn for an earlier text would write another cast member's
// picture: whatever changes the value, the list is of the value as it is.
void TestAssetsUi::completionFollowsEveryChangeOfTheValue()
{
    QFETCH(std::function<void(ScriptEdit *)>, change);
    QFETCH(bool, drawnFirst);
    EmptyEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setFocus();
    editor.type(u"<ACT NAME=\"人\" SRC=\""_s);
    settle();
    QVERIFY(editor.offered().value(0).startsWith(u"ゆら"_s));
    change(editor.text());
    const QString typed = editor.text()->text();
    QVERIFY(typed.endsWith(u"ちとせ／制服・正面・驚き"_s));
    if (drawnFirst) {
        settle();
    } else {
        QTest::keyClick(editor.text(), Qt::Key_Return);
        QCOMPARE(editor.text()->text(), typed);
    }
    QCOMPARE(editor.offered().value(0), u"ちとせ／制服・正面・驚き"_s);
    QTest::keyClick(editor.text(), Qt::Key_Return);
    QCOMPARE(editor.text()->text(), u"<ACT NAME=\"人\" SRC=\"PDT\\CGCT14.PDT\""_s);
}

#include "test_assets_ui.moc"
