#pragma once

#include <QHash>
#include <QTableView>

#include <functional>

namespace gui {

/**
 * A grid in the style of both key grids: a header row, a fixed first column, fixed row heights (large files open
 * at once), no in-cell editor. It reports key releases and mouse presses and releases, which the window turns
 * into typing, the banner read-out and the right-button menu.
 */
class GridView final : public QTableView
{
    Q_OBJECT

public:
    explicit GridView(QWidget* parent = nullptr);

    /** The model's column 0 (the line number) shown as the row header, which stays in view when the grid is
     *  scrolled sideways and is as wide as the largest number, under the caption "Line". */
    void showLineNumbers();

    /** Column widths in twips. */
    void setColumnWidthsTwips(const QList<int>& widths);
    /** Cells of one row, from `firstColumn` to the last, shown as one, for comment rows. */
    void spanRows(const QList<int>& rows, int firstColumn);

    /** The columns of the selected block, or the current column. */
    std::pair<int, int> selectedColumnRange() const;
    /** The selected block: rows and columns, ascending, in view rows. */
    QRect selectedBlock() const;
    /** Selects the block from (row1, column1), the anchor, to (row2, column2). */
    void selectBlock(int row1, int column1, int row2, int column2);
    /** Runs `change` (a sort or a filter of the model) with a selection of whole columns taken off and put back
     *  over the rows shown after it. Through a change of layout the selection model keeps one persistent index per
     *  selected row: tens of milliseconds for a column of a large file, for a selection that stays the same. */
    void keepingColumnSelection(const std::function<void()>& change);
    /** Where the selection started: the cell last clicked or moved to without Shift. A drag or Shift+arrow moves the
     *  current cell to the selection's other end; the anchor stays. */
    QModelIndex anchorIndex() const;
    /** Back to the top left, nothing selected: how a newly opened file is shown. */
    void showFromTop();

    // Typing goes to the cells, not to a search for a matching row.
    void keyboardSearch(const QString&) override { }
    void setSelectionModel(QItemSelectionModel* selectionModel) override;

signals:
    /** A key pressed and released in the grid, with the modifiers held when it was pressed. */
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);
    void mousePressed(Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button, QPoint globalPosition);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitLineNumbers();

    QPersistentModelIndex m_anchor;
    // The keys pressed in the grid, with the modifiers held at the press: a key whose press went to a shortcut
    // (Ctrl+Z) or another window is not typed when it is released, whatever is held by then.
    QHash<int, Qt::KeyboardModifiers> m_pressed;
    QWidget* m_corner = nullptr;
    // The column header's own, always empty selection (see setSelectionModel).
    QItemSelectionModel* m_headerSelection = nullptr;
};

} // namespace gui
