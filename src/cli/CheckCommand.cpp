#include "CheckCommand.h"

#include "CliCommands.h"

#include "core/KeyDocument.h"
#include "core/Problems.h"
#include "core/TextDecoding.h"

#include <nlohmann/json.hpp>

namespace cli {

namespace {

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
        auto bytes = readInput(file, err);
        if (!bytes) {
            unreadable = true;
            continue;
        }
        ++checked;
        const auto document = core::KeyDocument::fromBytes(std::move(*bytes));
        core::ProblemCheck check;
        check.check(document);
        errors += check.errorCount();
        warnings += check.warningCount();
        std::string text;
        for (const core::Problem* p : check.list()) {
            if (json) {
                array.push_back({{"file", core::textAsUtf8(file)}, {"line", p->line},
                    {"severity", core::severityName(p->severity)}, {"code", core::problemCodeName(p->code)},
                    {"text", core::textAsUtf8(p->text)}, {"lines", p->lines}});
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
