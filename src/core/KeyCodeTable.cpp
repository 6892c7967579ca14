#include "KeyCodeTable.h"

#include <cstring>

namespace core {

namespace {

constexpr std::array<KeyCode, KeyCodeTable::RowCount> kRows{{
    {"0X1E", "a", 30, 0x1E, 0x04},
    {"0X30", "b", 48, 0x30, 0x05},
    {"0X2E", "c", 46, 0x2E, 0x06},
    {"0X20", "d", 32, 0x20, 0x07},
    {"0X12", "e", 18, 0x12, 0x08},
    {"0X21", "f", 33, 0x21, 0x09},
    {"0X22", "g", 34, 0x22, 0x0A},
    {"0X23", "h", 35, 0x23, 0x0B},
    {"0X17", "i", 23, 0x17, 0x0C},
    {"0X24", "j", 36, 0x24, 0x0D},
    {"0X25", "k", 37, 0x25, 0x0E},
    {"0X26", "l", 38, 0x26, 0x0F},
    {"0X32", "m", 50, 0x32, 0x10},
    {"0X31", "n", 49, 0x31, 0x11},
    {"0X18", "o", 24, 0x18, 0x12},
    {"0X19", "p", 25, 0x19, 0x13},
    {"0X10", "q", 16, 0x10, 0x14},
    {"0X13", "r", 19, 0x13, 0x15},
    {"0X1F", "s", 31, 0x1F, 0x16},
    {"0X14", "t", 20, 0x14, 0x17},
    {"0X16", "u", 22, 0x16, 0x18},
    {"0X2F", "v", 47, 0x2F, 0x19},
    {"0X11", "w", 17, 0x11, 0x1A},
    {"0X2D", "x", 45, 0x2D, 0x1B},
    {"0X15", "y", 21, 0x15, 0x1C},
    {"0X2C", "z", 44, 0x2C, 0x1D},
    {"0X1", "ESC", 1, 0x1, 0x29},
    {"0X3B", "F1", 59, 0x3B, 0x3A},
    {"0X3C", "F2", 60, 0x3C, 0x3B},
    {"0X3D", "F3", 61, 0x3D, 0x3C},
    {"0X3E", "F4", 62, 0x3E, 0x3D},
    {"0X3F", "F5", 63, 0x3F, 0x3E},
    {"0X40", "F6", 64, 0x40, 0x3F},
    {"0X41", "F7", 65, 0x41, 0x40},
    {"0X42", "F8", 66, 0x42, 0x41},
    {"0X43", "F9", 67, 0x43, 0x42},
    {"0X44", "F10", 68, 0x44, 0x43},
    {"0X57", "F11", 87, 0x57, 0x44},
    {"0X58", "F12", 88, 0x58, 0x45},
    {"0XB7", "PRNTSCRN", 183, 0xB7, 0x46},
    {"0X46", "SCRLCK", 70, 0x46, 0x47},
    {"0X29", "`", 41, 0x29, 0x35},
    {"0X2", "1", 2, 0x2, 0x1E},
    {"0X3", "2", 3, 0x3, 0x1F},
    {"0X4", "3", 4, 0x4, 0x20},
    {"0X5", "4", 5, 0x5, 0x21},
    {"0X6", "5", 6, 0x6, 0x22},
    {"0X7", "6", 7, 0x7, 0x23},
    {"0X8", "7", 8, 0x8, 0x24},
    {"0X9", "8", 9, 0x9, 0x25},
    {"0XA", "9", 10, 0xA, 0x26},
    {"0XB", "0", 11, 0xB, 0x27},
    {"0XC", "-", 12, 0xC, 0x2D},
    {"0XD", "=", 13, 0xD, 0x2E},
    {"0XE", "BSP", 14, 0xE, 0x2A},
    {"0XF", "TAB", 15, 0xF, 0x2B},
    {"0X1A", "[", 26, 0x1A, 0x2F},
    {"0X1B", "]", 27, 0x1B, 0x30},
    {"0X2B", "\\", 43, 0x2B, 0x31},
    {"0X3A", "CAPS", 58, 0x3A, 0x39},
    {"0X27", ";", 39, 0x27, 0x33},
    {"0X28", "'", 40, 0x28, 0x34},
    {"0X1C", "ENT", 28, 0x1C, 0x28},
    {"0X33", ",", 51, 0x33, 0x36},
    {"0X34", ".", 52, 0x34, 0x37},
    {"0X35", "/", 53, 0x35, 0x38},
    {"0XDB", "WinL", 0, 0xDB, 0xE3},
    {"0X39", "SPC", 57, 0x39, 0x2C},
    {"0XDC", "WinR", 84, 0xDC, 0xE7},
    {"0XDD", "Apps", 85, 0xDD, 0x65},
    {"0XD2", "INS", 210, 0xD2, 0x49},
    {"0XD3", "DEL", 211, 0xD3, 0x4C},
    {"0XC7", "HOME", 199, 0xC7, 0x4A},
    {"0XCF", "END", 207, 0xCF, 0x4D},
    {"0XC9", "PGUP", 201, 0xC9, 0x4B},
    {"0XD1", "PGDN", 209, 0xD1, 0x4E},
    {"0XC8", "UARROW", 200, 0xC8, 0x52},
    {"0XD0", "DARROW", 208, 0xD0, 0x51},
    {"0XCB", "LARROW", 203, 0xCB, 0x50},
    {"0XCD", "RARROW", 205, 0xCD, 0x4F},
    {"0X45", "NUML", 69, 0x45, 0x53},
    {"0XB5", "KP/", 181, 0xB5, 0x54},
    {"0X37", "KP*", 55, 0x37, 0x55},
    {"0X4A", "KP-", 74, 0x4A, 0x56},
    {"0X4E", "KP+", 78, 0x4E, 0x57},
    {"0X52", "KP0", 82, 0x52, 0x62},
    {"0X4F", "KP1", 79, 0x4F, 0x59},
    {"0X50", "KP2", 80, 0x50, 0x5A},
    {"0X51", "KP3", 81, 0x51, 0x5B},
    {"0X4B", "KP4", 75, 0x4B, 0x5C},
    {"0X4C", "KP5", 76, 0x4C, 0x5D},
    {"0X4D", "KP6", 77, 0x4D, 0x5E},
    {"0X47", "KP7", 71, 0x47, 0x5F},
    {"0X48", "KP8", 72, 0x48, 0x60},
    {"0X49", "KP9", 73, 0x49, 0x61},
    {"0X53", "KP.", 83, 0x53, 0x63},
    {"0X9C", "KPENT", 156, 0x9C, 0x58},
    // The marker: what a key file writes where no key is assigned. Its label index is never used.
    {"0XFFFFFFFF", "Unassigned", 0, KeyCodeTable::NoKeyCode, 0x00},
}};

// Each byte's value as a hexadecimal digit, or -1: read by table, every line of a key file holds one or two codes.
constexpr std::array<std::int8_t, 256> kHexDigits = [] {
    std::array<std::int8_t, 256> digits{};
    digits.fill(-1);
    for (int c = 0; c < 10; ++c)
        digits[static_cast<std::size_t>('0' + c)] = static_cast<std::int8_t>(c);
    for (int c = 0; c < 6; ++c) {
        digits[static_cast<std::size_t>('a' + c)] = static_cast<std::int8_t>(10 + c);
        digits[static_cast<std::size_t>('A' + c)] = static_cast<std::int8_t>(10 + c);
    }
    return digits;
}();

// Every key's code is below 256: its row by code, or -1.
constexpr std::array<std::int8_t, 256> kRowOfCode = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < KeyCodeTable::KeyCount; ++i)
        table[kRows[static_cast<std::size_t>(i)].scanCode] = static_cast<std::int8_t>(i);
    return table;
}();

