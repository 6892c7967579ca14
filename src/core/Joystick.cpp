#include "Joystick.h"

#include "GenericOrder.h"
#include "Settings.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <tuple>
#include <unordered_map>

namespace core {

namespace {

constexpr const char* kShiftMagnitudeKey = "ShiftMagnitude";
constexpr const char* kButtonsPerDeviceKey = "ButtonsPerDevice";

const char* const kDirections[] = {"Up", "Up-Right", "Right", "Down-Right", "Down", "Down-Left", "Left", "Up-Left"};

std::int64_t settingValue(std::string_view iniText, const char* key, std::int64_t fallback, std::int64_t max)
{
    const auto value = readWholeNumber(Settings::readValue(iniText, JoystickSettings::Section, key, ""));
    return (value && *value >= 1 && *value <= max) ? *value : fallback;
}

std::string twoDigits(std::int64_t n)
{
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// The text of a cell that reads as a whole number is that number, so that "+3" and "3" are one slot.
std::string numberKey(bool valid, std::int64_t value, const std::string& cell)
{
    return valid ? std::to_string(value) : "=" + cell;
}

std::string controlText(const Binding& b, const JoystickPlace& place, const RecordCells& cells)
{
    const bool pov = b.kind == RecordKind::Pov;
    std::string text = pov ? "POV" : "DX";
    if (place.isKnown())
        text += std::to_string(place.control);
    else
        text += " number " + cells[CockpitIdColumn];
    if (pov) {
        text += ' ';
        text += b.direction >= 0 ? std::string(kDirections[b.direction]) : "direction " + cells[ModifierColumn];
    }
    return text;
}

std::string actionText(const Binding& b, const RecordCells& cells)
{
    const std::string invocation = b.invocationValid ? invocationText(b.invocation) : cells[IgnoredColumn];
    if (!b.release)
        return invocation;
    if (b.invocationValid && b.invocation == -2)
        return "release";
    return "release, " + invocation;
}

int actionOrder(const Binding& b)
{
    if (b.release || (b.invocationValid && b.invocation == -4))
        return 2;
    if (!b.invocationValid)
        return 4;
    switch (b.invocation) {
    case -1:
        return 0;
    case -2:
        return 1;
    case 8:
        return 3;
    default:
        return 4;
    }
}

std::string deviceText(const Binding& b, const JoystickPlace& place)
{
    if (b.kind == RecordKind::Pov)
        return "POV hats";
    return place.isKnown() ? "Device " + twoDigits(place.device) : "?";
}

// The description cell without its quotes: the text up to the closing one.
std::string_view descriptionText(std::string_view cell)
{
    if (cell.empty() || cell[0] != '"')
        return cell;
    const std::size_t closing = cell.rfind('"');
    return closing == 0 ? cell.substr(1) : cell.substr(1, closing - 1);
}

// Sim names looked up by a view of their text, without making a string of it.
struct NameHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

bool isCommentedOutLine(std::string_view text)
{
    if (trimSpaces(text).empty())
        return false;
    const Binding b = Binding::of(splitRecordLine(text));
    if (b.kind == RecordKind::DirectX || b.kind == RecordKind::Pov)
        return b.fieldCount >= 7;
    return b.fieldCount >= 8 && b.key.kind != KeyRef::Kind::NotACode && b.key.kind != KeyRef::Kind::Empty;
}

// Sort groups: devices, buttons not placed, hats, hats not placed.
int groupOf(const JoystickLine& line)
{
    if (line.kind == RecordKind::DirectX)
        return line.place.isKnown() ? 0 : 1;
    return line.place.isKnown() ? 2 : 3;
}

} // namespace

bool JoystickSettings::isValid() const
{
    return shiftMagnitude >= 1 && shiftMagnitude <= MaxShiftMagnitude && buttonsPerDevice >= 1
        && buttonsPerDevice <= MaxButtonsPerDevice;
}

JoystickSettings JoystickSettings::fromIni(std::string_view iniText)
{
    JoystickSettings s;
    s.shiftMagnitude = settingValue(iniText, kShiftMagnitudeKey, DefaultShiftMagnitude, MaxShiftMagnitude);
    s.buttonsPerDevice = settingValue(iniText, kButtonsPerDeviceKey, DefaultButtonsPerDevice, MaxButtonsPerDevice);
    return s;
}

std::string JoystickSettings::writeIni(std::string_view iniText) const
{
    std::string text = Settings::writeValue(iniText, Section, kShiftMagnitudeKey, std::to_string(shiftMagnitude));
    return Settings::writeValue(text, Section, kButtonsPerDeviceKey, std::to_string(buttonsPerDevice));
}

JoystickPlace JoystickPlace::of(const Binding& b, const JoystickSettings& settings)
{
    JoystickPlace place;
    if ((b.kind != RecordKind::DirectX && b.kind != RecordKind::Pov) || !b.numberValid || b.number < 0
        || !settings.isValid())
        return place;
    const std::int64_t magnitude = settings.shiftMagnitude;
    if (b.number >= 2 * magnitude)
        return place;
    const bool shifted = b.number >= magnitude;
    const std::int64_t n = shifted ? b.number - magnitude : b.number;
    place.layer = shifted ? Layer::Shifted : Layer::Unshifted;
    if (b.kind == RecordKind::Pov) {
        place.control = n + 1;
    } else {
        place.device = n / settings.buttonsPerDevice + 1;
        place.control = n % settings.buttonsPerDevice + 1;
    }
    return place;
}

const char* layerText(Layer layer)
{
    switch (layer) {
    case Layer::Unshifted:
        return "unshifted";
    case Layer::Shifted:
        return "shifted";
    case Layer::Unknown:
        break;
    }
    return "?";
}

std::string invocationText(std::int64_t invocation)
{
    switch (invocation) {
    case -1:
        return "press and release";
    case -2:
        return "press";
    case -4:
        return "release";
    case 8:
        return "set in the simulator";
    default:
        return std::to_string(invocation);
    }
}

std::string labelAbove(const KeyDocument& document, int row)
{
    if (row <= 0 || row >= document.rowCount() || !document.isComment(row - 1))
        return {};
    const std::string comment = document.cell(row - 1, SimNameColumn);
    std::string_view text = trimSpaces(comment);
    // Whatever stands before the '#' is blank: the comment is the rest of the line.
    const std::size_t hash = text.find('#');
    if (hash == std::string_view::npos)
        return {};
    text = text.substr(hash);
    const std::size_t start = text.find_first_not_of("#= \t");
    if (start == std::string_view::npos)
        return {};
    text = text.substr(start);
    if (isCommentedOutLine(text))
        return {};
    const std::size_t end = text.find_last_not_of("= \t");
    return std::string(text.substr(0, end + 1));
}

std::vector<JoystickLine> joystickLines(const KeyDocument& document, const JoystickSettings& settings)
{
    std::vector<JoystickLine> lines;
    std::vector<int> directions; // of each line's hat, for the order
    std::vector<int> keyRows;
    std::unordered_map<std::string, int> slots; // lines by button or hat direction, layer and invocation
    std::vector<const int*> slotCount; // each line's count in `slots`
    for (int r = 0; r < document.rowCount(); ++r) {
        if (document.isComment(r))
            continue;
        // Read without keeping it: a copy read on a worker would otherwise make every row's binding once more, 50
        // MiB for the largest file, only to drop them.
        const Binding b = document.bindingOnce(r);
        if (b.kind == RecordKind::Key) {
            if (!b.reference) // SimDoNothing lines describe other functions, not themselves
                keyRows.push_back(r);
            continue;
        }
        const RecordCells cells = document.cells(r, ModifierColumn);
        JoystickLine line;
        line.row = r;
        line.line = document.lineNumber(r);
        line.kind = b.kind;
        line.place = JoystickPlace::of(b, settings);
        line.device = deviceText(b, line.place);
        line.control = controlText(b, line.place, cells);
        line.action = actionText(b, cells);
        line.actionOrder = actionOrder(b);
        line.simName = cells[SimNameColumn];
        line.label = labelAbove(document, r);
        const auto slot = slots.try_emplace(std::string(b.kind == RecordKind::Pov ? "P" : "D") + '|'
                + numberKey(b.numberValid, b.number, cells[CockpitIdColumn]) + '|'
                + (b.kind == RecordKind::Pov ? numberKey(b.direction >= 0, b.direction, cells[ModifierColumn]) : "")
                + '|' + numberKey(b.invocationValid, b.invocation, cells[IgnoredColumn]) + '|' + (b.release ? "r" : ""),
            0);
        ++slot.first->second;
        slotCount.push_back(&slot.first->second);
        lines.push_back(std::move(line));
        directions.push_back(b.direction);
    }
    // The first key line of a sim name that has a description gives it. Only the names of the joystick lines are
    // looked for, each key line's cells read as views into the file where its row is unedited.
    std::unordered_map<std::string, std::string, NameHash, std::equal_to<>> descriptions;
    for (const JoystickLine& line : lines)
        descriptions.try_emplace(line.simName);
    // Most key lines name no joystick function: a bit per name hash, small enough to stay in the cache, turns
    // those away before the map is searched.
    std::vector<std::uint64_t> nameBits(std::bit_ceil(descriptions.size() / 8 + 1));
    const std::size_t bitMask = nameBits.size() * 64 - 1;
    for (const auto& [name, description] : descriptions) {
        const std::size_t bit = NameHash{}(name)&bitMask;
        nameBits[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    std::size_t wanted = descriptions.size();
    std::string spare;
    for (std::size_t k = 0; k < keyRows.size() && wanted > 0; ++k) {
        // The name alone first (the line's first word), the whole line only for a name looked for.
        const std::size_t bit = NameHash{}(document.simName(keyRows[k], spare)) & bitMask;
        if ((nameBits[bit / 64] & (std::uint64_t{1} << (bit % 64))) == 0)
            continue;
        RecordViews views;
        RecordCells cells;
        if (!document.rowViews(keyRows[k], views)) {
            cells = document.cells(keyRows[k]);
            for (int c = 0; c < ColumnCount; ++c)
                views[static_cast<std::size_t>(c)] = cells[static_cast<std::size_t>(c)];
        }
        const auto found = descriptions.find(views[SimNameColumn]);
        if (found == descriptions.end() || !found->second.empty())
            continue;
        found->second = descriptionText(views[DescriptionColumn]);
        wanted -= found->second.empty() ? 0 : 1;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i].bindings = *slotCount[i];
        lines[i].description = descriptions[lines[i].simName];
    }
    // Each line's place in the order is worked out once; the lines, with their strings, move once.
    using SortKey = std::tuple<int, std::int64_t, std::int64_t, int, int, int, int>;
    std::vector<std::pair<SortKey, std::size_t>> order;
    order.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const JoystickLine& l = lines[i];
        const int given = directions[i];
        const int direction = given >= 0 ? given : 8;
        order.emplace_back(
            SortKey(groupOf(l), l.place.device, l.place.control, direction, int(l.place.layer), l.actionOrder, l.row),
            i);
    }
    std::sort(order.begin(), order.end());
    std::vector<JoystickLine> sorted;
    sorted.reserve(lines.size());
    for (const auto& [key, i] : order)
        sorted.push_back(std::move(lines[i]));
    lines = std::move(sorted);
    return lines;
}

std::string buttonsText(const std::vector<JoystickLine>& lines)
{
    std::string text;
    for (const JoystickLine& l : lines) {
        // A comment may hold tabs; they would split its field.
        std::string label = l.label;
        std::replace(label.begin(), label.end(), '\t', ' ');
        text += l.device + '\t' + l.control + '\t' + layerText(l.place.layer) + '\t' + l.action + '\t' + l.simName
            + '\t' + label + '\n';
    }
    return text;
}

std::string joystickBannerText(const KeyDocument& document, int row, const JoystickSettings& settings)
{
    if (row < 0 || row >= document.rowCount() || document.isComment(row))
        return {};
    const Binding& b = document.binding(row);
    if (b.kind != RecordKind::DirectX && b.kind != RecordKind::Pov)
        return {};
    const JoystickPlace place = JoystickPlace::of(b, settings);
    std::string text = controlText(b, place, document.cells(row, ModifierColumn));
    if (b.kind == RecordKind::DirectX && place.isKnown())
        text += ", " + deviceText(b, place);
    if (place.layer == Layer::Shifted)
        text += ", shifted";
    if (b.release)
        text += ", release";
    return text;
}

} // namespace core
