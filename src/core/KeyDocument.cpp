#include "KeyDocument.h"

#include <algorithm>

namespace core {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

const std::array<std::string_view, ColumnCount>& columnHeaders()
{
    static constexpr std::array<std::string_view, ColumnCount> headers{"Line", "Sim name", "Cockpit ID", "Ignored",
        "Keys", "Modifiers", "Keys", "Modifiers", "Assignable", "Description"};
    return headers;
}

bool isCommentLine(std::string_view line)
{
    const auto first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '#';
}

RecordCells splitRecordLine(std::string_view line, int lastColumn)
{
    line = trimSpaces(line);
    RecordCells cells;
    const std::size_t last = static_cast<std::size_t>(std::clamp(lastColumn, 1, ColumnCount - 1));
    std::size_t fields = 0;
    // Fields fill cells 1 to 9; any beyond the ninth join the ninth, after a space. Returns the cell written, or
    // nothing once the cells asked for are filled.
    const auto add = [&cells, &fields, last](std::string_view text) -> std::string* {
        if (fields >= last && last < ColumnCount - 1)
            return nullptr;
        std::string* cell = &cells[std::min<std::size_t>(fields + 1, ColumnCount - 1)];
        if (fields < ColumnCount - 1) {
            cell->assign(text);
        } else {
            *cell += ' ';
            cell->append(text);
        }
        ++fields;
        return cell;
    };
    // Tabs inside a field split it, as they do in the grid's row text. Returns the cell of the last piece.
    const auto addSplit = [&add](std::string_view text) -> std::string* {
        for (std::size_t tab = text.find('\t'); tab != std::string_view::npos; tab = text.find('\t')) {
            if (!add(text.substr(0, tab)))
                return nullptr;
            text.remove_prefix(tab + 1);
        }
        return add(text);
    };

    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t space = line.find(' ', pos);
        const std::size_t end = space == std::string_view::npos ? line.size() : space;
        if (!addSplit(line.substr(pos, end - pos)))
            break;
        pos = line.find_first_not_of(' ', end);
        if (pos == std::string_view::npos)
            break;
        // A word after which the rest of the line begins with a quote hands the rest over as the description,
        // which ends with one space.
        if (line[pos] == '"') {
            if (std::string* lastPiece = addSplit(line.substr(pos)))
                *lastPiece += ' ';
            break;
        }
    }
    return cells;
}

std::string normalisedLine(const RecordCells& cells)
{
    std::string text;
    for (int c = SimNameColumn; c < ColumnCount; ++c) {
        text += ' ';
        text += cells[static_cast<std::size_t>(c)];
    }
    // One record is one line, whatever an edit put into a cell.
    std::replace_if(
        text.begin(), text.end(), [](char ch) { return ch == '\r' || ch == '\n'; }, ' ');
    return std::string(trimSpaces(text));
}

KeyDocument KeyDocument::fromBytes(std::string bytes)
{
    KeyDocument doc;
    doc.m_source = std::move(bytes);
    doc.m_state = SavedState::Saved;
    const std::string_view src(doc.m_source);
    if (src.starts_with(kByteOrderMark))
        doc.m_bodyStart = kByteOrderMark.size();

    std::size_t pos = doc.m_bodyStart;
    std::size_t blankStart = pos;
    std::uint32_t number = 0;
    while (pos < src.size()) {
        const std::size_t end = src.find_first_of("\r\n", pos);
        const std::size_t lineEnd = end == std::string_view::npos ? src.size() : end;
        std::uint8_t eol = 0;
        if (lineEnd < src.size())
            eol = (src[lineEnd] == '\r' && lineEnd + 1 < src.size() && src[lineEnd + 1] == '\n') ? 2 : 1;
        const std::string_view line = src.substr(pos, lineEnd - pos);
        if (!trimSpaces(line).empty()) {
            Row row;
            row.before = blankStart;
            row.start = pos;
            row.length = line.size();
            row.lineEnd = eol;
            row.number = ++number;
            row.comment = isCommentLine(line);
            doc.m_rows.push_back(row);
            blankStart = lineEnd + eol;
        }
        pos = lineEnd + eol;
    }
    doc.m_after = blankStart;
    return doc;
}

