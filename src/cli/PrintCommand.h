#pragma once

#include <ostream>
#include <string>

namespace cli {

/** What `tarnwick-cli print` was asked for. */
struct PrintRequest
{
    std::string file;
    std::string pdfFile;
    std::string htmlFile; // empty: no web page
    bool letter = false; // Letter paper instead of A4
};

/**
 * The printing module's entry point: reads the key file, writes the printed reference as PDF and the bindings
 * sheet as HTML, and says on `err` what could not be read or written. Returns 0 or 1, as the commands do.
 *
 * Printing is the one command that needs Qt Gui (fonts, painting), whose loading costs every start of the program
 * several times what the other commands take; so it lives in a module of its own that tarnwick-cli loads only to
 * print.
 */
using PrintEntry = int (*)(const PrintRequest& request, std::ostream& err);
inline constexpr char PrintEntryName[] = "tarnwickPrint";

} // namespace cli
