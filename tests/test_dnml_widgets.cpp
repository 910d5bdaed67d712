// The colours and the findings panel through the real main window on the
// offscreen platform, and the check over everything the program writes.
#include "dnml/check.h"
#include "dnml/ui/findings_panel.h"
#include "dnml/ui/highlighter.h"
#include "editor.h"
#include "test_files.h"
#include "pickers/picker.h"

#include <QAbstractTextDocumentLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBlock>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using dnml::Token;

Q_DECLARE_METATYPE(dnml::Token)

namespace {

dnml::Highlighter *highlighter(const Editor &editor)
{
    return editor.window->highlighter();
}

dnml::FindingsPanel *panel(const Editor &editor)
{
    return editor.window->findings();
}

// Paints Text1 now, as the screen would.
void paint(const Editor &editor)
{
    editor.text()->viewport()->repaint();
}

// The colour shown at a column of a line; black where nothing is set.
QColor colourAt(const Editor &editor, int line, int column)
{
    const QTextBlock block = editor.text()->document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange &range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length)
            return range.format.foreground().color();
    return Qt::black;
}

// WCAG relative luminance and contrast against white.
double contrastOnWhite(const QColor &c)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const double l = 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    return 1.05 / (l + 0.05);
}

// Runs F7 (or F8…) through the menu item, as the shortcut does.
void trigger(const Editor &editor, const char *item)
{
    editor.action(item)->trigger();
}

bool waitChecked(const Editor &editor)
{
    QSignalSpy spy(panel(editor), &dnml::FindingsPanel::checked);
    return spy.wait(5000);
}

// A script of `prose` lines between a first and a last line.
QString script(const QString &first, int prose, const QString &last)
{
    QString out = first + u"\r\n"_s;
    for (int i = 0; i < prose; ++i)
        out += u"雪が降っていた。<P>\r\n"_s;
    return out + last;
}

// The open script with a known finding on line 20, column 11.
QString scriptWithUnknownMusic()
{
    QString out;
    for (int i = 1; i < 20; ++i)
        out += u"「うん」<P>\r\n"_s;
    return out + u"<BGM SRC=\"ありえない曲\">\r\n「また明日ね」<P>\r\n"_s;
}

} // namespace

class TestDnmlWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietOffscreenWarnings(); }
    void everyColourReadsOnWhite_data();
    void everyColourReadsOnWhite();
    void coloursLeaveTextUndoAndFlagAlone();
    void viewFollowsTheCaretWhileTyping_data();
    void viewFollowsTheCaretWhileTyping();
    void onlyShownLinesAreColoured();
    void openCommentReachesAFarJump();
    void linesBelowAreLexedWhileIdle();
    void keptStatesMatchLexingLineByLine_data();
    void keptStatesMatchLexingLineByLine();
    void f7ChecksAndF8GoesToTheFinding();
    void aLineOfThousandsOfTagsStaysUsable();
    void findingsFollowTheEdits();
    void escapeClosesThePanelAndTheMarks();
    void f8OnACleanScriptStays();
    void f8WithThePanelClosedChecksFirst_data();
    void f8WithThePanelClosedChecksFirst();
    void returnOnARowJumps();
    void programsOwnWritingChecksClean();
};

void TestDnmlWidgets::everyColourReadsOnWhite_data()
{
    QTest::addColumn<Token>("token");
    QTest::newRow("tag") << Token::TagName;
    QTest::newRow("attribute name") << Token::AttributeName;
    QTest::newRow("value") << Token::Value;
    QTest::newRow("comment") << Token::Comment;
    QTest::newRow("bracket") << Token::Bracket;
}

void TestDnmlWidgets::everyColourReadsOnWhite()
{
    QFETCH(Token, token);
    const QColor colour = dnml::Highlighter::colour(token);
    QVERIFY2(contrastOnWhite(colour) >= 4.5, qPrintable(colour.name()));
    QVERIFY(colour != Qt::black);
}

