#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QObject>
#include <QString>
#include <QTimer>

namespace gui {

/**
 * A picture of the program's visible windows as JSON, written to a file for a program that drives the window from
 * outside (scripts/e2e.py): where each named widget is on the screen and what it shows.
 *
 * The document is {"focus": NAME, "windows": [WINDOW...]}. A window has objectName, class, title, x, y, width,
 * height, active, modal, popup and "widgets": every widget inside it with an object name (Qt's own "qt_" helpers
 * left out), hidden ones included, each with objectName, class, x, y, width, height (global pixels), visible and
 * enabled, and where simple:
 *   text                  labels, buttons, line edits, combo boxes
 *   checked               checkable buttons
 *   background            KeyLabel (its colour as drawn) and widgets that fill their background (#rrggbb)
 *   caption, index        KeyLabel
 *   currentIndex, tabs    tab bars: each tab's text and place
 *   rows, columns, current, selection
 *                         item views: the current cell (row, column, text, place) and each selected block (top,
 *                         left, bottom, right, place)
 *   characterCount        text edits
 * The actions of menus and menu bars are listed as widgets of class "QAction" with their place in the menu; a menu
 * bar's action that has no name of its own takes its menu's.
 */
class GeometryDump final : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 200;

    /** Writes to `path` every IntervalMs when the picture has changed. */
    explicit GeometryDump(const QString& path, QObject* parent = nullptr);

    /** A dump to the file named by the environment variable TARNWICK_GEOMETRY_DUMP, or nullptr when it is unset. */
    static GeometryDump* fromEnvironment(QObject* parent);

    /** The picture of the visible windows as they are now. */
    static QJsonDocument snapshot();

    /** Writes the file (a temporary file renamed over it) when the picture differs from the last one written.
     *  True when it wrote. */
    bool writeIfChanged();

private:
    QString m_path;
    QByteArray m_written;
    QTimer m_timer;
    bool m_warned = false;
};

} // namespace gui
