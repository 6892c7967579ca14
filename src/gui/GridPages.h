#pragma once

#include <QObject>

class QToolButton;

namespace gui {

class Desktop;
class GridEditing;
class GridProxy;
class GridView;
class KeyFileSession;
class TabControl;

/** What the two grid pages share: a grid over a sorted view of a model, and the sort buttons' work on it. */
class GridPage : public QObject
{
    Q_OBJECT

public:
    GridView* grid() const { return m_grid; }
    GridProxy* proxy() const { return m_proxy; }

    /** The sort buttons: 0 ascending and 1 descending by the selected columns, 2 back to the file's order. The
     *  selected columns stay selected, so the same sort can be repeated. */
    void sort(int buttonIndex);
    /** Places the grid for a tab control of the given size in twips. */
    void resize(int tabWidthTwips, int tabHeightTwips);

protected:
    GridPage(TabControl* tabs, int pageIndex, QObject* parent);
    void setUp(GridView* grid, GridProxy* proxy);

    TabControl* m_tabs;
    int m_page;
    GridView* m_grid = nullptr;
    GridProxy* m_proxy = nullptr;
};

/** The "Key file" page: the whole file as a grid, typing and the right-button menu, and the open and save buttons
 *  in its tab. */
class KeyFilePage final : public GridPage
{
    Q_OBJECT

public:
    KeyFilePage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent = nullptr);

    GridEditing* editing() const { return m_editing; }

signals:
    void openRequested();
    void saveRequested();

private:
    void spanCommentRows();

    KeyFileSession* m_session;
    GridEditing* m_editing;
};

/** The "Keys assigned" page: the readable list, and the button in its tab that shows it in a text editor. */
class KeysAssignedPage final : public GridPage
{
    Q_OBJECT

public:
    KeysAssignedPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent = nullptr);

    /** The list's entries in the order shown, for the macros. */
    std::vector<int> listRowsInViewOrder() const;

signals:
    void viewInTextEditorRequested();

private:
    KeyFileSession* m_session;
};

/** A small picture button of the tab row. */
QToolButton* pictureButton(QWidget* parent, const QString& objectName, int standardPixmap, const QString& toolTip);

} // namespace gui
