#include "TargetMacros.h"

#include "KeyCodeTable.h"
#include "SimplifiedList.h"
#include "TextDecoding.h"

#include <unordered_map>
#include <unordered_set>

namespace core {

namespace {

constexpr std::uint32_t kPauseScanCode = 0xC5;

bool isIdentifierChar(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void appendUsb(std::string& out, int usage)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "USB[0x";
    out += kHex[(usage >> 4) & 0xF];
    out += kHex[usage & 0xF];
    out += ']';
}

// Why a key cell that is not "no key" gives no USB usage; empty for a key of the table.
std::string keyProblem(const KeyRef& key, std::string_view cell, std::string_view what)
{
    switch (key.kind) {
    case KeyRef::Kind::Table:
        return {};
    case KeyRef::Kind::Unknown:
        if (key.code == kPauseScanCode)
            return std::string(what) + " " + std::string(cell) + " (Pause) is not in the key table";
        return std::string(what) + " " + std::string(cell) + " is not in the key table";
    case KeyRef::Kind::Malformed:
    case KeyRef::Kind::NotACode:
        return std::string(what) + " \"" + std::string(cell) + "\" is not a scan code";
    case KeyRef::Kind::Empty:
    case KeyRef::Kind::Zero:
    case KeyRef::Kind::Unassigned:
        break;
    }
    return std::string(what) + " names no key";
}

std::string modifierProblem(const ModifierRef& modifier, std::string_view cell, std::string_view what)
{
    if (modifier.value != ModifierRef::Invalid)
        return {};
    return std::string(what) + " \"" + std::string(cell) + "\" is not 0 to 7";
}

// One keystroke: the modifiers of `modifier` and the key's usage.
std::string stroke(const ModifierRef& modifier, const KeyRef& key)
{
    std::string text;
    const int value = modifier.isValid() ? modifier.value : 0;
    if (value & 1)
        text += "L_SHIFT+";
    if (value & 2)
        text += "L_CTL+";
    if (value & 4)
        text += "L_ALT+";
    appendUsb(text, KeyCodeTable::row(key.tableRow).usbUsage);
    return text;
}

} // namespace

std::string targetIdentifier(std::string_view name)
{
    std::string id;
    id.reserve(name.size() + 1);
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t c = nextTextChar(name, &pos);
        id += isIdentifierChar(c) ? static_cast<char>(c) : '_';
    }
    if (id.empty() || (id[0] >= '0' && id[0] <= '9'))
        id.insert(id.begin(), '_');
    return id;
}

std::optional<std::string> targetKeys(const Binding& binding, const RecordCells& cells, std::string* why)
{
    if (binding.key.namesNoKey())
        return std::string("USB[0x00]");
    std::string problem = keyProblem(binding.key, cells[KeyColumn], "key");
    if (problem.empty())
        problem = modifierProblem(binding.modifier, cells[ModifierColumn], "modifier");
    if (problem.empty() && binding.hasCombination()) {
        problem = keyProblem(binding.combo, cells[ComboKeyColumn], "combination key");
        if (problem.empty())
            problem = modifierProblem(binding.comboModifier, cells[ComboModifierColumn], "combination modifier");
    }
    if (!problem.empty()) {
        if (why)
            *why = std::move(problem);
        return std::nullopt;
    }
    if (!binding.hasCombination())
        return stroke(binding.modifier, binding.key);
    return "CHAIN(" + stroke(binding.comboModifier, binding.combo) + ", D(), " + stroke(binding.modifier, binding.key)
        + ")";
}

std::string fillTargetMacros(const KeyDocument& document, const std::vector<int>& rows, bool removeSim)
{
    std::string text;
    text.reserve(rows.size() * 72);
    std::unordered_set<std::string> defined;
    defined.reserve(rows.size());
    std::unordered_map<std::string, int> nextNumber;
    std::string why;
    for (const int row : rows) {
        const Binding& binding = document.binding(row);
        if (!binding.isKey())
            continue;
        const RecordCells cells = document.cells(row);
        const std::string description = unquotedDescription(cells[DescriptionColumn]);
        if (binding.isHeadline() && binding.key.namesNoKey() && !binding.hasCombination()) {
            if (!description.empty()) {
                text += "// ";
                text += description;
                text += "\r\n";
            }
            continue;
        }
        std::string name = targetIdentifier(removeSim ? withoutSimPrefix(cells[SimNameColumn]) : cells[SimNameColumn]);
        const auto keys = targetKeys(binding, cells, &why);
        if (!keys) {
            text += "//define " + name + "\t\t\t//" + description;
            text += description.empty() ? "(not defined: " : " (not defined: ";
            text += why;
            text += ")\r\n";
            continue;
        }
        if (defined.count(name) != 0) {
            // The next number to try for this name, so that many repeats of one name cost no more than others.
            int& next = nextNumber.try_emplace(name, 2).first->second;
            std::string numbered;
            do
                numbered = name + '_' + std::to_string(next++);
            while (defined.count(numbered) != 0);
            name = std::move(numbered);
        }
        text += "define ";
        text += name;
        text += '\t';
        text += *keys;
        text += "\t\t//";
        text += description;
        text += "\r\n";
        defined.insert(std::move(name));
    }
    return text;
}

} // namespace core
