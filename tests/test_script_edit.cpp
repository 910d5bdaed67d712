// Text1's layer over the editor: offsets in which CR LF counts two, a text
// that comes back exactly as it went in, and the one insertion.
#include "editor/editor_frame.h"
#include "editor/script_edit.h"
#include "editor/status_line.h"
#include "test_files.h"

#include <QApplication>
#include <QLabel>
#include <QTextBlock>
#include <QClipboard>
#include <QSignalSpy>
#include <QSplitter>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestScriptEdit : public QObject
{
    Q_OBJECT

private slots:
    void textComesBackAsItWasSet_data();
    void textComesBackAsItWasSet();
    void caretOffsetsCountLineBreaksTwice();
    void insertion_data();
    void insertion();
    void insertionIsOneUndoStep();
    void replacingEach_data();
    void replacingEach();
    void marksOfOneKindLeaveTheOthers();
    void shiftEnterBreaksTheLineLikeEnter();
    void pasteMakesEveryLineEndABreak_data();
    void pasteMakesEveryLineEndABreak();
    void copyKeepsTheCharacters();
    void onlyContentChangesAreReported();
    void lineNumbersFitEachNewText();
    void framePanelsTakeTheirHeightFromText1();
    void keysAtAPieceBreakActOnTheScript_data();
    void keysAtAPieceBreakActOnTheScript();
    void ctrlKDeletesToTheEndOfTheScriptLine_data();
    void ctrlKDeletesToTheEndOfTheScriptLine();
    void clicksSelectWholeWordsAndLines_data();
    void clicksSelectWholeWordsAndLines();
    void dragsAfterClicksKeepWholeUnits_data();
    void dragsAfterClicksKeepWholeUnits();
};

void TestScriptEdit::textComesBackAsItWasSet_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("only a line break") << u"\r\n"_s;
    QTest::newRow("ends in a line break") << u"a\r\nb\r\n"_s;
    QTest::newRow("empty lines") << u"\r\n\r\n\r\nx\r\n\r\n"_s;
    QTest::newRow("lone LF inside a line") << u"a\nb\r\nc\n"_s;
    QTest::newRow("LF right before CR LF") << u"a\n\r\nb"_s;
    QTest::newRow("no-break and ideographic spaces") << u"a\u00a0b\u3000c"_s;
    QTest::newRow("tabs and backslashes") << u"\tPDT\\X.PDT\t"_s;
    QTest::newRow("emoji and replacement character") << u"😀\uFFFD"_s;
    QTest::newRow("control characters") << QString::fromUtf16(u"\x01\x1a\x7f", 3);
}

void TestScriptEdit::textComesBackAsItWasSet()
{
    QFETCH(QString, text);
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(text);
    QCOMPARE(readable(edit.text()), readable(text));
    QCOMPARE(edit.length(), text.size());
    QCOMPARE(edit.caret(), 0);
}

