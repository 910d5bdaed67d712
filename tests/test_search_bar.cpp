// The search bar in the main window, through its widgets and keys: focus,
// find as you type, wrapping, Escape, replacing, undo, jumping to a line.
#include "editor.h"
#include "search/ui/search_bar.h"
#include "test_files.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct BarEditor : Editor {
    SearchBar *bar() const { return window->findChild<SearchBar *>(u"search_bar"_s); }
    QLineEdit *field(const char *name) const { return bar()->findChild<QLineEdit *>(QLatin1String(name)); }
    QWidget *control(const char *name) const { return bar()->findChild<QWidget *>(QLatin1String(name)); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    // The count of a long script arrives from the event loop.
    bool countReady() const { return QTest::qWaitFor([&] { return bar()->counted(); }); }
    QString selected() const { return text()->textCursor().selectedText(); }
    // Ctrl+G over four lines, a lone LF inside the second, the caret at 2.
    QLineEdit *openJump() const
    {
        text()->setText(u"abc\r\nd\ne\r\nf\r\ngh"_s);
        text()->setCaret(2);
        key(Qt::Key_G, Qt::ControlModifier);
        return field("jump_line");
    }
};

} // namespace

class TestSearchBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    void findTakesTheFocusAndTheSelection_data();
    void findTakesTheFocusAndTheSelection();
    void typingFindsFromWhereTheSearchStarted();
    void returnGoesOnAndWrapsWithAMessage();
    void escapeLeavesTheMatchSelectedForTyping();
    void replaceAllIsOneUndoStepGivingTheTextBack();
    void replaceOneReplacesOnlyAMatch();
    void invalidExpressionSaysWhyAndFindsNothing();
    void optionKeysToggleAndKeepTheFocus_data();
    void optionKeysToggleAndKeepTheFocus();
    void jumpToALine_data();
    void jumpToALine();
    void jumpTakesTheDigitsTheInputMethodCommits();
    void accessKeysAreUniqueAndNotTheMenuBarsOwn();
    void visibleMatchesAreMarked();
    void countAndMarksFollowEdits();
    void aLineOfMatchesIsMarkedOnlySoFar();
    void escapeStopsASearchUnderWay();
};

void TestSearchBar::findTakesTheFocusAndTheSelection_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("expected");
    QTest::newRow("selection within a line fills the field") << 5 << 3 << u"foo"_s;
    QTest::newRow("selection across lines leaves the field") << 1 << 6 << u"old"_s;
    QTest::newRow("no selection leaves the field") << 5 << 0 << u"old"_s;
}

void TestSearchBar::findTakesTheFocusAndTheSelection()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, expected);
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setText(u"abc\r\nfoo bar\r\nfoo"_s);
    editor.field("search_text")->setText(u"old"_s);
    const int fullHeight = editor.text()->height();
    editor.text()->select(start, length);
    editor.key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(editor.bar()->isVisible());
    QCOMPARE(QApplication::focusWidget(), editor.field("search_text"));
    QCOMPARE(editor.field("search_text")->text(), expected);
    QCOMPARE(editor.field("search_text")->selectedText(), expected);
    QVERIFY(!editor.control("search_replace_row")->isVisible());
    // Text1 gives up the bar's height, and the splitter's handle over it.
    const int handle = editor.window->findChild<QSplitter *>(u"panelSplitter"_s)->handleWidth();
    QCOMPARE(editor.text()->height() + editor.bar()->height() + handle, fullHeight);

    // Ctrl+H adds the replacement row, and Tab goes there from the search field.
    editor.key(Qt::Key_H, Qt::ControlModifier);
    QVERIFY(editor.control("search_replace_row")->isVisible());
    QCOMPARE(QApplication::focusWidget(), editor.field("search_text"));
    editor.key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), editor.field("replace_text"));
    QTRY_COMPARE(editor.text()->height() + editor.bar()->height() + handle, fullHeight);

    editor.key(Qt::Key_Escape);
    QVERIFY(!editor.bar()->isVisible());
    QTRY_COMPARE(editor.text()->height(), fullHeight);
}

void TestSearchBar::typingFindsFromWhereTheSearchStarted()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setText(u"fob\r\nfoo\r\nfo\r\nfoo"_s);
    editor.text()->setCaret(5);
    editor.key(Qt::Key_F, Qt::ControlModifier);
    typeInto(editor.field("search_text"), u"f"_s);
    QCOMPARE(editor.text()->selectionStart(), 5);
    typeInto(editor.field("search_text"), u"oo"_s);
    QCOMPARE(editor.text()->selectionStart(), 5);
    QCOMPARE(editor.selected(), u"foo"_s);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"1 / 2 件"_s);
    // Deleting back to "fo" stays at the same match rather than moving on.
    editor.key(Qt::Key_Backspace);
    QCOMPARE(editor.text()->selectionStart(), 5);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"2 / 4 件"_s);
    typeInto(editor.field("search_text"), u"x"_s);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"見つかりません"_s);
}

