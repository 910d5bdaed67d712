#include "editor/script_edit.h"

#include "editor/blank_layer.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <array>

void nameScrollBars(QAbstractScrollArea *area)
{
    area->verticalScrollBar()->setAccessibleName(QStringLiteral(u"縦スクロールバー"));
    area->horizontalScrollBar()->setAccessibleName(QStringLiteral(u"横スクロールバー"));
}

QFont gothicFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"), QStringLiteral("VL PGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoPGothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Sans Serif")});
    font.setPointSize(12);
    font.setBold(true);
    return font;
}

QFont interfaceFont()
{
    QFont font = gothicFont();
    font.setPointSize(9);
    font.setBold(false);
    return font;
}

namespace {

// The layout of Text1's lines, which repaints a line that changed alone.
// Qt's plain text layout takes a change's removed and added lengths
// together as the span it covers from its start, and repaints the whole
// view for a line whose layout is gone. A line whose colours were set while
// it was edited, or as it is painted, reports its whole length both as
// removed and added, which reaches into the next line, and has no layout
// any more (new colours drop it): every such keystroke would repaint the
// whole view.
class ScriptLayout final : public QPlainTextDocumentLayout
{
public:
    explicit ScriptLayout(QTextDocument *document)
        : QPlainTextDocumentLayout(document)
        , m_lines(document->blockCount())
    {
    }

protected:
    void documentChanged(int from, int removed, int added) override
    {
        const QTextDocument *text = document();
        const int lines = std::exchange(m_lines, text->blockCount());
        const QTextBlock block = text->findBlock(from);
        const bool oneLine =
            lines == m_lines && block.isValid() && from + std::max(added, 1) <= block.position() + block.length();
        if (oneLine && block.layout()->lineCount() == 0) {
            // Laid out again at once, unless it now takes more or fewer
            // rows (a lone LF typed or deleted), the line is all that
            // changed; whatever the layout says of the text's size (it grew
            // wider, say) reaches the editor as it happens.
            const int rows = block.lineCount();
            ensureBlockLayout(block);
            if (block.lineCount() == rows) {
                emit updateBlock(block);
                return;
            }
        }
        if (oneLine) {
            removed = 0;
            added = std::max(added, 1);
        }
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
    }

private:
    int m_lines;
};

} // namespace

// The gutter of line numbers at Text1's left: the number of each line the
// file counts, at the line's first row when it wraps.
class LineNumbers final : public QWidget
{
public:
    explicit LineNumbers(ScriptEdit &edit)
        : QWidget(&edit)
        , m_edit(edit)
    {
        setObjectName(QStringLiteral("lineNumbers"));
    }

protected:
    void paintEvent(QPaintEvent *event) override { m_edit.paintLineNumbers(this, event->rect()); }

private:
    ScriptEdit &m_edit;
};

ScriptEdit::ScriptEdit(ScriptDocument &document, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_document(document)
{
    QTextDocument *text = document.textDocument();
    text->setDocumentLayout(new ScriptLayout(text));
    setDocument(text);
    setFont(gothicFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    nameScrollBars(this);
    connect(&document, &ScriptDocument::contentChanged, this, &ScriptEdit::contentChanged);
    // The gutter takes the width of a new text's line numbers before the
    // text is in: widened after, it would have every line laid out again.
    connect(&document, &ScriptDocument::replacingWhole, this, [this](int lines) {
        m_comingLines = lines;
        placeGutter();
    });
    // A new text is shown from its start.
    connect(&document, &ScriptDocument::replacedWhole, this, [this] {
        m_comingLines = 0;
        placeGutter();
        setTextCursor(QTextCursor(this->document()));
        horizontalScrollBar()->setValue(0);
    });
    // The line of the caret keeps its shaped glyphs: the caret's blink and
    // each keystroke repaint it, and a long line's piece is costly to shape.
    // The line is found again by its number: a block held from before may
    // have been deleted by an edit or a new text.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        const QTextBlock block = textCursor().block();
        const QTextBlock before = this->document()->findBlockByNumber(m_caretBlock);
        if (block == before)
            return;
        if (before.isValid())
            before.layout()->setCacheEnabled(false);
        m_caretBlock = block.blockNumber();
        block.layout()->setCacheEnabled(true);
    });
}

