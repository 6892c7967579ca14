#include "GridPages.h"

#include "GridEditing.h"
#include "GridProxy.h"
#include "GridView.h"
#include "KeyCaptureEdit.h"
#include "KeyFileModel.h"
#include "KeyFileSession.h"
#include "KeyListModel.h"
#include "TabControl.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QListView>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace gui {

namespace {

// "1,355": the grouping of the English the window speaks.
QString number(int value)
{
    return QLocale(QLocale::English).toString(value);
}

// Esc in the filter box empties it.
class FilterEdit final : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
            clear();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

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

FindBar::FindBar(QWidget* parent, const QString& prefix)
    : QWidget(parent)
    , m_sections(new QComboBox(this))
    , m_filter(new FilterEdit(this))
    , m_capture(new KeyCaptureEdit(this))
    , m_count(new QLabel(this))
{
    setObjectName(prefix + QStringLiteral("FindBar"));
    m_sections->setObjectName(prefix + QStringLiteral("SectionList"));
    m_sections->setPlaceholderText(QStringLiteral("Go to a section"));
    m_sections->setToolTip(QStringLiteral("The sections of the file, from its headline lines"));
    m_sections->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_sections->setMinimumContentsLength(24);
    m_filter->setObjectName(prefix + QStringLiteral("FilterBox"));
    m_filter->setPlaceholderText(QStringLiteral("Filter (Ctrl+F): words of a name, a description or keys"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setToolTip(QStringLiteral("Shows the lines whose sim name, description or keys (\"CTL ALT c\" or "
                                        "\"0x2E\") contain every word you type. Esc empties it."));
    m_capture->setObjectName(prefix + QStringLiteral("KeyCapture"));
    m_capture->setPlaceholderText(QStringLiteral("Press a key to find it (Ctrl+K)"));
    m_count->setObjectName(prefix + QStringLiteral("FilterCount"));
    m_count->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("32,767 of 32,767 lines")));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_sections, 3);
    layout->addWidget(m_filter, 4);
    layout->addWidget(m_capture, 2);
    layout->addWidget(m_count);
    connect(m_filter, &QLineEdit::textChanged, this, &FindBar::changed);
    connect(m_capture, &KeyCaptureEdit::combinationChanged, this, &FindBar::changed);
}

/** The sections as the combo box's items, each title decoded when it is shown: a generated file of a million lines has
 *  tens of thousands of sections, which as standard items cost some megabytes and a long insertion. */
class SectionList final : public QAbstractListModel
{
public:
    SectionList(const KeyFileSession* session, QObject* parent)
        : QAbstractListModel(parent)
        , m_session(session)
    { }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(sections().size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
            return {};
        const core::Section& section = sections()[static_cast<std::size_t>(index.row())];
        return QString((section.level > 1 ? QStringLiteral("    ") : QString()) + m_session->decode(section.title));
    }

    /** Takes the session's sections, shared with it; false when they are the ones already shown. */
    bool take(std::shared_ptr<const std::vector<core::Section>> sections)
    {
        const auto same = [](const core::Section& a, const core::Section& b) {
            return a.row == b.row && a.level == b.level && a.title == b.title;
        };
        const bool unchanged = sections == m_sections
            || std::equal(sections->begin(), sections->end(), this->sections().begin(), this->sections().end(), same);
        if (!unchanged)
            beginResetModel();
        m_sections = std::move(sections); // the same sections, but the session's (the list shown before may go)
        if (!unchanged)
            endResetModel();
        return !unchanged;
    }
    /** The headline row of item `index`, or -1. */
    int rowOf(int index) const
    {
        return index >= 0 && index < rowCount() ? sections()[static_cast<std::size_t>(index)].row : -1;
    }
    bool isSectionRow(int row) const
    {
        // In file order, so by row.
        return std::binary_search(sections().begin(), sections().end(), row,
            [](const auto& a, const auto& b) { return rowKey(a) < rowKey(b); });
    }

private:
    static int rowKey(int row) { return row; }
    static int rowKey(const core::Section& section) { return section.row; }

    const std::vector<core::Section>& sections() const
    {
        static const std::vector<core::Section> none;
        return m_sections ? *m_sections : none;
    }

