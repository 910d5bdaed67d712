// Text1, the view of the script: a plain text editor over a ScriptDocument
// that speaks, to everything beside it, in script lines and in offsets of
// the script text, in which every line break is CR LF and counts as two
// characters, whatever the document keeps inside. The capabilities beside
// it (search, findings, colours) draw their marks here, each in a layer of
// its own. A line too long to lay out at every keystroke is shown in pieces;
// every key acts on such a line as on any other.
#pragma once

#include "document/script_document.h"
#include "editor/find_target.h"
#include "editor/list_font.h"  // the lists beside Text1 take its letters

#include <QFont>
#include <QPlainTextEdit>

#include <utility>
#include <vector>

class QPainter;

// Names a scrolling area's bars for screen readers.
void nameScrollBars(QAbstractScrollArea *area);

// The Japanese proportional Gothic of the script and the pickers' lists,
// 12 points, bold; the first installed of the usual families.
QFont gothicFont();
// The same Gothic for the rest of the interface: 9 points, regular.
QFont interfaceFont();

class ScriptEdit : public QPlainTextEdit, public FindTarget
{
    Q_OBJECT

public:
    // Shows `document`, which must outlive the view.
    explicit ScriptEdit(ScriptDocument &document, QWidget *parent = nullptr);

    ScriptDocument &script() const override { return m_document; }

    // The whole script text, exactly as it was set and inserted: line breaks
    // CR LF, a lone LF kept as a lone LF.
    QString text() const { return m_document.text(); }
    // Replaces the whole text; the caret goes to its start.
    void setText(QStringView text);
    qsizetype length() const { return m_document.length(); }

    qsizetype caret() const;
    // Places the caret, clearing any selection. An offset past the end goes
    // to the end; one between CR and LF goes before the CR.
    void setCaret(qsizetype offset);
    qsizetype selectionStart() const override;
    qsizetype selectionLength() const override;
    // Selects `length` characters from `start`; the caret ends at the far end.
    void select(qsizetype start, qsizetype length);

    // The one way a fragment enters the script: it replaces the selection,
    // or goes in at the caret, and the caret stands right after it with
    // nothing selected. One undo step; no copy of the whole text.
    void insert(QStringView fragment) override;
    // Several replacements, in script offsets, as one edit and one undo
    // step; the caret stands after the last one, nothing selected.
    void replaceEach(std::span<const ScriptDocument::Edit> edits) override;

    // How the script is shown: lines wrapped at the view's width (lines are
    // still counted as the file counts them), a gutter of line numbers, the
    // size of the letters in points.
    void setWrap(bool on);
    void setLineNumbers(bool on);
    bool lineNumbers() const;
    // The caret stays in view.
    void setFontSize(int points);
    int fontSize() const { return font().pointSize(); }
    // 空白と改行: blanks, line ends and full-width letters marked (see blanks.h).
    void setBlanksShown(bool on);
    bool blanksShown() const { return m_blanks; }

    // The script line the caret stands on, and its column there.
    int caretLine() const;
    qsizetype caretColumn() const;
    // Puts the caret at a script offset and brings it into view.
    void showOffset(qsizetype offset);
    // Puts the caret at the start of a script line (from 0), in the middle
    // of the view.
    void showLine(int line) override;
    void showSelection(qsizetype start, qsizetype length) override;

    // The script lines on screen, first and last (the last may be cut off at
    // the bottom).
    std::pair<int, int> shownLines() const override;
    // The script offsets of the first and the last character on screen.
    std::pair<qsizetype, qsizetype> shownRange() const override;
    // The same as blocks, for the view's own layers.
    std::pair<QTextBlock, QTextBlock> shownBlocks() const;

    // Marks drawn over the text, in layers: each capability takes a layer
    // and sets its own marks, leaving the other layers as they are. Marks
    // never touch the text, the undo stack or contentChanged(). Where a
    // layer's marks stand now: they move with the text around them.
    MarkLayer addMarkLayer(const QTextCharFormat &format) override;
    void setMarks(MarkLayer layer, const std::vector<Range> &ranges) override;
    std::vector<Range> marks(MarkLayer layer) const override;
    void whenViewMoves(QObject *context, std::function<void()> moved) override;
    void focusText() override { setFocus(); }

signals:
    // After every change of the content, and only then.
    void contentChanged();
    // Characters the author entered that code page 932 writes as a
    // look-alike became that look-alike as they went in: `count` of them,
    // the first `entered` becoming `held`.
    void lookAlikesReplaced(qsizetype count, QChar entered, QChar held);
    // Ctrl and the wheel: bigger letters for steps > 0, smaller for < 0.
    void zoomAsked(int steps);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Layer {
        QTextCharFormat format;
        QList<QTextEdit::ExtraSelection> marks;
    };
    friend class LineNumbers;
    friend void paintBlanks(ScriptEdit &edit, QPainter &painter, const QRect &area);
    bool stepOverPieceBreak(QKeyEvent *event);
    // A key that changes the text where a line is shown in pieces acts on
    // the script through the document, by the same rules as elsewhere.
    bool editAtPieces(QKeyEvent *event);
    bool nearPieces() const;
    // Says which look-alikes went in for what the author entered.
    void tellLookAlikes(QStringView entered, QStringView held, qsizetype count);
    // Deletes the script characters from `start` to `end` as one step.
    void deleteRange(qsizetype start, qsizetype end);
    // Ctrl+K: from the selection's anchor (the caret, with none) to the end
    // of the caret's line, as Qt's text view does on Linux.
    void deleteToLineEnd();
    // What a double or a triple click selected, and a drag or a Shift+click
    // after it, widened where a line is shown in pieces to the words or
    // lines the same clicks take on a line shown whole. `keepView` leaves
    // the view where the pointer is.
    void widenToClickUnits(bool keepView);
    // Puts a selection widened in place of Qt's.
    void showCursor(const QTextCursor &cursor, bool keepView);
    void cutSelection();
    void deleteSelection();
    void paintLineNumbers(QWidget *gutter, const QRect &area);
    int gutterWidth() const;
    void placeGutter();

    ScriptDocument &m_document;
    std::vector<Layer> m_layers;
    QWidget *m_gutter = nullptr;
    int m_comingLines = 0;  // of a whole new text, while it is put in place
    int m_caretBlock = -1;  // the number of the block whose layout keeps its glyphs
    bool m_blanks = false;
    // The unit the last clicks select by, as Qt's text view keeps it until
    // a plain click: characters, the words of a double click, the lines of
    // a triple one; the word a double click took (it follows edits); whether
    // the selection was widened since the button went down.
    enum class ClickUnit { Characters, Words, Lines };
    ClickUnit m_clickUnit = ClickUnit::Characters;
    QTextCursor m_clickedWord;
    bool m_widened = false;
};
