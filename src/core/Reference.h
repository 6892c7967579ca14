#pragma once

#include "Binding.h"
#include "KeyCodeTable.h"
#include "KeyDocument.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/** One bound function of the bindings sheet. Texts are UTF-8. */
struct ReferenceEntry
{
    int row = 0; // the record's row in the document
    std::string function; // the description without its quotes; the short name when there is none
    std::string keys; // the keys in words: "Ctrl+Alt+C", "Alt+C, then X", "DX5, Device 01"
};

/** A headline of the key file and the bound functions after it, up to the next headline. */
struct ReferenceSection
{
    int level = 0; // 0 before any headline, 1 a title ("1. UI & 3RD PARTY SOFTWARE"), 2 a subtitle ("======== ...")
    std::string title; // without its "=" rules and with single spaces
    std::vector<ReferenceEntry> entries;
};

/** The keyboard with one modifier combination held: the short names of the functions on each key of the table, in
 *  document order (the keys the "Locate spare keys" page shows as taken; two names or more mark a double). */
struct ReferenceLayer
{
    int modifier = 0; // 0 to 7: 1 Shift, 2 Control, 4 Alt
    std::string title; // "No modifier", "Shift", "Ctrl + Alt", ...
    std::array<std::vector<std::string>, KeyCodeTable::KeyCount> functions;
};

/**
 * What the printed reference of a key file shows: a keyboard map for each modifier combination that binds any key,
 * and every bound function grouped under its headline. Plain data, derived from the document; texts are UTF-8,
 * each character read from the file's bytes as nextTextChar reads it.
 */
struct Reference
{
    std::string title;
    std::vector<ReferenceLayer> layers; // by modifier value, only those with a taken key
    std::vector<ReferenceSection> sections; // in file order, only those with an entry, and titles above them

    static Reference build(const KeyDocument& document, std::string_view title);
};

/** The short name of a function for a key of the map: the sim name without "Sim", its words split where a capital
 *  begins one ("SimToggleMasterFuel" gives "Toggle Master Fuel", "OTWViewUp" "OTW View Up", "SimF18ThrottleATC"
 *  "F18 Throttle ATC"), underscores made spaces; the description for a reference line (SimDoNothing). UTF-8. */
std::string shortFunctionName(const RecordCells& cells, const Binding& binding);

/** The keys of a binding in words: "Shift+Ctrl+Alt+Page Up", "Alt+C, then X", "Pause", "DX5, Device 01". */
std::string keysInWords(const Binding& binding, const RecordCells& cells);

/** "No modifier", or "Shift", "Ctrl", "Alt" joined by " + ". */
std::string modifierWords(int modifier);

/** The bindings sheet as a self-contained XHTML page (UTF-8, styles inside, two columns when printed). */
std::string referenceHtml(const Reference& reference);

} // namespace core
