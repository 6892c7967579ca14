#pragma once

#include "KeyDocument.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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
 * What a filter looks for in each row of a document, made as rows ask for it and kept. A big file has hundreds of
 * thousands of rows, so the sim name and description of a row read from its line are not copied: the row keeps where
 * they stand in the line, and they are searched there without regard to letter case. Only the rest of the search
 * text (the keys in words and the key codes) is kept, lower-cased; a row whose cells are not where its line has them
 * (an edited row, a line split at tabs) keeps its whole search text. Each different text is kept once, for all the
 * rows that have it: a file of a million lines has a few thousand different keys. A changed row's text is made
 * again; texts no row has any more are dropped, with every text, once they are more than half the rest.
 */
class SearchTexts
{
public:
    /** True when row `row`'s searchText contains every one of `words` (as filterWords gives them). A document of
     *  another row count than the last one asked about starts afresh. */
    bool matches(const KeyDocument& document, int row, const std::vector<std::string>& words);
    /** Makes row `row`'s text now unless it is kept, so that the first filter does not wait for it. */
    void prepare(const KeyDocument& document, int row);
    /** Forgets row `row`'s text, after the row changed. */
    void forget(int row);
    /** Forgets every text. */
    void clear();

private:
    static constexpr std::uint32_t NotMade = 0xFFFFFFFFU;
    // Where the sim name and the description stand in the row's line as read: both empty when the kept text is the
    // whole search text.
    struct Places
    {
        std::uint16_t nameStart = 0;
        std::uint16_t nameLength = 0;
        std::uint16_t descriptionStart = 0;
        std::uint16_t descriptionLength = 0;
    };
    // Eight bytes a row: the places of nearly every line fit beside the text's number (the name at the line's start,
    // shorter than 255 bytes, the description starting within its first 255); a line's that do not are in m_wide.
    struct Entry
    {
        std::uint32_t text = NotMade; // the kept text's number in m_texts
        std::uint8_t nameLength = 0; // Wide: the places are in m_wide
        std::uint8_t descriptionStart = 0;
        std::uint16_t descriptionLength = 0;
    };
    static constexpr std::uint8_t Wide = 0xFF;
    struct Text
    {
        std::uint32_t start = 0; // in m_bytes
        std::uint32_t length = 0;
        std::uint32_t rows = 0; // the rows that have it
        std::uint32_t hash = 0;
    };
    const Entry& entry(const KeyDocument& document, int row);
    /** The number of `text` among the kept texts, kept now when it is new; one more row has it. */
    std::uint32_t keep(std::string_view text);
    std::string_view textOf(const Text& text) const
    {
        return std::string_view(m_bytes).substr(text.start, text.length);
    }
    /** Drops every text, and every row's entry with it. */
    void dropTexts();

    std::string m_bytes; // each different text once, one after another
    std::vector<Text> m_texts;
    std::vector<std::uint32_t> m_slots; // the texts by hash: a text's number + 1, 0 for an empty slot
    std::vector<Entry> m_entries; // per row
    std::unordered_map<int, Places> m_wide; // by row
    std::size_t m_kept = 0; // the bytes of the texts some row has
    std::string m_made; // the text of the row at hand, before it is kept
};

/** True when `text` contains `word` with the letters A to Z of `text` read as a to z (`word` is lower-case). */
bool containsLowerCased(std::string_view text, std::string_view word);

/** The words of a filter text, lower-cased; spaces and tabs separate them. */
std::vector<std::string> filterWords(std::string_view text);

/** True when `text` (a searchText) contains every word. */
bool containsAllWords(std::string_view text, const std::vector<std::string>& words);

} // namespace core
