#include "CougarMacros.h"

#include <array>
#include <utility>

namespace core {

namespace {

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

void padToRemarkColumn(std::string& line)
{
    if (line.size() < CougarRemarkColumn)
        line.append(CougarRemarkColumn - line.size(), ' ');
}

// The number that the last two characters of a DirectX line begin with: "28" gives 28, "9 " gives 9, and "X5"
// gives 0, since it does not begin with a digit.
int lastTwoValue(std::string_view line)
{
    const std::string_view tail = line.substr(line.size() - 2);
    if (!isDigit(tail[0]))
        return 0;
    if (!isDigit(tail[1]))
        return tail[0] - '0';
    return (tail[0] - '0') * 10 + (tail[1] - '0');
}

// The Windows keys have no Cougar name; alone they are written as USB codes.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kUsbKeys{{
    {"WinL", "USB (DE3 UE3)"},
    {"WinR", "USB (DE7 UE7)"},
    {"Apps", "USB (D65 U65)"},
}};

// The length of ", Device 01" and the space that follows the keys text.
constexpr std::size_t kDeviceSuffixLength = 12;
// Buttons of the first device from this one on give no macro line.
constexpr int kFirstDroppedButton = 29;

} // namespace

std::optional<std::string> cougarMacroLine(const SimplifiedEntry& entry, bool removeSim)
{
    // The Cougar has no macro for a POV hat; such lines go the way of DirectX buttons of other devices.
    if (entry.pov)
        return std::nullopt;

    std::string line = entry.simName + " = ";
    if (removeSim && asciiLower(line[0]) == 's' && asciiLower(line[1]) == 'i' && asciiLower(line[2]) == 'm')
        line.erase(0, 3);

    std::string keys = entry.keys;
    for (const auto& [name, usb] : kUsbKeys) {
        if (keys == name)
            keys = usb;
        if (contains(keys, name))
            line.insert(0, "Rem ");
    }
    if (keys == "Unassigned")
        keys = "^";
    if (contains(keys, "Unassigned"))
        line.insert(0, "Rem ");
    keys += ' ';

    const std::string remark = " Rem " + entry.description + " ";
    // A "^" in the name is tested twice, before and after the keys are added, and so gets "Rem " twice.
    if (contains(line, "^"))
        line.insert(0, "Rem ");
    line += keys;
    if (contains(line, "^"))
        line.insert(0, "Rem ");

    if (!contains(line, "Device 01")) {
        padToRemarkColumn(line);
        line += remark;
    }

    if (!line.empty() && line[0] == '\\')
        return std::nullopt;
    if (contains(line, "Device 01")) {
        // "SimA = DX5, Device 01 " loses ", Device 01 " and ends with its button.
        if (line.size() >= kDeviceSuffixLength)
            line.resize(line.size() - kDeviceSuffixLength);
        if (line.size() >= 2 && lastTwoValue(line) >= kFirstDroppedButton)
            return std::nullopt;
        if (!entry.description.empty()) {
            padToRemarkColumn(line);
            line += remark;
        }
        return line;
    }
    if (contains(line, "Device"))
        return std::nullopt;
    return line;
}

std::string fillCougarMacros(const SimplifiedList& list, bool removeSim)
{
    std::string text;
    text.reserve(list.entries().size() * 80);
    for (const auto& entry : list.entries()) {
        if (auto line = cougarMacroLine(entry, removeSim)) {
            text += *line;
            text += "\r\n";
        }
    }
    return text;
}

} // namespace core
