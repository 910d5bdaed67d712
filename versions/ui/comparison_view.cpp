#include "versions/ui/comparison_view.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <algorithm>

namespace versions {
namespace {

// The most of a line that is drawn: around its first difference.
constexpr qsizetype shownMost = 2000;

const QColor removedRow(255, 235, 235);
const QColor addedRow(230, 246, 230);
const QColor skippedRow(240, 240, 240);
const QColor removedClusters(255, 160, 160);
const QColor addedClusters(140, 218, 140);
const QColor lineNumbers(110, 110, 110);

bool differs(const Row &row) { return row.kind == Row::Kind::Removed || row.kind == Row::Kind::Added; }

// The row in words, for a screen reader.
QString describe(const Comparison &c, const Row &row)
{
    const QString number = QLocale(QLocale::Japanese).toString(row.count);
    switch (row.kind) {
    case Row::Kind::Same:
        return QStringLiteral(u"%1行目 %2").arg(row.b + 1).arg(c.b.line(row.b));
    case Row::Kind::Removed:
        return QStringLiteral(u"%1 この版の%2行目: %3")
            .arg(row.partner >= 0 ? QStringLiteral(u"変更前") : QStringLiteral(u"削除"))
            .arg(row.a + 1)
            .arg(c.a.line(row.a));
    case Row::Kind::Added:
        return QStringLiteral(u"%1 %2行目: %3")
            .arg(row.partner >= 0 ? QStringLiteral(u"変更後") : QStringLiteral(u"追加"))
            .arg(row.b + 1)
            .arg(c.b.line(row.b));
    case Row::Kind::Skipped:
        break;
    }
    return QStringLiteral(u"%1行 同じ").arg(number);
}

} // namespace

class ComparisonModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void set(std::shared_ptr<const Comparison> comparison)
    {
        beginResetModel();
        m_comparison = std::move(comparison);
        endResetModel();
    }
    const Comparison *comparison() const { return m_comparison.get(); }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() || !m_comparison ? 0 : int(m_comparison->rows.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
            return {};
        return describe(*m_comparison, m_comparison->rows[std::size_t(index.row())]);
    }

private:
    std::shared_ptr<const Comparison> m_comparison;
};

