#include "CheckCommand.h"

#include "core/KeyDocument.h"
#include "core/Problems.h"
#include "core/TextDecoding.h"
#include "io/FileIo.h"

#include <QString>

#include <nlohmann/json.hpp>

namespace cli {

namespace {

// JSON holds UTF-8: a key file's bytes are read as UTF-8 where they form it, otherwise as Windows-1252.
std::string toUtf8(std::string_view bytes)
{
    if (core::isValidUtf8(bytes))
        return std::string(bytes);
    std::string text;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const char32_t c = core::nextTextChar(bytes, &pos);
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::string counted(long long n, const char* word)
{
    return std::to_string(n) + ' ' + word + (n == 1 ? "" : "s");
}

} // namespace

int runCheck(const std::vector<std::string>& files, bool json, bool strict, std::ostream& out, std::ostream& err)
{
    long long errors = 0;
    long long warnings = 0;
    int checked = 0;
    bool unreadable = false;
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const std::string& file : files) {
        std::string bytes;
        io::FileError error;
        if (!io::readFileBytes(QString::fromLocal8Bit(file.c_str()), &bytes, &error)) {
            err << "tarnwick-cli: cannot read " << file << ": " << error.reason.toLocal8Bit().toStdString() << '\n';
            unreadable = true;
            continue;
        }
        ++checked;
        const auto document = core::KeyDocument::fromBytes(std::move(bytes));
        core::ProblemCheck check;
        check.check(document);
        errors += check.errorCount();
        warnings += check.warningCount();
        std::string text;
        for (const core::Problem* p : check.list()) {
            if (json) {
                array.push_back(
                    {{"file", toUtf8(file)}, {"line", p->line}, {"severity", core::severityName(p->severity)},
                        {"code", core::problemCodeName(p->code)}, {"text", toUtf8(p->text)}, {"lines", p->lines}});
                continue;
            }
            text += file;
            text += ':';
            text += std::to_string(p->line);
            text += ": ";
            text += core::severityName(p->severity);
            text += ": ";
            text += p->text;
            text += '\n';
        }
        out << text;
    }
    if (json)
        out << array.dump(2) << '\n';
    err << counted(errors, "error") << ", " << counted(warnings, "warning") << " in " << counted(checked, "file")
        << '\n';
    if (unreadable)
        return 2;
    return errors > 0 || (strict && warnings > 0) ? 1 : 0;
}

} // namespace cli
