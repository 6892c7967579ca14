// Reads arbitrary bytes as a key file and checks what the document promises: an unchanged document is written back
// byte for byte, its rows are the file's non-blank lines split into cells as the format says, an edited row reads
// back as edited, a row put back to its state as read writes the file's own bytes again, and the generic sort
// order of its cells is a stable order.

#include "FuzzCheck.h"
#include "KeyFileLines.h"

#include "core/Binding.h"
#include "core/GenericOrder.h"
#include "core/KeyDocument.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using core::ColumnCount;
using core::KeyDocument;
using core::RecordCells;
using core::SortOrder;

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Cells 1 to 9 of a record line, built from a list of fields rather than cell by cell: the words between runs of
// spaces, except that a word after the first that begins with a double quote starts the description, which runs to
// the end of the line and gets one space after it; every field is cut at its tabs; the pieces fill cells 1 to 8
// and the ninth cell holds the ninth and all later pieces, joined by spaces.
RecordCells referenceCells(std::string_view line)
{
    line = core::trimSpaces(line);
    std::vector<std::string> pieces;
    const auto cutAtTabs = [&pieces](std::string_view field) {
        for (;;) {
            const std::size_t tab = field.find('\t');
            pieces.emplace_back(field.substr(0, tab));
            if (tab == std::string_view::npos)
                return;
            field.remove_prefix(tab + 1);
        }
    };
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (pos > 0 && line[pos] == '"') {
            cutAtTabs(line.substr(pos));
            pieces.back() += ' ';
            break;
        }
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        cutAtTabs(line.substr(pos, end - pos));
        pos = line.find_first_not_of(' ', end);
    }
    RecordCells cells;
    constexpr std::size_t lastCell = ColumnCount - 1;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i + 1 < lastCell) {
            cells[i + 1] = pieces[i];
        } else {
            if (i + 1 > lastCell)
                cells[lastCell] += ' ';
            cells[lastCell] += pieces[i];
        }
    }
    return cells;
}

// Cells 1 to 9 equal; the record number may differ.
bool sameRecord(const RecordCells& a, const RecordCells& b)
{
    return std::equal(a.begin() + 1, a.end(), b.begin() + 1);
}

int compareRows(const RecordCells& a, const RecordCells& b, int first, int last)
{
    for (int c = first; c <= last; ++c) {
        const int result = core::genericCompare(a[static_cast<std::size_t>(c)], b[static_cast<std::size_t>(c)]);
        if (result != 0)
            return result;
    }
    return 0;
}

// True when in every column first..last the cells of all rows read as numbers, or those of no row do. The generic
// order is then a total order on the rows; a column that mixes numbers and text can make it go round in a circle
// ("2" < "10" as numbers, "10" < "1a" and "1a" < "2" as text), and then no order of the rows is sorted.
bool orderIsTotal(const std::vector<RecordCells>& rows, int first, int last)
{
    for (int c = first; c <= last; ++c) {
        std::size_t numbers = 0;
        for (const auto& row : rows)
            numbers += core::readNumber(row[static_cast<std::size_t>(c)]).has_value() ? 1 : 0;
        if (numbers != 0 && numbers != rows.size())
            return false;
    }
    return true;
}

struct SortChoice
{
    int first = 0;
    int last = 0;
    SortOrder order = SortOrder::Ascending;
};

// The columns to sort by and the order, taken from the input. -1 and 10 lie outside the grid: the range is clamped.
SortChoice sortChoice(std::string_view input)
{
    if (input.empty())
        return {};
    const auto a = static_cast<unsigned char>(input.front());
    const auto b = static_cast<unsigned char>(input.back());
    const auto c = static_cast<unsigned char>(input[input.size() / 2]);
    return {a % 12 - 1, b % 12 - 1, (c & 1) ? SortOrder::Descending : SortOrder::Ascending};
}