void TestDnmlWidgets::coloursLeaveTextUndoAndFlagAlone()
{
    Editor editor;
    const QString path = QDir::temp().filePath(u"scrivlet-colours.dnml"_s);
    QVERIFY(writeFile(path, QByteArray("<!-- a\r\nb -->\r\n<BGM SRC=\"x\">\r\n").repeated(400)));
    editor.dialogs->openPaths.push_back(path);
    editor.window->mnu_open_Click();
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setCaret(5);
    editor.type(u"x"_s);
    editor.window->mnu_save_Click();  // cancelled: the flag stays set
    const QString before = text->text();
    const int undoSteps = text->document()->availableUndoSteps();
    const bool redo = text->document()->isRedoAvailable();
    const qsizetype caret = text->caret();
    QSignalSpy changes(text, &ScriptEdit::contentChanged);

    paint(editor);
    text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
    paint(editor);
    trigger(editor, "mnu_colours");
    paint(editor);
    trigger(editor, "mnu_colours");
    text->verticalScrollBar()->setValue(0);
    paint(editor);
    QCOMPARE(colourAt(editor, 0, 0), dnml::Highlighter::colour(Token::Comment));

    QCOMPARE(changes.count(), 0);
    QCOMPARE(text->text(), before);
    QCOMPARE(text->caret(), caret);
    QCOMPARE(text->document()->availableUndoSteps(), undoSteps);
    QCOMPARE(text->document()->isRedoAvailable(), redo);
    QVERIFY(editor.window->textChanged());
    // The next edit reports only itself: the colours left nothing pending.
    QSignalSpy documentChanges(text->document(), &QTextDocument::contentsChange);
    text->setCaret(0);
    editor.type(u"y"_s);
    QCOMPARE(documentChanges.count(), 1);
    QCOMPARE(documentChanges.at(0), (QVariantList{0, 0, 1}));
}

void TestDnmlWidgets::viewFollowsTheCaretWhileTyping_data()
{
    QTest::addColumn<bool>("colours");
    QTest::newRow("colours on") << true;
    QTest::newRow("colours off") << false;
}

// Typing on and on inside an open value: the line grows past the view's
// right edge, the horizontal scroll range grows with it and the view keeps
// the caret in sight, whether the colours are on or not.
void TestDnmlWidgets::viewFollowsTheCaretWhileTyping()
{
    QFETCH(bool, colours);
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    if (!colours)
        trigger(editor, "mnu_colours");
    ScriptEdit *text = editor.text();
    text->setCaret(text->length());
    const auto typeKey = [&](QChar c) {
        QTest::sendKeyEvent(QTest::Click, text, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };
    for (QChar c : u"<BGM SRC=\""_s)
        typeKey(c);
    for (int i = 0; i < 80; ++i) {
        typeKey(QChar(u'a' + i % 26));
        QVERIFY2(text->viewport()->rect().contains(text->cursorRect()),
                 qPrintable(u"caret out of sight after %1 letters"_s.arg(i + 1)));
    }
    QVERIFY(text->horizontalScrollBar()->maximum() > 0);
}

void TestDnmlWidgets::onlyShownLinesAreColoured()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    editor.text()->setText(script(u"<BGM SRC=\"Snow Drop\">"_s, 3000, u"「うん」"_s));
    paint(editor);
    QCOMPARE(colourAt(editor, 0, 0), dnml::Highlighter::colour(Token::TagOpen));
    QCOMPARE(colourAt(editor, 0, 5), dnml::Highlighter::colour(Token::AttributeName));
    QCOMPARE(colourAt(editor, 0, 9), dnml::Highlighter::colour(Token::Value));
    QCOMPARE(colourAt(editor, 1, 0), QColor(Qt::black));
    QCOMPARE(colourAt(editor, 1, 8), dnml::Highlighter::colour(Token::TagOpen));
    QVERIFY(editor.text()->document()->findBlockByNumber(3001).layout()->formats().isEmpty());
    QVERIFY(highlighter(editor)->lexedLines() < 200);
    // Typing in a tag line moves its colours along.
    editor.text()->setCaret(1);
    editor.type(u"X"_s);
    paint(editor);
    QCOMPARE(colourAt(editor, 0, 1), dnml::Highlighter::colour(Token::TagName));
    QCOMPARE(colourAt(editor, 0, 6), dnml::Highlighter::colour(Token::AttributeName));
    editor.type(u" "_s);
    paint(editor);
    QCOMPARE(colourAt(editor, 0, 3), dnml::Highlighter::colour(Token::AttributeName));
    // A keystroke in a coloured line, then new lines before the editor got
    // round to painting: the editor hears of every line added.
    QAbstractTextDocumentLayout *layout = editor.text()->document()->documentLayout();
    QSignalSpy sizes(layout, &QAbstractTextDocumentLayout::documentSizeChanged);
    editor.type(u"Y"_s);
    editor.text()->insert(u"\r\n\r\n"_s);
    QVERIFY(!layout->signalsBlocked());
    QVERIFY(!sizes.isEmpty());
    editor.type(u"<"_s);
    QVERIFY(QTest::qWaitFor([&] { return !layout->signalsBlocked(); }));

    trigger(editor, "mnu_colours");
    QVERIFY(!editor.action("mnu_colours")->isChecked());
    paint(editor);
    QCOMPARE(colourAt(editor, 0, 0), QColor(Qt::black));
    trigger(editor, "mnu_colours");
    paint(editor);
    QCOMPARE(colourAt(editor, 0, 0), dnml::Highlighter::colour(Token::TagOpen));
}

