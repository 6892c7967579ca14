#pragma once

#include <optional>
#include <string_view>

namespace core {

enum class SortOrder { Ascending, Descending };

/** The value of a cell that reads as a decimal number ("12", "-0", " 3.5 ", "1e3"), or nothing. Hexadecimal
 *  scan codes are text, not numbers. */
std::optional<double> readNumber(std::string_view text);

/** Generic order of two grid cells: as numbers when both read as numbers, otherwise as text with ASCII letter case
 *  ignored. Returns <0, 0 or >0. */
int genericCompare(std::string_view a, std::string_view b);

/** A whole number in a cell ("3", " -1 ", "+2"), or nothing; used where a cell must hold a modifier value or a
 *  button number. Values beyond the range of long long give nothing. */
std::optional<long long> readWholeNumber(std::string_view text);

/** Removes leading and trailing spaces (the space character only; tabs stay). */
std::string_view trimSpaces(std::string_view text);

} // namespace core
