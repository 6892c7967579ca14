#include "SettingsFile.h"

#include "FileIo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

namespace io {

namespace {

constexpr qint64 MaxSettingsSize = 1024 * 1024;

// The file's text; empty when there is no file. Nothing, with the reason, when a file is there but cannot be read.
std::optional<std::string> readSettingsText(const QString& path, QString* problem)
{
    std::string text;
    FileError error;
    if (readFileBytes(path, &text, &error, MaxSettingsSize))
        return text;
    if (error.code == ENOENT)
        return std::string();
    *problem = error.reason;
    return std::nullopt;
}

} // namespace

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{ }

QString SettingsFile::defaultPath()
{
    const QString name = QString::fromLatin1(core::Settings::FileName);
    const QString folder = programFolder();
    if (isFolderWritable(folder))
        return QDir(folder).filePath(name);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return QDir(config).filePath(name);
}

namespace {

// The settings file holds paths in the local 8-bit code page; the program works with Unicode paths. These two are
// the only places that convert.
QString fromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

} // namespace

Locations SettingsFile::load(const QString& programFolder)
{
    QString problem;
    const std::optional<std::string> text = readSettingsText(m_path, &problem);
    m_loadProblem = text ? std::nullopt : std::optional<QString>(problem);
    m_joystick = core::JoystickSettings::fromIni(text.value_or(std::string()));
    core::PathProbe probe;
    probe.exists = [](const std::string& p) { return QFileInfo::exists(fromLocal(p)); };
    probe.fileExists = [](const std::string& p) { return QFileInfo(fromLocal(p)).isFile(); };
    const core::FileLocations read
        = core::Settings::optionsGet(text.value_or(std::string()), toLocal(programFolder), probe);
    return Locations{fromLocal(read.keyFilesFolder), fromLocal(read.keyFilePath), fromLocal(read.keyFileName)};
}

bool SettingsFile::save(const Locations& locations) const
{
    // Writing from nothing would lose whatever the file holds.
    if (m_loadProblem)
        return false;
    QString problem;
    const std::optional<std::string> text = readSettingsText(m_path, &problem);
    if (!text)
        return false;
    const core::FileLocations written{
        toLocal(locations.keyFilesFolder), toLocal(locations.keyFilePath), toLocal(locations.keyFileName)};
    FileError ignored;
    return writeFileAtomically(m_path, core::Settings::optionsSave(*text, written), &ignored);
}

bool SettingsFile::saveJoystick(const core::JoystickSettings& settings) const
{
    if (m_loadProblem)
        return false;
    QString problem;
    const std::optional<std::string> text = readSettingsText(m_path, &problem);
    if (!text)
        return false;
    // A file that already says so is left alone: closing the window with the defaults adds no section.
    if (core::JoystickSettings::fromIni(*text) == settings)
        return true;
    FileError ignored;
    return writeFileAtomically(m_path, settings.writeIni(*text), &ignored);
}

} // namespace io
