#pragma once

#include <QtGlobal>

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace gui::platform {

/**
 * Keys by their place on the keyboard, as key files name them: the DirectInput scan code of a key event, read from
 * the platform's own scan code (never from the character that the user's layout prints). Nothing for a key that
 * has no such code, or on a platform without a table.
 */
std::optional<std::uint32_t> directInputCode(const QKeyEvent& event);

// The tables of each platform, all built everywhere so that each can be checked anywhere.

/** X11 and Wayland: the XKB key code of an event, which is the Linux evdev code plus 8. */
std::optional<std::uint32_t> directInputOfXkbKeycode(quint32 keycode);
std::optional<quint32> xkbKeycodeOfDirectInput(std::uint32_t code);

/** Windows: the scan code of an event, with 0x100 set for the extended keys (the E0 prefix). */
std::optional<std::uint32_t> directInputOfWindowsScanCode(quint32 scanCode);
std::optional<quint32> windowsScanCodeOfDirectInput(std::uint32_t code);

} // namespace gui::platform
