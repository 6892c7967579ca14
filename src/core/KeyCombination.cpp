#include "KeyCombination.h"

#include "KeyCodeTable.h"

#include <algorithm>

namespace core {

namespace {

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

std::optional<int> tableRowOfName(std::string_view name)
{
    for (int row = 0; row < KeyCodeTable::KeyCount; ++row) {
        if (KeyCodeTable::row(row).keyName == name)
            return row;
    }
    const std::string wanted = lowerAscii(name);
    for (int row = 0; row < KeyCodeTable::KeyCount; ++row) {
        if (lowerAscii(KeyCodeTable::row(row).keyName) == wanted)
            return row;
    }
    return std::nullopt;
}

// One stroke: modifier words and a key name, separated by single spaces.
struct Stroke
{
    int key = -1;
    int modifier = 0;
};

std::optional<Stroke> parseStroke(std::string_view text, std::string& error)
{
    Stroke stroke;
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        if (end > pos)
            words.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    if (words.empty()) {
        error = "no key";
        return std::nullopt;
    }
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        const std::string word = lowerAscii(words[i]);
        const int bit = word == "shf" ? 1 : word == "ctl" ? 2 : word == "alt" ? 4 : 0;
        if (bit == 0) {
            error = "\"" + std::string(words[i]) + "\" is not SHF, CTL or ALT";
            return std::nullopt;
        }
        stroke.modifier |= bit;
    }
    const std::string_view name = words.back();
    if (lowerAscii(name) == "pause") {
        error = "the Pause key stops the simulator and cannot be bound";
        return std::nullopt;
    }
    const auto row = tableRowOfName(name);
    if (!row) {
        error = "\"" + std::string(name) + "\" names no key";
        return std::nullopt;
    }
    stroke.key = *row;
    return stroke;
}

} // namespace

std::string KeyCombination::text() const
{
    const auto stroke = [](int row, int modifiers) {
        std::string words = modifierText(modifiers);
        if (!words.empty())
            words += ' ';
        return words + std::string(KeyCodeTable::row(row).keyName);
    };
    if (key < 0)
        return {};
    if (!isTwoStroke())
        return stroke(key, modifier);
    return stroke(firstKey, firstModifier) + "  " + stroke(key, modifier);
}

std::array<std::string, 4> KeyCombination::cells() const
{
    std::array<std::string, 4> out;
    out[0] = key >= 0 ? std::string(KeyCodeTable::row(key).scanCodeText) : std::string("0XFFFFFFFF");
    out[1] = std::to_string(modifier);
    out[2] = isTwoStroke() ? std::string(KeyCodeTable::row(firstKey).scanCodeText) : std::string("0");
    out[3] = std::to_string(isTwoStroke() ? firstModifier : 0);
    return out;
}

bool KeyCombination::boundBy(const Binding& binding) const
{
    const auto bound = combinationOf(binding);
    return bound && *bound == *this;
}

std::optional<KeyCombination> combinationOf(const Binding& b)
{
    if (!b.isKey() || !b.key.isTableKey() || !b.modifier.isValid())
        return std::nullopt;
    KeyCombination combination;
    combination.key = b.key.tableRow;
    combination.modifier = b.modifier.value;
    if (b.combo.isTableKey()) {
        // A combination's modifier cell may be empty or 0 alike.
        if (b.comboModifier.value == ModifierRef::Invalid)
            return std::nullopt;
        combination.firstKey = b.combo.tableRow;
        combination.firstModifier = std::max<int>(0, b.comboModifier.value);
    } else if (!b.combo.namesNoKey()) {
        return std::nullopt;
    }
    return combination;
}

ParsedKeys parseKeys(std::string_view text)
{
    ParsedKeys parsed;
    text = trimSpaces(text);
    if (lowerAscii(text) == "none") {
        parsed.none = true;
        return parsed;
    }
    // Two strokes are written first stroke, two spaces, last stroke.
    const std::size_t gap = text.find("  ");
    KeyCombination combination;
    if (gap != std::string_view::npos) {
        const auto first = parseStroke(trimSpaces(text.substr(0, gap)), parsed.error);
        if (!first)
            return parsed;
        combination.firstKey = first->key;
        combination.firstModifier = first->modifier;
        text = trimSpaces(text.substr(gap));
    }
    const auto last = parseStroke(text, parsed.error);
    if (!last)
        return parsed;
    combination.key = last->key;
    combination.modifier = last->modifier;
    parsed.combination = combination;
    return parsed;
}

std::array<std::string, 4> clearedKeyCells()
{
    return {"0XFFFFFFFF", "0", "0", "0"};
}

std::vector<int> rowsBoundTo(const KeyDocument& document, const KeyCombination& combination, int exceptRow)
{
    std::vector<int> rows;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (r != exceptRow && combination.boundBy(document.binding(r)))
            rows.push_back(r);
    }
    return rows;
}

bool isPassiveLine(const Binding& binding)
{
    return binding.reference || binding.visibility == Visibility::Hidden || binding.visibility == Visibility::Headline;
}

} // namespace core
