#include "CliRunner.h"

#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"
#include "io/FileIo.h"

#include <CLI/CLI.hpp>

#include <QString>

#include <algorithm>
#include <optional>

namespace cli {

namespace {

constexpr const char* kVersion = "tarnwick-cli 1.3";

// Reads a file for a command; on failure says why on `err`.
std::optional<std::string> readInput(const std::string& path, std::ostream& err)
{
    std::string bytes;
    io::FileError error;
    if (!io::readFileBytes(QString::fromLocal8Bit(path.c_str()), &bytes, &error)) {
        err << "tarnwick-cli: cannot read " << path << ": " << error.reason.toLocal8Bit().toStdString() << '\n';
        return std::nullopt;
    }
    return bytes;
}

bool writeOutput(const std::string& path, const std::string& bytes, std::ostream& err)
{
    io::FileError error;
    if (!io::writeFileAtomically(QString::fromLocal8Bit(path.c_str()), bytes, &error)) {
        err << "tarnwick-cli: cannot write " << path << ": " << error.reason.toLocal8Bit().toStdString() << '\n';
        return false;
    }
    return true;
}

} // namespace

CliRunner::CliRunner(std::ostream& out, std::ostream& err)
    : m_out(out)
    , m_err(err)
{ }

int CliRunner::run(int argc, char** argv)
{
    std::vector<std::string> args(argv, argv + argc);
    return run(args);
}

int CliRunner::run(const std::vector<std::string>& args)
{
    CLI::App app{"Reads Falcon 4 key files: lists their assignments and writes them back.", "tarnwick-cli"};
    app.set_version_flag("--version", kVersion);
    app.require_subcommand(1);

    std::string file;
    bool removeSim = false;
    auto* list = app.add_subcommand("list", "The assignments as readable text, one line per record (CRLF).");
    list->add_option("FILE", file, "Key file")->required();
    list->add_flag("--remove-sim", removeSim, "Drop a leading \"sim\" from the names");

    std::string outFile;
    auto* save = app.add_subcommand("save", "Read IN as a key file and write it to OUT.");
    save->add_option("IN", file, "Key file to read")->required();
    save->add_option("OUT", outFile, "File to write")->required();

    try {
        // CLI11 wants arguments after the program name, last first.
        std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
        std::reverse(rest.begin(), rest.end());
        app.parse(rest);
    } catch (const CLI::CallForHelp&) {
        m_out << app.help();
        return 0;
    } catch (const CLI::CallForVersion&) {
        m_out << kVersion << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        std::string message = e.what();
        std::replace(message.begin(), message.end(), '\n', ' ');
        m_err << "tarnwick-cli: " << message << " (try --help)\n";
        return 2;
    }

    if (list->parsed()) {
        const auto bytes = readInput(file, m_err);
        if (!bytes)
            return 1;
        const auto document = core::KeyDocument::fromBytes(*bytes);
        m_out << core::SimplifiedList::build(document, removeSim).toText();
        return m_out ? 0 : 1;
    }
    if (save->parsed()) {
        const auto bytes = readInput(file, m_err);
        if (!bytes)
            return 1;
        const auto document = core::KeyDocument::fromBytes(*bytes);
        return writeOutput(outFile, document.toBytes(), m_err) ? 0 : 1;
    }
    return 2;
}

} // namespace cli
