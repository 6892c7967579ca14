#include "KeyDocument.h"

#include "Binding.h"
#include "FreeSlots.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <bitset>
#include <cstddef>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <unordered_map>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif

namespace core {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Where two bytes are in 64 readable bytes at `p`: bit i of `first` set where byte i is `a`, of `second` where it
// is `b`. Sixteen bytes to a compare where the processor has SSE2 (every x86-64 one), byte by byte otherwise.
struct Masks64
{
    std::uint64_t first = 0;
    std::uint64_t second = 0;
};
Masks64 masks64(const char* p, char a, char b)
{
    Masks64 masks;
#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        masks.first |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, va)))} << (16 * i);
        masks.second |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vb)))} << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i) {
        masks.first |= std::uint64_t{p[i] == a} << i;
        masks.second |= std::uint64_t{p[i] == b} << i;
    }
#endif
    return masks;
}

// masks64 of `size` bytes at `p`, fewer than 64 at the end of a text: copied into a block of zero bytes first.
Masks64 masks64(const char* p, std::size_t size, char a, char b)
{
    if (size >= 64)
        return masks64(p, a, b);
    char block[64] = {};
    std::memcpy(block, p, size);
    return masks64(block, a, b);
}

} // namespace

const std::array<std::string_view, ColumnCount>& columnHeaders()
{
    static constexpr std::array<std::string_view, ColumnCount> headers{"Line", "Sim name", "Cockpit ID", "Ignored",
        "Keys", "Modifiers", "Keys", "Modifiers", "Assignable", "Description"};
    return headers;
}

void LineEnds::load(std::size_t block)
{
    m_block = block;
    const Masks64 masks = masks64(m_text.data() + block, m_text.size() - block, '\r', '\n');
    m_ends = masks.first | masks.second;
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

namespace {

// The first space at or after `p`, or `end`. Eight bytes at a time where a word holds them.
const char* nextSpace(const char* p, const char* const end)
{
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t ones = 0x0101010101010101ULL;
        constexpr std::uint64_t highs = 0x8080808080808080ULL;
        constexpr std::uint64_t spaces = 0x2020202020202020ULL;
        for (; end - p >= 8; p += 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            const std::uint64_t x = word ^ spaces; // a space becomes a zero byte
            // The lowest high bit set marks the first zero byte exactly (a borrow only marks bytes above it).
            if (const std::uint64_t zeros = (x - ones) & ~x & highs)
                return p + std::countr_zero(zeros) / 8;
        }
    }
    while (p < end && *p != ' ')
        ++p;
    return p;
}

// Where the spaces and tabs are in the first 64 bytes of a line, a bit per byte: the fields of most lines (all
// but a long description) lie there, and are then found by counting bits rather than by looking at bytes.
struct LineMasks
{
    std::size_t window = 0; // the bytes the masks cover: min(64, line length)
    std::uint64_t spaces = 0;
    std::uint64_t tabs = 0;

    explicit LineMasks(std::string_view line)
        : window(std::min<std::size_t>(line.size(), 64))
    {
        const Masks64 masks = masks64(line.data(), line.size(), ' ', '\t');
        spaces = masks.first;
        tabs = masks.second;
    }
    std::uint64_t words() const { return ~spaces & (window == 64 ? ~0ULL : (1ULL << window) - 1); }
};

} // namespace