    const KeyFileSession* m_session;
    std::shared_ptr<const std::vector<core::Section>> m_sections;
};

GridPage::GridPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent)
    : QObject(parent)
    , m_tabs(tabs)
    , m_page(pageIndex)
    , m_session(session)
{ }

void GridPage::setUp(GridView* grid, GridProxy* proxy, std::function<int(int)> documentRow, const QString& namePrefix)
{
    m_grid = grid;
    m_proxy = proxy;
    m_documentRow = std::move(documentRow);
    m_findBar = new FindBar(m_tabs->page(m_page), namePrefix);
    m_sectionList = new SectionList(m_session, this);
    m_findBar->sections()->setModel(m_sectionList);
    // Items of one height: the list lays out tens of thousands of them without measuring each.
    if (auto* list = qobject_cast<QListView*>(m_findBar->sections()->view()))
        list->setUniformItemSizes(true);
    grid->setModel(proxy);
    grid->setMouseTracking(true);
    grid->showLineNumbers();
    // The count of lines that are not comments changes only with the rows themselves.
    connect(proxy->sourceModel(), &QAbstractItemModel::rowsInserted, this, [this] { m_lineTotal = -1; });
    connect(proxy->sourceModel(), &QAbstractItemModel::rowsRemoved, this, [this] { m_lineTotal = -1; });
    // A newly opened file starts at its top left, unfiltered.
    connect(proxy->sourceModel(), &QAbstractItemModel::modelReset, this, [this] {
        m_lineTotal = -1;
        clearFilter();
        fillSections();
        m_grid->showFromTop();
    });
    connect(proxy, &QAbstractItemModel::modelReset, this, &GridPage::spanRows);
    connect(proxy, &QAbstractItemModel::layoutChanged, this, &GridPage::spanRows);
    connect(proxy, &GridProxy::sortFinished, this, [this](bool applied) {
        m_grid->viewport()->unsetCursor();
        if (!applied)
            return; // every sort sets the block it selects again
        const QRect block = std::exchange(m_sortedBlock, QRect());
        // A selection the user made while a sort ran on its worker stays.
        if (block.isValid() && !m_grid->selectionModel()->hasSelection())
            m_grid->selectBlock(block.top(), block.left(), block.bottom(), block.right());
    });
    // Only the rows on screen (and some around them) are spanned: a view scrolled or made taller spans its new rows.
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &GridPage::spanRows);
    connect(grid->verticalScrollBar(), &QScrollBar::rangeChanged, this, &GridPage::spanRows);
    // A changed row may have become or stopped being a headline; the rows of a filter stay until it changes.
    connect(m_session, &KeyFileSession::rowsChanged, this, [this](const QList<int>& rows) {
        // Only a row that became or stopped being a headline (every headline is a section) changes the sections.
        const core::KeyDocument& document = m_session->document();
        const bool headlines = std::any_of(rows.begin(), rows.end(), [this, &document](int row) {
            return document.binding(row).isHeadline() != m_sectionList->isSectionRow(row);
        });
        if (headlines)
            fillSections();
        spanRows();
    });
    // A big file's sections are found by its background check.
    connect(m_session, &KeyFileSession::problemsChecked, this, &GridPage::fillSections);
    connect(m_findBar, &FindBar::changed, this, &GridPage::applyFilter);
    connect(m_findBar->sections(), &QComboBox::activated, this, [this](int index) {
        if (const int row = m_sectionList->rowOf(index); row >= 0)
            showDocumentRow(row);
    });
    connect(m_findBar->capture(), &KeyCaptureEdit::escaped, m_grid, [this] { m_grid->setFocus(); });
    applyFilter();
}

void GridPage::resize(int tw, int th)
{
    if (tw - 240 > 0 && th - 560 - FindBarTwips > 0) {
        m_tabs->placeOnPage(m_page, m_findBar, 60, 420, tw - 240, FindBarTwips - 30);
        m_tabs->placeOnPage(m_page, m_grid, 60, 420 + FindBarTwips, tw - 240, th - 560 - FindBarTwips);
    }
}

int GridPage::documentRowOfView(int viewRow) const
{
    return m_documentRow(m_proxy->mapToSource(m_proxy->index(viewRow, 0)).row());
}

