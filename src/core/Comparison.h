#pragma once

#include "PlacedReport.h"
#include "Report.h"
#include "SharedBytes.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class KeyDocument;

/** One file to compare: its path as the report names it and its bytes, or nothing with the reason when it could
 *  not be read. A file that holds what a document in memory writes (the open key file, saved) may be given as that
 *  document instead of its bytes: its lines are then read from the document's rows, the same lines as from
 *  `document->toBytes()`. */
struct CompareInput
{
    std::string path;
    std::optional<SharedBytes> bytes;
    std::string readError;
    std::shared_ptr<const KeyDocument> document = nullptr;

    /** True when there are bytes or a document to compare. */
    bool readable() const { return bytes || document; }
};

/** One line of a compared file: its text without leading and trailing spaces, and its sim name. */
struct CompareLine
{
    std::string_view text;
    std::string_view simName;

    friend bool operator==(const CompareLine&, const CompareLine&) = default;
};

/**
 * The lines of a file as the comparison sees them, in file order. Lines end at CRLF, CR or LF; a UTF-8 byte order
 * mark at the start is not part of the first line. Each line loses its leading and trailing spaces (tabs stay), and
 * lines left empty are skipped. The sim name is the text before the first space; a line without a space has an
 * empty sim name. The views point into `bytes`.
 */
std::vector<CompareLine> compareLines(std::string_view bytes);

/** "04 December 2026, 3:26 pm": the day in two digits, the English month name, the year, the hour on the 12-hour
 *  clock, the minutes in two digits and am or pm. */
std::string comparisonDate(const std::tm& time);

/**
 * The comparison report of two key files: which colour stands for which file and when the comparison was made, the
 * number of lines and sim functions of each (a comment line is a line but no sim function), the sim names that only
 * one file has (blue for file 1, green for file 2, each occurrence looked up by itself; comments never), and every line
 * of the file with more lines (file 1 when equal) in black when the other file has it too and in its own colour when
 * not, followed by the lines only the other file has. A file that could not be read is said so in the report and
 * compared as empty. Lines are looked for in step with the other file, and the few not found there in one pass over
 * it; a line the other file has gives its sim name there too.
 */
Report compareKeyFiles(const CompareInput& file1, const CompareInput& file2, const std::tm& now);

/** The same report as places in the compared files' bytes, which it keeps (a document's bytes, not the document). */
PlacedReport placedComparison(const CompareInput& file1, const CompareInput& file2, const std::tm& now);

/** Gives a file's bytes to `use` piece after piece, from its start; false, with the reason in `error`, when the file
 *  could not be read to its end. */
using ReadInPieces = std::function<bool(const std::function<void(std::string_view)>& use, std::string* error)>;

/** The same report with file 2 read in pieces through `read2` instead of held whole: only a table of file 1's lines
 *  and the lines of file 2 that file 1 lacks are kept, not file 2's bytes. A file 2 of more lines than file 1, every
 *  line of which the report shows, is read a second time, whole. */
PlacedReport placedComparison(
    const CompareInput& file1, const std::string& path2, const ReadInPieces& read2, const std::tm& now);

/** The same report made by scanning the other file's list from its start for every line and every name. Quadratic:
 *  kept as the reference that compareKeyFiles must equal. */
Report compareKeyFilesLinear(const CompareInput& file1, const CompareInput& file2, const std::tm& now);

} // namespace core
