#pragma once

#include "core/Changes.h"
#include "core/Report.h"

#include <QWidget>

#include <array>
#include <ctime>
#include <string>

class QCheckBox;
class QLabel;
class QTableView;

namespace gui {

class ChangesModel;

/**
 * The changes between the two compared files: a box per kind of change (all ticked but Unchanged), the counts
 * ("12 added, 3 removed, 41 rebound, 8 descriptions, 2 moved"), and the table of the functions of the ticked kinds.
 */
class ChangesView final : public QWidget
{
    Q_OBJECT

public:
    explicit ChangesView(QWidget* parent = nullptr);

    /** Shows the changes of a comparison made at `when`; `note` (may be empty) stands before the counts. */
    void setChanges(core::Changes changes, const QString& path1, const QString& path2, const std::tm& when,
        const QString& note = {});

    ChangesModel* model() const { return m_model; }
    QTableView* table() const { return m_table; }
    QCheckBox* kindBox(core::ChangeKind kind) const { return m_boxes[static_cast<std::size_t>(kind)]; }
    QString countsText() const;
    /** True once a comparison has been shown. */
    bool hasChanges() const { return m_compared; }

    /** The view as a report: the kinds ticked, as core::changesReport writes them. */
    core::Report report() const;

private:
    ChangesModel* m_model;
    QTableView* m_table;
    QLabel* m_counts;
    std::array<QCheckBox*, core::ChangeKindCount> m_boxes{};
    std::string m_path1;
    std::string m_path2;
    std::tm m_when{};
    bool m_compared = false;
};

} // namespace gui
