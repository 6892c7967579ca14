#include "gui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    gui::MainWindow window;
    window.show();
    if (argc > 1)
        window.openKeyFile(QString::fromLocal8Bit(argv[1]));
    return app.exec();
}
