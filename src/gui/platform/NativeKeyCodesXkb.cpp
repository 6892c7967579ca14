// X11 and Wayland key codes: XKB key codes are the Linux evdev codes (linux/input-event-codes.h) plus 8.
#include "NativeKeyCodes.h"

#include <array>
#include <utility>

namespace gui::platform {

namespace {

constexpr quint32 kXkbOffset = 8;

// Evdev codes 1 to 88 are the PC's scan codes of set 1, which DirectInput uses too; the keys that the PC sends with
// an E0 prefix have codes of their own in evdev and the prefix as bit 0x80 in DirectInput.
constexpr quint32 kLastPlainCode = 88;
constexpr std::array<std::pair<quint32, std::uint32_t>, 20> kExtended{{
    {96, 0x9C}, // KEY_KPENTER
    {97, 0x9D}, // KEY_RIGHTCTRL
    {98, 0xB5}, // KEY_KPSLASH
    {99, 0xB7}, // KEY_SYSRQ (Print Screen)
    {100, 0xB8}, // KEY_RIGHTALT
    {102, 0xC7}, // KEY_HOME
    {103, 0xC8}, // KEY_UP
    {104, 0xC9}, // KEY_PAGEUP
    {105, 0xCB}, // KEY_LEFT
    {106, 0xCD}, // KEY_RIGHT
    {107, 0xCF}, // KEY_END
    {108, 0xD0}, // KEY_DOWN
    {109, 0xD1}, // KEY_PAGEDOWN
    {110, 0xD2}, // KEY_INSERT
    {111, 0xD3}, // KEY_DELETE
    {117, 0x8D}, // KEY_KPEQUAL
    {119, 0xC5}, // KEY_PAUSE
    {125, 0xDB}, // KEY_LEFTMETA (left Windows key)
    {126, 0xDC}, // KEY_RIGHTMETA
    {127, 0xDD}, // KEY_COMPOSE (application key)
}};

} // namespace

std::optional<std::uint32_t> directInputOfXkbKeycode(quint32 keycode)
{
    if (keycode <= kXkbOffset)
        return std::nullopt;
    const quint32 evdev = keycode - kXkbOffset;
    if (evdev <= kLastPlainCode)
        return evdev;
    for (const auto& [code, directInput] : kExtended) {
        if (code == evdev)
            return directInput;
    }
    return std::nullopt;
}

std::optional<quint32> xkbKeycodeOfDirectInput(std::uint32_t code)
{
    if (code >= 1 && code <= kLastPlainCode)
        return code + kXkbOffset;
    for (const auto& [evdev, directInput] : kExtended) {
        if (directInput == code)
            return evdev + kXkbOffset;
    }
    return std::nullopt;
}

} // namespace gui::platform
