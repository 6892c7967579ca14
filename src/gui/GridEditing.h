#pragma once

#include <QObject>
#include <QPoint>

#include <memory>

class QAction;
class QMenu;

namespace gui {

class GridProxy;
class GridView;
class KeyAssigner;
class KeyFileSession;
class Prompts;

/**
 * Editing of the key file grid: typing into the single selected cell on key release; the right-button menu that
 * pastes the key copied from the virtual keyboard, clears the key assignment of a block of cells or opens the
 * assign dialog; the assign dialog on Enter, F2 or a double-click on a Keys or Modifiers cell of a key line; and
 * the in-cell editor (F2 or a double-click on any other cell), which refuses what the cell cannot hold and says
 * why. Each edit is one undoable step of the session; blocks are the rows the grid shows.
 */
class GridEditing final : public QObject
{
    Q_OBJECT

public:
    GridEditing(GridView* grid, GridProxy* proxy, KeyFileSession* session, Prompts& prompts, QObject* parent = nullptr);
    ~GridEditing() override;

    /** The key and modifiers copied from the virtual keyboard; an empty code disables Paste. */
    void setPasteKey(const QString& keyCode, int modifier);
    const QString& pasteKeyCode() const { return m_pasteKeyCode; }
    int pasteModifier() const { return m_pasteModifier; }

    /** The right-button menu, shown over the grid by `popupMenu`. */
    QMenu* menu() const { return m_menu; }
    QAction* pasteAction() const { return m_paste; }
    QAction* clearAction() const { return m_clear; }
    QAction* assignAction() const { return m_assign; }
    KeyAssigner* assigner() const { return m_assigner.get(); }

    /** Opens the assign dialog for the line of the cell where the selection started; true when the document
     *  changed. */
    bool assignKey();
    /** Edits the cell where the selection started: the assign dialog for the keys of a key line, the in-cell
     *  editor for any other cell. */
    void editCell();
    /** Takes the in-cell editor's text for a cell: an undoable step, or a message saying why the cell cannot hold
     *  it. True when it was taken. */
    bool commitCellText(int viewRow, int column, const QString& text);

    /** Applies one released key to the selected cell; true when the key was one that typing handles. */
    bool typeKey(int key, Qt::KeyboardModifiers modifiers);
    /** Opens the menu at `globalPosition` when the cell where the selection started allows it; true when it
     *  opened. */
    bool popupMenu(QPoint globalPosition);
    void paste();
    void clearAssignment();

    /** The banner text for the current cell: the key name of a key cell, the modifier words of a modifier cell,
     *  the button or hat of columns 2 to 7 of a DirectX or POV line ("DX2, Device 01, release"), or nothing (the
     *  banner keeps its text). */
    QString bannerTextForCurrentCell() const;

signals:
    /** The banner should read `text` (FillLabel1). */
    void bannerText(const QString& text);

private:
    void applyToBlock(bool pasting);
    void fillBanner();
    /** The document row of a view row. */
    int documentRow(int viewRow) const;

    bool eventFilter(QObject* watched, QEvent* event) override;

    GridView* m_grid;
    GridProxy* m_proxy;
    KeyFileSession* m_session;
    Prompts& m_prompts;
    std::unique_ptr<KeyAssigner> m_assigner;
    QMenu* m_menu;
    QAction* m_paste;
    QAction* m_clear;
    QAction* m_assign;
    QString m_pasteKeyCode;
    int m_pasteModifier = 0;
};

/** True when the "Ignored" cell lets the menu open: a number that rounds to 0 to 32767. */
bool ignoredCellAllowsMenu(const QString& text);

} // namespace gui
