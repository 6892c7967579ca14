#include "SimplifiedList.h"

namespace core {

std::string keysText(const RecordCells& cells)
{
    return keysText(Binding::of(cells));
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
        const Binding& binding = document.binding(r);
        SimplifiedEntry entry;
        entry.row = r;
        entry.line = document.lineNumber(r);
        entry.pov = binding.kind == RecordKind::Pov;
        entry.simName = removeSim ? withoutSimPrefix(cells[SimNameColumn]) : std::move(cells[SimNameColumn]);
        entry.keys = keysText(binding);
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

std::string listText(const std::vector<SimplifiedEntry>& entries)
{
    std::string out;
    std::size_t size = 0;
    for (const auto& e : entries)
        size += e.simName.size() + e.keys.size() + e.description.size() + 5;
    out.reserve(size);
    for (const auto& e : entries) {
        std::string line = " " + e.simName + " " + e.keys + " " + e.description;
        out += trimSpaces(line);
        out += "\r\n";
    }
    return out;
}

} // namespace core
