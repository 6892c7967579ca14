#include "GridView.h"

#include "Twips.h"

#include <QAbstractButton>
#include <QAbstractProxyModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

namespace gui {

GridView::GridView(QWidget* parent)
    : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The last column (the description) takes the width the others leave.
    horizontalHeader()->setStretchLastSection(true);
    QFont gridFont = font();
    gridFont.setPointSizeF(9.75);
    setFont(gridFont);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 4);
}

void GridView::setSelectionModel(QItemSelectionModel* selectionModel)
{
    QTableView::setSelectionModel(selectionModel);
    // The column header does not show the selection, but it paints each section after asking whether its column
    // and the two beside it are wholly selected, and the selection model answers that by asking the flags of every
    // row of a selected column: 60 to 90 ms for each painting after a column of a large file is selected or sorted.
    // The header is given a selection of its own, always empty; clicks on it still select columns of the grid.
    QItemSelectionModel* old = m_headerSelection;
    m_headerSelection = new QItemSelectionModel(model(), this);
    horizontalHeader()->setSelectionModel(m_headerSelection);
    delete old;
}

void GridView::showLineNumbers()
{
    verticalHeader()->show();
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionsClickable(false);
    setColumnHidden(0, true);
    m_corner = findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);
    connect(model(), &QAbstractItemModel::modelReset, this, &GridView::fitLineNumbers);
    connect(model(), &QAbstractItemModel::layoutChanged, this, &GridView::fitLineNumbers);
    fitLineNumbers();
}

void GridView::fitLineNumbers()
{
    setColumnHidden(0, true);
    int widest = 0;
    const QFontMetrics metrics(verticalHeader()->font());
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, verticalHeader());
    widest = metrics.horizontalAdvance(QStringLiteral("Line"));
    // Line numbers grow with the file, so the last row in file order has the longest, wherever a sort put it.
    const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model());
    const QAbstractItemModel* rows = proxy ? proxy->sourceModel() : model();
    if (rows->rowCount() > 0) {
        const QString last = rows->headerData(rows->rowCount() - 1, Qt::Vertical).toString();
        widest = qMax(widest, metrics.horizontalAdvance(QString(last.size(), QLatin1Char('8'))));
    }
    verticalHeader()->setFixedWidth(widest + 4 * margin + 2);
    // The table lays out its rows when it is first painted after a change; laid out during that paint, the new
    // geometry asked for a second paint of the grid. Laid out now, the one paint draws it.
    executeDelayedItemsLayout();
}

bool GridView::eventFilter(QObject* watched, QEvent* event)
{
    // The corner above the line numbers carries their caption.
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QWidget* corner = m_corner;
        QPainter painter(corner);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.state |= QStyle::State_Enabled;
        option.palette = palette();
        option.rect = corner->rect();
        option.text = QStringLiteral("Line");
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void GridView::setColumnWidthsTwips(const QList<int>& widths)
{
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, px(widths[c]));
}

void GridView::spanRows(const QList<int>& rows, int firstColumn)
{
    clearSpans();
    const int span = model() ? model()->columnCount() - firstColumn : 0;
    if (span < 2)
        return;
    for (const int row : rows)
        setSpan(row, firstColumn, 1, span);
}

std::pair<int, int> GridView::selectedColumnRange() const
{
    const QRect block = selectedBlock();
    if (!block.isValid())
        return {currentIndex().column(), currentIndex().column()};
    return {block.left(), block.right()};
}

QRect GridView::selectedBlock() const
{
    const QModelIndex anchor = anchorIndex();
    if (!anchor.isValid())
        return {};
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.contains(anchor) || range.contains(currentIndex()))
            return QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
    }
    return QRect(anchor.column(), anchor.row(), 1, 1);
}

void GridView::selectBlock(int row1, int column1, int row2, int column2)
{
    if (!model())
        return;
    const QModelIndex anchor = model()->index(row1, column1);
    const QModelIndex end = model()->index(row2, column2);
    selectionModel()->setCurrentIndex(end, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(anchor, end), QItemSelectionModel::ClearAndSelect);
    m_anchor = anchor;
}

void GridView::keepingColumnSelection(const std::function<void()>& change)
{
    const int rows = model() ? model()->rowCount() : 0;
    const QItemSelection selection = selectionModel()->selection();
    const bool wholeColumns = rows > 0 && !selection.isEmpty()
        && std::all_of(selection.begin(), selection.end(),
            [rows](const QItemSelectionRange& range) { return range.top() == 0 && range.bottom() == rows - 1; });
    if (!wholeColumns) {
        change();
        return;
    }
    const int anchorColumn = m_anchor.isValid() ? m_anchor.column() : -1;
    selectionModel()->clearSelection();
    change();
    const int shown = model()->rowCount();
    if (shown == 0)
        return;
    QItemSelection columns;
    for (const QItemSelectionRange& range : selection)
        columns.select(model()->index(0, range.left()), model()->index(shown - 1, range.right()));
    selectionModel()->select(columns, QItemSelectionModel::Select);
    if (anchorColumn >= 0)
        m_anchor = model()->index(0, anchorColumn);
}

QModelIndex GridView::anchorIndex() const
{
    return m_anchor.isValid() ? QModelIndex(m_anchor) : currentIndex();
}

void GridView::showFromTop()
{
    m_anchor = QPersistentModelIndex();
    if (selectionModel())
        selectionModel()->clear();
    scrollToTop();
    horizontalScrollBar()->setValue(0);
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        m_pressed.insert(event->key(), event->modifiers());
    QTableView::keyPressEvent(event);
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = currentIndex();
}

void GridView::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    if (event->isAutoRepeat())
        return;
    const auto pressed = m_pressed.constFind(event->key());
    if (pressed == m_pressed.constEnd())
        return;
    const Qt::KeyboardModifiers modifiers = *pressed;
    m_pressed.erase(pressed);
    emit keyReleased(event->key(), modifiers);
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    // The right button opens the menu over the current cell; it does not move it.
    if (event->button() != Qt::RightButton) {
        QTableView::mousePressEvent(event);
        if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier))
            m_anchor = currentIndex();
    }
    emit mousePressed(event->button());
}

void GridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        QTableView::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->globalPosition().toPoint());
}

} // namespace gui
