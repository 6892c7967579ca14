#pragma once

#include "core/GenericOrder.h"

#include <QSortFilterProxyModel>

#include <functional>
#include <string>
#include <vector>

namespace gui {

/**
 * What a grid shows of its model: the rows in the order the sort buttons gave them. Sorting is a view; the model
 * and the file keep their own order. Rows keep their places while cells change, until the next sort.
 */
class GridProxy final : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    /** The text a source cell sorts by (the file's own bytes, so that letter case is ignored as the file has it). */
    using SortKey = std::function<std::string(int sourceRow, int column)>;

    GridProxy(QAbstractItemModel* source, SortKey sortKey, QObject* parent = nullptr);

    /** Orders the rows by the cells of columns first..last (either order), compared left to right in generic
     *  order. The sort is stable: rows that compare equal keep the order they were shown in. */
    void sortByColumns(int firstColumn, int lastColumn, core::SortOrder order);
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

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    SortKey m_sortKey;
    std::function<bool(int)> m_accepts;
    std::vector<int> m_rank; // source row -> place in the present order; empty for the model's own order
};

} // namespace gui
