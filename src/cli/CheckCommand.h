#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

/**
 * `tarnwick-cli check FILE...`: the problems of each file, one line per problem ("FILE:LINE: error: TEXT") in line
 * order, or with `json` one JSON array of objects (file, line, severity, code, text, lines); a summary line on
 * `err`. Returns 0 without errors, 1 with errors (with `strict`, also with warnings), 2 when a file could not be
 * read (the other files are still checked).
 */
int runCheck(const std::vector<std::string>& files, bool json, bool strict, std::ostream& out, std::ostream& err);

} // namespace cli
