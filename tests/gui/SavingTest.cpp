#include "WindowFixture.h"

#include "gui/ComparePage.h"
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
using gui::PromptButtons;
using gui::PromptIcon;
using testing::AskedPrompt;
using testing::WindowFixture;

namespace {

const std::string kOriginal = "# top\r\n\r\nSimA  -1 0 0x1E 0 0 0 1 \"Alpha\"\r\nSimB -1 0 0x30 0 0 0 1 \"Beta\"\n";

struct SaveFixture : WindowFixture
{
    QString path;

    SaveFixture() { path = open(kOriginal, QStringLiteral("keys.key")); }

    void edit() { session()->edit({{1, 5, QStringLiteral("2")}}, QStringLiteral("Edit")); }
    QString tab0() const { return tabs()->tabText(0); }
};

void readOnly(const QString& path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
}

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

} // namespace

class SavingTest : public QObject
{
    Q_OBJECT

private slots:
    void unchangedFileSavesIdentically()
    {
        SaveFixture f;
        const QString copy = f.dir.filePath(QStringLiteral("copy.key"));
        f.prompts.answerFile(copy);
        f.click(QStringLiteral("Command4_1"));
        QCOMPARE(testing::readBytes(copy), kOriginal);
        const AskedPrompt& dialog = f.prompts.asked.first();
        QCOMPARE(dialog.kind, AskedPrompt::SaveFile);
        QCOMPARE(dialog.request.title, QStringLiteral("Save file as ..."));
        QCOMPARE(dialog.request.filter, QStringLiteral("Key file (*.key)|*.key"));
        QCOMPARE(dialog.request.defaultSuffix, QStringLiteral("key"));
        QCOMPARE(dialog.request.proposedName, QStringLiteral("keys.key"));
        // A dialog that has shown no folder yet starts beside the open file.
        QCOMPARE(dialog.request.fallbackFolder, QFileInfo(f.path).absolutePath());
        // The saved file is now the open one.
        QCOMPARE(f.tab0(), QStringLiteral("copy.key"));
        QCOMPARE(f.panel(2), copy);
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
    }

    void editedLinesAreNormalisedOthersKept()
    {
        SaveFixture f;
        f.edit();
        const QString target = f.dir.filePath(QStringLiteral("new.key"));
        f.prompts.answerFile(target);
        f.session()->saveFileAs();
        QCOMPARE(testing::readBytes(target),
            std::string("# top\r\n\r\nSimA -1 0 0x1E 2 0 0 1 \"Alpha\"\r\nSimB -1 0 0x30 0 0 0 1 \"Beta\"\n"));
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
        QCOMPARE(f.panelTip(3), QStringLiteral("new.key is saved"));
        QCOMPARE(f.session()->cellText(1, 5), QStringLiteral("2"));
        QCOMPARE(testing::readBytes(f.path), kOriginal);
    }

    void overwriteQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void overwriteQuestion()
    {
        QFETCH(bool, yes);
        SaveFixture f;
        f.edit();
        f.prompts.answerFile(f.path);
        f.prompts.answerMessage(yes ? PromptAnswer::Yes : PromptAnswer::No);
        f.session()->saveFileAs();
        QCOMPARE(f.prompts.asked.size(), 2);
        const AskedPrompt& question = f.prompts.asked[1];
        QCOMPARE(question.title, QStringLiteral("OK to overwrite exisiting file?"));
        QCOMPARE(question.text, QStringLiteral("keys.key already exists. Do you want me to overwrite this file?"));
        QCOMPARE(question.buttons, PromptButtons::YesNo);
        QCOMPARE(question.icon, PromptIcon::Question);
        QCOMPARE(testing::readBytes(f.path) == kOriginal, !yes);
        QCOMPARE(f.savedState(), yes ? gui::SavedState::Saved : gui::SavedState::Modified);
    }

    void readOnlyTargetIsRefused()
    {
        SaveFixture f;
        f.edit();
        readOnly(f.path);
        f.prompts.answerFile(f.path);
        f.prompts.answerMessage(PromptAnswer::Yes);
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.session()->saveFileAs();
        QCOMPARE(f.prompts.asked.size(), 3);
        QCOMPARE(f.prompts.asked[2].title, QStringLiteral("Can't save Read Only file"));
        QCOMPARE(f.prompts.asked[2].text,
            f.path + QStringLiteral(" is read only. Please save the file with a different name or location."));
        QCOMPARE(f.prompts.asked[2].icon, PromptIcon::Information);
        QCOMPARE(testing::readBytes(f.path), kOriginal);
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        QCOMPARE(f.session()->cellText(1, 5), QStringLiteral("2"));
    }

    void cancelledDialogChangesNothing()
    {
        SaveFixture f;
        f.edit();
        f.prompts.answerFile(QString());
        f.session()->saveFileAs();
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
    }

