#include "ScriptedPrompts.h"

#include <QTest>

namespace testing {

namespace {

// The next scripted answer; with none left, fails the running test and gives `none`.
template <typename T> T nextAnswer(QList<T>& answers, const QString& title, T none = T())
{
    if (!answers.isEmpty())
        return answers.takeFirst();
    const QByteArray message = "unscripted prompt: " + title.toUtf8();
    QTest::qFail(message.constData(), __FILE__, __LINE__);
    return none;
}

} // namespace

gui::PromptAnswer ScriptedPrompts::message(
    QWidget*, const QString& title, const QString& text, gui::PromptButtons buttons, gui::PromptIcon icon)
{
    asked.append({AskedPrompt::Message, title, text, buttons, icon, {}});
    if (onAsk)
        onAsk(asked.last());
    return nextAnswer(m_answers, title, gui::PromptAnswer::Cancel);
}

QString ScriptedPrompts::openFileName(QWidget*, const gui::FileDialogRequest& request)
{
    asked.append(
        {AskedPrompt::OpenFile, request.title, {}, gui::PromptButtons::Ok, gui::PromptIcon::Information, request});
    return nextAnswer(m_files, request.title);
}

QString ScriptedPrompts::saveFileName(QWidget*, const gui::FileDialogRequest& request)
{
    asked.append(
        {AskedPrompt::SaveFile, request.title, {}, gui::PromptButtons::Ok, gui::PromptIcon::Information, request});
    return nextAnswer(m_files, request.title);
}

gui::AssignAnswer ScriptedPrompts::assignKey(QWidget*, const gui::AssignRequest& request)
{
    asked.append({AskedPrompt::AssignKey, request.line, request.current, gui::PromptButtons::Ok,
        gui::PromptIcon::Information, {}});
    const gui::AssignAnswer answer = nextAnswer(m_assignAnswers, request.line);
    if (answer.action == gui::AssignAnswer::Assign || answer.action == gui::AssignAnswer::TakeOver)
        lastPreview = request.preview(answer.combination);
    return answer;
}

std::optional<QList<int>> ScriptedPrompts::chooseBindingsToTake(QWidget*, const gui::TakePreview& preview)
{
    const QString title = QStringLiteral("Take bindings");
    asked.append(
        {AskedPrompt::TakeBindings, title, preview.fromPath, gui::PromptButtons::Ok, gui::PromptIcon::Information, {}});
    takePreviews.append(preview);
    return nextAnswer(m_takes, title);
}

} // namespace testing
