#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace cli {

/** Reads a file for a command; on failure says why on `err` ("tarnwick-cli: cannot read FILE: REASON"). */
std::optional<std::string> readInput(const std::string& path, std::ostream& err);

/** Writes a file atomically for a command; on failure says why on `err` ("tarnwick-cli: cannot write FILE: REASON"). */
bool writeOutput(const std::string& path, const std::string& bytes, std::ostream& err);

} // namespace cli
