#include "SimplifiedList.h"

#include <algorithm>

namespace core {

std::string keysText(const RecordCells& cells)
{
    return keysText(Binding::of(cells));
}

std::string_view simPrefixStripped(std::string_view name)
{
    if (name.size() > 3 && (name[0] == 's' || name[0] == 'S') && (name[1] == 'i' || name[1] == 'I')
        && (name[2] == 'm' || name[2] == 'M'))
        name.remove_prefix(3);
    return name;
}

std::string withoutSimPrefix(std::string_view name)
{
    return std::string(simPrefixStripped(name));
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

namespace {

// " " + name + " " + keys + " " + description, without the spaces at either end, and CRLF.
void appendListLine(std::string& out, std::string_view name, const Binding& binding, std::string_view description)
{
    const std::size_t start = out.size();
    out += name;
    out += ' ';
    appendKeysText(out, binding);
    out += ' ';
    out += description;
    const std::size_t last = out.find_last_not_of(' ');
    out.resize(last == std::string::npos || last < start ? start : last + 1);
    const std::size_t first = out.find_first_not_of(' ', start);
    out.erase(start, (first == std::string::npos ? out.size() : first) - start);
    out += "\r\n";
}

std::string_view withoutSim(std::string_view name, bool removeSim)
{
    return removeSim ? simPrefixStripped(name) : name;
}

} // namespace

void appendListText(std::string& out, const KeyDocument& document, bool removeSim, int fromRow, int toRow)
{
    // One pass over the lines; the document's own cache of bindings is not needed for it.
    RecordViews views;
    for (int r = std::max(fromRow, 0); r < std::min(toRow, document.rowCount()); ++r) {
        if (document.isComment(r))
            continue;
        if (document.rowViews(r, views)) {
            appendListLine(
                out, withoutSim(views[SimNameColumn], removeSim), Binding::of(views), views[DescriptionColumn]);
        } else {
            const RecordCells cells = document.cells(r);
            appendListLine(
                out, withoutSim(cells[SimNameColumn], removeSim), Binding::of(cells), cells[DescriptionColumn]);
        }
    }
}

std::string listText(const KeyDocument& document, bool removeSim)
{
    std::string out;
    out.reserve(document.sourceBytes().size() + static_cast<std::size_t>(document.rowCount()) * 8);
    appendListText(out, document, removeSim, 0, document.rowCount());
    return out;
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
