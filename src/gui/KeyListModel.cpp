#include "KeyListModel.h"

#include "KeyFileSession.h"

#include "core/Find.h"

#include <QFont>
#include <QPalette>

#include <algorithm>

namespace gui {

KeyListModel::KeyListModel(KeyFileSession* session)
    : QAbstractTableModel(session)
    , m_session(session)
{
    connect(session, &KeyFileSession::aboutToReset, this, &KeyListModel::beginResetModel);
    connect(session, &KeyFileSession::documentReset, this, [this] {
        rebuild();
        endResetModel();
    });
    connect(session, &KeyFileSession::rowsChanged, this, &KeyListModel::onRowsChanged);
}

void KeyListModel::rebuild()
{
    const core::KeyDocument& document = m_session->document();
    m_comments.clear();
    for (int r = 0; r < document.rowCount(); ++r) {
        if (document.isComment(r))
            m_comments.push_back(r);
    }
    m_comments.shrink_to_fit();
    m_rowCount = document.rowCount() - static_cast<int>(m_comments.size());
}

int KeyListModel::documentRow(int row) const
{
    // Comment i has (comment - i) listed rows before it: those at or below `row` come before its document row.
    std::size_t low = 0;
    std::size_t high = m_comments.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (m_comments[mid] - static_cast<int>(mid) <= row)
            low = mid + 1;
        else
            high = mid;
    }
    return row + static_cast<int>(low);
}

void KeyListModel::setRemoveSim(bool removeSim)
{
    if (m_removeSim == removeSim)
        return;
    m_removeSim = removeSim;
    if (rowCount() > 0)
        emit dataChanged(index(0, 1), index(rowCount() - 1, 1), {Qt::DisplayRole});
}

int KeyListModel::listRow(int documentRow) const
{
    const auto it = std::lower_bound(m_comments.begin(), m_comments.end(), documentRow);
    if (documentRow < 0 || documentRow >= m_rowCount + static_cast<int>(m_comments.size())
        || (it != m_comments.end() && *it == documentRow))
        return -1;
    return documentRow - static_cast<int>(it - m_comments.begin());
}

core::SimplifiedEntry KeyListModel::entry(int row) const
{
    const core::KeyDocument& document = m_session->document();
    const int r = documentRow(row);
    core::RecordCells cells = document.cells(r);
    const core::Binding& binding = document.binding(r);
    core::SimplifiedEntry e;
    e.row = r;
    e.line = document.lineNumber(r);
    e.simName
        = m_removeSim ? core::withoutSimPrefix(cells[core::SimNameColumn]) : std::move(cells[core::SimNameColumn]);
    e.keys = core::keysText(binding);
    e.description = std::move(cells[core::DescriptionColumn]);
    e.pov = binding.kind == core::RecordKind::Pov;
    return e;
}

int KeyListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int KeyListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : core::SimplifiedList::ColumnCount;
}

QVariant KeyListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const core::KeyDocument& document = m_session->document();
    const int r = documentRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return document.lineNumber(r);
        case 1: {
            if (document.binding(r).isHeadline())
                return m_session->decode(core::headlineTitle(document.cell(r, core::DescriptionColumn)));
            const std::string name = document.cell(r, core::SimNameColumn);
            return m_session->decode(m_removeSim ? core::withoutSimPrefix(name) : name);
        }
        case 2:
            return m_session->decode(core::keysText(document.binding(r)));
        case 3:
            return m_session->decode(document.cell(r, core::DescriptionColumn));
        default:
            return {};
        }
    case Qt::FontRole:
        if (index.column() == 1 && document.binding(r).isHeadline()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::BackgroundRole:
        if (index.column() == 0)
            return QPalette().brush(QPalette::Button);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignTop);
    default:
        return {};
    }
}

QVariant KeyListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const headers[] = {"Line", "Sim name", "Keys", "Description"};
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section >= 0 && section < rowCount())
        return m_session->document().lineNumber(documentRow(section));
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < 4)
        return QString::fromLatin1(headers[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags KeyListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void KeyListModel::onRowsChanged(const QList<int>& rows)
{
    for (const int documentRow : rows) {
        const int row = listRow(documentRow);
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, core::SimplifiedList::ColumnCount - 1), {Qt::DisplayRole});
    }
}

} // namespace gui
