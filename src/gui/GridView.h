#pragma once

#include <QTableView>

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

    /** Column widths in twips. */
    void setColumnWidthsTwips(const QList<int>& widths);
    /** Cells of one row, from `firstColumn` to the last, shown as one, for comment rows. */
    void spanRows(const QList<int>& rows, int firstColumn);

    /** The columns from the current cell to the selection's other end (either order), or the current column. */
    std::pair<int, int> selectedColumnRange() const;
    /** The block between the current cell and the selection's other end: rows and columns, ascending. */
    QRect selectedBlock() const;
    void selectBlock(int row1, int column1, int row2, int column2);

    // Typing goes to the cells, not to a search for a matching row.
    void keyboardSearch(const QString&) override { }

signals:
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);
    void mousePressed(Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button, QPoint globalPosition);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace gui