bool hasHexPrefix(std::string_view text)
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

} // namespace

const std::array<KeyCode, KeyCodeTable::RowCount>& KeyCodeTable::rows()
{
    return kRows;
}

std::optional<int> KeyCodeTable::rowOfScanCode(std::uint32_t scanCode)
{
    const int row = rowOfScanCodeOrMinusOne(scanCode);
    if (row < 0)
        return std::nullopt;
    return row;
}

int KeyCodeTable::rowOfScanCodeOrMinusOne(std::uint32_t scanCode)
{
    return scanCode < kRowOfCode.size() ? kRowOfCode[scanCode] : -1;
}

std::optional<int> KeyCodeTable::rowOfLabel(int labelIndex)
{
    for (int i = 0; i < KeyCount; ++i) {
        if (kRows[static_cast<std::size_t>(i)].labelIndex == labelIndex)
            return i;
    }
    return std::nullopt;
}

std::int64_t scanCodeOrMinusOne(std::string_view text)
{
    if (!hasHexPrefix(text) || text.size() < 3 || text.size() > 10)
        return -1;
    if (text.size() == 10) {
        // The marker of no key, on every line without a second key: its eight digits in one look, either case.
        std::uint64_t digits = 0;
        std::memcpy(&digits, text.data() + 2, sizeof digits);
        constexpr std::uint64_t lowerCase = 0x2020202020202020ULL;
        constexpr std::uint64_t allF = 0x6666666666666666ULL; // "ffffffff"
        if ((digits | lowerCase) == allF)
            return KeyCodeTable::NoKeyCode;
    }
    std::uint32_t value = 0;
    int invalid = 0; // negative once any byte is no digit
    for (const char c : text.substr(2)) {
        const int digit = kHexDigits[static_cast<unsigned char>(c)];
        invalid |= digit;
        value = value * 16 + static_cast<std::uint32_t>(digit & 15);
    }
    return invalid < 0 ? -1 : static_cast<std::int64_t>(value);
}

std::optional<std::uint32_t> parseScanCode(std::string_view text)
{
    const std::int64_t code = scanCodeOrMinusOne(text);
    if (code < 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(code);
}

bool namesNoKey(std::string_view text)
{
    if (text.empty() || text == "0")
        return true;
    const auto code = parseScanCode(text);
    return code && (*code == 0 || *code == KeyCodeTable::NoKeyCode);
}

std::optional<int> keyRowOfCell(std::string_view text)
{
    const auto code = parseScanCode(text);
    if (!code)
        return std::nullopt;
    return KeyCodeTable::rowOfScanCode(*code);
}

std::string lookupKeyName(std::string_view text)
{
    if (text == "0" || !hasHexPrefix(text))
        return {};
    const auto code = parseScanCode(text);
    if (!code)
        return "Not found";
    if (*code == 0)
        return {};
    if (*code == KeyCodeTable::NoKeyCode)
        return std::string(kRows[KeyCodeTable::KeyCount].keyName);
    if (const auto row = KeyCodeTable::rowOfScanCode(*code))
        return std::string(kRows[static_cast<std::size_t>(*row)].keyName);
    return "Not found";
}

std::string_view modifierWords(long long value)
{
    static constexpr std::string_view kWords[]
        = {"", "SHF", "CTL", "SHF CTL", "ALT", "SHF ALT", "CTL ALT", "SHF CTL ALT"};
    if (value < 0 || value > 7)
        return "???";
    return kWords[value];
}

std::string modifierText(long long value)
{
    return std::string(modifierWords(value));
}

} // namespace core
