#include "Find.h"

#include "Binding.h"
#include "KeyCodeTable.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace core {

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void appendLower(std::string& out, std::string_view text)
{
    for (const char c : text)
        out += lower(c);
}

// A key cell as codes: the cell as written, and the table's own spelling for a code that parses.
void appendCodes(std::string& out, std::string_view cell, const KeyRef& key)
{
    if (cell.empty())
        return;
    out += ' ';
    appendLower(out, cell);
    if (key.kind == KeyRef::Kind::Table || key.kind == KeyRef::Kind::Unknown) {
        char code[16];
        std::snprintf(code, sizeof code, " 0x%x", static_cast<unsigned>(key.code));
        out += code;
    }
}

} // namespace

std::string headlineTitle(std::string_view description)
{
    std::string title;
    bool space = false;
    for (const char c : description) {
        if (c == '"' || c == '=')
            continue;
        if (c == ' ' || c == '\t') {
            space = !title.empty();
            continue;
        }
        if (space)
            title += ' ';
        space = false;
        title += c;
    }
    return title;
}

std::vector<Section> sections(const KeyDocument& document)
{
    std::vector<Section> list;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (!document.isHeadline(r))
            continue;
        const std::string description = document.cell(r, DescriptionColumn);
        const std::string_view trimmed = trimSpaces(description);
        Section section;
        section.row = r;
        // A title framed by "=" rules is a section within the part before it.
        section.level = trimmed.size() > 1 && trimmed[1] == '=' ? 2 : 1;
        section.title = headlineTitle(description);
        list.push_back(std::move(section));
    }
    return list;
}

int sectionOfRow(const std::vector<Section>& list, int row)
{
    const auto after
        = std::upper_bound(list.begin(), list.end(), row, [](int r, const Section& s) { return r < s.row; });
    return static_cast<int>(after - list.begin()) - 1;
}

std::string searchText(const KeyDocument& document, int row)
{
    std::string text;
    appendSearchText(text, document, row);
    return text;
}

void appendSearchText(std::string& text, const KeyDocument& document, int row)
{
    const Binding& binding = document.binding(row);
    if (binding.isComment())
        return;
    const RecordCells cells = document.cells(row);
    appendLower(text, cells[SimNameColumn]);
    text += ' ';
    appendLower(text, cells[DescriptionColumn]);
    text += ' ';
    appendLower(text, keysText(binding));
    if (binding.isKey()) {
        appendCodes(text, cells[KeyColumn], binding.key);
        appendCodes(text, cells[ComboKeyColumn], binding.combo);
    }
}

const SearchTexts::Entry& SearchTexts::entry(const KeyDocument& document, int row)
{
    const auto rows = static_cast<std::size_t>(document.rowCount());
    if (m_entries.size() != rows) {
        clear();
        m_entries.assign(rows, Entry{});
    }
    Entry& e = m_entries[static_cast<std::size_t>(row)];
    if (e.text != NotMade)
        return e;
    if (m_bytes.size() - m_kept > m_kept / 2 + (1U << 20) || m_bytes.size() > 0xC0000000U)
        dropTexts();
    m_made.clear();
    e = Entry{};
    m_wide.erase(row);
    const Binding& binding = document.binding(row);
    RecordViews views;
    const std::string_view line = document.sourceLine(row);
    const auto placeOf = [&line](std::string_view cell) { return static_cast<std::size_t>(cell.data() - line.data()); };
    const auto inLine = [&line, &placeOf](std::string_view cell) {
        return cell.empty()
            || (cell.data() >= line.data() && placeOf(cell) + cell.size() <= line.size()
                && placeOf(cell) + cell.size() <= 0xFFFFU);
    };
    if (binding.isComment()) {
        // no text
    } else if (document.rowViews(row, views) && inLine(views[SimNameColumn]) && inLine(views[DescriptionColumn])) {
        Places places;
        if (!views[SimNameColumn].empty()) {
            places.nameStart = static_cast<std::uint16_t>(placeOf(views[SimNameColumn]));
            places.nameLength = static_cast<std::uint16_t>(views[SimNameColumn].size());
        }
        if (!views[DescriptionColumn].empty()) {
            places.descriptionStart = static_cast<std::uint16_t>(placeOf(views[DescriptionColumn]));
            places.descriptionLength = static_cast<std::uint16_t>(views[DescriptionColumn].size());
        }
        if (places.nameStart == 0 && places.nameLength < Wide && places.descriptionStart <= 0xFF) {
            e.nameLength = static_cast<std::uint8_t>(places.nameLength);
            e.descriptionStart = static_cast<std::uint8_t>(places.descriptionStart);
            e.descriptionLength = places.descriptionLength;
        } else {
            e.nameLength = Wide;
            m_wide[row] = places;
        }
        appendLower(m_made, keysText(binding));
        if (binding.isKey()) {
            appendCodes(m_made, views[KeyColumn], binding.key);
            appendCodes(m_made, views[ComboKeyColumn], binding.combo);
        }
    } else {
        appendSearchText(m_made, document, row);
    }
    e.text = keep(m_made);
    return e;
}

