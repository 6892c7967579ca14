// Reads arbitrary bytes as a key file, edits some rows, and checks the views made from the document against its
// cells: the simplified list and its keys texts, the Cougar and TARGET macro texts, the printed reference's data and
// web page, and the keyboard usage with the hover answers for every key and modifier value.

#include "FuzzCheck.h"

#include "core/CougarMacros.h"
#include "core/GenericOrder.h"
#include "core/KeyCodeTable.h"
#include "core/KeyDocument.h"
#include "core/KeyboardUsage.h"
#include "core/Reference.h"
#include "core/SimplifiedList.h"
#include "core/TargetMacros.h"
#include "core/TextDecoding.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using core::KeyboardUsage;
using core::KeyCodeTable;
using core::KeyDocument;
using core::KeyUse;
using core::RecordCells;
using core::SimplifiedEntry;
using core::SimplifiedList;

namespace {

constexpr std::size_t kModifiers = KeyboardUsage::ModifierCount;
constexpr std::size_t kKeys = KeyCodeTable::KeyCount;

bool hasLineEnd(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// Swaps the key and modifier cells with the combination key and modifier cells of every third record row, so that
// the views also read rows whose cells the document keeps itself.
void editSomeRows(KeyDocument& doc, unsigned seed)
{
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (doc.isComment(r) || (static_cast<unsigned>(r) + seed) % 3 != 0)
            continue;
        const RecordCells cells = doc.cells(r);
        FUZZ_CHECK(doc.setCell(r, core::KeyColumn, cells[core::ComboKeyColumn]));
        FUZZ_CHECK(doc.setCell(r, core::ModifierColumn, cells[core::ComboModifierColumn]));
        FUZZ_CHECK(doc.setCell(r, core::ComboKeyColumn, cells[core::KeyColumn]));
        FUZZ_CHECK(doc.setCell(r, core::ComboModifierColumn, cells[core::ModifierColumn]));
    }
}

void checkSimplifiedList(const KeyDocument& doc, const std::vector<RecordCells>& cells, std::string_view input)
{
    const SimplifiedList plain = SimplifiedList::build(doc, false);
    const SimplifiedList stripped = SimplifiedList::build(doc, true);

    // One entry per record row that is not a comment, in document order, made from the row's cells.
    std::size_t n = 0;
    for (int r = 0; r < doc.rowCount(); ++r) {
        const RecordCells& row = cells[static_cast<std::size_t>(r)];
        const std::string keys = core::keysText(row);
        FUZZ_CHECK(!hasLineEnd(keys));
        if (doc.isComment(r))
            continue;
        FUZZ_CHECK(n < plain.entries().size() && n < stripped.entries().size());
        const SimplifiedEntry& entry = plain.entries()[n];
        FUZZ_CHECK(entry.line == doc.lineNumber(r) && entry.row == r);
        FUZZ_CHECK(entry.simName == row[core::SimNameColumn]);
        FUZZ_CHECK(entry.keys == keys);
        FUZZ_CHECK(entry.description == row[core::DescriptionColumn]);
        FUZZ_CHECK(entry.pov == (row[core::KeyColumn] == "-3"));
        const SimplifiedEntry& other = stripped.entries()[n];
        FUZZ_CHECK(other.simName == core::withoutSimPrefix(row[core::SimNameColumn]));
        FUZZ_CHECK(other.line == entry.line && other.keys == entry.keys && other.description == entry.description
            && other.pov == entry.pov);
        ++n;
    }
    FUZZ_CHECK(plain.entries().size() == n && stripped.entries().size() == n);

    for (int i = 0; i < plain.rowCount(); ++i) {
        const SimplifiedEntry& e = plain.entries()[static_cast<std::size_t>(i)];
        FUZZ_CHECK(plain.cell(i, 0) == std::to_string(e.line));
        FUZZ_CHECK(plain.cell(i, 1) == e.simName);
        FUZZ_CHECK(plain.cell(i, 2) == e.keys);
        FUZZ_CHECK(plain.cell(i, 3) == e.description);
        FUZZ_CHECK(plain.cell(i, SimplifiedList::ColumnCount).empty());
    }

    // One text line per entry, each ended by CRLF.
    const std::string text = plain.toText();
    std::size_t lineEnds = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
        if (text[i] == '\r') {
            FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
            ++lineEnds;
        }
    }
    FUZZ_CHECK(lineEnds == n);

