#pragma once

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;

namespace gui {

class GridProxy;
class GridView;
class KeyFileSession;

/**
 * Editing of the key file grid, which has no cell editor: typing into the single selected cell on key release,
 * and the right-button menu that pastes the key copied from the virtual keyboard or clears the key assignment of
 * a block of cells. Each edit is one undoable step of the session; blocks are the rows the grid shows.
 */
class GridEditing final : public QObject
{
    Q_OBJECT

public:
    GridEditing(GridView* grid, GridProxy* proxy, KeyFileSession* session, QObject* parent = nullptr);

    /** The key and modifiers copied from the virtual keyboard; an empty code disables Paste. */
    void setPasteKey(const QString& keyCode, int modifier);
    const QString& pasteKeyCode() const { return m_pasteKeyCode; }
    int pasteModifier() const { return m_pasteModifier; }

    /** The right-button menu, shown over the grid by `popupMenu`. */
    QMenu* menu() const { return m_menu; }
    QAction* pasteAction() const { return m_paste; }
    QAction* clearAction() const { return m_clear; }

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

    GridView* m_grid;
    GridProxy* m_proxy;
    KeyFileSession* m_session;
    QMenu* m_menu;
    QAction* m_paste;
    QAction* m_clear;
    QString m_pasteKeyCode;
    int m_pasteModifier = 0;
};

/** True when the "Ignored" cell lets the menu open: a number that rounds to 0 to 32767. */
bool ignoredCellAllowsMenu(const QString& text);

} // namespace gui
