#pragma once

#include "Prompts.h"

#include <QStringList>

namespace gui {

/** The real prompts: QMessageBox and QFileDialog. */
class WidgetPrompts final : public Prompts
{
public:
    PromptAnswer message(
        QWidget* parent, const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    AssignAnswer assignKey(QWidget* parent, const AssignRequest& request) override;
    std::optional<QList<int>> chooseBindingsToTake(QWidget* parent, const TakePreview& preview) override;

    /** "Key file (*.key)|*.key" as Qt's name filters: "Key file (*.key)". */
    static QStringList qtFilters(const QString& filter);

private:
    QString folderFor(const FileDialogRequest& request) const;

    QString m_lastFolder; // the dialog keeps the folder of the file it last gave
};

} // namespace gui
