#pragma once

#include "Report.h"

#include <string>

namespace core {

/** The report's characters without styles, every line ended by CRLF (a lone CR or LF becomes CRLF). Bytes are
 *  written as they are: 8-bit text. */
std::string reportText(const Report& report);

/**
 * The report as an RTF document in the Windows-1252 code page: a colour table that holds black, blue and green
 * first (and any other colour of the report after them), each run in its colour, bold and underlined where the run
 * is. Backslashes and braces are escaped, bytes above 127 are written as \'hh, a line end (CRLF, CR or LF) as \par,
 * a tab as \tab; other control characters are left out.
 */
std::string reportRtf(const Report& report);

} // namespace core
