#include "WidgetPrompts.h"

#include "AssignKeyDialog.h"
#include "TakeBindingsDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace gui {

QStringList WidgetPrompts::qtFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (!caption.contains(QLatin1Char('(')))
            caption += QStringLiteral(" (") + pattern + QLatin1Char(')');
        filters << caption;
    }
    return filters;
}

PromptAnswer WidgetPrompts::message(
    QWidget* parent, const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case PromptIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case PromptIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case PromptIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case PromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case PromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case PromptButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case PromptButtons::GoBackOrSaveAnyway: {
        QPushButton* back = box.addButton(QStringLiteral("Go back to the grid"), QMessageBox::RejectRole);
        QPushButton* save = box.addButton(QStringLiteral("Save anyway"), QMessageBox::AcceptRole);
        back->setObjectName(QStringLiteral("PromptGoBack"));
        save->setObjectName(QStringLiteral("PromptSaveAnyway"));
        box.setDefaultButton(back);
        box.setEscapeButton(back);
        box.exec();
        return box.clickedButton() == save ? PromptAnswer::Yes : PromptAnswer::No;
    }
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    default:
        return PromptAnswer::Cancel;
    }
}

QString WidgetPrompts::folderFor(const FileDialogRequest& request) const
{
    if (!request.startFolder.isEmpty())
        return request.startFolder;
    return m_lastFolder.isEmpty() ? request.fallbackFolder : m_lastFolder;
}

QString WidgetPrompts::openFileName(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent, request.title, folderFor(request));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtFilters(request.filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

QString WidgetPrompts::saveFileName(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent, request.title, folderFor(request));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The questions about overwriting and read-only files are the window's own.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(qtFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

AssignAnswer WidgetPrompts::assignKey(QWidget* parent, const AssignRequest& request)
{
    AssignKeyDialog dialog(request, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.answer();
}

std::optional<QList<int>> WidgetPrompts::chooseBindingsToTake(QWidget* parent, const TakePreview& preview)
{
    TakeBindingsDialog dialog(preview, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace gui
