#include "TakeBindingsDialog.h"

#include "core/Changes.h"

#include <QColor>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gui {

TakeBindingsModel::TakeBindingsModel(const QList<TakePreview::Binding>& bindings, QObject* parent)
    : QAbstractTableModel(parent)
    , m_bindings(bindings)
{
    std::vector<std::vector<int>> clashBindings;
    for (const auto& binding : bindings)
        clashBindings.emplace_back(binding.clashBindings.begin(), binding.clashBindings.end());
    m_chosen = core::takenWithoutClashes(clashBindings);
}

bool TakeBindingsModel::clashes(int row) const
{
    const QList<int>& holders = m_bindings[row].clashBindings;
    return core::clashesWhenTaken(std::vector<int>(holders.begin(), holders.end()), m_chosen);
}

// The functions that keep the binding's keys with the bindings ticked now.
static QString keptBy(const TakePreview::Binding& binding, const std::vector<bool>& chosen)
{
    QStringList names;
    for (qsizetype i = 0; i < binding.clashNames.size(); ++i) {
        if (core::clashesWhenTaken({binding.clashBindings.value(i, -1)}, chosen))
            names << binding.clashNames[i];
    }
    return names.join(QStringLiteral(", "));
}

QList<int> TakeBindingsModel::chosen() const
{
    QList<int> rows;
    for (std::size_t i = 0; i < m_chosen.size(); ++i) {
        if (m_chosen[i])
            rows.append(static_cast<int>(i));
    }
    return rows;
}

void TakeBindingsModel::setAllChosen(bool chosen)
{
    if (m_chosen.empty())
        return;
    m_chosen.assign(m_chosen.size(), chosen);
    emit dataChanged(index(0, TakeColumn), index(rowCount() - 1, ColumnCount - 1));
    emit choiceChanged();
}

int TakeBindingsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_bindings.size());
}

int TakeBindingsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TakeBindingsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TakePreview::Binding& b = m_bindings[index.row()];
    if (role == Qt::CheckStateRole && index.column() == TakeColumn)
        return m_chosen[static_cast<std::size_t>(index.row())] ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::ForegroundRole && index.column() == ClashColumn)
        return clashes(index.row()) ? QColor(192, 0, 0) : QColor(Qt::darkGray);
    if (role == Qt::ToolTipRole && index.column() == SimNameColumn && !b.section.isEmpty())
        return b.section;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case LineColumn:
        return b.line;
    case SimNameColumn:
        return b.simName;
    case KeysNowColumn:
        return b.keysNow;
    case KeysTakenColumn:
        return b.keysTaken;
    case ClashColumn:
        if (b.clashNames.isEmpty())
            return QString();
        if (clashes(index.row()))
            return QString(QStringLiteral("Clashes with ") + keptBy(b, m_chosen));
        return QString(QStringLiteral("No clash: ") + b.clashNames.join(QStringLiteral(", "))
            + QStringLiteral(" takes other keys"));
    default:
        return {};
    }
}

bool TakeBindingsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || index.column() != TakeColumn || role != Qt::CheckStateRole)
        return false;
    m_chosen[static_cast<std::size_t>(index.row())] = value.value<Qt::CheckState>() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    // A tick can make or end the clashes of other bindings.
    emit dataChanged(this->index(0, ClashColumn), this->index(rowCount() - 1, ClashColumn));
    emit choiceChanged();
    return true;
}