void ScriptEdit::setWrap(bool on)
{
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
}

void ScriptEdit::setLineNumbers(bool on)
{
    if (on == lineNumbers())
        return;
    if (!on) {
        delete std::exchange(m_gutter, nullptr);
        setViewportMargins(0, 0, 0, 0);
        return;
    }
    m_gutter = new LineNumbers(*this);
    connect(this, &QPlainTextEdit::updateRequest, m_gutter, [this](const QRect &rect, int dy) {
        if (dy != 0)
            m_gutter->scroll(0, dy);
        else
            m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::blockCountChanged, m_gutter, [this] { placeGutter(); });
    placeGutter();
    m_gutter->show();
}

bool ScriptEdit::lineNumbers() const
{
    return m_gutter != nullptr;
}

int ScriptEdit::gutterWidth() const
{
    const int digits = int(QString::number(std::max({m_document.lineCount(), m_comingLines, 10})).size());
    return 8 + fontMetrics().horizontalAdvance(u'9') * digits;
}

void ScriptEdit::placeGutter()
{
    if (!m_gutter)
        return;
    if (viewportMargins().left() != gutterWidth())
        setViewportMargins(gutterWidth(), 0, 0, 0);
    const QRect area = contentsRect();
    m_gutter->setGeometry(area.left(), area.top(), gutterWidth(), viewport()->height());
}

void ScriptEdit::paintLineNumbers(QWidget *gutter, const QRect &area)
{
    QPainter painter(gutter);
    painter.fillRect(area, QColor(0xF2, 0xF2, 0xF2));
    painter.setPen(QColor(0x6E, 0x6E, 0x6E));
    painter.setFont(font());
    QTextBlock block = firstVisibleBlock();
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    const int width = gutter->width() - 4;
    const int lineHeight = fontMetrics().height();
    // The pieces of a long line after its first have no number of their own.
    int line = m_document.lineOf(block.position());
    while (block.isValid() && top <= area.bottom()) {
        const qreal bottom = top + blockBoundingRect(block).height();
        if (block.isVisible() && bottom >= area.top() && !m_document.continuesLine(block))
            painter.drawText(0, int(top), width, lineHeight, Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(line + 1));
        block = block.next();
        if (!m_document.continuesLine(block))
            ++line;
        top = bottom;
    }
}

void ScriptEdit::setFontSize(int points)
{
    QFont bigger = font();
    bigger.setPointSize(std::clamp(points, 6, 48));
    setFont(bigger);
    placeGutter();
    // Bigger letters push the lines down: the caret stays where the
    // author is looking.
    ensureCursorVisible();
}

void ScriptEdit::setBlanksShown(bool on)
{
    m_blanks = on;
    viewport()->update();
}

void ScriptEdit::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    if (m_blanks) {
        QPainter painter(viewport());
        paintBlanks(*this, painter, event->rect());
    }
}

void ScriptEdit::wheelEvent(QWheelEvent *event)
{
    // Ctrl and the wheel changes the letters' size, as in every editor.
    if (event->modifiers() & Qt::ControlModifier) {
        if (const int steps = event->angleDelta().y() / 120)
            emit zoomAsked(steps);
        event->accept();
        return;
    }
    QPlainTextEdit::wheelEvent(event);
}

void ScriptEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    placeGutter();
}

void ScriptEdit::setText(QStringView text)
{
    m_document.replaceWhole(text, ScriptDocument::Origin::Replaced);
}

qsizetype ScriptEdit::caret() const
{
    return m_document.toScript(textCursor().position());
}

void ScriptEdit::setCaret(qsizetype offset)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(m_document.toPosition(offset));
    setTextCursor(cursor);
}

qsizetype ScriptEdit::selectionStart() const
{
    return m_document.toScript(textCursor().selectionStart());
}

qsizetype ScriptEdit::selectionLength() const
{
    const QTextCursor cursor = textCursor();
    return m_document.toScript(cursor.selectionEnd()) - m_document.toScript(cursor.selectionStart());
}

