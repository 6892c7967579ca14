#include "KeyboardUsage.h"

#include "Binding.h"
#include "Parallel.h"

namespace core {

namespace {

// The key and modifier value a record counts for on the keyboard: a key line whose key is a key of the table, whose
// modifier is a whole number 0 to 7 and whose combination key names no key.
struct CountingKey
{
    int modifier;
    int tableRow;
};

std::optional<CountingKey> countingKey(const Binding& b)
{
    if (!b.isKey() || !b.key.isTableKey() || !b.modifier.isValid() || !b.combo.namesNoKey())
        return std::nullopt;
    return CountingKey{b.modifier.value, b.key.tableRow};
}

void settleUse(KeyUsage& usage)
{
    usage.use = usage.count == 0 ? KeyUse::Free : usage.count == 1 ? KeyUse::Assigned : KeyUse::Multiple;
}

} // namespace

KeyboardUsage::KeyboardUsage() = default;

KeyboardUsage KeyboardUsage::compute(const KeyDocument& document, int modifier)
{
    // A big document is read in chunks side by side, whose rows are then put one after the other.
    const int rows = document.rowCount();
    const unsigned chunks = rows < ParallelRows ? 1 : workerThreads();
    std::vector<std::array<std::vector<int>, KeyCodeTable::KeyCount>> found(chunks);
    runSideBySide(chunks, [&](unsigned chunk) {
        const int end = partStart(rows, chunk + 1, chunks);
        for (int r = partStart(rows, chunk, chunks); r < end; ++r) {
            const auto counting = countingKey(document.bindingOnce(r));
            if (counting && counting->modifier == modifier)
                found[chunk][static_cast<std::size_t>(counting->tableRow)].push_back(r);
        }
    });
    KeyboardUsage usage;
    usage.m_modifier = modifier;
    for (std::size_t key = 0; key < usage.m_keys.size(); ++key) {
        std::vector<int>& keyRows = usage.m_keys[key].rows;
        keyRows = std::move(found.front()[key]);
        for (std::size_t chunk = 1; chunk < found.size(); ++chunk)
            keyRows.insert(keyRows.end(), found[chunk][key].begin(), found[chunk][key].end());
        usage.m_keys[key].count = keyRows.size();
        settleUse(usage.m_keys[key]);
    }
    return usage;
}

std::array<KeyboardUsage, KeyboardUsage::ModifierCount> KeyboardUsage::computeAll(
    const KeyDocument& document, std::size_t rowsKept)
{
    std::array<KeyboardUsage, ModifierCount> all;
    for (int m = 0; m < ModifierCount; ++m)
        all[static_cast<std::size_t>(m)].m_modifier = m;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (const auto counting = countingKey(document.binding(r))) {
            KeyUsage& key = all[static_cast<std::size_t>(counting->modifier)]
                                .m_keys[static_cast<std::size_t>(counting->tableRow)];
            if (key.count++ < rowsKept)
                key.rows.push_back(r);
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
        const Binding& b = document.binding(r);
        if (b.kind != RecordKind::Key || b.key.tableRow != tableRow || b.modifier.value != modifier)
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
