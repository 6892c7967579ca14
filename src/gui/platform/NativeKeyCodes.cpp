// Which table a key event's scan code is read with: the one place that knows the platform.
#include "NativeKeyCodes.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace gui::platform {

std::optional<std::uint32_t> directInputCode(const QKeyEvent& event)
{
#ifdef Q_OS_WIN
    return directInputOfWindowsScanCode(event.nativeScanCode());
#else
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
        return directInputOfXkbKeycode(event.nativeScanCode());
    // Test platforms (offscreen, minimal) deliver what the test put in: X11 codes, as on the desktop it runs on.
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return directInputOfXkbKeycode(event.nativeScanCode());
    return std::nullopt;
#endif
}

} // namespace gui::platform
