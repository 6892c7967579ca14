#include "WindowFixture.h"

#include "gui/GridView.h"
#include "gui/KeyFileModel.h"
#include "gui/Twips.h"
#include "gui/WidgetPrompts.h"

#include <QAbstractItemModelTester>
#include <QTest>

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void opensTheSampleIntoTheGrid()
    {
        testing::WindowFixture f;
        f.create();
        QCOMPARE(f.window->windowTitle(), QStringLiteral("  Tarnwick vs. 1.3"));
        QAbstractItemModelTester tester(
            f.window->keyFileModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(f.window->openKeyFile(testing::samplePath(QStringLiteral("tarnwick-sample.key"))));
        auto* grid = f.find<gui::GridView>(QStringLiteral("GridData"));
        QCOMPARE(grid->model()->rowCount(), 221);
        QCOMPARE(grid->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Keys"));
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("1"));
        QCOMPARE(grid->model()->index(5, 1).data().toString(), QStringLiteral("SimDoNothing"));
        // Comment rows show their whole line across the row.
        QCOMPARE(grid->columnSpan(0, 1), 9);
        QCOMPARE(grid->columnSpan(5, 1), 1);
        QCOMPARE(grid->columnWidth(1), gui::px(3540));
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
        model.sortRows(1, 1, core::SortOrder::Descending);
        QCOMPARE(model.cellText(0, 1), QStringLiteral("SimA"));
    }

    void dialogFiltersBecomeQtNameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("key files") << "Falcon .key files (*.key)|*.key|All files (*.*) |*.*"
                                   << QStringList{"Falcon .key files (*.key)", "All files (*.*)"};
        QTest::newRow("report") << "Coloured text file (*.rtf)|*.rtf|Plain text file (*.txt)|*.txt"
                                << QStringList{"Coloured text file (*.rtf)", "Plain text file (*.txt)"};
        QTest::newRow("caption without pattern") << "Keys|*.key" << QStringList{"Keys (*.key)"};
    }

    void dialogFiltersBecomeQtNameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        QCOMPARE(gui::WidgetPrompts::qtFilters(filter), names);
    }

    void utf8FileIsShownAndWrittenAsUtf8()
    {
        gui::KeyFileModel model;
        const std::string bytes = "\xEF\xBB\xBFSimA 1 \"25\xc2\xb0\"\r\n";
        model.setDocument(core::KeyDocument::fromBytes(bytes), io::detectEncoding(bytes));
        QCOMPARE(model.cellText(0, 3), QString::fromUtf8("\"25\xc2\xb0\" "));
        QVERIFY(model.setCellText(0, 2, QString::fromUtf8("\xc2\xb0")));
        QCOMPARE(model.document().toBytes(), std::string("\xEF\xBB\xBFSimA \xc2\xb0 \"25\xc2\xb0\"\r\n"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
