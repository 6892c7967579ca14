#include "TakeBindings.h"

#include "KeyFileSession.h"
#include "Prompts.h"
#include "io/FileIo.h"

#include <QFileInfo>

namespace gui {

namespace {

// The row of the headline above each row of a document, -1 above the first.
std::vector<int> headlinesAbove(const core::KeyDocument& document)
{
    std::vector<int> above(static_cast<std::size_t>(document.rowCount()), -1);
    int current = -1;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (document.binding(r).isHeadline())
            current = r;
        above[static_cast<std::size_t>(r)] = current;
    }
    return above;
}

} // namespace

TakePreview takePreview(const core::TakePlan& plan, const KeyFileSession& session, const core::KeyDocument& from,
    io::TextEncoding fromEncoding, const QString& fromPath)
{
    const core::KeyDocument& into = session.document();
    TakePreview preview;
    preview.fromPath = fromPath;
    preview.intoName = session.fileName();
    const std::vector<int> headlines = headlinesAbove(into);
    for (const core::TakeProposal& proposal : plan.proposals) {
        TakePreview::Binding binding;
        binding.line = into.lineNumber(proposal.row);
        binding.simName = session.decode(into.cell(proposal.row, core::SimNameColumn));
        binding.keysNow = session.decode(core::keysText(into.binding(proposal.row)));
        binding.keysTaken = io::decodeText(core::keysText(from.binding(proposal.fromRow)), fromEncoding);
        const int headline = headlines[static_cast<std::size_t>(proposal.row)];
        if (headline >= 0)
            binding.section = session.decode(core::sectionTitle(into.cell(headline, core::DescriptionColumn)));
        for (std::size_t i = 0; i < proposal.clashes.size(); ++i) {
            const int row = proposal.clashes[i];
            binding.clashNames << session.decode(into.cell(row, core::SimNameColumn))
                    + QStringLiteral(" (line %1)").arg(into.lineNumber(row));
            binding.clashBindings << proposal.clashProposals[i];
        }
        preview.bindings.append(binding);
    }
    for (const int row : plan.missing) {
        TakePreview::Missing missing;
        missing.line = from.lineNumber(row);
        missing.simName = io::decodeText(from.cell(row, core::SimNameColumn), fromEncoding);
        missing.keys = io::decodeText(core::keysText(from.binding(row)), fromEncoding);
        missing.description = io::decodeText(from.cell(row, core::DescriptionColumn), fromEncoding).trimmed();
        if (missing.description.size() >= 2 && missing.description.startsWith(QLatin1Char('"'))
            && missing.description.endsWith(QLatin1Char('"')))
            missing.description = missing.description.mid(1, missing.description.size() - 2);
        preview.missing.append(missing);
    }
    return preview;
}

bool takeBindings(KeyFileSession& session, Prompts& prompts, QWidget* dialogParent)
{
    if (!session.isOpen())
        return false;
    FileDialogRequest request = keyFileOpenRequest(session.keyFilesFolder());
    request.title = QStringLiteral("Select the key file to take bindings from ...");
    const QString path = prompts.openFileName(dialogParent, request);
    if (path.isEmpty())
        return false;
    std::string bytes;
    io::FileError error;
    if (!io::readFileBytes(path, &bytes, &error)) {
        prompts.message(dialogParent, QStringLiteral("Unable to open key file"),
            QStringLiteral("I couldn't open ") + path + QStringLiteral(": ") + error.reason + QLatin1Char('.'),
            PromptButtons::Ok, PromptIcon::Critical);
        return false;
    }
    const io::TextEncoding encoding = io::detectEncoding(bytes);
    const core::KeyDocument from = core::KeyDocument::fromBytes(std::move(bytes));
    const core::TakePlan plan = core::planTakeBindings(session.document(), from);
    const QString name = QFileInfo(path).fileName();
    if (plan.proposals.empty() && plan.missing.empty()) {
        prompts.message(dialogParent, QStringLiteral("Nothing to take"),
            name + QStringLiteral(" binds every function of ") + session.fileName()
                + QStringLiteral(" as it is bound now."),
            PromptButtons::Ok, PromptIcon::Information);
        return false;
    }
    const auto chosen = prompts.chooseBindingsToTake(dialogParent, takePreview(plan, session, from, encoding, path));
    if (!chosen || chosen->isEmpty())
        return false;
    QList<CellEdit> edits;
    for (const int index : *chosen) {
        if (index < 0 || index >= static_cast<int>(plan.proposals.size()))
            continue;
        const core::TakeProposal& proposal = plan.proposals[static_cast<std::size_t>(index)];
        for (const auto& [column, text] : proposal.cells)
            edits.append(CellEdit{proposal.row, column, io::decodeText(text, encoding)});
    }
    return session.edit(edits, QStringLiteral("Take bindings from ") + name);
}

} // namespace gui
