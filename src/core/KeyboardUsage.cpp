#include "KeyboardUsage.h"

#include "GenericOrder.h"

#include <string_view>

namespace core {

namespace {

// The modifier value a record counts for on the keyboard, with the key's table row; nothing when it counts for no
// key at all.
struct CountingKey
{
    int modifier;
    int tableRow;
};

std::optional<CountingKey> countingKey(std::string_view key, std::string_view modifierCell, std::string_view comboKey)
{
    if (key == "-2")
        return std::nullopt;
    const auto modifier = readWholeNumber(modifierCell);
    if (!modifier || *modifier < 0 || *modifier >= KeyboardUsage::ModifierCount)
        return std::nullopt;
    if (!namesNoKey(comboKey))
        return std::nullopt;
    const auto tableRow = keyRowOfCell(key);
    if (!tableRow)
        return std::nullopt;
    return CountingKey{static_cast<int>(*modifier), *tableRow};
}

// Cells 4, 5 and 6 of a record line, split as splitRecordLine splits it (words at runs of spaces, each word at its
// tabs, the description from a word after the first that begins with a double quote to the end of the line, with
// one space after it), but without building the other cells. Reading the keyboard needs only these three.
std::array<std::string, 3> keyCells(std::string_view line)
{
    std::array<std::string, 3> cells;
    int field = 0; // cell field + 1
    // Stores the tab-separated pieces of `text` that fall on cells 4 to 6; false once cell 6 has been filled.
    const auto take = [&cells, &field](std::string_view text, bool spaceAfter) {
        for (;;) {
            const std::size_t tab = text.find('\t');
            if (field >= 3) {
                std::string& cell = cells[static_cast<std::size_t>(field - 3)];
                cell.assign(text.substr(0, tab));
                if (tab == std::string_view::npos && spaceAfter)
                    cell += ' ';
            }
            if (++field >= 6)
                return false;
            if (tab == std::string_view::npos)
                return true;
            text.remove_prefix(tab + 1);
        }
    };
    line = trimSpaces(line);
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t space = line.find(' ', pos);
        const std::size_t end = space == std::string_view::npos ? line.size() : space;
        if (!take(line.substr(pos, end - pos), false))
            break;
        pos = line.find_first_not_of(' ', end);
        if (pos == std::string_view::npos)
            break;
        if (line[pos] == '"') {
            take(line.substr(pos), true);
            break;
        }
    }
    return cells;
}

// Cells 4 to 6 of a row that is not a comment; an edited row has its own cells.
std::array<std::string, 3> keyCellsOfRow(const KeyDocument& document, int row)
{
    if (!document.isEdited(row))
        return keyCells(document.lineText(row));
    RecordCells cells = document.cells(row);
    return {std::move(cells[KeyColumn]), std::move(cells[ModifierColumn]), std::move(cells[ComboKeyColumn])};
}

std::optional<CountingKey> countingKeyOfRow(const KeyDocument& document, int row)
{
    if (document.isComment(row))
        return std::nullopt;
    const auto cells = keyCellsOfRow(document, row);
    return countingKey(cells[0], cells[1], cells[2]);
}

void settleUse(KeyUsage& usage)
{
    usage.use = usage.rows.empty() ? KeyUse::Free : usage.rows.size() == 1 ? KeyUse::Assigned : KeyUse::Multiple;
}

} // namespace

KeyboardUsage::KeyboardUsage() = default;

KeyboardUsage KeyboardUsage::compute(const KeyDocument& document, int modifier)
{
    KeyboardUsage usage;
    usage.m_modifier = modifier;
    for (int r = 0; r < document.rowCount(); ++r) {
        const auto counting = countingKeyOfRow(document, r);
        if (counting && counting->modifier == modifier)
            usage.m_keys[static_cast<std::size_t>(counting->tableRow)].rows.push_back(r);
    }
    for (auto& key : usage.m_keys)
        settleUse(key);
    return usage;
}

std::array<KeyboardUsage, KeyboardUsage::ModifierCount> KeyboardUsage::computeAll(const KeyDocument& document)
{
    std::array<KeyboardUsage, ModifierCount> all;
    for (int m = 0; m < ModifierCount; ++m)
        all[static_cast<std::size_t>(m)].m_modifier = m;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (const auto counting = countingKeyOfRow(document, r)) {
            auto& usage = all[static_cast<std::size_t>(counting->modifier)];
            usage.m_keys[static_cast<std::size_t>(counting->tableRow)].rows.push_back(r);
        }
    }
    for (auto& usage : all) {
        for (auto& key : usage.m_keys)
            settleUse(key);
    }
    return all;
}

HoverAnswer hoverAnswer(const KeyDocument& document, const KeyboardUsage& usage, int tableRow, int modifier)
{
    HoverAnswer answer;
    if (tableRow < 0 || tableRow >= KeyCodeTable::KeyCount)
        return answer;
    answer.scanCodeText = KeyCodeTable::row(tableRow).scanCodeText;
    answer.assigned = usage.forTableRow(tableRow).use != KeyUse::Free;
    if (!answer.assigned)
        return answer;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (document.isComment(r))
            continue;
        const auto keys = keyCellsOfRow(document, r);
        if (keyRowOfCell(keys[0]) != tableRow)
            continue;
        const auto value = readWholeNumber(keys[1]);
        if (!value || *value != modifier)
            continue;
        RecordCells cells = document.cells(r);
        answer.matched = true;
        answer.simName = std::move(cells[SimNameColumn]);
        answer.description = std::move(cells[DescriptionColumn]);
        break;
    }
    return answer;
}

const char* keyUseName(KeyUse use)
{
    switch (use) {
    case KeyUse::Assigned:
        return "assigned";
    case KeyUse::Multiple:
        return "multiple";
    case KeyUse::Free:
        break;
    }
    return "free";
}

} // namespace core
