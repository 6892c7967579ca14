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
        m_late = {};
    }
    // Kept as a system's clipboard keeps them, so that the memory figures count them: a text, or what makes a text
    // when it is pasted.
    void setClipboardText(const QString& text) override { m_text = text; }
    void setClipboardUtf8(std::function<QByteArray()> text) override { m_late = std::move(text); }
    /** The UTF-8 bytes another program would get by pasting now. */
    QByteArray pasteUtf8() const { return m_late ? m_late() : m_text.toUtf8(); }
    bool openDocument(const QString&) override { return true; }
    bool openInTextEditor(const QString&) override { return true; }

private:
    QString m_text;
    std::function<QByteArray()> m_late;
};

} // namespace bench
