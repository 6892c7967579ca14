#pragma once

#include "KeyAssigner.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace gui {

class KeyCaptureEdit;

/**
 * The assign dialog: the combination is pressed into a capture field, or picked from the list of keys with the
 * modifier boxes; before anything changes the dialog shows it in words, the cells it will write and the lines that
 * have it now. Assign is offered while no line the simulator acts on has it; otherwise Take over.
 */
class AssignKeyDialog final : public QDialog
{
    Q_OBJECT

public:
    AssignKeyDialog(const AssignRequest& request, QWidget* parent = nullptr);

    AssignAnswer answer() const { return m_answer; }
    /** Shows a combination as if it had been pressed or picked. */
    void setCombination(const std::optional<core::KeyCombination>& combination, const QString& refusal = {});

private:
    void finish(AssignAnswer::Action action);
    void picked();

    AssignRequest m_request;
    std::optional<core::KeyCombination> m_combination;
    AssignAnswer m_answer;
    KeyCaptureEdit* m_capture;
    QComboBox* m_keys;
    QCheckBox* m_modifiers[3] = {};
    QLabel* m_words;
    QLabel* m_cells;
    QListWidget* m_takenBy;
    QPushButton* m_assign;
    QPushButton* m_takeOver;
};

} // namespace gui
