#pragma once

#include "ScriptedPrompts.h"
#include "TestData.h"

#include "gui/MainWindow.h"
#include "io/SettingsFile.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace testing {

/** A main window over scripted prompts, a recording desktop and a settings file in a temporary folder. */
struct WindowFixture
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    RecordingDesktop desktop;
    io::SettingsFile settings{dir.filePath(QStringLiteral("BremKeyDecode.ini"))};
    std::unique_ptr<gui::MainWindow> window;
    bool exposed = false;

    void create()
    {
        window = std::make_unique<gui::MainWindow>(gui::WindowContext{prompts, desktop, settings, dir.path()});
        window->show();
        // Pointer moves reach a window only once it is on screen.
        exposed = QTest::qWaitForWindowExposed(window.get());
    }

    QString writeKeyFile(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

    QString copySample(const QString& name = QStringLiteral("sample.key"))
    {
        return writeKeyFile(name, readBytes(samplePath(QStringLiteral("tarnwick-sample.key"))));
    }

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }

    QString panel(int n) const { return find<QLabel>(QStringLiteral("StatusPanel%1").arg(n))->text(); }
    QString panelTip(int n) const { return find<QLabel>(QStringLiteral("StatusPanel%1").arg(n))->toolTip(); }
    QString banner() const { return find<QLabel>(QStringLiteral("Label1"))->text(); }
    void click(const QString& name) const { find<QToolButton>(name)->click(); }
};

} // namespace testing
