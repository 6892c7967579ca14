#pragma once

#include "KeyCodeTable.h"
#include "KeyDocument.h"

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace core {

/** How a key is used for one modifier value: by no line, by one line, or by two or more. */
enum class KeyUse { Free, Assigned, Multiple };

/** The use of one key of the table and the document rows (0-based, in document order) that make it so. */
struct KeyUsage
{
    KeyUse use = KeyUse::Free;
    std::size_t count = 0; // the rows that make it so
    std::vector<int> rows; // the first of them in document order: all, unless fewer were asked for
};

/**
 * Which keys of the table a document uses for one modifier value (0 to 7: 1 Shift, 2 Control, 4 Alt).
 *
 * A row counts for a key when it is not a comment, its key cell is not "-2", its modifier cell reads as a whole
 * number equal to the modifier value, its combination key cell names no key, and its key cell names a key of the
 * table by value ("0x1e" and "0X1E" are the same key). One counting row makes the key Assigned, two or more make it
 * Multiple. The result is plain data: the keyboard only draws it.
 */
class KeyboardUsage
{
public:
    static constexpr int ModifierCount = 8;

    KeyboardUsage();

    static KeyboardUsage compute(const KeyDocument& document, int modifier);
    static constexpr int ParallelRows = 1 << 16; // from here compute() reads on several threads
    /** The usage for every modifier value 0 to 7, from one reading of the document; each key keeps at most
     *  `rowsKept` of its rows (a view that names the first few of a key's functions needs no more). */
    static std::array<KeyboardUsage, ModifierCount> computeAll(
        const KeyDocument& document, std::size_t rowsKept = std::numeric_limits<std::size_t>::max());

    int modifier() const { return m_modifier; }

    /** The usage of the key in table row 0 to 96. */
    const KeyUsage& forTableRow(int tableRow) const { return m_keys[static_cast<std::size_t>(tableRow)]; }

private:
    int m_modifier = 0;
    std::array<KeyUsage, KeyCodeTable::KeyCount> m_keys;
};

/** What hovering over a key shows. */
struct HoverAnswer
{
    std::string scanCodeText; // the key's scan-code text, always given
    bool assigned = false; // false: the key is free, and the sim name and description read-outs are emptied
    bool matched = false; // an assigned key whose line was found; when false the read-outs keep their texts
    std::string simName;
    std::string description;
};

/**
 * The hover answer for the key in table row `tableRow` (0 to 96). For a key that `usage` shows as used, the first
 * document row that is not a comment, whose key cell names the same key by value and whose modifier cell reads as
 * `modifier` gives the sim name and description. Rows with a combination key are not passed over here, so the
 * answer may come from a row that does not count for the colouring. The document is searched as it is now, which
 * may be later than when `usage` was computed. A table row out of range gives an empty answer.
 */
HoverAnswer hoverAnswer(const KeyDocument& document, const KeyboardUsage& usage, int tableRow, int modifier);

/** The word for a key use: "free", "assigned" or "multiple". */
const char* keyUseName(KeyUse use);

} // namespace core
