#include "editor/blank_layer.h"

#include "editor/blanks.h"
#include "editor/script_edit.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor markColour(0xA0, 0xA0, 0xA0);
const QColor letterShade(0xFF, 0xA8, 0x00, 0x48);

// A small arrow from `from` to `to`, its head at `to`.
void arrow(QPainter &painter, QPointF from, QPointF to, qreal head)
{
    painter.drawLine(from, to);
    const QPointF along = to - from;
    const qreal length = std::hypot(along.x(), along.y());
    if (length <= 0)
        return;
    const QPointF back = along / length * head;
    const QPointF side(-back.y(), back.x());
    painter.drawLine(to, to - back + side * 0.6);
    painter.drawLine(to, to - back - side * 0.6);
}

// The return arrow of a line end, in the box of a character at `at`.
void lineEnd(QPainter &painter, const QRectF &box)
{
    const qreal right = box.left() + box.width() * 0.75;
    const qreal left = box.left() + box.width() * 0.15;
    const qreal top = box.top() + box.height() * 0.3;
    const qreal bottom = box.top() + box.height() * 0.7;
    painter.drawLine(QPointF(right, top), QPointF(right, bottom));
    arrow(painter, QPointF(right, bottom), QPointF(left, bottom), box.width() * 0.25);
}

} // namespace

void paintBlanks(ScriptEdit &edit, QPainter &painter, const QRect &area)
{
    const ScriptDocument &script = edit.script();
    const qreal em = edit.fontMetrics().horizontalAdvance(QChar(u'あ'));
    QPen pen(markColour);
    pen.setWidthF(1.0);
    painter.setPen(pen);
    painter.setRenderHint(QPainter::Antialiasing);
    QTextBlock block = edit.firstVisibleBlock();
    QPointF offset = edit.blockBoundingGeometry(block).translated(edit.contentOffset()).topLeft();
    while (block.isValid() && offset.y() <= area.bottom()) {
        const qreal height = edit.blockBoundingRect(block).height();
        const QTextLayout *layout = block.layout();
        if (block.isVisible() && offset.y() + height >= area.top() && layout && layout->lineCount() > 0) {
            const QString text = block.text();
            // The box of `length` characters from `at`, on the row of `at`.
            const auto box = [&](qsizetype at, qsizetype length) {
                const QTextLine row = layout->lineForTextPosition(int(at));
                const qreal left = row.cursorToX(int(at));
                const qreal right = length > 0 ? row.cursorToX(int(at + length)) : left + em / 2;
                return QRectF(offset.x() + left, offset.y() + row.y(), right - left, row.height());
            };
            for (const blanks::Marked &mark : blanks::marksIn(text)) {
                const QRectF cell = box(mark.at, mark.length);
                switch (mark.mark) {
                case blanks::Mark::FullWidthSpace: {
                    const qreal side = std::min(cell.width(), cell.height()) * 0.6;
                    painter.drawRect(QRectF(cell.center() - QPointF(side, side) / 2, QSizeF(side, side)));
                    break;
                }
                case blanks::Mark::Tab:
                    arrow(painter, QPointF(cell.left() + 2, cell.center().y()),
                          QPointF(std::max(cell.right() - 2, cell.left() + em / 2), cell.center().y()), em / 4);
                    break;
                case blanks::Mark::LoneLineFeed: {
                    const QRectF after = box(mark.at, 0);
                    const qreal x = after.left() + em / 4;
                    arrow(painter, QPointF(x, after.top() + after.height() * 0.25),
                          QPointF(x, after.top() + after.height() * 0.75), em / 4);
                    break;
                }
                case blanks::Mark::FullWidthLetter:
                    painter.fillRect(cell, letterShade);
                    break;
                }
            }
            // The end of a script line: not of a piece, nor of the script.
            const QTextBlock next = block.next();
            if (next.isValid() && !script.continuesLine(next))
                lineEnd(painter, box(text.size(), 0).adjusted(0, 0, em / 2, 0));
        }
        block = block.next();
        offset.ry() += height;
    }
}