void TestDnmlWidgets::openCommentReachesAFarJump()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setText(script(u"<!-- 書きかけ"_s, 5000, u"「うん」 -->「"_s));
    text->setFocus();
    paint(editor);
    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
    paint(editor);
    const QColor comment = dnml::Highlighter::colour(Token::Comment);
    QCOMPARE(colourAt(editor, 5000, 0), comment);
    QCOMPARE(colourAt(editor, 5001, 0), comment);
    QCOMPARE(colourAt(editor, 5001, 8), dnml::Highlighter::colour(Token::Bracket));

    // Closing the comment on the first line: the far lines are prose again.
    text->setCaret(12);
    editor.type(u"-->"_s);
    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
    paint(editor);
    QCOMPARE(colourAt(editor, 5000, 0), QColor(Qt::black));
    QCOMPARE(colourAt(editor, 5001, 0), dnml::Highlighter::colour(Token::Bracket));
}

void TestDnmlWidgets::linesBelowAreLexedWhileIdle()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setText(script(u"<!-- 書きかけ"_s, 9000, u"-->"_s));
    const int lines = text->document()->blockCount();
    QTRY_COMPARE(highlighter(editor)->lexedLines(), lines - 1);
    // An edit pulls the mark back. The line still ends in the comment, so
    // the states below hold again as soon as it is lexed.
    text->setCaret(0);
    editor.type(u"x"_s);
    QCOMPARE(highlighter(editor)->lexedLines(), 0);
    paint(editor);
    QCOMPARE(highlighter(editor)->lexedLines(), lines - 1);
    // So do a line broken in two and joined again: the states below move
    // with their lines.
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(highlighter(editor)->lexedLines(), 0);
    paint(editor);
    QCOMPARE(highlighter(editor)->lexedLines(), lines);
    QTest::keyClick(text, Qt::Key_Backspace);
    paint(editor);
    QCOMPARE(highlighter(editor)->lexedLines(), lines - 1);
    QCOMPARE(colourAt(editor, 0, 1), dnml::Highlighter::colour(Token::Comment));
    QCOMPARE(colourAt(editor, 1, 0), dnml::Highlighter::colour(Token::CommentContinued));
    // Closing the comment there changes every line below: idle time lexes
    // them again.
    text->setCaret(text->document()->firstBlock().length() - 1);
    editor.type(u"-->"_s);
    paint(editor);
    QVERIFY(highlighter(editor)->lexedLines() < 1000);
    QTRY_COMPARE(highlighter(editor)->lexedLines(), lines - 1);
    // Colours off: nothing is lexed.
    trigger(editor, "mnu_colours");
    editor.type(u"x"_s);
    QTest::qWait(500);
    QCOMPARE(highlighter(editor)->lexedLines(), 0);
}

