#include "app/script_edit.h"
#include "search/search.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

// Inside the editor a script line break (CR LF) is a block break, which the
// document counts as one position and reports as U+2029; a lone LF, which a
// script line may hold, is kept as U+2028, drawn as a break inside its line.
// QTextDocument::toPlainText() would fold both into "\n" and turn U+00A0
// into a blank, so the buffer is always read raw.
namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';
constexpr char16_t LineSeparator = 0x2028;
constexpr char16_t ParagraphSeparator = 0x2029;

// Script text to what QTextCursor::insertText() and setPlainText() take:
// each CR LF (or lone CR, which the script never holds) one "\n", each lone
// LF one U+2028.
QString toDocumentText(QStringView script)
{
    QString out(script.size(), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    qsizetype w = 0;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const char16_t c = script[i].unicode();
        if (c == CR) {
            if (i + 1 < script.size() && script[i + 1] == LF)
                ++i;
            o[w++] = LF;
        } else {
            o[w++] = c == LF ? LineSeparator : c;
        }
    }
    out.truncate(w);
    return out;
}

// Raw document text (U+2029 between blocks, U+2028 within) to script text.
QString toScriptText(QStringView raw)
{
    qsizetype breaks = 0;
    for (QChar c : raw)
        breaks += c == ParagraphSeparator;
    QString out(raw.size() + breaks, Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    qsizetype w = 0;
    for (QChar qc : raw) {
        const char16_t c = qc.unicode();
        if (c == ParagraphSeparator) {
            o[w++] = CR;
            o[w++] = LF;
        } else {
            o[w++] = c == LineSeparator ? LF : c;
        }
    }
    return out;
}

// Text from outside (a paste, a drop) follows the line ends of wherever it
// came from; every kind becomes a script line break.
QString pastedText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == CR && i + 1 < text.size() && text[i + 1] == LF)
            continue;
        out.append(c == CR || c == LineSeparator || c == ParagraphSeparator ? QChar(LF) : QChar(c));
    }
    return out;
}

} // namespace

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

ScriptEdit::ScriptEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFont(gothicFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed != 0 || added != 0)
            emit contentChanged();
    });
}

QString ScriptEdit::text() const
{
    return toScriptText(document()->toRawText());
}

void ScriptEdit::setText(QStringView text)
{
    setPlainText(toDocumentText(text));
}

qsizetype ScriptEdit::length() const
{
    const QTextDocument *doc = document();
    return qsizetype(doc->characterCount()) - 1 + (doc->blockCount() - 1);
}

qsizetype ScriptEdit::toScript(int position) const
{
    return qsizetype(position) + document()->findBlock(position).blockNumber();
}

int ScriptEdit::toDocument(qsizetype offset) const
{
    const QTextDocument *doc = document();
    offset = std::clamp<qsizetype>(offset, 0, length());
    // The block holding the offset: the last one whose script start,
    // its position plus one extra unit per earlier line break, lies at or
    // before it.
    int low = 0;
    int high = doc->blockCount() - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (doc->findBlockByNumber(middle).position() + qsizetype(middle) <= offset)
            low = middle;
        else
            high = middle - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    const qsizetype blockEnd = block.position() + block.length() - 1;
    return int(std::min(offset - low, blockEnd));
}

qsizetype ScriptEdit::caret() const
{
    return toScript(textCursor().position());
}

void ScriptEdit::setCaret(qsizetype offset)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(toDocument(offset));
    setTextCursor(cursor);
}

qsizetype ScriptEdit::selectionStart() const
{
    return toScript(textCursor().selectionStart());
}

qsizetype ScriptEdit::selectionLength() const
{
    const QTextCursor cursor = textCursor();
    return toScript(cursor.selectionEnd()) - toScript(cursor.selectionStart());
}

void ScriptEdit::select(qsizetype start, qsizetype length)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(toDocument(start));
    cursor.setPosition(toDocument(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void ScriptEdit::insert(QStringView fragment)
{
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(toDocumentText(fragment));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void ScriptEdit::replaceEach(std::span<const search::Edit> edits)
{
    if (edits.empty())
        return;
    // From the last to the first, the offsets fall: the block that holds
    // each is found by walking back from the one before, which no later
    // edit has moved.
    QTextBlock block = document()->lastBlock();
    const auto position = [&](qsizetype offset) {
        offset = std::clamp<qsizetype>(offset, 0, length());
        while (block.blockNumber() > 0 && block.position() + qsizetype(block.blockNumber()) > offset)
            block = block.previous();
        return int(std::min(offset - block.blockNumber(), qsizetype(block.position() + block.length() - 1)));
    };
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const int end = position(it->start + it->length);
        cursor.setPosition(position(it->start));
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.insertText(toDocumentText(it->text));
    }
    cursor.endEditBlock();
    qsizetype shift = 0;
    for (const search::Edit &edit : edits.first(edits.size() - 1))
        shift += edit.text.size() - edit.length;
    cursor.setPosition(toDocument(edits.back().start + shift + edits.back().text.size()));
    setTextCursor(cursor);
}

void ScriptEdit::setMarks(MarkKind kind, QList<QTextEdit::ExtraSelection> marks)
{
    m_marks[std::size_t(kind)] = std::move(marks);
    QList<QTextEdit::ExtraSelection> all;
    for (const auto &kindMarks : m_marks)
        all += kindMarks;
    setExtraSelections(all);
}

void ScriptEdit::keyPressEvent(QKeyEvent *event)
{
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

void ScriptEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(pastedText(source->text()));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *ScriptEdit::createMimeDataFromSelection() const
{
    // selectedText() keeps U+00A0 that the default copy would turn into a
    // blank; the clipboard gets "\n" for every break, as other programs expect.
    auto *data = new QMimeData;
    QString text = textCursor().selectedText();
    text.replace(QChar(ParagraphSeparator), QChar(LF)).replace(QChar(LineSeparator), QChar(LF));
    data->setText(text);
    return data;
}