    void failedWriteKeepsFileAndEdits_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("disk full") << "full";
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("target is a folder") << "folder";
    }

    void failedWriteKeepsFileAndEdits()
    {
        QFETCH(QString, how);
        SaveFixture f;
        f.edit();
        QString target = f.path;
        if (how == QLatin1String("full")) {
            f.prompts.answerMessage(PromptAnswer::Yes); // overwrite
            io::injectWriteFailure(ENOSPC);
        } else if (how == QLatin1String("missing")) {
            target = f.dir.filePath(QStringLiteral("gone/keys.key"));
        } else {
            target = f.dir.filePath(QStringLiteral("sub"));
            QDir(f.dir.path()).mkdir(QStringLiteral("sub"));
            f.prompts.answerMessage(PromptAnswer::Yes);
        }
        f.prompts.answerFile(target);
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.session()->saveFileAs();
        QVERIFY(f.prompts.allAnswersUsed());
        const AskedPrompt& failure = f.prompts.asked.last();
        QCOMPARE(failure.title, QStringLiteral("File possibly not saved"));
        QCOMPARE(failure.icon, PromptIcon::Exclamation);
        QVERIFY2(failure.text.startsWith(
                     QStringLiteral("Looks like there was a problem saving your file. The error raised was ")),
            qPrintable(failure.text));
        QVERIFY(failure.text.endsWith(
            QStringLiteral(".\r\nYour file on disk has not been changed, and your edits are still here.")));
        if (how == QLatin1String("full"))
            QVERIFY(failure.text.contains(QStringLiteral("was %1: ").arg(ENOSPC)));
        // Shown once; the file on disk, the document and the grid are as they were.
        QCOMPARE(f.prompts.asked.count(), how == QLatin1String("missing") ? 2 : 3);
        QCOMPARE(testing::readBytes(f.path), kOriginal);
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        QCOMPARE(f.session()->cellText(1, 5), QStringLiteral("2"));
        QCOMPARE(f.tab0(), QStringLiteral("keys.key"));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 1 + int(QFile::exists(f.settings.path())));
    }

    void failedSaveNamesAFolderThatCannotBeWritten()
    {
#ifdef Q_OS_UNIX
        if (geteuid() == 0)
            QSKIP("root writes into any folder");
#endif
        SaveFixture f;
        f.edit();
        const QString folder = f.dir.filePath(QStringLiteral("locked"));
        QDir().mkdir(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        f.prompts.answerFile(QDir(folder).filePath(QStringLiteral("new.key")));
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.session()->saveFileAs();
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY2(f.prompts.asked.last().text.contains(QStringLiteral("(the folder ") + QDir::toNativeSeparators(folder)
                     + QStringLiteral(" cannot be written).")),
            qPrintable(f.prompts.asked.last().text));
    }

    void saveMenuWritesTheOpenFileWithoutADialog()
    {
        SaveFixture f;
        f.edit();
        f.trigger(QStringLiteral("mnuFileSave"));
        QVERIFY(f.prompts.asked.isEmpty());
        QVERIFY(testing::readBytes(f.path).find("SimA -1 0 0x1E 2 0 0 1") != std::string::npos);
        QCOMPARE(f.savedState(), gui::SavedState::Saved);

        f.edit();
        readOnly(f.path);
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].title, QStringLiteral("Can't save Read Only file"));
    }

    // Edited lines that reading would not give back: the save names them and offers to go back (the default) or
    // to save anyway.
    void unwritableLinesAreNamedFirst_data()
    {
        QTest::addColumn<int>("emptied"); // lines whose Ignored cell is emptied, from line 3 on
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<QString>("text");
        const QString line3 = "Line 3 has an empty Ignored cell; saving would move its later fields one column left.";
        QTest::newRow("go back") << 1 << PromptAnswer::No
                                 << line3 + "\n\nGo back to the grid to correct it, or save anyway?";
        QTest::newRow("save anyway") << 1 << PromptAnswer::Yes
                                     << line3 + "\n\nGo back to the grid to correct it, or save anyway?";
        QTest::newRow("five lines") << 5 << PromptAnswer::No
                                    << line3
                + "\nLine 4 has an empty Ignored cell; saving would move its later fields one column left."
                  "\nLine 5 has an empty Ignored cell; saving would move its later fields one column left."
                  "\n2 more lines are like these.\n\nGo back to the grid to correct them, or save anyway?";
    }

    void unwritableLinesAreNamedFirst()
    {
        QFETCH(int, emptied);
        QFETCH(PromptAnswer, answer);
        QFETCH(QString, text);
        std::string original = "# top\r\n\r\n";
        for (int i = 0; i < 6; ++i)
            original += "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"BMS - Full\"\r\n";
        WindowFixture f;
        const QString path = f.open(original);
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        for (int row = 1; row <= emptied; ++row)
            f.session()->edit({{row, core::IgnoredColumn, QString()}}, QStringLiteral("Edit"));
        f.prompts.answerMessage(answer);
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].title, QStringLiteral("Saving would change some lines"));
        QCOMPARE(f.prompts.asked[0].text, text);
        QCOMPARE(f.prompts.asked[0].buttons, PromptButtons::GoBackOrSaveAnyway);
        if (answer == PromptAnswer::Yes) {
            QVERIFY(testing::readBytes(path).find("SimDoNothing -1  0XFFFFFFFF") != std::string::npos);
            QCOMPARE(f.savedState(), gui::SavedState::Saved);
            return;
        }
        // Back on the grid at the first such line, nothing written.
        QCOMPARE(testing::readBytes(path), original);
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        QCOMPARE(f.tabs()->currentIndex(), int(gui::MainWindow::KeyFilePageIndex));
        const QModelIndex current = f.keyGrid()->currentIndex();
        QCOMPARE(f.keyGrid()->model()->headerData(current.row(), Qt::Vertical).toInt(), 3);
    }

    void saveWithNoFileOpenWritesAnEmptyFile()
    {
        WindowFixture f;
        f.create();
        f.window->startUp();
        const QString target = f.dir.filePath(QStringLiteral("Key file.key"));
        f.prompts.answerFile(target);
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(f.prompts.asked[0].request.proposedName, QStringLiteral("Key file"));
        QVERIFY(QFile::exists(target));
        QCOMPARE(QFileInfo(target).size(), 0);
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
    }

    void exitGuard_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveDialogSaves");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("lastTitle");
        QTest::newRow("no") << int(PromptAnswer::No) << false << true << " Save keys.key now?";
        QTest::newRow("cancel") << int(PromptAnswer::Cancel) << false << false << " Save keys.key now?";
        QTest::newRow("yes, dialog cancelled") << int(PromptAnswer::Yes) << false << false << "Ooops!";
        QTest::newRow("yes, saved") << int(PromptAnswer::Yes) << true << true << "Save file as ...";
    }

    void exitGuard()
    {
        QFETCH(int, answer);
        QFETCH(bool, saveDialogSaves);
        QFETCH(bool, closes);
        QFETCH(QString, lastTitle);
        SaveFixture f;
        f.edit();
        f.prompts.answerMessage(PromptAnswer(answer));
        const QString target = f.dir.filePath(QStringLiteral("saved.key"));
        if (saveDialogSaves)
            f.prompts.answerFile(target);
        else if (answer == int(PromptAnswer::Yes)) {
            f.prompts.answerFile(QString()); // the save dialog is cancelled
            f.prompts.answerMessage(PromptAnswer::Ok); // Ooops!
        }
        QCOMPARE(f.window->close(), closes);
        const AskedPrompt& question = f.prompts.asked.first();
        QCOMPARE(question.title, QStringLiteral(" Save keys.key now?"));
        QCOMPARE(question.text,
            QStringLiteral("keys.key has changed and isn't saved. Do you want to save it before exiting?"));
        QCOMPARE(question.buttons, PromptButtons::YesNoCancel);
        QCOMPARE(f.prompts.asked.last().title, lastTitle);
        if (lastTitle == QLatin1String("Ooops!")) {
            QCOMPARE(f.prompts.asked.last().text, QStringLiteral("keys.key wasn't saved. Exit program aborted."));
            QCOMPARE(f.prompts.asked.last().icon, PromptIcon::Exclamation);
        }
        QCOMPARE(QFile::exists(target), saveDialogSaves);
        // The settings are written only when the window really closes.
        QCOMPARE(QFile::exists(f.settings.path()), closes);
    }

    void closingASavedDocumentAsksNothing()
    {
        SaveFixture f;
        QVERIFY(f.window->close());
        QVERIFY(f.prompts.asked.isEmpty());
    }

    void openGuard_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("lastTitle");
        QTest::newRow("no: on to the dialog") << int(PromptAnswer::No) << "Select the key file to open ...";
        QTest::newRow("cancel: nothing") << int(PromptAnswer::Cancel) << " Save keys.key now?";
        QTest::newRow("yes, save cancelled") << int(PromptAnswer::Yes) << "Hmmm...let me think...";
    }

    void openGuard()
    {
        QFETCH(int, answer);
        QFETCH(QString, lastTitle);
        SaveFixture f;
        f.edit();
        f.prompts.answerMessage(PromptAnswer(answer));
        if (answer == int(PromptAnswer::Yes)) {
            f.prompts.answerFile(QString()); // the save dialog is cancelled
            f.prompts.answerMessage(PromptAnswer::Ok);
        }
        if (answer == int(PromptAnswer::No))
            f.prompts.answerFile(QString()); // and the open dialog too
        f.click(QStringLiteral("Command4_0"));
        QCOMPARE(f.prompts.asked.first().text,
            QStringLiteral("keys.key has changed and isn't saved. Do you want to save it  before opening a "
                           "different key file?"));
        QCOMPARE(f.prompts.asked.last().title, lastTitle);
        if (answer == int(PromptAnswer::Yes))
            QCOMPARE(f.prompts.asked.last().text,
                QStringLiteral("keys.key wasn't saved, so I won't continue to load up a new key file just in case "
                               "you pressed the cancel button by accident."));
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
    }

    void listIsWrittenForTheTextEditor()
    {
        SaveFixture f;
        f.click(QStringLiteral("Command4_2"));
        const QString temp = f.window->temporaryListPath();
        QCOMPARE(temp, f.dir.filePath(QStringLiteral("Temp.txt")));
        QCOMPARE(testing::readBytes(temp), std::string("SimA a \"Alpha\"\r\nSimB b \"Beta\"\r\n"));
        QCOMPARE(f.desktop.editorFiles, QStringList{temp});
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
        // Without a program for text files, the user is told so.
        f.desktop.hasTextEditor = false;
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.click(QStringLiteral("Command4_2"));
        QCOMPARE(f.prompts.asked.last().title, QStringLiteral("No text editor found"));
        QCOMPARE(f.prompts.asked.last().text,
            QStringLiteral("There is no program for text files on this computer to open ") + temp + QLatin1Char('.'));
    }

    void temporaryListThatCannotBeWrittenSaysSo()
    {
        SaveFixture f;
        const QString temp = f.window->temporaryListPath();
        QDir().mkdir(temp); // a folder where the file should go
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.window->viewListInTextEditor();
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].title, QStringLiteral("This didn't go well!"));
        QCOMPARE(f.prompts.asked[0].text, QStringLiteral("There seems to have been a problem saving ") + temp);
        QVERIFY(f.desktop.editorFiles.isEmpty());
    }

    void saveOnAFullDiskKeepsTheFile()
    {
        WindowFixture f;
        const QString folder = f.dir.filePath(QStringLiteral("disk"));
        SmallDisk disk(folder);
        if (!disk.mounted())
            QSKIP("mounting a small file system needs root");
        const std::string original = fortyKilobytes();
        const QString path = QDir(folder).filePath(QStringLiteral("big.key"));
        testing::writeBytes(path, original);
        f.create();
        f.window->startUp(path);
        f.session()->edit({{0, 5, QStringLiteral("3")}}, QStringLiteral("Edit"));
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.trigger(QStringLiteral("mnuFileSave"));
        QVERIFY2(f.prompts.asked[0].text.contains(QStringLiteral("The error raised was %1: ").arg(ENOSPC)),
            qPrintable(f.prompts.asked[0].text));
        QCOMPARE(testing::readBytes(path), original);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("big.key")});
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
    }

    void fileReplacedByAFolderBetweenCheckAndWrite()
    {
        SaveFixture f;
        f.edit();
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
        f.session()->saveFileAs();
        QCOMPARE(f.prompts.asked.last().title, QStringLiteral("File possibly not saved"));
        QVERIFY(QFileInfo(target).isDir());
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
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
        WindowFixture f;
        const QString settingsPath = f.settings.path();
        std::string bytes = "[FileLocations]\r\nKeyFilesFolder=C:\\Keys\r\n";
        if (how == QLatin1String("large"))
            bytes += "; " + std::string(1024 * 1024, 'x') + "\r\n";
        testing::writeBytes(settingsPath, bytes);
        if (how == QLatin1String("folder")) {
            QFile::remove(settingsPath);
            QDir().mkdir(settingsPath);
        }
        f.create();
        // A settings file that cannot be read is named once, at start-up.
        if (!reason.isEmpty())
            f.prompts.answerMessage(PromptAnswer::Ok);
        f.window->startUp();
        if (!reason.isEmpty()) {
            QCOMPARE(f.prompts.asked.size(), 1);
            QCOMPARE(f.prompts.asked[0].title, QStringLiteral("Settings not remembered"));
            QCOMPARE(f.prompts.asked[0].text,
                QStringLiteral("Tarnwick could not read its settings file ") + settingsPath + QStringLiteral(": ")
                    + reason + QStringLiteral(". It will not remember its settings this time."));
        }
        if (how == QLatin1String("full"))
            io::injectWriteFailure(ENOSPC);
        QVERIFY(f.window->close());
        QCOMPARE(f.prompts.asked.size(), reason.isEmpty() ? 0 : 1);
        if (how == QLatin1String("folder"))
            QVERIFY(QFileInfo(settingsPath).isDir());
        else
            QVERIFY(testing::readBytes(settingsPath) == bytes);
    }
};

QTEST_MAIN(SavingTest)
#include "SavingTest.moc"
