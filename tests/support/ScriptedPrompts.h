#pragma once

#include "gui/Desktop.h"
#include "gui/Prompts.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace testing {

/** One question the window asked. */
struct AskedPrompt
{
    enum Kind { Message, OpenFile, SaveFile, AssignKey, TakeBindings } kind;
    QString title;
    QString text;
    gui::PromptButtons buttons = gui::PromptButtons::Ok;
    gui::PromptIcon icon = gui::PromptIcon::Information;
    gui::FileDialogRequest request;
};

/**
 * Prompts that answer from a script and record every question. A question the script has no answer for fails the
 * running test at once (and is answered Cancel, or the dialog cancelled, so nothing waits). A test that means the
 * user to cancel a dialog scripts it with answerFile(QString()).
 */
class ScriptedPrompts final : public gui::Prompts
{
public:
    void answerMessage(gui::PromptAnswer answer) { m_answers.append(answer); }
    void answerFile(const QString& path) { m_files.append(path); }
    void answerAssign(const gui::AssignAnswer& answer) { m_assignAnswers.append(answer); }
    /** The bindings ticked in the next preview of taking bindings; nothing cancels it. */
    void answerTake(std::optional<QList<int>> chosen) { m_takes.append(std::move(chosen)); }

    gui::PromptAnswer message(QWidget* parent, const QString& title, const QString& text, gui::PromptButtons buttons,
        gui::PromptIcon icon) override;
    QString openFileName(QWidget* parent, const gui::FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const gui::FileDialogRequest& request) override;
    /** Records the request (its preview of the scripted combination in `lastPreview`) and answers from the script. */
    gui::AssignAnswer assignKey(QWidget* parent, const gui::AssignRequest& request) override;
    std::optional<QList<int>> chooseBindingsToTake(QWidget* parent, const gui::TakePreview& preview) override;

    QList<AskedPrompt> asked;
    /** Every preview of taking bindings shown, in order. */
    QList<gui::TakePreview> takePreviews;
    /** Called with every question once it is recorded, before it is answered: lets a test change the world
     *  between the program's checks and its write. */
    std::function<void(const AskedPrompt&)> onAsk;
    bool allAnswersUsed() const
    {
        return m_answers.isEmpty() && m_files.isEmpty() && m_assignAnswers.isEmpty() && m_takes.isEmpty();
    }
    gui::AssignPreview lastPreview;

private:
    QList<gui::PromptAnswer> m_answers;
    QStringList m_files;
    QList<gui::AssignAnswer> m_assignAnswers;
    QList<std::optional<QList<int>>> m_takes;
};

/** A desktop that records what the window asked of it. */
class RecordingDesktop final : public gui::Desktop
{
public:
    void clearClipboard() override
    {
        clipboard.clear();
        lateClipboard = {};
        ++clipboardClears;
    }
    void setClipboardText(const QString& text) override
    {
        clipboard = text;
        lateClipboard = {};
    }
    void setClipboardUtf8(std::function<QByteArray()> text) override
    {
        clipboard.clear();
        lateClipboard = std::move(text);
    }
    /** What a paste gets now: the text, or the text made at this moment from what the window gave. */
    QString paste() const { return lateClipboard ? QString::fromUtf8(lateClipboard()) : clipboard; }
    bool openDocument(const QString& path) override
    {
        openedDocuments << path;
        return true;
    }
    bool openInTextEditor(const QString& path) override
    {
        if (hasTextEditor)
            editorFiles << path;
        return hasTextEditor;
    }

    QString clipboard;
    std::function<QByteArray()> lateClipboard;
    int clipboardClears = 0;
    QStringList openedDocuments;
    QStringList editorFiles;
    bool hasTextEditor = true;
};

} // namespace testing
