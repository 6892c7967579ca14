#include "gui/MainWindow.h"
#include "gui/KeyFileModel.h"

#include "TestData.h"

#include <QAbstractItemModelTester>
#include <QTableView>
#include <QTest>

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void opensTheSampleIntoTheGrid()
    {
        gui::MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("  Tarnwick vs. 1.3"));
        QAbstractItemModelTester tester(window.keyFileModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(window.openKeyFile(testing::samplePath(QStringLiteral("tarnwick-sample.key"))));
        auto* grid = window.findChild<QTableView*>(QStringLiteral("GridData"));
        QVERIFY(grid);
        QCOMPARE(grid->model()->rowCount(), 221);
        QCOMPARE(grid->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Keys"));
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("1"));
        QCOMPARE(grid->model()->index(5, 1).data().toString(), QStringLiteral("SimDoNothing"));
    }

    void editingMarksModifiedAndRefusesComments()
    {
        gui::KeyFileModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDocument(core::KeyDocument::fromBytes("# c\nSimA 1 \"25\xb0\"\n"), io::TextEncoding::Windows1252);
        QCOMPARE(model.cellText(1, 3), QString::fromUtf8("\"25\xc2\xb0\" "));
        QVERIFY(!model.setCellText(0, 1, QStringLiteral("x")));
        QCOMPARE(model.document().savedState(), core::SavedState::Saved);
        QVERIFY(model.setCellText(1, 2, QString::fromUtf8("\xc2\xb0")));
        QCOMPARE(model.document().savedState(), core::SavedState::Modified);
        QCOMPARE(model.document().toBytes(), std::string("# c\nSimA \xb0 \"25\xb0\"\n"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
