#pragma once

#include "core/Changes.h"

#include <ostream>
#include <string>

namespace cli {

/** `compare --changes`: one line per change (LF): class, line in file 1, line in file 2 ("-" where a file lacks
 *  the function), sim name, keys in file 1, keys in file 2, separated by tabs. */
std::string changesText(const core::Changes& changes);

/** `compare --changes --json`: the files, the counts of each class and every change with its lines, sim name,
 *  keys, descriptions and section; texts read as UTF-8 where they are valid UTF-8, otherwise as Windows-1252. */
std::string changesJson(const core::Changes& changes, const std::string& path1, const std::string& path2);

/** The result of `take`: the open document with the chosen proposals applied, and one line per proposal and per
 *  function the document lacks (LF). */
struct TakeResult
{
    core::KeyDocument document;
    std::string text;
    int taken = 0;
};

/** Takes the bindings of `from` into `into`: every proposal, or, when `skipClashes`, those that clash with no binding
 *  that stays in `into` (core::takenWithoutClashes). A line names the functions it clashes with when, with the
 *  bindings taken, they keep its keys. */
TakeResult takeBindings(core::KeyDocument into, const core::KeyDocument& from, bool skipClashes);

} // namespace cli
