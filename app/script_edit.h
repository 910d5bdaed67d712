// Text1, the one script buffer: a plain text editor that speaks in offsets
// of the script text, in which every line break is CR LF and counts as two
// characters, whatever the editor keeps inside.
#pragma once

#include <QFont>
#include <QPlainTextEdit>

#include <array>
#include <span>

namespace search {
struct Edit;
}

// The Japanese proportional Gothic of the script and the pickers' lists,
// 12 points, bold; the first installed of the usual families.
QFont gothicFont();

class ScriptEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ScriptEdit(QWidget *parent = nullptr);

    // The whole script text, exactly as it was set and inserted: line breaks
    // CR LF, a lone LF kept as a lone LF.
    QString text() const;
    // Replaces the whole text; the caret goes to its start.
    void setText(QStringView text);
    qsizetype length() const;

    qsizetype caret() const;
    // Places the caret, clearing any selection. An offset past the end goes
    // to the end; one between CR and LF goes before the CR.
    void setCaret(qsizetype offset);
    qsizetype selectionStart() const;
    qsizetype selectionLength() const;
    // Selects `length` characters from `start`; the caret ends at the far end.
    void select(qsizetype start, qsizetype length);

    // The one way a fragment enters the script: it replaces the selection,
    // or goes in at the caret, and the caret stands right after it with
    // nothing selected. One undo step; no copy of the whole text.
    void insert(QStringView fragment);
    // Several replacements written the way insert() writes a fragment, as
    // one edit and one undo step: each edit's range (script offsets,
    // ascending, not overlapping) becomes its text. The caret stands after
    // the last one; nothing is selected.
    void replaceEach(std::span<const search::Edit> edits);
    // Script offset of a position in the document, and back.
    qsizetype toScript(int position) const;
    int toDocument(qsizetype offset) const;

    // Marks drawn over the text (search matches, findings), kept apart per
    // kind so that setting one kind leaves the others as they are. They
    // never touch the text, the undo stack or contentChanged().
    enum class MarkKind { Search, Findings, Count };
    void setMarks(MarkKind kind, QList<QTextEdit::ExtraSelection> marks);

signals:
    // After every change of the content, and only then.
    void contentChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    std::array<QList<QTextEdit::ExtraSelection>, std::size_t(MarkKind::Count)> m_marks;
};
