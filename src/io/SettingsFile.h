#pragma once

#include "core/Settings.h"

#include <QString>

namespace io {

/** The remembered locations, as paths on this machine. */
struct Locations
{
    QString keyFilesFolder;
    QString keyFilePath;
    QString keyFileName;

    friend bool operator==(const Locations&, const Locations&) = default;
};

/** The settings file on disk: read once at start-up, written once when the window closes. */
class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    /** "BremKeyDecode.ini" in the program's folder when that folder is writable, otherwise in the user's
     *  configuration folder (created when missing). */
    static QString defaultPath();

    const QString& path() const { return m_path; }

    /** The remembered locations; a missing or unreadable file gives the defaults. */
    Locations load(const QString& programFolder) const;

    /** Writes the three keys, keeping whatever else the file holds. A failure is passed over: returns false. */
    bool save(const Locations& locations) const;

private:
    QString m_path;
};

} // namespace io
