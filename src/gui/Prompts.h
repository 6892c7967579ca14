#pragma once

#include "KeyAssigner.h"
#include "TakePreview.h"

#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace gui {

/** The buttons of a message. GoBackOrSaveAnyway: "Go back to the grid" (the default and Escape, answered No) and
 *  "Save anyway" (answered Yes). */
enum class PromptButtons { Ok, YesNo, YesNoCancel, GoBackOrSaveAnyway };
enum class PromptIcon { Question, Information, Exclamation, Critical };
enum class PromptAnswer { Ok, Yes, No, Cancel };

/** What a file dialog is asked to show. The filter is written as "Text (*.ext)|*.ext|Text 2|*.x", pairs of a
 *  caption and a pattern. */
struct FileDialogRequest
{
    QString title;
    QString filter;
    QString defaultSuffix;
    QString startFolder;
    QString proposedName;
    /** Where a dialog without a start folder begins when it has shown no folder yet. */
    QString fallbackFolder;
};

/** The open dialog for key files, for the key file grid and for the comparison alike. */
FileDialogRequest keyFileOpenRequest(const QString& startFolder);

/**
 * Every modal question, message box and file dialog of the window goes through here, so tests can answer them.
 * A file dialog returns the chosen full path, or an empty string when the user cancelled.
 */
class Prompts
{
public:
    virtual ~Prompts() = default;
    virtual PromptAnswer message(
        QWidget* parent, const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon)
        = 0;
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    /** The assign dialog: the user presses or picks a combination, sees what it takes from other lines, and
     *  assigns it, takes it over, clears the line's keys or cancels. */
    virtual AssignAnswer assignKey(QWidget* parent, const AssignRequest& request) = 0;
    /** The preview of taking bindings from another file: the indexes into `preview.bindings` the user ticked
     *  (every binding without a clash at first), or nothing when the user cancelled. */
    virtual std::optional<QList<int>> chooseBindingsToTake(QWidget* parent, const TakePreview& preview) = 0;
};

} // namespace gui
