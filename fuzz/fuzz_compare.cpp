// Splits the input into two key files and compares them: the report made in step must equal the one made by
// scanning lists, the same report kept as places must give the same text, the lines the comparison sees must be the
// files' non-blank lines, and the summary must count them. File 2 read in pieces gives the same report.
//
// Input: byte 0 says which file could not be read (bit 0 file 1, bit 1 file 2) and, in its top four bits, the size
// of the pieces file 2 is read in; bytes 1 and 2 where the rest is cut into file 1 and file 2, bytes 3 to 13 a time
// for the date text alone; the rest are the two files.

#include "FuzzCheck.h"
#include "KeyFileLines.h"

#include "core/Comparison.h"
#include "core/GenericOrder.h"
#include "core/Report.h"
#include "core/ReportWriters.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 14;
// The linear reference scans one file's lines for every line of the other; beyond this many lines in both files
// together an input would spend its time there.
constexpr std::size_t kMaxLines = 2000;

bool within(std::string_view part, std::string_view whole)
{
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// The comparison's lines are the non-blank lines of the file without their leading and trailing spaces; the sim
// name is what comes before the first space, and the views point into the file.
void checkLines(std::string_view bytes, const std::vector<core::CompareLine>& lines)
{
    const std::vector<std::string_view> expected = fuzz::recordLines(bytes);
    FUZZ_CHECK(lines.size() == expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const core::CompareLine& line = lines[i];
        FUZZ_CHECK(line.text == core::trimSpaces(expected[i]));
        FUZZ_CHECK(within(line.text, bytes));
        const std::size_t space = line.text.find(' ');
        FUZZ_CHECK(line.simName == (space == std::string_view::npos ? std::string_view() : line.text.substr(0, space)));
    }
}

// The date text of any time, the fields far outside their ranges included.
void checkDate(const std::uint8_t* bytes)
{
    std::tm time{};
    std::memcpy(&time.tm_year, bytes, sizeof(time.tm_year));
    std::memcpy(&time.tm_hour, bytes + 4, sizeof(time.tm_hour));
    time.tm_mday = static_cast<std::int8_t>(bytes[8]);
    time.tm_mon = static_cast<std::int8_t>(bytes[9]) / 8;
    time.tm_min = static_cast<std::int8_t>(bytes[10]);
    const std::string date = core::comparisonDate(time);
    FUZZ_CHECK(date.ends_with(" am") || date.ends_with(" pm"));
    const bool knownMonth = time.tm_mon >= 0 && time.tm_mon < 12;
    FUZZ_CHECK(knownMonth ? date.find(" ? ") == std::string::npos : date.find(" ? ") != std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeaderSize)
        return 0;
    checkDate(data + 3);

    const std::string_view files(reinterpret_cast<const char*>(data) + kHeaderSize, size - kHeaderSize);
    const std::size_t cut = static_cast<std::size_t>(data[1] | (data[2] << 8)) % (files.size() + 1);
    core::CompareInput one{"C:\\Falcon4\\Config\\one.key", std::string(files.substr(0, cut)), {}};
    core::CompareInput two{"/home/pilot/two {copy}.key", std::string(files.substr(cut)), {}};

    const auto lines1 = core::compareLines(one.bytes->view());
    const auto lines2 = core::compareLines(two.bytes->view());
    if (lines1.size() + lines2.size() > kMaxLines)
        return 0;
    checkLines(one.bytes->view(), lines1);
    checkLines(two.bytes->view(), lines2);

    if (data[0] & 1) {
        one.bytes.reset();
        one.readError = "Permission denied\r\n(errno 13)";
    }
    if (data[0] & 2)
        two.bytes.reset();

    std::tm now{};
    now.tm_year = 126;
    now.tm_mon = 11;
    now.tm_mday = 4;
    now.tm_hour = 15;
    now.tm_min = 26;
    const core::Report report = core::compareKeyFiles(one, two, now);
    FUZZ_CHECK(report == core::compareKeyFilesLinear(one, two, now));

    const std::size_t count1 = one.bytes ? lines1.size() : 0;
    const std::size_t count2 = two.bytes ? lines2.size() : 0;
    const std::string text = core::reportText(report);
    // Kept as places, the report streams the same text and has a line for each of its line ends and one more.
    const core::PlacedReport placed = core::placedComparison(one, two, now);
    std::string streamed;
    core::forEachReportTextPiece(placed, [&streamed](std::string_view piece) { streamed += piece; });
    FUZZ_CHECK(streamed == text);
    FUZZ_CHECK(placed.bytes() == text.size());
    // File 2 read in pieces (of 1 to 16 bytes, from the top bits of byte 0) gives the same report.
    const std::size_t pieceSize = 1 + (data[0] >> 4);
    const core::ReadInPieces read2
        = [&two, pieceSize](const std::function<void(std::string_view)>& use, std::string* error) {
              if (!two.bytes) {
                  *error = two.readError;
                  return false;
              }
              for (std::size_t pos = 0; pos < two.bytes->size(); pos += pieceSize)
                  use(two.bytes->view().substr(pos, pieceSize));
              return true;
          };
    FUZZ_CHECK(core::placedComparison(one, two.path, read2, now).toReport() == report);
    std::size_t lineEnds = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lineEnds;
    FUZZ_CHECK(placed.lineCount() == lineEnds + 1);
    FUZZ_CHECK(text.starts_with("Text in blue relates to: C:\\Falcon4\\Config\\one.key\r\n"));
    FUZZ_CHECK(text.find("Comparison made: 04 December 2026, 3:26 pm\r\n") != std::string::npos);
    FUZZ_CHECK(text.find("Number of lines: " + std::to_string(count1) + "   " + std::to_string(count2) + "\r\n")
        != std::string::npos);
    if (!one.bytes)
        FUZZ_CHECK(text.find("Key file 1 could not be read (Permission denied  (errno 13)); it is compared as an "
                             "empty file.\r\n")
            != std::string::npos);
    if (!two.bytes)
        FUZZ_CHECK(
            text.find("Key file 2 could not be read; it is compared as an empty file.\r\n") != std::string::npos);
    return 0;
}
