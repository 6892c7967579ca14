#pragma once

#include "core/Joystick.h"
#include "core/Settings.h"

#include <QString>

#include <optional>

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

    /** The remembered locations; a missing file or one that cannot be read gives the defaults. */
    Locations load(const QString& programFolder);

    /** Why the last load could not read the file (too large, not a regular file, no permission); nothing when it
     *  was read or is missing. */
    std::optional<QString> loadProblem() const { return m_loadProblem; }

    /** Writes the three keys, keeping whatever else the file holds. A file that could not be read, at load or
     *  now, is left as it is. A failure is passed over: returns false. */
    bool save(const Locations& locations) const;

    /** The joystick settings (section "Joystick") as the last load read them; the defaults before a load. */
    const core::JoystickSettings& joystick() const { return m_joystick; }
    /** Writes section "Joystick" when the file holds other values, keeping whatever else it holds; the same
     *  refusals as `save`. True when the file holds `settings` afterwards. */
    bool saveJoystick(const core::JoystickSettings& settings) const;

private:
    QString m_path;
    std::optional<QString> m_loadProblem;
    core::JoystickSettings m_joystick;
};

} // namespace io
