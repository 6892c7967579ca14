#include "GridProxy.h"

#include "Workers.h"

#include <algorithm>
#include <memory>
#include <numeric>

namespace gui {

GridProxy::GridProxy(QAbstractItemModel* source, SortKey sortKey, QObject* parent)
    : QAbstractProxyModel(parent)
    , m_sortKey(std::move(sortKey))
{
    setSourceModel(source);
    // The grids' models change their rows only by a reset; any other change of rows or columns starts over from the
    // model's order as well.
    const auto startOver = [this] {
        dropSort();
        m_order.clear();
        fillShown();
        endResetModel();
    };
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, &GridProxy::beginResetModel);
    connect(source, &QAbstractItemModel::modelReset, this, startOver);
    for (const auto signal : {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved,
             &QAbstractItemModel::columnsAboutToBeInserted, &QAbstractItemModel::columnsAboutToBeRemoved})
        connect(source, signal, this, &GridProxy::beginResetModel);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
             &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(source, signal, this, startOver);
    connect(source, &QAbstractItemModel::dataChanged, this, &GridProxy::onSourceDataChanged);
    connect(
        source, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation orientation, int first, int last) {
            if (orientation == Qt::Horizontal)
                emit headerDataChanged(orientation, first, last);
            else if (rowCount() > 0)
                emit headerDataChanged(orientation, 0, rowCount() - 1);
        });
    fillShown();
}

GridProxy::~GridProxy()
{
    waitForWorkers(this);
}

void GridProxy::fillShown()
{
    const int count = sourceModel()->rowCount();
    const bool ordered = m_order.size() == static_cast<std::size_t>(count);
    if (!ordered && !m_accepts) {
        m_identityRows = count;
        m_shownIsOrder = false;
        std::vector<int>().swap(m_shown);
        std::vector<int>().swap(m_place);
        return;
    }
    m_identityRows = -1;
    m_place.assign(static_cast<std::size_t>(count), -1);
    m_shownIsOrder = ordered && !m_accepts;
    if (m_shownIsOrder) { // every row in the order sorted: the order is the table of rows shown
        std::vector<int>().swap(m_shown);
        for (int i = 0; i < count; ++i)
            m_place[static_cast<std::size_t>(m_order[static_cast<std::size_t>(i)])] = i;
        return;
    }
    m_shown.clear();
    m_shown.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int row = ordered ? m_order[static_cast<std::size_t>(i)] : i;
        if (m_accepts && !m_accepts(row))
            continue;
        m_place[static_cast<std::size_t>(row)] = static_cast<int>(m_shown.size());
        m_shown.push_back(row);
    }
}

void GridProxy::changeLayout(const std::function<void()>& change)
{
    // Only rows move, come and go: said so, the column header keeps its sections as they are instead of taking them
    // apart and laying them out again, which resized the stretched last column after the grid was painted and painted
    // it a second time.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList sources;
    sources.reserve(before.size());
    for (const QModelIndex& index : before)
        sources.append(mapToSource(index));
    change();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& source : sources)
        after.append(mapFromSource(source));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GridProxy::sortByColumns(int firstColumn, int lastColumn, core::SortOrder order)
{
    const auto [first, last] = core::columnRange(firstColumn, lastColumn, sourceModel()->columnCount());
    // Rows are sorted from the order they are shown in, so that equal rows keep it.
    const std::vector<int> shown = sourceRowsInOrder();
    const std::size_t width = static_cast<std::size_t>(last - first + 1);
    auto keys
        = std::make_shared<core::SortKeys>(shown, width, [this, first](int row, std::size_t k, std::string& spare) {
              return m_sortKey(row, first + static_cast<int>(k), spare);
          });
    dropSort();
    const int ticket = ++m_sortTicket;
    if (shown.size() < m_backgroundSortRows) {
        finishSort(ticket, keys->sorted(order));
        return;
    }
    // The keys are the worker's alone: it touches neither the model nor this proxy.
    m_sortRunning = true;
    auto rows = std::make_shared<std::vector<int>>();
    startWorker(
        this, [keys, rows, order] { *rows = keys->sorted(order); },
        [this, ticket, rows] { finishSort(ticket, std::move(*rows)); });
}

void GridProxy::finishSort(int ticket, std::vector<int> rows)
{
    if (ticket != m_sortTicket)
        return;
    m_sortRunning = false;
    changeLayout([this, &rows] {
        m_order = std::move(rows);
        fillShown();
    });
    emit sortFinished(true);
}

void GridProxy::dropSort()
{
    ++m_sortTicket;
    if (!m_sortRunning)
        return;
    m_sortRunning = false;
    emit sortFinished(false);
}

void GridProxy::resetOrder()
{
    dropSort();
    if (m_order.empty())
        return;
    changeLayout([this] {
        m_order.clear();
        fillShown();
    });
}

void GridProxy::setRowFilter(std::function<bool(int)> accepts)
{
    if (!m_accepts && !accepts)
        return; // no filter before or after: nothing to change
    // One layout change, not a removal or insertion for each run of rows that changes: a filter that hides or shows
    // thousands of scattered rows would otherwise cost a signal, and a walk of the persistent indexes, per run.
    changeLayout([this, &accepts] {
        m_accepts = std::move(accepts);
        fillShown();
    });
}

std::vector<int> GridProxy::sourceRowsInOrder() const
{
    if (m_order.size() == static_cast<std::size_t>(sourceModel()->rowCount()))
        return m_order;
    std::vector<int> rows(static_cast<std::size_t>(sourceModel()->rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

std::vector<int> GridProxy::sourceRows(int firstRow, int lastRow) const
{
    std::vector<int> rows;
    for (int r = qMax(0, firstRow); r <= qMin(lastRow, rowCount() - 1); ++r)
        rows.push_back(shownRow(r));
    return rows;
}

QModelIndex GridProxy::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex GridProxy::parent(const QModelIndex&) const
{
    return {};
}

int GridProxy::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_identityRows >= 0 ? m_identityRows : static_cast<int>(shownRows().size());
}

int GridProxy::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : sourceModel()->columnCount();
}

QModelIndex GridProxy::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this || proxyIndex.row() >= rowCount())
        return {};
    return sourceModel()->index(shownRow(proxyIndex.row()), proxyIndex.column());
}

QModelIndex GridProxy::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid())
        return {};
    const int place = placeOf(sourceIndex.row());
    return place < 0 ? QModelIndex() : index(place, sourceIndex.column());
}

int GridProxy::placeOf(int row) const
{
    if (m_identityRows >= 0)
        return row >= 0 && row < m_identityRows ? row : -1;
    return row >= 0 && static_cast<std::size_t>(row) < m_place.size() ? m_place[static_cast<std::size_t>(row)] : -1;
}

void GridProxy::onSourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    // The changed rows may stand anywhere in the view: one signal for the span of view rows they occupy.
    int top = -1;
    int bottom = -1;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const int place = placeOf(row);
        if (place < 0)
            continue;
        top = top < 0 ? place : std::min(top, place);
        bottom = std::max(bottom, place);
    }
    if (top >= 0)
        emit dataChanged(index(top, topLeft.column()), index(bottom, bottomRight.column()), roles);
}

} // namespace gui