int GridPage::viewRowOfDocument(int documentRow) const
{
    for (int source = 0; source < m_proxy->sourceModel()->rowCount(); ++source) {
        if (m_documentRow(source) == documentRow)
            return m_proxy->mapFromSource(m_proxy->sourceModel()->index(source, 0)).row();
    }
    return -1;
}

void GridPage::showDocumentRow(int row, int column)
{
    int view = viewRowOfDocument(row);
    if (view < 0 && m_proxy->isFiltered()) {
        clearFilter();
        view = viewRowOfDocument(row);
    }
    if (view < 0)
        return;
    m_grid->selectBlock(view, column, view, column);
    m_grid->scrollTo(m_proxy->index(view, column), QAbstractItemView::PositionAtTop);
    m_grid->setFocus();
}

void GridPage::clearFilter()
{
    const QSignalBlocker blockFilter(m_findBar->filter());
    const QSignalBlocker blockCapture(m_findBar->capture());
    m_findBar->filter()->clear();
    m_findBar->capture()->clearCombination();
    applyFilter();
}

void GridPage::focusFilter(bool keyCapture)
{
    QWidget* field = keyCapture ? static_cast<QWidget*>(m_findBar->capture()) : m_findBar->filter();
    field->setFocus(Qt::ShortcutFocusReason);
    if (!keyCapture)
        m_findBar->filter()->selectAll();
}

void GridPage::applyFilter()
{
    const std::vector<std::string> words = core::filterWords(m_findBar->filter()->text().toStdString());
    const std::optional<core::KeyCombination> combination = m_findBar->capture()->combination();
    const bool capturing = !m_findBar->capture()->text().isEmpty();
    std::function<bool(int)> accepts;
    if (!words.empty() || capturing) {
        const KeyFileSession* session = m_session;
        accepts = [this, session, words, combination, capturing](int sourceRow) {
            const int row = m_documentRow(sourceRow);
            const core::Binding& binding = session->document().binding(row);
            // Comment lines are hidden while a filter is set.
            if (binding.isComment())
                return false;
            if (capturing && !(combination && combination->boundBy(binding)))
                return false;
            return session->rowMatches(row, words);
        };
    }
    m_grid->keepingColumnSelection([this, &accepts] { m_proxy->setRowFilter(std::move(accepts)); });
    // The view shows the current line where the filter keeps it, else the first lines shown. Left where it was, a
    // view scrolled below the rows that remain would also have its line numbers drawn all at once, every one.
    if (m_grid->currentIndex().isValid())
        m_grid->scrollTo(m_grid->currentIndex());
    else
        m_grid->scrollToTop();
    if (m_lineTotal < 0) {
        m_lineTotal = 0;
        for (int source = 0; source < m_proxy->sourceModel()->rowCount(); ++source)
            m_lineTotal += m_session->document().isComment(m_documentRow(source)) ? 0 : 1;
    }
    const int total = m_lineTotal;
    const int shown = m_proxy->rowCount();
    if (capturing && combination && shown == 0 && words.empty())
        m_findBar->count()->setText(QStringLiteral("free"));
    else if (m_proxy->isFiltered())
        m_findBar->count()->setText(QStringLiteral("%1 of %2 lines").arg(number(shown), number(total)));
    else
        m_findBar->count()->setText(QStringLiteral("%1 lines").arg(number(total)));
}

void GridPage::fillSections()
{
    if (!m_sectionList->take(m_session->sharedSections()))
        return;
    QComboBox* box = m_findBar->sections();
    box->setCurrentIndex(-1);
    box->setEnabled(box->count() > 0);
}

void GridPage::spanRows()
{
    // Comments show their whole line across the row, headlines their title, wherever a sort put them. A table
    // view takes microseconds per span, and a big file has tens of thousands of comments: only the rows on screen
    // and a screenful around them are spanned, again whenever the view scrolls.
    constexpr int kMargin = 100;
    const int count = m_proxy->rowCount();
    const int top = m_grid->rowAt(0);
    const int bottom = m_grid->rowAt(m_grid->viewport()->height());
    const int first = std::max(0, top - kMargin);
    const int last = std::min(count - 1, (bottom < 0 ? std::max(top, 0) + kMargin : bottom) + kMargin);
    const core::KeyDocument& document = m_session->document();
    QList<int> rows;
    for (int view = first; view <= last; ++view) {
        const int row = documentRowOfView(view);
        if (row >= 0 && row < document.rowCount() && (document.isComment(row) || document.binding(row).isHeadline()))
            rows.append(view);
    }
    m_grid->spanRows(rows, 1);
}

