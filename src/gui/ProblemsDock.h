#pragma once

#include <QDockWidget>

#include <functional>

class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QToolButton;

namespace gui {

class KeyFileSession;
class KeyFilePage;
class ProblemsModel;
class TabControl;

/**
 * The "Problems" view: a dock under the pages, hidden until asked for (View > Problems, or a click on the count in
 * the status bar). It lists the problems of the open file, sortable by severity, line and text; a click on one
 * selects its line in the key file grid. The count follows every edit, undo and redo.
 */
class ProblemsDock final : public QDockWidget
{
    Q_OBJECT

public:
    ProblemsDock(KeyFileSession* session, KeyFilePage* keyFilePage, TabControl* tabs, int keyFilePageIndex,
        QWidget* parent = nullptr);

    ProblemsModel* model() const { return m_model; }
    QTableView* table() const { return m_table; }
    /** The flat button for the status bar that shows the count and shows or hides the view. */
    QToolButton* createStatusButton(QWidget* parent);

    /** Called when the key file grid does not show a document row (a filter hides it); returns true once it
     *  shows it. Without one, such a row is not selected. */
    void setRevealRow(std::function<bool(int documentRow)> reveal) { m_revealRow = std::move(reveal); }

    /** Shows the key file page with document row `row` selected across its cells and in view; false when the
     *  grid does not show that row. */
    bool showDocumentRow(int row);

signals:
    void countChanged(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateCount();
    void onActivated(const QModelIndex& index);

    KeyFileSession* m_session;
    KeyFilePage* m_page;
    TabControl* m_tabs;
    int m_pageIndex;
    ProblemsModel* m_model;
    QSortFilterProxyModel* m_sorted;
    QTableView* m_table;
    QLabel* m_summary;
    std::function<bool(int)> m_revealRow;
    bool m_sized = false;
};

} // namespace gui
