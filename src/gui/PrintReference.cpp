#include "PrintReference.h"

#include "KeyFileSession.h"
#include "Prompts.h"
#include "SaveTarget.h"
#include "core/Reference.h"
#include "io/FileIo.h"
#include "print/ReferencePdf.h"

#include <QFileInfo>

namespace gui {

void printReference(Prompts& prompts, QWidget* parent, const KeyFileSession& session)
{
    if (!session.isOpen())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Print reference to ...");
    request.filter = QStringLiteral("PDF document (*.pdf)|*.pdf|Web page, bindings only (*.html)|*.html");
    request.defaultSuffix = QStringLiteral("pdf");
    request.proposedName = QFileInfo(session.path()).completeBaseName() + QStringLiteral(" reference");
    request.fallbackFolder = QFileInfo(session.path()).absolutePath();
    const QString path = prompts.saveFileName(parent, request);
    if (path.isEmpty() || !confirmSaveTarget(prompts, parent, path))
        return;
    const auto reference = core::Reference::build(session.document(), session.fileName().toUtf8().toStdString());
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool html = suffix == QLatin1String("html") || suffix == QLatin1String("htm");
    const std::string bytes = html ? core::referenceHtml(reference)
                                   : print::printReference(reference, print::localPaper()).pdf.toStdString();
    io::FileError error;
    if (!io::writeFileAtomically(path, bytes, &error))
        reportSaveProblem(prompts, parent, path);
}

} // namespace gui