void ScriptEdit::select(qsizetype start, qsizetype length)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(m_document.toPosition(start));
    cursor.setPosition(m_document.toPosition(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void ScriptEdit::insert(QStringView fragment)
{
    QTextCursor cursor = textCursor();
    m_document.insert(cursor, fragment);
    setTextCursor(cursor);
}

void ScriptEdit::replaceEach(std::span<const ScriptDocument::Edit> edits)
{
    QTextCursor cursor = textCursor();
    m_document.replaceEach(cursor, edits);
    setTextCursor(cursor);
}

int ScriptEdit::caretLine() const
{
    return m_document.lineOf(textCursor().position());
}

qsizetype ScriptEdit::caretColumn() const
{
    return caret() - m_document.lineStart(caretLine());
}

void ScriptEdit::showOffset(qsizetype offset)
{
    setCaret(offset);
    ensureCursorVisible();
}

void ScriptEdit::showSelection(qsizetype start, qsizetype length)
{
    select(start, length);
    ensureCursorVisible();
}

void ScriptEdit::whenViewMoves(QObject *context, std::function<void()> moved)
{
    // A repaint of a line for a keystroke or the caret's blink is no move.
    connect(this, &QPlainTextEdit::updateRequest, context, [this, moved = std::move(moved)](const QRect &rect, int dy) {
        if (dy != 0 || rect.contains(viewport()->rect()))
            moved();
    });
}

void ScriptEdit::showLine(int line)
{
    QTextCursor cursor(m_document.lineBlock(line));
    setTextCursor(cursor);
    centerCursor();
}

std::pair<QTextBlock, QTextBlock> ScriptEdit::shownBlocks() const
{
    // From the blocks' heights: finding the character at a point would
    // shape the lines at the top and the bottom at every paint.
    const QTextBlock first = firstVisibleBlock();
    QTextBlock last = first;
    qreal bottom = blockBoundingGeometry(first).translated(contentOffset()).bottom();
    while (bottom <= viewport()->rect().bottom() && last.next().isValid()) {
        last = last.next();
        bottom += blockBoundingRect(last).height();
    }
    return {first, last};
}

std::pair<qsizetype, qsizetype> ScriptEdit::shownRange() const
{
    const auto [first, last] = shownBlocks();
    return {m_document.toScript(first.position()), m_document.toScript(last.position() + last.length() - 1)};
}

std::pair<int, int> ScriptEdit::shownLines() const
{
    const auto [first, last] = shownBlocks();
    return {m_document.lineOf(first.position()), m_document.lineOf(last.position())};
}

ScriptEdit::MarkLayer ScriptEdit::addMarkLayer(const QTextCharFormat &format)
{
    m_layers.push_back({format, {}});
    return MarkLayer(m_layers.size() - 1);
}

void ScriptEdit::setMarks(MarkLayer layer, const std::vector<Range> &ranges)
{
    Layer &chosen = m_layers[std::size_t(layer)];
    chosen.marks.clear();
    chosen.marks.reserve(qsizetype(ranges.size()));
    for (const Range &range : ranges) {
        QTextCursor cursor(document());
        cursor.setPosition(m_document.toPosition(range.start));
        cursor.setPosition(m_document.toPosition(range.start + range.length), QTextCursor::KeepAnchor);
        chosen.marks.append({cursor, chosen.format});
    }
    QList<QTextEdit::ExtraSelection> all;
    for (const Layer &each : m_layers)
        all += each.marks;
    setExtraSelections(all);
}

std::vector<ScriptEdit::Range> ScriptEdit::marks(MarkLayer layer) const
{
    std::vector<Range> ranges;
    for (const QTextEdit::ExtraSelection &mark : m_layers[std::size_t(layer)].marks) {
        const qsizetype start = m_document.toScript(mark.cursor.selectionStart());
        ranges.push_back({start, m_document.toScript(mark.cursor.selectionEnd()) - start});
    }
    return ranges;
}

// What the author types, commits from an input method, pastes or drops
// goes in as the file will hold it: the look-alikes that code page 932
// writes in their place (〜 as ～) become those at once, in the same step.
void ScriptEdit::keyPressEvent(QKeyEvent *event)
{
    // Ctrl+K, Linux's key for it, on every line alike, whatever platform
    // draws the window (the tests' offscreen one binds no key to it).
    const bool toLineEnd = event == QKeySequence::DeleteEndOfLine ||
                           (event->key() == Qt::Key_K &&
                            (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier);
    if (toLineEnd && !isReadOnly()) {
        deleteToLineEnd();
        event->accept();
        return;
    }
    if (editAtPieces(event))
        return;
    qsizetype replaced = 0;
    if (const QString text = scriptfile::savable(event->text(), &replaced); replaced > 0) {
        QKeyEvent held(event->type(), event->key(), event->modifiers(), text, event->isAutoRepeat(),
                       ushort(event->count()));
        QPlainTextEdit::keyPressEvent(&held);
        event->setAccepted(held.isAccepted());
        tellLookAlikes(event->text(), text, replaced);
        return;
    }
    if (stepOverPieceBreak(event))
        return;
    // Shift+Enter would insert U+2028, which the script reads as a lone LF;
    // an author pressing it means a new line like Enter.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier, event->text(),
                        event->isAutoRepeat(), ushort(event->count()));
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ScriptEdit::tellLookAlikes(QStringView entered, QStringView held, qsizetype count)
{
    if (count == 0)
        return;
    qsizetype first = 0;
    while (entered[first] == held[first])
        ++first;
    emit lookAlikesReplaced(count, entered[first], held[first]);
}

bool ScriptEdit::nearPieces() const
{
    const QTextCursor cursor = textCursor();
    return m_document.inCutLine(cursor.selectionStart()) || m_document.inCutLine(cursor.selectionEnd());
}

namespace {

// Whether the key types text: a printable character (a surrogate pair's
// too) with no modifier but Shift.
bool typesText(const QKeyEvent *event)
{
    const QString text = event->text();
    return !text.isEmpty() && QChar::isPrint(text.toUcs4().front()) &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

// A stretch of a script line as the editor's own text holds it: a lone LF
// as a break inside the line, and each character the document keeps as a
// stand-in as one.
QString shownText(QString text)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u == scriptdoc::loneLineFeed || u == scriptdoc::blockBreak || u == 0xFDD0 || u == 0xFDD1)
            c = QChar(0xFFFD);
        else if (u == u'\n')
            c = QChar(scriptdoc::loneLineFeed);
    }
    return text;
}

// Where a step by words or by characters from `at` lands in `text`, by the
// rules of the editor's own layout: the columns between `at` and there.
std::pair<int, int> stepIn(const QString &text, int at, bool forward, QTextLayout::CursorMode mode)
{
    const QTextLayout layout(text);
    const int step = forward ? layout.nextCursorPosition(at, mode) : layout.previousCursorPosition(at, mode);
    return std::minmax(at, step);
}

// The word a double click takes at `at` in `text`, by the rules of the
// editor's own text: its columns.
std::pair<int, int> wordIn(const QString &text, int at)
{
    // A document of its own with no layout: the word is found from the
    // characters alone, nothing is shaped.
    QTextDocument scratch;
    QTextCursor cursor(&scratch);
    cursor.insertText(text);
    cursor.setPosition(at);
    cursor.select(QTextCursor::WordUnderCursor);
    return {cursor.selectionStart(), cursor.selectionEnd()};
}

// What `find(text, at)` makes of `line` around `column`, read as if the
// line were shown whole: the script columns it gives. The line is read
// around the column, and further while the answer reaches an edge of what
// was read short of the line's own (a word thousands of characters long).
template <typename Find>
std::pair<qsizetype, qsizetype> aroundColumn(const ScriptDocument &document, int line, qsizetype column, Find find)
{
    const qsizetype size = document.lineLength(line);
    for (qsizetype reach = 1024;; reach *= 4) {
        const qsizetype from = std::max<qsizetype>(column - reach, 0);
        const qsizetype to = std::min(size, column + reach);
        const auto [start, end] = find(shownText(document.lineText(line, from, to - from)), int(column - from));
        if ((start > 0 || from == 0) && (end < to - from || to == size))
            return {from + start, from + end};
    }
}

} // namespace

bool ScriptEdit::editAtPieces(QKeyEvent *event)
{
    if (!m_document.hasPieces() || !nearPieces())
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool backspace = event->key() == Qt::Key_Backspace && !(modifiers & ~Qt::ShiftModifier);
    const bool wordBack = event == QKeySequence::DeleteStartOfWord;
    const bool wordForth = event == QKeySequence::DeleteEndOfWord;
    const bool forth = event == QKeySequence::Delete;
    const bool selected = textCursor().hasSelection();
    if (event == QKeySequence::Cut) {
        cutSelection();
    } else if (enter && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        insert(u"\r\n");
    } else if (selected && (backspace || wordBack || wordForth || forth)) {
        deleteSelection();
    } else if (backspace || wordBack || wordForth || forth) {
        // What the key takes, read from the caret's line as a whole.
        const qsizetype at = caret();
        const int line = caretLine();
        const qsizetype column = caretColumn();
        const qsizetype size = m_document.lineLength(line);
        const bool back = backspace || wordBack;
        if (back && column == 0) {
            deleteRange(std::max<qsizetype>(at - 2, 0), at);
        } else if (!back && column == size) {
            deleteRange(at, std::min(at + 2, length()));
        } else if (backspace) {
            const QString before = m_document.lineText(line, column - 2, 2);
            const bool pair = before.size() == 2 && before[1].isLowSurrogate() && before[0].isHighSurrogate();
            deleteRange(at - (pair ? 2 : 1), at);
        } else {
            const QTextLayout::CursorMode mode =
                wordBack || wordForth ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
            const auto [from, to] = aroundColumn(m_document, line, column, [&](const QString &text, int here) {
                return stepIn(text, here, !back, mode);
            });
            deleteRange(at - column + from, at - column + to);
        }
    } else if (selected && typesText(event)) {
        qsizetype replaced = 0;
        const QString text = scriptfile::savable(event->text(), &replaced);
        insert(text);
        tellLookAlikes(event->text(), text, replaced);
    } else if ((event->key() == Qt::Key_Home || event->key() == Qt::Key_End) && !(modifiers & ~Qt::ShiftModifier) &&
               lineWrapMode() == QPlainTextEdit::NoWrap) {
        // Unwrapped, Home and End go to the ends of the line, not of a piece.
        const int line = caretLine();
        const qsizetype target = m_document.lineStart(line) + (event->key() == Qt::Key_End ? m_document.lineLength(line) : 0);
        QTextCursor cursor = textCursor();
        cursor.setPosition(m_document.toPosition(target),
                           modifiers & Qt::ShiftModifier ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        setTextCursor(cursor);
    } else {
        return false;
    }
    ensureCursorVisible();
    event->accept();
    return true;
}

void ScriptEdit::deleteRange(qsizetype start, qsizetype end)
{
    if (end <= start)
        return;
    select(start, end - start);
    insert(u"");
}

void ScriptEdit::deleteToLineEnd()
{
    const int line = caretLine();
    const qsizetype end = m_document.lineStart(line) + m_document.lineLength(line);
    const qsizetype anchor = m_document.toScript(textCursor().anchor());
    // Nothing to delete: the selection still goes, the caret at the end.
    if (anchor == end)
        setCaret(end);
    deleteRange(std::min(anchor, end), std::max(anchor, end));
    ensureCursorVisible();
}

void ScriptEdit::deleteSelection()
{
    if (!m_document.hasPieces() || !nearPieces()) {
        textCursor().removeSelectedText();
        return;
    }
    deleteRange(selectionStart(), selectionStart() + selectionLength());
}

void ScriptEdit::cutSelection()
{
    if (!textCursor().hasSelection())
        return;
    copy();
    deleteSelection();
}

// At the edge of two pieces of a long line the caret stands at one place
// of the script: the arrows step over the edge at once.
bool ScriptEdit::stepOverPieceBreak(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool back = event->key() == Qt::Key_Left;
    const bool forth = event->key() == Qt::Key_Right;
    const bool shift = modifiers == Qt::ShiftModifier;
    QTextCursor cursor = textCursor();
    if (!(back || forth) || (modifiers != Qt::NoModifier && !shift) || (cursor.hasSelection() && !shift))
        return false;
    const auto atBreak = [&] {
        const QTextBlock block = cursor.block();
        return back ? cursor.atBlockStart() && m_document.continuesLine(block)
                    : cursor.atBlockEnd() && m_document.continuesLine(block.next());
    };
    if (!atBreak())
        return false;
    const QTextCursor::MoveMode mode = shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    // Every step moves: a break is never at either end of the text.
    while (atBreak() && cursor.movePosition(back ? QTextCursor::PreviousCharacter : QTextCursor::NextCharacter, mode))
        ;
    setTextCursor(cursor);
    QPlainTextEdit::keyPressEvent(event);
    return true;
}

namespace {

bool sameSelection(const QTextCursor &one, const QTextCursor &other)
{
    return one.anchor() == other.anchor() && one.position() == other.position();
}

} // namespace

// Qt's text view selects a word, or a line and its break, within one block:
// where a line is shown in pieces, within a piece. What it selects, and
// what a drag or a Shift+click after it adds, is widened to what the same
// clicks select on a line shown whole.
void ScriptEdit::mousePressEvent(QMouseEvent *event)
{
    const QTextCursor before = textCursor();
    m_widened = false;
    QPlainTextEdit::mousePressEvent(event);
    const QTextCursor after = textCursor();
    if (event->button() != Qt::LeftButton)
        return;
    // A plain click places the caret and selects by characters again (one
    // in the selection leaves it as it is, for a drag); the third click of
    // three selects the block it fell in.
    const bool plain = event->modifiers() != Qt::ShiftModifier;
    if (plain && !after.hasSelection())
        m_clickUnit = ClickUnit::Characters;
    if (sameSelection(before, after) || (plain && !after.hasSelection()))
        return;
    if (plain)
        m_clickUnit = ClickUnit::Lines;
    widenToClickUnits(false);
}

void ScriptEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_widened = false;
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_clickUnit = ClickUnit::Words;
    const int clicked = cursorForPosition(event->position().toPoint()).position();
    if (m_document.inCutLine(clicked)) {
        const int line = m_document.lineOf(clicked);
        const qsizetype start = m_document.lineStart(line);
        const auto [from, to] = aroundColumn(m_document, line, m_document.toScript(clicked) - start, wordIn);
        QTextCursor word = textCursor();
        word.setPosition(m_document.toPosition(start + from));
        word.setPosition(m_document.toPosition(start + to), QTextCursor::KeepAnchor);
        // The view stays, as it does for a word within a piece: a third
        // click at the same place is a triple click.
        showCursor(word, true);
    }
    m_clickedWord = textCursor();
}

void ScriptEdit::mouseMoveEvent(QMouseEvent *event)
{
    const QTextCursor before = textCursor();
    QPlainTextEdit::mouseMoveEvent(event);
    // A drag of the selection moves nothing.
    if ((event->buttons() & Qt::LeftButton) && !sameSelection(before, textCursor()))
        widenToClickUnits(true);
}

void ScriptEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    // The selection that a middle click pastes is the one widened.
    QClipboard *clipboard = QApplication::clipboard();
    if (std::exchange(m_widened, false) && textCursor().hasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(createMimeDataFromSelection(), QClipboard::Selection);
}

void ScriptEdit::widenToClickUnits(bool keepView)
{
    if (m_clickUnit == ClickUnit::Characters || !m_document.hasPieces())
        return;
    QTextCursor cursor = textCursor();
    int start = cursor.selectionStart();
    int end = cursor.selectionEnd();
    if (m_clickUnit == ClickUnit::Lines) {
        // From the start of the first line to the start of the line after
        // the last (the end of the text on the last line).
        start = m_document.lineBlock(m_document.lineOf(start)).position();
        const int last = m_document.lineOf(end);
        if (end != m_document.lineBlock(last).position())
            end = m_document.toPosition(
                std::min(m_document.lineStart(last) + m_document.lineLength(last) + 2, m_document.length()));
    } else {
        // The word double-clicked stays whole, and an end at a piece's edge
        // inside a word goes to that end of the word.
        const auto wordAcross = [this](int position) {
            const QTextBlock block = document()->findBlock(position);
            const bool edge = (position == block.position() && m_document.continuesLine(block)) ||
                              (position == block.position() + block.length() - 1 &&
                               m_document.continuesLine(block.next()));
            if (!edge)
                return std::pair(position, position);
            const int line = m_document.lineOf(position);
            const qsizetype lineStart = m_document.lineStart(line);
            const qsizetype column = m_document.toScript(position) - lineStart;
            const auto [from, to] = aroundColumn(m_document, line, column, wordIn);
            if (from >= column || to <= column)
                return std::pair(position, position);
            return std::pair(m_document.toPosition(lineStart + from), m_document.toPosition(lineStart + to));
        };
        start = wordAcross(std::min(start, m_clickedWord.selectionStart())).first;
        end = wordAcross(std::max(end, m_clickedWord.selectionEnd())).second;
    }
    if (start == cursor.selectionStart() && end == cursor.selectionEnd())
        return;
    const bool forward = cursor.position() >= cursor.anchor();
    cursor.setPosition(forward ? start : end);
    cursor.setPosition(forward ? end : start, QTextCursor::KeepAnchor);
    showCursor(cursor, keepView);
}

void ScriptEdit::showCursor(const QTextCursor &cursor, bool keepView)
{
    const int across = horizontalScrollBar()->value();
    const int down = verticalScrollBar()->value();
    setTextCursor(cursor);
    if (keepView) {
        horizontalScrollBar()->setValue(across);
        verticalScrollBar()->setValue(down);
    }
    m_widened = true;
}

void ScriptEdit::inputMethodEvent(QInputMethodEvent *event)
{
    qsizetype replaced = 0;
    const QString commit = scriptfile::savable(event->commitString(), &replaced);
    // A word committed over a selection, or over committed text the input
    // method converts again, where a line is shown in pieces: it replaces
    // that text through the document, as one step.
    const bool overPieces = !commit.isEmpty() && m_document.hasPieces() && nearPieces() &&
                            (textCursor().hasSelection() || event->replacementLength() > 0);
    if (overPieces) {
        if (!textCursor().hasSelection())
            select(caret() + event->replacementStart(), event->replacementLength());
        insert(commit);
    } else if (replaced == 0) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // The conversion still open is the input method's, and left as it is.
    // With none, and the word in, the editor is not told again: it would
    // take its line for changed once more.
    if (!overPieces || !event->preeditString().isEmpty() || !event->attributes().isEmpty()) {
        QInputMethodEvent held(event->preeditString(), event->attributes());
        if (!overPieces)
            held.setCommitString(commit, event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&held);
        event->setAccepted(held.isAccepted());
    }
    tellLookAlikes(event->commitString(), commit, replaced);
}

void ScriptEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu(event->pos());
    // Cutting and deleting go the way their keys go.
    for (QAction *action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-cut")) {
            action->disconnect();
            connect(action, &QAction::triggered, this, &ScriptEdit::cutSelection);
        } else if (action->objectName() == QLatin1String("edit-delete")) {
            action->disconnect();
            connect(action, &QAction::triggered, this, &ScriptEdit::deleteSelection);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ScriptEdit::dropEvent(QDropEvent *event)
{
    // Text moved within Text1 where a line is shown in pieces: the move is
    // the document's, as one step.
    const int target = cursorForPosition(event->position().toPoint()).position();
    if (event->source() == this && event->dropAction() == Qt::MoveAction && m_document.hasPieces() &&
        (nearPieces() || m_document.inCutLine(target)) && event->mimeData()->hasText()) {
        const qsizetype start = selectionStart();
        const qsizetype length = selectionLength();
        const qsizetype at = m_document.toScript(target);
        if (at < start || at > start + length) {
            const QString moved = m_document.text(start, length);
            const std::array<ScriptDocument::Edit, 2> edits =
                at < start ? std::array{ScriptDocument::Edit{at, 0, moved}, ScriptDocument::Edit{start, length, {}}}
                           : std::array{ScriptDocument::Edit{start, length, {}}, ScriptDocument::Edit{at, 0, moved}};
            replaceEach(edits);
        }
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    QPlainTextEdit::dropEvent(event);
}

void ScriptEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    qsizetype replaced = 0;
    const QString entered = ScriptDocument::fromOutside(source->text());
    const QString text = scriptfile::savable(entered, &replaced);
    QTextCursor cursor = textCursor();
    m_document.insert(cursor, text);
    tellLookAlikes(entered, text, replaced);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *ScriptEdit::createMimeDataFromSelection() const
{
    // selectedText() keeps U+00A0 that the default copy would turn into a
    // blank; the clipboard gets "\n" for every break, as other programs expect.
    auto *data = new QMimeData;
    const QTextCursor cursor = textCursor();
    QString text = m_document.scriptText(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    data->setText(text);
    return data;
}
