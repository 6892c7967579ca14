#include "WindowFixture.h"

#include "gui/GridEditing.h"
#include "gui/JoystickModel.h"
#include "gui/JoystickPage.h"

#include <QComboBox>
#include <QMenu>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QUndoStack>

using gui::JoystickModel;
using testing::WindowFixture;

namespace {

const std::string kFile = "SimPickle -1 0 0X39 0 0 0 1 \"HOTAS: Pickle\"\r\n"
                          "SimTrigger -1 0 0XFFFFFFFF 0 0 0 1 \"HOTAS: Trigger\"\r\n"
                          "#======== Stick ========\r\n"
                          "SimTrigger 0 -1 -2 0 0x0 -1\r\n"
                          "# Pickle (Win DX2)\r\n"
                          "SimPickle 1 -1 -2 0 0x0 -1\r\n"
                          "SimOther 1 -1 -2 0 0x0 -1\r\n"
                          "SimUp 1 -2 -2 0x42 0x0 -1\r\n"
                          "SimDoNothing 257 -1 -2 0 0x0 -1\r\n"
                          "SimSecond 32 -1 -2 0 0x0 -1\r\n"
                          "# Hat\r\n"
                          "OTWViewUp 0 -1 -3 0 0x0 0\r\n"
                          "SimA -1 0 0x1E 0 0XFFFFFFFF 0 1 \"Alpha\"\r\n"
                          "SimC -1 0 0x2E 2 0XFFFFFFFF 0 1 \"Gamma\"\r\n"
                          "SimOther -1 0 0x3A 0 0XFFFFFFFF 0 1 \"HOTAS: Pickle\"\r\n"; // shown once beside SimPickle's

struct JoystickFixture : WindowFixture
{
    gui::JoystickPage* page = nullptr;

    JoystickFixture()
    {
        open(kFile, QStringLiteral("j.key"));
        page = window->joystickPage();
        watch(page->model());
        showPage(gui::MainWindow::JoystickPageIndex);
    }

    QStringList table() const { return rows(page->model()); }
    QVariant cell(int row, int column, int role) const { return page->model()->index(row, column).data(role); }
};

} // namespace

