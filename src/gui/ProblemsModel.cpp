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
    const auto takeAll = [this] {
        m_entries = currentEntries();
        endResetModel();
        emit problemsChanged();
    };
    connect(session, &KeyFileSession::aboutToReset, this, &ProblemsModel::beginResetModel);
    connect(session, &KeyFileSession::documentReset, this, takeAll);
    // A background check's problems replace the whole list.
    connect(session, &KeyFileSession::problemsChecked, this, [this, takeAll] {
        beginResetModel();
        takeAll();
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
    // Both lists are in line order, errors before warnings on one line. Walking them side by side changes the rows
    // of the lines whose problems changed and leaves every other row, its selection and place, alone.
    std::vector<Entry> next = currentEntries();
    const auto slot = [](const Entry& e) { return std::make_pair(e.row, e.severity); };
    std::size_t p = 0; // in m_entries, which becomes `next` up to p
    std::size_t j = 0; // in next
    while (p < m_entries.size() || j < next.size()) {
        if (p < m_entries.size() && j < next.size()) {
            if (m_entries[p] == next[j]) {
                ++p;
                ++j;
                continue;
            }
            if (slot(m_entries[p]) == slot(next[j])) {
                m_entries[p] = std::move(next[j]);
                emit dataChanged(index(int(p), 0), index(int(p), ColumnCount - 1));
                ++p;
                ++j;
                continue;
            }
        }
        if (j == next.size() || (p < m_entries.size() && slot(m_entries[p]) < slot(next[j]))) {
            // Old rows before the next new one go.
            std::size_t q = p + 1;
            while (q < m_entries.size() && (j == next.size() || slot(m_entries[q]) < slot(next[j])))
                ++q;
            beginRemoveRows({}, int(p), int(q - 1));
            m_entries.erase(m_entries.begin() + std::ptrdiff_t(p), m_entries.begin() + std::ptrdiff_t(q));
            endRemoveRows();
            continue;
        }
        // New rows before the next old one come in.
        std::size_t k = j + 1;
        while (k < next.size() && (p == m_entries.size() || slot(next[k]) < slot(m_entries[p])))
            ++k;
        beginInsertRows({}, int(p), int(p + (k - j) - 1));
        m_entries.insert(m_entries.begin() + std::ptrdiff_t(p),
            std::make_move_iterator(next.begin() + std::ptrdiff_t(j)),
            std::make_move_iterator(next.begin() + std::ptrdiff_t(k)));
        endInsertRows();
        p += k - j;
        j = k;
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
