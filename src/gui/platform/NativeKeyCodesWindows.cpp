// Windows scan codes as key events carry them: bits 16 to 24 of the key message, the scan code of set 1 and, in bit
// 0x100, the E0 prefix of the extended keys.
#include "NativeKeyCodes.h"

namespace gui::platform {

namespace {

constexpr quint32 kExtendedBit = 0x100;
constexpr std::uint32_t kDirectInputExtended = 0x80;
constexpr quint32 kNumLock = 0x45; // sent with the extended bit, though DirectInput counts it as a plain key
constexpr std::uint32_t kPause = 0xC5; // sent as plain 0x45 (behind an E1 prefix)

} // namespace

std::optional<std::uint32_t> directInputOfWindowsScanCode(quint32 scanCode)
{
    const quint32 code = scanCode & 0x7F;
    if (code == 0 || scanCode > (kExtendedBit | 0x7F))
        return std::nullopt;
    if (scanCode == (kExtendedBit | kNumLock))
        return kNumLock;
    if (scanCode == kNumLock)
        return kPause;
    return (scanCode & kExtendedBit) ? (code | kDirectInputExtended) : code;
}

std::optional<quint32> windowsScanCodeOfDirectInput(std::uint32_t code)
{
    if (code == 0 || code > 0xFF)
        return std::nullopt;
    if (code == kNumLock)
        return kExtendedBit | kNumLock;
    if (code == kPause)
        return kNumLock;
    return (code & kDirectInputExtended) ? (kExtendedBit | (code & 0x7F)) : code;
}

} // namespace gui::platform
