// What a search bar needs of the view whose text it searches, and all it
// uses of it: the script, the selection in script offsets, the two ways
// text is replaced, where the view stands, marks, and the focus. Text1
// (ScriptEdit) is one.
#pragma once

#include "document/script_document.h"

#include <QTextCharFormat>

#include <functional>
#include <span>
#include <utility>
#include <vector>

class FindTarget
{
public:
    virtual ~FindTarget() = default;

    virtual const ScriptDocument &script() const = 0;
    virtual qsizetype selectionStart() const = 0;
    virtual qsizetype selectionLength() const = 0;
    // Selects a match and brings it into view.
    virtual void showSelection(qsizetype start, qsizetype length) = 0;
    // Replaces the selection, as one undo step.
    virtual void insert(QStringView text) = 0;
    // Replaces each of `edits` (ascending), as one undo step.
    virtual void replaceEach(std::span<const ScriptDocument::Edit> edits) = 0;
    // Puts the caret at the start of a line, in the middle of the view.
    virtual void showLine(int line) = 0;
    // The lines on screen, and the script offsets of their first and last
    // characters.
    virtual std::pair<int, int> shownLines() const = 0;
    virtual std::pair<qsizetype, qsizetype> shownRange() const = 0;
    // Marks over the text, in a layer of the caller's own.
    struct Range {
        qsizetype start;  // script offset
        qsizetype length;
        friend bool operator==(const Range &, const Range &) = default;
    };
    using MarkLayer = int;
    virtual MarkLayer addMarkLayer(const QTextCharFormat &format) = 0;
    virtual void setMarks(MarkLayer layer, const std::vector<Range> &ranges) = 0;
    virtual std::vector<Range> marks(MarkLayer layer) const = 0;
    // `moved` runs whenever the view scrolls or is laid out anew.
    virtual void whenViewMoves(QObject *context, std::function<void()> moved) = 0;
    virtual void focusText() = 0;
};
