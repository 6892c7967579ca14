#include "ChangesView.h"

#include "ChangesModel.h"
#include "core/Comparison.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace gui {

namespace {

// The boxes in the order of the counts.
constexpr core::ChangeKind kBoxOrder[] = {core::ChangeKind::Added, core::ChangeKind::Removed, core::ChangeKind::Rebound,
    core::ChangeKind::DescriptionChanged, core::ChangeKind::Moved, core::ChangeKind::Unchanged};

} // namespace

ChangesView::ChangesView(QWidget* parent)
    : QWidget(parent)
    , m_model(new ChangesModel(this))
    , m_table(new QTableView(this))
    , m_counts(new QLabel(this))
{
    setObjectName(QStringLiteral("ChangesView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(new QLabel(QStringLiteral("Show:"), this));
    for (const core::ChangeKind kind : kBoxOrder) {
        auto* box = new QCheckBox(QString::fromLatin1(core::changeKindTitle(kind)), this);
        box->setObjectName(QStringLiteral("ChkChange_%1").arg(static_cast<int>(kind)));
        box->setChecked(m_model->isShown(kind));
        connect(box, &QCheckBox::toggled, this, [this, kind](bool on) { m_model->setShown(kind, on); });
        m_boxes[static_cast<std::size_t>(kind)] = box;
        boxes->addWidget(box);
    }
    boxes->addStretch(1);
    layout->addLayout(boxes);

    m_counts->setObjectName(QStringLiteral("LblChangeCounts"));
    m_counts->setText(QStringLiteral("Choose two key files and press Compare to see what changed between them."));
    m_counts->setWordWrap(true);
    layout->addWidget(m_counts);

    m_table->setObjectName(QStringLiteral("ChangesGrid"));
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics(m_table->font());
    const auto width
        = [&metrics](const char* sample) { return metrics.horizontalAdvance(QString::fromLatin1(sample)) + 16; };
    m_table->setColumnWidth(ChangesModel::ChangeColumn, width("Description changed"));
    m_table->setColumnWidth(ChangesModel::SimNameColumn, width("SimThrottleIdleDetentRight"));
    m_table->setColumnWidth(ChangesModel::Keys1Column, width("CTL ALT UARROW"));
    m_table->setColumnWidth(ChangesModel::Keys2Column, width("CTL ALT UARROW"));
    m_table->setColumnWidth(ChangesModel::SectionColumn, width("2.19 THROTTLE QUADRANT"));
    m_table->setColumnWidth(ChangesModel::Line1Column, width("Line 1"));
    m_table->setColumnWidth(ChangesModel::Line2Column, width("Line 2"));
    layout->addWidget(m_table, 1);
}

void ChangesView::setChanges(
    core::Changes changes, const QString& path1, const QString& path2, const std::tm& when, const QString& note)
{
    m_path1 = path1.toUtf8().toStdString();
    m_path2 = path2.toUtf8().toStdString();
    m_when = when;
    m_model->setChanges(std::move(changes));
    m_compared = true;
    QString text = QString::fromStdString(core::changeCountsText(m_model->changes().counts()));
    text += QStringLiteral("; %1 unchanged").arg(m_model->changes().count(core::ChangeKind::Unchanged));
    m_counts->setText(note.isEmpty() ? text : note + QLatin1Char(' ') + text);
    m_table->scrollToTop();
}

QString ChangesView::countsText() const
{
    return m_counts->text();
}

core::Report ChangesView::report() const
{
    return core::changesReport(
        m_model->changes(), m_path1, m_path2, m_model->shownKinds(), core::comparisonDate(m_when));
}

} // namespace gui
