#include "WindowFixture.h"

#include "core/CougarMacros.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"
#include "core/TargetMacros.h"
#include "gui/CougarPage.h"
#include "gui/Desktop.h"
#include "gui/LineView.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using testing::WindowFixture;

namespace {

const char* const kFile = "SimAlpha -1 0 0x1E 2 0XFFFFFFFF 0 1 \"Alpha\"\r\n"
                          "SimBeta -1 0 0xDB 0 0XFFFFFFFF 0 1 \"Beta\"\r\n"
                          "OTWGamma 4 -1 -2 0 0x0 -1\r\n";

QString macroText(const std::string& bytes, bool removeSim)
{
    const auto doc = core::KeyDocument::fromBytes(bytes);
    const auto list = core::SimplifiedList::build(doc, removeSim);
    return QString::fromStdString(core::fillCougarMacros(doc, list.entries(), removeSim));
}

// The TARGET text of every record of `bytes` in file order.
QByteArray targetText(const std::string& bytes, bool removeSim)
{
    const auto doc = core::KeyDocument::fromBytes(bytes);
    const auto list = core::SimplifiedList::build(doc, false);
    std::vector<int> rows;
    for (const auto& entry : list.entries())
        rows.push_back(entry.row);
    return QByteArray::fromStdString(core::fillTargetMacros(doc, rows, removeSim));
}

} // namespace

