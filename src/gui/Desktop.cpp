#include "Desktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace gui {

void SystemDesktop::clearClipboard()
{
    QGuiApplication::clipboard()->clear();
}

void SystemDesktop::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

bool SystemDesktop::openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool SystemDesktop::openInTextEditor(const QString& path)
{
    if (!path.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        // No file: start a text editor by itself. Arguments never pass through a shell.
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {});
#else
    for (const char* editor : {"gnome-text-editor", "gedit", "kate", "mousepad", "xed", "pluma"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(editor));
        if (!program.isEmpty())
            return QProcess::startDetached(program, {});
    }
    return false;
#endif
}

} // namespace gui
