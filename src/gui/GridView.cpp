#include "GridView.h"

#include "Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

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
    QFont gridFont = font();
    gridFont.setPointSizeF(9.75);
    setFont(gridFont);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 4);
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
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return {};
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.contains(current))
            return QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
    }
    return QRect(current.column(), current.row(), 1, 1);
}

void GridView::selectBlock(int row1, int column1, int row2, int column2)
{
    if (!model())
        return;
    const QModelIndex current = model()->index(row1, column1);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    selectionModel()->select(
        QItemSelection(current, model()->index(row2, column2)), QItemSelectionModel::ClearAndSelect);
}

void GridView::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyReleased(event->key(), event->modifiers());
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    // The right button opens the menu over the current cell; it does not move it.
    if (event->button() != Qt::RightButton)
        QTableView::mousePressEvent(event);
    emit mousePressed(event->button());
}

void GridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        QTableView::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->globalPosition().toPoint());
}

} // namespace gui
