#include "SettingsFile.h"

#include "FileIo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace io {

namespace {

constexpr qint64 MaxSettingsSize = 1024 * 1024;

std::string readSettingsText(const QString& path)
{
    std::string text;
    FileError ignored;
    if (!readFileBytes(path, &text, &ignored, MaxSettingsSize))
        text.clear();
    return text;
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

Locations SettingsFile::load(const QString& programFolder) const
{
    core::PathProbe probe;
    probe.exists = [](const std::string& p) { return QFileInfo::exists(fromLocal(p)); };
    probe.fileExists = [](const std::string& p) { return QFileInfo(fromLocal(p)).isFile(); };
    const core::FileLocations read
        = core::Settings::optionsGet(readSettingsText(m_path), toLocal(programFolder), probe);
    return Locations{fromLocal(read.keyFilesFolder), fromLocal(read.keyFilePath), fromLocal(read.keyFileName)};
}

bool SettingsFile::save(const Locations& locations) const
{
    const core::FileLocations written{
        toLocal(locations.keyFilesFolder), toLocal(locations.keyFilePath), toLocal(locations.keyFileName)};
    const std::string text = core::Settings::optionsSave(readSettingsText(m_path), written);
    FileError ignored;
    return writeFileAtomically(m_path, text, &ignored);
}

} // namespace io
