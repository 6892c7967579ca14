#include "GridPages.h"

#include "GridEditing.h"
#include "GridProxy.h"
#include "GridView.h"
#include "KeyFileModel.h"
#include "KeyFileSession.h"
#include "KeyListModel.h"
#include "TabControl.h"

#include <QPalette>
#include <QStyle>
#include <QToolButton>

namespace gui {

QToolButton* pictureButton(QWidget* parent, const QString& objectName, int standardPixmap, const QString& toolTip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setIcon(parent->style()->standardIcon(static_cast<QStyle::StandardPixmap>(standardPixmap)));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(false);
    button->setToolTip(toolTip);
    button->setMouseTracking(true);
    return button;
}

GridPage::GridPage(TabControl* tabs, int pageIndex, QObject* parent)
    : QObject(parent)
    , m_tabs(tabs)
    , m_page(pageIndex)
{ }

void GridPage::setUp(GridView* grid, GridProxy* proxy)
{
    m_grid = grid;
    m_proxy = proxy;
    grid->setModel(proxy);
    grid->setMouseTracking(true);
    grid->showLineNumbers();
    // A newly opened file starts at its top left.
    connect(proxy, &QAbstractItemModel::modelReset, grid, &GridView::showFromTop);
}

void GridPage::resize(int tw, int th)
{
    if (tw - 240 > 0 && th - 560 > 0)
        m_tabs->placeOnPage(m_page, m_grid, 60, 420, tw - 240, th - 560);
}

void GridPage::sort(int buttonIndex)
{
    if (buttonIndex == 2) {
        m_proxy->resetOrder();
        return;
    }
    const auto [first, last] = m_grid->selectedColumnRange();
    if (first < 0)
        return;
    const QRect block = m_grid->selectedBlock();
    m_proxy->sortByColumns(first, last, buttonIndex == 1 ? core::SortOrder::Descending : core::SortOrder::Ascending);
    if (block.isValid())
        m_grid->selectBlock(block.top(), block.left(), block.bottom(), block.right());
}

KeyFilePage::KeyFilePage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent)
    : GridPage(tabs, pageIndex, parent)
    , m_session(session)
{
    auto* grid = new GridView(tabs->page(pageIndex));
    grid->setObjectName(QStringLiteral("GridData"));
    auto* proxy = new GridProxy(
        session->fileModel(), [session](int row, int column) { return session->document().cell(row, column); }, this);
    setUp(grid, proxy);
    grid->setColumnWidthsTwips({500, 3540, 1080, 855, 2130, 2535, 2130, 2535, 1245, 3825});
    // The key file grid marks its selection in its own colours.
    QPalette palette = grid->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, QColor(255, 224, 192));
        palette.setColor(group, QPalette::HighlightedText, QColor(0, 0, 192));
    }
    grid->setPalette(palette);
    connect(proxy, &QAbstractItemModel::modelReset, this, &KeyFilePage::spanCommentRows);
    connect(proxy, &QAbstractItemModel::layoutChanged, this, &KeyFilePage::spanCommentRows);

    auto* open = pictureButton(
        tabs, QStringLiteral("Command4_0"), QStyle::SP_DialogOpenButton, QStringLiteral("Open a key file"));
    tabs->addHeaderWidget(pageIndex, open, Qt::LeftEdge);
    connect(open, &QToolButton::clicked, this, &KeyFilePage::openRequested);
    auto* save = pictureButton(
        tabs, QStringLiteral("Command4_1"), QStyle::SP_DialogSaveButton, QStringLiteral("Save the key file"));
    tabs->addHeaderWidget(pageIndex, save, Qt::RightEdge);
    connect(save, &QToolButton::clicked, this, &KeyFilePage::saveRequested);

    m_editing = new GridEditing(grid, proxy, session, this);
}

void KeyFilePage::spanCommentRows()
{
    // A comment shows across the row, wherever the sort put it.
    QList<int> comments;
    const core::KeyDocument& document = m_session->document();
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        if (document.isComment(m_proxy->mapToSource(m_proxy->index(r, 0)).row()))
            comments.append(r);
    }
    m_grid->spanRows(comments, core::SimNameColumn);
}

KeysAssignedPage::KeysAssignedPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent)
    : GridPage(tabs, pageIndex, parent)
    , m_session(session)
{
    auto* grid = new GridView(tabs->page(pageIndex));
    grid->setObjectName(QStringLiteral("KeyGrid"));
    KeyListModel* list = session->listModel();
    auto* proxy = new GridProxy(
        list,
        [list](int row, int column) {
            if (column == 0)
                return std::to_string(list->entry(row).line);
            const core::SimplifiedEntry e = list->entry(row);
            return column == 1 ? e.simName : column == 2 ? e.keys : e.description;
        },
        this);
    setUp(grid, proxy);
    grid->setColumnWidthsTwips({500, 3540, 4000, 3825});

    auto* view = pictureButton(tabs, QStringLiteral("Command4_2"), QStyle::SP_FileDialogDetailedView,
        QStringLiteral("View the list in a text editor"));
    tabs->addHeaderWidget(pageIndex, view, Qt::LeftEdge);
    connect(view, &QToolButton::clicked, this, &KeysAssignedPage::viewInTextEditorRequested);
}

std::vector<int> KeysAssignedPage::listRowsInViewOrder() const
{
    return m_proxy->sourceRows(0, m_proxy->rowCount() - 1);
}

} // namespace gui
