#include "GenericOrder.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

namespace core {

namespace {

int asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : static_cast<unsigned char>(c);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<double> readNumber(std::string_view text)
{
    text = trimSpaces(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view body = text.substr(i);
    if (body.empty() || !(isDigit(body[0]) || body[0] == '.'))
        return std::nullopt;
    // Whole numbers of up to 15 digits (line numbers, modifiers, buttons: nearly every number in a key file) are
    // read here, exactly; from_chars for a double goes through the C library and takes far longer.
    if (body.size() <= 15 && std::all_of(body.begin(), body.end(), isDigit)) {
        long long whole = 0;
        for (const char c : body)
            whole = whole * 10 + (c - '0');
        return negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != body.data() + body.size())
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<long long> readWholeNumber(std::string_view text)
{
    text = trimSpaces(text);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty() || (text[0] == '-' && text.size() == 1))
        return std::nullopt;
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

namespace {

// The lower-case texts of long cells, in blocks that never move: the pool grows without copying what it holds, and
// never holds an old and a new copy of it at once (a sort of a big file by its descriptions keeps 20 MiB here).
class TextPool
{
public:
    /** Keeps `text` in lower case; the number to find it by (its block above 32 bits, its place in it below). */
    std::uint64_t add(std::string_view text)
    {
        if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < text.size())
            m_blocks.emplace_back().reserve(std::max(BlockSize, text.size()));
        std::string& block = m_blocks.back();
        const std::size_t at = block.size();
        block.resize(at + text.size());
        std::transform(text.begin(), text.end(), block.begin() + static_cast<std::ptrdiff_t>(at),
            [](char c) { return static_cast<char>(asciiLower(c)); });
        return (std::uint64_t{m_blocks.size() - 1} << 32) | at;
    }
    std::string_view text(std::uint64_t number, std::size_t size) const
    {
        return std::string_view(m_blocks[static_cast<std::size_t>(number >> 32)])
            .substr(static_cast<std::size_t>(number & 0xFFFFFFFFU), size);
    }

private:
    static constexpr std::size_t BlockSize = std::size_t{1} << 20;
    std::vector<std::string> m_blocks;
};

// What most comparisons of two cells need: the cell's first sixteen bytes in lower case as two numbers, the first
// byte highest, zeros past its end; its length, and whether it reads as a number; its number, or for a cell longer
// than sixteen bytes where its whole text stands in lower case in a pool of texts. In 32 bytes, the number and the
// place in the pool sharing a word: a number cell longer than sixteen bytes (rare: spaces around it, many digits)
// keeps its text, and its number is read again from it when two numbers meet.
struct CellKey
{
    static constexpr std::uint32_t NumberFlag = 0x80000000U;
    static constexpr std::uint32_t MaxSize = NumberFlag - 1;

    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::uint32_t sizeAndKind = 0; // the length, and NumberFlag for a cell that reads as a number
    std::uint32_t place = 0; // where the row of a sort entry is shown
    std::uint64_t value = 0; // a cell of up to sixteen bytes: its number's bits; a longer one: its text in the pool

    std::uint32_t size() const { return sizeAndKind & MaxSize; }
    bool isNumber() const { return (sizeAndKind & NumberFlag) != 0; }
    bool isLong() const { return size() > 16; }
    double number(const TextPool& pool) const
    {
        return isLong() ? readNumber(pool.text(value, size())).value_or(0) : std::bit_cast<double>(value);
    }
};

static_assert(sizeof(CellKey) == 32);

// A cell's key, read once; a long cell's text goes in lower case into `pool`, for the comparisons the key cannot
// decide.
CellKey readKey(std::string_view text, TextPool& pool)
{
    CellKey key;
    for (std::size_t i = 0; i < 16; ++i) {
        std::uint64_t& half = i < 8 ? key.high : key.low;
        half = (half << 8) | (i < text.size() ? static_cast<unsigned char>(asciiLower(text[i])) : 0U);
    }
    key.sizeAndKind = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), CellKey::MaxSize));
    const std::optional<double> number = readNumber(text);
    if (number)
        key.sizeAndKind |= CellKey::NumberFlag;
    if (key.isLong())
        key.value = pool.add(text);
    else if (number)
        key.value = std::bit_cast<std::uint64_t>(*number);
    return key;
}

// As numbers when both are, otherwise as lower-case texts byte by byte (unsigned), the shorter first. The first
// sixteen bytes decide as the texts would: at the first byte they differ in, a zero past the end of the shorter text
// is below any byte of the longer one; when they are equal and one text has no more, the shorter text is first.
// Only when both are longer are their lower-case texts in `pool` compared.
int compareKeys(const CellKey& x, const CellKey& y, const TextPool& pool)
{
    if (x.isNumber() && y.isNumber()) {
        const double a = x.number(pool);
        const double b = y.number(pool);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    if (x.high != y.high)
        return x.high < y.high ? -1 : 1;
    if (x.low != y.low)
        return x.low < y.low ? -1 : 1;
    if (!x.isLong() || !y.isLong())
        return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
    const int c = pool.text(x.value, x.size()).compare(pool.text(y.value, y.size()));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

constexpr std::uint32_t kNoPlace = std::numeric_limits<std::uint32_t>::max();

} // namespace

int genericCompare(std::string_view a, std::string_view b)
{
    TextPool pool;
    const CellKey kx = readKey(a, pool);
    const CellKey ky = readKey(b, pool);
    return compareKeys(kx, ky, pool);
}

// The key cells of the rows to sort: the entries are the keys of the rows' first cells (most comparisons need
// nothing else); the keys of later cells, for a sort by several columns, stand place after place in `later`.
struct SortKeys::Data
{
    std::vector<int> rows;
    std::size_t width = 0;
    std::vector<CellKey> entries;
    std::vector<CellKey> later;
    TextPool pool;
    // Whether each key column holds numbers only, or texts only: see sorted().
    bool uniform = true;
};

SortKeys::SortKeys(std::span<const int> rows, std::size_t width, const SortRowText& cellText)
    : m_data(std::make_unique<Data>())
{
    Data& d = *m_data;
    const std::size_t count = width == 0 ? 0 : rows.size();
    d.rows.assign(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(count));
    d.width = width;
    // Each cell is read once, not at every comparison, and only a long cell's text is kept (in one pool). The rows
    // are read in ascending order, whatever order they are shown in: a big file's lines then come from memory one
    // after the other instead of from anywhere. The place a row is shown at goes into its entry and decides
    // between equal rows.
    int highest = -1;
    bool readable = true; // every row once, none below zero
    for (const int row : d.rows) {
        highest = std::max(highest, row);
        readable = readable && row >= 0;
    }
    std::vector<std::uint32_t> placeOf(readable ? static_cast<std::size_t>(highest + 1) : 0, kNoPlace);
    for (std::size_t place = 0; readable && place < count; ++place) {
        std::uint32_t& slot = placeOf[static_cast<std::size_t>(d.rows[place])];
        readable = slot == kNoPlace;
        slot = static_cast<std::uint32_t>(place);
    }
    d.entries.reserve(count);
    d.later.resize(count * (width > 0 ? width - 1 : 0));
    std::string spare;
    // Per key column: bit 0 a cell of text seen, bit 1 a number.
    std::vector<unsigned> kinds(width);
    const auto read = [&](int row, std::size_t place) {
        CellKey& entry = d.entries.emplace_back(readKey(cellText(row, 0, spare), d.pool));
        entry.place = static_cast<std::uint32_t>(place);
        kinds[0] |= entry.isNumber() ? 2U : 1U;
        for (std::size_t k = 1; k < width; ++k) {
            CellKey& key = d.later[place * (width - 1) + k - 1];
            key = readKey(cellText(row, k, spare), d.pool);
            kinds[k] |= key.isNumber() ? 2U : 1U;
        }
    };
    if (readable) {
        for (std::size_t row = 0; row < placeOf.size(); ++row) {
            if (placeOf[row] != kNoPlace)
                read(static_cast<int>(row), placeOf[row]);
        }
    } else {
        for (std::size_t place = 0; place < count; ++place)
            read(d.rows[place], place);
    }
    d.uniform = std::all_of(kinds.begin(), kinds.end(), [](unsigned kind) { return kind != 3U; });
}

SortKeys::SortKeys(SortKeys&&) noexcept = default;
SortKeys& SortKeys::operator=(SortKeys&&) noexcept = default;
SortKeys::~SortKeys() = default;

std::vector<int> SortKeys::sorted(SortOrder order)
{
    Data& d = *m_data;
    const TextPool& texts = d.pool;
    const int sign = order == SortOrder::Ascending ? 1 : -1;
    const std::size_t width = d.width;
    const auto before = [&later = d.later, width, &texts, sign](const CellKey& a, const CellKey& b) {
        int c = compareKeys(a, b, texts);
        const std::size_t x = std::size_t{a.place} * (width - 1);
        const std::size_t y = std::size_t{b.place} * (width - 1);
        for (std::size_t k = 0; c == 0 && k + 1 < width; ++k)
            c = compareKeys(later[x + k], later[y + k], texts);
        return c != 0 ? c * sign < 0 : a.place < b.place;
    };
    // The generic order is not transitive when numbers and texts mix in a column ("2" < "10" < "1a" < "2"): then a
    // merge sort, which unlike a quick sort stays within its range whatever its comparisons say. Where each column
    // holds only numbers or only texts, the order with the place after the keys is a strict total order, and the
    // sort in place spares the merge sort's buffer of half the entries (20 MiB for a million rows).
    if (d.uniform)
        std::sort(d.entries.begin(), d.entries.end(), before);
    else
        std::stable_sort(d.entries.begin(), d.entries.end(), before);
    std::vector<int> rows;
    rows.reserve(d.entries.size());
    for (const CellKey& entry : d.entries)
        rows.push_back(d.rows[entry.place]);
    return rows;
}

std::vector<int> genericSortRows(
    std::span<const int> rows, std::size_t width, const SortRowText& cellText, SortOrder order)
{
    return SortKeys(rows, width, cellText).sorted(order);
}

std::vector<std::size_t> genericSortOrder(
    std::size_t rows, std::size_t width, const SortCellText& cellText, SortOrder order)
{
    std::vector<int> all(rows);
    std::iota(all.begin(), all.end(), 0);
    const std::vector<int> sorted = genericSortRows(
        all, width,
        [&cellText](
            int row, std::size_t k, std::string& spare) { return cellText(static_cast<std::size_t>(row), k, spare); },
        order);
    return {sorted.begin(), sorted.end()};
}

std::vector<std::size_t> genericSortOrder(const std::vector<std::string>& keys, std::size_t width, SortOrder order)
{
    return genericSortOrder(
        width == 0 ? 0 : keys.size() / width, width,
        [&keys, width](
            std::size_t row, std::size_t k, std::string&) { return std::string_view(keys[row * width + k]); },
        order);
}

std::pair<int, int> columnRange(int first, int last, int columnCount)
{
    if (first > last)
        std::swap(first, last);
    return {std::clamp(first, 0, columnCount - 1), std::clamp(last, 0, columnCount - 1)};
}

} // namespace core