class CougarPageTest : public QObject
{
    Q_OBJECT

private slots:
    // The text follows edits and the format box; a new sort of the list shows on Refresh, which also empties the
    // clipboard.
    void textFollowsEditsFormatAndListOrder()
    {
        WindowFixture f(kFile);
        f.showPage(gui::MainWindow::CougarMacrosPageIndex);
        auto* box = f.window->cougarPage()->textBox();
        auto* format = f.find<QComboBox>(QStringLiteral("CmbMacroFormat"));
        format->setCurrentIndex(1);
        QCOMPARE(box->toPlainText(),
            QString::fromLatin1(targetText(kFile, false)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label4_10"))->text(),
            QStringLiteral("Copy and paste these into a TARGET macro file."));
        format->setCurrentIndex(0);
        f.session()->edit({{0, 5, QStringLiteral("4")}}, QStringLiteral("Edit"));
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("SimAlpha = ALT a")));
        f.showPage(gui::MainWindow::KeysAssignedPageIndex);
        f.listGrid()->selectBlock(0, 1, 0, 1);
        f.click(QStringLiteral("Command2_1")); // names descending: SimBeta, SimAlpha, OTWGamma
        f.showPage(gui::MainWindow::CougarMacrosPageIndex);
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("SimAlpha")));
        f.find<QPushButton>(QStringLiteral("Command3_2"))->click();
        QCOMPARE(f.desktop.clipboardClears, 1);
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("SimBeta = USB (DE3 UE3)")));
        QVERIFY(box->toPlainText().contains(QStringLiteral("\nSimAlpha = ALT a")));
        // An undo while the page is on screen shows at once.
        f.trigger(QStringLiteral("mnuEditUndo"));
        QVERIFY(box->toPlainText().contains(QStringLiteral("\nSimAlpha = CTL a")));
        // TARGET in the list's order, Remove SIM included; the DirectX line OTWGamma gives no define.
        f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->click();
        format->setCurrentIndex(1);
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("define Beta\tUSB[0xE3]\t\t//Beta\ndefine Alpha\t")));
    }

    // Save as writes the text of the chosen format, with its own line ends, after the questions of every save.
    void saveAs_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("overwrite"); // over a file: the answer to the overwrite question
        QTest::addColumn<bool>("readOnly"); // shown as a text too large to edit
        QTest::addColumn<bool>("worker"); // made on a worker thread, as a big file's text is
        QTest::newRow("Cougar") << 0 << -1 << false << false;
        QTest::newRow("TARGET") << 1 << -1 << false << false;
        QTest::newRow("TARGET over a file, yes") << 1 << int(gui::PromptAnswer::Yes) << false << false;
        QTest::newRow("over a file, no") << 0 << int(gui::PromptAnswer::No) << false << false;
        QTest::newRow("Cougar, read-only") << 0 << -1 << true << false;
        QTest::newRow("TARGET, read-only") << 1 << -1 << true << false;
        QTest::newRow("Cougar, on a worker") << 0 << -1 << false << true;
        QTest::newRow("TARGET, read-only, on a worker") << 1 << -1 << true << true;
        QTest::newRow("Cougar, read-only, on a worker") << 0 << -1 << true << true;
    }

    void saveAs()
    {
        QFETCH(int, format);
        QFETCH(int, overwrite);
        QFETCH(bool, readOnly);
        QFETCH(bool, worker);
        WindowFixture f(kFile);
        f.window->cougarPage()->setEditableBytes(readOnly ? 10 : gui::EditableTextBytes);
        f.window->cougarPage()->setBackgroundBytes(worker ? 0 : std::size_t(-1));
        f.find<QComboBox>(QStringLiteral("CmbMacroFormat"))->setCurrentIndex(format);
        const QString target = f.dir.filePath(format == 1 ? QStringLiteral("m.ttm") : QStringLiteral("m.tmm"));
        f.prompts.answerFile(target);
        if (overwrite >= 0) {
            testing::writeBytes(target, "old");
            f.prompts.answerMessage(gui::PromptAnswer(overwrite));
        }
        f.find<QPushButton>(QStringLiteral("Command3_3"))->click();
        const auto& request = f.prompts.asked.first().request;
        QCOMPARE(request.defaultSuffix, format == 1 ? QStringLiteral("ttm") : QStringLiteral("tmm"));
        QCOMPARE(request.proposedName, QStringLiteral("k"));
        const QByteArray expected = format == 1 ? targetText(kFile, false) : macroText(kFile, false).toLatin1();
        QCOMPARE(QByteArray::fromStdString(testing::readBytes(target)),
            overwrite == int(gui::PromptAnswer::No) ? "old" : expected);
        QCOMPARE(f.window->cougarPage()->textReadOnly(), readOnly);
    }

    // The system clipboard makes a late text when it is asked for it, each time, and reads its bytes as UTF-8.
    void systemClipboardMakesTheTextWhenAsked()
    {
        int made = 0;
        gui::SystemDesktop desktop;
        desktop.setClipboardUtf8([&made] {
            ++made;
            return QByteArray("SimA = ALT \xc3\xa9\r\n");
        });
        QCOMPARE(made, 0);
        QVERIFY(QApplication::clipboard()->mimeData()->hasText());
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("SimA = ALT \xc3\xa9\r\n"));
        const int once = made;
        QVERIFY(once >= 1);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("SimA = ALT \xc3\xa9\r\n"));
        QVERIFY(made > once);
        desktop.clearClipboard();
    }

    // A big document's text is made on a worker: the page shows it when it is done, and a change meanwhile drops
    // it for a text of the changed document.
    void textMadeOnAWorker()
    {
        WindowFixture f(kFile);
        gui::CougarPage* page = f.window->cougarPage();
        page->setBackgroundBytes(0);
        f.showPage(gui::MainWindow::CougarMacrosPageIndex);
        QVERIFY(page->making());
        QTRY_VERIFY(!page->making());
        QCOMPARE(page->textBox()->toPlainText(), QString(macroText(kFile, false)).replace("\r\n", "\n"));
        f.session()->edit({{0, 5, QStringLiteral("4")}}, QStringLiteral("Edit"));
        QVERIFY(page->making());
        f.trigger(QStringLiteral("mnuEditUndo"));
        f.trigger(QStringLiteral("mnuEditRedo"));
        QTRY_VERIFY(!page->making());
        QTest::qWait(50); // the workers of the texts dropped end too, and show nothing
        QVERIFY(page->textBox()->toPlainText().startsWith(QStringLiteral("SimAlpha = ALT a")));
        // Copy all waits for the text being made.
        f.session()->edit({{0, 5, QStringLiteral("2")}}, QStringLiteral("Edit")); // back as the file has it
        QVERIFY(page->making());
        f.find<QPushButton>(QStringLiteral("Command3_0"))->click();
        QVERIFY(!page->making());
        QCOMPARE(f.desktop.paste(), macroText(kFile, false));
    }

    // A text still going into the box by steps stops there when a newer one is made on a worker.
    void newerTextStopsTheFill()
    {
        std::string lines;
        for (int i = 0; i < 1200; ++i)
            lines += "SimF" + std::to_string(i) + " -1 0 0x1E 0 0XFFFFFFFF 0 1 \"F\"\r\n";
        WindowFixture f(lines);
        gui::CougarPage* page = f.window->cougarPage();
        f.showPage(gui::MainWindow::CougarMacrosPageIndex);
        QVERIFY(page->filling());
        page->setBackgroundBytes(0);
        f.session()->edit({{0, 5, QStringLiteral("1")}}, QStringLiteral("Edit"));
        QVERIFY(page->making());
        QVERIFY(!page->filling());
        QTRY_VERIFY(!page->making());
        const QString text = page->textBox()->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("SimF0 = SHF a")));
        QCOMPARE(text.count(QLatin1Char('\n')), 1200);
    }

    // The engine's text in a fixed font on the page's colour, Remove SIM included; the copy buttons, and selecting and
    // copying in the read-only view of a text too large to edit.
    void macroTextAndCopyButtons_data()
    {
        testing::addRows("shown", {"in the box", "read-only", "read-only, made a line at a time"});
    }

    void macroTextAndCopyButtons()
    {
        QFETCH(QString, shown);
        const bool readOnly = shown.startsWith(QLatin1String("read-only"));
        const bool lineByLine = shown.endsWith(QLatin1String("a line at a time"));
        WindowFixture f(kFile);
        gui::CougarPage* page = f.window->cougarPage();
        page->setEditableBytes(readOnly ? 10 : gui::EditableTextBytes);
        // A big document's text too large for the box: made on a worker, only its rows kept.
        page->setBackgroundBytes(lineByLine ? 0 : std::size_t(-1));
        page->setCopyPieceBytes(1); // Copy all of a text made a line at a time: a piece a line
        page->fillCougarMacros();
        auto* box = page->textBox();
        gui::LineView* lines = page->textLines();
        QCOMPARE(lines->lines().runs().empty(), !readOnly || lineByLine);
        QWidget* shownWidget = readOnly ? static_cast<QWidget*>(lines) : box;
        QCOMPARE(page->textReadOnly(), readOnly);
        QCOMPARE(box->toPlainText().isEmpty(), readOnly);
        QCOMPARE(shownWidget->palette().color(QPalette::Base), QColor(227, 251, 253));
        QVERIFY(shownWidget->font().fixedPitch());
        f.desktop.clipboard = QStringLiteral("old");
        f.find<QPushButton>(QStringLiteral("Command3_0"))->click();
        QCOMPARE(f.desktop.paste(), macroText(kFile, false));
        // A paste after an edit gets what was copied.
        f.session()->edit({{0, 5, QStringLiteral("4")}}, QStringLiteral("Edit"));
        page->fillCougarMacros();
        QCOMPARE(f.desktop.paste(), macroText(kFile, false));
        f.trigger(QStringLiteral("mnuEditUndo"));
        page->fillCougarMacros();
        // An empty selection leaves the clipboard empty.
        f.find<QPushButton>(QStringLiteral("Command3_1"))->click();
        QCOMPARE(f.desktop.paste(), QString());
        // Two lines selected with Shift+Down from the start.
        shownWidget->setFocus();
        QTest::keyClick(shownWidget, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(shownWidget, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(shownWidget, Qt::Key_Down, Qt::ShiftModifier);
        f.find<QPushButton>(QStringLiteral("Command3_1"))->click();
        const QStringList macroLines = macroText(kFile, false).split(QStringLiteral("\r\n"));
        QCOMPARE(f.desktop.paste(), macroLines[0] + QStringLiteral("\r\n") + macroLines[1] + QStringLiteral("\r\n"));
        QCOMPARE(f.desktop.clipboardClears, 3);
        if (readOnly) {
            // The mouse: a click on the second line's start, Shift+click on the third's; a double click takes a word;
            // Ctrl+A and Ctrl+C copy all with LF line ends. Typing changes nothing.
            const int height = lines->fontMetrics().lineSpacing();
            QTest::mouseClick(lines->viewport(), Qt::LeftButton, {}, QPoint(2, height + height / 2));
            QTest::mouseClick(lines->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(2, 2 * height + height / 2));
            QCOMPARE(lines->selectedText(), macroLines[1] + QLatin1Char('\n'));
            QTest::mouseDClick(lines->viewport(), Qt::LeftButton, {}, QPoint(8, height / 2));
            QCOMPARE(lines->selectedText(), macroLines[0].section(QLatin1Char(' '), 0, 0));
            QTest::keyClicks(lines, QStringLiteral("x"));
            QTest::keyClick(lines, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(lines, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(),
                macroText(kFile, false).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            QCOMPARE(lines->lines().lineCount(), std::size_t(macroLines.size()));
            // In the list's order once it is sorted: names descending, SimBeta, SimAlpha, OTWGamma.
            f.showPage(gui::MainWindow::KeysAssignedPageIndex);
            f.listGrid()->selectBlock(0, 1, 0, 1);
            f.click(QStringLiteral("Command2_1"));
            f.showPage(gui::MainWindow::CougarMacrosPageIndex);
            page->fillCougarMacros();
            f.find<QPushButton>(QStringLiteral("Command3_0"))->click();
            QCOMPARE(f.desktop.paste(),
                QStringList({macroLines[1], macroLines[0], macroLines[2], QString()}).join(QStringLiteral("\r\n")));
            return;
        }
        f.showPage(gui::MainWindow::CougarMacrosPageIndex);
        f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->click();
        QCOMPARE(box->toPlainText(), macroText(kFile, true).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
};

QTEST_MAIN(CougarPageTest)
#include "CougarPageTest.moc"