    // The Cougar macro text is the lines of the entries that give one, each ended by CRLF; the cells hold no line
    // ends, so the text has no other CR or LF.
    for (const SimplifiedList* list : {&plain, &stripped}) {
        for (const bool removeSim : {false, true}) {
            const std::string macros = core::fillCougarMacros(doc, list->entries(), removeSim);
            std::string expected;
            for (const SimplifiedEntry& entry : list->entries()) {
                const std::optional<std::string> line = core::cougarMacroLine(entry, doc.binding(entry.row), removeSim);
                if (entry.pov)
                    FUZZ_CHECK(!line);
                if (!line)
                    continue;
                FUZZ_CHECK(!hasLineEnd(*line));
                FUZZ_CHECK(contains(*line, " = "));
                // A "^" in the name or the keys, "Unassigned", "Not found" or "???" in the keys, and a Windows key
                // with other keys make the line a comment.
                const std::string& keys = entry.keys;
                const bool windowsKeyWithOthers = (contains(keys, "WinL") && keys != "WinL")
                    || (contains(keys, "WinR") && keys != "WinR") || (contains(keys, "Apps") && keys != "Apps");
                if (contains(entry.simName, "^") || contains(keys, "^") || contains(keys, "Unassigned")
                    || contains(keys, "Not found") || contains(keys, "???") || windowsKeyWithOthers)
                    FUZZ_CHECK(line->starts_with("Rem "));
                expected += *line;
                expected += "\r\n";
            }
            FUZZ_CHECK(macros == expected);
            for (std::size_t i = 0; i < macros.size(); ++i) {
                if (macros[i] == '\r')
                    FUZZ_CHECK(i + 1 < macros.size() && macros[i + 1] == '\n');
                if (macros[i] == '\n')
                    FUZZ_CHECK(i > 0 && macros[i - 1] == '\r');
            }
        }
    }
}

