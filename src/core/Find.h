#pragma once

#include "KeyDocument.h"

#include <cstdint>
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

/** Appends searchText(document, row) to `out`. */
void appendSearchText(std::string& out, const KeyDocument& document, int row);

/**
 * The search texts of a document's rows, made as rows ask for them and kept one after another in one buffer: a big
 * file has hundreds of thousands, and a string each would cost about twice their bytes. A changed row's text is made
 * again at the end; the bytes left behind are dropped, with every text, once they are more than half the rest.
 */
class SearchTexts
{
public:
    /** Row `row`'s searchText, made now unless kept; valid until the next call. A document of another row count
     *  than the last one asked about starts afresh. */
    std::string_view text(const KeyDocument& document, int row);
    /** Forgets row `row`'s text, after the row changed. */
    void forget(int row);
    /** Forgets every text. */
    void clear();

private:
    static constexpr std::uint32_t NotMade = 0xFFFFFFFFU;
    std::string m_bytes;
    std::vector<std::uint32_t> m_start; // per row: where its text starts in m_bytes, or NotMade
    std::vector<std::uint32_t> m_length;
    std::size_t m_kept = 0; // the bytes of the texts kept
};

/** The words of a filter text, lower-cased; spaces and tabs separate them. */
std::vector<std::string> filterWords(std::string_view text);

/** True when `text` (a searchText) contains every word. */
bool containsAllWords(std::string_view text, const std::vector<std::string>& words);

} // namespace core
