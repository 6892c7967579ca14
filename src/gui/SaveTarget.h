#pragma once

#include "Prompts.h"

namespace gui {

/** The checks before writing a file chosen in a save dialog: an existing file is overwritten only when the user
 *  says Yes, and never when it is read-only. True when the write may go ahead. */
bool confirmSaveTarget(Prompts& prompts, QWidget* parent, const QString& path);

/** True when the file exists and its owner may not write it (the read-only attribute). */
bool isReadOnlyFile(const QString& path);

/** The refusal shown for a read-only file. */
void refuseReadOnly(Prompts& prompts, QWidget* parent, const QString& path);

/** The message for a report or list file that could not be written. */
void reportSaveProblem(Prompts& prompts, QWidget* parent, const QString& path);

} // namespace gui
