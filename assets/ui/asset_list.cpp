#include "assets/ui/asset_list.h"

#include <QBrush>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QSet>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace assets {

void AssetList::setRows(std::vector<const Asset *> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const Asset *AssetList::at(const QModelIndex &index) const
{
    return index.isValid() && std::size_t(index.row()) < m_rows.size() ? m_rows[std::size_t(index.row())] : nullptr;
}

int AssetList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int AssetList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant AssetList::data(const QModelIndex &index, int role) const
{
    const Asset *asset = at(index);
    if (!asset)
        return {};
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NameColumn: return asset->name().toString();
        case KindColumn: return asset->kindLabel;
        case FileColumn: return asset->file().toString();
        }
    }
    if (role == Qt::ForegroundRole && index.column() != NameColumn)
        return QBrush(QColor(0x55, 0x55, 0x55));
    return {};
}

QVariant AssetList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return QStringLiteral(u"名前");
    case KindColumn: return QStringLiteral(u"種類");
    case FileColumn: return QStringLiteral(u"ファイル");
    }
    return {};
}

QTreeView *AssetList::makeView(QWidget *parent)
{
    auto *view = new QTreeView(parent);
    view->setModel(this);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setFocusPolicy(Qt::NoFocus);
    // Widths fixed from the longest kind and file, rather than measured
    // over the rows with every keystroke; again in other letters.
    QHeaderView *header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(KindColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(FileColumn, QHeaderView::Fixed);
    fitColumns(view);
    view->installEventFilter(this);
    return view;
}

void AssetList::fitColumns(QTreeView *view)
{
    // Measuring a text takes time: each kind is measured once, and of the
    // paths (plain letters) only the longest.
    QSet<QString> kinds;
    QStringView longestFile;
    for (auto type : {markup::InstallType::Adult, markup::InstallType::AllAges}) {
        for (const Asset &asset : assets::index(type)) {
            kinds.insert(asset.kindLabel);
            if (asset.file().size() > longestFile.size())
                longestFile = asset.file();
        }
    }
    const QFontMetrics metrics = view->fontMetrics();
    int kind = 0;
    for (const QString &label : kinds)
        kind = std::max(kind, metrics.horizontalAdvance(label));
    view->header()->resizeSection(KindColumn, kind + 16);
    view->header()->resizeSection(FileColumn, metrics.horizontalAdvance(longestFile.toString() + u'W') + 16);
}

bool AssetList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        if (auto *view = qobject_cast<QTreeView *>(watched); view && view->model() == this)
            fitColumns(view);
    return QAbstractTableModel::eventFilter(watched, event);
}

bool AssetList::moveIn(QTreeView *view, QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QCoreApplication::sendEvent(view, key);
        return true;
    default:
        return false;
    }
}

void AssetList::setCurrentRow(QTreeView *view, int row)
{
    const int rows = view->model()->rowCount();
    if (rows == 0)
        return;
    const QModelIndex index = view->model()->index(std::clamp(row, 0, rows - 1), 0);
    view->setCurrentIndex(index);
    view->scrollTo(index);
}

} // namespace assets