void GridPage::sort(int buttonIndex)
{
    if (buttonIndex == 2) {
        m_grid->keepingColumnSelection([this] { m_proxy->resetOrder(); });
        return;
    }
    const auto [first, last] = m_grid->selectedColumnRange();
    if (first < 0)
        return;
    // The block is selected again when the order comes; taken off before the sort, it costs nothing to carry
    // through.
    m_sortedBlock = m_grid->selectedBlock();
    m_grid->selectionModel()->clearSelection();
    m_proxy->sortByColumns(first, last, buttonIndex == 1 ? core::SortOrder::Descending : core::SortOrder::Ascending);
    if (m_proxy->sorting())
        m_grid->viewport()->setCursor(Qt::BusyCursor);
}

KeyFilePage::KeyFilePage(TabControl* tabs, int pageIndex, KeyFileSession* session, Prompts& prompts, QObject* parent)
    : GridPage(tabs, pageIndex, session, parent)
{
    auto* grid = new GridView(tabs->page(pageIndex));
    grid->setObjectName(QStringLiteral("GridData"));
    auto* proxy = new GridProxy(
        session->fileModel(),
        [session](int row, int column, std::string& spare) { return session->document().cellView(row, column, spare); },
        this);
    setUp(
        grid, proxy, [](int row) { return row; }, QString());
    grid->setColumnWidthsTwips({500, 3540, 1080, 855, 2130, 2535, 2130, 2535, 1245, 3825});
    // The key file grid marks its selection in its own colours.
    QPalette palette = grid->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, QColor(255, 224, 192));
        palette.setColor(group, QPalette::HighlightedText, QColor(0, 0, 192));
    }
    grid->setPalette(palette);

    auto* open = pictureButton(
        tabs, QStringLiteral("Command4_0"), QStyle::SP_DialogOpenButton, QStringLiteral("Open a key file"));
    tabs->addHeaderWidget(pageIndex, open, Qt::LeftEdge);
    connect(open, &QToolButton::clicked, this, &KeyFilePage::openRequested);
    auto* save = pictureButton(
        tabs, QStringLiteral("Command4_1"), QStyle::SP_DialogSaveButton, QStringLiteral("Save the key file"));
    tabs->addHeaderWidget(pageIndex, save, Qt::RightEdge);
    connect(save, &QToolButton::clicked, this, &KeyFilePage::saveRequested);

    m_editing = new GridEditing(grid, proxy, session, prompts, this);
}

KeysAssignedPage::KeysAssignedPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent)
    : GridPage(tabs, pageIndex, session, parent)
{
    auto* grid = new GridView(tabs->page(pageIndex));
    grid->setObjectName(QStringLiteral("KeyGrid"));
    KeyListModel* list = session->listModel();
    auto* proxy = new GridProxy(
        list,
        [list](int row, int column, std::string& spare) -> std::string_view {
            core::SimplifiedEntry e = list->entry(row);
            if (column == 0)
                return spare = std::to_string(e.line);
            return spare = std::move(column == 1 ? e.simName : column == 2 ? e.keys : e.description);
        },
        this);
    setUp(
        grid, proxy, [list](int row) { return list->documentRow(row); }, QStringLiteral("List"));
    grid->setColumnWidthsTwips({500, 3540, 4000, 3825});

    auto* view = pictureButton(tabs, QStringLiteral("Command4_2"), QStyle::SP_FileDialogDetailedView,
        QStringLiteral("View the list in a text editor"));
    tabs->addHeaderWidget(pageIndex, view, Qt::LeftEdge);
    connect(view, &QToolButton::clicked, this, &KeysAssignedPage::viewInTextEditorRequested);
}

std::vector<int> KeysAssignedPage::listRowsInOrder() const
{
    return m_proxy->sourceRowsInOrder();
}

} // namespace gui
