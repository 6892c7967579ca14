#include "KeyFileModel.h"

#include "KeyFileSession.h"
#include "core/Binding.h"

#include "core/Binding.h"
#include "core/Find.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

namespace gui {

namespace {

// What the cells of a DirectX or POV line hold, where the column headings speak of keys.
QVariant joystickCellTip(const core::KeyDocument& document, int row, int column)
{
    if (document.isComment(row))
        return {};
    const core::RecordKind kind = document.binding(row).kind;
    if (kind != core::RecordKind::DirectX && kind != core::RecordKind::Pov)
        return {};
    const bool pov = kind == core::RecordKind::Pov;
    switch (column) {
    case core::CockpitIdColumn:
        return pov ? QStringLiteral("hat") : QStringLiteral("button number");
    case core::IgnoredColumn:
        return QStringLiteral("invocation");
    case core::KeyColumn:
        return pov ? QStringLiteral("POV hat") : QStringLiteral("DirectX button");
    case core::ModifierColumn:
        return pov ? QStringLiteral("direction") : QStringLiteral("release");
    default:
        return {};
    }
}

} // namespace

KeyFileModel::KeyFileModel(KeyFileSession* session)
    : QAbstractTableModel(session)
    , m_session(session)
{
    connect(session, &KeyFileSession::aboutToReset, this, &KeyFileModel::beginResetModel);
    connect(session, &KeyFileSession::documentReset, this, &KeyFileModel::endResetModel);
    connect(session, &KeyFileSession::rowsChanged, this, &KeyFileModel::onRowsChanged);
}

// Asked for twice at every comparison of a sort: the base class's check calls rowCount and columnCount through the
// virtual table each time.
QModelIndex KeyFileModel::index(int row, int column, const QModelIndex& parent) const
{
    const bool inside = !parent.isValid() && row >= 0 && column >= 0 && column < core::ColumnCount
        && row < m_session->document().rowCount();
    return inside ? createIndex(row, column) : QModelIndex();
}

int KeyFileModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_session->document().rowCount();
}

int KeyFileModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : core::ColumnCount;
}

QVariant KeyFileModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const core::KeyDocument& document = m_session->document();
    // A headline shows as the title of its section, in bold, across the row.
    const bool headline = index.column() == core::SimNameColumn && document.binding(index.row()).isHeadline();
    switch (role) {
    case Qt::DisplayRole:
        if (headline)
            return m_session->decode(core::headlineTitle(document.cell(index.row(), core::DescriptionColumn)));
        return m_session->cellText(index.row(), index.column());
    case Qt::EditRole:
        return m_session->cellText(index.row(), index.column());
    case Qt::FontRole:
        if (headline) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        if (index.column() > 0 && m_session->document().isComment(index.row()))
            return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
        return {};
    case Qt::BackgroundRole:
        if (index.column() == core::LineColumn)
            return QPalette().brush(QPalette::Button);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignTop);
    case Qt::ToolTipRole:
        return joystickCellTip(m_session->document(), index.row(), index.column());
    default:
        return {};
    }
}

QVariant KeyFileModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section >= 0 && section < rowCount())
        return m_session->document().lineNumber(section);
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= core::ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    const auto header = core::columnHeaders()[static_cast<std::size_t>(section)];
    return QString::fromLatin1(header.data(), static_cast<qsizetype>(header.size()));
}

Qt::ItemFlags KeyFileModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The line column is fixed, like a header: it cannot be selected.
    if (index.column() == core::LineColumn)
        return Qt::ItemIsEnabled;
    if (m_session->document().isEditable(index.row(), index.column()))
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool KeyFileModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || role != Qt::EditRole)
        return false;
    return m_session->edit({{index.row(), index.column(), value.toString()}}, QStringLiteral("Edit"));
}

void KeyFileModel::onRowsChanged(const QList<int>& rows)
{
    for (const int row : rows)
        emit dataChanged(index(row, 0), index(row, core::ColumnCount - 1), {Qt::DisplayRole});
}

} // namespace gui
