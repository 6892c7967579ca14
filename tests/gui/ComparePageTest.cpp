#include "WindowFixture.h"

#include "cli/CliRunner.h"
#include "gui/ChangesModel.h"
#include "gui/ChangesView.h"
#include "gui/ComparePage.h"
#include "gui/DiskWatch.h"
#include "gui/LineView.h"
#include "gui/ReportView.h"
#include "io/FileIo.h"
#include "io/TextCodec.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>

#include <cerrno>
#include <sstream>

using core::ChangeKind;
using gui::PromptAnswer;
using gui::PromptIcon;
using testing::AskedPrompt;
using testing::WindowFixture;

namespace {

const std::string kFile1 = "SimA 1 0 0X1E 0 0 0 1\r\nSimB 1 0 0X30 0 0 0 1\r\n";
const std::string kFile2 = "SimA 1 0 0X1E 0 0 0 1\r\nSimC 1 0 0X2E 0 0 0 1\r\n";
// For the Changes view: file 1 is Windows-1252 ("\xb0" is a degree sign), file 2 UTF-8.
const std::string kChanges1 = "# mine\r\n"
                              "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"==== 1.01  VIEWS ====\"\r\n"
                              "SimA -1 0 0x1E 0 0 0 1 \"Alpha\"\r\n"
                              "SimB -1 0 0x30 0 0 0 1 \"10\xb0 up\"\r\n"
                              "SimC -1 0 0x2E 0 0 0 1 \"Gamma\"\r\n"
                              "SimE -1 0 0x12 0 0 0 1 \"Echo\"\r\n";
const std::string kChanges2 = "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"==== 1.01  VIEWS ====\"\r\n"
                              "SimA -1 0 0x1E 2 0 0 1 \"Alpha\"\r\n"
                              "SimB -1 0 0x30 0 0 0 1 \"20\xc2\xb0 up\"\r\n"
                              "SimE -1 0 0x12 0 0 0 1 \"Echo\"\r\n"
                              "SimD -1 0 0x20 0 0 0 1 \"Delta\"\r\n";

struct CompareFixture : WindowFixture
{
    gui::ComparePage* page = nullptr;
    QString file1;
    QString file2;

    gui::ChangesView* changes = nullptr;

    /** The compare page over two files; with `changesShown`, compared and showing the Changes view. */
    explicit CompareFixture(bool changesShown = false)
    {
        create();
        page = window->comparePage();
        changes = page->changesView();
        watch(changes->model());
        file1 = writeKeyFile(QStringLiteral("one.key"), changesShown ? kChanges1 : kFile1);
        file2 = writeKeyFile(QStringLiteral("two.key"), changesShown ? kChanges2 : kFile2);
        showPage(gui::MainWindow::CompareFilesPageIndex);
        if (changesShown) {
            compareBoth();
            page->showChanges(true);
        }
    }
    QStringList changeRows() const { return rows(changes->table()->model()); }

    QPlainTextEdit* box() const { return page->reportBox(); }
    void compareBoth()
    {
        page->setPath(0, file1);
        page->setPath(1, file2);
        find<QPushButton>(QStringLiteral("Command5"))->click();
    }
    // The colour of the first character of the line that reads `text`, in the box or the read-only view.
    QColor colourOf(const QString& text) const
    {
        const gui::StyledLines& lines = page->reportLines()->lines();
        for (std::size_t line = 0; line < lines.lineCount(); ++line) {
            QList<QTextLayout::FormatRange> formats;
            if (lines.text(line, &formats) == text)
                return formats.first().format.foreground().color();
        }
        for (QTextBlock block = box()->document()->begin(); block.isValid(); block = block.next()) {
            if (block.text() == text)
                return block.begin().fragment().charFormat().foreground().color();
        }
        return {};
    }
};

// The date line changes with the clock; everything else must match.
std::string withoutDate(std::string text)
{
    return QString::fromStdString(text)
        .replace(QRegularExpression(QStringLiteral("Comparison made: [^\\r]*")), QStringLiteral("Comparison made: X"))
        .toStdString();
}

} // namespace

