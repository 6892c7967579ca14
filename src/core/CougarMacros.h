#pragma once

#include "SimplifiedList.h"

#include <optional>
#include <string>

namespace core {

/** Cougar macro lines are filled with spaces to this many characters before their remark. */
constexpr std::size_t CougarRemarkColumn = 50;

/**
 * The Cougar macro line of one entry of the simplified list, without its line end, or nothing when the entry gives
 * no line (a name beginning with a backslash, a DirectX button of device 01 above 28, a DirectX button of another
 * device or of an unknown one, a POV hat).
 *
 * The line is the sim name and " = ", then the keys text with one space, then, filled with spaces to 50
 * characters, the remark " Rem " + description + " ". The Windows keys alone become their USB texts, "Unassigned"
 * becomes "^"; a Windows key combined with others, "Unassigned" combined with others, and a "^" anywhere make the
 * line a comment ("Rem " in front). With `removeSim` a name beginning with "sim" in any letter case loses it.
 */
std::optional<std::string> cougarMacroLine(const SimplifiedEntry& entry, bool removeSim);

/** The Cougar macro text of the whole list, in its present order: one line per entry that gives one, each ended by
 *  CRLF. */
std::string fillCougarMacros(const SimplifiedList& list, bool removeSim);

} // namespace core
