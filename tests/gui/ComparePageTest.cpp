#include "WindowFixture.h"

#include "cli/CliRunner.h"
#include "core/Comparison.h"
#include "core/ReportWriters.h"
#include "gui/ComparePage.h"
#include "gui/ReportView.h"
#include "io/FileIo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <cerrno>
#include <sstream>

using gui::PromptAnswer;
using gui::PromptIcon;
using testing::AskedPrompt;
using testing::WindowFixture;

namespace {

const std::string kFile1 = "SimA 1 0 0X1E 0 0 0 1\r\nSimB 1 0 0X30 0 0 0 1\r\n";
const std::string kFile2 = "SimA 1 0 0X1E 0 0 0 1\r\nSimC 1 0 0X2E 0 0 0 1\r\n";

struct CompareFixture : WindowFixture
{
    gui::ComparePage* page = nullptr;
    QString file1;
    QString file2;

    CompareFixture()
    {
        create();
        page = window->comparePage();
        file1 = writeKeyFile(QStringLiteral("one.key"), kFile1);
        file2 = writeKeyFile(QStringLiteral("two.key"), kFile2);
        showPage(gui::MainWindow::CompareFilesPageIndex);
    }

    QTextEdit* box() const { return page->reportBox(); }
    void compareBoth()
    {
        page->setPath(0, file1);
        page->setPath(1, file2);
        find<QPushButton>(QStringLiteral("Command5"))->click();
    }
    // The colour of the first character of the line that reads `text`.
    QColor colourOf(const QString& text) const
    {
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
    void legendAndPathColours()
    {
        CompareFixture f;
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label10_1"))->text().split(QLatin1Char('\n')),
            QStringList({"Select the two key files to compare.", "Identical lines will appear in black.",
                "Blue lines are associated with key file 1.", "Green lines are associated with key file 2."}));
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label9_0"))->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label9_1"))->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    }

    void choosingFiles()
    {
        CompareFixture f;
        f.prompts.answerFile(f.file2);
        f.find<QPushButton>(QStringLiteral("Command1_1"))->click();
        QCOMPARE(f.page->path(1), f.file2);
        const AskedPrompt& asked = f.prompts.asked.first();
        QCOMPARE(asked.request.title, QStringLiteral("Select the key file to open ..."));
        QCOMPARE(asked.request.filter, QStringLiteral("Falcon .key files (*.key)|*.key|All files (*.*) |*.*"));
        QCOMPARE(asked.request.startFolder, f.window->locations().keyFilesFolder);
        // Cancel changes nothing.
        f.prompts.answerFile(QString());
        f.find<QPushButton>(QStringLiteral("Command1_1"))->click();
        QCOMPARE(f.page->path(1), f.file2);
        // Opening a key file for editing makes it key file 1.
        f.session()->open(f.file1);
        QCOMPARE(f.page->path(0), f.file1);
        QCOMPARE(f.page->path(1), f.file2);
    }

    void missingPaths_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::newRow("first empty") << ""
                                     << "two"
                                     << "";
        QTest::newRow("second empty") << "one"
                                      << ""
                                      << "";
        QTest::newRow("first missing") << "gone1"
                                       << "two"
                                       << "gone1";
        QTest::newRow("second missing") << "one"
                                        << "gone2"
                                        << "gone2";
        QTest::newRow("both missing") << "gone1"
                                      << "gone2"
                                      << "gone1";
    }

    void missingPaths()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        CompareFixture f;
        const auto pathOf = [&f](const QString& key) {
            if (key == QLatin1String("one"))
                return f.file1;
            if (key == QLatin1String("two"))
                return f.file2;
            return key.isEmpty() ? QString() : f.dir.filePath(key + QStringLiteral(".key"));
        };
        f.page->setPath(0, pathOf(first));
        f.page->setPath(1, pathOf(second));
        if (!message.isEmpty())
            f.prompts.answerMessage(PromptAnswer::Ok);
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        QVERIFY(f.box()->toPlainText().isEmpty());
        if (message.isEmpty()) {
            QVERIFY(f.prompts.asked.isEmpty());
            return;
        }
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].title, QStringLiteral("Unable to locate file"));
        QCOMPARE(f.prompts.asked[0].text, QStringLiteral("I couldn't find ") + pathOf(message));
        QCOMPARE(f.prompts.asked[0].icon, PromptIcon::Critical);
    }

    void reportShowsTheEnginesRunsInColour()
    {
        CompareFixture f;
        f.compareBoth();
        const QString text = f.box()->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("Text in blue relates to: ") + f.file1));
        QCOMPARE(f.colourOf(QStringLiteral("SimB")), QColor(0, 0, 255));
        QCOMPARE(f.colourOf(QStringLiteral("SimC")), QColor(0, 128, 0));
        QCOMPARE(f.colourOf(QStringLiteral("SimA 1 0 0X1E 0 0 0 1")), QColor(0, 0, 0));
        QCOMPARE(f.colourOf(QStringLiteral("SimB 1 0 0X30 0 0 0 1")), QColor(0, 0, 255));
        QCOMPARE(f.colourOf(QStringLiteral("SimC 1 0 0X2E 0 0 0 1")), QColor(0, 128, 0));
        // The box read back gives the engine's report, the same runs and styles.
        std::tm now{};
        now.tm_year = 126;
        const auto engine
            = core::compareKeyFiles({f.file1.toStdString(), kFile1, {}}, {f.file2.toStdString(), kFile2, {}}, now);
        const QTextDocument& document = *f.box()->document();
        QCOMPARE(withoutDate(core::reportText(gui::reportFromDocument(document, io::TextEncoding::Windows1252))),
            withoutDate(core::reportText(engine)));
        QCOMPARE(QString::fromStdString(
                     withoutDate(core::reportRtf(gui::reportFromDocument(document, io::TextEncoding::Utf8)))),
            QString::fromStdString(withoutDate(core::reportRtf(engine))));
        // The view starts at the top, and the box stays editable.
        QCOMPARE(f.box()->textCursor().position(), 0);
        QVERIFY(!f.box()->isReadOnly());
    }

    void utf8AndWindows1252ShowAndSaveAlike()
    {
        CompareFixture f;
        const std::string utf8 = "SimA 1 0 0X1E 0 0 0 1 \"20\xc2\xb0 \xe2\x86\x92\"\r\n";
        const std::string cp1252 = "SimB 1 0 0X30 0 0 0 1 \"10\xb0 \x80\"\r\n";
        f.file1 = f.writeKeyFile(QStringLiteral("utf8.key"), utf8);
        f.file2 = f.writeKeyFile(QStringLiteral("cp1252.key"), cp1252);
        f.compareBoth();
        // Both files' characters show as themselves, each file in its own encoding.
        QCOMPARE(f.colourOf(QString::fromUtf8("SimA 1 0 0X1E 0 0 0 1 \"20\xc2\xb0 \xe2\x86\x92\"")), QColor(0, 0, 255));
        QCOMPARE(f.colourOf(QString::fromUtf8("SimB 1 0 0X30 0 0 0 1 \"10\xc2\xb0 \xe2\x82\xac\"")), QColor(0, 128, 0));

        // The window's RTF is the command line's, apart from the date line.
        const QString saved = f.dir.filePath(QStringLiteral("window.rtf"));
        f.prompts.answerFile(saved);
        f.click(QStringLiteral("Command4_3"));
        const QString written = f.dir.filePath(QStringLiteral("cli.rtf"));
        std::ostringstream out, err;
        cli::CliRunner cli(out, err);
        cli.setClock(testing::fixedTime);
        QCOMPARE(cli.run({"tarnwick-cli", "compare", f.file1.toStdString(), f.file2.toStdString(), "--rtf",
                     written.toStdString()}),
            0);
        const std::string windowRtf = testing::readBytes(saved);
        QCOMPARE(QString::fromStdString(withoutDate(windowRtf)),
            QString::fromStdString(withoutDate(testing::readBytes(written))));
        QVERIFY(windowRtf.find("20\\u176? \\u8594?") != std::string::npos);
        QVERIFY(windowRtf.find("10\\u176? \\u8364?") != std::string::npos);
    }

    void longReportFillsInStepsAndCompletes()
    {
        CompareFixture f;
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
        QVERIFY(!f.page->filling());
        QVERIFY(f.page->reportBox()->toPlainText().contains(QStringLiteral("SimC 1 0 0X2E 0 0 0 1")));
        QVERIFY(!f.page->reportBox()->toPlainText().contains(QStringLiteral("SimOne")));
    }

    void reportWrapsUnlessALineIsHuge()
    {
        CompareFixture f;
        f.compareBoth();
        QCOMPARE(f.box()->lineWrapMode(), QTextEdit::WidgetWidth);
        const std::string huge = "SimHuge -1 0 0x1E 0 0 0 1 \"" + std::string(200000, 'w') + "\"\r\n";
        f.page->setPath(1, f.writeKeyFile(QStringLiteral("huge.key"), huge));
        QElapsedTimer timer;
        timer.start();
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        QCOMPARE(f.box()->lineWrapMode(), QTextEdit::NoWrap);
        f.box()->viewport()->repaint();
        qInfo("a 200,000-character line compared and shown in %lld ms", timer.elapsed());
        f.compareBoth();
        QCOMPARE(f.box()->lineWrapMode(), QTextEdit::WidgetWidth);
    }

    void proposedNames_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("key file") << "mykeys.key"
                                  << "mykeys comparison";
        QTest::newRow("no file") << "Key file"
                                 << "Key  comparison";
        QTest::newRow("short") << "abc"
                               << "";
        QTest::newRow("four characters") << "a.ke"
                                         << " comparison";
    }

    void proposedNames()
    {
        QFETCH(QString, caption);
        QFETCH(QString, proposal);
        QCOMPARE(gui::proposedComparisonName(caption), proposal);
    }

    void savingChoosesTheFormatByTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("rich");
        QTest::newRow("rtf") << "r.rtf" << true;
        QTest::newRow("upper-case RTF") << "r.RTF" << true;
        QTest::newRow("rtf.txt") << "r.rtf.txt" << false;
        QTest::newRow("txt") << "r.txt" << false;
        QTest::newRow("no extension") << "report" << false;
    }

    void savingChoosesTheFormatByTheName()
    {
        QFETCH(QString, name);
        QFETCH(bool, rich);
        CompareFixture f;
        f.compareBoth();
        const QString target = f.dir.filePath(name);
        f.prompts.answerFile(target);
        f.click(QStringLiteral("Command4_3"));
        const AskedPrompt& dialog = f.prompts.asked.first();
        QCOMPARE(
            dialog.request.filter, QStringLiteral("Coloured text file (*.rtf)|*.rtf|Plain text file (*.txt)|*.txt"));
        QCOMPARE(dialog.request.defaultSuffix, QStringLiteral("rtf"));
        QCOMPARE(dialog.request.title, QStringLiteral("Save file as ..."));
        QCOMPARE(dialog.request.proposedName, QStringLiteral("Key  comparison"));
        const std::string saved = testing::readBytes(target);
        QCOMPARE(saved.rfind("{\\rtf1", 0) == 0, rich);
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
        if (!rich)
            QVERIFY(saved.find("Summary\r\n\r\nNumber of lines: 2   2\r\n") != std::string::npos);
    }

    void userEditsAreSaved()
    {
        CompareFixture f;
        f.compareBoth();
        QTextCursor cursor(f.box()->document());
        cursor.insertText(QString::fromUtf8("My note \xc2\xb0 {x}\n"));
        const QString rtf = f.dir.filePath(QStringLiteral("edited.rtf"));
        const QString txt = f.dir.filePath(QStringLiteral("edited.txt"));
        f.prompts.answerFile(rtf);
        f.click(QStringLiteral("Command4_3"));
        f.prompts.answerFile(txt);
        f.click(QStringLiteral("Command4_3"));
        QVERIFY(testing::readBytes(txt).rfind("My note \xb0 {x}\r\nText in blue relates to: ", 0) == 0);
        const std::string rtfBytes = testing::readBytes(rtf);
        QVERIFY(rtfBytes.find("My note \\u176? \\{x\\}") != std::string::npos);
        QVERIFY(rtfBytes.find("\\red0\\green128\\blue0") != std::string::npos);
        QVERIFY(rtfBytes.find("\\b\\ul ") != std::string::npos);

        const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
        if (unrtf.isEmpty())
            QSKIP("unrtf is not installed");
        QProcess reader;
        reader.start(unrtf, {QStringLiteral("--html"), rtf});
        QVERIFY(reader.waitForFinished(30000));
        const QString html = QString::fromLatin1(reader.readAllStandardOutput());
        QVERIFY(html.contains(QStringLiteral("My note")));
        QVERIFY(html.contains(QStringLiteral("#0000ff"), Qt::CaseInsensitive));
        QVERIFY(html.contains(QStringLiteral("#008000"), Qt::CaseInsensitive));
        QVERIFY(html.contains(QStringLiteral("<b>")) || html.contains(QStringLiteral("font-weight")));
    }

    void spacesOnlyReportIsNotSaved()
    {
        CompareFixture f;
        f.box()->setPlainText(QStringLiteral("   \n  "));
        f.click(QStringLiteral("Command4_3"));
        QVERIFY(f.prompts.asked.isEmpty());
    }

    void overwriteReadOnlyAndFailure_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("overwrite no") << "no";
        QTest::newRow("overwrite yes") << "yes";
        QTest::newRow("read-only") << "readonly";
        QTest::newRow("write fails") << "fails";
    }

    void overwriteReadOnlyAndFailure()
    {
        QFETCH(QString, how);
        CompareFixture f;
        f.compareBoth();
        const QString target = f.writeKeyFile(QStringLiteral("old.txt"), "old");
        f.prompts.answerFile(target);
        f.prompts.answerMessage(how == QLatin1String("no") ? PromptAnswer::No : PromptAnswer::Yes);
        if (how == QLatin1String("readonly")) {
            QFile::setPermissions(target, QFileDevice::ReadOwner);
            f.prompts.answerMessage(PromptAnswer::Ok);
        }
        if (how == QLatin1String("fails")) {
            io::injectWriteFailure(ENOSPC);
            f.prompts.answerMessage(PromptAnswer::Ok);
        }
        f.click(QStringLiteral("Command4_3"));
        QVERIFY(f.prompts.allAnswersUsed());
        QCOMPARE(f.prompts.asked[1].title, QStringLiteral("OK to overwrite exisiting file?"));
        QCOMPARE(
            f.prompts.asked[1].text, QStringLiteral("old.txt already exists. Do you want me to overwrite this file?"));
        const bool written = how == QLatin1String("yes");
        QCOMPARE(testing::readBytes(target) == "old", !written);
        if (how == QLatin1String("readonly"))
            QCOMPARE(f.prompts.asked.last().title, QStringLiteral("Can't save Read Only file"));
        if (how == QLatin1String("fails")) {
            QCOMPARE(f.prompts.asked.last().title, QStringLiteral("This didn't go well!"));
            QCOMPARE(
                f.prompts.asked.last().text, QStringLiteral("There seems to have been a problem saving ") + target);
            QCOMPARE(f.prompts.asked.last().icon, PromptIcon::Information);
            QCOMPARE(f.banner(), QStringLiteral("Saving ..."));
        }
    }

    void viewingTheComparedFiles()
    {
        CompareFixture f;
        f.page->setPath(0, f.file1);
        f.click(QStringLiteral("Command4_4"));
        f.click(QStringLiteral("Command4_5"));
        QCOMPARE(f.desktop.editorFiles, QStringList({f.file1, QString()}));
    }

    // Undo in the report box undoes the user's own edits, never the report itself.
    void undoInTheReportKeepsTheReport()
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
    }
};

QTEST_MAIN(ComparePageTest)
#include "ComparePageTest.moc"