// Lines that open and close tags, values and comments in an order with no
// period, so that a line read from the wrong place lands in a wrong state.
QString tangledScript(int lines)
{
    const QString pieces[] = {u"<!-- 書きかけ"_s, u"-->「はい」"_s, u"<BGM"_s, u"SRC=\"曲"_s, u"名\">"_s,
                              u"「うん」"_s, QString(), u"<P>"_s, u"<!-- 一行 -->"_s, u">"_s};
    QString out;
    quint32 seed = 7;
    for (int i = 0; i < lines; ++i) {
        seed = seed * 1103515245u + 12345u;
        out += pieces[(seed >> 16) % std::size(pieces)] + u"\r\n"_s;
    }
    return out;
}

void TestDnmlWidgets::keptStatesMatchLexingLineByLine_data()
{
    QTest::addColumn<bool>("jump");
    QTest::addColumn<int>("shownBefore");  // the line shown before the edit; -1: all lexed
    QTest::addColumn<int>("editedLine");
    QTest::newRow("a jump to the end") << true << -1 << -1;
    QTest::newRow("lexed ahead while idle") << false << -1 << -1;
    QTest::newRow("a jump after an edit near the top") << true << -1 << 10;
    QTest::newRow("idle after an edit in the middle") << false << -1 << 3000;
    QTest::newRow("a jump after an edit above the lines shown") << true << 500 << 10;
}

// However the states were found (a jump far ahead, slices while idle, the
// states below an edit kept), each is what lexing every line in turn gives.
void TestDnmlWidgets::keptStatesMatchLexingLineByLine()
{
    QFETCH(bool, jump);
    QFETCH(int, shownBefore);
    QFETCH(int, editedLine);
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setText(tangledScript(9000));
    text->setFocus();
    const int lines = text->document()->blockCount();
    const auto lexAll = [&] {
        if (jump) {
            QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
            paint(editor);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(highlighter(editor)->lexedLines(), lines - 1, 20000);
        }
    };
    if (shownBefore < 0) {
        lexAll();
    } else {
        text->showLine(shownBefore);
        paint(editor);
    }
    if (editedLine >= 0) {
        // Prose typed into a line of prose leaves every state below as it was.
        QTextBlock block = text->document()->findBlockByNumber(editedLine);
        while (block.text() != u"「うん」"_s)
            block = block.next();
        text->setCaret(text->script().toScript(block.position()));
        editor.type(u"あ"_s);
        QVERIFY(highlighter(editor)->lexedLines() <= block.blockNumber());
        lexAll();
    }
    dnml::State state = dnml::State::Text;
    for (QTextBlock block = text->document()->firstBlock(); block.blockNumber() < lines - 1; block = block.next()) {
        state = dnml::endState(block.text(), state);
        QCOMPARE(highlighter(editor)->lineState(block.blockNumber() + 1), state);
    }
}

