#include "KeyListModel.h"

#include <QPalette>

namespace gui {

KeyListModel::KeyListModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void KeyListModel::setList(core::SimplifiedList list, io::TextEncoding encoding)
{
    beginResetModel();
    m_list = std::move(list);
    m_encoding = encoding;
    endResetModel();
}

void KeyListModel::removeSimFromNames()
{
    m_list.removeSimFromNames();
    if (rowCount() > 0)
        emit dataChanged(index(0, 1), index(rowCount() - 1, 1), {Qt::DisplayRole});
}

void KeyListModel::sortRows(int firstColumn, int lastColumn, core::SortOrder order)
{
    beginResetModel();
    m_list.sortRows(firstColumn, lastColumn, order);
    endResetModel();
}

int KeyListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.rowCount();
}

int KeyListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : core::SimplifiedList::ColumnCount;
}

QVariant KeyListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return io::decodeText(m_list.cell(index.row(), index.column()), m_encoding);
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

} // namespace gui
