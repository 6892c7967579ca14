// The printing module of tarnwick-cli (see PrintCommand.h).
#include "PrintCommand.h"

#include "CliCommands.h"
#include "core/KeyDocument.h"
#include "core/Reference.h"
#include "print/ReferencePdf.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

// Qt's own remarks while printing without a screen (a missing runtime folder, say) are no concern of someone
// running a command: the command's messages are its own. Fatal ones still end the program with their text.
void onlyFatal(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "tarnwick-cli: %s\n", message.toLocal8Bit().constData());
}

} // namespace

extern "C" Q_DECL_EXPORT int tarnwickPrint(const cli::PrintRequest& request, std::ostream& err)
{
    auto bytes = cli::readInput(request.file, err);
    if (!bytes)
        return 1;
    const auto document = core::KeyDocument::fromBytes(std::move(*bytes));
    const QString title = QFileInfo(QString::fromLocal8Bit(request.file.c_str())).fileName();
    const auto reference = core::Reference::build(document, title.toUtf8().toStdString());
    // Fonts and painting need a GUI application; the command line's runs on the platform without a screen.
    const QtMessageHandler previousHandler = qInstallMessageHandler(onlyFatal);
    std::unique_ptr<QGuiApplication> application;
    if (!QCoreApplication::instance()) {
        static int argc = 3;
        static char name[] = "tarnwick-cli";
        static char option[] = "-platform";
        static char platform[] = "offscreen";
        static char* argv[] = {name, option, platform, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        qInstallMessageHandler(previousHandler);
        err << "tarnwick-cli: cannot print without a graphical application\n";
        return 1;
    }
    const auto printed = print::printReference(reference, request.letter ? print::Paper::Letter : print::Paper::A4);
    application.reset();
    qInstallMessageHandler(previousHandler);
    bool written = cli::writeOutput(request.pdfFile, printed.pdf.toStdString(), err);
    if (!request.htmlFile.empty())
        written = cli::writeOutput(request.htmlFile, core::referenceHtml(reference), err) && written;
    return written ? 0 : 1;
}