std::string KeyDocument::toBytes() const
{
    const std::string_view src(m_source);
    std::string out;
    out.reserve(m_source.size() + 16);
    out.append(src.substr(0, m_bodyStart));
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        out.append(src.substr(row.before, row.start - row.before));
        if (row.edited >= 0)
            out += normalisedLine(m_editedCells[static_cast<std::size_t>(row.edited)]);
        else
            out.append(rawLine(row));
        if (row.lineEnd > 0)
            out.append(src.substr(row.start + row.length, row.lineEnd));
        else if (i + 1 < m_rows.size())
            out += "\r\n"; // the file's last line, moved up by a sort
    }
    if (m_after < src.size())
        out.append(src.substr(m_after));
    // A line that begins with the bytes of a byte order mark, sorted or edited to the top of a file without one,
    // would lose them to the next reading; a line end in front keeps them in the line.
    if (m_bodyStart == 0 && std::string_view(out).starts_with(kByteOrderMark))
        out.insert(0, "\r\n");
    return out;
}

RecordCells KeyDocument::cells(int row, int lastColumn) const
{
    const Row& r = m_rows[idx(row)];
    if (r.edited >= 0)
        return m_editedCells[static_cast<std::size_t>(r.edited)];
    RecordCells result;
    if (r.comment)
        result[SimNameColumn].assign(rawLine(r));
    else
        result = splitRecordLine(rawLine(r), lastColumn);
    result[LineColumn] = std::to_string(r.number);
    return result;
}

std::string KeyDocument::cell(int row, int column) const
{
    if (column < 0 || column >= ColumnCount)
        return {};
    const Row& r = m_rows[idx(row)];
    if (r.edited >= 0)
        return m_editedCells[static_cast<std::size_t>(r.edited)][static_cast<std::size_t>(column)];
    if (column == LineColumn)
        return std::to_string(r.number);
    if (r.comment)
        return column == SimNameColumn ? std::string(rawLine(r)) : std::string();
    return std::move(splitRecordLine(rawLine(r), column)[static_cast<std::size_t>(column)]);
}

std::string KeyDocument::lineText(int row) const
{
    const Row& r = m_rows[idx(row)];
    if (r.edited >= 0)
        return normalisedLine(m_editedCells[static_cast<std::size_t>(r.edited)]);
    return std::string(rawLine(r));
}

bool KeyDocument::isEditable(int row, int column) const
{
    return row >= 0 && row < rowCount() && column > LineColumn && column < ColumnCount && !m_rows[idx(row)].comment;
}

bool KeyDocument::setCell(int row, int column, std::string text)
{
    if (!isEditable(row, column))
        return false;
    Row& r = m_rows[idx(row)];
    if (r.edited < 0) {
        m_editedCells.push_back(cells(row));
        r.edited = static_cast<std::int32_t>(m_editedCells.size() - 1);
    }
    m_editedCells[static_cast<std::size_t>(r.edited)][static_cast<std::size_t>(column)] = std::move(text);
    m_state = SavedState::Modified;
    return true;
}

void KeyDocument::sortRows(int firstColumn, int lastColumn, SortOrder order)
{
    const auto [first, last] = columnRange(firstColumn, lastColumn, ColumnCount);
    // Split every row once, as far as the last key column, keeping only the key columns.
    const std::size_t width = static_cast<std::size_t>(last - first + 1);
    std::vector<std::string> keys(m_rows.size() * width);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        RecordCells rowCells = cells(static_cast<int>(i), last);
        for (std::size_t k = 0; k < width; ++k)
            keys[i * width + k] = std::move(rowCells[static_cast<std::size_t>(first) + k]);
    }
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (const auto i : genericSortOrder(keys, width, order))
        sorted.push_back(m_rows[i]);
    m_rows = std::move(sorted);
}

} // namespace core
