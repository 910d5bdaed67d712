// The lines a plain text editor has on screen, first and last (the last may
// be cut off at the bottom).
#pragma once

#include <QPlainTextEdit>
#include <QTextBlock>

#include <utility>

namespace dnml {

inline std::pair<QTextBlock, QTextBlock> shownLines(const QPlainTextEdit *edit)
{
    const QRect view = edit->viewport()->rect();
    const QTextBlock first = edit->cursorForPosition(view.topLeft()).block();
    QTextBlock last = edit->cursorForPosition(QPoint(0, view.bottom())).block();
    if (!last.isValid() || last.blockNumber() < first.blockNumber())
        last = edit->document()->lastBlock();
    return {first, last};
}

} // namespace dnml
