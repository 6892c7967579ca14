#pragma once

#include "core/Changes.h"
#include "io/TextCodec.h"

#include <QAbstractTableModel>

#include <array>
#include <memory>
#include <vector>

namespace gui {

/**
 * The "Changes" view of the compare page: one row per function of the kinds shown, in the order of the changes
 * (file 2's), with its change, sim name, keys in each file, section, line in each file and description. Each file's
 * texts are read in its own encoding. Removed functions are blue and added ones green, as in the report.
 */
class ChangesModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        ChangeColumn,
        SimNameColumn,
        Keys1Column,
        Keys2Column,
        SectionColumn,
        Line1Column,
        Line2Column,
        DescriptionColumn,
        ColumnCount
    };

    explicit ChangesModel(QObject* parent = nullptr);

    /** Replaces the changes shown. */
    void setChanges(core::Changes changes);
    const core::Changes& changes() const { return m_changes; }

    /** Shows or hides the functions of one kind. Every kind but Unchanged is shown at first. */
    void setShown(core::ChangeKind kind, bool shown);
    bool isShown(core::ChangeKind kind) const { return m_shown[static_cast<std::size_t>(kind)]; }
    const std::array<bool, core::ChangeKindCount>& shownKinds() const { return m_shown; }

    /** The function of a row. */
    const core::FunctionChange& function(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct RowTexts
    {
        QString simName;
        QString keys1;
        QString keys2;
        QString section;
        QString description;
        QString descriptionTip;
        int line1 = 0;
        int line2 = 0;
    };

    void refilter();
    const RowTexts& texts(int row) const;

    core::Changes m_changes;
    std::array<io::TextEncoding, 2> m_encodings{io::TextEncoding::Utf8, io::TextEncoding::Utf8};
    std::array<bool, core::ChangeKindCount> m_shown{};
    std::vector<int> m_rows; // row -> index into the changes' functions
    mutable std::vector<std::unique_ptr<RowTexts>> m_texts; // per function, made when first shown
};

} // namespace gui
