#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

/** The `tarnwick-cli` program: parses its arguments, runs one command, writes to `out` and `err` and returns the
 *  exit code (0 done, 1 a file could not be read or written, 2 a usage error). Output is the files' own bytes. */
class CliRunner
{
public:
    CliRunner(std::ostream& out, std::ostream& err);

    int run(const std::vector<std::string>& args); // args[0] is the program name
    int run(int argc, char** argv);

private:
    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace cli
