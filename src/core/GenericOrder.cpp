#include "GenericOrder.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
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

// A cell as generic order compares it, read once: its number, if it reads as one, and its text in lower case with
// its first eight bytes also as one number, so that most comparisons of two texts are one comparison of integers.
struct ReadCell
{
    std::optional<double> number;
    std::uint64_t head = 0; // the first eight bytes of `lowered`, the first one highest; zeros past its end
    std::string lowered;
};

ReadCell readCell(std::string text)
{
    ReadCell cell{readNumber(text), 0, std::move(text)};
    for (char& c : cell.lowered)
        c = static_cast<char>(asciiLower(c));
    for (std::size_t i = 0; i < 8; ++i) {
        cell.head <<= 8;
        if (i < cell.lowered.size())
            cell.head |= static_cast<unsigned char>(cell.lowered[i]);
    }
    return cell;
}

// As numbers when both are, otherwise as lower-case texts byte by byte (unsigned), the shorter first. Different
// heads decide as the texts would: at the first byte they differ in, a zero past the end of the shorter text is
// below any byte of the longer one.
int compareCells(const ReadCell& a, const ReadCell& b)
{
    if (a.number && b.number)
        return *a.number < *b.number ? -1 : (*a.number > *b.number ? 1 : 0);
    if (a.head != b.head)
        return a.head < b.head ? -1 : 1;
    const int c = a.lowered.compare(b.lowered);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

int genericCompare(std::string_view a, std::string_view b)
{
    return compareCells(readCell(std::string(a)), readCell(std::string(b)));
}

std::vector<std::size_t> genericSortOrder(std::vector<std::string> keys, std::size_t width, SortOrder order)
{
    const std::size_t rows = width == 0 ? 0 : keys.size() / width;
    std::vector<std::size_t> positions(rows);
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    // Each cell is read once, not at every comparison.
    std::vector<ReadCell> cells;
    cells.reserve(keys.size());
    for (std::string& key : keys)
        cells.push_back(readCell(std::move(key)));
    keys = {};
    const auto compareRows = [&cells, width](std::size_t a, std::size_t b) {
        for (std::size_t k = 0; k < width; ++k) {
            if (const int c = compareCells(cells[a * width + k], cells[b * width + k]); c != 0)
                return c;
        }
        return 0;
    };
    if (order == SortOrder::Ascending)
        std::stable_sort(positions.begin(), positions.end(), [&](auto a, auto b) { return compareRows(a, b) < 0; });
    else
        std::stable_sort(positions.begin(), positions.end(), [&](auto a, auto b) { return compareRows(a, b) > 0; });
    return positions;
}

std::pair<int, int> columnRange(int first, int last, int columnCount)
{
    if (first > last)
        std::swap(first, last);
    return {std::clamp(first, 0, columnCount - 1), std::clamp(last, 0, columnCount - 1)};
}

} // namespace core
