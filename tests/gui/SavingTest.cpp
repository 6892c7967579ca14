#include "WindowFixture.h"

#include "core/Reference.h"
#include "gui/DiskWatch.h"
#include "io/FileIo.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
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
const QString kSaveAs = QStringLiteral("Save file as ...");
const QString kOverwrite = QStringLiteral("OK to overwrite exisiting file?");
const QString kReadOnly = QStringLiteral("Can't save Read Only file");
const char* const kSectionFile = "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"1. SECTION\"\r\n"
                                 "SimAlpha -1 0 0x1E 2 0 0 1 \"Alpha\"\r\n"
                                 "SimBeta -1 0 0x30 0 0 0 1 \"Beta\"\r\n"
                                 "SimGamma 4 -1 -2 0 0x0 -1\r\n";

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

bool isRoot()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}

} // namespace

class SavingTest : public QObject
{
    Q_OBJECT

private slots:
    // Save As writes the document to the chosen file, which becomes the open one; edited lines are written in the
    // plain spacing, the others keep their bytes (an unchanged file is written byte for byte: BigFilesTest).
    void saveAsWritesTheDocument()
    {
        SaveFixture f;
        f.edit();
        const QString copy = f.dir.filePath(QStringLiteral("copy.key"));
        f.prompts.answerFile(copy);
        f.click(QStringLiteral("Command4_1"));
        QCOMPARE(testing::readBytes(copy),
            std::string("# top\r\n\r\nSimA -1 0 0x1E 2 0 0 1 \"Alpha\"\r\nSimB -1 0 0x30 0 0 0 1 \"Beta\"\n"));
        QCOMPARE(testing::readBytes(f.path), kOriginal);
        const AskedPrompt& dialog = f.prompts.asked.first();
        QCOMPARE(dialog.kind, AskedPrompt::SaveFile);
        // A dialog that has shown no folder yet starts beside the open file.
        QCOMPARE(QStringList({dialog.request.title, dialog.request.filter, dialog.request.defaultSuffix,
                     dialog.request.proposedName, dialog.request.fallbackFolder}),
            QStringList({kSaveAs, "Key file (*.key)|*.key", "key", "keys.key", QFileInfo(f.path).absolutePath()}));
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
        QCOMPARE(QStringList({f.tab0(), f.panel(2), f.panelTip(3), f.banner()}),
            QStringList({"copy.key", copy, "copy.key is saved", "Ready"}));
    }

