// The rows the palette and the completion list show: each asset's display
// name, its kind and its file, over a list of the index's rows that is set
// afresh with every keystroke (no item objects are made).
#pragma once

#include "assets/asset_index.h"

#include <QAbstractTableModel>

#include <vector>

class QKeyEvent;
class QTreeView;
class QWidget;

namespace assets {

class AssetList : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, KindColumn, FileColumn, Columns };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<const Asset *> rows);
    const std::vector<const Asset *> &rows() const { return m_rows; }
    // The asset of a row of the view, or null.
    const Asset *at(const QModelIndex &index) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A list of rows over this model that never takes the focus: the field
    // or Text1 keeps it and hands it the keys that move in it.
    QTreeView *makeView(QWidget *parent);
    // Puts the view's current row on `row` (clamped), selected and shown.
    static void setCurrentRow(QTreeView *view, int row);
    // Up, Down, Page Up and Page Down, pressed where the focus is, move in
    // the view; true when `key` was one of them.
    static bool moveIn(QTreeView *view, QKeyEvent *key);

protected:
    // A view's letters changed: its kind and file columns are measured again.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void fitColumns(QTreeView *view);

    std::vector<const Asset *> m_rows;
};

} // namespace assets
