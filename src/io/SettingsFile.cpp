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

constexpr const char* kWindowSection = "Window";

QByteArray readBase64(std::string_view text, const char* key)
{
    const std::string value = core::Settings::readValue(text, kWindowSection, key, {});
    return QByteArray::fromBase64(QByteArray::fromStdString(value));
}

WindowState readWindowState(std::string_view text)
{
    WindowState state;
    state.geometry = readBase64(text, "Geometry");
    state.keyFileColumns = readBase64(text, "KeyFileColumns");
    state.keyListColumns = readBase64(text, "KeyListColumns");
    for (int i = 1; i <= WindowState::MaxRecentFiles; ++i) {
        const std::string key = "Recent" + std::to_string(i);
        const std::string path = core::Settings::readValue(text, kWindowSection, key.c_str(), {});
        if (!path.empty())
            state.recentFiles << fromLocal(path);
    }
    return state;
}

std::string writeWindowState(std::string text, const WindowState& state)
{
    const auto base64 = [](const QByteArray& bytes) { return bytes.toBase64().toStdString(); };
    text = core::Settings::writeValue(text, kWindowSection, "Geometry", base64(state.geometry));
    text = core::Settings::writeValue(text, kWindowSection, "KeyFileColumns", base64(state.keyFileColumns));
    text = core::Settings::writeValue(text, kWindowSection, "KeyListColumns", base64(state.keyListColumns));
    for (int i = 1; i <= WindowState::MaxRecentFiles; ++i) {
        const std::string key = "Recent" + std::to_string(i);
        const QString path = i <= state.recentFiles.size() ? state.recentFiles[i - 1] : QString();
        text = core::Settings::writeValue(text, kWindowSection, key.c_str(), toLocal(path));
    }
    return text;
}

} // namespace

Locations SettingsFile::load(const QString& programFolder)
{
    QString problem;
    const std::optional<std::string> text = readSettingsText(m_path, &problem);
    m_loadProblem = text ? std::nullopt : std::optional<QString>(problem);
    m_joystick = core::JoystickSettings::fromIni(text.value_or(std::string()));
    m_window = readWindowState(text.value_or(std::string()));
    core::PathProbe probe;
    probe.exists = [](const std::string& p) { return QFileInfo::exists(fromLocal(p)); };
    probe.fileExists = [](const std::string& p) { return QFileInfo(fromLocal(p)).isFile(); };
    const core::FileLocations read
        = core::Settings::optionsGet(text.value_or(std::string()), toLocal(programFolder), probe);
    return Locations{fromLocal(read.keyFilesFolder), fromLocal(read.keyFilePath), fromLocal(read.keyFileName)};
}

bool SettingsFile::save(const Locations& locations, const std::optional<core::JoystickSettings>& joystick,
    const std::optional<WindowState>& window) const
{
    // Writing from nothing would lose whatever the file holds.
    if (m_loadProblem)
        return false;
    QString problem;
    const std::optional<std::string> read = readSettingsText(m_path, &problem);
    if (!read)
        return false;
    const core::FileLocations written{
        toLocal(locations.keyFilesFolder), toLocal(locations.keyFilePath), toLocal(locations.keyFileName)};
    std::string text = core::Settings::optionsSave(*read, written);
    // Sections that already say so are left alone: closing the window with the defaults adds none.
    if (joystick && core::JoystickSettings::fromIni(text) != *joystick)
        text = joystick->writeIni(text);
    if (window && readWindowState(text) != *window)
        text = writeWindowState(text, *window);
    if (text == *read)
        return true;
    FileError ignored;
    return writeFileAtomically(m_path, text, &ignored);
}

} // namespace io