void TestScriptEdit::caretOffsetsCountLineBreaksTwice()
{
    ScriptDocument document;
    ScriptEdit edit(document);
    const QString text = u"ab\r\n「c」\r\n\r\nd\ne"_s;
    edit.setText(text);
    for (int offset = 0; offset <= text.size(); ++offset) {
        edit.setCaret(offset);
        // Between CR and LF there is no place for a caret: it goes before the CR.
        const bool insideBreak = offset > 0 && text[offset - 1] == u'\r';
        QCOMPARE(edit.caret(), insideBreak ? offset - 1 : offset);
    }
    edit.setCaret(10'000);
    QCOMPARE(edit.caret(), text.size());
    edit.setCaret(-5);
    QCOMPARE(edit.caret(), 0);
}

void TestScriptEdit::insertion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("result");

    QTest::newRow("into an empty text") << QString() << 0 << 0 << u"<A>\r\n"_s << u"<A>\r\n"_s;
    QTest::newRow("at the start") << u"x"_s << 0 << 0 << u"<A>\r\n"_s << u"<A>\r\nx"_s;
    QTest::newRow("at the end after a break") << u"x\r\n"_s << 3 << 0 << u"y"_s << u"x\r\ny"_s;
    QTest::newRow("in the middle of a line, splitting it") << u"ab\r\ncd"_s << 5 << 0 << u"1\r\n2"_s << u"ab\r\nc1\r\n2d"_s;
    QTest::newRow("selection replaced") << u"abcdef"_s << 2 << 2 << u"XY"_s << u"abXYef"_s;
    QTest::newRow("selection across breaks replaced") << u"a\r\nb\r\nc"_s << 1 << 5 << u"-"_s << u"a-c"_s;
    QTest::newRow("selection removed by an empty fragment") << u"abc"_s << 1 << 1 << QString() << u"ac"_s;
    QTest::newRow("fragment with a lone LF keeps it") << u"ab"_s << 1 << 0 << u"\n"_s << u"a\nb"_s;
    QTest::newRow("many lines") << u"[]"_s << 1 << 0 << u"1\r\n2\r\n3\r\n"_s << u"[1\r\n2\r\n3\r\n]"_s;
    QTest::newRow("Japanese counts one a character") << u"「」"_s << 1 << 0 << u"こんにちは"_s << u"「こんにちは」"_s;
}

void TestScriptEdit::insertion()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, fragment);
    QFETCH(QString, result);
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(text);
    edit.select(start, length);
    QCOMPARE(edit.selectionStart(), start);
    QCOMPARE(edit.selectionLength(), length);
    edit.insert(fragment);
    QCOMPARE(readable(edit.text()), readable(result));
    QCOMPARE(edit.caret(), start + fragment.size());
    QCOMPARE(edit.selectionLength(), 0);
}

void TestScriptEdit::insertionIsOneUndoStep()
{
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(u"before\r\nafter"_s);
    edit.setCaret(6);
    edit.insert(u"\r\n<A>\r\n<B>"_s);
    QCOMPARE(edit.text(), u"before\r\n<A>\r\n<B>\r\nafter"_s);
    edit.undo();
    QCOMPARE(edit.text(), u"before\r\nafter"_s);
    edit.redo();
    QCOMPARE(edit.text(), u"before\r\n<A>\r\n<B>\r\nafter"_s);
}

void TestScriptEdit::replacingEach_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("ranges");  // start, length, …
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");
    QTest::newRow("one in the middle") << u"abc"_s << QList<int>{1, 1} << QStringList{u"XY"_s} << u"aXYc"_s << 3;
    QTest::newRow("on every line, ends included")
        << u"ab\r\nab\r\n\r\nab"_s << QList<int>{0, 1, 5, 1, 10, 2} << QStringList{u"1"_s, u"22"_s, QString()}
        << u"1b\r\na22\r\n\r\n"_s << 11;
    QTest::newRow("across line breaks") << u"a\r\nb\r\nc"_s << QList<int>{1, 3, 4, 2} << QStringList{u"-"_s, u"+"_s}
                                        << u"a-+c"_s << 3;
    QTest::newRow("texts with breaks keep the script's rules")
        << u"a.b.c"_s << QList<int>{1, 1, 3, 1} << QStringList{u"\r\n"_s, u"\n"_s} << u"a\r\nb\nc"_s << 5;
    QTest::newRow("lone LF and no-break space kept around")
        << u"x\ny\u00a0x"_s << QList<int>{0, 1, 4, 1} << QStringList{u"z"_s, u"zz"_s} << u"z\ny\u00a0zz"_s << 6;
}

void TestScriptEdit::replacingEach()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, ranges);
    QFETCH(QStringList, texts);
    QFETCH(QString, result);
    QFETCH(int, caret);
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(text);
    std::vector<ScriptDocument::Edit> edits;
    for (qsizetype i = 0; i < texts.size(); ++i)
        edits.push_back({ranges[2 * i], ranges[2 * i + 1], texts[i]});
    QSignalSpy changes(&edit, &ScriptEdit::contentChanged);
    edit.replaceEach(edits);
    QCOMPARE(readable(edit.text()), readable(result));
    QCOMPARE(edit.caret(), caret);
    QCOMPARE(edit.selectionLength(), 0);
    QCOMPARE(changes.size(), 1);
    edit.undo();
    QCOMPARE(readable(edit.text()), readable(text));
    QVERIFY(!edit.document()->isUndoAvailable());
}

