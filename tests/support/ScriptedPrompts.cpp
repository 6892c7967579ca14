#include "ScriptedPrompts.h"

#include <QTest>

namespace testing {

namespace {

void failUnscripted(const QString& title)
{
    const QByteArray message = "unscripted prompt: " + title.toUtf8();
    QTest::qFail(message.constData(), __FILE__, __LINE__);
}

} // namespace

gui::PromptAnswer ScriptedPrompts::message(
    QWidget*, const QString& title, const QString& text, gui::PromptButtons buttons, gui::PromptIcon icon)
{
    asked.append({AskedPrompt::Message, title, text, buttons, icon, {}});
    if (onAsk)
        onAsk(asked.last());
    if (m_answers.isEmpty()) {
        failUnscripted(title);
        return gui::PromptAnswer::Cancel;
    }
    return m_answers.takeFirst();
}

QString ScriptedPrompts::openFileName(QWidget*, const gui::FileDialogRequest& request)
{
    asked.append(
        {AskedPrompt::OpenFile, request.title, {}, gui::PromptButtons::Ok, gui::PromptIcon::Information, request});
    if (m_files.isEmpty()) {
        failUnscripted(request.title);
        return {};
    }
    return m_files.takeFirst();
}

QString ScriptedPrompts::saveFileName(QWidget*, const gui::FileDialogRequest& request)
{
    asked.append(
        {AskedPrompt::SaveFile, request.title, {}, gui::PromptButtons::Ok, gui::PromptIcon::Information, request});
    if (m_files.isEmpty()) {
        failUnscripted(request.title);
        return {};
    }
    return m_files.takeFirst();
}

gui::AssignAnswer ScriptedPrompts::assignKey(QWidget*, const gui::AssignRequest& request)
{
    asked.append({AskedPrompt::AssignKey, request.line, request.current, gui::PromptButtons::Ok,
        gui::PromptIcon::Information, {}});
    if (m_assignAnswers.isEmpty()) {
        failUnscripted(request.line);
        return {};
    }
    const gui::AssignAnswer answer = m_assignAnswers.takeFirst();
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
    if (m_takes.isEmpty()) {
        failUnscripted(title);
        return std::nullopt;
    }
    return m_takes.takeFirst();
}

} // namespace testing
