#include "CliRunner.h"

#include "ChangesCommands.h"
#include "CheckCommand.h"
#include "CliCommands.h"

#include "core/Comparison.h"
#include "core/CougarMacros.h"
#include "core/Joystick.h"
#include "core/KeyDocument.h"
#include "core/KeyboardUsage.h"
#include "core/Parallel.h"
#include "core/ReportWriters.h"
#include "core/SimplifiedList.h"
#include "core/TargetMacros.h"
#include "io/FileIo.h"
#include "io/Platform.h"

#include <CLI/CLI.hpp>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QString>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <future>
#include <numeric>
#include <optional>

namespace cli {

namespace {

constexpr const char* kVersion = "tarnwick-cli 1.3";

// The comparison's own reading: a file that exists but cannot be read is compared as empty, and the report says
// why.
core::CompareInput compareInput(const std::string& path)
{
    core::CompareInput input;
    input.path = path;
    core::SharedBytes bytes;
    io::FileError error;
    if (io::readFileShared(QString::fromLocal8Bit(path.c_str()), &bytes, &error))
        input.bytes = std::move(bytes);
    else
        input.readError = error.reason.toLocal8Bit().toStdString();
    return input;
}

// Writes the text of a document's rows piece by piece, so that a big file's text is never held whole. The pieces
// are made ahead on worker threads and written in order.
template <typename AppendRows> void writeInPieces(std::ostream& out, int rowCount, AppendRows appendRows)
{
    constexpr int kRowsPerPiece = 16384;
    const std::size_t ahead = core::workerThreads();
    std::deque<std::future<std::string>> pieces;
    int next = 0;
    while (out && (next < rowCount || !pieces.empty())) {
        while (pieces.size() < ahead && next < rowCount) {
            pieces.push_back(std::async(std::launch::async, [&appendRows, from = next] {
                std::string piece;
                appendRows(piece, from, from + kRowsPerPiece);
                return piece;
            }));
            next += kRowsPerPiece;
        }
        out << pieces.front().get();
        pieces.pop_front();
    }
}

} // namespace

CliRunner::CliRunner(std::ostream& out, std::ostream& err)
    : m_out(out)
    , m_err(err)
    , m_clock(io::localNow)
{ }

int CliRunner::run(int argc, char** argv)
{
    std::vector<std::string> args(argv, argv + argc);
    return run(args);
}

int CliRunner::run(const std::vector<std::string>& args)
{
    errno = 0;
    m_outputFailureCode = 1;
    const int code = runCommand(args);
    // Output that did not arrive is a failure like any other: the stream is flushed so that a write error shows
    // now, and the system's reason is the last one it gave.
    m_out.flush();
    if (!m_out) {
        const int error = errno;
        m_err << "tarnwick-cli: cannot write standard output: "
              << (error != 0 ? std::strerror(error) : "the write failed") << '\n';
        return m_outputFailureCode;
    }
    return code;
}

int CliRunner::runCommand(const std::vector<std::string>& args)
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

    bool shift = false;
    bool control = false;
    bool alt = false;
    auto* keys = app.add_subcommand("keys",
        "Every key of the keyboard: free, assigned or assigned more than once, "
        "and the sim names that use it (LF).");
    keys->add_option("FILE", file, "Key file")->required();
    keys->add_flag("--shift", shift, "With Shift held");
    keys->add_flag("--control", control, "With Control held");
    keys->add_flag("--alt", alt, "With Alt held");

    std::string format = "cougar";
    auto* macros = app.add_subcommand("macros", "The Cougar or TARGET macro text (CRLF).");
    macros->add_option("FILE", file, "Key file")->required();
    macros->add_option("--format", format, "cougar (the default) or target")
        ->check(CLI::IsMember({"cougar", "target"}));
    macros->add_flag("--remove-sim", removeSim, "Drop a leading \"sim\" from the names");

    std::string pdfFile;
    std::string htmlFile;
    std::string paper = "a4";
    auto* print = app.add_subcommand("print",
        "The printed reference: a keyboard map per modifier combination and every binding, as PDF (and HTML).");
    print->add_option("FILE", file, "Key file")->required();
    print->add_option("--pdf", pdfFile, "Write the PDF to this file")->required();
    print->add_option("--html", htmlFile, "Also write the bindings sheet as a web page to this file");
    print->add_option("--paper", paper, "a4 (the default) or letter")->check(CLI::IsMember({"a4", "letter"}));