namespace {

// Draws a row: both line numbers, the mark, and the line with its
// differing clusters on a stronger colour.
class RowPainter : public QStyledItemDelegate
{
public:
    RowPainter(const ComparisonModel &model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QFont textFont;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return {200, std::max(QFontMetrics(textFont).height(), option.fontMetrics.height()) + 4};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const Comparison &c = *m_model.comparison();
        const Row &row = c.rows[std::size_t(index.row())];
        painter->save();
        const QRect r = option.rect;
        painter->fillRect(r, row.kind == Row::Kind::Removed   ? removedRow
                             : row.kind == Row::Kind::Added   ? addedRow
                             : row.kind == Row::Kind::Skipped ? skippedRow
                                                              : option.palette.base().color());
        if (option.state & QStyle::State_Selected) {
            QColor chosen = option.palette.highlight().color();
            chosen.setAlpha(80);
            painter->fillRect(r, chosen);
            painter->fillRect(QRect(r.left(), r.top(), 4, r.height()), option.palette.highlight());
        }
        const QFontMetrics numbers(option.font);
        const int digits = int(QString::number(std::max(c.a.count(), c.b.count())).size());
        const int column = numbers.horizontalAdvance(u'0') * digits + 10;
        const int mark = numbers.horizontalAdvance(u'＋') + 8;
        painter->setFont(option.font);
        painter->setPen(lineNumbers);
        const auto number = [&](int at, qint32 line) {
            painter->drawText(QRect(r.left() + at, r.top(), column - 6, r.height()), Qt::AlignRight | Qt::AlignVCenter,
                              QString::number(line + 1));
        };
        if (row.kind == Row::Kind::Same || row.kind == Row::Kind::Removed)
            number(0, row.a);
        if (row.kind == Row::Kind::Same || row.kind == Row::Kind::Added)
            number(column, row.b);
        painter->setPen(option.palette.text().color());
        if (differs(row))
            painter->drawText(QRect(r.left() + 2 * column, r.top(), mark, r.height()), Qt::AlignCenter,
                              row.kind == Row::Kind::Removed ? QStringLiteral(u"−") : QStringLiteral(u"＋"));
        const QRect text(r.left() + 2 * column + mark, r.top(), r.width() - 2 * column - mark, r.height());
        if (row.kind == Row::Kind::Skipped) {
            painter->setPen(lineNumbers);
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                              QStringLiteral(u"⋯ %1行 同じ ⋯").arg(QLocale(QLocale::Japanese).toString(row.count)));
        } else {
            drawLine(painter, text, c.text(row), c.spansOf(row),
                     row.kind == Row::Kind::Removed ? removedClusters : addedClusters);
        }
        if (option.state & QStyle::State_HasFocus) {
            painter->setPen(QPen(option.palette.text().color(), 1, Qt::DotLine));
            painter->drawRect(r.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

private:
    void drawLine(QPainter *painter, const QRect &area, QStringView line, std::span<const Span> spans,
                  const QColor &colour) const
    {
        // A long line is drawn from a little before its first difference.
        const qsizetype from = line.size() <= shownMost || spans.empty() ? 0 : std::max<qsizetype>(0, spans[0].start - 100);
        QString shown = (from > 0 ? QStringLiteral(u"…") : QString()) +
                        line.sliced(from).first(std::min(shownMost, line.size() - from)).toString();
        const qsizetype shift = (from > 0 ? 1 : 0) - from;
        // A lone LF inside the line is shown as a mark of its own.
        shown.replace(u'\n', QChar(0x21B5));
        QList<QTextLayout::FormatRange> marks;
        for (const Span &span : spans) {
            const qsizetype start = std::clamp<qsizetype>(span.start + shift, 0, shown.size());
            const qsizetype end = std::clamp<qsizetype>(span.start + span.length + shift, 0, shown.size());
            if (end > start) {
                QTextLayout::FormatRange mark;
                mark.start = int(start);
                mark.length = int(end - start);
                mark.format.setBackground(colour);
                marks << mark;
            }
        }
        QTextLayout layout(shown, textFont);
        layout.setFormats(marks);
        layout.beginLayout();
        QTextLine only = layout.createLine();
        only.setLineWidth(1e6);
        layout.endLayout();
        painter->setClipRect(area);
        layout.draw(painter, QPointF(area.left(), area.top() + (area.height() - only.height()) / 2));
    }

    const ComparisonModel &m_model;
};

} // namespace

ComparisonView::ComparisonView(QWidget *parent)
    : QListView(parent)
    , m_model(new ComparisonModel(this))
{
    setModel(m_model);
    setItemDelegate(new RowPainter(*m_model, this));
    setUniformItemSizes(true);
    // The rows of a long comparison are laid out a batch per turn of the
    // event loop, so that the window keeps answering.
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

ComparisonView::~ComparisonView() = default;

void ComparisonView::setTextFont(const QFont &font)
{
    static_cast<RowPainter *>(itemDelegate())->textFont = font;
    scheduleDelayedItemsLayout();
}

void ComparisonView::setComparison(std::shared_ptr<const Comparison> comparison)
{
    m_model->set(std::move(comparison));
    const Comparison *c = m_model->comparison();
    if (c && c->differences.empty())
        setCurrentIndex(m_model->index(0));
}

const Comparison *ComparisonView::comparison() const
{
    return m_model->comparison();
}

std::vector<qsizetype> ComparisonView::stretch(qsizetype first) const
{
    const std::vector<Row> &rows = m_model->comparison()->rows;
    std::vector<qsizetype> stretch;
    for (qsizetype row = first; row < qsizetype(rows.size()) && differs(rows[std::size_t(row)]); ++row)
        stretch.push_back(row);
    return stretch;
}

void ComparisonView::chooseStretch(qsizetype first)
{
    const qsizetype last = stretch(first).back();
    const QModelIndex top = m_model->index(int(first));
    selectionModel()->setCurrentIndex(top, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(top, m_model->index(int(last))), QItemSelectionModel::ClearAndSelect);
    scrollTo(m_model->index(int(last)));
    scrollTo(top);
}

bool ComparisonView::nextDifference()
{
    const Comparison *c = m_model->comparison();
    if (!c || c->differences.empty())
        return true;
    const auto &starts = c->differences;
    // Nothing chosen yet (the view only shown, or its current row not
    // chosen): the stretch at the current row counts too.
    if (!selectionModel()->hasSelection()) {
        const auto at = std::lower_bound(starts.begin(), starts.end(), qsizetype(currentIndex().row()));
        chooseStretch(at == starts.end() ? starts.front() : *at);
        return true;
    }
    const auto after = std::upper_bound(starts.begin(), starts.end(), qsizetype(currentIndex().row()));
    chooseStretch(after == starts.end() ? starts.front() : *after);
    return after != starts.end();
}

bool ComparisonView::previousDifference()
{
    const Comparison *c = m_model->comparison();
    if (!c || c->differences.empty())
        return true;
    const auto &starts = c->differences;
    const qsizetype current = currentIndex().isValid() ? currentIndex().row() : qsizetype(c->rows.size());
    if (!selectionModel()->hasSelection()) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), current);
        chooseStretch(after == starts.begin() ? starts.back() : *(after - 1));
        return true;
    }
    auto at = std::lower_bound(starts.begin(), starts.end(), current);
    // The stretch the current row stands in is not the one before it.
    if (at != starts.begin() && current > *(at - 1) && differs(c->rows[std::size_t(current)])) {
        qsizetype row = *(at - 1);
        while (row < current && differs(c->rows[std::size_t(row)]))
            ++row;
        if (row == current)
            --at;
    }
    const bool rounded = at == starts.begin();
    chooseStretch(rounded ? starts.back() : *(at - 1));
    return !rounded;
}

std::vector<qsizetype> ComparisonView::chosenRows() const
{
    std::vector<qsizetype> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<qsizetype> ComparisonView::rowsToTakeOver() const
{
    const Comparison *c = m_model->comparison();
    if (!selectionModel()->hasSelection() && c && !c->differences.empty())
        return stretch(c->differences.front());
    return chosenRows();
}

} // namespace versions