void TestScriptEdit::shiftEnterBreaksTheLineLikeEnter()
{
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(u"ab"_s);
    edit.setCaret(1);
    QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(&edit, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    QCOMPARE(readable(edit.text()), readable(u"a\r\n\r\nb"_s));
    QCOMPARE(edit.caret(), 5);
}

void TestScriptEdit::pasteMakesEveryLineEndABreak_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("LF") << u"1\n2"_s;
    QTest::newRow("CR LF") << u"1\r\n2"_s;
    QTest::newRow("CR") << u"1\r2"_s;
    QTest::newRow("paragraph separator") << u"1\u20292"_s;
    QTest::newRow("line separator") << u"1\u20282"_s;
}

void TestScriptEdit::pasteMakesEveryLineEndABreak()
{
    QFETCH(QString, clipboard);
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(u"[]"_s);
    edit.setCaret(1);
    QApplication::clipboard()->setText(clipboard);
    edit.paste();
    QCOMPARE(readable(edit.text()), readable(u"[1\r\n2]"_s));
    QCOMPARE(edit.caret(), 5);
}

void TestScriptEdit::copyKeepsTheCharacters()
{
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(u"a\u00a0b\r\nc"_s);
    edit.selectAll();
    edit.copy();
    QCOMPARE(readable(QApplication::clipboard()->text()), readable(u"a\u00a0b\nc"_s));
}

void TestScriptEdit::onlyContentChangesAreReported()
{
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(u"abc\r\ndef"_s);
    QSignalSpy changes(&edit, &ScriptEdit::contentChanged);
    edit.setCaret(4);
    edit.select(1, 5);
    edit.moveCursor(QTextCursor::End);
    QCOMPARE(changes.count(), 0);
    QTest::keyClick(&edit, Qt::Key_X);
    QVERIFY(changes.count() > 0);
    changes.clear();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QVERIFY(changes.count() > 0);
    changes.clear();
    edit.insert(u"y"_s);
    QVERIFY(changes.count() > 0);
}

void TestScriptEdit::marksOfOneKindLeaveTheOthers()
{
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setText(u"abc\r\ndef");
    auto positions = [&] {
        QList<int> out;
        for (const QTextEdit::ExtraSelection &selection : edit.extraSelections())
            out << selection.cursor.selectionStart();
        std::sort(out.begin(), out.end());
        return out;
    };
    QSignalSpy changes(&edit, &ScriptEdit::contentChanged);
    const ScriptEdit::MarkLayer search = edit.addMarkLayer({});
    const ScriptEdit::MarkLayer findings = edit.addMarkLayer({});
    edit.setMarks(search, {{0, 1}, {5, 1}});
    edit.setMarks(findings, {{2, 1}});
    QCOMPARE(positions(), (QList<int>{0, 2, 4}));
    // Marks move with the text around them.
    QTextCursor(edit.document()).insertText(u"_"_s);
    QCOMPARE(edit.marks(search), (std::vector<ScriptEdit::Range>{{1, 1}, {6, 1}}));
    edit.undo();
    changes.clear();
    edit.setMarks(search, {});
    QCOMPARE(positions(), QList<int>{2});
    QCOMPARE(edit.text(), u"abc\r\ndef");
    QCOMPARE(changes.count(), 0);
    QVERIFY(!edit.document()->isUndoAvailable());
}