class ComparePageTest : public QObject
{
    Q_OBJECT

private slots:
    // The legend, the file buttons, and viewing the files in the text editor.
    void legendAndFileButtons()
    {
        CompareFixture f;
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label10_1"))->text().split(QLatin1Char('\n')),
            QStringList({"Select the two key files to compare.", "Identical lines will appear in black.",
                "Blue lines are associated with key file 1.", "Green lines are associated with key file 2."}));
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label9_0"))->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label9_1"))->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        f.click(QStringLiteral("Command4_5"));
        f.prompts.answerFile(f.file2);
        f.find<QPushButton>(QStringLiteral("Command1_1"))->click();
        QCOMPARE(f.page->path(1), f.file2);
        QCOMPARE(f.lastAsked().request.title, QStringLiteral("Select the key file to open ..."));
        // Cancel changes nothing.
        f.prompts.answerFile(QString());
        f.find<QPushButton>(QStringLiteral("Command1_1"))->click();
        QCOMPARE(f.page->path(1), f.file2);
        // Opening a key file for editing makes it key file 1.
        f.session()->open(f.file1);
        QCOMPARE(QStringList({f.page->path(0), f.page->path(1)}), QStringList({f.file1, f.file2}));
        f.click(QStringLiteral("Command4_4"));
        QCOMPARE(f.desktop.editorFiles, QStringList({QString(), f.file1}));
    }

    void missingPaths_data()
    {
        QTest::addColumn<QStringList>("names"); // of key files 1 and 2
        QTest::addColumn<QString>("message");
        QTest::newRow("first empty") << QStringList{"", "two.key"} << QString();
        QTest::newRow("second empty") << QStringList{"one.key", ""} << QString();
        QTest::newRow("first missing") << QStringList{"gone1.key", "two.key"} << "gone1.key";
        QTest::newRow("second missing") << QStringList{"one.key", "gone2.key"} << "gone2.key";
        QTest::newRow("both missing") << QStringList{"gone1.key", "gone2.key"} << "gone1.key";
    }

    void missingPaths()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        CompareFixture f;
        const auto pathOf = [&f](const QString& name) { return name.isEmpty() ? name : f.dir.filePath(name); };
        for (int i = 0; i < 2; ++i)
            f.page->setPath(i, pathOf(names[i]));
        if (!message.isEmpty())
            f.prompts.answerMessage(PromptAnswer::Ok);
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        QVERIFY(f.box()->toPlainText().isEmpty());
        // Nothing is offered for saving: not a report box of spaces only, nor changes before a comparison.
        f.box()->setPlainText(QStringLiteral("   \n  "));
        f.click(QStringLiteral("Command4_3"));
        f.page->showChanges(true);
        f.click(QStringLiteral("Command4_3"));
        if (!message.isEmpty()) {
            QCOMPARE(f.lastMessage(), QStringList({"Unable to locate file", "I couldn't find " + pathOf(message)}));
            QCOMPARE(f.lastAsked().icon, PromptIcon::Critical);
        }
    }

    // A file that is there but cannot be read (a folder) is named in the report with the reason and compared as
    // empty: file 1, read whole, and file 2, read in pieces, alike.
    void unreadableFileNamedInTheReport_data() { testing::addRows("folder", {"1", "2"}); }

    void unreadableFileNamedInTheReport()
    {
        QFETCH(QString, folder);
        CompareFixture f;
        const QString folderPath = f.dir.filePath(QStringLiteral("folder.key"));
        QVERIFY(QDir().mkdir(folderPath));
        const int n = folder.toInt();
        f.page->setPath(n - 1, folderPath);
        f.page->setPath(2 - n, f.file1);
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        const QString text = f.box()->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("Key file %1 could not be read (It is a folder, not a file); it is "
                                              "compared as an empty file.")
                                   .arg(n)),
            qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("SimA 1 0 0X1E 0 0 0 1")));
    }

    void reportShowsTheEnginesRunsInColour()
    {
        CompareFixture f;
        f.compareBoth();
        QVERIFY(f.box()->toPlainText().startsWith(QStringLiteral("Text in blue relates to: ") + f.file1));
        QCOMPARE(f.colourOf(QStringLiteral("SimB")), QColor(0, 0, 255));
        QCOMPARE(f.colourOf(QStringLiteral("SimC")), QColor(0, 128, 0));
        QCOMPARE(f.colourOf(QStringLiteral("SimA 1 0 0X1E 0 0 0 1")), QColor(0, 0, 0));
        QCOMPARE(f.colourOf(QStringLiteral("SimB 1 0 0X30 0 0 0 1")), QColor(0, 0, 255));
        QCOMPARE(f.colourOf(QStringLiteral("SimC 1 0 0X2E 0 0 0 1")), QColor(0, 128, 0));
        // The view starts at the top, and the box stays editable.
        QCOMPARE(f.box()->textCursor().position(), 0);
        QVERIFY(!f.box()->isReadOnly());
    }

    // The open key file, unchanged on disk, is compared from the bytes the window holds, and once saved from the
    // document's rows; one rewritten on disk, or edited since the save, is read again, and so is any other file.
    void openFileComparedAsHeld_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("held"); // bytes, document or nothing
        QTest::addColumn<QString>("line"); // a line the report must show
        QTest::newRow("unchanged") << "unchanged"
                                   << "bytes"
                                   << "SimB 1 0 0X30 0 0 0 1";
        QTest::newRow("rewritten") << "rewritten"
                                   << "nothing"
                                   << "SimZ 1 0 0X2C 0 0 0 1";
        QTest::newRow("saved") << "saved"
                               << "document"
                               << "SimB 1 0 0X2C 0 0 0 1";
        QTest::newRow("edited after the save") << "edited after the save"
                                               << "nothing"
                                               << "SimB 1 0 0X2C 0 0 0 1";
        QTest::newRow("rewritten after the save") << "rewritten after the save"
                                                  << "nothing"
                                                  << "SimZ";
        QTest::newRow("other file") << "other file"
                                    << "nothing"
                                    << "SimC 1 0 0X2E 0 0 0 1";
    }

    void openFileComparedAsHeld()
    {
        QFETCH(QString, how);
        QFETCH(QString, held);
        QFETCH(QString, line);
        CompareFixture f;
        QVERIFY(f.session()->open(f.file1));
        const char* const source = f.session()->document().sharedSource().view().data();
        QString compared = f.file1;
        if (how.contains(QLatin1String("save"))) {
            QVERIFY(f.session()->edit({{1, core::KeyColumn, QStringLiteral("0X2C")}}, QStringLiteral("Edit")));
            f.session()->saveToOwnPath();
        }
        if (how.startsWith(QLatin1String("rewritten")))
            f.writeKeyFile(QStringLiteral("one.key"), testing::readBytes(f.file1) + "SimZ 1 0 0X2C 0 0 0 1\r\n");
        if (how == QLatin1String("edited after the save"))
            QVERIFY(f.session()->edit({{0, core::KeyColumn, QStringLiteral("0X2D")}}, QStringLiteral("Edit")));
        if (how == QLatin1String("other file"))
            compared = f.file2;
        const core::CompareInput input = f.session()->heldFile(compared);
        QCOMPARE(input.bytes ? "bytes" : input.document ? "document" : "nothing", held);
        if (input.bytes)
            QCOMPARE(static_cast<const void*>(input.bytes->view().data()), static_cast<const void*>(source));
        f.compareBoth();
        QVERIFY(f.box()->toPlainText().contains(line));
        // The edit after the save is not on disk, and the report is of the disk.
        QCOMPARE(f.box()->toPlainText().contains(QStringLiteral("0X2D")), false);
    }

    // In the editable box, and read-only as a report too large for it.
    void utf8AndWindows1252ShowAndSaveAlike_data() { testing::addRows("shown", {"in the box", "read-only"}); }

    void utf8AndWindows1252ShowAndSaveAlike()
    {
        QFETCH(QString, shown);
        CompareFixture f;
        const bool readOnly = shown == QLatin1String("read-only");
        if (readOnly)
            f.page->setEditableBytes(100);
        const std::string utf8 = "SimA 1 0 0X1E 0 0 0 1 \"20\xc2\xb0 \xe2\x86\x92\"\r\n";
        const std::string cp1252 = "SimB 1 0 0X30 0 0 0 1 \"10\xb0 \x80\"\r\n";
        f.file1 = f.writeKeyFile(QStringLiteral("utf8.key"), utf8);
        f.file2 = f.writeKeyFile(QStringLiteral("cp1252.key"), cp1252);
        f.compareBoth();
        QCOMPARE(f.page->reportReadOnly(), readOnly);
        QCOMPARE(f.box()->toPlainText().isEmpty(), readOnly);
        QCOMPARE(f.page->reportLines()->lines().lineCount() > 0, readOnly);
        // Both files' characters show as themselves, each file in its own encoding.
        QCOMPARE(f.colourOf(QString::fromUtf8("SimA 1 0 0X1E 0 0 0 1 \"20\xc2\xb0 \xe2\x86\x92\"")), QColor(0, 0, 255));
        QCOMPARE(f.colourOf(QString::fromUtf8("SimB 1 0 0X30 0 0 0 1 \"10\xc2\xb0 \xe2\x82\xac\"")), QColor(0, 128, 0));

        // The window's RTF and text, read back from the box or the view, are the command line's, apart from the date
        // line.
        const QString saved = f.dir.filePath(QStringLiteral("window.rtf"));
        f.prompts.answerFile(saved);
        f.click(QStringLiteral("Command4_3"));
        const QString savedText = f.dir.filePath(QStringLiteral("window.txt"));
        f.prompts.answerFile(savedText);
        f.click(QStringLiteral("Command4_3"));
        const QString written = f.dir.filePath(QStringLiteral("cli.rtf"));
        const QString writtenText = f.dir.filePath(QStringLiteral("cli.txt"));
        std::ostringstream out, err;
        cli::CliRunner cli(out, err);
        cli.setClock(testing::fixedTime);
        QCOMPARE(cli.run({"tarnwick-cli", "compare", f.file1.toStdString(), f.file2.toStdString(), "--rtf",
                     written.toStdString(), "--text", writtenText.toStdString()}),
            0);
        const std::string windowRtf = testing::readBytes(saved);
        QCOMPARE(QString::fromStdString(withoutDate(windowRtf)),
            QString::fromStdString(withoutDate(testing::readBytes(written))));
        // The window's text is Windows-1252, a character it cannot hold a '?'.
        QCOMPARE(QByteArray::fromStdString(withoutDate(testing::readBytes(savedText))),
            QByteArray::fromStdString(withoutDate(
                io::encodeText(io::decodeMixedText(testing::readBytes(writtenText)), io::TextEncoding::Windows1252))));
        QVERIFY(windowRtf.find("20\\u176? \\u8594?") != std::string::npos);
        QVERIFY(windowRtf.find("10\\u176? \\u8364?") != std::string::npos);
    }

    // Large files are compared on a worker thread (here all of them), smaller ones at once; either way a long report
    // goes into the box in steps, and wraps unless a line is huge.
    void longReportFillsInStepsAndCompletes_data() { testing::addRows("how", {"at once", "on a worker thread"}); }

    void longReportFillsInStepsAndCompletes()
    {
        QFETCH(QString, how);
        CompareFixture f;
        if (how == QLatin1String("on a worker thread"))
            f.page->setBackgroundBytes(0);
        std::string one, two;
        for (int i = 0; i < 3000; ++i) {
            one += "SimOne" + std::to_string(i) + " -1 0 0x1E 0 0 0 1\r\n";
            two += "SimTwo" + std::to_string(i) + " -1 0 0x1E 0 0 0 1\r\n";
        }
        f.page->setPath(0, f.writeKeyFile(QStringLiteral("long1.key"), one));
        f.page->setPath(1, f.writeKeyFile(QStringLiteral("long2.key"), two));
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        // The first lines are there at once; the rest follows from the event loop.
        QVERIFY(f.page->filling());
        QTRY_VERIFY(!f.page->filling());
        const int blocks = f.page->reportBox()->document()->blockCount();
        QVERIFY2(blocks > 12000, qPrintable(QString::number(blocks)));
        QCOMPARE(f.colourOf(QStringLiteral("SimTwo2999 -1 0 0x1E 0 0 0 1")), QColor(0, 128, 0));
        // A comparison started while one is filling replaces it whole.
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        QVERIFY(f.page->filling());
        f.compareBoth();
        QVERIFY(f.page->reportBox()->toPlainText().contains(QStringLiteral("SimC 1 0 0X2E 0 0 0 1")));
        QVERIFY(!f.page->filling());
        QVERIFY(!f.page->reportBox()->toPlainText().contains(QStringLiteral("SimOne")));
        // The report wraps unless a line is huge.
        QCOMPARE(f.box()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        const std::string huge = "SimHuge -1 0 0x1E 0 0 0 1 \"" + std::string(200000, 'w') + "\"\r\n";
        f.page->setPath(1, f.writeKeyFile(QStringLiteral("huge.key"), huge));
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        QTRY_COMPARE(f.box()->lineWrapMode(), QPlainTextEdit::NoWrap);
        f.box()->viewport()->repaint();
        f.compareBoth();
        QCOMPARE(f.box()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }

    void proposedNames_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("key file") << QStringLiteral("mykeys.key") << QStringLiteral("mykeys comparison");
        QTest::newRow("short") << QStringLiteral("abc") << QString();
        QTest::newRow("four characters") << QStringLiteral("a.ke") << QStringLiteral(" comparison");
    }

    void proposedNames()
    {
        QFETCH(QString, caption);
        QFETCH(QString, proposal);
        QCOMPARE(gui::proposedComparisonName(caption), proposal);
    }

    // The report, or the changes shown, saved as RTF or text by the name's extension.
    void savingChoosesTheFormatByTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("rich");
        QTest::addColumn<bool>("changes");
        QTest::newRow("rtf") << "r.rtf" << true << false;
        QTest::newRow("upper-case RTF") << "r.RTF" << true << false;
        QTest::newRow("rtf.txt") << "r.rtf.txt" << false << false;
        QTest::newRow("txt") << "r.txt" << false << false;
        QTest::newRow("no extension") << "report" << false << false;
        QTest::newRow("changes, rtf") << "c.rtf" << true << true;
        QTest::newRow("changes, text") << "c.txt" << false << true;
    }

    void savingChoosesTheFormatByTheName()
    {
        QFETCH(QString, name);
        QFETCH(bool, rich);
        QFETCH(bool, changes);
        CompareFixture f(changes);
        if (changes)
            f.changes->kindBox(ChangeKind::Added)->click();
        else
            f.compareBoth();
        const QString target = f.dir.filePath(name);
        f.prompts.answerFile(target);
        f.click(QStringLiteral("Command4_3"));
        const gui::FileDialogRequest& dialog = f.prompts.asked.first().request;
        QCOMPARE(QStringList({dialog.title, dialog.filter, dialog.defaultSuffix, dialog.proposedName}),
            QStringList({"Save file as ...", "Coloured text file (*.rtf)|*.rtf|Plain text file (*.txt)|*.txt", "rtf",
                changes ? "Key  changes" : "Key  comparison"}));
        const std::string saved = testing::readBytes(target);
        QCOMPARE(saved.rfind("{\\rtf1", 0) == 0, rich);
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
        if (!changes) {
            QVERIFY(rich || saved.find("Summary\r\n\r\nNumber of lines: 2   2\r\n") != std::string::npos);
            return;
        }
        // The changes as filtered (SimD was added), each file's own characters whatever their encoding.
        QVERIFY2(
            saved.find("1 added, 1 removed, 1 rebound, 1 description, 0 moved") != std::string::npos, saved.c_str());
        QVERIFY(saved.find("SimD") == std::string::npos);
        QVERIFY(saved.find(rich ? "\"10\\u176? up\" -> \"20\\u176? up\"" : "\"10\xb0 up\" -> \"20\xc2\xb0 up\"")
            != std::string::npos);
    }

    // Undo in the report box undoes the user's own edits, never the report itself; the edits are saved.
    void userEditsAreSaved()
    {
        CompareFixture f;
        f.compareBoth();
        const QString report = f.box()->toPlainText();
        QVERIFY(!f.box()->document()->isUndoAvailable());
        f.box()->setFocus();
        QTest::keyClicks(f.box(), QStringLiteral("x"));
        QTest::keyClick(f.box(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(f.box(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.box()->toPlainText(), report);
        QTextCursor cursor(f.box()->document());
        cursor.insertText(QString::fromUtf8("My note \xc2\xb0 {x}\n"));
        const QString rtf = f.dir.filePath(QStringLiteral("edited.rtf"));
        const QString txt = f.dir.filePath(QStringLiteral("edited.txt"));
        f.prompts.answerFile(rtf);
        f.click(QStringLiteral("Command4_3"));
        f.prompts.answerFile(txt);
        f.click(QStringLiteral("Command4_3"));
        QVERIFY(testing::readBytes(txt).rfind("My note \xb0 {x}\r\nText in blue relates to: ", 0) == 0);
        QVERIFY(testing::readBytes(rtf).find("My note \\u176? \\{x\\}") != std::string::npos);
    }

    // Over an existing file (a read-only one is refused as by every save: SavingTest), and a write that fails.
    void overwriteAndFailure_data() { testing::addRows("how", {"no", "yes", "fails"}); }

    void overwriteAndFailure()
    {
        QFETCH(QString, how);
        CompareFixture f;
        f.compareBoth();
        const QString target = f.writeKeyFile(QStringLiteral("old.txt"), "old");
        f.prompts.answerFile(target);
        f.prompts.answerMessage(how == QLatin1String("no") ? PromptAnswer::No : PromptAnswer::Yes);
        if (how == QLatin1String("fails")) {
            io::injectWriteFailure(ENOSPC);
            f.prompts.answerMessage(PromptAnswer::Ok);
        }
        f.click(QStringLiteral("Command4_3"));
        QCOMPARE(f.prompts.asked[1].title, QStringLiteral("OK to overwrite exisiting file?"));
        const bool written = how == QLatin1String("yes");
        QCOMPARE(testing::readBytes(target) == "old", !written);
        if (how == QLatin1String("fails")) {
            QCOMPARE(f.lastAsked().text, QStringLiteral("There seems to have been a problem saving ") + target);
            QCOMPARE(f.banner(), QStringLiteral("Saving ..."));
        }
    }

    // The Changes view beside the report: its rows, colours, counts, filters and saving.
    void changesRowsAndCounts()
    {
        CompareFixture f(true);
        QCOMPARE(f.changeRows(),
            QStringList({QString::fromUtf8("Rebound|SimA|a|CTL a|1.01 VIEWS|3|2|Alpha"),
                QString::fromUtf8(
                    "Description changed|SimB|b|b|1.01 VIEWS|4|3|10\xc2\xb0 up \xe2\x86\x92 20\xc2\xb0 up"),
                QStringLiteral("Removed|SimC|c||1.01 VIEWS|5||Gamma"),
                QStringLiteral("Added|SimD||d|1.01 VIEWS||5|Delta")}));
        QCOMPARE(f.changes->countsText(),
            QStringLiteral("1 added, 1 removed, 1 rebound, 1 description, 0 moved; 1 unchanged"));
        const QAbstractItemModel* model = f.changes->model();
        QCOMPARE(model->index(2, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
        QCOMPARE(model->index(3, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        // The report of today is there beside it, unchanged.
        f.page->showChanges(false);
        QVERIFY(f.box()->toPlainText().contains(QStringLiteral("Number of sim functions: 5   5")));
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        // The changes are worked out when shown, from the files the report compared; a file changed since says so.
        f.writeKeyFile(QStringLiteral("two.key"), kChanges1);
        QCOMPARE(f.changeRows().size(), 4);
        f.page->showChanges(true);
        QCOMPARE(f.changeRows(), QStringList());
        QCOMPARE(f.changes->countsText(),
            QStringLiteral("Key file 2 has changed since the report was made; Compare again to see both as they are "
                           "now. 0 added, 0 removed, 0 rebound, 0 descriptions, 0 moved; 4 unchanged"));
    }

    void changesFilters_data()
    {
        QTest::addColumn<QList<int>>("toggled"); // kinds whose box is clicked
        QTest::addColumn<QStringList>("names");
        QTest::newRow("no added, no removed")
            << QList<int>{int(ChangeKind::Added), int(ChangeKind::Removed)} << QStringList({"SimA", "SimB"});
        QTest::newRow("unchanged too") << QList<int>{int(ChangeKind::Unchanged)}
                                       << QStringList({"SimA", "SimB", "SimC", "SimE", "SimD"});
        QTest::newRow("only descriptions") << QList<int>{int(ChangeKind::Added), int(ChangeKind::Removed),
            int(ChangeKind::Rebound), int(ChangeKind::Moved)}
                                           << QStringList({"SimB"});
    }

    void changesFilters()
    {
        QFETCH(QList<int>, toggled);
        QFETCH(QStringList, names);
        CompareFixture f(true);
        for (const int kind : toggled)
            f.changes->kindBox(static_cast<ChangeKind>(kind))->click();
        QStringList shown;
        for (const QString& row : f.changeRows())
            shown << row.section(QLatin1Char('|'), 1, 1);
        QCOMPARE(shown, names);
    }
};

QTEST_MAIN(ComparePageTest)
#include "ComparePageTest.moc"