void TestSearchBar::returnGoesOnAndWrapsWithAMessage()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setText(u"Ab\r\nab\r\nxAB"_s);
    editor.text()->setCaret(0);
    editor.key(Qt::Key_F, Qt::ControlModifier);
    typeInto(editor.field("search_text"), u"ab"_s);
    QCOMPARE(editor.text()->selectionStart(), 0);
    editor.key(Qt::Key_Return);
    QCOMPARE(editor.text()->selectionStart(), 4);
    QVERIFY(editor.bar()->message().isEmpty());
    editor.key(Qt::Key_F3);
    QCOMPARE(editor.text()->selectionStart(), 9);
    editor.key(Qt::Key_Return);
    QCOMPARE(editor.text()->selectionStart(), 0);
    QCOMPARE(editor.bar()->message(), u"末尾まで検索したので先頭から検索しました"_s);
    editor.key(Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(editor.text()->selectionStart(), 9);
    QCOMPARE(editor.bar()->message(), u"先頭まで検索したので末尾から検索しました"_s);
    editor.key(Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(editor.text()->selectionStart(), 4);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"2 / 3 件"_s);

    // Case kept: only the lower-case one, found again from where the search started.
    QTest::keyClick(editor.field("search_text"), Qt::Key_C, Qt::AltModifier);
    // An access key clicks its control a moment later, as a click shows.
    QTRY_VERIFY(static_cast<QCheckBox *>(editor.control("search_case"))->isChecked());
    QCOMPARE(editor.text()->selectionStart(), 4);
    editor.key(Qt::Key_Return);
    QCOMPARE(editor.text()->selectionStart(), 4);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"1 / 1 件"_s);
}

void TestSearchBar::escapeLeavesTheMatchSelectedForTyping()
{
    // The starting document, unchanged, the caret at its end.
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.key(Qt::Key_F, Qt::ControlModifier);
    typeInto(editor.field("search_text"), u"作者の名前"_s);
    editor.key(Qt::Key_F3);
    editor.key(Qt::Key_F3, Qt::ShiftModifier);
    editor.key(Qt::Key_Escape);
    QVERIFY(!editor.bar()->isVisible());
    QCOMPARE(QApplication::focusWidget(), editor.text());
    QCOMPARE(editor.selected(), u"作者の名前"_s);
    // Finding, moving and closing are no change of the script.
    QVERIFY(!editor.window->textChanged());
    editor.type(u"ちとせ"_s);
    QVERIFY(editor.text()->text().contains(u" AUTHOR = \"ちとせ\"\r\n"_s));
    QVERIFY(editor.window->textChanged());
    QVERIFY(editor.text()->extraSelections().isEmpty());
}

