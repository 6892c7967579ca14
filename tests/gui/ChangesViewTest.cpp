#include "WindowFixture.h"

#include "gui/ChangesModel.h"
#include "gui/ChangesView.h"
#include "gui/ComparePage.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>

using core::ChangeKind;
using testing::WindowFixture;

namespace {

// File 1 is Windows-1252 ("\xb0" is a degree sign), file 2 UTF-8.
const std::string kFile1 = "# mine\r\n"
                           "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"==== 1.01  VIEWS ====\"\r\n"
                           "SimA -1 0 0x1E 0 0 0 1 \"Alpha\"\r\n"
                           "SimB -1 0 0x30 0 0 0 1 \"10\xb0 up\"\r\n"
                           "SimC -1 0 0x2E 0 0 0 1 \"Gamma\"\r\n"
                           "SimE -1 0 0x12 0 0 0 1 \"Echo\"\r\n";
const std::string kFile2 = "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"==== 1.01  VIEWS ====\"\r\n"
                           "SimA -1 0 0x1E 2 0 0 1 \"Alpha\"\r\n"
                           "SimB -1 0 0x30 0 0 0 1 \"20\xc2\xb0 up\"\r\n"
                           "SimE -1 0 0x12 0 0 0 1 \"Echo\"\r\n"
                           "SimD -1 0 0x20 0 0 0 1 \"Delta\"\r\n";

struct ChangesFixture : WindowFixture
{
    gui::ComparePage* page = nullptr;
    gui::ChangesView* view = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;

    ChangesFixture()
    {
        create();
        page = window->comparePage();
        view = page->changesView();
        tester = std::make_unique<QAbstractItemModelTester>(
            view->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        showPage(gui::MainWindow::CompareFilesPageIndex);
        page->setPath(0, writeKeyFile(QStringLiteral("one.key"), kFile1));
        page->setPath(1, writeKeyFile(QStringLiteral("two.key"), kFile2));
        find<QPushButton>(QStringLiteral("Command5"))->click();
        page->showChanges(true);
    }

    // Each row as its cells joined by "|".
    QStringList rows() const
    {
        QStringList lines;
        const QAbstractItemModel* model = view->table()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            lines << cells.join(QLatin1Char('|'));
        }
        return lines;
    }
};

} // namespace

/** The "Changes" view beside the comparison report: its rows, filters, counts and saving. */
class ChangesViewTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndCounts()
    {
        ChangesFixture f;
        QCOMPARE(f.rows(),
            QStringList({QString::fromUtf8("Rebound|SimA|a|CTL a|1.01 VIEWS|3|2|Alpha"),
                QString::fromUtf8(
                    "Description changed|SimB|b|b|1.01 VIEWS|4|3|10\xc2\xb0 up \xe2\x86\x92 20\xc2\xb0 up"),
                QStringLiteral("Removed|SimC|c||1.01 VIEWS|5||Gamma"),
                QStringLiteral("Added|SimD||d|1.01 VIEWS||5|Delta")}));
        QCOMPARE(
            f.view->countsText(), QStringLiteral("1 added, 1 removed, 1 rebound, 1 description, 0 moved; 1 unchanged"));
        const QAbstractItemModel* model = f.view->model();
        QCOMPARE(model->index(2, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
        QCOMPARE(model->index(3, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        // The report of today is there beside it, unchanged.
        f.page->showChanges(false);
        QVERIFY(f.page->reportBox()->toPlainText().contains(QStringLiteral("Number of sim functions: 5   5")));
    }

    void filters_data()
    {
        QTest::addColumn<QList<int>>("toggled"); // kinds whose box is clicked
        QTest::addColumn<QStringList>("names");
        QTest::newRow("as it starts") << QList<int>() << QStringList({"SimA", "SimB", "SimC", "SimD"});
        QTest::newRow("no added, no removed")
            << QList<int>{int(ChangeKind::Added), int(ChangeKind::Removed)} << QStringList({"SimA", "SimB"});
        QTest::newRow("unchanged too") << QList<int>{int(ChangeKind::Unchanged)}
                                       << QStringList({"SimA", "SimB", "SimC", "SimE", "SimD"});
        QTest::newRow("only descriptions") << QList<int>{int(ChangeKind::Added), int(ChangeKind::Removed),
            int(ChangeKind::Rebound), int(ChangeKind::Moved)}
                                           << QStringList({"SimB"});
    }

    void filters()
    {
        QFETCH(QList<int>, toggled);
        QFETCH(QStringList, names);
        ChangesFixture f;
        for (const int kind : toggled)
            f.view->kindBox(static_cast<ChangeKind>(kind))->click();
        QStringList shown;
        for (const QString& row : f.rows())
            shown << row.section(QLatin1Char('|'), 1, 1);
        QCOMPARE(shown, names);
    }

    void savingTheView_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("rich");
        QTest::newRow("rtf") << "c.rtf" << true;
        QTest::newRow("text") << "c.txt" << false;
    }

    void savingTheView()
    {
        QFETCH(QString, name);
        QFETCH(bool, rich);
        ChangesFixture f;
        f.view->kindBox(ChangeKind::Added)->click();
        const QString target = f.dir.filePath(name);
        f.prompts.answerFile(target);
        f.click(QStringLiteral("Command4_3"));
        QCOMPARE(f.prompts.asked.first().request.proposedName, QStringLiteral("Key  changes"));
        const std::string saved = testing::readBytes(target);
        QCOMPARE(saved.rfind("{\\rtf1", 0) == 0, rich);
        const std::string lineEnd = rich ? "\\par\n" : "\r\n";
        const std::string removed = "Removed  SimC  c  (line 5 of key file 1)";
        QVERIFY2(
            saved.find("1 added, 1 removed, 1 rebound, 1 description, 0 moved") != std::string::npos, saved.c_str());
        QVERIFY(saved.find("Rebound  SimA  a -> CTL a  (lines 3 / 2)") != std::string::npos);
        QVERIFY(saved.find(removed) != std::string::npos);
        QVERIFY(saved.find("SimD") == std::string::npos);
        // Each file's own characters: the degree sign of both files, whatever their encoding.
        if (rich)
            QVERIFY(saved.find("\"10\\u176? up\" -> \"20\\u176? up\"") != std::string::npos);
        else
            QVERIFY(saved.find("\"10\xb0 up\" -> \"20\xc2\xb0 up\"") != std::string::npos);
    }

    // The changes are worked out when shown, from the files the report compared; a file changed since says so.
    void changesFollowTheLastComparison()
    {
        ChangesFixture f;
        f.page->showChanges(false);
        f.find<QPushButton>(QStringLiteral("Command5"))->click();
        f.writeKeyFile(QStringLiteral("two.key"), kFile1);
        QCOMPARE(f.rows().size(), 4);
        f.page->showChanges(true);
        QCOMPARE(f.rows(), QStringList());
        QCOMPARE(f.view->countsText(),
            QStringLiteral("Key file 2 has changed since the report was made; Compare again to see both as they are "
                           "now. 0 added, 0 removed, 0 rebound, 0 descriptions, 0 moved; 4 unchanged"));
    }

    void nothingToSaveBeforeAComparison()
    {
        WindowFixture f;
        f.create();
        f.window->comparePage()->showChanges(true);
        f.click(QStringLiteral("Command4_3"));
        QVERIFY(f.prompts.asked.isEmpty());
    }
};

QTEST_MAIN(ChangesViewTest)
#include "ChangesViewTest.moc"
