#pragma once

// Stand-ins for the window's dialogs and desktop in the window benchmarks: every question gets one fixed answer, the
// open dialog names `fileToOpen`, nothing reaches the clipboard or another program.
#include "gui/Desktop.h"
#include "gui/Prompts.h"

namespace bench {

class FixedPrompts final : public gui::Prompts
{
public:
    explicit FixedPrompts(gui::PromptAnswer answer)
        : m_answer(answer)
    { }
    QString fileToOpen;

    gui::PromptAnswer message(QWidget*, const QString&, const QString&, gui::PromptButtons, gui::PromptIcon) override
    {
        return m_answer;
    }
    QString openFileName(QWidget*, const gui::FileDialogRequest&) override { return fileToOpen; }
    QString saveFileName(QWidget*, const gui::FileDialogRequest&) override { return {}; }
    gui::AssignAnswer assignKey(QWidget*, const gui::AssignRequest&) override { return {}; }
    std::optional<QList<int>> chooseBindingsToTake(QWidget*, const gui::TakePreview&) override { return {}; }

private:
    gui::PromptAnswer m_answer;
};

class NoDesktop final : public gui::Desktop
{
public:
    void clearClipboard() override { }
    void setClipboardText(const QString&) override { }
    bool openDocument(const QString&) override { return true; }
    bool openInTextEditor(const QString&) override { return true; }
};

} // namespace bench
