#pragma once

#include "core/KeyCombination.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace gui {

class KeyFileSession;
class Prompts;

/** What the assign dialog shows for a combination before anything changes. */
struct AssignPreview
{
    QString words; // the combination in words, "CTL ALT o"
    QStringList cells; // the cells of columns 4 to 7 it writes
    QStringList takenBy; // the other lines bound to it: "SimGearUp (line 39, 2.04 MANUAL TRIM PANEL)"
    bool blocked = false; // lines the simulator acts on have it: it can only be taken over
};

/** How the user left the assign dialog. */
struct AssignAnswer
{
    enum Action { Cancel, Assign, TakeOver, Clear } action = Cancel;
    core::KeyCombination combination;
};

/** What the assign dialog is asked to show. */
struct AssignRequest
{
    QString line; // "AFGearToggle (line 39)"
    QString current; // the keys it has now, in words
    std::function<AssignPreview(const core::KeyCombination&)> preview;
};

/**
 * Binding keys to key lines: what a combination would take from other lines, and the one undoable step that assigns
 * it, takes it over (clearing it from the lines the simulator acts on that have it) or clears a line's keys.
 */
class KeyAssigner
{
public:
    explicit KeyAssigner(KeyFileSession* session);

    /** True for a row whose keys can be assigned: a key line. */
    bool canAssign(int row) const;
    AssignPreview preview(int row, const core::KeyCombination& combination) const;
    /** Carries out an answer of the dialog for document row `row`; true when the document changed. An Assign that
     *  would take a combination from a line the simulator acts on is refused (false). */
    bool apply(int row, const AssignAnswer& answer);

    /** The dialog for `row`, then its answer carried out. */
    bool assignWithDialog(Prompts& prompts, QWidget* parent, int row);

    /** "AFGearToggle (line 39)". */
    QString lineText(int row) const;

private:
    /** The rows other than `row` that have the combination and that the simulator acts on, other functions only. */
    std::vector<int> blockingRows(int row, const core::KeyCombination& combination) const;

    KeyFileSession* m_session;
};

} // namespace gui