bool splitRecordViews(std::string_view line, RecordViews& views)
{
    line = trimSpaces(line);
    const char* const data = line.data();
    const std::size_t size = line.size();
    const LineMasks masks(line);
    // A tab anywhere ends in a cell or in the description, which only the full splitter splits.
    if (masks.tabs != 0 || (size > masks.window && std::memchr(data + masks.window, '\t', size - masks.window)))
        return false;
    std::size_t fields = 0;
    // Fills the next cell; false for a tenth field, which joins the ninth cell: the full splitter builds that cell.
    const auto add = [&](std::size_t start, std::size_t length) {
        if (fields == ColumnCount - 1)
            return false;
        views[++fields] = std::string_view(data + start, length);
        return true;
    };
    // In the window, each field's first and last bytes are bits: a field's first byte follows a space (or starts
    // the line), its last byte precedes one (or ends the line, or the window where a space follows it).
    const std::uint64_t words = masks.words();
    std::uint64_t firsts = words & ~(words << 1);
    std::uint64_t lasts = words & ~(words >> 1);
    if (size > masks.window && data[masks.window] != ' ')
        lasts &= ~(std::uint64_t{1} << 63);
    std::size_t pos = masks.window; // where the bytes after the window's fields begin
    bool described = false;
    while (firsts != 0) {
        const auto first = static_cast<std::size_t>(std::countr_zero(firsts));
        // A field after the first that begins with a quote is the description: the rest of the line.
        if (fields > 0 && data[first] == '"') {
            if (!add(first, size - first))
                return false;
            described = true;
            break;
        }
        if (lasts == 0) { // the field runs on past the window
            pos = first;
            break;
        }
        const auto last = static_cast<std::size_t>(std::countr_zero(lasts));
        if (!add(first, last + 1 - first))
            return false;
        firsts &= firsts - 1;
        lasts &= lasts - 1;
    }
    // Past the window (lines longer than 64 bytes), byte by byte.
    while (!described) {
        while (pos < size && data[pos] == ' ')
            ++pos;
        if (pos >= size)
            break;
        if (fields > 0 && data[pos] == '"') {
            if (!add(pos, size - pos))
                return false;
            break;
        }
        const auto stop = static_cast<std::size_t>(nextSpace(data + pos, data + size) - data);
        if (!add(pos, stop - pos))
            return false;
        pos = stop;
    }
    views[0] = {};
    for (std::size_t c = fields + 1; c < ColumnCount; ++c)
        views[c] = {};
    return true;
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

KeyDocument::KeyDocument() = default;
KeyDocument::~KeyDocument() = default;
KeyDocument::KeyDocument(KeyDocument&&) noexcept = default;
KeyDocument& KeyDocument::operator=(KeyDocument&&) noexcept = default;
KeyDocument::KeyDocument(const KeyDocument&) = default;
KeyDocument& KeyDocument::operator=(const KeyDocument&) = default;

KeyDocument KeyDocument::fromBytes(std::string bytes)
{
    return fromBytes(SharedBytes(std::move(bytes)));
}

KeyDocument KeyDocument::fromBytes(SharedBytes bytes)
{
    if (bytes.size() > MaxBytes)
        throw std::length_error("A key file of more than 4 GiB");
    KeyDocument doc;
    doc.m_source = std::move(bytes);
    const std::string_view src = doc.sourceBytes();
    if (src.starts_with(kByteOrderMark))
        doc.m_bodyStart = kByteOrderMark.size();

    std::size_t pos = doc.m_bodyStart;
    std::size_t blankStart = pos;
    std::uint32_t lineNumber = 0;
    auto table = std::make_shared<RowTable>();
    std::vector<Row>& rows = table->rows;
    rows.reserve(src.size() / 48 + 16); // key file lines are 40 to 100 bytes long
    std::uint32_t lastNumber = 0;
    LineEnds ends(src);
    while (pos < src.size()) {
        const std::size_t lineEnd = ends.from(pos);
        std::size_t eol = 0;
        if (lineEnd < src.size())
            eol = (src[lineEnd] == '\r' && lineEnd + 1 < src.size() && src[lineEnd + 1] == '\n') ? 2 : 1;
        const std::string_view line = src.substr(pos, lineEnd - pos);
        ++lineNumber;
        if (!trimSpaces(line).empty()) {
            if (rows.empty() || lineNumber != lastNumber + 1)
                table->jumps.emplace_back(static_cast<std::uint32_t>(rows.size()), lineNumber);
            lastNumber = lineNumber;
            Row row;
            row.start = static_cast<std::uint32_t>(pos);
            row.length = static_cast<std::uint32_t>(std::min<std::size_t>(line.size(), Row::LongLine)) & Row::LongLine;
            row.comment = isCommentLine(line) ? 1U : 0U;
            rows.push_back(row);
            blankStart = lineEnd + eol;
        }
        pos = lineEnd + eol;
    }
    doc.m_after = blankStart;
    doc.m_rows = std::move(table);
    return doc;
}

std::uint32_t KeyDocument::RowTable::number(std::size_t row) const
{
    static_assert(sizeof(Row) == 8);
    const auto after = std::upper_bound(
        jumps.begin(), jumps.end(), row, [](std::size_t wanted, const auto& jump) { return wanted < jump.first; });
    const auto& jump = *std::prev(after);
    return jump.second + static_cast<std::uint32_t>(row - jump.first);
}

std::size_t KeyDocument::RowTable::rowAtLine(long long line) const
{
    // The last run of rows on consecutive lines that starts on `line` or before it.
    const auto after = std::upper_bound(jumps.begin(), jumps.end(), line,
        [](long long wanted, const auto& jump) { return wanted < static_cast<long long>(jump.second); });
    if (after == jumps.begin())
        return 0;
    const auto& run = *std::prev(after);
    const std::size_t runEnd = after == jumps.end() ? rows.size() : after->first;
    const auto row = static_cast<std::size_t>(line - static_cast<long long>(run.second)) + run.first;
    return std::min(row, runEnd); // past the run's end: the first row of the next run, after the blank lines
}

std::string_view KeyDocument::rawLine(const Row& row) const
{
    const std::string_view src = sourceBytes();
    if (row.length < Row::LongLine)
        return src.substr(row.start, row.length);
    const std::size_t end = src.find_first_of("\r\n", row.start);
    return src.substr(row.start, (end == std::string_view::npos ? src.size() : end) - row.start);
}

std::vector<std::string_view> KeyDocument::bytePieces(std::deque<std::string>& made) const
{
    // The rows never change place: the bytes read, with each edited line's text put in place of its own. Runs of
    // lines not edited are one piece.
    const std::string_view src = sourceBytes();
    std::vector<std::string_view> pieces;
    std::size_t copied = 0; // the source bytes before this are in `pieces`
    static const EditedRows::Slots none;
    for (const auto& [edited, slot] : m_edited ? m_edited->byRow : none) {
        const Row& row = rows()[idx(edited)];
        pieces.push_back(src.substr(copied, row.start - copied));
        pieces.push_back(made.emplace_back(normalisedLine(m_editedCells[static_cast<std::size_t>(slot)])));
        copied = std::size_t{row.start} + rawLine(row).size();
    }
    pieces.push_back(src.substr(copied));
    // A line that begins with the bytes of a byte order mark, edited to the top of a file without one, would lose
    // them to the next reading; a line end in front keeps them in the line. The mark's three bytes may lie across
    // the first pieces.
    if (m_bodyStart == 0) {
        std::string head;
        for (const std::string_view piece : pieces) {
            head.append(piece.substr(0, kByteOrderMark.size() - head.size()));
            if (head.size() == kByteOrderMark.size())
                break;
        }
        if (head == kByteOrderMark)
            pieces.insert(pieces.begin(), made.emplace_back("\r\n"));
    }
    return pieces;
}

std::string KeyDocument::toBytes() const
{
    std::deque<std::string> made;
    const std::vector<std::string_view> pieces = bytePieces(made);
    std::size_t size = 0;
    for (const std::string_view piece : pieces)
        size += piece.size();
    std::string out;
    out.reserve(size);
    for (const std::string_view piece : pieces)
        out += piece;
    return out;
}

int KeyDocument::rowAtLine(int line) const
{
    return m_rows ? static_cast<int>(m_rows->rowAtLine(line)) : 0;
}

RecordCells KeyDocument::readCells(int row, int lastColumn) const
{
    const Row& r = rowAt(row);
    RecordCells result;
    if (r.comment)
        result[SimNameColumn].assign(rawLine(r));
    else
        result = splitRecordLine(rawLine(r), lastColumn);
    result[LineColumn] = std::to_string(numberOf(row));
    return result;
}

RecordCells KeyDocument::cells(int row, int lastColumn) const
{
    if (const std::int32_t slot = editedSlot(row); slot >= 0)
        return m_editedCells[static_cast<std::size_t>(slot)];
    return readCells(row, lastColumn);
}

std::string KeyDocument::cell(int row, int column) const
{
    std::string spare;
    const std::string_view view = cellView(row, column, spare);
    return view.data() == spare.data() ? std::move(spare) : std::string(view);
}

std::string_view KeyDocument::cellView(int row, int column, std::string& spare) const
{
    spare.clear();
    if (column < 0 || column >= ColumnCount)
        return spare;
    const Row& r = rowAt(row);
    if (const std::int32_t slot = editedSlot(row); slot >= 0)
        return m_editedCells[static_cast<std::size_t>(slot)][static_cast<std::size_t>(column)];
    if (column == LineColumn)
        return spare = std::to_string(numberOf(row));
    if (r.comment)
        return column == SimNameColumn ? rawLine(r) : std::string_view(spare);
    // Most lines split into views, without a string for each cell before the one asked for (a sort of a big file
    // asks for a cell of every row). A field after the first that begins with a quote is the description, which
    // the cell holds with a space after it.
    if (RecordViews views; splitRecordViews(rawLine(r), views)) {
        const std::string_view view = views[static_cast<std::size_t>(column)];
        if (column == SimNameColumn || !view.starts_with('"'))
            return view;
        spare.reserve(view.size() + 1);
        spare.append(view);
        spare += ' ';
        return spare;
    }
    return spare = std::move(splitRecordLine(rawLine(r), column)[static_cast<std::size_t>(column)]);
}

std::string_view KeyDocument::simName(int row, std::string& spare) const
{
    const Row& r = rowAt(row);
    if (const std::int32_t slot = editedSlot(row); slot >= 0)
        return m_editedCells[static_cast<std::size_t>(slot)][SimNameColumn];
    const std::string_view line = trimSpaces(rawLine(r));
    if (!r.comment) {
        const std::string_view name
            = line.substr(0, static_cast<std::size_t>(nextSpace(line.data(), line.data() + line.size()) - line.data()));
        if (!std::memchr(name.data(), '\t', name.size()))
            return name;
    }
    spare = cell(row, SimNameColumn);
    return spare;
}

std::string KeyDocument::lineText(int row) const
{
    const Row& r = rowAt(row);
    if (const std::int32_t slot = editedSlot(row); slot >= 0)
        return normalisedLine(m_editedCells[static_cast<std::size_t>(slot)]);
    return std::string(rawLine(r));
}

bool KeyDocument::rowViews(int row, RecordViews& views) const
{
    const Row& r = rowAt(row);
    return editedSlot(row) < 0 && !r.comment && splitRecordViews(rawLine(r), views);
}

Binding KeyDocument::deriveBinding(int row) const
{
    if (rowAt(row).comment)
        return Binding::comment();
    RecordViews views;
    if (rowViews(row, views))
        return Binding::of(views);
    return Binding::of(cells(row));
}

namespace {
constexpr std::size_t BlockRows = 4096;
} // namespace

// A block's bindings are made as rows ask for them, in storage left unwritten until then: a big file's bindings are
// written once, not zeroed first.
struct KeyDocument::BindingCache::Block
{
    static_assert(std::is_trivially_destructible_v<PackedBinding>);
    alignas(PackedBinding) std::byte storage[BlockRows * sizeof(PackedBinding)];
    std::bitset<BlockRows> known;
    std::unordered_map<std::size_t, Binding> whole; // by row in the block

    PackedBinding* at(std::size_t i) { return std::launder(reinterpret_cast<PackedBinding*>(storage)) + i; }
};

KeyDocument::BindingCache::BindingCache() = default;
KeyDocument::BindingCache::~BindingCache() = default;
KeyDocument::BindingCache::BindingCache(BindingCache&&) noexcept = default;
KeyDocument::BindingCache& KeyDocument::BindingCache::operator=(BindingCache&&) noexcept = default;

KeyDocument::BindingCache::BindingCache(const BindingCache&)
    : BindingCache()
{ }

KeyDocument::BindingCache& KeyDocument::BindingCache::operator=(const BindingCache&)
{
    reset(0);
    return *this;
}

void KeyDocument::BindingCache::reset(std::size_t rows)
{
    m_rows = rows;
    m_blocks.clear();
    m_blocks.resize((rows + BlockRows - 1) / BlockRows);
}

std::optional<Binding> KeyDocument::BindingCache::find(std::size_t row) const
{
    Block* block = m_blocks[row / BlockRows].get();
    const std::size_t i = row % BlockRows;
    if (!block || !block->known[i])
        return std::nullopt;
    const PackedBinding& packed = *block->at(i);
    return packed.isWhole() ? block->whole.at(i) : packed.unpack();
}

void KeyDocument::BindingCache::store(std::size_t row, const Binding& binding)
{
    std::unique_ptr<Block>& block = m_blocks[row / BlockRows];
    if (!block)
        block = std::make_unique_for_overwrite<Block>();
    const std::size_t i = row % BlockRows;
    block->known[i] = true;
    const std::optional<PackedBinding> packed = PackedBinding::of(binding);
    ::new (static_cast<void*>(block->at(i))) PackedBinding(packed ? *packed : PackedBinding::whole());
    if (!packed)
        block->whole.insert_or_assign(i, binding);
}

void KeyDocument::BindingCache::forget(std::size_t row)
{
    if (Block* block = m_blocks[row / BlockRows].get()) {
        block->known[row % BlockRows] = false;
        block->whole.erase(row % BlockRows);
    }
}

Binding KeyDocument::binding(int row) const
{
    if (m_bindings.rows() != rows().size())
        m_bindings.reset(rows().size());
    if (std::optional<Binding> known = m_bindings.find(idx(row)))
        return *known;
    Binding derived = deriveBinding(row);
    m_bindings.store(idx(row), derived);
    return derived;
}

Binding KeyDocument::bindingOnce(int row) const
{
    if (m_bindings.rows() == rows().size()) {
        if (std::optional<Binding> known = m_bindings.find(idx(row)))
            return *known;
    }
    return deriveBinding(row);
}

namespace {

// Whether a line without tabs is a headline: a key line (not DirectX "-2" or POV "-3") whose eighth field is "-1", as
// Binding::of reads the split cells. Tabs split cells in ways this does not follow: nothing for a line with one.
std::optional<bool> headlineOfLine(std::string_view line)
{
    if (std::memchr(line.data(), '\t', line.size()))
        return std::nullopt;
    line = trimSpaces(line);
    const char* p = line.data();
    const char* const end = p + line.size();
    std::string_view key;
    for (int field = SimNameColumn; p < end; ++field) {
        // A description before the eighth field leaves that field empty, or is it.
        if (field > SimNameColumn && *p == '"')
            return false;
        const char* const start = p;
        while (p < end && *p != ' ')
            ++p;
        const std::string_view text(start, static_cast<std::size_t>(p - start));
        if (field == KeyColumn)
            key = text;
        else if (field == AssignableColumn)
            return text == "-1" && key != "-2" && key != "-3";
        while (p < end && *p == ' ')
            ++p;
    }
    return false;
}

} // namespace

bool KeyDocument::isHeadline(int row) const
{
    if (m_bindings.rows() == rows().size()) {
        if (const std::optional<Binding> known = m_bindings.find(idx(row)))
            return known->isHeadline();
    }
    const Row& line = rowAt(row);
    if (line.comment)
        return false;
    if (editedSlot(row) < 0) {
        if (const std::optional<bool> headline = headlineOfLine(rawLine(line)))
            return *headline;
    }
    return binding(row).isHeadline();
}

void KeyDocument::takeBindings(KeyDocument&& copy, const std::vector<int>& changedRows)
{
    if (!m_rows || copy.m_rows != m_rows || copy.m_bindings.rows() != rows().size())
        return;
    m_bindings = std::move(copy.m_bindings);
    for (const int row : changedRows) {
        if (row >= 0 && row < rowCount())
            m_bindings.forget(idx(row));
    }
}

void KeyDocument::rowChanged(int row)
{
    if (m_bindings.rows() == rows().size())
        m_bindings.forget(idx(row));
}

bool KeyDocument::isEditable(int row, int column) const
{
    return row >= 0 && row < rowCount() && column > LineColumn && column < ColumnCount && !rowAt(row).comment;
}

void KeyDocument::setEditedCells(int row, RecordCells cells)
{
    if (!m_edited)
        m_edited = std::make_shared<EditedRows>(rows().size());
    else if (m_edited.use_count() > 1) // another copy reads it: this one's change goes into a table of its own
        m_edited = std::make_shared<EditedRows>(*m_edited);
    else // a copy on another thread that let it go did all its reading before: this thread writes after that
        std::atomic_thread_fence(std::memory_order_acquire);
    std::int32_t slot = m_edited->slotOf(idx(row));
    if (cells == readCells(row)) {
        // Back to what the line says: the row is written as it was read again.
        if (slot >= 0)
            m_freeEdited.push_back(slot);
        slot = -1;
    } else {
        if (slot < 0)
            slot = takeFreeSlot(m_editedCells, m_freeEdited);
        m_editedCells[static_cast<std::size_t>(slot)] = std::move(cells);
    }
    m_edited->setSlot(idx(row), slot);
    rowChanged(row);
}

void KeyDocument::EditedRows::setSlot(std::size_t row, std::int32_t slot)
{
    const auto key = static_cast<std::int32_t>(row);
    const auto at = std::lower_bound(byRow.begin(), byRow.end(), std::make_pair(key, -1));
    const bool there = at != byRow.end() && at->first == key;
    const std::uint64_t bit = std::uint64_t{1} << (row % 64);
    if (slot < 0) {
        if (there)
            byRow.erase(at);
        bits[row / 64] &= ~bit;
        return;
    }
    if (there)
        at->second = slot;
    else
        byRow.insert(at, {key, slot});
    bits[row / 64] |= bit;
}

bool KeyDocument::setCell(int row, int column, std::string text)
{
    if (!isEditable(row, column))
        return false;
    RecordCells rowCells = cells(row);
    rowCells[static_cast<std::size_t>(column)] = std::move(text);
    setEditedCells(row, std::move(rowCells));
    return true;
}

KeyDocument::RowState KeyDocument::rowState(int row) const
{
    const std::int32_t slot = editedSlot(row);
    if (slot < 0)
        return {};
    return RowState{true, m_editedCells[static_cast<std::size_t>(slot)]};
}

void KeyDocument::restoreRow(int row, const RowState& state)
{
    if (row < 0 || row >= rowCount() || rowAt(row).comment)
        return;
    setEditedCells(row, state.edited ? state.cells : readCells(row));
}

} // namespace core
