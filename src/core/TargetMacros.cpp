#include "TargetMacros.h"

#include "KeyCodeTable.h"
#include "SimplifiedList.h"
#include "TextDecoding.h"

#include <algorithm>
#include <unordered_map>

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
void appendStroke(std::string& out, const ModifierRef& modifier, const KeyRef& key)
{
    const int value = modifier.isValid() ? modifier.value : 0;
    if (value & 1)
        out += "L_SHIFT+";
    if (value & 2)
        out += "L_CTL+";
    if (value & 4)
        out += "L_ALT+";
    appendUsb(out, KeyCodeTable::row(key.tableRow).usbUsage);
}

// Why the keys of a key line that names a key cannot be written; empty when they can.
std::string keysProblem(const Binding& binding, const RecordCells& cells)
{
    std::string problem = keyProblem(binding.key, cells[KeyColumn], "key");
    if (problem.empty())
        problem = modifierProblem(binding.modifier, cells[ModifierColumn], "modifier");
    if (problem.empty() && binding.hasCombination()) {
        problem = keyProblem(binding.combo, cells[ComboKeyColumn], "combination key");
        if (problem.empty())
            problem = modifierProblem(binding.comboModifier, cells[ComboModifierColumn], "combination modifier");
    }
    return problem;
}

// The keys of a key line that can be written: USB[0x00] for no key, one keystroke, or a chain of two.
void appendKeys(std::string& out, const Binding& binding)
{
    if (binding.key.namesNoKey()) {
        out += "USB[0x00]";
    } else if (!binding.hasCombination()) {
        appendStroke(out, binding.modifier, binding.key);
    } else {
        out += "CHAIN(";
        appendStroke(out, binding.comboModifier, binding.combo);
        out += ", D(), ";
        appendStroke(out, binding.modifier, binding.key);
        out += ')';
    }
}

// A name as a TARGET identifier: letters, digits and underscores kept, any other character (a multi-byte UTF-8
// character counts once) made an underscore, and an underscore in front of a leading digit or of nothing.
void appendIdentifier(std::string& out, std::string_view name)
{
    const std::size_t start = out.size();
    for (std::size_t pos = 0; pos < name.size();) {
        const auto byte = static_cast<unsigned char>(name[pos]);
        const char32_t c = byte < 0x80 ? static_cast<char32_t>(name[pos++]) : nextTextChar(name, &pos);
        out += isIdentifierChar(c) ? static_cast<char>(c) : '_';
    }
    if (out.size() == start || (out[start] >= '0' && out[start] <= '9'))
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(start), '_');
}

// The names defined so far, kept in blocks that never move, so that the table of names can refer to them.
class NameStore
{
public:
    std::string_view keep(std::string_view name)
    {
        if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < name.size()) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(std::max<std::size_t>(64 * 1024, name.size()));
        }
        std::string& block = m_blocks.back();
        const std::size_t at = block.size();
        block += name; // within the reserved capacity: the block's bytes stay where they are
        return std::string_view(block).substr(at, name.size());
    }

private:
    std::vector<std::string> m_blocks;
};

} // namespace

std::string fillTargetMacros(const KeyDocument& document, const std::vector<int>& rows, bool removeSim)
{
    std::string text;
    text.reserve(rows.size() * 72);
    // Every name defined so far, with the number its next repeat tries first ("_2" for a name defined once).
    NameStore names;
    std::unordered_map<std::string_view, int> defined;
    defined.reserve(rows.size());
    std::string name;
    std::string numbered;
    for (const int row : rows) {
        const Binding& binding = document.binding(row);
        if (!binding.isKey())
            continue;
        const RecordCells cells = document.cells(row);
        const std::string_view description = cells[DescriptionColumn];
        if (binding.isHeadline() && binding.key.namesNoKey() && !binding.hasCombination()) {
            const std::size_t start = text.size();
            text += "// ";
            appendUnquotedDescription(text, description);
            if (text.size() == start + 3)
                text.resize(start); // a headline without a title gives no line
            else
                text += "\r\n";
            continue;
        }
        name.clear();
        if (removeSim)
            appendIdentifier(name, withoutSimPrefix(cells[SimNameColumn]));
        else
            appendIdentifier(name, cells[SimNameColumn]);
        if (!binding.key.namesNoKey()) {
            if (const std::string problem = keysProblem(binding, cells); !problem.empty()) {
                text += "//define ";
                text += name;
                text += "\t\t\t//";
                const std::size_t start = text.size();
                appendUnquotedDescription(text, description);
                text += text.size() == start ? "(not defined: " : " (not defined: ";
                text += problem;
                text += ")\r\n";
                continue;
            }
        }
        std::string_view defining;
        if (const auto found = defined.find(name); found == defined.end()) {
            defining = names.keep(name);
        } else {
            int& next = found->second;
            do {
                numbered = name;
                numbered += '_';
                numbered += std::to_string(next++);
            } while (defined.count(numbered) != 0);
            defining = names.keep(numbered);
        }
        defined.emplace(defining, 2);
        text += "define ";
        text += defining;
        text += '\t';
        appendKeys(text, binding);
        text += "\t\t//";
        appendUnquotedDescription(text, description);
        text += "\r\n";
    }
    return text;
}

} // namespace core
