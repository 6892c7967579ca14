#pragma once

class QWidget;

namespace gui {

/** True for the widgets a user works with: buttons, fields, lists, grids and text boxes. */
bool isControl(const QWidget* widget);

/**
 * Gives every control under `root` that has no accessible name one from what it shows: its text, else its tool
 * tip, else its placeholder text, else the help text of the status bar for its object name. Screen readers then
 * name each control; the keyboard's keys name themselves with their state (KeyLabel).
 */
void nameControls(QWidget* root);

} // namespace gui
