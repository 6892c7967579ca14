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
    void clearClipboard() override
    {
        m_text.clear();
        m_utf8.clear();
    }
    // Kept as a system's clipboard keeps them, so that the memory figures count them.
    void setClipboardText(const QString& text) override { m_text = text; }
    void setClipboardUtf8(const QByteArray& text) override { m_utf8 = text; }
    bool openDocument(const QString&) override { return true; }
    bool openInTextEditor(const QString&) override { return true; }

private:
    QString m_text;
    QByteArray m_utf8;
};

} // namespace bench
