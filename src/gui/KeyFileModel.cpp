#include "KeyFileModel.h"

#include <QBrush>
#include <QPalette>

namespace gui {

KeyFileModel::KeyFileModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void KeyFileModel::setDocument(core::KeyDocument document, io::TextEncoding encoding)
{
    beginResetModel();
    m_document = std::move(document);
    m_encoding = encoding;
    endResetModel();
    emit savedStateChanged(m_document.savedState());
}

int KeyFileModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_document.rowCount();
}

int KeyFileModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : core::ColumnCount;
}

QString KeyFileModel::cellText(int row, int column) const
{
    if (row < 0 || row >= m_document.rowCount())
        return {};
    return io::decodeText(m_document.cell(row, column), m_encoding);
}

QVariant KeyFileModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::ForegroundRole:
        if (index.column() > 0 && m_document.isComment(index.row()))
            return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
        return {};
    case Qt::BackgroundRole:
        if (index.column() == core::LineColumn)
            return QPalette().brush(QPalette::Button);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignTop);
    default:
        return {};
    }
}

QVariant KeyFileModel::headerData(int section, Qt::Orientation orientation, int role) const
{
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
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool KeyFileModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return setCellText(index.row(), index.column(), value.toString());
}

bool KeyFileModel::setCellText(int row, int column, const QString& text)
{
    if (!m_document.isEditable(row, column))
        return false;
    emit aboutToChange();
    const core::SavedState before = m_document.savedState();
    if (!m_document.setCell(row, column, io::encodeText(text, m_encoding)))
        return false;
    emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
    if (before != m_document.savedState())
        emit savedStateChanged(m_document.savedState());
    return true;
}

void KeyFileModel::sortRows(int firstColumn, int lastColumn, core::SortOrder order)
{
    emit aboutToChange();
    beginResetModel();
    m_document.sortRows(firstColumn, lastColumn, order);
    endResetModel();
}

void KeyFileModel::setSavedState(core::SavedState state)
{
    if (m_document.savedState() == state)
        return;
    m_document.setSavedState(state);
    emit savedStateChanged(state);
}

void KeyFileModel::markModified()
{
    setSavedState(core::SavedState::Modified);
}

} // namespace gui
