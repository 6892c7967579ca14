#include "GenericOrder.h"

#include <algorithm>
#include <charconv>
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

// Generic order with each cell's number read beforehand: a sort reads every cell once, not at every comparison.
int compareRead(
    std::string_view a, const std::optional<double>& na, std::string_view b, const std::optional<double>& nb)
{
    if (na && nb) {
        if (*na < *nb)
            return -1;
        return *na > *nb ? 1 : 0;
    }
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = asciiLower(a[i]);
        const int cb = asciiLower(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace

int genericCompare(std::string_view a, std::string_view b)
{
    return compareRead(a, readNumber(a), b, readNumber(b));
}

std::vector<std::size_t> genericSortOrder(const std::vector<std::string>& keys, std::size_t width, SortOrder order)
{
    const std::size_t rows = width == 0 ? 0 : keys.size() / width;
    std::vector<std::size_t> positions(rows);
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    // Each cell is read once: its number, and its text in lower case, which then compares byte by byte (as
    // unsigned characters, like compareRead) and shorter first.
    std::vector<std::optional<double>> numbers(keys.size());
    std::vector<std::string> lowered(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        numbers[i] = readNumber(keys[i]);
        lowered[i].resize(keys[i].size());
        std::transform(keys[i].begin(), keys[i].end(), lowered[i].begin(),
            [](char c) { return static_cast<char>(asciiLower(c)); });
    }
    const auto compareRows = [&lowered, &numbers, width](std::size_t a, std::size_t b) {
        for (std::size_t k = 0; k < width; ++k) {
            const std::size_t i = a * width + k;
            const std::size_t j = b * width + k;
            int c = 0;
            if (numbers[i] && numbers[j])
                c = *numbers[i] < *numbers[j] ? -1 : (*numbers[i] > *numbers[j] ? 1 : 0);
            else
                c = lowered[i].compare(lowered[j]);
            if (c != 0)
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
