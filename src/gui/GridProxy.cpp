#include "GridProxy.h"

#include <algorithm>
#include <numeric>

namespace gui {

GridProxy::GridProxy(QAbstractItemModel* source, SortKey sortKey, QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_sortKey(std::move(sortKey))
{
    setDynamicSortFilter(false);
    setSourceModel(source);
    // A rank is for the rows it was made for: any change of the rows themselves drops it.
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_rank.clear(); });
    for (const auto signal : {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved})
        connect(source, signal, this, [this] { m_rank.clear(); });
    // Unsorted, the proxy keeps the source's order without sorting it: a sort column would have every new mapping
    // (after each reset or filter) sorted again, rows compared by their rank.
}

void GridProxy::sortByColumns(int firstColumn, int lastColumn, core::SortOrder order)
{
    const int count = sourceModel()->rowCount();
    const auto [first, last] = core::columnRange(firstColumn, lastColumn, sourceModel()->columnCount());
    // Rows are sorted from the order they are shown in, so that equal rows keep it.
    std::vector<int> shown(static_cast<std::size_t>(count));
    std::iota(shown.begin(), shown.end(), 0);
    if (m_rank.size() == shown.size())
        std::sort(shown.begin(), shown.end(), [this](int a, int b) { return m_rank[a] < m_rank[b]; });
    const std::size_t width = static_cast<std::size_t>(last - first + 1);
    std::vector<std::string> keys;
    keys.reserve(shown.size() * width);
    for (const int row : shown) {
        for (int c = first; c <= last; ++c)
            keys.push_back(m_sortKey(row, c));
    }
    std::vector<int> rank(shown.size());
    const auto sorted = core::genericSortOrder(keys, width, order);
    for (std::size_t place = 0; place < sorted.size(); ++place)
        rank[static_cast<std::size_t>(shown[sorted[place]])] = static_cast<int>(place);
    m_rank = std::move(rank);
    sort(0, Qt::AscendingOrder);
}

void GridProxy::resetOrder()
{
    m_rank.clear();
    sort(-1);
}

void GridProxy::setRowFilter(std::function<bool(int)> accepts)
{
    if (!m_accepts && !accepts)
        return; // no filter before or after: nothing to change
    m_accepts = std::move(accepts);
    // One layout change, not a removal or insertion for each run of rows that changes: a filter that hides or shows
    // thousands of scattered rows would otherwise cost a signal, and a walk of the persistent indexes, per run.
    invalidate();
}

bool GridProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    return !m_accepts || m_accepts(sourceRow);
}

std::vector<int> GridProxy::sourceRowsInOrder() const
{
    std::vector<int> rows(static_cast<std::size_t>(sourceModel()->rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    if (m_rank.size() == rows.size())
        std::sort(rows.begin(), rows.end(), [this](int a, int b) { return m_rank[a] < m_rank[b]; });
    return rows;
}

std::vector<int> GridProxy::sourceRows(int firstRow, int lastRow) const
{
    std::vector<int> rows;
    for (int r = qMax(0, firstRow); r <= qMin(lastRow, rowCount() - 1); ++r)
        rows.push_back(mapToSource(index(r, 0)).row());
    return rows;
}

bool GridProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    // Called at every comparison of a sort: the rank is dropped whenever the source's rows change, so its size is
    // all there is to check.
    const auto l = static_cast<std::size_t>(left.row());
    const auto r = static_cast<std::size_t>(right.row());
    if (l >= m_rank.size() || r >= m_rank.size())
        return l < r;
    return m_rank[l] < m_rank[r];
}

} // namespace gui
