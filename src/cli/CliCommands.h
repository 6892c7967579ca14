#pragma once

#include "core/KeyDocument.h"
#include "core/SharedBytes.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

/** How a command reads its input: a big file mapped, or read whole into memory. A command that may write over
 *  its input reads it whole, or lets go of the mapping before it writes: Windows refuses to replace a file while a
 *  mapping of it is open. */
enum class Reading { MayMap, Whole };

/** Reads a file for a command; on failure says why on `err` ("tarnwick-cli: cannot read PATH: REASON"). */
std::optional<core::SharedBytes> readInput(
    const std::string& path, std::ostream& err, Reading reading = Reading::MayMap);

/** Writes a file through a temporary file; on failure says why on `err`. */
bool writeOutput(const std::string& path, const std::string& bytes, std::ostream& err);
/** Writes a document's bytes to `path` as writeOutput does, in pieces, without making them whole first. */
bool writeDocument(const std::string& path, const core::KeyDocument& document, std::ostream& err);

/** `find`: the lines whose search text holds every word. Exit code. */
int findLines(const std::string& file, const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

struct BindRequest
{
    std::string file;
    int line = 0;
    std::string keys;
    std::string output;
    bool takeOver = false;
};

/** `bind`: binds a key line to a combination and writes the file with only the changed lines normalised. Exit
 *  code: 0 done, 1 refused or a file that could not be read or written. */
int bindKeys(const BindRequest& request, std::ostream& err);

} // namespace cli