// A line of 20,000 "<": every one is a finding, but the line keeps the
// colours and underlines of its first thousand only, the list keeps the
// first ten thousand and counts the others in its last row, and the editor
// paints and checks it at once rather than for minutes.
void TestDnmlWidgets::aLineOfThousandsOfTagsStaysUsable()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setText(QString(20'000, u'<'));
    paint(editor);
    QCOMPARE(text->document()->firstBlock().layout()->formats().size(), 1000);
    trigger(editor, "mnu_check");
    QVERIFY(waitChecked(editor));
    QCOMPARE(panel(editor)->findings().size(), dnml::mostFindings + 1);
    QCOMPARE(panel(editor)->findings().back().kind, dnml::FindingKind::Omitted);
    QCOMPARE(panel(editor)->findings().back().message, u"ほか 10000 件"_s);
    QCOMPARE(text->extraSelections().size(), 1000);
    // F8 from the last finding kept wraps to the first, past the count.
    text->setCaret(panel(editor)->findings()[dnml::mostFindings - 1].offset);
    trigger(editor, "mnu_next");
    QCOMPARE(text->caret(), panel(editor)->findings().front().offset);
    paint(editor);
}

void TestDnmlWidgets::f7ChecksAndF8GoesToTheFinding()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setText(scriptWithUnknownMusic());
    text->setCaret(0);
    trigger(editor, "mnu_check");
    QVERIFY(waitChecked(editor));
    QVERIFY(panel(editor)->isVisible());
    auto *title = panel(editor)->findChild<QLabel *>(u"findingsTitle"_s);
    QCOMPARE(title->text(), u"検査結果: 1 件"_s);
    auto *list = panel(editor)->findChild<QTreeView *>(u"findingList"_s);
    QCOMPARE(list->model()->rowCount(), 1);
    const auto cell = [list](int column) { return list->model()->index(0, column).data().toString(); };
    QCOMPARE(QStringList({cell(0), cell(1)}), QStringList({u"20"_s, u"11"_s}));
    QCOMPARE(cell(2), u"\"ありえない曲\" はゲームにありません。"_s);
    // The mark is on screen under the value.
    QCOMPARE(text->extraSelections().size(), 1);
    QCOMPARE(text->extraSelections().at(0).cursor.selectedText(), u"ありえない曲"_s);

    trigger(editor, "mnu_next");
    QCOMPARE(text->caret(), 19 * 9 + 10);
    QVERIFY(text->hasFocus());
    editor.type(u"X"_s);
    QVERIFY(text->text().contains(u"<BGM SRC=\"Xありえない曲\">"_s));
    // Saving is never refused for a finding.
    const QString path = QDir::temp().filePath(u"scrivlet-findings.dnml"_s);
    editor.dialogs->savePaths.push_back(path);
    QVERIFY(editor.window->mnu_save_Click());
    QVERIFY(editor.dialogs->warnings.isEmpty());

    // Wrapping both ways with the only finding, which the status bar says
    // where it is seen, the later wrap in the place of the earlier.
    const auto notice = [&editor] { return editor.window->findChild<QLabel *>(u"statusMessage"_s)->text(); };
    QVERIFY(notice().isEmpty());
    QSignalSpy wrapped(panel(editor), &dnml::FindingsPanel::wrapped);
    text->setCaret(text->length());
    trigger(editor, "mnu_next");
    QVERIFY(waitChecked(editor) || !panel(editor)->findings().empty());
    QCOMPARE(text->caret(), 19 * 9 + 10);
    QCOMPARE(notice(), u"最後の指摘まで来たので、最初の指摘に戻りました。"_s);
    text->setCaret(0);
    trigger(editor, "mnu_previous");
    QCOMPARE(text->caret(), 19 * 9 + 10);
    QCOMPARE(notice(), u"最初の指摘まで来たので、最後の指摘に戻りました。"_s);
    // A move that does not wrap says nothing.
    text->setCaret(0);
    trigger(editor, "mnu_next");
    QCOMPARE(text->caret(), 19 * 9 + 10);
    QCOMPARE(wrapped.size(), 2);
}

void TestDnmlWidgets::f8WithThePanelClosedChecksFirst_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("finding");  // which of the two it goes to
    QTest::newRow("F8: the first finding, whatever the caret") << u"mnu_next"_s << 0;
    QTest::newRow("Shift+F8: the last finding") << u"mnu_previous"_s << 1;
}

void TestDnmlWidgets::f8WithThePanelClosedChecksFirst()
{
    QFETCH(QString, item);
    QFETCH(int, finding);
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setText(u"「あ\r\n<P>\r\n」\r\n<P>"_s);
    text->setCaret(7);  // between the two findings
    QVERIFY(!panel(editor)->isOpen());
    trigger(editor, item.toLatin1().constData());
    QVERIFY(panel(editor)->isOpen());
    QVERIFY(waitChecked(editor));
    QCOMPARE(panel(editor)->findings().size(), 2u);
    QCOMPARE(text->caret(), panel(editor)->findings()[std::size_t(finding)].offset);
    QVERIFY(text->hasFocus());
    QVERIFY(editor.window->findChild<QLabel *>(u"statusMessage"_s)->text().isEmpty());
}

void TestDnmlWidgets::findingsFollowTheEdits()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    ScriptEdit *text = editor.text();
    text->setText(u"<P>\r\n"_s);
    trigger(editor, "mnu_check");
    QVERIFY(waitChecked(editor));
    QVERIFY(panel(editor)->findings().empty());
    text->setCaret(text->length());
    editor.type(u"「また"_s);
    QVERIFY(waitChecked(editor));
    QCOMPARE(panel(editor)->findings().size(), 1u);
    QCOMPARE(panel(editor)->findings().front().kind, dnml::FindingKind::UnclosedBracket);
    editor.type(u"」"_s);
    QVERIFY(waitChecked(editor));
    QVERIFY(panel(editor)->findings().empty());
    QCOMPARE(panel(editor)->findChild<QTreeView *>(u"findingList"_s)->model()->rowCount(), 0);
}

