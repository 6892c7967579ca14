#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

/** One keyboard key: its scan-code text as key files write it, its name in Cougar macro text, the index of its
 *  label on the virtual keyboard (the scan code itself, except for the Windows and application keys), and its USB
 *  HID usage on the keyboard page (what TARGET scripts write as USB[0xNN]; the marker row has 0). */
struct KeyCode
{
    std::string_view scanCodeText;
    std::string_view keyName;
    int labelIndex;
    std::uint32_t scanCode;
    std::uint8_t usbUsage;
};

/** The key vocabulary: 97 keys (rows 0 to 96) and the marker row 97 for "no key". Constant; no state. */
class KeyCodeTable
{
public:
    static constexpr int KeyCount = 97; // index of the marker row
    static constexpr int RowCount = KeyCount + 1; // 98 rows, marker included
    static constexpr std::uint32_t NoKeyCode = 0xFFFFFFFF; // "0XFFFFFFFF", the marker

    static const std::array<KeyCode, RowCount>& rows();
    static const KeyCode& row(int index) { return rows()[static_cast<std::size_t>(index)]; }

    /** The row (0 to 96) of the key with this scan code, or nothing. The marker row is never returned. */
    static std::optional<int> rowOfScanCode(std::uint32_t scanCode);
    /** rowOfScanCode for every line's reading: -1 for no row. */
    static int rowOfScanCodeOrMinusOne(std::uint32_t scanCode);
    /** The row (0 to 96) whose key sits on virtual keyboard label `labelIndex`, or nothing. */
    static std::optional<int> rowOfLabel(int labelIndex);
};

/** Parses "0x"/"0X" followed by 1 to 8 hexadecimal digits of either case. Anything else gives nothing. */
std::optional<std::uint32_t> parseScanCode(std::string_view text);
/** parseScanCode for the lines' own reading, where every line reads one or two: -1 for anything but a code. (An
 *  optional returned by value is stored piecewise and read whole, which stalls the caller.) */
std::int64_t scanCodeOrMinusOne(std::string_view text);

/** True for the texts that name no key: empty, "0", any spelling of 0x0 or of 0xFFFFFFFF. */
bool namesNoKey(std::string_view text);

/** The table row (0 to 96) of the key that a key cell names, matched by value; nothing for no key or an unknown one. */
std::optional<int> keyRowOfCell(std::string_view text);

/** The Cougar name of the key in a key cell: "" for "0", 0x0 and texts without the 0x prefix, "Unassigned" for
 *  0xFFFFFFFF, "Not found" for a code the table lacks or a malformed one. */
std::string lookupKeyName(std::string_view text);

/** "SHF", "CTL", "ALT" for the set bits 1, 2, 4 of a modifier value, space separated; "???" outside 0 to 7. */
std::string modifierText(long long value);
std::string_view modifierWords(long long value);

} // namespace core
