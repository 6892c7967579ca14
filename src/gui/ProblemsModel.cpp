#include "ProblemsModel.h"

#include "KeyFileSession.h"

#include <QApplication>
#include <QStyle>

namespace gui {

QString problemCountText(int errors, int warnings)
{
    if (errors == 0 && warnings == 0)
        return QStringLiteral("No problems");
    return QString((errors == 1 ? QStringLiteral("1 error") : QStringLiteral("%1 errors").arg(errors))
        + QStringLiteral(", ")
        + (warnings == 1 ? QStringLiteral("1 warning") : QStringLiteral("%1 warnings").arg(warnings)));
}

ProblemsModel::ProblemsModel(KeyFileSession* session, QObject* parent)
    : QAbstractTableModel(parent)
    , m_session(session)
{
    connect(session, &KeyFileSession::aboutToReset, this, &ProblemsModel::beginResetModel);
    connect(session, &KeyFileSession::documentReset, this, [this] {
        m_entries = currentEntries();
        endResetModel();
        emit problemsChanged();
    });
    connect(session, &KeyFileSession::rowsChanged, this, &ProblemsModel::follow);
    m_entries = currentEntries();
}

std::vector<ProblemsModel::Entry> ProblemsModel::currentEntries() const
{
    std::vector<Entry> entries;
    const auto problems = m_session->problems().list(DisplayLimit);
    entries.reserve(problems.size());
    for (const core::Problem* p : problems)
        entries.push_back({p->row, p->line, p->severity, p->code, p->text});
    return entries;
}

void ProblemsModel::follow()
{
    // An edit changes the problems of a few lines: the rows before and after them stay as they are.
    std::vector<Entry> next = currentEntries();
    std::size_t head = 0;
    while (head < m_entries.size() && head < next.size() && m_entries[head] == next[head])
        ++head;
    std::size_t tail = 0;
    while (tail < m_entries.size() - head && tail < next.size() - head
        && m_entries[m_entries.size() - 1 - tail] == next[next.size() - 1 - tail])
        ++tail;
    const auto oldEnd = static_cast<int>(m_entries.size() - tail);
    const auto newEnd = static_cast<int>(next.size() - tail);
    const auto first = static_cast<int>(head);
    if (oldEnd - first == newEnd - first) {
        m_entries = std::move(next);
        if (newEnd > first)
            emit dataChanged(index(first, 0), index(newEnd - 1, ColumnCount - 1));
    } else {
        if (oldEnd > first) {
            beginRemoveRows({}, first, oldEnd - 1);
            m_entries.erase(m_entries.begin() + first, m_entries.begin() + oldEnd);
            endRemoveRows();
        }
        if (newEnd > first) {
            beginInsertRows({}, first, newEnd - 1);
            m_entries.insert(m_entries.begin() + first, next.begin() + first, next.begin() + newEnd);
            endInsertRows();
        }
    }
    emit problemsChanged();
}

int ProblemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int ProblemsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProblemsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry& e = m_entries[static_cast<std::size_t>(index.row())];
    const bool error = e.severity == core::Severity::Error;
    switch (index.column()) {
    case SeverityColumn:
        if (role == Qt::DisplayRole)
            return error ? QStringLiteral("Error") : QStringLiteral("Warning");
        if (role == Qt::DecorationRole)
            return QApplication::style()->standardIcon(
                error ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning);
        if (role == SortRole)
            return error ? 0 : 1;
        break;
    case LineColumn:
        if (role == Qt::DisplayRole)
            return e.line;
        // On one line, errors before warnings, as in the file's own order of problems.
        if (role == SortRole)
            return qint64(e.line) * 2 + (error ? 0 : 1);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case TextColumn:
        if (role == Qt::DisplayRole || role == SortRole)
            return m_session->decode(e.text);
        if (role == Qt::ToolTipRole)
            return QString(m_session->decode(e.text) + QStringLiteral(" (")
                + QString::fromLatin1(core::problemCodeName(e.code)) + QLatin1Char(')'));
        break;
    default:
        break;
    }
    return {};
}

QVariant ProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case SeverityColumn:
        return QStringLiteral("Severity");
    case LineColumn:
        return QStringLiteral("Line");
    default:
        return QStringLiteral("Problem");
    }
}

} // namespace gui
