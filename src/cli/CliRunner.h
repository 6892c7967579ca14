#pragma once

#include "PrintCommand.h"

#include <ctime>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

/** The `tarnwick-cli` program: parses its arguments, runs one command, writes to `out` and `err` and returns the
 *  exit code (0 done, 1 a file could not be read or written, or `out` could not be written, 2 a usage error;
 *  `check` has its own, see runCheck).
 *  Output is the files' own bytes. */
class CliRunner
{
public:
    CliRunner(std::ostream& out, std::ostream& err);

    int run(const std::vector<std::string>& args); // args[0] is the program name
    int run(int argc, char** argv);

    /** Where `compare` takes its date and time from; the local clock unless set. */
    void setClock(std::function<std::tm()> clock) { m_clock = std::move(clock); }

private:
    int runCommand(const std::vector<std::string>& args);
    int keys(const std::string& file, int modifier);
    int macros(const std::string& file, bool target, bool removeSim);
    int compare(
        const std::string& file1, const std::string& file2, const std::string& rtfFile, const std::string& textFile);
    int changes(const std::string& file1, const std::string& file2, bool json, const std::string& rtfFile,
        const std::string& textFile);
    int take(const std::string& from, const std::string& into, const std::string& output, bool noClashes);
    int print(const PrintRequest& request);
    /** The printing module's entry point, loaded on first use; nothing, said on the error stream, when missing. */
    PrintEntry printEntry();

    std::ostream& m_out;
    std::ostream& m_err;
    std::function<std::tm()> m_clock;
    int m_outputFailureCode = 1; // the exit code when `out` could not be written
};

} // namespace cli
