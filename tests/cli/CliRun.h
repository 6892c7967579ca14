#pragma once

#include "cli/CliRunner.h"

#include "TestData.h"

#include <QProcess>
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

/** Runs the real tarnwick-cli program, its standard output going to `outputFile` when one is given. A run that
 *  has not ended within 30 seconds is stopped and gives code -1. */
inline CliRun runRealCli(const QStringList& args, const QString& outputFile = QString())
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(TARNWICK_CLI_PATH), args);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {-1, {}, "did not finish"};
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    return {code, process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

} // namespace testing