/** The joystick page: the table of buttons and hats, its settings, and the key file grid's joystick read-outs. */
class JoystickPageTest : public QObject
{
    Q_OBJECT

private slots:
    void tableShowsButtonsAndHats()
    {
        JoystickFixture f;
        QCOMPARE(f.table(),
            QStringList({"Device 01|DX1|press and release|SimTrigger|HOTAS: Trigger|||Stick",
                "Device 01|DX2|press and release|SimPickle, SimOther|HOTAS: Pickle|SimDoNothing||Pickle (Win DX2)",
                "Device 01|DX2|release|SimUp||||Pickle (Win DX2)", "Device 02|DX1|press and release|SimSecond||||",
                "POV hats|POV1 Up|press and release|OTWViewUp||||Hat"}));
        // The double is red, as on the keyboard; its neighbour in the shifted layer is not.
        QCOMPARE(
            f.cell(1, JoystickModel::UnshiftedColumn, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QVERIFY(!f.cell(1, JoystickModel::ShiftedColumn, Qt::BackgroundRole).isValid());
        // Each line of the cell with the label above it, if any.
        QCOMPARE(f.cell(1, JoystickModel::UnshiftedColumn, Qt::ToolTipRole).toString(),
            QStringLiteral(
                "Bound more than once for this button, layer and invocation.\nLine 6: SimPickle 1 -1 -2 0 0x0 "
                "-1\nPickle (Win DX2)\nLine 7: SimOther 1 -1 -2 0 0x0 -1"));
        QCOMPARE(f.page->summary(),
            QStringLiteral("6 button lines on 2 devices, 1 hat line; 2 lines bind a button twice (red)"));

        // One device at a time.
        f.page->deviceBox()->setCurrentIndex(f.page->deviceBox()->findText("Device 02"));
        emit f.page->deviceBox()->activated(f.page->deviceBox()->currentIndex());
        QCOMPARE(f.table(), QStringList({"Device 02|DX1|press and release|SimSecond||||"}));

        // Double-clicking a function shows its line in the key file grid.
        emit f.page->table()->doubleClicked(f.page->model()->index(0, JoystickModel::UnshiftedColumn));
        QCOMPARE(f.tabs()->currentIndex(), int(gui::MainWindow::KeyFilePageIndex));
        QCOMPARE(f.keyGrid()->anchorIndex().row(), 9);
        QCOMPARE(f.banner(), QStringLiteral("DX1, Device 02"));
    }

    // A big document's lines are read on a worker: the table is empty until they come, a change meanwhile drops
    // them for newer ones, and what asks for the model waits for them.
    // A file opened while the page is hidden: until the page shows again, the table's names and tips come from the
    // file its lines were read from, whose rows they are.
    void tableKeepsTheFileItsLinesCameFrom()
    {
        JoystickFixture f;
        const QStringList before = f.table();
        f.showPage(gui::MainWindow::KeyFilePageIndex);
        QVERIFY(f.session()->open(f.writeKeyFile(QStringLiteral("other.key"), "SimZ 0 -1 -2 0 0x0 -1\r\n")));
        // The table as drawn: asking the page for its model would read the new file's lines first.
        const QAbstractItemModel* shown = f.page->table()->model();
        QCOMPARE(f.rows(shown), before);
        QCOMPARE(shown->index(0, JoystickModel::UnshiftedColumn).data(Qt::ToolTipRole).toString(),
            QStringLiteral("Line 4: SimTrigger 0 -1 -2 0 0x0 -1\nStick"));
        f.showPage(gui::MainWindow::JoystickPageIndex);
        QCOMPARE(f.table(), QStringList({"Device 01|DX1|press and release|SimZ||||"}));
    }

    void tableReadOnAWorker()
    {
        WindowFixture f(kFile);
        gui::JoystickPage* page = f.window->joystickPage();
        page->setBackgroundBytes(0);
        f.showPage(gui::MainWindow::JoystickPageIndex);
        QVERIFY(page->reading());
        QCOMPARE(page->table()->model()->rowCount(), 0);
        QTRY_VERIFY(!page->reading());
        QCOMPARE(page->table()->model()->rowCount(), 5);
        QCOMPARE(page->table()->model()->index(3, JoystickModel::DeviceColumn).data().toString(),
            QStringLiteral("Device 02"));
        // 16 buttons a device while the lines are read: only the newer lines come.
        f.session()->edit({{6, core::CockpitIdColumn, QStringLiteral("2")}}, QStringLiteral("Edit"));
        QVERIFY(page->reading());
        page->buttonsPerDeviceBox()->setValue(16);
        QTRY_VERIFY(!page->reading());
        QTest::qWait(50); // the worker of the lines dropped ends too, and shows nothing
        QCOMPARE(page->table()->model()->index(4, JoystickModel::DeviceColumn).data().toString(),
            QStringLiteral("Device 03"));
        QCOMPARE(page->table()->model()->rowCount(), 6);
        // Asking for the model waits for the lines being read.
        f.session()->undoStack()->undo();
        QVERIFY(page->reading());
        QCOMPARE(page->model()->rowCount(), 5);
        QVERIFY(!page->reading());
    }

    void tableFollowsEditsAndSettings()
    {
        JoystickFixture f;
        // SimOther moves to button 3: the double is gone.
        f.session()->edit({{6, core::CockpitIdColumn, QStringLiteral("2")}}, QStringLiteral("Edit"));
        QCOMPARE(f.table().at(1),
            QStringLiteral("Device 01|DX2|press and release|SimPickle|HOTAS: Pickle|SimDoNothing||Pickle (Win DX2)"));
        QCOMPARE(f.table().at(3), QStringLiteral("Device 01|DX3|press and release|SimOther|HOTAS: Pickle|||"));
        QVERIFY(!f.cell(1, JoystickModel::UnshiftedColumn, Qt::BackgroundRole).isValid());
        f.session()->undoStack()->undo();
        QCOMPARE(f.table().size(), 5);

        // 16 buttons a device: 32 is device 3 (what each setting means is the engine's, checked there).
        f.page->shiftMagnitudeBox()->setValue(128);
        f.page->buttonsPerDeviceBox()->setValue(16);
        QCOMPARE(f.session()->joystickSettings().shiftMagnitude, qint64(128));
        QVERIFY(f.table().contains("Device 03|DX1|press and release|SimSecond||||"));
        QCOMPARE(f.page->deviceBox()->itemText(f.page->deviceBox()->count() - 1), QStringLiteral("POV hats"));

        // The settings are remembered in their own section, and the next window starts with them.
        f.window->close();
        QSettings read(f.settings.path(), QSettings::IniFormat);
        QCOMPARE(read.value("Joystick/ShiftMagnitude").toString(), QStringLiteral("128"));
        QCOMPARE(read.value("Joystick/ButtonsPerDevice").toString(), QStringLiteral("16"));
        QVERIFY(read.contains("FileLocations/KeyFilePath"));
        WindowFixture next;
        next.settings = io::SettingsFile(f.settings.path());
        next.start();
        QCOMPARE(next.window->joystickPage()->shiftMagnitudeBox()->value(), 128);
        QCOMPARE(next.window->joystickPage()->buttonsPerDeviceBox()->value(), 16);
    }

    // A click on a cell of the key file grid names its key or button in the banner.
    void bannerNamesTheClickedCell_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("tip");
        QTest::newRow("button number") << 5 << 2 << QStringLiteral("DX2, Device 01") << "button number";
        QTest::newRow("invocation") << 5 << 3 << QStringLiteral("DX2, Device 01") << "invocation";
        QTest::newRow("release") << 7 << 5 << QStringLiteral("DX2, Device 01, release") << "release";
        QTest::newRow("shifted") << 8 << 7 << QStringLiteral("DX2, Device 01, shifted") << QString();
        QTest::newRow("hat") << 11 << 2 << QStringLiteral("POV1 Up") << "hat";
        QTest::newRow("hat direction") << 11 << 5 << QStringLiteral("POV1 Up") << "direction";
        QTest::newRow("sim name keeps the banner") << 5 << 1 << QStringLiteral("Ready") << QString();
        QTest::newRow("key") << 0 << 4 << QStringLiteral("SPC") << QString();
        QTest::newRow("another key") << 12 << 4 << QStringLiteral("a") << QString();
        QTest::newRow("modifier") << 13 << 5 << QStringLiteral("CTL") << QString();
        QTest::newRow("modifier zero") << 12 << 5 << QString() << QString();
        QTest::newRow("combination key") << 12 << 6 << QStringLiteral("Unassigned") << QString();
    }

    void bannerNamesTheClickedCell()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, banner);
        QFETCH(QString, tip);
        WindowFixture f(kFile, QStringLiteral("j.key"));
        const QModelIndex cell = f.keyGrid()->model()->index(row, column);
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(), tip);
        WindowFixture::clickCell(f.keyGrid(), row, column);
        QCOMPARE(f.banner(), banner);
        // The whole text is in view: a long one wraps in a smaller font.
        const QLabel* label = f.find<QLabel>(QStringLiteral("Label1"));
        const QRect room = label->contentsRect();
        QVERIFY(room.contains(label->fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, banner)));
        // The right button neither moves the current cell nor touches the banner.
        const QPoint other = f.keyGrid()->visualRect(f.keyGrid()->model()->index(13, 4)).center();
        QTest::mousePress(f.keyGrid()->viewport(), Qt::RightButton, {}, other);
        QCOMPARE(f.keyGrid()->currentIndex(), cell);
        QCOMPARE(f.banner(), banner);
        QTest::mouseRelease(f.keyGrid()->viewport(), Qt::RightButton, {}, other);
        f.window->keyFilePage()->editing()->menu()->hide();
    }
};

QTEST_MAIN(JoystickPageTest)
#include "JoystickPageTest.moc"
