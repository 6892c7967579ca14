#include "CliCommands.h"

#include "core/Find.h"
#include "core/KeyCombination.h"
#include "core/SimplifiedList.h"
#include "io/FileIo.h"

#include <QString>

#include <deque>
#include <span>
#include <string_view>

namespace cli {

std::optional<core::SharedBytes> readInput(const std::string& path, std::ostream& err, Reading reading)
{
    core::SharedBytes bytes;
    io::FileError error;
    const QString name = QString::fromLocal8Bit(path.c_str());
    bool read = false;
    if (reading == Reading::MayMap) {
        read = io::readFileShared(name, &bytes, &error);
    } else if (std::string whole; io::readFileBytes(name, &whole, &error)) {
        bytes = core::SharedBytes(std::move(whole));
        read = true;
    }
    if (!read) {
        err << "tarnwick-cli: cannot read " << path << ": " << error.reason.toLocal8Bit().toStdString() << '\n';
        return std::nullopt;
    }
    return bytes;
}

namespace {

bool writePieces(const std::string& path, std::span<const std::string_view> pieces, std::ostream& err)
{
    io::FileError error;
    if (!io::writeFileAtomically(QString::fromLocal8Bit(path.c_str()), pieces, &error)) {
        err << "tarnwick-cli: cannot write " << path << ": " << error.reason.toLocal8Bit().toStdString() << '\n';
        return false;
    }
    return true;
}

} // namespace

bool writeOutput(const std::string& path, const std::string& bytes, std::ostream& err)
{
    const std::string_view whole = bytes;
    return writePieces(path, std::span<const std::string_view>(&whole, 1), err);
}

bool writeDocument(const std::string& path, const core::KeyDocument& document, std::ostream& err)
{
    std::deque<std::string> made;
    return writePieces(path, document.bytePieces(made), err);
}

int findLines(const std::string& file, const std::vector<std::string>& words, std::ostream& out, std::ostream& err)
{
    auto bytes = readInput(file, err);
    if (!bytes)
        return 1;
    const auto document = core::KeyDocument::fromBytes(std::move(*bytes));
    std::string query;
    for (const std::string& word : words)
        query += word + ' ';
    const std::vector<std::string> wanted = core::filterWords(query);
    const auto list = core::SimplifiedList::build(document, false);
    std::string text;
    for (const core::SimplifiedEntry& entry : list.entries()) {
        if (!core::containsAllWords(core::searchText(document, entry.row), wanted))
            continue;
        text += std::to_string(entry.line);
        text += '\t';
        text += core::listText({entry});
        text.replace(text.size() - 2, 2, "\n");
    }
    out << text;
    return 0;
}

int bindKeys(const BindRequest& request, std::ostream& err)
{
    // Written back over the file itself unless told otherwise.
    auto bytes = readInput(request.file, err, Reading::Whole);
    if (!bytes)
        return 1;
    auto document = core::KeyDocument::fromBytes(std::move(*bytes));
    const std::string where = "line " + std::to_string(request.line) + " of " + request.file;
    const int row = document.rowAtLine(request.line);
    if (row >= document.rowCount() || document.lineNumber(row) != request.line) {
        err << "tarnwick-cli: " << where << " is not a key line (there is no record on it)\n";
        return 1;
    }
    const core::Binding& binding = document.binding(row);
    if (binding.isComment()) {
        err << "tarnwick-cli: " << where << " is a comment\n";
        return 1;
    }
    if (!binding.isKey()) {
        err << "tarnwick-cli: " << where << " binds a joystick button, not a key\n";
        return 1;
    }
    const core::ParsedKeys parsed = core::parseKeys(request.keys);
    if (!parsed.error.empty()) {
        err << "tarnwick-cli: cannot read the keys \"" << request.keys << "\": " << parsed.error << '\n';
        return 1;
    }

    std::vector<int> cleared;
    if (parsed.combination) {
        // The lines the simulator acts on that have the combination now, other than the same function.
        const std::string name = document.cell(row, core::SimNameColumn);
        for (const int other : core::rowsBoundTo(document, *parsed.combination, row)) {
            if (!core::isPassiveLine(document.binding(other)) && document.cell(other, core::SimNameColumn) != name)
                cleared.push_back(other);
        }
        if (!cleared.empty() && !request.takeOver) {
            err << "tarnwick-cli: " << parsed.combination->text() << " is taken by "
                << document.cell(cleared.front(), core::SimNameColumn) << " (line "
                << document.lineNumber(cleared.front()) << ")"
                << (cleared.size() > 1 ? " and " + std::to_string(cleared.size() - 1) + " more" : std::string())
                << "; give --take-over to move it\n";
            return 1;
        }
    }

    // A line that has the keys already keeps its bytes.
    if (parsed.combination && core::combinationOf(binding) == parsed.combination && cleared.empty())
        return writeDocument(request.output, document, err) ? 0 : 1;
    const auto cells = parsed.combination ? parsed.combination->cells() : core::clearedKeyCells();
    const auto setKeys = [&document](int r, const std::array<std::string, 4>& keys) {
        for (int c = 0; c < 4; ++c)
            document.setCell(r, core::KeyColumn + c, keys[static_cast<std::size_t>(c)]);
    };
    setKeys(row, cells);
    for (const int other : cleared)
        setKeys(other, core::clearedKeyCells());
    // A line that reading would not give back is never written.
    std::vector<int> changed = cleared;
    changed.push_back(row);
    for (const int r : changed) {
        if (const auto bad = core::unwritableCell(document.cells(r))) {
            err << "tarnwick-cli: line " << document.lineNumber(r)
                << " has a cell that cannot be written so that reading gives it back ("
                << core::columnHeaders()[static_cast<std::size_t>(bad->column)] << "); nothing was written\n";
            return 1;
        }
    }
    return writeDocument(request.output, document, err) ? 0 : 1;
}

} // namespace cli
