#pragma once

#include "core/SimplifiedList.h"

#include <QAbstractTableModel>

#include <vector>

namespace gui {

class KeyFileSession;

/**
 * The readable list of the "Keys assigned" page: one row per record that is not a comment, in file order, with its
 * line number, sim name, keys in words and description. Read-only; it follows every change of the document.
 */
class KeyListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit KeyListModel(KeyFileSession* session);

    /** Names without a leading "sim" (the "Remove SIM from name" box). */
    void setRemoveSim(bool removeSim);
    bool removeSim() const { return m_removeSim; }

    /** The document row of list row `row`. */
    int documentRow(int row) const;
    /** The list row of document row `documentRow`, or -1 for a comment. */
    int listRow(int documentRow) const;
    /** List row `row` as the engine's list entry, with the names as shown. */
    core::SimplifiedEntry entry(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void rebuild();
    void onRowsChanged(const QList<int>& rows);

    KeyFileSession* m_session;
    // The list is the document's rows less its comments: only the comments' rows are kept, ascending (a few in a key
    // file, where a table of the listed rows would take 4 MiB for the largest).
    std::vector<int> m_comments;
    int m_rowCount = 0;
    bool m_removeSim = false;
};

} // namespace gui
