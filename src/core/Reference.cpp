#include "Reference.h"

#include "GenericOrder.h"
#include "KeyboardUsage.h"
#include "SimplifiedList.h"
#include "TextDecoding.h"

#include <string_view>

namespace core {

namespace {

constexpr std::uint32_t kPauseScanCode = 0xC5;

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isLower(char c)
{
    return c >= 'a' && c <= 'z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Words for the keys whose Cougar names are abbreviations; a letter is its capital, any other key its own name.
std::string_view keyWord(std::string_view name)
{
    static constexpr std::pair<std::string_view, std::string_view> kWords[] = {
        {"ESC", "Esc"},
        {"PRNTSCRN", "Print Screen"},
        {"SCRLCK", "Scroll Lock"},
        {"BSP", "Backspace"},
        {"TAB", "Tab"},
        {"CAPS", "Caps Lock"},
        {"ENT", "Enter"},
        {"WinL", "Left Windows"},
        {"SPC", "Space"},
        {"WinR", "Right Windows"},
        {"Apps", "Menu"},
        {"INS", "Insert"},
        {"DEL", "Delete"},
        {"HOME", "Home"},
        {"END", "End"},
        {"PGUP", "Page Up"},
        {"PGDN", "Page Down"},
        {"UARROW", "Up"},
        {"DARROW", "Down"},
        {"LARROW", "Left"},
        {"RARROW", "Right"},
        {"NUML", "Num Lock"},
        {"KPENT", "Keypad Enter"},
    };
    for (const auto& [abbreviation, word] : kWords) {
        if (name == abbreviation)
            return word;
    }
    return name;
}

std::string tableKeyWords(int tableRow)
{
    const std::string_view name = KeyCodeTable::row(tableRow).keyName;
    if (name.size() == 1 && isLower(name[0]))
        return std::string(1, static_cast<char>(name[0] - 'a' + 'A'));
    if (name.size() > 2 && name.substr(0, 2) == "KP" && name != "KPENT")
        return "Keypad " + std::string(name.substr(2));
    return std::string(keyWord(name));
}

std::string keyWords(const KeyRef& key, std::string_view cell)
{
    switch (key.kind) {
    case KeyRef::Kind::Table:
        return tableKeyWords(key.tableRow);
    case KeyRef::Kind::Unknown:
        if (key.code == kPauseScanCode)
            return "Pause";
        return "key " + std::string(cell);
    default:
        return "key \"" + std::string(cell) + '"';
    }
}

std::string strokeWords(
    const ModifierRef& modifier, std::string_view modifierCell, const KeyRef& key, std::string_view keyCell)
{
    std::string text;
    if (modifier.isValid()) {
        if (modifier.value & 1)
            text += "Shift+";
        if (modifier.value & 2)
            text += "Ctrl+";
        if (modifier.value & 4)
            text += "Alt+";
    } else if (modifier.value == ModifierRef::Invalid) {
        text += "modifier " + std::string(modifierCell) + "+";
    }
    return text + keyWords(key, keyCell);
}

// A headline's title: the text without the "=" rules around it, runs of spaces made one.
std::string headlineTitle(std::string_view description)
{
    const std::string text = unquotedDescription(description);
    std::string_view t = text;
    while (!t.empty() && (t.front() == '=' || t.front() == ' '))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == '=' || t.back() == ' '))
        t.remove_suffix(1);
    std::string title;
    for (const char c : t) {
        if (c == ' ' && !title.empty() && title.back() == ' ')
            continue;
        title += c == '\t' ? ' ' : c;
    }
    return title;
}

bool isBound(const Binding& binding)
{
    if (binding.kind == RecordKind::DirectX || binding.kind == RecordKind::Pov)
        return true;
    return binding.isKey() && !binding.isHeadline() && !binding.key.namesNoKey();
}

void appendEscaped(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters have no place in XML text.
            out += (static_cast<unsigned char>(c) < 0x20 && c != '\t') ? '?' : c;
        }
    }
}

} // namespace

std::string shortFunctionName(const RecordCells& cells, const Binding& binding)
{
    if (binding.reference) {
        const std::string description = unquotedDescription(cells[DescriptionColumn]);
        if (!description.empty())
            return textAsUtf8(description);
    }
    const std::string name = withoutSimPrefix(cells[SimNameColumn]);
    std::string words;
    words.reserve(name.size() + 8);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '_') {
            words += ' ';
            continue;
        }
        if (i > 0 && isUpper(c)) {
            const char before = name[i - 1];
            const bool after = i + 1 < name.size() && isLower(name[i + 1]);
            if (isLower(before) || ((isUpper(before) || isDigit(before)) && after))
                words += ' ';
        }
        words += c;
    }
    return textAsUtf8(words);
}

std::string keysInWords(const Binding& binding, const RecordCells& cells)
{
    if (!binding.isKey())
        return keysText(binding);
    std::string text = strokeWords(binding.modifier, cells[ModifierColumn], binding.key, cells[KeyColumn]);
    if (!binding.hasCombination())
        return textAsUtf8(text);
    return textAsUtf8(
        strokeWords(binding.comboModifier, cells[ComboModifierColumn], binding.combo, cells[ComboKeyColumn]) + ", then "
        + text);
}