    // Over an existing file: cancelled, refused, allowed, or refused for a read-only file, by Save As and by Save,
    // which asks nothing else.
    void saveOverTheOpenFile_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("titles");
        const QString saveAs = QStringLiteral("Command4_1");
        const int yes = int(PromptAnswer::Yes);
        QTest::newRow("dialog cancelled") << saveAs << QList<int>() << QStringList{kSaveAs};
        QTest::newRow("overwrite no") << saveAs << QList<int>{int(PromptAnswer::No)}
                                      << QStringList{kSaveAs, kOverwrite};
        QTest::newRow("overwrite yes") << saveAs << QList<int>{yes} << QStringList{kSaveAs, kOverwrite};
        QTest::newRow("read-only") << saveAs << QList<int>{yes, int(PromptAnswer::Ok)}
                                   << QStringList{kSaveAs, kOverwrite, kReadOnly};
        QTest::newRow("save") << QString() << QList<int>() << QStringList();
        QTest::newRow("save, read-only") << QString() << QList<int>{int(PromptAnswer::Ok)} << QStringList{kReadOnly};
    }

    void saveOverTheOpenFile()
    {
        QFETCH(QString, action);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, titles);
        SaveFixture f;
        f.edit();
        if (!action.isEmpty())
            f.prompts.answerFile(answers.isEmpty() ? QString() : f.path);
        for (const int answer : answers)
            f.prompts.answerMessage(PromptAnswer(answer));
        if (titles.contains(kReadOnly))
            readOnly(f.path);
        action.isEmpty() ? f.trigger(QStringLiteral("mnuFileSave")) : f.click(action);
        QCOMPARE(f.askedTitles(), titles);
        const bool written = titles.isEmpty() || answers == QList<int>{int(PromptAnswer::Yes)};
        QCOMPARE(testing::readBytes(f.path) == kOriginal, !written);
        QVERIFY(!written || testing::readBytes(f.path).find("SimA -1 0 0x1E 2 0 0 1") != std::string::npos);
        QCOMPARE(f.savedState(), written ? gui::SavedState::Saved : gui::SavedState::Modified);
        QCOMPARE(f.session()->cellText(1, 5), QStringLiteral("2"));
        if (titles.size() > 1) {
            const AskedPrompt& question = f.prompts.asked[1];
            QCOMPARE(question.text, QStringLiteral("keys.key already exists. Do you want me to overwrite this file?"));
            QCOMPARE(question.buttons, PromptButtons::YesNo);
            QCOMPARE(question.icon, PromptIcon::Question);
        }
        if (titles.contains(kReadOnly)) {
            QCOMPARE(f.lastAsked().text,
                f.path + QStringLiteral(" is read only. Please save the file with a different name or location."));
            QCOMPARE(f.lastAsked().icon, PromptIcon::Information);
        }
    }

    // A full disk, a missing folder, a folder not writable, and a file swapped for a folder while the overwrite
    // question is open (a folder chosen as the target is that same failure; CliTest checks its reason).
    void failedWriteKeepsFileAndEdits_data()
    {
        testing::addRows("how", {"full", "full, on a worker", "missing", "locked", "swapped"});
    }

    void failedWriteKeepsFileAndEdits()
    {
        QFETCH(QString, how);
        if (how == QLatin1String("locked") && isRoot())
            QSKIP("root writes into any folder");
        SaveFixture f;
        f.edit();
        if (how.endsWith(QLatin1String("worker")))
            f.session()->setBackgroundSaveBytes(1);
        QString target = f.path;
        QString says = QStringLiteral(": ");
        if (how.startsWith(QLatin1String("full"))) {
            f.prompts.answerMessage(PromptAnswer::Yes); // overwrite
            io::injectWriteFailure(ENOSPC);
            says = QStringLiteral("was %1: ").arg(ENOSPC);
        } else if (how == QLatin1String("missing")) {
            target = f.dir.filePath(QStringLiteral("gone/keys.key"));
        } else if (how == QLatin1String("locked")) {
            const QString folder = f.dir.filePath(QStringLiteral("locked"));
            QDir().mkdir(folder);
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            target = QDir(folder).filePath(QStringLiteral("new.key"));
            says = QStringLiteral("(the folder ") + QDir::toNativeSeparators(folder)
                + QStringLiteral(" cannot be written).");
        } else {
            target = f.writeKeyFile(QStringLiteral("t.key"), "old");
            f.prompts.answerMessage(PromptAnswer::Yes);
            f.prompts.onAsk = [&target](const AskedPrompt& asked) {
                if (asked.title == kOverwrite) {
                    QFile::remove(target);
                    QDir().mkdir(target);
                }
            };
        }
        f.prompts.answerFile(target);
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.session()->saveFileAs();
        QFile::setPermissions(f.dir.filePath(QStringLiteral("locked")),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const AskedPrompt& failure = f.lastAsked();
        QCOMPARE(failure.title, QStringLiteral("File possibly not saved"));
        QCOMPARE(failure.icon, PromptIcon::Exclamation);
        const QString start = QStringLiteral("Looks like there was a problem saving your file. The error raised was ");
        const QString end
            = QStringLiteral(".\r\nYour file on disk has not been changed, and your edits are still here.");
        QVERIFY2(failure.text.startsWith(start) && failure.text.contains(says) && failure.text.endsWith(end),
            qPrintable(failure.text));
        // The file on disk, the document and the grid are as they were.
        QCOMPARE(testing::readBytes(f.path), kOriginal);
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        QCOMPARE(f.session()->cellText(1, 5), QStringLiteral("2"));
        QCOMPARE(f.tab0(), QStringLiteral("keys.key"));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 1 + int(QFile::exists(f.settings.path())));
        QCOMPARE(QFileInfo(target).isDir(), how == QLatin1String("swapped"));
    }

    // A big file is written on a worker while the window draws: the same bytes and saved state as at once, and the
    // program's own write is no change on disk.
    void savedOnAWorker()
    {
        SaveFixture f;
        f.session()->setBackgroundSaveBytes(1);
        f.edit();
        QSignalSpy changes(f.session()->diskWatch(), &gui::DiskWatch::changed);
        f.trigger(QStringLiteral("mnuFileSave"));
        QVERIFY(!f.session()->saving());
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
        QVERIFY(testing::readBytes(f.path).find("SimA -1 0 0x1E 2 0 0 1") != std::string::npos);
        QTest::qWait(50); // the watch's notices of the write
        QCOMPARE(f.session()->diskWatch()->state(), gui::DiskWatch::State::Same);
        QCOMPARE(changes.count(), 0);
        QVERIFY(f.prompts.asked.isEmpty());
    }

    // The save writes the file in pieces (the bytes read, each edited line) and keeps their fingerprint: a file of
    // several blocks of 64 KiB, its edited lines longer and shorter than before, read back in other pieces, is the
    // same; one byte changed in it, its size kept, is a change.
    void savedPiecesAreKnownWhenReadBack()
    {
        WindowFixture f;
        std::string original;
        for (int i = 0; original.size() < 300 * 1024; ++i)
            original += "SimFunction" + std::to_string(i) + " -1 0 0x1E 0 0 0 1 \"Function\"\r\n";
        const QString path = f.open(original, QStringLiteral("big.key"));
        QVERIFY(f.session()->edit(
            {{10, 5, QStringLiteral("2")},
                {2000, core::DescriptionColumn, QStringLiteral("\"A much longer description than before\"")},
                {4000, core::DescriptionColumn, QStringLiteral("\"\"")}},
            QStringLiteral("Edit")));
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(f.session()->savedState(), gui::SavedState::Saved);
        // Another time on disk: the watch reads the file rather than trust its size and time.
        const auto touch = [&path](int seconds) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
        };
        touch(-100);
        QCOMPARE(f.session()->diskWatch()->state(), gui::DiskWatch::State::Same);
        std::string changed = testing::readBytes(path);
        changed[200 * 1024] ^= 1;
        testing::writeBytes(path, changed);
        touch(-50);
        QCOMPARE(f.session()->diskWatch()->state(), gui::DiskWatch::State::Changed);
    }

    // A real disk too small for a second copy of the file: the save fails and the file and the folder are as before.
    void saveOnAFullDiskKeepsTheFile()
    {
        WindowFixture f;
        const QString folder = f.dir.filePath(QStringLiteral("disk"));
        QDir().mkpath(folder);
        if (!isRoot()
            || QProcess::execute(QStringLiteral("mount"),
                   {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), QStringLiteral("size=64k"),
                       QStringLiteral("tmpfs"), folder})
                != 0)
            QSKIP("mounting a small file system needs root");
        const auto unmount = qScopeGuard([&folder] { QProcess::execute(QStringLiteral("umount"), {folder}); });
        std::string original; // about 40 KiB: one copy fits the disk, two do not
        for (int i = 0; original.size() < 40 * 1024; ++i)
            original += "SimFunction" + std::to_string(i) + " -1 0 0x1E 0 0XFFFFFFFF 0 1 \"Function\"\r\n";
        const QString path = f.open(original, QStringLiteral("disk/big.key"));
        f.session()->edit({{0, 5, QStringLiteral("3")}}, QStringLiteral("Edit"));
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.trigger(QStringLiteral("mnuFileSave"));
        QVERIFY2(f.lastAsked().text.contains(QStringLiteral("The error raised was %1: ").arg(ENOSPC)),
            qPrintable(f.lastAsked().text));
        QCOMPARE(testing::readBytes(path), original);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("big.key")});
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
    }

    // Edited lines that reading would not give back: the save names them and offers to go back (the default) or
    // to save anyway.
    void unwritableLinesAreNamedFirst_data()
    {
        QTest::addColumn<int>("emptied"); // lines whose Ignored cell is emptied, from line 3 on
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<QString>("text");
        const auto line = [](int n) {
            return QStringLiteral("Line %1 has an empty Ignored cell; saving would move its later fields one column "
                                  "left.")
                .arg(n);
        };
        const QString one = line(3) + QStringLiteral("\n\nGo back to the grid to correct it, or save anyway?");
        QTest::newRow("go back") << 1 << PromptAnswer::No << one;
        QTest::newRow("save anyway") << 1 << PromptAnswer::Yes << one;
        QTest::newRow("five lines") << 5 << PromptAnswer::No
                                    << line(3) + QLatin1Char('\n') + line(4) + QLatin1Char('\n') + line(5)
                + QStringLiteral("\n2 more lines are like these.\n\nGo back to the grid to correct them, or save "
                                 "anyway?");
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
        QCOMPARE(f.lastMessage(), QStringList({"Saving would change some lines", text}));
        QCOMPARE(f.lastAsked().buttons, PromptButtons::GoBackOrSaveAnyway);
        if (answer == PromptAnswer::Yes) {
            QVERIFY(testing::readBytes(path).find("SimDoNothing -1  0XFFFFFFFF") != std::string::npos);
            QCOMPARE(f.savedState(), gui::SavedState::Saved);
            return;
        }
        // Back on the grid at the first such line, nothing written.
        QCOMPARE(testing::readBytes(path), original);
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        QCOMPARE(f.tabs()->currentIndex(), int(gui::MainWindow::KeyFilePageIndex));
        QCOMPARE(f.keyGrid()->model()->headerData(f.keyGrid()->currentIndex().row(), Qt::Vertical).toInt(), 3);
    }

    void saveWithNoFileOpenWritesAnEmptyFile()
    {
        WindowFixture f;
        f.start();
        const QString target = f.dir.filePath(QStringLiteral("Key file.key"));
        f.prompts.answerFile(target);
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(f.lastAsked().request.proposedName, QStringLiteral("Key file"));
        QVERIFY(QFileInfo(target).isFile() && QFileInfo(target).size() == 0);
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
    }

    // Closing the window or opening another file with unsaved edits: the question, and what each answer leads to.
    void unsavedEditsGuard_data()
    {
        QTest::addColumn<bool>("closing");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saves"); // the save dialog, when shown, gives a file
        QTest::addColumn<QString>("lastTitle");
        QTest::addColumn<QString>("lastText"); // when it is not the question itself
        const QString question = QStringLiteral(" Save keys.key now?");
        const int yes = int(PromptAnswer::Yes);
        QTest::newRow("exit: no") << true << int(PromptAnswer::No) << false << question << QString();
        QTest::newRow("exit: cancel") << true << int(PromptAnswer::Cancel) << false << question << QString();
        QTest::newRow("exit: yes, dialog cancelled") << true << yes << false << "Ooops!"
                                                     << "keys.key wasn't saved. Exit program aborted.";
        QTest::newRow("exit: yes, saved") << true << yes << true << kSaveAs << QString();
        QTest::newRow("open: no, on to the dialog")
            << false << int(PromptAnswer::No) << false << "Select the key file to open ..." << QString();
        QTest::newRow("open: cancel") << false << int(PromptAnswer::Cancel) << false << question << QString();
        QTest::newRow("open: yes, dialog cancelled")
            << false << yes << false << "Hmmm...let me think..."
            << "keys.key wasn't saved, so I won't continue to load up a new key file just in case you pressed the "
               "cancel button by accident.";
    }

    void unsavedEditsGuard()
    {
        QFETCH(bool, closing);
        QFETCH(int, answer);
        QFETCH(bool, saves);
        QFETCH(QString, lastTitle);
        QFETCH(QString, lastText);
        SaveFixture f;
        f.edit();
        f.prompts.answerMessage(PromptAnswer(answer));
        const QString target = f.dir.filePath(QStringLiteral("saved.key"));
        if (answer == int(PromptAnswer::Yes))
            f.prompts.answerFile(saves ? target : QString());
        if (!lastText.isEmpty())
            f.prompts.answerMessage(PromptAnswer::Ok);
        if (!closing && answer == int(PromptAnswer::No))
            f.prompts.answerFile(QString()); // the open dialog is cancelled
        const bool closes = closing && f.window->close();
        if (!closing)
            f.click(QStringLiteral("Command4_0"));
        const AskedPrompt& question = f.prompts.asked.first();
        QCOMPARE(question.text,
            QStringLiteral("keys.key has changed and isn't saved. Do you want to save it ")
                + (closing ? QStringLiteral("before exiting?")
                           : QStringLiteral(" before opening a different key file?")));
        QCOMPARE(question.buttons, PromptButtons::YesNoCancel);
        QCOMPARE(f.askedTitles().last(), lastTitle);
        if (!lastText.isEmpty())
            QCOMPARE(QList<QVariant>({f.lastAsked().text, int(f.lastAsked().icon)}),
                QList<QVariant>({lastText, int(PromptIcon::Exclamation)}));
        QCOMPARE(QFile::exists(target), saves);
        QCOMPARE(f.savedState(), saves ? gui::SavedState::Saved : gui::SavedState::Modified);
        // The window closes on No or a save, and only then writes its settings.
        QCOMPARE(closes, closing && (answer == int(PromptAnswer::No) || saves));
        QCOMPARE(QFile::exists(f.settings.path()), closes);
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
        QCOMPARE(f.lastMessage(),
            QStringList(
                {"No text editor found", "There is no program for text files on this computer to open " + temp + '.'}));
        // A list that cannot be written says so and opens nothing.
        f.desktop.hasTextEditor = true;
        f.desktop.editorFiles.clear();
        QFile::remove(temp);
        QDir().mkdir(temp);
        f.prompts.answerMessage(PromptAnswer::Ok);
        f.window->viewListInTextEditor();
        QCOMPARE(f.lastMessage(),
            QStringList({"This didn't go well!", "There seems to have been a problem saving " + temp}));
        QVERIFY(f.desktop.editorFiles.isEmpty());
    }

    // A settings file too large to read is named once, at start-up (why a file cannot be read is the platform
    // layer's: FileIoTest); one that cannot be written is left as it was.
    void settingsThatCannotBeReadOrWrittenAreLeftAlone_data() { testing::addRows("how", {"too large", "disk full"}); }

    void settingsThatCannotBeReadOrWrittenAreLeftAlone()
    {
        QFETCH(QString, how);
        const bool large = how == QLatin1String("too large");
        WindowFixture f;
        const QString settingsPath = f.settings.path();
        std::string bytes = "[FileLocations]\r\nKeyFilesFolder=C:\\Keys\r\n";
        if (large)
            bytes += "; " + std::string(1024 * 1024, 'x') + "\r\n";
        testing::writeBytes(settingsPath, bytes);
        f.create();
        if (large)
            f.prompts.answerMessage(PromptAnswer::Ok);
        f.window->startUp();
        if (!large)
            io::injectWriteFailure(ENOSPC);
        QVERIFY(f.window->close());
        if (large)
            QCOMPARE(f.lastMessage(),
                QStringList({"Settings not remembered",
                    "Tarnwick could not read its settings file " + settingsPath
                        + ": The file is larger than 1 MiB. It will not remember its settings this time."}));
        QCOMPARE(testing::readBytes(settingsPath), bytes);
    }

    // File > Print reference: a PDF with a map for each of the two modifier combinations and one sheet page, or the
    // sheet as a web page; a read-only file is refused as by every save.
    void printReference_data() { testing::addRows("name", {"reference.pdf", "reference.html", "old.pdf"}); }

    void printReference()
    {
        QFETCH(QString, name);
        WindowFixture f(testing::created);
        auto* action = f.window->findChild<QAction*>(QStringLiteral("mnuFilePrintReference"));
        QVERIFY(!action->isEnabled());
        f.open(kSectionFile);
        QVERIFY(action->isEnabled());
        const QString target = f.dir.filePath(name);
        const bool old = name.startsWith(QLatin1String("old"));
        if (old) {
            testing::writeBytes(target, "old");
            readOnly(target);
            f.prompts.answerMessage(PromptAnswer::Yes); // overwrite
            f.prompts.answerMessage(PromptAnswer::Ok);
        }
        f.prompts.answerFile(target);
        action->trigger();
        QCOMPARE(f.prompts.asked.first().request.proposedName, QStringLiteral("k reference"));
        const QByteArray written = QByteArray::fromStdString(testing::readBytes(target));
        if (old) {
            QCOMPARE(f.askedTitles().last(), kReadOnly);
            QCOMPARE(written, QByteArray("old"));
            return;
        }
        if (name.endsWith(QLatin1String(".pdf"))) {
            QVERIFY(written.startsWith("%PDF-"));
            QCOMPARE(written.count("/Type /Page\n"), 3);
        } else {
            const auto reference = core::Reference::build(core::KeyDocument::fromBytes(kSectionFile), "k.key");
            QCOMPARE(written, QByteArray::fromStdString(core::referenceHtml(reference)));
        }
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
    }
};

QTEST_MAIN(SavingTest)
#include "SavingTest.moc"
