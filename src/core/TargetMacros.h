#pragma once

#include "Binding.h"
#include "KeyDocument.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/** A name as a TARGET identifier: letters, digits and underscores kept, any other character (a multi-byte UTF-8
 *  character counts once) made an underscore, and an underscore in front of a leading digit or of nothing. */
std::string targetIdentifier(std::string_view name);

/** The keys of a key line bound to a key of the table, as TARGET writes them: the modifiers as "L_SHIFT+",
 *  "L_CTL+", "L_ALT+" in that order, then "USB[0xNN]" (the key's USB usage, upper-case hex); a two-stroke
 *  combination as "CHAIN(FIRST, D(), SECOND)". "USB[0x00]" for a line whose key names no key. Nothing when a key
 *  the line names is not in the table or a modifier is not 0 to 7; `why` then says which. */
std::optional<std::string> targetKeys(const Binding& binding, const RecordCells& cells, std::string* why = nullptr);

/**
 * The TARGET macro text of `rows` of `document`, in the order given, each line ended by CRLF.
 *
 * A key line gives "define NAME<TAB>KEYS<TAB><TAB>//DESCRIPTION": NAME the sim name (without a leading "sim" with
 * `removeSim`) as a TARGET identifier, with "_2", "_3", ... behind a name defined earlier in the text; KEYS as
 * targetKeys gives them; the description without its quotes. A line whose keys cannot be written is written
 * commented out, "//define NAME<TAB><TAB><TAB>//DESCRIPTION (not defined: WHY)", and defines no name. A headline
 * without a key becomes the section comment "// TITLE". Comments, DirectX and POV lines give no line: TARGET maps
 * the buttons itself.
 */
std::string fillTargetMacros(const KeyDocument& document, const std::vector<int>& rows, bool removeSim);

} // namespace core
