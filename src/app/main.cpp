#include "gui/Desktop.h"
#include "gui/GeometryDump.h"
#include "gui/MainWindow.h"
#include "gui/WidgetPrompts.h"
#include "io/FileIo.h"
#include "io/Platform.h"
#include "io/SettingsFile.h"

#include <QApplication>
#include <QIcon>

namespace {

/** The application icon from the program's resources, one PNG per size. */
QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tarnwick-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int main(int argc, char** argv)
{
    io::returnBigBlocksAtOnce();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    // Window systems that match windows to menu entries (Wayland) find tarnwick.desktop by this name.
    QApplication::setDesktopFileName(QStringLiteral("tarnwick"));
    QApplication::setWindowIcon(applicationIcon());
    gui::WidgetPrompts prompts;
    gui::SystemDesktop desktop;
    io::SettingsFile settings(io::SettingsFile::defaultPath());
    gui::MainWindow window({prompts, desktop, settings, io::programFolder()});
    window.show();
    // For scripts/e2e.py: the windows' widgets, where they are and what they show, as JSON in a file.
    gui::GeometryDump::fromEnvironment(&app);
    // Paths come as Unicode from the platform, never through the local 8-bit code page.
    const QStringList arguments = QCoreApplication::arguments();
    window.startUp(arguments.size() > 1 ? arguments.at(1) : QString());
    return app.exec();
}