// The TARGET text: one line per key line, each a define, a commented define or a headline's comment, ended by
// CRLF; every name defined once.
void checkTargetMacros(const KeyDocument& doc)
{
    std::vector<int> rows;
    for (int r = doc.rowCount() - 1; r >= 0; --r)
        rows.push_back(r);
    for (const bool removeSim : {false, true}) {
        const std::string text = core::fillTargetMacros(doc, rows, removeSim);
        std::set<std::string> names;
        std::size_t keyLines = 0;
        for (int r = 0; r < doc.rowCount(); ++r)
            keyLines += doc.binding(r).isKey() ? 1 : 0;
        std::size_t lines = 0;
        for (std::size_t start = 0; start < text.size(); ++lines) {
            const std::size_t end = text.find("\r\n", start);
            FUZZ_CHECK(end != std::string::npos);
            const std::string_view line = std::string_view(text).substr(start, end - start);
            FUZZ_CHECK(!hasLineEnd(line));
            start = end + 2;
            if (line.starts_with("// ") || line.starts_with("//define "))
                continue;
            FUZZ_CHECK(line.starts_with("define "));
            const std::size_t tab = line.find('\t');
            FUZZ_CHECK(tab != std::string_view::npos && tab > 7);
            const std::string name(line.substr(7, tab - 7));
            FUZZ_CHECK(!(name[0] >= '0' && name[0] <= '9'));
            for (const char c : name)
                FUZZ_CHECK((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
            FUZZ_CHECK(names.insert(name).second);
            const std::size_t remark = line.find("\t\t//", tab + 1);
            FUZZ_CHECK(remark != std::string_view::npos && remark > tab + 1);
            const std::string_view keys = line.substr(tab + 1, remark - tab - 1);
            FUZZ_CHECK(keys.find("USB[0x") != std::string_view::npos);
        }
        FUZZ_CHECK(lines <= keyLines);
    }
}

// The printed reference's data and web page: every bound function once, the page free of control characters.
void checkReference(const KeyDocument& doc)
{
    const core::Reference reference = core::Reference::build(doc, "fuzz.key");
    std::size_t entries = 0;
    for (const auto& section : reference.sections) {
        FUZZ_CHECK(section.level >= 0 && section.level <= 2);
        for (const auto& entry : section.entries) {
            FUZZ_CHECK(entry.row >= 0 && entry.row < doc.rowCount());
            FUZZ_CHECK(!doc.binding(entry.row).isHeadline() && !doc.binding(entry.row).isComment());
            ++entries;
        }
    }
    FUZZ_CHECK(reference.layers.size() <= kModifiers);
    const std::string html = core::referenceHtml(reference);
    for (const char c : html)
        FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t');
    FUZZ_CHECK(core::isValidUtf8(html));
    std::size_t rowsInPage = 0;
    for (std::size_t at = html.find("<tr>"); at != std::string::npos; at = html.find("<tr>", at + 1))
        ++rowsInPage;
    FUZZ_CHECK(rowsInPage == entries);
}

void checkKeyboardUsage(const KeyDocument& doc, const std::vector<RecordCells>& cells)
{
    // The rule, applied to the document's cells: a record row counts for a key when its key cell is not "-2", its
    // modifier cell holds the modifier value, its combination key names no key and its key cell names a key of the
    // table. The hover answer comes from the first record row with that key and modifier, combination or not.
    std::array<std::array<std::vector<int>, kKeys>, kModifiers> counting;
    std::array<std::array<int, kKeys>, kModifiers> hoverRow;
    for (auto& rows : hoverRow)
        rows.fill(-1);
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (doc.isComment(r))
            continue;
        const RecordCells& row = cells[static_cast<std::size_t>(r)];
        const std::optional<long long> modifier = core::readWholeNumber(row[core::ModifierColumn]);
        const std::optional<int> key = core::keyRowOfCell(row[core::KeyColumn]);
        if (!modifier || *modifier < 0 || *modifier >= static_cast<long long>(kModifiers) || !key)
            continue;
        const auto m = static_cast<std::size_t>(*modifier);
        const auto k = static_cast<std::size_t>(*key);
        if (hoverRow[m][k] < 0)
            hoverRow[m][k] = r;
        if (row[core::KeyColumn] != "-2" && core::namesNoKey(row[core::ComboKeyColumn]))
            counting[m][k].push_back(r);
    }

    const auto all = KeyboardUsage::computeAll(doc);
    for (std::size_t m = 0; m < kModifiers; ++m) {
        const int modifier = static_cast<int>(m);
        const KeyboardUsage usage = KeyboardUsage::compute(doc, modifier);
        FUZZ_CHECK(usage.modifier() == modifier);
        FUZZ_CHECK(all[m].modifier() == modifier);
        for (std::size_t k = 0; k < kKeys; ++k) {
            const int tableRow = static_cast<int>(k);
            const core::KeyUsage& key = usage.forTableRow(tableRow);
            FUZZ_CHECK(key.rows == counting[m][k]);
            FUZZ_CHECK((key.use == KeyUse::Free) == key.rows.empty());
            FUZZ_CHECK((key.use == KeyUse::Assigned) == (key.rows.size() == 1));
            FUZZ_CHECK((key.use == KeyUse::Multiple) == (key.rows.size() >= 2));
            FUZZ_CHECK(all[m].forTableRow(tableRow).use == key.use);
            FUZZ_CHECK(all[m].forTableRow(tableRow).rows == key.rows);

            const core::HoverAnswer hover = core::hoverAnswer(doc, usage, tableRow, modifier);
            FUZZ_CHECK(hover.scanCodeText == KeyCodeTable::row(tableRow).scanCodeText);
            FUZZ_CHECK(hover.assigned == (key.use != KeyUse::Free));
            if (!hover.assigned) {
                FUZZ_CHECK(!hover.matched && hover.simName.empty() && hover.description.empty());
                continue;
            }
            // A counting row has the key and the modifier itself, so a used key always finds its line.
            FUZZ_CHECK(hover.matched);
            FUZZ_CHECK(hoverRow[m][k] >= 0);
            const RecordCells& row = cells[static_cast<std::size_t>(hoverRow[m][k])];
            FUZZ_CHECK(hover.simName == row[core::SimNameColumn]);
            FUZZ_CHECK(hover.description == row[core::DescriptionColumn]);
        }
        for (const int outside : {-1, KeyCodeTable::KeyCount, KeyCodeTable::RowCount}) {
            const core::HoverAnswer hover = core::hoverAnswer(doc, usage, outside, modifier);
            FUZZ_CHECK(hover.scanCodeText.empty() && !hover.assigned && !hover.matched);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    KeyDocument doc = KeyDocument::fromBytes(std::string(input));
    const unsigned seed = size > 0 ? data[0] : 0;
    if (seed & 1)
        editSomeRows(doc, seed / 2);

    std::vector<RecordCells> cells;
    cells.reserve(static_cast<std::size_t>(doc.rowCount()));
    for (int r = 0; r < doc.rowCount(); ++r)
        cells.push_back(doc.cells(r));

    checkSimplifiedList(doc, cells, input);
    checkTargetMacros(doc);
    checkReference(doc);
    checkKeyboardUsage(doc, cells);
    return 0;
}
