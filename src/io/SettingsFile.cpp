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

core::FileLocations SettingsFile::load(const QString& programFolder) const
{
    core::PathProbe probe;
    probe.exists = [](const std::string& p) { return QFileInfo::exists(QString::fromLocal8Bit(p)); };
    probe.fileExists = [](const std::string& p) { return QFileInfo(QString::fromLocal8Bit(p)).isFile(); };
    return core::Settings::optionsGet(readSettingsText(m_path), programFolder.toLocal8Bit().toStdString(), probe);
}

bool SettingsFile::save(const core::FileLocations& locations) const
{
    const std::string text = core::Settings::optionsSave(readSettingsText(m_path), locations);
    FileError ignored;
    return writeFileAtomically(m_path, text, &ignored);
}

} // namespace io
