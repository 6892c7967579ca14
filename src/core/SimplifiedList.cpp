#include "SimplifiedList.h"

#include "KeyCodeTable.h"

#include <algorithm>

namespace core {

namespace {

const char* const kPovDirections[] = {"Up", "Up-Right", "Right", "Down-Right", "Down", "Down-Left", "Left", "Up-Left"};

// "DX5, Device 01": 32 buttons make one device.
std::string directXText(std::string_view buttonCell)
{
    const auto button = readWholeNumber(buttonCell);
    if (!button || *button >= (1LL << 60) || *button <= -(1LL << 60))
        return "DX?";
    const long long b = *button + 1;
    if (b < 33)
        return "DX" + std::to_string(b) + ", Device 01";
    const long long d = (b - 1) / 32 + 1;
    const long long k = b - (d - 1) * 32;
    // The device number has at least two digits.
    return "DX" + std::to_string(k) + ", Device " + (d < 10 ? "0" : "") + std::to_string(d);
}

std::string povText(std::string_view hatCell, std::string_view directionCell)
{
    const auto hat = readWholeNumber(hatCell);
    const auto direction = readWholeNumber(directionCell);
    std::string text = "POV";
    text += (hat && *hat < (1LL << 60)) ? std::to_string(*hat + 1) : std::string("?");
    text += ' ';
    text += (direction && *direction >= 0 && *direction < 8) ? kPovDirections[*direction] : "?";
    return text;
}

// A modifier cell as words; a cell that holds no whole number reads "???", like a value out of range.
std::string modifierWords(std::string_view cell)
{
    const auto value = readWholeNumber(cell);
    return value ? modifierText(*value) : std::string("???");
}

// Modifier words of the modifier cell, then the key name of the key cell, after one space if both are there.
std::string keyWithModifiers(std::string_view modifierCell, std::string_view keyCell)
{
    std::string text;
    if (!modifierCell.empty())
        text = modifierWords(modifierCell);
    if (!keyCell.empty()) {
        if (!text.empty())
            text += ' ';
        text += lookupKeyName(keyCell);
    }
    return text;
}

} // namespace

std::string keysText(const RecordCells& cells)
{
    const std::string& key = cells[KeyColumn];
    if (key == "-2")
        return directXText(cells[CockpitIdColumn]);
    if (key == "-3")
        return povText(cells[CockpitIdColumn], cells[ModifierColumn]);

    // A combination key that names no key gives no combination text, whatever its modifiers say.
    std::string combination;
    if (!namesNoKey(cells[ComboKeyColumn]))
        combination = keyWithModifiers(cells[ComboModifierColumn], cells[ComboKeyColumn]);
    std::string primary = keyWithModifiers(cells[ModifierColumn], key);
    if (combination.empty() || combination == "Unassigned")
        return primary;
    return combination + "  " + primary;
}

std::string withoutSimPrefix(std::string_view name)
{
    if (name.size() > 3 && (name[0] == 's' || name[0] == 'S') && (name[1] == 'i' || name[1] == 'I')
        && (name[2] == 'm' || name[2] == 'M'))
        return std::string(name.substr(3));
    return std::string(name);
}

SimplifiedList SimplifiedList::build(const KeyDocument& document, bool removeSim)
{
    SimplifiedList list;
    list.m_entries.reserve(static_cast<std::size_t>(document.rowCount()));
    for (int r = 0; r < document.rowCount(); ++r) {
        if (document.isComment(r))
            continue;
        RecordCells cells = document.cells(r);
        SimplifiedEntry entry;
        entry.line = r + 1;
        entry.pov = cells[KeyColumn] == "-3";
        entry.simName = removeSim ? withoutSimPrefix(cells[SimNameColumn]) : std::move(cells[SimNameColumn]);
        entry.keys = keysText(cells);
        entry.description = std::move(cells[DescriptionColumn]);
        list.m_entries.push_back(std::move(entry));
    }
    return list;
}

std::string SimplifiedList::cell(int row, int column) const
{
    const SimplifiedEntry& e = m_entries[static_cast<std::size_t>(row)];
    switch (column) {
    case 0:
        return std::to_string(e.line);
    case 1:
        return e.simName;
    case 2:
        return e.keys;
    case 3:
        return e.description;
    default:
        return {};
    }
}

void SimplifiedList::removeSimFromNames()
{
    for (auto& e : m_entries)
        e.simName = withoutSimPrefix(e.simName);
}

void SimplifiedList::sortRows(int firstColumn, int lastColumn, SortOrder order)
{
    const auto [first, last] = columnRange(firstColumn, lastColumn, ColumnCount);
    const std::size_t width = static_cast<std::size_t>(last - first + 1);
    std::vector<std::string> keys;
    keys.reserve(m_entries.size() * width);
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = first; c <= last; ++c)
            keys.push_back(cell(r, c));
    }
    std::vector<SimplifiedEntry> sorted;
    sorted.reserve(m_entries.size());
    for (const auto i : genericSortOrder(keys, width, order))
        sorted.push_back(std::move(m_entries[i]));
    m_entries = std::move(sorted);
}

std::string SimplifiedList::toText() const
{
    std::string out;
    std::size_t size = 0;
    for (const auto& e : m_entries)
        size += e.simName.size() + e.keys.size() + e.description.size() + 5;
    out.reserve(size);
    for (const auto& e : m_entries) {
        std::string line = " " + e.simName + " " + e.keys + " " + e.description;
        out += trimSpaces(line);
        out += "\r\n";
    }
    return out;
}

} // namespace core
