#include "ChangesCommands.h"

#include "core/TextDecoding.h"

#include <nlohmann/json.hpp>

namespace cli {

namespace {

std::string lineOrDash(int line)
{
    return line > 0 ? std::to_string(line) : std::string("-");
}

nlohmann::ordered_json lineOrNull(int line)
{
    return line > 0 ? nlohmann::ordered_json(line) : nlohmann::ordered_json(nullptr);
}

// "SimX (line 12), SimY (line 40)": the rows of `document` that keep the keys a proposal takes, with their lines.
std::string clashesNamed(
    const core::KeyDocument& document, const core::TakeProposal& proposal, const std::vector<bool>& taken)
{
    std::string text;
    for (std::size_t i = 0; i < proposal.clashes.size(); ++i) {
        const int row = proposal.clashes[i];
        if (!core::clashesWhenTaken({proposal.clashProposals[i]}, taken))
            continue;
        if (!text.empty())
            text += ", ";
        text += document.cell(row, core::SimNameColumn) + " (line " + std::to_string(document.lineNumber(row)) + ")";
    }
    return text;
}

} // namespace

std::string changesText(const core::Changes& changes)
{
    std::string text;
    for (const core::FunctionChange& change : changes.functions()) {
        if (change.kind == core::ChangeKind::Unchanged)
            continue;
        const core::ChangeTexts t = changes.texts(change);
        text += core::changeKindWord(change.kind);
        text += '\t' + lineOrDash(t.line1) + '\t' + lineOrDash(t.line2) + '\t' + t.simName + '\t' + t.keys1 + '\t'
            + t.keys2 + '\n';
    }
    return text;
}

std::string changesJson(const core::Changes& changes, const std::string& path1, const std::string& path2)
{
    nlohmann::ordered_json json;
    json["file1"] = core::textAsUtf8(path1);
    json["file2"] = core::textAsUtf8(path2);
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    for (int k = 0; k < core::ChangeKindCount; ++k) {
        const auto kind = static_cast<core::ChangeKind>(k);
        counts[core::changeKindWord(kind)] = changes.count(kind);
    }
    json["counts"] = counts;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const core::FunctionChange& change : changes.functions()) {
        if (change.kind == core::ChangeKind::Unchanged)
            continue;
        const core::ChangeTexts t = changes.texts(change);
        const auto sideText = [](int line, const std::string& text) {
            return line > 0 ? nlohmann::ordered_json(core::textAsUtf8(text)) : nlohmann::ordered_json(nullptr);
        };
        nlohmann::ordered_json item;
        item["class"] = core::changeKindWord(change.kind);
        item["line1"] = lineOrNull(t.line1);
        item["line2"] = lineOrNull(t.line2);
        item["simName"] = core::textAsUtf8(t.simName);
        item["keys1"] = sideText(t.line1, t.keys1);
        item["keys2"] = sideText(t.line2, t.keys2);
        item["description1"] = sideText(t.line1, t.description1);
        item["description2"] = sideText(t.line2, t.description2);
        item["moved"] = change.moved;
        item["section"] = core::textAsUtf8(t.section);
        list.push_back(std::move(item));
    }
    json["changes"] = std::move(list);
    return json.dump(2) + '\n';
}

TakeResult takeBindings(core::KeyDocument into, const core::KeyDocument& from, bool skipClashes)
{
    const core::TakePlan plan = core::planTakeBindings(into, from);
    std::vector<bool> taken(plan.proposals.size(), true);
    if (skipClashes)
        taken = core::takenWithoutClashes(plan);
    TakeResult result;
    for (std::size_t i = 0; i < plan.proposals.size(); ++i) {
        const core::TakeProposal& proposal = plan.proposals[i];
        const bool take = taken[i];
        result.text += take ? "taken\t" : "skipped\t";
        result.text += std::to_string(into.lineNumber(proposal.row)) + '\t'
            + into.cell(proposal.row, core::SimNameColumn) + '\t' + core::keysText(into.binding(proposal.row)) + '\t'
            + core::keysText(from.binding(proposal.fromRow));
        if (core::clashesWhenTaken(proposal.clashProposals, taken))
            result.text += "\tclashes with " + clashesNamed(into, proposal, taken);
        result.text += '\n';
    }
    // The text names every line as it was; the edits come after.
    for (std::size_t i = 0; i < plan.proposals.size(); ++i) {
        if (!taken[i])
            continue;
        const core::TakeProposal& proposal = plan.proposals[i];
        for (const auto& [column, text] : proposal.cells)
            into.setCell(proposal.row, column, text);
        ++result.taken;
    }
    for (const int row : plan.missing) {
        result.text += "missing\t" + std::to_string(from.lineNumber(row)) + '\t' + from.cell(row, core::SimNameColumn)
            + '\t' + core::keysText(from.binding(row)) + '\n';
    }
    result.document = std::move(into);
    return result;
}

} // namespace cli