    std::string secondFile;
    std::string rtfFile;
    std::string textFile;
    auto* compare = app.add_subcommand("compare", "The comparison report of two key files as text (CRLF).");
    compare->add_option("FILE1", file, "Key file 1")->required();
    compare->add_option("FILE2", secondFile, "Key file 2")->required();
    compare->add_option("--rtf", rtfFile, "Also write the report as rich text to this file");
    compare->add_option("--text", textFile, "Also write the report as plain text to this file");
    bool changes = false;
    bool json = false;
    compare->add_flag("--changes", changes,
        "One line per changed function instead of the report: class, lines, sim name, old and new keys (LF); "
        "--rtf and --text write the changes");
    compare->add_flag("--json", json, "With --changes: the changes as JSON");

    std::string intoFile;
    bool noClashes = false;
    auto* take = app.add_subcommand(
        "take", "Take the bindings of FROM into INTO, written to OUT; one line per binding taken (LF).");
    take->add_option("FROM", file, "Key file whose bindings are taken")->required();
    take->add_option("INTO", intoFile, "Key file that takes them")->required();
    take->add_option("--output", outFile, "File to write")->required();
    take->add_flag("--no-clashes", noClashes, "Leave out bindings whose keys another function of INTO uses");

    std::vector<std::string> words;
    auto* find = app.add_subcommand("find",
        "The lines whose sim name, description or keys (in words or as codes) contain every word, ignoring case: "
        "line number, TAB, the line as the list writes it (LF).");
    find->add_option("FILE", file, "Key file")->required();
    find->add_option("WORDS", words, "Words to look for")->required();

    int line = 0;
    std::string keysText;
    bool takeOver = false;
    auto* bind = app.add_subcommand("bind",
        "Bind the key line on line LINE to KEYS, written as the list writes them (\"CTL ALT c\", \"ALT c  f\" for a "
        "two-stroke combination, \"none\" to clear).");
    bind->add_option("FILE", file, "Key file")->required();
    bind->add_option("LINE", line, "Line number in the file")->required();
    bind->add_option("KEYS", keysText, "The keys")->required();
    bind->add_option("--output", outFile, "Write to this file instead of FILE");
    bind->add_flag("--take-over", takeOver, "Clear the keys of the lines that have them now");
    core::JoystickSettings joystick;
    auto* buttons = app.add_subcommand("buttons",
        "Every bound joystick button and hat direction: device, button or hat and direction, layer, invocation, "
        "sim name, label (LF, separated by tabs).");
    buttons->add_option("FILE", file, "Key file")->required();
    buttons->add_option("--shift-magnitude", joystick.shiftMagnitude, "What the pinky shift adds to a button number")
        ->check(CLI::Range(std::int64_t{1}, core::JoystickSettings::MaxShiftMagnitude));
    buttons->add_option("--buttons-per-device", joystick.buttonsPerDevice, "Button numbers of each device")
        ->check(CLI::Range(std::int64_t{1}, core::JoystickSettings::MaxButtonsPerDevice));

