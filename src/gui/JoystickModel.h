#pragma once

#include "core/Joystick.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

#include <vector>

namespace gui {

class KeyFileSession;

/**
 * The joystick page's table: one row per button or hat direction and action (press and release, press, release),
 * the functions of its unshifted and shifted layers side by side with their descriptions, and the label of its
 * button (the comment line above the first of its lines that has one). Lines whose layer is not known (a number that
 * the settings do not place) stand in the unshifted columns and read "?" as their device. A function cell bound more
 * than once for its button, layer and invocation is red, as a key taken twice is on the keyboard. Rebuilt by `rebuild`
 * from the session's document and settings.
 */
class JoystickModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        DeviceColumn,
        ControlColumn,
        ActionColumn,
        UnshiftedColumn,
        UnshiftedDescriptionColumn,
        ShiftedColumn,
        ShiftedDescriptionColumn,
        LabelColumn,
        ColumnCount
    };

    explicit JoystickModel(KeyFileSession* session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /** Reads the document again with the session's settings. */
    void rebuild();
    /** Shows `lines`, read from `document` (a copy of the session's, read on another thread, say) with the
     *  session's settings. The model keeps a copy of it: its lines' names and labels are read from that. */
    void rebuild(std::vector<core::JoystickLine> lines, const core::KeyDocument& document);

    /** Only the rows of this device ("Device 01", "POV hats", "?"); empty for every row. */
    void setDeviceFilter(const QString& device);
    const QString& deviceFilter() const { return m_filter; }
    /** The devices of the document in table order. */
    const QStringList& devices() const { return m_devices; }

    /** What the table keeps of a DirectX or POV line once its rows are made: the texts of its button's row
     *  (device, control, action) are in that row. */
    // About 48 bytes a line: the sim name and the label are read from the line's row when they are shown, and each
    // different description is kept once.
    struct Line
    {
        int row = 0;
        int line = 0;
        core::RecordKind kind = core::RecordKind::DirectX;
        int bindings = 1;
        int description = 0; // index into m_descriptions
        core::JoystickPlace place;
    };

    /** The document's DirectX and POV lines as last read. */
    const std::vector<Line>& lines() const { return m_lines; }
    /** The document row of the first line in a function cell of `index`; -1 where there is none. */
    int documentRow(const QModelIndex& index) const;

private:
    struct Row
    {
        QString device;
        QString control;
        QString action;
        std::vector<int> unshifted; // indexes into m_lines
        std::vector<int> shifted;
        int order = 0; // the button's or hat direction's place in table order
        int actionOrder = 0;
        QString button; // the button or hat, whose lines share a label
    };

    void fillRows();
    const std::vector<int>* linesOf(const QModelIndex& index) const;
    QString functionText(const std::vector<int>& lines) const;
    QString descriptionText(const std::vector<int>& lines) const;
    QString labelText(const Row& row) const;
    QString toolTip(const std::vector<int>& lines) const;
    bool isDouble(const std::vector<int>& lines) const;

    KeyFileSession* m_session;
    core::KeyDocument m_document; // the lines' own: its bytes and rows shared with the session's
    std::vector<Line> m_lines;
    std::vector<std::string> m_descriptions; // each different one once, the empty one first
    std::vector<Row> m_all;
    std::vector<int> m_shown; // indexes into m_all
    QStringList m_devices;
    QString m_filter;
    QHash<QString, QString> m_labels; // by Row::button
};

} // namespace gui
