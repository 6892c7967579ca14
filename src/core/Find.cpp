#include "Find.h"

#include "Binding.h"
#include "KeyCodeTable.h"

#include <algorithm>
#include <cstdio>

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

std::string_view SearchTexts::text(const KeyDocument& document, int row)
{
    const auto rows = static_cast<std::size_t>(document.rowCount());
    if (m_start.size() != rows) {
        clear();
        m_start.assign(rows, NotMade);
        m_length.assign(rows, 0);
        // Room for texts a little longer than the lines: pages the texts do not reach are never touched.
        m_bytes.reserve(document.sourceBytes().size() + document.sourceBytes().size() / 4 + 4096);
    }
    const auto r = static_cast<std::size_t>(row);
    if (m_start[r] == NotMade) {
        if (m_bytes.size() - m_kept > m_kept / 2 + (1U << 20) || m_bytes.size() > 0xC0000000U) {
            m_bytes.clear();
            std::fill(m_start.begin(), m_start.end(), NotMade);
            m_kept = 0;
        }
        const std::size_t start = m_bytes.size();
        appendSearchText(m_bytes, document, row);
        m_start[r] = static_cast<std::uint32_t>(start);
        m_length[r] = static_cast<std::uint32_t>(m_bytes.size() - start);
        m_kept += m_length[r];
    }
    return std::string_view(m_bytes).substr(m_start[r], m_length[r]);
}

void SearchTexts::forget(int row)
{
    const auto r = static_cast<std::size_t>(row);
    if (r < m_start.size() && m_start[r] != NotMade) {
        m_kept -= m_length[r];
        m_start[r] = NotMade;
    }
}

void SearchTexts::clear()
{
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_start.clear();
    m_length.clear();
    m_kept = 0;
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
