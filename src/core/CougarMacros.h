#pragma once

#include "SimplifiedList.h"

#include <optional>
#include <string>

namespace core {

/** Cougar macro lines are filled with spaces to this many characters before their remark. */
constexpr std::size_t CougarRemarkColumn = 50;

/**
 * The Cougar macro line of one entry of the readable list, whose record means `binding`, without its line end, or
 * nothing when the entry gives no line (a name beginning with a backslash, a DirectX button of the first device
 * above 28, a DirectX button of another device, a POV hat).
 *
 * The line is the sim name and " = ", then the keys text with one space, then, filled with spaces to 50
 * characters, the remark " Rem " + description + " ". The Windows keys alone become their USB texts, "Unassigned"
 * becomes "^"; a Windows key combined with others, "Unassigned" combined with others, keys that name no key
 * ("Not found", "???") and a "^" anywhere make the line a comment ("Rem " in front). A DirectX button of the first
 * device is written as its button ("DX5"), with the remark only when there is a description. With `removeSim` a name
 * beginning with "sim" in any letter case loses it.
 */
std::optional<std::string> cougarMacroLine(const SimplifiedEntry& entry, const Binding& binding, bool removeSim);

/** What a macro line is made of: the name, keys and description as the list shows them. */
struct MacroSource
{
    std::string_view simName;
    std::string_view keys;
    std::string_view description;
};
std::optional<std::string> cougarMacroLine(const MacroSource& entry, const Binding& binding, bool removeSim);
/** Appends the macro line (cougarMacroLine) to `out`; false, with `out` unchanged, when the entry gives none. */
bool appendCougarMacroLine(std::string& out, const MacroSource& entry, const Binding& binding, bool removeSim);

/** The Cougar macro text of the whole document in file order, written in one pass over its lines (the same as the
 *  text of its list's entries). */
std::string fillCougarMacros(const KeyDocument& document, bool removeSim);
/** Writes the macro lines of document rows one at a time, each as the list's entry of the row gives it, in any
 *  order: what the readable list's text needs without building the list. */
class CougarMacroWriter
{
public:
    CougarMacroWriter(const KeyDocument& document, bool removeSim);
    /** Appends row `row`'s macro line without its line end; false, with `out` unchanged, for a row that gives none
     *  (a comment, a row out of range). */
    bool append(std::string& out, int row);

private:
    const KeyDocument& m_document;
    bool m_removeSim;
    RecordViews m_views;
    RecordCells m_cells;
    std::string m_keys;
    std::string m_description;
};

/** Appends the macro lines of rows [fromRow, toRow) to `out`: fillCougarMacros in pieces. */
void appendCougarMacros(std::string& out, const KeyDocument& document, bool removeSim, int fromRow, int toRow);

/** The Cougar macro text of document rows `rows` in the order given (a readable list's rows as it is sorted): the
 *  text of the list's entries of those rows, written from the rows, each line ended by CRLF. */
std::string fillCougarMacros(const KeyDocument& document, const std::vector<int>& rows, bool removeSim);

/** The Cougar macro text of `entries` (a readable list of `document`, in the order given): one line per entry
 *  that gives one, each ended by CRLF. */
std::string fillCougarMacros(const KeyDocument& document, const std::vector<SimplifiedEntry>& entries, bool removeSim);

} // namespace core