    std::vector<std::string> checkFiles;
    bool strict = false; // `json` is shared with compare: one command runs
    auto* check = app.add_subcommand("check",
        "The problems of key files, one line per problem in line order: FILE:LINE: error|warning: TEXT. "
        "Exit code 0 without errors, 1 with errors, 2 when a file cannot be read.");
    check->add_option("FILE", checkFiles, "Key files")->required();
    check->add_flag("--json", json, "One JSON array of objects: file, line, severity, code, text, lines");
    check->add_flag("--strict", strict, "Warnings make the exit code 1 too");

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
        auto bytes = readInput(file, m_err);
        if (!bytes)
            return 1;
        const auto document = core::KeyDocument::fromBytes(std::move(*bytes));
        writeInPieces(m_out, document.rowCount(),
            [&](std::string& piece, int from, int to) { core::appendListText(piece, document, removeSim, from, to); });
        return m_out ? 0 : 1;
    }
    if (save->parsed()) {
        auto bytes = readInput(file, m_err);
        if (!bytes)
            return 1;
        auto document = core::KeyDocument::fromBytes(std::move(*bytes));
        // The bytes go out in pieces, straight from the input's mapping, unless OUT is IN: a mapped file cannot be
        // replaced everywhere (Windows keeps it open), so the document and its mapping are gone before OUT is
        // written. A file with other names is written over from a complete temporary copy, never from the pieces.
        if (QFileInfo(QString::fromLocal8Bit(file.c_str())) == QFileInfo(QString::fromLocal8Bit(outFile.c_str()))) {
            const std::string written = document.toBytes();
            document = core::KeyDocument();
            return writeOutput(outFile, written, m_err) ? 0 : 1;
        }
        return writeDocument(outFile, document, m_err) ? 0 : 1;
    }
    if (keys->parsed())
        return this->keys(file, (shift ? 1 : 0) + (control ? 2 : 0) + (alt ? 4 : 0));
    if (macros->parsed())
        return this->macros(file, format == "target", removeSim);
    if (compare->parsed() && changes)
        return this->changes(file, secondFile, json, rtfFile, textFile);
    if (compare->parsed()) {
        if (json) {
            m_err << "tarnwick-cli: --json needs --changes (try --help)\n";
            return 2;
        }
        return this->compare(file, secondFile, rtfFile, textFile);
    }
    if (take->parsed())
        return this->take(file, intoFile, outFile, noClashes);
    if (find->parsed())
        return findLines(file, words, m_out, m_err);
    if (bind->parsed())
        return bindKeys({file, line, keysText, outFile.empty() ? file : outFile, takeOver}, m_err);
    if (buttons->parsed()) {
        auto bytes = readInput(file, m_err);
        if (!bytes)
            return 1;
        m_out << core::buttonsText(core::joystickLines(core::KeyDocument::fromBytes(std::move(*bytes)), joystick));
        return m_out ? 0 : 1;
    }
    if (check->parsed()) {
        // A check whose report did not arrive is not a check that found errors.
        m_outputFailureCode = 2;
        return runCheck(checkFiles, json, strict, m_out, m_err);
    }
    if (print->parsed())
        return this->print({file, pdfFile, htmlFile, paper == "letter"});
    return 2;
}

int CliRunner::keys(const std::string& file, int modifier)
{
    auto bytes = readInput(file, m_err);
    if (!bytes)
        return 1;
    const auto document = core::KeyDocument::fromBytes(std::move(*bytes));
    const auto usage = core::KeyboardUsage::compute(document, modifier);
    std::string text;
    std::string spare;
    for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
        const auto& key = core::KeyCodeTable::row(row);
        const auto& use = usage.forTableRow(row);
        text += key.scanCodeText;
        text += '\t';
        text += key.keyName;
        text += '\t';
        text += core::keyUseName(use.use);
        text += '\t';
        for (std::size_t i = 0; i < use.rows.size(); ++i) {
            if (i > 0)
                text += ", ";
            text += document.simName(use.rows[i], spare);
        }
        text += '\n';
    }
    m_out << text;
    return m_out ? 0 : 1;
}

int CliRunner::macros(const std::string& file, bool target, bool removeSim)
{
    auto bytes = readInput(file, m_err);
    if (!bytes)
        return 1;
    const auto document = core::KeyDocument::fromBytes(std::move(*bytes));
    if (target) {
        std::vector<int> rows(static_cast<std::size_t>(document.rowCount()));
        std::iota(rows.begin(), rows.end(), 0);
        m_out << core::fillTargetMacros(document, rows, removeSim);
    } else {
        writeInPieces(m_out, document.rowCount(), [&](std::string& piece, int from, int to) {
            core::appendCougarMacros(piece, document, removeSim, from, to);
        });
    }
    return m_out ? 0 : 1;
}

int CliRunner::compare(
    const std::string& file1, const std::string& file2, const std::string& rtfFile, const std::string& textFile)
{
    // Both files must be there before either is read; only the first missing one is named.
    for (const std::string* path : {&file1, &file2}) {
        if (!QFileInfo::exists(QString::fromLocal8Bit(path->c_str()))) {
            m_err << "I couldn't find " << *path << '\n';
            return 1;
        }
    }
    // The report as places in the files' bytes: no copy of a report as big as both files unless a file asks for it.
    const core::PlacedReport placed = core::placedComparison(compareInput(file1), compareInput(file2), m_clock());
    // The files first, so that a reader that stops reading standard output early does not cost them.
    bool written = true;
    if (!rtfFile.empty() || !textFile.empty()) {
        const core::Report report = placed.toReport();
        if (!rtfFile.empty())
            written = writeOutput(rtfFile, core::reportRtf(report), m_err) && written;
        if (!textFile.empty())
            written = writeOutput(textFile, core::reportText(report), m_err) && written;
    }
    // A piece is a line or less: gathered into a MiB before each write.
    std::string buffer;
    buffer.reserve(std::size_t(1) << 20);
    const auto flush = [this, &buffer] {
        m_out.write(buffer.data(), std::streamsize(buffer.size()));
        buffer.clear();
    };
    core::forEachReportTextPiece(placed, [&](std::string_view piece) {
        buffer += piece;
        if (buffer.size() >= (std::size_t(1) << 20))
            flush();
    });
    flush();
    return m_out && written ? 0 : 1;
}

