#pragma once

#include "cli/CliRunner.h"

#include "TestData.h"

#include <QStringList>

#include <sstream>
#include <string>
#include <vector>

namespace testing {

/** What one run of tarnwick-cli gave. */
struct CliRun
{
    int code;
    std::string out;
    std::string err;
};

/** Runs tarnwick-cli in this process with `args`, its clock fixed for reports. */
inline CliRun runCli(const QStringList& args)
{
    std::vector<std::string> argv{"tarnwick-cli"};
    for (const QString& a : args)
        argv.push_back(a.toStdString());
    std::ostringstream out, err;
    cli::CliRunner runner(out, err);
    runner.setClock(fixedTime);
    const int code = runner.run(argv);
    return {code, out.str(), err.str()};
}

} // namespace testing
