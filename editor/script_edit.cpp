#include "editor/script_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

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
        if (block.isVisible() && bottom >= area.top() && !ScriptDocument::continuesLine(block))
            painter.drawText(0, int(top), width, lineHeight, Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(line + 1));
        block = block.next();
        if (!ScriptDocument::continuesLine(block))
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

void ScriptEdit::showPosition(int position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(position, 0, m_document.positions()));
    setTextCursor(cursor);
    ensureCursorVisible();
}

std::pair<QTextBlock, QTextBlock> ScriptEdit::shownLines() const
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
        cursor.setPosition(range.start);
        cursor.setPosition(range.start + range.length, QTextCursor::KeepAnchor);
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
    for (const QTextEdit::ExtraSelection &mark : m_layers[std::size_t(layer)].marks)
        ranges.push_back({mark.cursor.selectionStart(), mark.cursor.selectionEnd() - mark.cursor.selectionStart()});
    return ranges;
}

// What the author types, commits from an input method, pastes or drops
// goes in as the file will hold it: the look-alikes that code page 932
// writes in their place (〜 as ～) become those at once, in the same step.
void ScriptEdit::keyPressEvent(QKeyEvent *event)
{
    qsizetype replaced = 0;
    if (const QString text = scriptfile::savable(event->text(), &replaced); replaced > 0) {
        QKeyEvent held(event->type(), event->key(), event->modifiers(), text, event->isAutoRepeat(),
                       ushort(event->count()));
        QPlainTextEdit::keyPressEvent(&held);
        event->setAccepted(held.isAccepted());
        emit lookAlikesReplaced(replaced);
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

// Between two pieces of a long line the caret stands at one place of the
// script: Enter there breaks the line, Backspace and Delete take the
// character beyond the piece break, and the arrows step over it.
bool ScriptEdit::stepOverPieceBreak(QKeyEvent *event)
{
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    QTextCursor cursor = textCursor();
    if (enter && ScriptDocument::continuesLine(document()->findBlock(cursor.selectionStart()))) {
        insert(u"\r\n");
        ensureCursorVisible();
        return true;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool deleting = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    const bool back = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Left;
    const bool forth = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Right;
    const bool shift = modifiers == Qt::ShiftModifier && !deleting;
    if (!(back || forth) || (modifiers != Qt::NoModifier && !shift) || (cursor.hasSelection() && !shift))
        return false;
    const auto atBreak = [&] {
        const QTextBlock block = cursor.block();
        return back ? cursor.atBlockStart() && ScriptDocument::continuesLine(block)
                    : cursor.atBlockEnd() && ScriptDocument::continuesLine(block.next());
    };
    if (!atBreak())
        return false;
    const QTextCursor::MoveMode mode = shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    while (atBreak())
        cursor.movePosition(back ? QTextCursor::PreviousCharacter : QTextCursor::NextCharacter, mode);
    setTextCursor(cursor);
    QPlainTextEdit::keyPressEvent(event);
    return true;
}

void ScriptEdit::inputMethodEvent(QInputMethodEvent *event)
{
    qsizetype replaced = 0;
    const QString commit = scriptfile::savable(event->commitString(), &replaced);
    if (replaced == 0) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // The conversion still open is the input method's, and left as it is.
    QInputMethodEvent held(event->preeditString(), event->attributes());
    held.setCommitString(commit, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&held);
    event->setAccepted(held.isAccepted());
    emit lookAlikesReplaced(replaced);
}

void ScriptEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    qsizetype replaced = 0;
    const QString text = scriptfile::savable(ScriptDocument::fromOutside(source->text()), &replaced);
    QTextCursor cursor = textCursor();
    m_document.insert(cursor, text);
    if (replaced > 0)
        emit lookAlikesReplaced(replaced);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *ScriptEdit::createMimeDataFromSelection() const
{
    // selectedText() keeps U+00A0 that the default copy would turn into a
    // blank; the clipboard gets "\n" for every break, as other programs expect.
    auto *data = new QMimeData;
    const QTextCursor cursor = textCursor();
    QString text = m_document.joinedText(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
    text.replace(QChar(scriptdoc::blockBreak), u'\n').replace(QChar(scriptdoc::loneLineFeed), u'\n');
    data->setText(text);
    return data;
}