// The generic sort order of the rows' cells, as the grids sort them: a permutation, sorted where the order is total,
// and stable among equal rows.
void checkSort(const std::vector<RecordCells>& cells, const SortChoice& choice)
{
    const auto [first, last] = core::columnRange(choice.first, choice.last, ColumnCount);
    const std::size_t width = static_cast<std::size_t>(last - first + 1);
    std::vector<std::string> keys;
    for (const auto& row : cells)
        for (int c = first; c <= last; ++c)
            keys.push_back(row[static_cast<std::size_t>(c)]);
    const std::vector<std::size_t> from = core::genericSortOrder(keys, width, choice.order);
    FUZZ_CHECK(from.size() == cells.size());
    std::vector<bool> seen(cells.size(), false);
    for (const std::size_t i : from) {
        FUZZ_CHECK(i < cells.size() && !seen[i]);
        seen[i] = true;
    }
    if (orderIsTotal(cells, first, last)) {
        for (std::size_t i = 1; i < from.size(); ++i) {
            const int c = compareRows(cells[from[i - 1]], cells[from[i]], first, last);
            FUZZ_CHECK(choice.order == SortOrder::Ascending ? c <= 0 : c >= 0);
            if (c == 0)
                FUZZ_CHECK(from[i - 1] < from[i]);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const KeyDocument doc = KeyDocument::fromBytes(input);

    // An unchanged document is written back byte for byte.
    FUZZ_CHECK(doc.toBytes() == input);
    FUZZ_CHECK(doc.sourceBytes() == input);
    FUZZ_CHECK(doc.hasByteOrderMark() == std::string_view(input).starts_with(kByteOrderMark));

    // Its rows are the non-blank lines, numbered from 1, split into cells as the format says.
    const std::vector<std::string_view> lines = fuzz::recordLines(input);
    const int rows = doc.rowCount();
    FUZZ_CHECK(rows == static_cast<int>(lines.size()));
    std::vector<RecordCells> cells(lines.size());
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const std::string line = doc.lineText(r);
        FUZZ_CHECK(line == lines[i]);
        FUZZ_CHECK(r == 0 || doc.lineNumber(r) > doc.lineNumber(r - 1));
        FUZZ_CHECK(doc.rowAtLine(doc.lineNumber(r)) == r);
        FUZZ_CHECK(!doc.isEdited(r));
        FUZZ_CHECK(doc.binding(r).isComment() == doc.isComment(r));
        (void)core::keysText(doc.binding(r));
        FUZZ_CHECK(doc.isComment(r) == core::isCommentLine(line));
        cells[i] = doc.cells(r);

        RecordCells expected;
        if (doc.isComment(r))
            expected[core::SimNameColumn] = line;
        else
            expected = referenceCells(line);
        expected[core::LineColumn] = std::to_string(doc.lineNumber(r));
        FUZZ_CHECK(cells[i] == expected);
        // The quick splitter gives the same cells (the description without its added space), and declines only a
        // line with a tab or with fields joined into the ninth cell.
        if (!doc.isComment(r)) {
            core::RecordViews views;
            const std::string& ninth = expected[ColumnCount - 1];
            const bool joined = !ninth.empty() && ninth[0] != '"' && ninth.find(' ') != std::string::npos;
            const bool quick = core::splitRecordViews(line, views);
            FUZZ_CHECK(quick == (line.find('\t') == std::string::npos && !joined));
            for (std::size_t col = 1; quick && col < ColumnCount; ++col) {
                const std::string view(views[col]);
                FUZZ_CHECK(view == expected[col] || (col > 1 && view.starts_with('"') && view + ' ' == expected[col]));
            }
        }
        // One cell read by itself per row, the columns -1 to 10 in turn: splitting a line is what takes the time.
        const int c = r % (ColumnCount + 2) - 1;
        const bool inGrid = c >= 0 && c < ColumnCount;
        FUZZ_CHECK(doc.cell(r, c) == (inGrid ? cells[i][static_cast<std::size_t>(c)] : std::string()));
    }

    // What it writes reads back as the same records.
    const KeyDocument again = KeyDocument::fromBytes(doc.toBytes());
    FUZZ_CHECK(again.rowCount() == rows);
    for (int r = 0; r < rows; ++r)
        FUZZ_CHECK(again.cells(r) == cells[static_cast<std::size_t>(r)]);

    // Every record row whose line has no tab gets a new name, all in one document (the rows do not depend on each
    // other), and the written file must give each of them its cells back. Lines with tabs are left out: a tab splits
    // a field, so such a line can hold an empty cell or a description cut into several cells, and the normalised
    // form, which joins the cells by single spaces, cannot give those back.
    KeyDocument edited = doc;
    std::vector<bool> touched(lines.size(), false);
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        if (doc.isComment(r)) {
            FUZZ_CHECK(!edited.setCell(r, core::SimNameColumn, "x"));
            continue;
        }
        // Setting a cell to what it holds is no edit.
        FUZZ_CHECK(edited.setCell(r, core::SimNameColumn, cells[i][core::SimNameColumn]));
        FUZZ_CHECK(!edited.isEdited(r));
        if (lines[i].find('\t') != std::string_view::npos)
            continue;
        FUZZ_CHECK(edited.setCell(r, core::SimNameColumn, cells[i][core::SimNameColumn] + "Z"));
        cells[i][core::SimNameColumn] += "Z";
        touched[i] = true;
    }
    FUZZ_CHECK(!edited.setCell(-1, core::SimNameColumn, "x"));
    FUZZ_CHECK(!edited.setCell(rows, core::SimNameColumn, "x"));
    if (rows > 0) {
        FUZZ_CHECK(!edited.setCell(0, core::LineColumn, "x"));
        FUZZ_CHECK(!edited.setCell(0, ColumnCount, "x"));
    }

    const std::string written = edited.toBytes();
    const KeyDocument reread = KeyDocument::fromBytes(written);
    FUZZ_CHECK(reread.rowCount() == rows);
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        FUZZ_CHECK(edited.isEdited(r) == touched[i]);
        FUZZ_CHECK(edited.cells(r) == cells[i]);
        const std::string expectedLine = touched[i] ? core::normalisedLine(cells[i]) : std::string(lines[i]);
        FUZZ_CHECK(edited.lineText(r) == expectedLine);
        FUZZ_CHECK(reread.lineText(r) == expectedLine);
        FUZZ_CHECK(reread.isComment(r) == doc.isComment(r));
        FUZZ_CHECK(sameRecord(reread.cells(r), cells[i]));
        // Put back to its state as read, a row writes its own bytes again.
        edited.restoreRow(r, doc.rowState(r));
    }
    FUZZ_CHECK(edited.toBytes() == input);

    checkSort(cells, sortChoice(input));
    return 0;
}
