#pragma once

#include "core/Problems.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace gui {

class KeyFileSession;

/**
 * The problems of the open key file as a table (severity, line, text) in line order, at most DisplayLimit rows: a
 * file where every line is a double keeps the view quick, and the count says how many there are in all. It follows
 * the session: an edit, undo or redo changes only the rows whose problems changed, so the selection and the place
 * in the list stay.
 */
class ProblemsModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int DisplayLimit = 5000;
    enum Column { SeverityColumn, LineColumn, TextColumn, ColumnCount };
    /** What a column sorts by: the severity (errors first), the line as a number (errors first on one line), the
     *  text. */
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit ProblemsModel(KeyFileSession* session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /** The document row a problem is reported on. */
    int documentRow(int modelRow) const { return m_entries[static_cast<std::size_t>(modelRow)].row; }

signals:
    /** The problems changed (their number included). */
    void problemsChanged();

private:
    struct Entry
    {
        int row;
        int line;
        core::Severity severity;
        core::ProblemCode code;
        std::string text;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::vector<Entry> currentEntries() const;
    void follow();

    KeyFileSession* m_session;
    std::vector<Entry> m_entries;
};

/** "2 errors, 3 warnings"; "No problems" when there are none. */
QString problemCountText(int errors, int warnings);

} // namespace gui
