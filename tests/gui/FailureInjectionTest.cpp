#include "WindowFixture.h"

#include "gui/ComparePage.h"
#include "gui/KeyFileModel.h"
#include "io/FileIo.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using gui::PromptAnswer;
using testing::AskedPrompt;
using testing::WindowFixture;

namespace {

// A 64 KiB file system, mounted for the test when it runs as root; nothing otherwise.
class SmallDisk
{
public:
    explicit SmallDisk(const QString& path)
        : m_path(path)
    {
#ifdef Q_OS_UNIX
        QDir().mkpath(path);
        if (geteuid() == 0)
            m_mounted = QProcess::execute(QStringLiteral("mount"),
                            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                QStringLiteral("size=64k"), QStringLiteral("tmpfs"), path})
                == 0;
#endif
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_path});
    }
    bool mounted() const
    {
        return m_mounted;
    }

private:
    QString m_path;
    bool m_mounted = false;
};

// About 40 KiB of key file: one copy fits the small disk, two do not.
std::string fortyKilobytes()
{
    std::string bytes;
    for (int i = 0; bytes.size() < 40 * 1024; ++i)
        bytes += "SimFunction" + std::to_string(i) + " -1 0 0x1E 0 0XFFFFFFFF 0 1 \"Function number "
            + std::to_string(i) + "\"\r\n";
    return bytes;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class FailureInjectionTest : public QObject
{
    Q_OBJECT

private slots:
    void keyFileSaveOnAFullDiskKeepsTheFile()
    {
        WindowFixture f;
        const QString folder = f.dir.filePath(QStringLiteral("disk"));
        SmallDisk disk(folder);
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const std::string original = fortyKilobytes();
        const QString path = QDir(folder).filePath(QStringLiteral("big.key"));
        testing::writeBytes(path, original);
        QCOMPARE(testing::readBytes(path), original);
        f.create();
        f.window->startUp(path);
        f.window->keyFileModel()->setCellText(0, 5, QStringLiteral("3"));
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.window->findChild<QAction*>(QStringLiteral("mnuFileSave"))->trigger();
        QCOMPARE(f.prompts.asked.size(), 1);
        QVERIFY2(f.prompts.asked[0].text.contains(QStringLiteral("The error raised was %1: ").arg(ENOSPC)),
            qPrintable(f.prompts.asked[0].text));
        QCOMPARE(testing::readBytes(path), original);
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("big.key")});
        QCOMPARE(f.window->savedState(), core::SavedState::Modified);
        QCOMPARE(f.window->keyFileModel()->cellText(0, 5), QStringLiteral("3"));
    }

    void comparisonSaveOnAFullDisk()
    {
        WindowFixture f;
        const QString folder = f.dir.filePath(QStringLiteral("disk"));
        SmallDisk disk(folder);
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const QString one = f.writeKeyFile(QStringLiteral("one.key"), fortyKilobytes());
        const QString two = f.writeKeyFile(QStringLiteral("two.key"), "SimOther 1\r\n");
        const QString target = QDir(folder).filePath(QStringLiteral("report.rtf"));
        testing::writeBytes(target, std::string(30 * 1024, 'x'));
        f.create();
        gui::ComparePage* page = f.window->comparePage();
        page->setPath(0, one);
        page->setPath(1, two);
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        f.prompts.answerFile(target);
        f.prompts.answerMessage(PromptAnswer::Yes);
        f.prompts.answerMessage(PromptAnswer::Ok);
        page->saveComparison();
        QCOMPARE(f.prompts.asked.last().title, QStringLiteral("This didn't go well!"));
        QCOMPARE(testing::readBytes(target), std::string(30 * 1024, 'x'));
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("report.rtf")});
    }

    void fileReplacedByAFolderBetweenCheckAndWrite()
    {
        WindowFixture f;
        f.create();
        const QString path = f.writeKeyFile(QStringLiteral("k.key"), "SimA 1\r\n");
        f.window->startUp(path);
        f.window->keyFileModel()->setCellText(0, 2, QStringLiteral("2"));
        const QString target = f.writeKeyFile(QStringLiteral("target.key"), "old");
        f.prompts.answerFile(target);
        f.prompts.answerMessage(PromptAnswer::Yes);
        f.prompts.answerMessage(PromptAnswer::Ok);
        // While the overwrite question is open, someone swaps the file for a folder.
        f.prompts.onAsk = [&target](const AskedPrompt& asked) {
            if (asked.title == QLatin1String("OK to overwrite exisiting file?")) {
                QFile::remove(target);
                QDir().mkdir(target);
            }
        };
        f.window->saveFileAs();
        QCOMPARE(f.prompts.asked.last().title, QStringLiteral("File possibly not saved"));
        QVERIFY(QFileInfo(target).isDir());
        QCOMPARE(f.window->savedState(), core::SavedState::Modified);
        QCOMPARE(testing::readBytes(path), std::string("SimA 1\r\n"));
    }

    void settingsThatCannotBeReadOrWrittenAreLeftAlone_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("path is a folder") << "folder"
                                          << "It is a folder, not a file";
        QTest::newRow("too large") << "large"
                                   << "The file is larger than 1 MiB";
        QTest::newRow("disk full") << "full"
                                   << "";
    }

    void settingsThatCannotBeReadOrWrittenAreLeftAlone()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString settingsPath = dir.filePath(QStringLiteral("BremKeyDecode.ini"));
        std::string bytes = "[FileLocations]\r\nKeyFilesFolder=C:\\Keys\r\n";
        if (how == QLatin1String("large"))
            bytes += "; " + std::string(1024 * 1024, 'x') + "\r\n";
        testing::writeBytes(settingsPath, bytes);
        if (how == QLatin1String("folder")) {
            QFile::remove(settingsPath);
            QDir().mkdir(settingsPath);
        }
        testing::ScriptedPrompts prompts;
        testing::RecordingDesktop desktop;
        io::SettingsFile settings(settingsPath);
        gui::MainWindow window({prompts, desktop, settings, dir.path()});
        window.show();
        // A settings file that cannot be read is named once, at start-up.
        if (!reason.isEmpty())
            prompts.answerMessage(PromptAnswer::Ok);
        window.startUp();
        QVERIFY(prompts.allAnswersUsed());
        if (!reason.isEmpty()) {
            QCOMPARE(prompts.asked.size(), 1);
            QCOMPARE(prompts.asked[0].title, QStringLiteral("Settings not remembered"));
            QCOMPARE(prompts.asked[0].text,
                QStringLiteral("Tarnwick could not read its settings file ") + settingsPath + QStringLiteral(": ")
                    + reason + QStringLiteral(". It will not remember its settings this time."));
        }
        if (how == QLatin1String("full"))
            io::injectWriteFailure(ENOSPC);
        QVERIFY(window.close());
        QCOMPARE(prompts.asked.size(), reason.isEmpty() ? 0 : 1);
        if (how == QLatin1String("folder"))
            QVERIFY(QFileInfo(settingsPath).isDir());
        else
            QVERIFY(testing::readBytes(settingsPath) == bytes);
    }

    void temporaryListThatCannotBeWrittenSaysSo()
    {
        WindowFixture f;
        f.create();
        f.window->startUp(f.writeKeyFile(QStringLiteral("k.key"), "SimA -1 0 0x1E 0 0 0 1 \"A\"\r\n"));
        const QString temp = f.window->temporaryListPath();
        QDir().mkdir(temp); // a folder where the file should go
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.window->viewListInTextEditor();
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].title, QStringLiteral("This didn't go well!"));
        QCOMPARE(f.prompts.asked[0].text, QStringLiteral("There seems to have been a problem saving ") + temp);
        QVERIFY(f.desktop.openedDocuments.isEmpty());
        QDir().rmdir(temp);
        io::injectWriteFailure(ENOSPC);
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.window->viewListInTextEditor();
        QCOMPARE(f.prompts.asked.size(), 2);
        QVERIFY(!QFile::exists(temp));
        f.window->viewListInTextEditor();
        QCOMPARE(testing::readBytes(temp), std::string("SimA a \"A\"\r\n"));
    }
};

QTEST_MAIN(FailureInjectionTest)
#include "FailureInjectionTest.moc"
