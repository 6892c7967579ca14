#pragma once

#include "core/SimplifiedList.h"
#include "io/TextCodec.h"

#include <QAbstractTableModel>

namespace gui {

/** The readable list of the "Keys assigned" page: read-only, derived from the document when it is opened. */
class KeyListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit KeyListModel(QObject* parent = nullptr);

    void setList(core::SimplifiedList list, io::TextEncoding encoding);
    const core::SimplifiedList& list() const { return m_list; }

    void removeSimFromNames();
    void sortRows(int firstColumn, int lastColumn, core::SortOrder order);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    core::SimplifiedList m_list;
    io::TextEncoding m_encoding = io::TextEncoding::Windows1252;
};

} // namespace gui
