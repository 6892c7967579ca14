#pragma once

#include "core/GenericOrder.h"

#include <string_view>
#include <vector>

namespace fuzz {

/** The record lines of a key file, found without the engine's reader: lines end at CRLF, CR or LF, a UTF-8 byte
 *  order mark at the start is not part of the first line, and a line of spaces only is no record. */
inline std::vector<std::string_view> recordLines(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    const auto take = [&](std::size_t end) {
        const std::string_view line = bytes.substr(start, end - start);
        if (!core::trimSpaces(line).empty())
            lines.push_back(line);
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        take(i);
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        take(bytes.size());
    return lines;
}

} // namespace fuzz
