#include "WindowFixture.h"

#include "gui/KeyFileModel.h"
#include "gui/KeyListModel.h"
#include "gui/TabControl.h"

#include <QTest>

using testing::AskedPrompt;
using testing::WindowFixture;

class WindowStartUpTest : public QObject
{
    Q_OBJECT

private slots:
    void firstRunOpensNothingAndWritesSettingsAtClose()
    {
        WindowFixture f;
        f.create();
        f.window->startUp();
        QCOMPARE(f.window->keyFileModel()->rowCount(), 0);
        QCOMPARE(f.window->savedState(), core::SavedState::NoFile);
        QCOMPARE(f.panel(2), QStringLiteral("No Key File Opened"));
        QCOMPARE(f.panelTip(2), QStringLiteral("Location of currently opened .key file"));
        QCOMPARE(f.panelTip(3), QStringLiteral("No file open"));
        QCOMPARE(f.find<gui::TabControl>(QStringLiteral("SSTab1"))->tabText(0), QStringLiteral("Key file"));
        QVERIFY(f.prompts.asked.isEmpty());
        // No default folder on this machine: the program's folder stands in.
        QCOMPARE(QString::fromStdString(f.window->locations().keyFilesFolder), f.dir.path());
        f.window->close();
        const std::string ini = testing::readBytes(f.settings.path());
        QVERIFY(ini.find("[FileLocations]") != std::string::npos);
        QVERIFY(ini.find("KeyFilePath=\n") != std::string::npos || ini.find("KeyFilePath=\r\n") != std::string::npos);
        QVERIFY(ini.find("KeyFileName=") != std::string::npos);
    }

    void startUpReopensTheRememberedFile()
    {
        WindowFixture f;
        const QString path = f.copySample(QStringLiteral("My Keys.key"));
        testing::writeBytes(f.settings.path(),
            "[FileLocations]\r\nKeyFilesFolder=" + f.dir.path().toStdString() + "\r\nKeyFilePath=" + path.toStdString()
                + "\r\nKeyFileName=My Keys.key\r\n");
        f.create();
        f.window->startUp();
        QCOMPARE(f.window->keyFileModel()->rowCount(), 221);
        QCOMPARE(f.window->keyListModel()->rowCount(), 198);
        auto* tabs = f.find<gui::TabControl>(QStringLiteral("SSTab1"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("My Keys.key"));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(f.panel(2), path);
        QCOMPARE(
            f.panel(1), QStringLiteral(" You can click on the keys / modifiers columns to display the associated key"));
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
        QCOMPARE(f.window->savedState(), core::SavedState::Saved);
        QCOMPARE(f.panelTip(3), QStringLiteral("My Keys.key is saved"));
    }

    void rememberedFileThatIsGoneIsForgotten()
    {
        WindowFixture f;
        testing::writeBytes(f.settings.path(),
            "[FileLocations]\nKeyFilePath=" + f.dir.filePath(QStringLiteral("gone.key")).toStdString()
                + "\nKeyFileName=gone.key\n");
        f.create();
        f.window->startUp();
        QCOMPARE(f.window->savedState(), core::SavedState::NoFile);
        QVERIFY(f.prompts.asked.isEmpty());
        f.window->close();
        const std::string ini = testing::readBytes(f.settings.path());
        QVERIFY(ini.find("gone.key") == std::string::npos);
    }

    void commandLineFileOpensInsteadOfTheRememberedOne()
    {
        WindowFixture f;
        const QString remembered = f.writeKeyFile(QStringLiteral("a.key"), "SimA 1\r\n");
        const QString given = f.writeKeyFile(QStringLiteral("b.key"), "SimB 1\r\nSimC 2\r\n");
        testing::writeBytes(f.settings.path(), "[FileLocations]\nKeyFilePath=" + remembered.toStdString() + "\n");
        f.create();
        f.window->startUp(given);
        QCOMPARE(f.window->keyFileModel()->rowCount(), 2);
        f.window->close();
        QVERIFY(testing::readBytes(f.settings.path()).find("KeyFilePath=" + given.toStdString()) != std::string::npos);
    }

    void openButtonShowsTheDialogAndCancelChangesNothing()
    {
        WindowFixture f;
        const QString path = f.copySample();
        f.create();
        f.window->startUp(path);
        f.window->keyFileModel()->setCellText(10, 2, QStringLiteral("5"));
        // Passing the save offer with No leads to the dialog, whose cancel keeps the document as it was.
        f.prompts.answerMessage(gui::PromptAnswer::No);
        f.prompts.answerFile(QString());
        f.click(QStringLiteral("Command4_0"));
        QCOMPARE(f.prompts.asked.size(), 2);
        f.prompts.asked.removeFirst();
        QCOMPARE(f.prompts.asked.size(), 1);
        const AskedPrompt& asked = f.prompts.asked.first();
        QCOMPARE(asked.kind, AskedPrompt::OpenFile);
        QCOMPARE(asked.request.title, QStringLiteral("Select the key file to open ..."));
        QCOMPARE(asked.request.filter, QStringLiteral("Falcon .key files (*.key)|*.key|All files (*.*) |*.*"));
        QCOMPARE(asked.request.startFolder, QString::fromStdString(f.window->locations().keyFilesFolder));
        QCOMPARE(f.window->keyFileModel()->cellText(10, 2), QStringLiteral("5"));
        QCOMPARE(f.window->savedState(), core::SavedState::Modified);
    }

    void secondOpeningReplacesEverything()
    {
        WindowFixture f;
        const QString first = f.copySample();
        const QString second = f.writeKeyFile(QStringLiteral("two.key"), "SimOnly -1 0 0x1E 0 0 0 1 \"One\"\r\n");
        f.create();
        f.window->startUp(first);
        f.prompts.answerFile(second);
        f.window->findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger();
        QCOMPARE(f.window->keyFileModel()->rowCount(), 1);
        QCOMPARE(f.window->keyListModel()->rowCount(), 1);
        QCOMPARE(f.window->keyListModel()->index(0, 2).data().toString(), QStringLiteral("a"));
        QCOMPARE(f.find<gui::TabControl>(QStringLiteral("SSTab1"))->tabText(0), QStringLiteral("two.key"));
        QCOMPARE(f.panel(2), second);
        QCOMPARE(QString::fromStdString(f.window->locations().keyFileName), QStringLiteral("two.key"));
    }

    void unreadableFileIsRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("folder") << "folder";
    }

    void unreadableFileIsRefusedWithAMessage()
    {
        QFETCH(QString, kind);
        WindowFixture f;
        const QString good = f.copySample();
        const QString bad = kind == QLatin1String("folder") ? f.dir.path() : f.dir.filePath(QStringLiteral("no.key"));
        f.create();
        f.window->startUp(good);
        f.prompts.answerMessage(gui::PromptAnswer::Ok);
        QVERIFY(!f.window->openKeyFile(bad));
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].icon, gui::PromptIcon::Critical);
        QVERIFY(f.prompts.asked[0].text.startsWith(QStringLiteral("I couldn't open ") + bad + QStringLiteral(": ")));
        QCOMPARE(f.window->savedState(), core::SavedState::NoFile);
        QCOMPARE(f.window->keyFileModel()->rowCount(), 0);
        QCOMPARE(f.panel(2), QStringLiteral("No Key File Opened"));
        QCOMPARE(f.find<gui::TabControl>(QStringLiteral("SSTab1"))->tabText(0), QStringLiteral("Key file"));
    }
};

QTEST_MAIN(WindowStartUpTest)
#include "WindowStartUpTest.moc"
