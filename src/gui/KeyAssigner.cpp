#include "KeyAssigner.h"

#include "KeyFileSession.h"
#include "Prompts.h"

#include <algorithm>

namespace gui {

KeyAssigner::KeyAssigner(KeyFileSession* session)
    : m_session(session)
{ }

bool KeyAssigner::canAssign(int row) const
{
    const core::KeyDocument& document = m_session->document();
    return row >= 0 && row < document.rowCount() && document.binding(row).isKey();
}

QString KeyAssigner::lineText(int row) const
{
    const core::KeyDocument& document = m_session->document();
    return m_session->cellText(row, core::SimNameColumn) + QStringLiteral(" (line %1)").arg(document.lineNumber(row));
}

std::vector<int> KeyAssigner::blockingRows(int row, const core::KeyCombination& combination) const
{
    const core::KeyDocument& document = m_session->document();
    const std::string name = document.cell(row, core::SimNameColumn);
    std::vector<int> rows;
    for (const int other : core::rowsBoundTo(document, combination, row)) {
        // Reference and hidden lines document a key and may share it; so do other lines of the same function.
        if (!core::isPassiveLine(document.binding(other)) && document.cell(other, core::SimNameColumn) != name)
            rows.push_back(other);
    }
    return rows;
}

AssignPreview KeyAssigner::preview(int row, const core::KeyCombination& combination) const
{
    const core::KeyDocument& document = m_session->document();
    AssignPreview preview;
    preview.words = QString::fromStdString(combination.text());
    for (const std::string& cell : combination.cells())
        preview.cells << QString::fromStdString(cell);
    const std::vector<int> blocking = blockingRows(row, combination);
    for (const int other : core::rowsBoundTo(document, combination, row)) {
        // "SimX (line 12, 2.03 FLT CONTROL PANEL)", the parentheses closed after what follows.
        QString text = lineText(other);
        text.chop(1);
        const QString section = m_session->sectionTitleOf(other);
        if (!section.isEmpty())
            text += QStringLiteral(", ") + section;
        if (std::find(blocking.begin(), blocking.end(), other) == blocking.end())
            text += QStringLiteral(", may share it");
        preview.takenBy << text + QLatin1Char(')');
    }
    preview.blocked = !blocking.empty();
    return preview;
}

bool KeyAssigner::apply(int row, const AssignAnswer& answer)
{
    if (!canAssign(row) || answer.action == AssignAnswer::Cancel)
        return false;
    QList<CellEdit> edits;
    const auto setKeys = [&edits](int r, const std::array<std::string, 4>& cells) {
        for (int c = 0; c < 4; ++c)
            edits.append({r, core::KeyColumn + c, QString::fromStdString(cells[static_cast<std::size_t>(c)])});
    };
    if (answer.action == AssignAnswer::Clear) {
        setKeys(row, core::clearedKeyCells());
        return m_session->edit(edits, QStringLiteral("Clear assignment"));
    }
    const std::vector<int> blocking = blockingRows(row, answer.combination);
    if (!blocking.empty() && answer.action != AssignAnswer::TakeOver)
        return false;
    setKeys(row, answer.combination.cells());
    for (const int other : blocking)
        setKeys(other, core::clearedKeyCells());
    return m_session->edit(edits, blocking.empty() ? QStringLiteral("Assign key") : QStringLiteral("Take over key"));
}

bool KeyAssigner::assignWithDialog(Prompts& prompts, QWidget* parent, int row)
{
    if (!canAssign(row))
        return false;
    AssignRequest request;
    request.line = lineText(row);
    request.current = QString::fromStdString(core::keysText(m_session->document().binding(row)));
    request.preview = [this, row](const core::KeyCombination& combination) { return preview(row, combination); };
    return apply(row, prompts.assignKey(parent, request));
}

} // namespace gui
