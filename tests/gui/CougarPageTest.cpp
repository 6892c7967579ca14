#include "WindowFixture.h"

#include "core/CougarMacros.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"
#include "gui/CougarPage.h"

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
    const auto doc = core::KeyDocument::fromBytes(bytes);
    const auto list = core::SimplifiedList::build(doc, removeSim);
    return QString::fromStdString(core::fillCougarMacros(doc, list.entries(), removeSim))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class CougarPageTest : public QObject
{
    Q_OBJECT

private slots:
    void macroTextIsTheEnginesAndFollowsRemoveSim()
    {
        WindowFixture f;
        f.open(kFile);
        auto* box = f.window->cougarPage()->textBox();
        QCOMPARE(box->toPlainText(), macroText(kFile, false));
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("SimAlpha = CTL a")));
        QCOMPARE(box->palette().color(QPalette::Base), QColor(227, 251, 253));
        QVERIFY(box->font().fixedPitch());
        f.showPage(gui::MainWindow::CougarMacrosPageIndex);
        f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->click();
        QCOMPARE(box->toPlainText(), macroText(kFile, true));
        QVERIFY(box->toPlainText().startsWith(QStringLiteral("Alpha = CTL a")));
    }

    // The text follows edits; a new sort of the list shows on Refresh, which also empties the clipboard.
    void textFollowsEditsAndRefreshFollowsTheListOrder()
    {
        WindowFixture f;
        f.open(kFile);
        f.session()->edit({{0, 5, QStringLiteral("4")}}, QStringLiteral("Edit"));
        auto* box = f.window->cougarPage()->textBox();
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
    }

    void copyButtons()
    {
        WindowFixture f;
        f.open(kFile);
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
};

QTEST_MAIN(CougarPageTest)
#include "CougarPageTest.moc"
