#pragma once

#include "TakePreview.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTableView;

namespace gui {

/** The bindings of a preview of taking bindings, each with a box. A binding clashes while a function that uses its
 *  keys keeps them: one that is not in the preview, or whose own binding is not ticked. At first every binding is
 *  ticked but those that clash (core::takenWithoutClashes). */
class TakeBindingsModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TakeColumn, LineColumn, SimNameColumn, KeysNowColumn, KeysTakenColumn, ClashColumn, ColumnCount };

    explicit TakeBindingsModel(const QList<TakePreview::Binding>& bindings, QObject* parent = nullptr);

    /** The rows ticked, ascending. */
    QList<int> chosen() const;
    /** True when binding `row` clashes with the bindings ticked now. */
    bool clashes(int row) const;
    void setAllChosen(bool chosen);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void choiceChanged();

private:
    QList<TakePreview::Binding> m_bindings;
    std::vector<bool> m_chosen;
};

/**
 * The preview of taking the bindings of another key file: every function of the open file whose keys differ there,
 * with the keys it has and the keys it would take, those that clash with a binding of the open file marked and not
 * ticked; below it the functions the other file has and the open one lacks, which are not added.
 */
class TakeBindingsDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit TakeBindingsDialog(const TakePreview& preview, QWidget* parent = nullptr);

    TakeBindingsModel* model() const { return m_model; }
    /** The indexes of the bindings ticked. */
    QList<int> chosen() const { return m_model->chosen(); }

private:
    void updateTakeButton();

    TakeBindingsModel* m_model;
    QPushButton* m_take = nullptr;
};

} // namespace gui
