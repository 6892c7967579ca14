#pragma once

#include "Workers.h"

#include <QObject>

#include <memory>

class QComboBox;
class QLabel;
class QSpinBox;
class QTableView;
class QWidget;

namespace gui {

class JoystickModel;
class KeyFileSession;
class TabControl;

/**
 * The "Joystick" page: the document's DirectX buttons and POV hats as a table (JoystickModel), a choice of the
 * device shown, a count of what the file binds, and the two settings that place a button number (shift magnitude,
 * buttons per device), which the session keeps and the window remembers. The table follows the document: it is
 * rebuilt when the page is shown after a change, or at once when the page is on screen.
 */
class JoystickPage final : public QObject
{
    Q_OBJECT

public:
    JoystickPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent = nullptr);
    ~JoystickPage() override;

    /** The table's model, up to date with the document. */
    JoystickModel* model();
    QTableView* table() const { return m_table; }
    QSpinBox* shiftMagnitudeBox() const { return m_magnitude; }
    QSpinBox* buttonsPerDeviceBox() const { return m_perDevice; }
    QComboBox* deviceBox() const { return m_device; }
    /** The count above the table, up to date with the document. */
    QString summary();

    /** Places the controls for a tab control of the given size in twips. */
    void resize(int tabWidthTwips, int tabHeightTwips);

    /** True while a big document's lines are read on a worker thread; the table shows them when it is done. */
    bool reading() const { return m_reading.running(); }
    /** The lines of documents of this many bytes and more are read on a worker thread. */
    void setBackgroundBytes(std::size_t bytes) { m_backgroundBytes = bytes; }

signals:
    /** A function was double-clicked: show document row `row` in the key file grid. */
    void rowRequested(int row);

private:
    struct Reading;

    void documentChanged();
    /** Reads the lines again when the document or settings changed: a big document's on a worker, unless `now`. */
    void showPending(bool now = false);
    /** Waits for lines read on a worker and shows them. */
    void finishReading();
    /** The devices and the count, from the model's lines. */
    void showCounts();
    void fillDevices();
    void settingsEdited();
    void showSettings();

    TabControl* m_tabs;
    int m_page;
    KeyFileSession* m_session;
    JoystickModel* m_model;
    QWidget* m_bar;
    QSpinBox* m_magnitude;
    QSpinBox* m_perDevice;
    QComboBox* m_device;
    QLabel* m_summary;
    QTableView* m_table;
    bool m_stale = true;
    // A big document's lines are read on a worker over a copy of the document; newer lines drop older ones.
    std::size_t m_backgroundBytes = 8 * 1024 * 1024;
    LatestJob<Reading> m_reading;
};

} // namespace gui