// The gutter is made wide for a long text before the text is in, and
// narrows again when the text is cut short.
void TestScriptEdit::lineNumbersFitEachNewText()
{
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.setLineNumbers(true);
    const QWidget *gutter = edit.findChild<QWidget *>(u"lineNumbers"_s);
    QVERIFY(gutter);
    const auto fits = [&](const QString &number) { return gutter->width() > edit.fontMetrics().horizontalAdvance(number); };
    edit.setText(u"a\r\n"_s.repeated(99'999) + u"a"_s);
    QVERIFY(fits(u"100000"_s));
    const int wide = gutter->width();
    QTextCursor cursor(edit.document());
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.insertText(u"a\nb"_s);
    QCOMPARE(edit.document()->blockCount(), 2);
    QVERIFY(gutter->width() < wide);
}

// The frame around Text1 alone, with no window: a notice over it, panels
// under it in the order added, each taking its height while shown, with
// the splitter's handle between them.
void TestScriptEdit::framePanelsTakeTheirHeightFromText1()
{
    ScriptDocument document;
    EditorFrame frame(document);
    frame.resize(600, 400);
    frame.show();
    auto panel = [](int height) {
        auto *widget = new QWidget;
        widget->setFixedHeight(height);
        widget->hide();
        return widget;
    };
    const auto inFrame = [&frame](const QWidget *widget) {
        return QRect(widget->mapTo(&frame, QPoint()), widget->size());
    };
    QWidget *notice = panel(25);
    QWidget *first = panel(30);
    QWidget *second = panel(20);
    frame.addNotice(notice);
    frame.addPanel(first);
    frame.addPanel(second);
    const int handle = frame.findChild<QSplitter *>(u"panelSplitter"_s)->handleWidth();
    QTRY_COMPARE(inFrame(&frame.view()), QRect(0, 0, 600, 400));
    notice->show();
    second->show();
    QTRY_COMPARE(inFrame(&frame.view()), QRect(0, 25, 600, 355 - handle));
    QCOMPARE(inFrame(notice), QRect(0, 0, 600, 25));
    QCOMPARE(inFrame(second), QRect(0, 380, 600, 20));
    first->show();
    first->setFixedHeight(40);  // a bar growing a second row
    QTRY_COMPARE(inFrame(&frame.view()), QRect(0, 25, 600, 315 - 2 * handle));
    QCOMPARE(inFrame(first), QRect(0, 340 - handle, 600, 40));
    notice->hide();
    first->hide();
    second->hide();
    QTRY_COMPARE(inFrame(&frame.view()), QRect(0, 0, 600, 400));
    // A tall panel opened at its first height leaves Text1 a third.
    QWidget *tall = new QWidget;
    tall->setMinimumHeight(250);
    tall->hide();
    frame.addPanel(tall);
    tall->show();
    QTRY_VERIFY(tall->height() >= 250);
    QCOMPARE(frame.view().height() + handle + tall->height(), 400);
    QVERIFY(frame.view().height() >= 400 / 3 - handle);
    tall->hide();
    // A bar as tall as its rows follows them: one row hidden gives its
    // height back to Text1.
    auto *bar = new QWidget;
    bar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *rows = new QVBoxLayout(bar);
    auto *second_row = new QLabel(u"2"_s);
    rows->addWidget(new QLabel(u"1"_s));
    rows->addWidget(second_row);
    bar->hide();
    frame.addPanel(bar);
    bar->show();
    QTRY_COMPARE(bar->height(), bar->sizeHint().height());
    const int twoRows = bar->height();
    second_row->hide();
    QTRY_VERIFY(bar->height() < twoRows);
    QCOMPARE(bar->height(), bar->sizeHint().height());
    QCOMPARE(frame.view().height() + handle + bar->height(), 400);
    QCOMPARE(frame.view().objectName(), u"Text1"_s);
}

QTEST_MAIN(TestScriptEdit)
// A line of a piece's length of A and then more B than a line may hold
// uncut is shown in pieces, the break after the A one place of the script
// with a caret position on either side: keys pressed there act on the
// script as if the line were whole.
void TestScriptEdit::keysAtAPieceBreakActOnTheScript_data()
{
    QTest::addColumn<bool>("afterBreak");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("as");  // how many A, then what, then how many B
    QTest::addColumn<QString>("between");
    QTest::addColumn<int>("bs");
    const int n = ScriptDocument::pieceLength;
    const int m = int(ScriptDocument::cutAbove);
    const int shiftRight = int(Qt::ShiftModifier) | Qt::Key_Right;
    for (const bool after : {false, true}) {
        const auto row = [after](const char *what) {
            return QByteArray(what) + (after ? ", caret after the break" : ", caret before the break");
        };
        QTest::newRow(row("Backspace takes the last A")) << after << QList<int>{Qt::Key_Backspace} << n - 1 << QString() << m;
        QTest::newRow(row("Delete takes the first B")) << after << QList<int>{Qt::Key_Delete} << n << QString() << m - 1;
        QTest::newRow(row("Enter breaks the line")) << after << QList<int>{Qt::Key_Return} << n << u"\r\n"_s << m;
        QTest::newRow(row("Right steps over the first B")) << after << QList<int>{Qt::Key_Right, Qt::Key_X} << n
                                                           << u"Bx"_s << m - 1;
        QTest::newRow(row("Left steps over the last A")) << after << QList<int>{Qt::Key_Left, Qt::Key_X} << n - 1
                                                         << u"xA"_s << m;
        QTest::newRow(row("Shift+Right selects the first B")) << after << QList<int>{shiftRight, Qt::Key_X} << n
                                                              << u"x"_s << m - 1;
    }
}

void TestScriptEdit::keysAtAPieceBreakActOnTheScript()
{
    QFETCH(bool, afterBreak);
    QFETCH(QList<int>, keys);
    QFETCH(int, as);
    QFETCH(QString, between);
    QFETCH(int, bs);
    const int n = ScriptDocument::pieceLength;
    ScriptDocument document;
    ScriptEdit edit(document);
    StatusLine status(edit);
    edit.setText(QString(n, u'A') + QString(ScriptDocument::cutAbove, u'B'));
    QVERIFY(document.textDocument()->blockCount() > 2);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(afterBreak ? n + 1 : n);
    edit.setTextCursor(cursor);
    QCOMPARE(status.findChild<QLabel *>(u"statusCaret"_s)->text(), QStringLiteral(u"1 行、%1 桁").arg(n + 1));
    for (const int key : keys)
        QTest::keyClick(&edit, Qt::Key(key & ~Qt::KeyboardModifierMask), Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
    QCOMPARE(readable(edit.text()), readable(QString(as, u'A') + between + QString(bs, u'B')));
    // A copy of the line has no break where the pieces meet.
    edit.selectAll();
    edit.copy();
    QCOMPARE(QApplication::clipboard()->text().count(u'\n'), int(between.count(u'\n')));
}

namespace {

// A line of prose `length` characters long, which a line longer than
// cutAbove is shown in pieces of.
QString prose(qsizetype length)
{
    return u"静かな夜だった、雪が降る。"_s.repeated(int(length / 13 + 1)).left(length);
}

// The place on screen a click at a script offset hits: the caret there.
QPoint pointAt(ScriptEdit &edit, qsizetype offset)
{
    edit.showOffset(offset);
    return edit.cursorRect().center();
}

// One, two or three clicks of the left button at `at`, the second sent as
// the double click a window system makes of it.
void clickTimes(ScriptEdit &edit, QPoint at, int times)
{
    for (int i = 0; i < times; ++i) {
        if (i == 1)
            QTest::mouseDClick(edit.viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mousePress(edit.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(edit.viewport(), Qt::LeftButton, {}, at);
    }
}

} // namespace

// Ctrl+K deletes from the selection's anchor (the caret, with none) to the
// end of the script line, however the line is cut, as one undo step; at the
// line's end it takes nothing, not the break.
void TestScriptEdit::ctrlKDeletesToTheEndOfTheScriptLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("anchor");  // columns of the line; -1 and -2 before and after the first piece's edge
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("left");
    for (const int length : {4'097, 4'296, 20'000, 200'000}) {
        const QString line = prose(length);
        QTest::addRow("a line of %d characters, caret at 1,034", length) << line << 1'034 << 1'034 << line.left(1'034);
        QTest::addRow("a line of %d characters, caret at the end of its first piece", length)
            << line << -1 << -1 << QString();
        QTest::addRow("a line of %d characters, caret at the start of its second piece", length)
            << line << -2 << -2 << QString();
    }
    const QString line = prose(20'000);
    QTest::newRow("a selection made forwards goes with the rest of the line")
        << line << 1'034 << 3'000 << line.left(1'034);
    QTest::newRow("a selection made backwards stays, from its anchor on the rest goes")
        << line << 3'000 << 1'034 << line.left(3'000);
    QTest::newRow("at the line's end nothing goes, not even the break") << line << 20'000 << 20'000 << line;
    QTest::newRow("a short line as well") << u"雪が降る。"_s << 2 << 2 << u"雪が"_s;
}

void TestScriptEdit::ctrlKDeletesToTheEndOfTheScriptLine()
{
    QFETCH(QString, line);
    QFETCH(int, anchor);
    QFETCH(int, caret);
    QFETCH(QString, left);
    ScriptDocument document;
    ScriptEdit edit(document);
    const QString script = u"前\r\n"_s + line + u"\r\n後"_s;
    edit.setText(script);
    if (anchor < 0) {
        // The caret on either side of the break between the pieces.
        const QTextBlock second = document.lineBlock(1).next();
        QVERIFY(document.continuesLine(second));
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(anchor == -1 ? second.position() - 1 : second.position());
        edit.setTextCursor(cursor);
        left = line.left(document.toScript(second.position()) - 3);
    } else {
        edit.select(3 + anchor, caret - anchor);
    }
    const int steps = document.textDocument()->availableUndoSteps();
    QTest::keyClick(&edit, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(document.lineLength(1), left.size());
    QVERIFY(edit.text() == u"前\r\n"_s + left + u"\r\n後"_s);
    QCOMPARE(edit.caret(), 3 + left.size());
    QCOMPARE(edit.selectionLength(), 0);
    if (left == line) {
        QCOMPARE(document.textDocument()->availableUndoSteps(), steps);
    } else {
        edit.undo();
        QVERIFY(edit.text() == script);
    }
}

// A triple click selects the script line and its break, a double click the
// word, both whole however the line is cut into pieces; Delete then takes
// what they selected.
void TestScriptEdit::clicksSelectWholeWordsAndLines_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("at");  // where the clicks fall, a script offset
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("start");  // what they select
    QTest::addColumn<int>("length");
    for (const int length : {4'097, 4'296, 20'000, 200'000}) {
        QTest::addRow("three clicks on a line of %d characters take it and its break", length)
            << u"前\r\n"_s + prose(length) + u"\r\n後"_s << 3 + length / 2 << 3 << 3 << length + 2;
        QTest::addRow("two clicks in a word of %d letters take it", length)
            << u"x "_s + QString(length, u'w') + u" y"_s << length / 2 << 2 << 2 << length;
    }
    QTest::newRow("three clicks on the last line, long, take it to the end")
        << u"前\r\n"_s + prose(5'000) << 4'000 << 3 << 3 << 5'000;
    // No stop near the first piece's end: the word is cut at 1,024.
    const QString across = u"x "_s.repeated(350) + QString(600, u'w') + u" "_s + u"x "_s.repeated(2'000);
    QTest::newRow("two clicks before a piece's edge take the word across it") << across << 710 << 2 << 700 << 600;
    QTest::newRow("two clicks after a piece's edge take the word across it") << across << 1'200 << 2 << 700 << 600;
    QTest::newRow("two clicks beside the word across an edge take only theirs") << across << 1'303 << 2 << 1'303 << 1;
    QTest::newRow("three clicks on a short line, as ever") << u"前\r\n雪が降る。\r\n後"_s << 5 << 3 << 3 << 7;
    QTest::newRow("two clicks on a short line's word, as ever") << u"前\r\nabc def"_s << 8 << 2 << 7 << 3;
}

void TestScriptEdit::clicksSelectWholeWordsAndLines()
{
    QFETCH(QString, script);
    QFETCH(int, at);
    QFETCH(int, clicks);
    QFETCH(int, start);
    QFETCH(int, length);
    ScriptDocument document;
    ScriptEdit edit(document);
    StatusLine status(edit);
    edit.resize(700, 500);
    edit.show();
    edit.setText(script);
    clickTimes(edit, pointAt(edit, at), clicks);
    QCOMPARE(edit.selectionStart(), start);
    QCOMPARE(edit.selectionLength(), length);
    QCOMPARE(edit.caret(), start + length);
    const int breaks = int(script.mid(start, length).count(u"\r\n"_s));
    QCOMPARE(status.findChild<QLabel *>(u"statusSelection"_s)->text(),
             QStringLiteral(u"%1 文字選択").arg(length - breaks));
    QTest::keyClick(&edit, Qt::Key_Delete);
    QVERIFY(edit.text() == QString(script).remove(start, length));
}

// After a double or a triple click, a drag and a Shift+click go on by whole
// words or whole lines, as on lines shown whole.
void TestScriptEdit::dragsAfterClicksKeepWholeUnits_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("at");  // where the clicks fall and where the pointer ends, script offsets
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("shift");  // a Shift+click there rather than a drag
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    // The prose's second piece starts at 1,022: both places are near its
    // start, on screen at once without scrolling.
    const QString lines = u"前\r\n"_s + prose(4'296) + u"\r\n"_s + prose(4'296) + u"\r\n後"_s;
    const int first = 3 + 1'024;
    const int second = first + 4'296 + 2;
    QTest::newRow("a drag after three clicks takes the lines it reaches")
        << lines << 3 << first << second << false << 3 << 2 * (4'296 + 2);
    QTest::newRow("a drag back after three clicks takes the lines it reaches")
        << lines << 3 << second << first << false << 3 << 2 * (4'296 + 2);
    QTest::newRow("a Shift+click after three clicks takes the lines to it")
        << lines << 3 << first << second << true << 3 << 2 * (4'296 + 2);
    const QString across = u"x "_s.repeated(350) + QString(600, u'w') + u" "_s + u"x "_s.repeated(2'000);
    QTest::newRow("the pointer moved within the word after two clicks keeps it whole")
        << across << 2 << 710 << 712 << false << 700 << 600;
}

void TestScriptEdit::dragsAfterClicksKeepWholeUnits()
{
    QFETCH(QString, script);
    QFETCH(int, clicks);
    QFETCH(int, at);
    QFETCH(int, to);
    QFETCH(bool, shift);
    QFETCH(int, start);
    QFETCH(int, length);
    ScriptDocument document;
    ScriptEdit edit(document);
    edit.resize(700, 500);
    edit.show();
    edit.setText(script);
    const QPoint end = pointAt(edit, to);
    const QPoint from = pointAt(edit, at);
    QCOMPARE(pointAt(edit, to), end);
    clickTimes(edit, from, clicks - 1);
    if (clicks == 2)
        QTest::mouseDClick(edit.viewport(), Qt::LeftButton, {}, from);
    else
        QTest::mousePress(edit.viewport(), Qt::LeftButton, {}, from);
    if (shift) {
        QTest::mouseRelease(edit.viewport(), Qt::LeftButton, {}, from);
        QTest::mousePress(edit.viewport(), Qt::LeftButton, Qt::ShiftModifier, end);
        QTest::mouseRelease(edit.viewport(), Qt::LeftButton, Qt::ShiftModifier, end);
    } else {
        QTest::mouseMove(edit.viewport(), end);
        QTest::mouseRelease(edit.viewport(), Qt::LeftButton, {}, end);
    }
    QCOMPARE(edit.selectionStart(), start);
    QCOMPARE(edit.selectionLength(), length);
}

#include "test_script_edit.moc"
