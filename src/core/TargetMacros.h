#pragma once

#include "Binding.h"
#include "KeyDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace core {

/**
 * The TARGET macro text of `rows` of `document`, in the order given, each line ended by CRLF.
 *
 * A key line gives "define NAME<TAB>KEYS<TAB><TAB>//DESCRIPTION":
 * - NAME: the sim name (without a leading "sim" with `removeSim`) as a TARGET identifier: letters, digits and
 *   underscores kept, any other character (a multi-byte UTF-8 character counts once) an underscore, and an
 *   underscore in front of a leading digit; "_2", "_3", ... behind a name defined earlier in the text;
 * - KEYS: the modifiers as "L_SHIFT+", "L_CTL+", "L_ALT+" in that order, then "USB[0xNN]", the key's USB usage in
 *   upper-case hex; a two-stroke combination as "CHAIN(FIRST, D(), SECOND)"; "USB[0x00]" for a line whose key
 *   names no key (the unassigned marker, 0), whatever its modifiers;
 * - DESCRIPTION: the description without its quotes.
 * A line whose key or combination key is not in the key table (an unknown code, the Pause key, a malformed code)
 * or whose modifier is not 0 to 7 is written commented out and says why,
 * "//define NAME<TAB><TAB><TAB>//DESCRIPTION (not defined: WHY)"; it defines no name. A headline without a key
 * becomes the section comment "// TITLE". Comments, DirectX and POV lines give no line: TARGET maps the buttons
 * itself.
 */
std::string fillTargetMacros(const KeyDocument& document, const std::vector<int>& rows, bool removeSim);

} // namespace core
