#pragma once

#include "PlacedReport.h"
#include "Report.h"

#include <functional>
#include <string>
#include <string_view>

namespace core {

/** The report's characters without styles, every line ended by CRLF (a lone CR or LF becomes CRLF). Bytes are
 *  written as they are: 8-bit text. */
std::string reportText(const Report& report);
/** reportText given to `use` in pieces, in order: spans of the runs' own bytes, and "\r\n" for each lone CR or LF.
 *  A report with only CRLF line ends is given as its runs. */
void forEachReportTextPiece(const Report& report, const std::function<void(std::string_view)>& use);
/** The same text of a report kept as places, in pieces: the pieces' own bytes and their line ends. */
void forEachReportTextPiece(const PlacedReport& report, const std::function<void(std::string_view)>& use);

/**
 * The report as an RTF document: a colour table that holds black, blue and green first (and any other colour of
 * the report after them), each run in its colour, bold and underlined where the run is. Backslashes and braces are
 * escaped, a line end (CRLF, CR or LF) is written as \par, a tab as \tab; other control characters are left out.
 * Characters outside ASCII are Unicode escapes (\uN? with N the signed 16-bit value, a pair of them for a character
 * beyond the BMP), read from the bytes as nextTextChar does, so a UTF-8 and a Windows-1252 file both show their
 * own characters; the file itself is 7-bit.
 */
std::string reportRtf(const Report& report);

} // namespace core
