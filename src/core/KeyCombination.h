#pragma once

#include "Binding.h"
#include "KeyDocument.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/**
 * A key with its modifiers, and for a two-stroke combination the key pressed first with its modifiers: what a key
 * line binds, as the cells of columns 4 to 7 hold it. Keys are rows of the key code table.
 */
struct KeyCombination
{
    int key = -1; // table row of the key pressed last
    int modifier = 0; // 1 Shift, 2 Control, 4 Alt
    int firstKey = -1; // table row of a two-stroke combination's first key, or -1
    int firstModifier = 0;

    bool isTwoStroke() const { return firstKey >= 0; }
    /** The combination in words, as the list writes it: "CTL ALT c", "ALT c  f". */
    std::string text() const;
    /** The cells of columns 4 to 7 that bind it: key code, modifier, first key code (or "0"), its modifier. */
    std::array<std::string, 4> cells() const;
    /** True when the binding of a key line binds exactly this combination. */
    bool boundBy(const Binding& binding) const;

    friend bool operator==(const KeyCombination&, const KeyCombination&) = default;
};

/** The combination a key line binds, when its keys are keys of the table and its modifiers whole numbers 0 to 7. */
std::optional<KeyCombination> combinationOf(const Binding& binding);

/** Why a keys text could not be read, or what it names. */
struct ParsedKeys
{
    std::optional<KeyCombination> combination; // nothing with `none` or an error
    bool none = false; // "none": clear the assignment
    std::string error; // empty when the text was read
};

/** Reads a combination written as the list writes it ("CTL ALT c", "SHF F1", "ALT c  f"), or "none". Modifier
 *  words are SHF, CTL and ALT in any order and letter case; key names are those of the table, matched as written
 *  first and then ignoring case. "Pause" is named so that it can be refused by name. */
ParsedKeys parseKeys(std::string_view text);

/** The cells that clear a key line's assignment (columns 4 to 7), as the right-button menu writes them. */
std::array<std::string, 4> clearedKeyCells();

/** The rows other than `exceptRow` whose key line binds `combination`. */
std::vector<int> rowsBoundTo(const KeyDocument& document, const KeyCombination& combination, int exceptRow = -1);

/** True for a line whose binding the simulator does not act on: a reference line (SimDoNothing), a hidden line
 *  (visibility -2) or a headline. Such lines may share a key with any other. */
bool isPassiveLine(const Binding& binding);

/** The scan code of the Pause key, which stops the simulator and has no row in the table. */
constexpr std::uint32_t PauseScanCode = 0xC5;

} // namespace core
