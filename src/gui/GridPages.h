#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace gui {

class GridEditing;
class GridProxy;
class GridView;
class KeyCaptureEdit;
class KeyFileSession;
class Prompts;
class TabControl;

/** The row above a grid: the section list, the filter box, the key capture field and how many lines are shown. */
class FindBar final : public QWidget
{
    Q_OBJECT

public:
    /** Its controls' object names start with `prefix` ("" or "List"), so that each page's are found by name. */
    FindBar(QWidget* parent, const QString& prefix);

    QComboBox* sections() const { return m_sections; }
    QLineEdit* filter() const { return m_filter; }
    KeyCaptureEdit* capture() const { return m_capture; }
    QLabel* count() const { return m_count; }

signals:
    void changed();

private:
    QComboBox* m_sections;
    QLineEdit* m_filter;
    KeyCaptureEdit* m_capture;
    QLabel* m_count;
};

/**
 * What the two grid pages share: a grid over a sorted and filtered view of a model, the find bar above it, and the
 * sort buttons' work. Comment lines show across the row; headline lines show as section headers.
 */
class SectionList;

class GridPage : public QObject
{
    Q_OBJECT

public:
    GridView* grid() const { return m_grid; }
    GridProxy* proxy() const { return m_proxy; }
    FindBar* findBar() const { return m_findBar; }

    /** The sort buttons: 0 ascending and 1 descending by the selected columns, 2 back to the file's order. The
     *  selected columns stay selected, so the same sort can be repeated. */
    void sort(int buttonIndex);
    /** Places the find bar and the grid for a tab control of the given size in twips. */
    void resize(int tabWidthTwips, int tabHeightTwips);

    /** The document row of a view row, and the view row of a document row (-1 when it is not shown). */
    int documentRowOfView(int viewRow) const;
    int viewRowOfDocument(int documentRow) const;
    /** Shows document row `row`: clears a filter that hides it, scrolls to it and selects its cell `column`. */
    void showDocumentRow(int row, int column = 1);
    /** Empties the filter and the key capture. */
    void clearFilter();
    /** Puts the keyboard focus into the filter box, or into the key capture field. */
    void focusFilter(bool keyCapture);

    /** The height of the find bar, in twips. */
    static constexpr int FindBarTwips = 450;

protected:
    GridPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent);
    /** `documentRow` maps the model's rows to document rows. */
    void setUp(GridView* grid, GridProxy* proxy, std::function<int(int)> documentRow, const QString& namePrefix);

    TabControl* m_tabs;
    int m_page;
    KeyFileSession* m_session;
    GridView* m_grid = nullptr;
    GridProxy* m_proxy = nullptr;
    FindBar* m_findBar = nullptr;

private:
    void applyFilter();
    void fillSections();
    void spanRows();
    std::function<int(int)> m_documentRow;
    int m_lineTotal = -1; // source rows that are not comments, counted when first needed
    SectionList* m_sectionList = nullptr; // the sections' combo box's items
    QRect m_sortedBlock; // the block selected when a sort began, selected again when its order comes
};

/** The "Key file" page: the whole file as a grid, typing and the right-button menu, and the open and save buttons
 *  in its tab. */
class KeyFilePage final : public GridPage
{
    Q_OBJECT

public:
    KeyFilePage(TabControl* tabs, int pageIndex, KeyFileSession* session, Prompts& prompts, QObject* parent = nullptr);

    GridEditing* editing() const { return m_editing; }

signals:
    void openRequested();
    void saveRequested();

private:
    GridEditing* m_editing;
};

/** The "Keys assigned" page: the readable list, and the button in its tab that shows it in a text editor. */
class KeysAssignedPage final : public GridPage
{
    Q_OBJECT

public:
    KeysAssignedPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent = nullptr);

    /** The list's rows in the order the sort buttons gave them, a filter left aside: the macros and the list file
     *  hold every line. */
    std::vector<int> listRowsInOrder() const;

signals:
    void viewInTextEditorRequested();
};

/** A small picture button of the tab row. */
QToolButton* pictureButton(QWidget* parent, const QString& objectName, int standardPixmap, const QString& toolTip);

} // namespace gui
