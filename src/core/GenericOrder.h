#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace core {

enum class SortOrder { Ascending, Descending };

/** The value of a cell that reads as a decimal number ("12", "-0", " 3.5 ", "1e3"), or nothing. Hexadecimal
 *  scan codes are text, not numbers. */
std::optional<double> readNumber(std::string_view text);

/** Generic order of two grid cells: as numbers when both read as numbers, otherwise as text with ASCII letter case
 *  ignored. Returns <0, 0 or >0. */
int genericCompare(std::string_view a, std::string_view b);

/** The positions of rows in sorted order. `keys` holds `width` key cells per row, row after row; rows compare by
 *  their keys left to right in generic order. The sort is stable, also in descending order. */
std::vector<std::size_t> genericSortOrder(std::vector<std::string> keys, std::size_t width, SortOrder order);

/** A range of columns given in either order, put in order and clamped to 0 .. columnCount - 1. */
std::pair<int, int> columnRange(int first, int last, int columnCount);

/** A whole number in a cell ("3", " -1 ", "+2"), or nothing; used where a cell must hold a modifier value or a
 *  button number. Values beyond the range of long long give nothing. */
std::optional<long long> readWholeNumber(std::string_view text);

/** Removes leading and trailing spaces (the space character only; tabs stay). Inline: every line of a file goes
 *  through it. */
inline std::string_view trimSpaces(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && text[first] == ' ')
        ++first;
    std::size_t last = text.size();
    while (last > first && text[last - 1] == ' ')
        --last;
    return text.substr(first, last - first);
}

} // namespace core