QVariant TakeBindingsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const headers[] = {"Take", "Line", "Sim name", "Keys now", "Keys taken", "Clash"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(headers[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TakeBindingsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == TakeColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

TakeBindingsDialog::TakeBindingsDialog(const TakePreview& preview, QWidget* parent)
    : QDialog(parent)
    , m_model(new TakeBindingsModel(preview.bindings, this))
{
    setObjectName(QStringLiteral("TakeBindingsDialog"));
    const QString from = QFileInfo(preview.fromPath).fileName();
    setWindowTitle(QStringLiteral("Take bindings from ") + from);
    auto* layout = new QVBoxLayout(this);

    const auto clashes = preview.bindings.size() - m_model->chosen().size();
    QString intro;
    if (preview.bindings.isEmpty()) {
        intro = QStringLiteral("Every function of %1 has the same keys in %2.").arg(preview.intoName, from);
    } else {
        intro = QStringLiteral("%1 functions of %2 have other keys in %3. Tick the bindings to take; taking them is "
                               "one step that Edit > Undo takes back.")
                    .arg(preview.bindings.size())
                    .arg(preview.intoName, from);
        if (clashes > 0)
            intro += QStringLiteral(" %1 would clash with keys that other functions of %2 already use: they are not "
                                    "ticked.")
                         .arg(clashes)
                         .arg(preview.intoName);
    }
    auto* introLabel = new QLabel(intro, this);
    introLabel->setObjectName(QStringLiteral("TakeIntro"));
    introLabel->setWordWrap(true);
    layout->addWidget(introLabel);

    auto* table = new QTableView(this);
    table->setObjectName(QStringLiteral("TakeBindingsGrid"));
    table->setModel(m_model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics(table->font());
    const auto width
        = [&metrics](const char* sample) { return metrics.horizontalAdvance(QString::fromLatin1(sample)) + 24; };
    table->setColumnWidth(TakeBindingsModel::TakeColumn, width("Take"));
    table->setColumnWidth(TakeBindingsModel::LineColumn, width("88888"));
    table->setColumnWidth(TakeBindingsModel::SimNameColumn, width("SimThrottleIdleDetentRight"));
    table->setColumnWidth(TakeBindingsModel::KeysNowColumn, width("CTL ALT UARROW"));
    table->setColumnWidth(TakeBindingsModel::KeysTakenColumn, width("CTL ALT UARROW"));
    layout->addWidget(table, 3);

    auto* ticks = new QHBoxLayout;
    auto* all = new QPushButton(QStringLiteral("Tick all"), this);
    all->setObjectName(QStringLiteral("TakeTickAll"));
    auto* none = new QPushButton(QStringLiteral("Untick all"), this);
    none->setObjectName(QStringLiteral("TakeTickNone"));
    connect(all, &QPushButton::clicked, this, [this] { m_model->setAllChosen(true); });
    connect(none, &QPushButton::clicked, this, [this] { m_model->setAllChosen(false); });
    ticks->addWidget(all);
    ticks->addWidget(none);
    ticks->addStretch(1);
    layout->addLayout(ticks);

    auto* missingLabel = new QLabel(this);
    missingLabel->setObjectName(QStringLiteral("TakeMissingLabel"));
    missingLabel->setWordWrap(true);
    missingLabel->setText(preview.missing.isEmpty()
            ? QStringLiteral("%1 has no function that %2 lacks.").arg(from, preview.intoName)
            : QStringLiteral("%1 functions of %2 are not in %3; they are listed here and not added:")
                  .arg(preview.missing.size())
                  .arg(from, preview.intoName));
    layout->addWidget(missingLabel);
    if (!preview.missing.isEmpty()) {
        auto* missing = new QTableWidget(static_cast<int>(preview.missing.size()), 4, this);
        missing->setObjectName(QStringLiteral("TakeMissingList"));
        missing->setHorizontalHeaderLabels({QStringLiteral("Line"), QStringLiteral("Sim name"), QStringLiteral("Keys"),
            QStringLiteral("Description")});
        missing->setEditTriggers(QAbstractItemView::NoEditTriggers);
        missing->setWordWrap(false);
        missing->verticalHeader()->hide();
        missing->verticalHeader()->setDefaultSectionSize(missing->fontMetrics().height() + 6);
        missing->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        missing->horizontalHeader()->setStretchLastSection(true);
        for (int r = 0; r < missing->rowCount(); ++r) {
            const TakePreview::Missing& m = preview.missing[r];
            const QString cells[] = {QString::number(m.line), m.simName, m.keys, m.description};
            for (int c = 0; c < 4; ++c)
                missing->setItem(r, c, new QTableWidgetItem(cells[c]));
        }
        missing->setColumnWidth(0, width("88888"));
        missing->setColumnWidth(1, width("SimThrottleIdleDetentRight"));
        missing->setColumnWidth(2, width("CTL ALT UARROW"));
        layout->addWidget(missing, 1);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_take = buttons->button(QDialogButtonBox::Ok);
    m_take->setObjectName(QStringLiteral("TakeButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_model, &TakeBindingsModel::choiceChanged, this, &TakeBindingsDialog::updateTakeButton);
    updateTakeButton();

    // Room for the table, within the window it belongs to.
    QSize size(960, 600);
    if (parent)
        size = size.boundedTo(parent->window()->size() * 0.95);
    resize(size);
}

void TakeBindingsDialog::updateTakeButton()
{
    const auto count = m_model->chosen().size();
    m_take->setText(count == 1 ? QStringLiteral("Take 1 binding") : QStringLiteral("Take %1 bindings").arg(count));
    m_take->setEnabled(count > 0);
}

} // namespace gui