std::string modifierWords(int modifier)
{
    if (modifier == 0)
        return "No modifier";
    std::string text;
    for (const auto& [bit, word] : {std::pair{1, "Shift"}, std::pair{2, "Ctrl"}, std::pair{4, "Alt"}}) {
        if (modifier & bit) {
            if (!text.empty())
                text += " + ";
            text += word;
        }
    }
    return text;
}

Reference Reference::build(const KeyDocument& document, std::string_view title)
{
    Reference reference;
    reference.title = std::string(title);

    // The bindings sheet: sections in file order.
    std::vector<ReferenceSection> all(1);
    for (int r = 0; r < document.rowCount(); ++r) {
        const Binding& binding = document.binding(r);
        if (binding.isHeadline()) {
            const RecordCells cells = document.cells(r);
            const std::string text = unquotedDescription(cells[DescriptionColumn]);
            ReferenceSection section;
            section.level = (!text.empty() && text[0] == '=') ? 2 : 1;
            section.title = textAsUtf8(headlineTitle(text));
            all.push_back(std::move(section));
            continue;
        }
        if (!isBound(binding))
            continue;
        const RecordCells cells = document.cells(r);
        ReferenceEntry entry;
        entry.row = r;
        entry.function = textAsUtf8(unquotedDescription(cells[DescriptionColumn]));
        if (entry.function.empty())
            entry.function = shortFunctionName(cells, binding);
        entry.keys = keysInWords(binding, cells);
        all.back().entries.push_back(std::move(entry));
    }
    // A section is shown when it has entries; a title also when a subtitle under it has.
    for (std::size_t i = 0; i < all.size(); ++i) {
        bool shown = !all[i].entries.empty();
        for (std::size_t j = i + 1; !shown && all[i].level == 1 && j < all.size() && all[j].level == 2; ++j)
            shown = !all[j].entries.empty();
        if (shown)
            reference.sections.push_back(std::move(all[i]));
    }

    // The keyboard maps.
    const auto usage = KeyboardUsage::computeAll(document);
    for (int m = 0; m < KeyboardUsage::ModifierCount; ++m) {
        ReferenceLayer layer;
        layer.modifier = m;
        layer.title = modifierWords(m);
        bool any = false;
        for (int k = 0; k < KeyCodeTable::KeyCount; ++k) {
            for (const int row : usage[static_cast<std::size_t>(m)].forTableRow(k).rows) {
                layer.functions[static_cast<std::size_t>(k)].push_back(
                    shortFunctionName(document.cells(row), document.binding(row)));
                any = true;
            }
        }
        if (any)
            reference.layers.push_back(std::move(layer));
    }
    return reference;
}

std::string referenceHtml(const Reference& reference)
{
    std::string html;
    html.reserve(reference.sections.size() * 2000 + 2000);
    html += "<!DOCTYPE html>\n"
            "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n"
            "<head>\n"
            "<meta charset=\"utf-8\"/>\n"
            "<title>";
    appendEscaped(html, reference.title);
    html += " - key bindings</title>\n"
            "<style>\n"
            "body { font-family: \"DejaVu Sans\", Arial, Helvetica, sans-serif; font-size: 9pt; margin: 1.5em; }\n"
            "h1 { font-size: 15pt; margin: 0 0 0.6em 0; }\n"
            ".sheet { column-count: 2; column-gap: 2.5em; }\n"
            "h2 { font-size: 11pt; margin: 0.9em 0 0.3em 0; padding-bottom: 2px; border-bottom: 1px solid #444; }\n"
            "h3 { font-size: 9.5pt; margin: 0.7em 0 0.2em 0; color: #333; }\n"
            "h2, h3 { break-after: avoid; break-inside: avoid; }\n"
            "table { width: 100%; border-collapse: collapse; }\n"
            "tr { break-inside: avoid; }\n"
            "td { vertical-align: top; padding: 1px 0; border-bottom: 1px dotted #bbb; }\n"
            "td.keys { text-align: right; font-weight: bold; padding-left: 1em; white-space: nowrap; }\n"
            "@page { margin: 12mm; }\n"
            "</style>\n"
            "</head>\n"
            "<body>\n"
            "<h1>";
    appendEscaped(html, reference.title);
    html += "</h1>\n<div class=\"sheet\">\n";
    for (const ReferenceSection& section : reference.sections) {
        if (section.level > 0) {
            html += section.level == 1 ? "<h2>" : "<h3>";
            appendEscaped(html, section.title);
            html += section.level == 1 ? "</h2>\n" : "</h3>\n";
        }
        if (section.entries.empty())
            continue;
        html += "<table>\n";
        for (const ReferenceEntry& entry : section.entries) {
            html += "<tr><td class=\"function\">";
            appendEscaped(html, entry.function);
            html += "</td><td class=\"keys\">";
            appendEscaped(html, entry.keys);
            html += "</td></tr>\n";
        }
        html += "</table>\n";
    }
    html += "</div>\n</body>\n</html>\n";
    return html;
}

} // namespace core
