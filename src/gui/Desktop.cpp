#include "Desktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace gui {

namespace {

#ifndef Q_OS_WIN
// The Exec line of a desktop entry as a program and its arguments, field codes (%f, %U, ...) left out.
QStringList execCommand(const QString& exec)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (c == QLatin1Char('\\') && quoted && i + 1 < exec.size()) {
            word += exec.at(++i);
        } else if (c.isSpace() && !quoted) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    QStringList command;
    for (const QString& w : std::as_const(words)) {
        if (w.size() == 2 && w.startsWith(QLatin1Char('%')))
            continue;
        command << QString(w).replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    return command;
}

// The command of the desktop's default program for text/plain, from its desktop entry.
QStringList defaultTextEditorCommand()
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return {};
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!process.waitForFinished(3000))
        return {};
    const QString entry = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    if (entry.isEmpty())
        return {};
    const QString path
        = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry, QStandardPaths::LocateFile);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inMainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.startsWith(QLatin1String("Exec=")))
            return execCommand(line.mid(5));
    }
    return {};
}
#endif

// The program that opens plain text documents here, as a command to which a path is added.
QStringList textEditorCommand()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("notepad.exe")};
#else
    QStringList command = defaultTextEditorCommand();
    if (!command.isEmpty() && !QStandardPaths::findExecutable(command.first()).isEmpty())
        return command;
    for (const char* editor : {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed", "pluma"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(editor));
        if (!program.isEmpty())
            return {program};
    }
    return {};
#endif
}

} // namespace

void SystemDesktop::clearClipboard()
{
    QGuiApplication::clipboard()->clear();
}

void SystemDesktop::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

namespace {

// Plain text whose bytes are made when the platform asks for them: X11, Wayland and Windows ask when another program
// pastes (or a clipboard manager takes a copy). Bytes of plain text are read as UTF-8, by QMimeData::text() and by
// what the platform offers other programs.
class LateText final : public QMimeData
{
public:
    explicit LateText(std::function<QByteArray()> make)
        : m_make(std::move(make))
    { }

    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& mimeType) const override { return mimeType == QLatin1String("text/plain"); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override
    {
        return mimeType == QLatin1String("text/plain") ? QVariant(m_make()) : QVariant();
    }

private:
    std::function<QByteArray()> m_make;
};

} // namespace

void SystemDesktop::setClipboardUtf8(std::function<QByteArray()> text)
{
    QGuiApplication::clipboard()->setMimeData(new LateText(std::move(text)));
}

bool SystemDesktop::openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool SystemDesktop::openInTextEditor(const QString& path)
{
    QStringList command = textEditorCommand();
    if (command.isEmpty())
        return false;
    // The path is one argument; nothing passes through a shell.
    const QString program = command.takeFirst();
    if (!path.isEmpty())
        command << QDir::toNativeSeparators(path);
    return QProcess::startDetached(program, command);
}

} // namespace gui
