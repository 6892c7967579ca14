#include "SaveTarget.h"

#include <QFileInfo>

namespace gui {

bool isReadOnlyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

void refuseReadOnly(Prompts& prompts, QWidget* parent, const QString& path)
{
    prompts.message(parent, QStringLiteral("Can't save Read Only file"),
        path + QStringLiteral(" is read only. Please save the file with a different name or location."),
        PromptButtons::Ok, PromptIcon::Information);
}

void reportSaveProblem(Prompts& prompts, QWidget* parent, const QString& path)
{
    prompts.message(parent, QStringLiteral("This didn't go well!"),
        QStringLiteral("There seems to have been a problem saving ") + path, PromptButtons::Ok,
        PromptIcon::Information);
}

bool confirmSaveTarget(Prompts& prompts, QWidget* parent, const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    const PromptAnswer answer = prompts.message(parent, QStringLiteral("OK to overwrite exisiting file?"),
        info.fileName() + QStringLiteral(" already exists. Do you want me to overwrite this file?"),
        PromptButtons::YesNo, PromptIcon::Question);
    if (answer != PromptAnswer::Yes)
        return false;
    if (isReadOnlyFile(path)) {
        refuseReadOnly(prompts, parent, path);
        return false;
    }
    return true;
}

} // namespace gui
