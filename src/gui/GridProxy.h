#pragma once

#include "core/GenericOrder.h"

#include <QAbstractProxyModel>

#include <functional>
#include <string>
#include <vector>

namespace gui {

/**
 * What a grid shows of its model: the rows in the order the sort buttons gave them, those a filter takes. Sorting
 * is a view; the model and the file keep their own order. Rows keep their places while cells change, until the
 * next sort or filter. Columns are the model's.
 *
 * The rows shown are two plain tables (view row to model row and back), rebuilt in one pass after a sort or a
 * filter: a sort is one sort of the model's rows by their cells, not a second one through model indexes.
 */
class GridProxy final : public QAbstractProxyModel
{
    Q_OBJECT

public:
    /** The text a source cell sorts by (the file's own bytes, so that letter case is ignored as the file has it). */
    using SortKey = std::function<std::string_view(int sourceRow, int column, std::string& spare)>;

    GridProxy(QAbstractItemModel* source, SortKey sortKey, QObject* parent = nullptr);
    ~GridProxy() override;

    /** Orders the rows by the cells of columns first..last (either order), compared left to right in generic
     *  order. The sort is stable: rows that compare equal keep the order they were shown in. The cells are read at
     *  once; with more rows than backgroundSortRows() they are sorted on a worker thread, and the order comes when
     *  it is done, unless the model was reset, the order reset or another sort begun meanwhile. sortFinished()
     *  follows either way (at once for a sort done here), telling whether the order was taken. */
    void sortByColumns(int firstColumn, int lastColumn, core::SortOrder order);
    /** Whether a sort runs on its worker thread. */
    bool sorting() const { return m_sortRunning; }
    std::size_t backgroundSortRows() const { return m_backgroundSortRows; }
    void setBackgroundSortRows(std::size_t rows) { m_backgroundSortRows = rows; }
    /** Back to the model's own order. */
    void resetOrder();

    /** Shows only the source rows that `accepts` takes; an empty function shows every row. Rows keep their places
     *  while cells change, until the filter is set again. */
    void setRowFilter(std::function<bool(int sourceRow)> accepts);
    bool isFiltered() const { return static_cast<bool>(m_accepts); }

    /** Every source row in the present order, shown or not. */
    std::vector<int> sourceRowsInOrder() const;
    /** The source rows of view rows first..last that are shown, in view order. */
    std::vector<int> sourceRows(int firstRow, int lastRow) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;

signals:
    void sortFinished(bool applied);

private:
    /** Takes a sorted order, unless `ticket` is no longer the last sort's. */
    void finishSort(int ticket, std::vector<int> rows);
    /** Drops a sort running on its worker thread: the rows or their order changed under it. */
    void dropSort();
    /** The rows shown, from m_order and the filter. */
    void fillShown();
    /** fillShown as one layout change, the persistent indexes (the current cell, a selection) kept on their cells. */
    void changeLayout(const std::function<void()>& change);
    void onSourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);

    SortKey m_sortKey;
    std::function<bool(int)> m_accepts;
    std::vector<int> m_order; // every source row in the present order; empty for the model's own order
    // The model's own rows, unsorted and unfiltered, are shown as they are, without the two tables below: a
    // million rows would cost 8 MiB a grid for nothing. The count is the model's at the last fill.
    int m_identityRows = -1; // -1 while the tables map the rows
    std::vector<int> m_shown; // view row -> source row; empty while m_shownIsOrder
    std::vector<int> m_place; // source row -> view row, -1 for a row the filter hides
    bool m_shownIsOrder = false; // sorted and not filtered: m_order gives the view's rows, without a copy
    const std::vector<int>& shownRows() const { return m_shownIsOrder ? m_order : m_shown; }
    int shownRow(int viewRow) const
    {
        return m_identityRows >= 0 ? viewRow : shownRows()[static_cast<std::size_t>(viewRow)];
    }
    /** The view row of source row `row`, -1 for one not shown or out of range. */
    int placeOf(int row) const;
    // Sorts of this many rows and more run on a worker thread: about a tenth of a second's sorting, and far
    // above the files a pilot writes by hand.
    std::size_t m_backgroundSortRows = 100000;
    int m_sortTicket = 0; // the last sort begun; a worker's order for an older ticket is dropped
    bool m_sortRunning = false;
};

} // namespace gui
