// Prints the MIME type that Qt's MIME database (what Qt and KDE programs ask) gives each file named on the command
// line, one per line. scripts/test-install.sh runs it against the installed key file type.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QMimeDatabase database;
    QTextStream out(stdout);
    for (int i = 1; i < argc; ++i)
        out << database.mimeTypeForFile(QString::fromLocal8Bit(argv[i])).name() << '\n';
    return 0;
}