std::uint32_t SearchTexts::keep(std::string_view text)
{
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(text));
    if ((m_texts.size() + 1) * 2 > m_slots.size()) {
        m_slots.assign(std::max<std::size_t>(m_slots.size() * 2, 1024), 0);
        const std::size_t mask = m_slots.size() - 1;
        for (std::uint32_t n = 0; n < m_texts.size(); ++n) {
            std::size_t at = m_texts[n].hash & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = n + 1;
        }
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    for (; m_slots[at] != 0; at = (at + 1) & mask) {
        Text& kept = m_texts[m_slots[at] - 1];
        if (kept.hash == hash && textOf(kept) == text) {
            if (kept.rows++ == 0)
                m_kept += kept.length;
            return m_slots[at] - 1;
        }
    }
    m_texts.push_back(
        Text{static_cast<std::uint32_t>(m_bytes.size()), static_cast<std::uint32_t>(text.size()), 1, hash});
    m_bytes += text;
    m_kept += text.size();
    m_slots[at] = static_cast<std::uint32_t>(m_texts.size());
    return m_slots[at] - 1;
}

void SearchTexts::dropTexts()
{
    m_bytes.clear();
    m_texts.clear();
    m_slots.clear();
    std::fill(m_entries.begin(), m_entries.end(), Entry{});
    m_wide.clear();
    m_kept = 0;
}

void SearchTexts::prepare(const KeyDocument& document, int row)
{
    (void)entry(document, row);
}

bool SearchTexts::matches(const KeyDocument& document, int row, const std::vector<std::string>& words)
{
    const Entry& e = entry(document, row);
    const std::string_view kept = textOf(m_texts[e.text]);
    std::string_view name;
    std::string_view description;
    if (e.nameLength != 0 || e.descriptionLength != 0) {
        Places places{0, e.nameLength, e.descriptionStart, e.descriptionLength};
        if (e.nameLength == Wide) {
            const auto wide = m_wide.find(row);
            places = wide != m_wide.end() ? wide->second : Places{};
        }
        // Places beyond the line (never for the document the entry was made from) give empty texts.
        const std::string_view line = document.sourceLine(row);
        const auto part = [&line](std::size_t start, std::size_t length) {
            return start + length <= line.size() ? line.substr(start, length) : std::string_view();
        };
        name = part(places.nameStart, places.nameLength);
        description = part(places.descriptionStart, places.descriptionLength);
    }
    return std::all_of(words.begin(), words.end(), [&](const std::string& word) {
        return kept.find(word) != std::string_view::npos || containsLowerCased(name, word)
            || containsLowerCased(description, word);
    });
}

void SearchTexts::forget(int row)
{
    const auto r = static_cast<std::size_t>(row);
    if (r < m_entries.size() && m_entries[r].text != NotMade) {
        Text& text = m_texts[m_entries[r].text];
        if (--text.rows == 0)
            m_kept -= text.length;
        m_entries[r].text = NotMade;
        m_wide.erase(row);
    }
}

void SearchTexts::clear()
{
    dropTexts();
    m_bytes.shrink_to_fit();
    m_texts.shrink_to_fit();
    m_slots.shrink_to_fit();
    m_entries.clear();
    m_entries.shrink_to_fit();
}

bool containsLowerCased(std::string_view text, std::string_view word)
{
    if (word.empty())
        return true;
    if (word.size() > text.size())
        return false;
    const char first = word.front();
    const char firstUpper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
    const std::size_t last = text.size() - word.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (text[i] != first && text[i] != firstUpper)
            continue;
        std::size_t j = 1;
        while (j < word.size() && lower(text[i + j]) == word[j])
            ++j;
        if (j == word.size())
            return true;
    }
    return false;
}

std::vector<std::string> filterWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += lower(c);
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

bool containsAllWords(std::string_view text, const std::vector<std::string>& words)
{
    return std::all_of(
        words.begin(), words.end(), [text](const std::string& word) { return text.find(word) != std::string::npos; });
}

} // namespace core
