#include "Prompts.h"

namespace gui {

FileDialogRequest keyFileOpenRequest(const QString& startFolder)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select the key file to open ...");
    request.filter = QStringLiteral("Falcon .key files (*.key)|*.key|All files (*.*) |*.*");
    request.startFolder = startFolder;
    return request;
}

} // namespace gui
