#pragma once

#include "core/Joystick.h"
#include "core/Settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

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

/** What the window remembers of itself (section "Window"): its place and size, its grids' columns, and the key
 *  files opened last, the latest first. */
struct WindowState
{
    static constexpr int MaxRecentFiles = 10;

    QByteArray geometry;
    QByteArray keyFileColumns;
    QByteArray keyListColumns;
    QStringList recentFiles;

    friend bool operator==(const WindowState&, const WindowState&) = default;
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

    /** Writes the three keys, and the joystick and window sections when given, in one write, keeping whatever else
     *  the file holds. A section that already says so is left alone. A file that could not be read, at load or now,
     *  is left as it is. A failure is passed over: returns false. */
    bool save(const Locations& locations, const std::optional<core::JoystickSettings>& joystick = {},
        const std::optional<WindowState>& window = {}) const;

    /** The joystick settings (section "Joystick") as the last load read them; the defaults before a load. */
    const core::JoystickSettings& joystick() const { return m_joystick; }

    /** The window's own state (section "Window") as the last load read it. */
    const WindowState& window() const { return m_window; }

private:
    QString m_path;
    WindowState m_window;
    std::optional<QString> m_loadProblem;
    core::JoystickSettings m_joystick;
};

} // namespace io
