#include "WindowFixture.h"

#include "core/CougarMacros.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"
#include "gui/CougarPage.h"
#include "gui/GridView.h"
#include "gui/KeyListModel.h"
#include "gui/StatusHelp.h"
#include "gui/TabControl.h"

#include <QCheckBox>
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
    const auto list = core::SimplifiedList::build(core::KeyDocument::fromBytes(bytes), removeSim);
    return QString::fromStdString(core::fillCougarMacros(list, removeSim))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class CougarAndHelpTest : public QObject
{
    Q_OBJECT

private slots:
    void macroTextIsTheEnginesAndFollowsRemoveSim()
    {
        WindowFixture f;
        f.create();
        f.window->startUp(f.writeKeyFile(QStringLiteral("c.key"), kFile));
        auto* box = f.window->cougarPage()->textBox();
        QCOMPARE(box->toPlainText(), macroText(kFile, false));
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("SimAlpha = CTL a")));
        QCOMPARE(box->palette().color(QPalette::Base), QColor(227, 251, 253));
        QVERIFY(box->font().fixedPitch());
        f.find<gui::TabControl>(QStringLiteral("SSTab1"))->setCurrentIndex(gui::MainWindow::CougarMacrosPage);
        f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->click();
        QCOMPARE(box->toPlainText(), macroText(kFile, true));
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("Alpha = CTL a")));
    }

    void editsStayUntilRefreshWhichFollowsTheListOrder()
    {
        WindowFixture f;
        f.create();
        f.window->startUp(f.writeKeyFile(QStringLiteral("c.key"), kFile));
        auto* box = f.window->cougarPage()->textBox();
        box->setPlainText(QStringLiteral("my own text"));
        auto* tabs = f.find<gui::TabControl>(QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(gui::MainWindow::KeysAssignedPage);
        f.find<gui::GridView>(QStringLiteral("KeyGrid"))->selectBlock(0, 1, 0, 1);
        f.click(QStringLiteral("Command2_1")); // names descending: SimBeta, SimAlpha, OTWGamma
        QCOMPARE(box->toPlainText(), QStringLiteral("my own text"));
        f.find<QPushButton>(QStringLiteral("Command3_2"))->click();
        QCOMPARE(f.desktop.clipboardClears, 1);
        box = f.window->cougarPage()->textBox();
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("SimBeta = USB (DE3 UE3)")));
        QVERIFY(box->toPlainText().contains(QStringLiteral("\nSimAlpha = CTL a")));
    }

    void copyButtons()
    {
        WindowFixture f;
        f.create();
        f.window->startUp(f.writeKeyFile(QStringLiteral("c.key"), kFile));
        auto* box = f.window->cougarPage()->textBox();
        f.desktop.clipboard = QStringLiteral("old");
        f.find<QPushButton>(QStringLiteral("Command3_0"))->click();
        QCOMPARE(f.desktop.clipboard, macroText(kFile, false).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
        // An empty selection leaves the clipboard empty.
        box->moveCursor(QTextCursor::Start);
        f.find<QPushButton>(QStringLiteral("Command3_1"))->click();
        QCOMPARE(f.desktop.clipboard, QString());
        QTextCursor cursor = box->textCursor();
        cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
        box->setTextCursor(cursor);
        f.find<QPushButton>(QStringLiteral("Command3_1"))->click();
        const QStringList lines = macroText(kFile, false).split(QLatin1Char('\n'));
        QCOMPARE(f.desktop.clipboard, lines[0] + QStringLiteral("\r\n") + lines[1] + QStringLiteral("\r\n"));
        QCOMPARE(f.desktop.clipboardClears, 3);
    }

    void everyHelpTextByObjectName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("text");
        QTest::newRow("remove sim") << "CHKRemoveSIM" << 1
                                    << " Select this if you want to remove SIM from the name. Useful for Cougar macros "
                                       "and sorting.";
        QTest::newRow("key file 1") << "Command1_0" << 4 << " Select the two key files you want to compare.";
        QTest::newRow("key file 2") << "Command1_1" << 4 << " Select the two key files you want to compare.";
        QTest::newRow("copy all") << "Command3_0" << 3 << " I reckon you're smart enough to figure out what this does!";
        QTest::newRow("refresh") << "Command3_2" << 3
                                 << " Don't forget to use this if you've made any changes to the order or content of "
                                    "any grid cells.";
        QTest::newRow("open") << "Command4_0" << 0 << " Use this button to select and open up a key file for editing";
        QTest::newRow("save") << "Command4_1" << 0 << " Use this button to save the key file";
        QTest::newRow("view list") << "Command4_2" << 1
                                   << " Use this button to view this data in your default text editor.";
        QTest::newRow("save comparison") << "Command4_3" << 4 << " Use this button to save the comparison text below.";
        QTest::newRow("view 1") << "Command4_4" << 4
                                << " Use this button to view this data in your default text editor.";
        QTest::newRow("compare") << "Command5" << 4
                                 << " Select the two key files you want to compare and press this button. Note "
                                    "comparisons are done on SAVED files only!";
        QTest::newRow("keyboard frame") << "Frame1" << 2
                                        << " I bet you're seeing how quickly you can move your mouse over these keys "
                                           "whilst watching the data for them change!";
        QTest::newRow("sort frame") << "Frame3" << 0
                                    << " Use these buttons to sort the selected columns. Don't worry, row data will be "
                                       "maintained.";
        QTest::newRow("banner") << "Label1" << 0
                                << " You can click on the keys / modifiers columns and display the associated key in "
                                   "here";
        QTest::newRow("caption label") << "Label4_11" << 2 << " Howdy.";
        QTest::newRow("macro caption") << "Label4_10" << 3 << " Howdy.";
        QTest::newRow("legend unassigned, two spaces") << "Label5_0" << 2 << "  Dorvo by name, dorvo by nature!";
        QTest::newRow("legend assigned") << "Label5_1" << 2
                                         << " You'd think I would have made the virtual keyboard a bit bigger wouldn't "
                                            "you?!";
        QTest::newRow("legend red") << "Label5_2" << 2
                                    << " Red indicates that I've detected the same keys allocated to different "
                                       "functions.";
        QTest::newRow("status bar") << "StatusPanel2" << 0
                                    << " I'm the Status Bar. Move your mouse over items and I'll tell you what they "
                                       "do.";
    }

    void everyHelpTextByObjectName()
    {
        QFETCH(QString, name);
        QFETCH(int, page);
        QFETCH(QString, text);
        WindowFixture f;
        f.create();
        f.find<gui::TabControl>(QStringLiteral("SSTab1"))->setCurrentIndex(page);
        QWidget* widget = f.find<QWidget>(name);
        QVERIFY2(widget, qPrintable(name));
        QVERIFY(widget->isVisible());
        QTest::mouseMove(widget, QPoint(3, 3));
        QTest::mouseMove(widget, QPoint(2, 2));
        QCOMPARE(f.panel(1), text);
    }

    void gridsAndTextBoxesShowTheirHelpFromTheirViewport_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("start");
        QTest::newRow("grid") << "GridData" << 0 << " Click on the keys or modifier columns";
        QTest::newRow("list") << "KeyGrid" << 1 << " This is a simplified version of the key file.";
        QTest::newRow("macros") << "RTBCougar" << 3 << " Note you will need to add slash modifiers";
        QTest::newRow("report") << "RTBcompare" << 4 << " You can copy and edit in here before saving";
    }

    void gridsAndTextBoxesShowTheirHelpFromTheirViewport()
    {
        QFETCH(QString, name);
        QFETCH(int, page);
        QFETCH(QString, start);
        WindowFixture f;
        f.create();
        f.find<gui::TabControl>(QStringLiteral("SSTab1"))->setCurrentIndex(page);
        auto* area = f.find<QAbstractScrollArea>(name);
        // Two moves: a pointer that stays where the previous window left it reports no move.
        QTest::mouseMove(area->viewport(), QPoint(30, 30));
        QTest::mouseMove(area->viewport(), QPoint(20, 20));
        QVERIFY2(f.panel(1).startsWith(start), qPrintable(f.panel(1)));
    }

    void panelIsNotRewrittenWhenTheTextIsThere()
    {
        WindowFixture f;
        f.create();
        auto* tabs = f.find<gui::TabControl>(QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(gui::MainWindow::CougarMacrosPage);
        gui::StatusHelp* help = f.window->statusHelp();
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("Command3_0")), QPoint(3, 3));
        const int writes = help->writes();
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("Command3_1")), QPoint(3, 3));
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("Command3_0")), QPoint(5, 5));
        QCOMPARE(help->writes(), writes);
        // A control without help leaves the text in place.
        tabs->setCurrentIndex(gui::MainWindow::SpareKeysPage);
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("ChkModifier_0")), QPoint(3, 3));
        QCOMPARE(f.panel(1), QStringLiteral(" I reckon you're smart enough to figure out what this does!"));
        QCOMPARE(help->writes(), writes);
    }

    void openingReplacesTheHelpText()
    {
        WindowFixture f;
        f.create();
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("Label1")), QPoint(3, 3));
        f.window->openKeyFile(f.writeKeyFile(QStringLiteral("c.key"), kFile));
        QCOMPARE(
            f.panel(1), QStringLiteral(" You can click on the keys / modifiers columns to display the associated key"));
    }
};

QTEST_MAIN(CougarAndHelpTest)
#include "CougarAndHelpTest.moc"
