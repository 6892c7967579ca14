#pragma once

#include <QAbstractTableModel>

namespace gui {

class KeyFileSession;

/**
 * The open key file as a table of ten columns, one row per record in file order: the key file grid's model. It
 * reads the session's document and follows its changes; edits go through the session.
 */
class KeyFileModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit KeyFileModel(KeyFileSession* session);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /** Changes one cell as an undoable step ("Edit"). */
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void onRowsChanged(const QList<int>& rows);

    KeyFileSession* m_session;
};

} // namespace gui
