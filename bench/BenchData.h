#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bench {

/** A key file of `lines` lines in today's style: comments, headlines, keys with modifiers, combination keys,
 *  DirectX and POV lines, mixed-case scan codes, CRLF line ends. The same seed gives the same file. */
std::string generateKeyFile(int lines, unsigned seed = 1);

/** The baseline every engine figure is measured against: the bytes split into lines (CRLF, CR or LF). */
std::vector<std::string_view> splitLines(std::string_view bytes);

} // namespace bench
