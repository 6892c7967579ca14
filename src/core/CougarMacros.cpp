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

void padToRemarkColumn(std::string& line)
{
    if (line.size() < CougarRemarkColumn)
        line.append(CougarRemarkColumn - line.size(), ' ');
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
constexpr long long kFirstDroppedButton = 29;
constexpr long long kButtonsPerDevice = 32;
constexpr long long kNumberLimit = 1LL << 60;

// Where a DirectX line's button stands: on the first device (as the Cougar numbers its buttons), on another device,
// or nowhere that the line can say.
enum class Device { First, Other, Unknown };

Device deviceOf(const Binding& b)
{
    if (!b.numberValid || b.number >= kNumberLimit || b.number <= -kNumberLimit)
        return Device::Unknown;
    return b.number + 1 <= kButtonsPerDevice ? Device::First : Device::Other;
}

} // namespace

std::optional<std::string> cougarMacroLine(const SimplifiedEntry& entry, const Binding& binding, bool removeSim)
{
    // The Cougar has no macro for a POV hat, nor for a button of a device other than the first.
    if (binding.kind == RecordKind::Pov)
        return std::nullopt;
    const bool directX = binding.kind == RecordKind::DirectX && deviceOf(binding) != Device::Unknown;
    if (directX && deviceOf(binding) == Device::Other)
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
    // Keys that name no key the Cougar knows (a code the table lacks, the Pause key, a modifier out of range) are
    // commented out like an unassigned key among others.
    if (contains(keys, "Unassigned") || contains(keys, "Not found") || contains(keys, "???"))
        line.insert(0, "Rem ");
    keys += ' ';

    const std::string remark = " Rem " + entry.description + " ";
    // A "^" in the name is tested twice, before and after the keys are added, and so gets "Rem " twice.
    if (contains(line, "^"))
        line.insert(0, "Rem ");
    line += keys;
    if (contains(line, "^"))
        line.insert(0, "Rem ");

    if (!line.empty() && line[0] == '\\')
        return std::nullopt;
    if (!directX) {
        padToRemarkColumn(line);
        return line + remark;
    }
    // "SimA = DX5, Device 01 " loses ", Device 01 " and ends with its button. The Cougar's macros reach button 28.
    if (binding.number + 1 >= kFirstDroppedButton)
        return std::nullopt;
    if (line.size() >= kDeviceSuffixLength)
        line.resize(line.size() - kDeviceSuffixLength);
    if (!entry.description.empty()) {
        padToRemarkColumn(line);
        line += remark;
    }
    return line;
}

std::string fillCougarMacros(const KeyDocument& document, const std::vector<SimplifiedEntry>& entries, bool removeSim)
{
    std::string text;
    text.reserve(entries.size() * 80);
    for (const auto& entry : entries) {
        if (auto line = cougarMacroLine(entry, document.binding(entry.row), removeSim)) {
            text += *line;
            text += "\r\n";
        }
    }
    return text;
}

} // namespace core