void TestSearchBar::replaceAllIsOneUndoStepGivingTheTextBack()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    // Lone LFs, a no-break space and a line that ends in a match.
    const QString original = u"ゆら「a\u00a0b」\nゆら\r\n\r\nxゆら\r\nゆら"_s;
    editor.text()->setText(original);
    editor.key(Qt::Key_H, Qt::ControlModifier);
    typeInto(editor.field("search_text"), u"ゆら"_s);
    editor.key(Qt::Key_Tab);
    typeInto(editor.field("replace_text"), u"しずく"_s);
    editor.key(Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(editor.bar()->message(), u"4 件置換しました"_s);
    const QString replaced = u"しずく「a\u00a0b」\nしずく\r\n\r\nxしずく\r\nしずく"_s;
    QCOMPARE(readable(editor.text()->text()), readable(replaced));
    QVERIFY(editor.window->textChanged());
    editor.text()->undo();
    QCOMPARE(readable(editor.text()->text()), readable(original));
    QVERIFY(!editor.text()->document()->isUndoAvailable());
    editor.text()->redo();
    QCOMPARE(readable(editor.text()->text()), readable(replaced));

    // Groups of a regular expression, with a lone LF in a match.
    QTest::keyClick(editor.field("replace_text"), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(static_cast<QCheckBox *>(editor.control("search_regex"))->isChecked());
    editor.field("search_text")->clear();
    typeInto(editor.field("search_text"), u"(く)「(.)"_s);
    editor.field("replace_text")->clear();
    typeInto(editor.field("replace_text"), u"\\2\\1"_s);
    editor.key(Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(editor.bar()->message(), u"1 件置換しました"_s);
    QCOMPARE(readable(editor.text()->text()), readable(u"しずaく\u00a0b」\nしずく\r\n\r\nxしずく\r\nしずく"_s));
}

void TestSearchBar::replaceOneReplacesOnlyAMatch()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setText(u"cat cat\r\ncat"_s);
    editor.text()->select(4, 3);
    editor.key(Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(editor.field("search_text")->text(), u"cat"_s);
    editor.field("replace_text")->setText(u"dog"_s);
    QTest::keyClick(editor.field("search_text"), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(editor.text()->text(), u"cat dog\r\ncat"_s);
    QCOMPARE(editor.text()->selectionStart(), 9);
    // A caret that is not on a match first finds one.
    editor.text()->setCaret(1);
    QTest::keyClick(editor.field("search_text"), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(editor.text()->selectionStart(), 9);
    QCOMPARE(editor.text()->text(), u"cat dog\r\ncat"_s);
    QTest::keyClick(editor.field("search_text"), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(editor.text()->text(), u"cat dog\r\ndog"_s);

    // Empty matches are replaced one by one too: a mark at each line start.
    editor.text()->setCaret(0);
    editor.bar()->setSearchText(u"^"_s, {false, true});
    editor.field("replace_text")->setText(u"> "_s);
    QTest::keyClick(editor.field("search_text"), Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(editor.field("search_text"), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(editor.text()->text(), u"> cat dog\r\n> dog"_s);
}

void TestSearchBar::optionKeysToggleAndKeepTheFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("option");
    QTest::newRow("Alt+C in the search field") << u"search_text"_s << int(Qt::Key_C) << u"search_case"_s;
    QTest::newRow("Alt+X in the search field") << u"search_text"_s << int(Qt::Key_X) << u"search_regex"_s;
    QTest::newRow("Alt+C in the replacement field") << u"replace_text"_s << int(Qt::Key_C) << u"search_case"_s;
    QTest::newRow("Alt+X in the replacement field") << u"replace_text"_s << int(Qt::Key_X) << u"search_regex"_s;
}

// What is typed after an option's key goes on into the field it came from:
// once it went to the check box, and a replacement then ran with the
// letters lost.
void TestSearchBar::optionKeysToggleAndKeepTheFocus()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(QString, option);
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.key(Qt::Key_H, Qt::ControlModifier);
    if (field == u"replace_text"_s)
        editor.key(Qt::Key_Tab);
    QLineEdit *typedIn = editor.field(field.toLatin1().constData());
    QCOMPARE(QApplication::focusWidget(), typedIn);
    auto *box = static_cast<QCheckBox *>(editor.control(option.toLatin1().constData()));
    for (const bool ticked : {true, false}) {
        editor.key(key, Qt::AltModifier);
        QCOMPARE(box->isChecked(), ticked);
        QCOMPARE(QApplication::focusWidget(), typedIn);
        editor.key(Qt::Key_Z);
        QVERIFY(typedIn->text().endsWith(u'z'));
    }
    QCOMPARE(typedIn->text(), u"zz"_s);
}

void TestSearchBar::invalidExpressionSaysWhyAndFindsNothing()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setText(u"a(b"_s);
    editor.text()->setCaret(0);
    editor.key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(editor.field("search_text"), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(static_cast<QCheckBox *>(editor.control("search_regex"))->isChecked());
    typeInto(editor.field("search_text"), u"a(b"_s);
    QVERIFY(editor.bar()->message().startsWith(u"正規表現の誤り (4 文字目): "_s));
    // "a" found the first character; the broken pattern moves nothing.
    QCOMPARE(editor.text()->selectionLength(), 1);
    editor.key(Qt::Key_Return);
    editor.key(Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(editor.text()->selectionStart(), 0);
    QCOMPARE(editor.text()->selectionLength(), 1);
    // The selection is the bar's own match: Ctrl+H keeps the pattern typed.
    editor.key(Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(editor.field("search_text")->text(), u"a(b"_s);
    static_cast<QAbstractButton *>(editor.control("replace_all"))->click();
    QCOMPARE(editor.text()->text(), u"a(b"_s);
    QVERIFY(editor.bar()->countText().isEmpty());
}

void TestSearchBar::jumpToALine_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("said");  // beside the field, when the caret stays
    const QString range = u"1 から 4 までの行番号を入力してください"_s;
    QTest::newRow("first line") << u"1"_s << 0 << QString();
    QTest::newRow("a middle line") << u"3"_s << 10 << QString();
    QTest::newRow("the last line") << u"4"_s << 13 << QString();
    QTest::newRow("blanks around the number") << u" 2 "_s << 5 << QString();
    QTest::newRow("zero stays, named") << u"0"_s << -1 << u"「0」行はありません。"_s + range;
    QTest::newRow("past the end stays, named") << u"99999"_s << -1 << u"「99999」行はありません。"_s + range;
    QTest::newRow("not a number stays, named") << u"abc"_s << -1 << u"「abc」行はありません。"_s + range;
    QTest::newRow("nothing typed stays") << QString() << -1 << range;
    QTest::newRow("full-width digits, as the input method writes them") << u"３"_s << 10 << QString();
    QTest::newRow("full-width spaces around full-width digits") << u"\u3000４\u3000"_s << 13 << QString();
    QTest::newRow("full-width past the end stays, named as typed") << u"９９"_s << -1 << u"「９９」行はありません。"_s + range;
}

void TestSearchBar::jumpToALine()
{
    QFETCH(QString, typed);
    QFETCH(int, caret);
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QCOMPARE(QApplication::focusWidget(), editor.openJump());
    QCOMPARE(editor.field("jump_line")->placeholderText(), u"行番号 (1–4)"_s);
    typeInto(editor.field("jump_line"), typed);
    editor.key(Qt::Key_Return);
    if (caret < 0) {
        QFETCH(QString, said);
        QCOMPARE(editor.text()->caret(), 2);
        QCOMPARE(editor.bar()->message(), said);
        // Seen: the label that says it shows, and a screen reader hears it
        // with the field, which keeps the focus.
        QVERIFY(editor.bar()->findChild<QLabel *>(u"jump_message"_s)->isVisible());
        QCOMPARE(editor.field("jump_line")->accessibleDescription(), said);
        QCOMPARE(QApplication::focusWidget(), editor.field("jump_line"));
        QVERIFY(editor.bar()->isVisible());
        // Typing again takes the message away.
        typeInto(editor.field("jump_line"), u"2"_s);
        QVERIFY(editor.bar()->message().isEmpty());
    } else {
        QCOMPARE(editor.text()->caret(), caret);
        QVERIFY(!editor.bar()->isVisible());
        QCOMPARE(QApplication::focusWidget(), editor.text());
    }
}

// With the input method on, digits come as its commit string, full-width;
// while it still converts them, Return is its own and jumps nowhere.
void TestSearchBar::jumpTakesTheDigitsTheInputMethodCommits()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QLineEdit *field = editor.openJump();
    QInputMethodEvent converting(u"３"_s, {});
    QApplication::sendEvent(field, &converting);
    editor.key(Qt::Key_Return);
    QCOMPARE(editor.text()->caret(), 2);
    QVERIFY(editor.bar()->message().isEmpty());
    QCOMPARE(QApplication::focusWidget(), field);
    QInputMethodEvent committed;
    committed.setCommitString(u"３"_s);
    QApplication::sendEvent(field, &committed);
    QCOMPARE(field->text(), u"３"_s);
    editor.key(Qt::Key_Return);
    QCOMPARE(editor.text()->caret(), 10);
    QVERIFY(!editor.bar()->isVisible());
}

void TestSearchBar::accessKeysAreUniqueAndNotTheMenuBarsOwn()
{
    BarEditor editor;
    QSet<QChar> keys;
    QStringList found;
    for (QAbstractButton *button : editor.bar()->findChildren<QAbstractButton *>()) {
        QVERIFY2(!button->objectName().isEmpty(), qPrintable(button->text()));
        const qsizetype amp = button->text().indexOf(u'&');
        if (amp < 0)
            continue;
        const QChar key = button->text().at(amp + 1).toUpper();
        QVERIFY2(!keys.contains(key), qPrintable(button->text()));
        QVERIFY2(!u"FIHESV"_s.contains(key), qPrintable(button->text()));
        keys.insert(key);
        found << button->objectName() + u'=' + key;
    }
    found.sort();
    QCOMPARE(found, (QStringList{u"replace_all=A"_s, u"replace_one=R"_s, u"search_case=C"_s, u"search_regex=X"_s}));
    for (QWidget *child : editor.bar()->findChildren<QWidget *>())
        QVERIFY2(!child->objectName().isEmpty(), child->metaObject()->className());
}

void TestSearchBar::visibleMatchesAreMarked()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QString script;
    for (int line = 0; line < 2000; ++line)
        script += u"<P>行 <p>\r\n"_s;
    editor.text()->setText(script);
    editor.key(Qt::Key_F, Qt::ControlModifier);
    typeInto(editor.field("search_text"), u"<p>"_s);
    // Only what the view shows: two a line, far fewer than the 4000 in all.
    QTRY_VERIFY(!editor.text()->extraSelections().isEmpty());
    const auto marks = editor.text()->extraSelections();
    QVERIFY(marks.size() % 2 == 0 && marks.size() < 200);
    for (const QTextEdit::ExtraSelection &mark : marks)
        QCOMPARE(mark.cursor.selectedText().toLower(), u"<p>"_s);
    const int firstMarked = marks.front().cursor.block().blockNumber();
    editor.text()->verticalScrollBar()->setValue(1500);
    QTRY_VERIFY(editor.text()->extraSelections().front().cursor.block().blockNumber() > firstMarked + 1000);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"1 / 4000 件"_s);
}

void TestSearchBar::countAndMarksFollowEdits()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QString script;
    // Long enough that reading the script again after an edit takes slices.
    for (int line = 0; line < 20000; ++line)
        script += u"ab 「ab」\r\n"_s;
    editor.text()->setText(script);
    editor.key(Qt::Key_F, Qt::ControlModifier);
    typeInto(editor.field("search_text"), u"ab"_s);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"1 / 40000 件"_s);
    // Edits anywhere (including far past what was read), each followed by
    // the count the whole text gives.
    QRandomGenerator random(11);
    for (int round = 0; round < 30; ++round) {
        const qsizetype at = random.bounded(editor.text()->length() + 1);
        const qsizetype length = std::min<qsizetype>(random.bounded(6), editor.text()->length() - at);
        editor.text()->select(at, length);
        const QString pieces[] = {u"ab"_s, u"a"_s, u"b\r\na"_s, QString(), u"AB\r\n"_s};
        editor.text()->insert(pieces[random.bounded(5)]);
        if (round % 3 == 0)
            QVERIFY(editor.countReady());
    }
    QVERIFY(editor.countReady());
    const qsizetype expected = editor.text()->text().count(u"ab"_s, Qt::CaseInsensitive);
    QCOMPARE(editor.bar()->countText().section(u'/', -1).trimmed(), u"%1 件"_s.arg(expected));

    // A match typed into a line in view is marked, one broken is not.
    editor.text()->setText(script);
    const auto marked = [&] {
        int n = 0;
        for (const QTextEdit::ExtraSelection &mark : editor.text()->extraSelections())
            n += mark.cursor.selectedText().compare(u"ab"_s, Qt::CaseInsensitive) == 0;
        return n;
    };
    QTRY_VERIFY(marked() > 0);
    const int before = marked();
    QCOMPARE(before, editor.text()->extraSelections().size());
    editor.text()->setFocus();
    editor.type(u"ab"_s);
    QTRY_COMPARE(marked(), before + 1);
    editor.key(Qt::Key_Delete);
    QTRY_COMPARE(marked(), before);
    QCOMPARE(editor.text()->extraSelections().size(), before);
}

// One line of 100,000 matches: the count has them all, the marks stop at a
// thousand (the editor looks at every mark for every line it paints).
void TestSearchBar::aLineOfMatchesIsMarkedOnlySoFar()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    editor.text()->setText(QString(100'000, u'a'));
    editor.bar()->showFind();
    editor.bar()->setSearchText(u"a"_s);
    QVERIFY(editor.countReady());
    QCOMPARE(editor.bar()->countText(), u"1 / 100000 件"_s);
    QTRY_VERIFY(!editor.text()->extraSelections().isEmpty());
    QVERIFY(editor.text()->extraSelections().size() <= 1000);
}

// A search that takes many slices goes on from the event loop, saying so,
// and Escape ends it there: nothing is selected after it.
void TestSearchBar::escapeStopsASearchUnderWay()
{
    BarEditor editor;
    QVERIFY(QTest::qWaitForWindowActive(editor.window.get()));
    QString script;
    for (int line = 0; line < 40'000; ++line)
        script += u"0123456789 0123456789 0123456789 0123456789\r\n"_s;
    editor.text()->setText(script + u"end"_s);
    editor.text()->setCaret(0);
    // Each run of digits is split every way before the expression gives up
    // on it: a little work a line, a lot over the script.
    editor.bar()->setSearchText(u"(\\d+)+x|end"_s, {false, true});
    QVERIFY2(editor.selected() != u"end"_s, "the search ran past its first slice before returning");
    QCOMPARE(editor.bar()->message(), u"検索中…"_s);
    editor.bar()->dismiss();
    QVERIFY(!QTest::qWaitFor([&] { return editor.selected() == u"end"_s; }, 300));
    QVERIFY(editor.selected().isEmpty());
}

QTEST_MAIN(TestSearchBar)
#include "test_search_bar.moc"