int CliRunner::changes(const std::string& file1, const std::string& file2, bool json, const std::string& rtfFile,
    const std::string& textFile)
{
    for (const std::string* path : {&file1, &file2}) {
        if (!QFileInfo::exists(QString::fromLocal8Bit(path->c_str()))) {
            m_err << "I couldn't find " << *path << '\n';
            return 1;
        }
    }
    auto bytes1 = readInput(file1, m_err);
    if (!bytes1)
        return 1;
    auto bytes2 = readInput(file2, m_err);
    if (!bytes2)
        return 1;
    const core::Changes changes = core::Changes::between(
        core::KeyDocument::fromBytes(std::move(*bytes1)), core::KeyDocument::fromBytes(std::move(*bytes2)));
    bool written = true;
    if (!rtfFile.empty() || !textFile.empty()) {
        std::array<bool, core::ChangeKindCount> shown{};
        shown.fill(true);
        shown[static_cast<std::size_t>(core::ChangeKind::Unchanged)] = false;
        const core::Report report = core::changesReport(changes, file1, file2, shown, core::comparisonDate(m_clock()));
        if (!rtfFile.empty())
            written = writeOutput(rtfFile, core::reportRtf(report), m_err) && written;
        if (!textFile.empty())
            written = writeOutput(textFile, core::reportText(report), m_err) && written;
    }
    m_out << (json ? changesJson(changes, file1, file2) : changesText(changes));
    return m_out && written ? 0 : 1;
}

int CliRunner::take(const std::string& from, const std::string& into, const std::string& output, bool noClashes)
{
    // The output may be either input.
    auto fromBytes = readInput(from, m_err, Reading::Whole);
    if (!fromBytes)
        return 1;
    auto intoBytes = readInput(into, m_err, Reading::Whole);
    if (!intoBytes)
        return 1;
    const core::KeyDocument fromDocument = core::KeyDocument::fromBytes(std::move(*fromBytes));
    TakeResult result = takeBindings(core::KeyDocument::fromBytes(std::move(*intoBytes)), fromDocument, noClashes);
    if (!writeDocument(output, result.document, m_err))
        return 1;
    m_out << result.text;
    return m_out ? 0 : 1;
}

int CliRunner::print(const PrintRequest& request)
{
    const PrintEntry entry = printEntry();
    return entry ? entry(request, m_err) : 1;
}

PrintEntry CliRunner::printEntry()
{
    // The module lies beside the program (a build, Windows) or in PREFIX/lib/tarnwick beside PREFIX/bin. Only an
    // application object knows the program's folder; one lives just long enough to tell, when there is none.
    QString folder;
    if (QCoreApplication::instance()) {
        folder = QCoreApplication::applicationDirPath();
    } else {
        int argc = 1;
        char name[] = "tarnwick-cli";
        char* argv[] = {name, nullptr};
        const QCoreApplication application(argc, argv);
        folder = QCoreApplication::applicationDirPath();
    }
    const QStringList places{folder, folder + QStringLiteral("/../lib/tarnwick")};
    // Loaded once and never unloaded: Qt Gui keeps state of its own until the program ends.
    static QLibrary library;
    QString reasons;
    for (const QString& place : places) {
        if (library.isLoaded())
            break;
        library.setFileName(QDir(place).filePath(QStringLiteral("tarnwick-print")));
        if (!library.load())
            reasons += QStringLiteral("; ") + library.errorString();
    }
    const auto entry = reinterpret_cast<PrintEntry>(library.resolve(PrintEntryName));
    if (!entry) {
        m_err << "tarnwick-cli: cannot print: the printing module tarnwick-print is missing or broken"
              << reasons.toLocal8Bit().toStdString() << '\n';
    }
    return entry;
}

} // namespace cli
