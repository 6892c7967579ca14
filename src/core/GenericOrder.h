#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
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

/** The text of a row's k-th key cell; the view may stand in `spare`, and need only last until the next call. */
using SortCellText = std::function<std::string_view(std::size_t row, std::size_t k, std::string& spare)>;

/** The text of a row's k-th key cell, for a sort of chosen rows. */
using SortRowText = std::function<std::string_view(int row, std::size_t k, std::string& spare)>;

/** The key cells of chosen rows, read once each for a sort: a grid reads them where its document lives, and may
 *  sort them on another thread. */
class SortKeys
{
public:
    /** `rows` are a grid's rows in the order it shows them; each has `width` key cells, read through `cellText`. */
    SortKeys(std::span<const int> rows, std::size_t width, const SortRowText& cellText);
    SortKeys(SortKeys&&) noexcept;
    SortKeys& operator=(SortKeys&&) noexcept;
    ~SortKeys();

    /** The rows in sorted order: they compare by their keys left to right in generic order, and rows that compare
     *  equal keep the order they were given in, also in descending order. Sorts the keys in place. */
    std::vector<int> sorted(SortOrder order);

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

/** The rows sorted at once: `SortKeys(rows, width, cellText).sorted(order)`. */
std::vector<int> genericSortRows(
    std::span<const int> rows, std::size_t width, const SortRowText& cellText, SortOrder order);

/** The positions of `rows` rows in sorted order; each row has `width` key cells, read once each through `cellText`,
 *  and rows compare by their keys left to right in generic order. The sort is stable, also in descending order. */
std::vector<std::size_t> genericSortOrder(
    std::size_t rows, std::size_t width, const SortCellText& cellText, SortOrder order);
/** The same for keys held row after row in `keys`. */
std::vector<std::size_t> genericSortOrder(const std::vector<std::string>& keys, std::size_t width, SortOrder order);

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