void TestDnmlWidgets::escapeClosesThePanelAndTheMarks()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    const int textHeight = editor.text()->height();
    editor.text()->setText(scriptWithUnknownMusic());
    trigger(editor, "mnu_check");
    QVERIFY(waitChecked(editor));
    QVERIFY(editor.text()->height() < textHeight);
    auto *list = panel(editor)->findChild<QTreeView *>(u"findingList"_s);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!panel(editor)->isVisible());
    QVERIFY(editor.text()->extraSelections().isEmpty());
    QCOMPARE(editor.text()->height(), textHeight);
    // F7 again opens it, and F7 once more closes it.
    trigger(editor, "mnu_check");
    QVERIFY(waitChecked(editor));
    QCOMPARE(editor.text()->extraSelections().size(), 1);
    trigger(editor, "mnu_check");
    QVERIFY(!panel(editor)->isVisible());
    QVERIFY(editor.text()->extraSelections().isEmpty());
}

void TestDnmlWidgets::f8OnACleanScriptStays()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    const qsizetype caret = editor.text()->caret();
    trigger(editor, "mnu_check");
    QVERIFY(waitChecked(editor));
    QVERIFY(panel(editor)->findings().empty());
    trigger(editor, "mnu_next");
    trigger(editor, "mnu_previous");
    QCOMPARE(editor.text()->caret(), caret);
}

void TestDnmlWidgets::returnOnARowJumps()
{
    Editor editor;
    QVERIFY(QTest::qWaitForWindowExposed(editor.window.get()));
    editor.text()->setText(u"「あ\r\n」\r\n"_s);
    trigger(editor, "mnu_check");
    QVERIFY(waitChecked(editor));
    auto *list = panel(editor)->findChild<QTreeView *>(u"findingList"_s);
    QCOMPARE(list->model()->rowCount(), 2);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(editor.text()->caret(), 4);
    QVERIFY(editor.text()->hasFocus());
}

void TestDnmlWidgets::programsOwnWritingChecksClean()
{
    // Everything the buttons, menus and pickers write, one script per
    // install type: clean. Both together mix the editions, and that is the
    // only finding.
    QString both;
    for (int type = 0; type < 2; ++type) {
        Editor editor;
        MainWindow &window = *editor.window;
        window.mnu_insto_type_Click(type);
        ScriptEdit *text = editor.text();
        text->setCaret(text->length());
        window.Command12_Click();
        text->setCaret(text->length());
        window.Command17_Click();
        text->setCaret(text->length());
        window.mnu_maegaki_Click();
        window.mnu_taitlecall_Click();
        window.mnu_honpen_Click();
        window.mnu_atogaki_Click();
        for (int names = 0; names < 2; ++names) {
            for (const PickerForm &form : pickerForms) {
                const catalogues::Catalogue rows = type == 0 ? form.adult : form.allAges;
                for (std::size_t i = 0; i < rows.size(); ++i) {
                    const QString name = QString::fromUtf16(rows[i].name.data(), qsizetype(rows[i].name.size()));
                    const QStringView ref(rows[i].ref.data(), qsizetype(rows[i].ref.size()));
                    const Choice choice{name, int(i), form.tableSize ? ref : QStringView(name)};
                    window.insert(form.write(form, choice, window));
                    text->insert(u"\r\n"_s);
                }
            }
            window.Command13_Click();
        }
        const QString written = text->text();
        QVERIFY(written.size() > 20000);
        const auto found = dnml::check(written);
        QVERIFY2(found.empty(), qPrintable(found.empty() ? QString() : found.front().message));
        both += written;
    }
    const auto found = dnml::check(both);
    QVERIFY(!found.empty());
    for (const dnml::Finding &f : found)
        QCOMPARE(f.kind, dnml::FindingKind::FolderMix);
}

QTEST_MAIN(TestDnmlWidgets)
#include "test_dnml_widgets.moc"
