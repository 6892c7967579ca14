#pragma once

#include "KeyDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace core {

/** A section of a key file: a headline line (visibility -1) and the lines up to the next one. */
struct Section
{
    int row = 0; // the headline's row
    int level = 1; // 1 for a part ("1. UI & 3RD PARTY SOFTWARE"), 2 for a section within it ("==== 1.01 ... ====")
    std::string title; // the description without its quotes and "=" rules, spaces collapsed
};

/** The document's sections in file order; none for a file without headline lines. */
std::vector<Section> sections(const KeyDocument& document);

/** The title a headline's description gives: without quotes, without the "=" that frame it, spaces collapsed. */
std::string headlineTitle(std::string_view description);

/** The index into `list` of the section that row `row` lies in, or -1 before the first one. */
int sectionOfRow(const std::vector<Section>& list, int row);

/**
 * What a filter looks for in a row, lower-cased: its sim name, description, keys text in words ("ctl alt c") and its
 * key codes as "0x2e" (with and without leading zeros as written). Comments have none.
 */
std::string searchText(const KeyDocument& document, int row);

/** The words of a filter text, lower-cased; spaces and tabs separate them. */
std::vector<std::string> filterWords(std::string_view text);

/** True when `text` (a searchText) contains every word. */
bool containsAllWords(std::string_view text, const std::vector<std::string>& words);

} // namespace core
