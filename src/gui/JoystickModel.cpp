#include "JoystickModel.h"

#include "KeyFileSession.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace gui {

namespace {

const QColor kDoubleColour(255, 0, 0); // the keyboard's colour of a key taken more than once

} // namespace

JoystickModel::JoystickModel(KeyFileSession* session, QObject* parent)
    : QAbstractTableModel(parent)
    , m_session(session)
{ }

int JoystickModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int JoystickModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

void JoystickModel::rebuild()
{
    rebuild(core::joystickLines(m_session->document(), m_session->joystickSettings()), m_session->document());
}

void JoystickModel::rebuild(std::vector<core::JoystickLine> lines, const core::KeyDocument& document)
{
    beginResetModel();
    m_document = document; // a copy starts without the bindings that reading the lines worked out

    m_lines.clear();
    m_lines.reserve(lines.size());
    m_descriptions.assign(1, std::string());
    std::unordered_map<std::string, int> descriptionOf; // while the lines are read
    m_all.clear();
    m_labels.clear();
    // One row per button or hat direction and action. The lines come sorted by place, then layer, then action.
    // Rows are found by the lines' own bytes; only a new row's texts are decoded.
    std::unordered_map<std::string, std::size_t> rowOf;
    std::unordered_map<std::string, int> controlOf;
    std::string key;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        core::JoystickLine& l = lines[i];
        key.assign(l.device).append(1, '\0').append(l.control);
        const std::size_t controlSize = key.size();
        key.append(1, '\0').append(l.action);
        auto found = rowOf.find(key);
        if (found == rowOf.end()) {
            Row row;
            row.device = m_session->decode(l.device);
            row.control = m_session->decode(l.control);
            row.action = m_session->decode(l.action);
            row.order = controlOf.try_emplace(key.substr(0, controlSize), int(controlOf.size())).first->second;
            row.actionOrder = l.actionOrder;
            // A label names the button, or the hat, whichever line of it stands below the comment.
            row.button = row.device + QLatin1Char('|')
                + (l.kind == core::RecordKind::Pov && l.place.isKnown() ? QStringLiteral("POV%1").arg(l.place.control)
                                                                        : row.control);
            found = rowOf.emplace(key, m_all.size()).first;
            m_all.push_back(std::move(row));
        }
        Row& row = m_all[found->second];
        if (!l.label.empty() && !m_labels.contains(row.button))
            m_labels.insert(row.button, m_session->decode(l.label));
        (l.place.layer == core::Layer::Shifted ? row.shifted : row.unshifted).push_back(static_cast<int>(i));
        int description = 0;
        if (!l.description.empty()) {
            const auto [known, added] = descriptionOf.try_emplace(l.description, int(m_descriptions.size()));
            if (added)
                m_descriptions.push_back(std::move(l.description));
            description = known->second;
        }
        m_lines.push_back(Line{l.row, l.line, l.kind, l.bindings, description, l.place});
    }
    // A shifted line may bring an action that the unshifted ones lack: each button's actions go in action order.
    std::stable_sort(m_all.begin(), m_all.end(),
        [](const Row& a, const Row& b) { return std::tie(a.order, a.actionOrder) < std::tie(b.order, b.actionOrder); });
    m_devices.clear();
    for (const Row& r : m_all) {
        if (m_devices.isEmpty() || m_devices.last() != r.device)
            m_devices.append(r.device);
    }
    if (!m_devices.contains(m_filter))
        m_filter.clear();
    fillRows();
    endResetModel();
}

void JoystickModel::setDeviceFilter(const QString& device)
{
    if (device == m_filter)
        return;
    beginResetModel();
    m_filter = device;
    fillRows();
    endResetModel();
}

void JoystickModel::fillRows()
{
    m_shown.clear();
    for (std::size_t i = 0; i < m_all.size(); ++i) {
        if (m_filter.isEmpty() || m_all[i].device == m_filter)
            m_shown.push_back(static_cast<int>(i));
    }
}

