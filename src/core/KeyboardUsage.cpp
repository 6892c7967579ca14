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

std::optional<CountingKey> countingKeyOfRow(const KeyDocument& document, int row)
{
    if (document.isComment(row))
        return std::nullopt;
    // Reading the keyboard needs the cells up to the combination key only.
    const RecordCells cells = document.cells(row, ComboKeyColumn);
    return countingKey(cells[KeyColumn], cells[ModifierColumn], cells[ComboKeyColumn]);
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
        const RecordCells keys = document.cells(r, ModifierColumn);
        if (keyRowOfCell(keys[KeyColumn]) != tableRow)
            continue;
        const auto value = readWholeNumber(keys[ModifierColumn]);
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
