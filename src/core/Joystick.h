#pragma once

#include "Binding.h"
#include "KeyDocument.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/**
 * How the simulator counts joystick buttons: a button pressed with the pinky shift held arrives as its number plus
 * the shift magnitude, and each device owns `buttonsPerDevice` numbers, device 1 first. Both are settings of the
 * simulator that a key file does not state.
 */
struct JoystickSettings
{
    static constexpr std::int64_t DefaultShiftMagnitude = 256;
    static constexpr std::int64_t DefaultButtonsPerDevice = 32;
    static constexpr std::int64_t MaxShiftMagnitude = 65536;
    static constexpr std::int64_t MaxButtonsPerDevice = 4096;
    static constexpr const char* Section = "Joystick";

    std::int64_t shiftMagnitude = DefaultShiftMagnitude;
    std::int64_t buttonsPerDevice = DefaultButtonsPerDevice;

    /** Each value within 1 to its maximum. */
    bool isValid() const;

    /** The values of section "Joystick" of INI text; a missing or unusable value gives its default. */
    static JoystickSettings fromIni(std::string_view iniText);
    /** The INI text with section "Joystick" written, everything else kept. */
    std::string writeIni(std::string_view iniText) const;

    friend bool operator==(const JoystickSettings&, const JoystickSettings&) = default;
};

/** The layer a DirectX or POV number belongs to. */
enum class Layer : std::uint8_t {
    Unshifted, // below the shift magnitude
    Shifted, // at or above it, below twice it
    Unknown, // not a whole number, negative, or at or above twice the magnitude
};

/**
 * Where the number of a DirectX or POV line lands for the settings. A DirectX number n below the magnitude M is
 * button n mod B + 1 of device n / B + 1 (B buttons a device); from M on it is the same for n - M, shifted. A POV
 * number is hat n + 1, or hat n - M + 1 shifted. Anything else is not placed: its cells are shown as they are.
 */
struct JoystickPlace
{
    Layer layer = Layer::Unknown;
    std::int64_t device = 0; // DirectX: from 1; 0 for a hat, whose device a key file does not say
    std::int64_t control = 0; // DirectX: the button on its device, from 1; POV: the hat, from 1

    bool isKnown() const { return layer != Layer::Unknown; }

    static JoystickPlace of(const Binding& binding, const JoystickSettings& settings);
};

/** "unshifted", "shifted" or "?". */
const char* layerText(Layer layer);

/** What an invocation number means: -1 "press and release", -2 "press", -4 "release", 8 "set in the simulator";
 *  any other number as it is. */
std::string invocationText(std::int64_t invocation);

/**
 * One DirectX or POV line as the joystick views show it. Texts are the cells' bytes where a value is not known:
 * `control` reads "DX2" or "POV1 Up" when placed, otherwise "number " and the number cell; `action` is the
 * invocation's text, or "release" for a release line (0x42 in column 5), followed by the invocation's text when
 * that is not -2 ("release, press and release").
 */
struct JoystickLine
{
    int row = 0;
    int line = 0; // the line number in the file
    RecordKind kind = RecordKind::DirectX;
    JoystickPlace place;
    std::string device; // "Device 01", "POV hats", or "?" for a button that is not placed
    std::string control;
    std::string action;
    int actionOrder = 0; // press and release, press, release, then anything else
    std::string simName;
    std::string description; // of the first key line with the same sim name, quotes removed
    std::string label; // the comment line above, without its '#'
    int bindings = 1; // lines that bind the same button or hat direction, layer and invocation: 2 or more is a double
};

/** The text of the comment line just above `row` when there is one and it is not a commented-out DirectX, POV or
 *  key line: the comment without its leading '#' and '=' characters and the spaces around them. */
std::string labelAbove(const KeyDocument& document, int row);

/** Every DirectX and POV line of the document, devices first in order (by device, button, action, layer), then
 *  buttons not placed, then hats; lines of one button and action keep file order. */
std::vector<JoystickLine> joystickLines(const KeyDocument& document, const JoystickSettings& settings);

/** One line per entry (LF): device, control, layer, action, sim name and label, separated by tabs. */
std::string buttonsText(const std::vector<JoystickLine>& lines);

/** What the banner says for a DirectX or POV line: "DX2, Device 01", "DX2, Device 01, shifted", "DX2, Device 01,
 *  release", "POV1 Up"; "DX number x" where the number is not placed. Empty for other lines. */
std::string joystickBannerText(const KeyDocument& document, int row, const JoystickSettings& settings);

} // namespace core
