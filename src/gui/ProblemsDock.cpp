#include "ProblemsDock.h"

#include "GridPages.h"
#include "GridProxy.h"
#include "GridView.h"
#include "KeyFileModel.h"
#include "KeyFileSession.h"
#include "ProblemsModel.h"
#include "TabControl.h"

#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace gui {

ProblemsDock::ProblemsDock(
    KeyFileSession* session, KeyFilePage* keyFilePage, TabControl* tabs, int keyFilePageIndex, QWidget* parent)
    : QDockWidget(QStringLiteral("Problems"), parent)
    , m_session(session)
    , m_page(keyFilePage)
    , m_tabs(tabs)
    , m_pageIndex(keyFilePageIndex)
    , m_model(new ProblemsModel(session, this))
    , m_sorted(new QSortFilterProxyModel(this))
{
    setObjectName(QStringLiteral("DockProblems"));
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    toggleViewAction()->setObjectName(QStringLiteral("mnuViewProblems"));
    toggleViewAction()->setText(QStringLiteral("&Problems"));

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    m_summary = new QLabel(content);
    m_summary->setObjectName(QStringLiteral("LabelProblems"));
    m_summary->hide();
    layout->addWidget(m_summary);

    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(ProblemsModel::SortRole);
    m_table = new QTableView(content);
    m_table->setObjectName(QStringLiteral("ProblemsTable"));
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(ProblemsModel::LineColumn, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights and column widths: thousands of rows are never measured.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(
        ProblemsModel::SeverityColumn, m_table->fontMetrics().horizontalAdvance(QStringLiteral("Warning")) + 48);
    m_table->setColumnWidth(
        ProblemsModel::LineColumn, m_table->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    layout->addWidget(m_table);
    setWidget(content);

    connect(m_table, &QTableView::clicked, this, &ProblemsDock::onActivated);
    connect(m_table, &QTableView::activated, this, &ProblemsDock::onActivated);
    connect(m_model, &ProblemsModel::problemsChanged, this, &ProblemsDock::updateCount);
    connect(session, &KeyFileSession::showRowRequested, this, &ProblemsDock::showDocumentRow);
    updateCount();
}

QToolButton* ProblemsDock::createStatusButton(QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("StatusProblems"));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setToolTip(QStringLiteral("Show or hide the problems of the key file"));
    connect(this, &ProblemsDock::countChanged, button, &QToolButton::setText);
    updateCount();
    connect(button, &QToolButton::clicked, this, [this] {
        setVisible(!isVisible());
        if (isVisible())
            raise();
    });
    return button;
}

void ProblemsDock::updateCount()
{
    const auto& problems = m_session->problems();
    const QString count = m_session->problemsPending()
        ? QStringLiteral("Checking ...")
        : problemCountText(problems.errorCount(), problems.warningCount());
    setWindowTitle(QStringLiteral("Problems: ") + count);
    // A list cut short says so.
    const bool cut = problems.count() > m_model->rowCount();
    if (cut)
        m_summary->setText(QStringLiteral("The first %1 of %2 problems are listed, in line order.")
                               .arg(m_model->rowCount())
                               .arg(problems.count()));
    m_summary->setVisible(cut);
    emit countChanged(count);
}

void ProblemsDock::onActivated(const QModelIndex& index)
{
    if (index.isValid())
        showDocumentRow(m_model->documentRow(m_sorted->mapToSource(index).row()));
}

void ProblemsDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    // The first time, about ten lines high: the pages above keep most of the window.
    if (!m_sized) {
        m_sized = true;
        if (auto* window = qobject_cast<QMainWindow*>(parentWidget()))
            window->resizeDocks({this}, {m_table->verticalHeader()->defaultSectionSize() * 10}, Qt::Vertical);
    }
}

bool ProblemsDock::showDocumentRow(int row)
{
    if (row < 0 || row >= m_session->document().rowCount())
        return false;
    GridProxy* proxy = m_page->proxy();
    const QModelIndex source = m_session->fileModel()->index(row, core::SimNameColumn);
    QModelIndex shown = proxy->mapFromSource(source);
    if (!shown.isValid() && m_revealRow && m_revealRow(row))
        shown = proxy->mapFromSource(source);
    if (!shown.isValid())
        return false;
    m_tabs->setCurrentIndex(m_pageIndex);
    GridView* grid = m_page->grid();
    // The whole line, with the Sim name cell current: typing goes there, as after a click on it.
    grid->selectBlock(shown.row(), core::DescriptionColumn, shown.row(), core::SimNameColumn);
    grid->scrollTo(shown, QAbstractItemView::PositionAtCenter);
    grid->setFocus();
    return true;
}

} // namespace gui