const std::vector<int>* JoystickModel::linesOf(const QModelIndex& index) const
{
    const Row& row = m_all[static_cast<std::size_t>(m_shown[static_cast<std::size_t>(index.row())])];
    switch (index.column()) {
    case UnshiftedColumn:
    case UnshiftedDescriptionColumn:
        return &row.unshifted;
    case ShiftedColumn:
    case ShiftedDescriptionColumn:
        return &row.shifted;
    default:
        return nullptr;
    }
}

int JoystickModel::documentRow(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return -1;
    const std::vector<int>* lines = linesOf(index);
    if (!lines) {
        const Row& row = m_all[static_cast<std::size_t>(m_shown[static_cast<std::size_t>(index.row())])];
        lines = row.unshifted.empty() ? &row.shifted : &row.unshifted;
    }
    return lines->empty() ? -1 : m_lines[static_cast<std::size_t>(lines->front())].row;
}

QString JoystickModel::functionText(const std::vector<int>& lines) const
{
    std::string spare;
    QStringList names;
    for (const int i : lines)
        names.append(m_session->decode(m_document.simName(m_lines[static_cast<std::size_t>(i)].row, spare)));
    return names.join(QStringLiteral(", "));
}

QString JoystickModel::descriptionText(const std::vector<int>& lines) const
{
    // A button may hold thousands of lines: each description once.
    QStringList texts;
    std::unordered_set<int> seen;
    for (const int i : lines) {
        const int description = m_lines[static_cast<std::size_t>(i)].description;
        if (description != 0 && seen.insert(description).second)
            texts.append(m_session->decode(m_descriptions[static_cast<std::size_t>(description)]));
    }
    return texts.join(QStringLiteral("; "));
}

QString JoystickModel::labelText(const Row& row) const
{
    return m_labels.value(row.button);
}

bool JoystickModel::isDouble(const std::vector<int>& lines) const
{
    for (const int i : lines) {
        if (m_lines[static_cast<std::size_t>(i)].bindings > 1)
            return true;
    }
    return false;
}

QString JoystickModel::toolTip(const std::vector<int>& lines) const
{
    QStringList parts;
    if (isDouble(lines))
        parts.append(QStringLiteral("Bound more than once for this button, layer and invocation."));
    for (const int i : lines) {
        const Line& l = m_lines[static_cast<std::size_t>(i)];
        QString text = QStringLiteral("Line %1: %2").arg(l.line).arg(m_session->decode(m_document.lineText(l.row)));
        if (const std::string label = core::labelAbove(m_document, l.row); !label.empty())
            text += QStringLiteral("\n") + m_session->decode(label);
        parts.append(text);
    }
    return parts.join(QStringLiteral("\n"));
}

QVariant JoystickModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_all[static_cast<std::size_t>(m_shown[static_cast<std::size_t>(index.row())])];
    const std::vector<int>* lines = linesOf(index);
    const bool function = index.column() == UnshiftedColumn || index.column() == ShiftedColumn;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case DeviceColumn:
            return row.device;
        case ControlColumn:
            return row.control;
        case ActionColumn:
            return row.action;
        case UnshiftedColumn:
        case ShiftedColumn:
            return functionText(*lines);
        case UnshiftedDescriptionColumn:
        case ShiftedDescriptionColumn:
            return descriptionText(*lines);
        case LabelColumn:
            return labelText(row);
        default:
            return {};
        }
    case Qt::ToolTipRole:
        if (lines && !lines->empty())
            return toolTip(*lines);
        if (index.column() == LabelColumn)
            return labelText(row);
        return {};
    case Qt::BackgroundRole:
        if (function && isDouble(*lines))
            return QBrush(kDoubleColour);
        return {};
    case Qt::ForegroundRole:
        if (function && isDouble(*lines))
            return QBrush(Qt::black);
        return {};
    default:
        return {};
    }
}

QVariant JoystickModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[ColumnCount]
        = {"Device", "Button", "Action", "Unshifted", "Description", "Shifted", "Description", "Label"};
    return QString::fromLatin1(captions[section]);
}

} // namespace gui
