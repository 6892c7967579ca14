#include "ChangesModel.h"

#include <QColor>

namespace gui {

ChangesModel::ChangesModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    m_shown.fill(true);
    m_shown[static_cast<std::size_t>(core::ChangeKind::Unchanged)] = false;
}

void ChangesModel::setChanges(core::Changes changes)
{
    beginResetModel();
    m_changes = std::move(changes);
    for (int n = 0; n < 2; ++n)
        m_encodings[static_cast<std::size_t>(n)] = io::detectEncoding(m_changes.document(n).sourceBytes());
    m_texts.clear();
    m_texts.resize(m_changes.functions().size());
    refilter();
    endResetModel();
}

void ChangesModel::setShown(core::ChangeKind kind, bool shown)
{
    if (isShown(kind) == shown)
        return;
    beginResetModel();
    m_shown[static_cast<std::size_t>(kind)] = shown;
    refilter();
    endResetModel();
}

void ChangesModel::refilter()
{
    m_rows.clear();
    const auto& functions = m_changes.functions();
    for (std::size_t i = 0; i < functions.size(); ++i) {
        if (isShown(functions[i].kind))
            m_rows.push_back(static_cast<int>(i));
    }
}

const core::FunctionChange& ChangesModel::function(int row) const
{
    return m_changes.functions()[static_cast<std::size_t>(m_rows[static_cast<std::size_t>(row)])];
}

const ChangesModel::RowTexts& ChangesModel::texts(int row) const
{
    const auto index = static_cast<std::size_t>(m_rows[static_cast<std::size_t>(row)]);
    std::unique_ptr<RowTexts>& cached = m_texts[index];
    if (cached)
        return *cached;
    const core::FunctionChange& change = m_changes.functions()[index];
    const core::ChangeTexts t = m_changes.texts(change);
    // A name and section come from file 2 where it has the function.
    const io::TextEncoding own = m_encodings[change.row2 >= 0 ? 1 : 0];
    auto texts = std::make_unique<RowTexts>();
    texts->simName = io::decodeText(t.simName, own);
    texts->keys1 = io::decodeText(t.keys1, m_encodings[0]);
    texts->keys2 = io::decodeText(t.keys2, m_encodings[1]);
    texts->section = io::decodeText(t.section, own);
    texts->line1 = t.line1;
    texts->line2 = t.line2;
    const QString description1 = io::decodeText(t.description1, m_encodings[0]);
    const QString description2 = io::decodeText(t.description2, m_encodings[1]);
    if (change.kind == core::ChangeKind::DescriptionChanged) {
        texts->description = description1 + QStringLiteral(" \u2192 ") + description2;
        texts->descriptionTip
            = QStringLiteral("Key file 1: ") + description1 + QStringLiteral("\nKey file 2: ") + description2;
    } else {
        texts->description = change.row2 >= 0 ? description2 : description1;
        texts->descriptionTip = texts->description;
    }
    cached = std::move(texts);
    return *cached;
}

int ChangesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ChangesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChangesModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const core::FunctionChange& change = function(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        if (index.column() == ChangeColumn) {
            QString title = QString::fromLatin1(core::changeKindTitle(change.kind));
            if (change.moved && change.kind != core::ChangeKind::Moved)
                title += QStringLiteral(", moved");
            return title;
        }
        const RowTexts& t = texts(index.row());
        switch (index.column()) {
        case SimNameColumn:
            return t.simName;
        case Keys1Column:
            return t.keys1;
        case Keys2Column:
            return t.keys2;
        case SectionColumn:
            return t.section;
        case Line1Column:
            return t.line1 > 0 ? QVariant(t.line1) : QVariant(QString());
        case Line2Column:
            return t.line2 > 0 ? QVariant(t.line2) : QVariant(QString());
        case DescriptionColumn:
            return t.description;
        default:
            return {};
        }
    }
    case Qt::ToolTipRole:
        if (index.column() == DescriptionColumn)
            return texts(index.row()).descriptionTip;
        return {};
    case Qt::ForegroundRole:
        if (change.kind == core::ChangeKind::Removed)
            return QColor(0, 0, 255);
        if (change.kind == core::ChangeKind::Added)
            return QColor(0, 128, 0);
        return {};
    default:
        return {};
    }
}

QVariant ChangesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const headers[]
        = {"Change", "Sim name", "Keys in file 1", "Keys in file 2", "Section", "Line 1", "Line 2", "Description"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(headers[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace gui
