#include "core/Joystick.h"
#include "core/KeyDocument.h"
#include "core/Settings.h"

#include "TestData.h"

#include <QTest>

using core::JoystickLine;
using core::JoystickSettings;
using core::KeyDocument;

namespace {

JoystickSettings settingsOf(qlonglong magnitude, qlonglong perDevice)
{
    JoystickSettings s;
    s.shiftMagnitude = magnitude;
    s.buttonsPerDevice = perDevice;
    return s;
}

// The line of `document` whose row is `row`.
JoystickLine lineOfRow(const std::vector<JoystickLine>& lines, int row)
{
    for (const JoystickLine& l : lines) {
        if (l.row == row)
            return l;
    }
    return {};
}

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

/** What a DirectX or POV line means: its device, button or hat, layer, action and label, and the listing. */
class JoystickTest : public QObject
{
    Q_OBJECT

private slots:
    void meaning_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<qlonglong>("magnitude");
        QTest::addColumn<qlonglong>("perDevice");
        QTest::addColumn<QString>("shown"); // device|control|layer|action|banner
        const auto row = [](const char* name, const char* line, const char* shown, qlonglong magnitude = 256,
                             qlonglong perDevice = 32) {
            QTest::newRow(name) << QByteArray(line) << magnitude << perDevice << QString::fromLatin1(shown);
        };
        row("button 1", "SimPickle 1 -1 -2 0 0x0 -1", "Device 01|DX2|unshifted|press and release|DX2, Device 01");
        row("second device", "S 33 -1 -2 0 0x0 -1", "Device 02|DX2|unshifted|press and release|DX2, Device 02");
        row("shifted", "S 257 -1 -2 0 0x0 -1", "Device 01|DX2|shifted|press and release|DX2, Device 01, shifted");
        row("release line", "S 1 -2 -2 0x42 0x0 -1", "Device 01|DX2|unshifted|release|DX2, Device 01, release");
        row("release, other invocation", "S 1 -1 -2 0X42 0x0 -1",
            "Device 01|DX2|unshifted|release, press and release|DX2, Device 01, release");
        row("press", "S 0 -2 -2 0 0x0 -1", "Device 01|DX1|unshifted|press|DX1, Device 01");
        row("invocation -4", "S 0 -4 -2 0 0x0 -1", "Device 01|DX1|unshifted|release|DX1, Device 01");
        row("invocation 8", "S 0 8 -2 0 0x0 -1", "Device 01|DX1|unshifted|set in the simulator|DX1, Device 01");
        row("unknown invocation as it is", "S 32 1025 -2 0 0x0 0", "Device 02|DX1|unshifted|1025|DX1, Device 02");
        row("invocation not a number", "S 0 x1 -2 0 0x0 0", "Device 01|DX1|unshifted|x1|DX1, Device 01");
        row("128 a device, release", "SimDeselectOverride 646 -2 -2 0x42 0x0 -1",
            "Device 06|DX7|unshifted|release|DX7, Device 06, release", 896, 128);
        row("128 a device, shifted", "FOVToggle 1541 -1 -2 0 0x0 -1",
            "Device 06|DX6|shifted|press and release|DX6, Device 06, shifted", 896, 128);
        row("beyond the shifted layer", "S 1578 -1 -2 0 0x0 -1", "?|DX number 1578|?|press and release|DX number 1578");
        row("negative", "S -1 -1 -2 0 0x0 -1", "?|DX number -1|?|press and release|DX number -1");
        row("not a number", "S b7 -1 -2 0 0x0 -1", "?|DX number b7|?|press and release|DX number b7");
        row("hat", "OTWViewLeft 0 -1 -3 6 0x0 -1", "POV hats|POV1 Left|unshifted|press and release|POV1 Left");
        row("shifted hat", "S 258 -1 -3 1 0x0 0",
            "POV hats|POV3 Up-Right|shifted|press and release|POV3 Up-Right, shifted");
        row("hat direction unknown", "S 0 -1 -3 9 0x0 0",
            "POV hats|POV1 direction 9|unshifted|press and release|POV1 direction 9");
    }

    void meaning()
    {
        QFETCH(QByteArray, line);
        QFETCH(qlonglong, magnitude);
        QFETCH(qlonglong, perDevice);
        QFETCH(QString, shown);
        const auto document = KeyDocument::fromBytes(line.toStdString());
        const auto settings = settingsOf(magnitude, perDevice);
        const auto lines = core::joystickLines(document, settings);
        QCOMPARE(lines.size(), std::size_t(1));
        const JoystickLine& l = lines[0];
        QCOMPARE(q(l.device + '|' + l.control + '|' + core::layerText(l.place.layer) + '|' + l.action + '|'
                     + core::joystickBannerText(document, 0, settings)),
            shown);
    }

    void labels_data()
    {
        QTest::addColumn<QByteArray>("above");
        QTest::addColumn<QString>("label");
        QTest::newRow("button comment") << QByteArray("# Pickle/S2 (Win DX2 = BMS DX1)")
                                        << "Pickle/S2 (Win DX2 = BMS DX1)";
        QTest::newRow("section title") << QByteArray("#======== Viper TQS ========") << "Viper TQS";
        QTest::newRow("indented") << QByteArray("  ### TMS/H2  ") << "TMS/H2";
        QTest::newRow("commented-out button") << QByteArray("#SimEWSJammerOff 688 -2 -2 0x42 0x0 115 #Removed") << "";
        QTest::newRow("commented-out hat") << QByteArray("# SimDoNothing 2 -1 -3 1 0x0 0") << "";
        QTest::newRow("commented-out key") << QByteArray("#SimA -1 0 0x1E 0 0 0 1 \"A\"") << "";
        QTest::newRow("only hashes") << QByteArray("#####") << "";
        QTest::newRow("a key line") << QByteArray("SimA -1 0 0x1E 0 0 0 1 \"A\"") << "";
    }

    void labels()
    {
        QFETCH(QByteArray, above);
        QFETCH(QString, label);
        const auto document = KeyDocument::fromBytes(above.toStdString() + "\r\n\r\nSimPickle 1 -1 -2 0 0x0 -1\r\n");
        QCOMPARE(q(core::labelAbove(document, 1)), label);
        QCOMPARE(q(core::labelAbove(document, 0)), QString()); // the first line has nothing above it
        QCOMPARE(q(core::joystickLines(document, {}).at(0).label), label);
    }

    // Devices in order, then buttons not placed, then hats; doubles counted; descriptions from the key lines.
    void listing()
    {
        const auto document = KeyDocument::fromBytes("SimPickle -1 0 0X39 0 0 0 1 \"HOTAS: Pickle\"\n"
                                                     "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"Title\"\n"
                                                     "# Hat\n"
                                                     "OTWViewUp 0 -1 -3 0 0x0 0\n"
                                                     "SimFar 999 -1 -2 0 0x0 -1\n"
                                                     "# Pickle\n"
                                                     "SimPickle 1 -1 -2 0 0x0 -1\n"
                                                     "SimOther 1 -1 -2 0 0x0 -1\n"
                                                     "SimUp 1 -2 -2 0x42 0x0 -1\n"
                                                     "SimDoNothing 257 -1 -2 0 0x0 -1\n"
                                                     "SimSecond 32 -1 -2 0 0x0 -1\n");
        const auto lines = core::joystickLines(document, {});
        QCOMPARE(q(core::buttonsText(lines)),
            QStringLiteral("Device 01\tDX2\tunshifted\tpress and release\tSimPickle\tPickle\n"
                           "Device 01\tDX2\tunshifted\tpress and release\tSimOther\t\n"
                           "Device 01\tDX2\tunshifted\trelease\tSimUp\t\n"
                           "Device 01\tDX2\tshifted\tpress and release\tSimDoNothing\t\n"
                           "Device 02\tDX1\tunshifted\tpress and release\tSimSecond\t\n"
                           "?\tDX number 999\t?\tpress and release\tSimFar\t\n"
                           "POV hats\tPOV1 Up\tunshifted\tpress and release\tOTWViewUp\tHat\n"));
        // Bindings of lines 0 to 3, then the line number of the hat.
        QCOMPARE(
            (QList<int>{lines[0].bindings, lines[1].bindings, lines[2].bindings, lines[3].bindings, lines[6].line}),
            (QList<int>{2, 2, 1, 1, 4}));
        QCOMPARE(q(lines[0].description + '|' + lines[3].description), QStringLiteral("HOTAS: Pickle|"));
        // The actions of one button: releases, then invocation 8, then other invocations, whatever the file's order;
        // an invocation that is no number goes with the others, in file order.
        const auto actions
            = core::joystickLines(KeyDocument::fromBytes("SimBad 2 x -2 0 0x0 -1\nSimNine 2 3 -2 0 0x0 -1\n"
                                                         "SimEight 2 8 -2 0 0x0 -1\nSimUp 2 -2 -2 0x42 0x0 -1\n"
                                                         "SimWorse 2 y -2 0 0x0 -1\n"),
                {});
        QStringList order;
        for (const auto& line : actions)
            order << q(line.simName);
        QCOMPARE(order, QStringList({"SimUp", "SimEight", "SimBad", "SimNine", "SimWorse"}));
    }

    void settingsFile_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<qlonglong>("magnitude");
        QTest::addColumn<qlonglong>("perDevice");
        QTest::newRow("no file") << QByteArray() << 256LL << 32LL;
        QTest::newRow("both set") << QByteArray("[joystick]\r\nShiftMagnitude=896\r\nbuttonsperdevice=128\r\n") << 896LL
                                  << 128LL;
        QTest::newRow("zero and too large")
            << QByteArray("[Joystick]\nShiftMagnitude=0\nButtonsPerDevice=5000\n") << 256LL << 32LL;
        QTest::newRow("not numbers") << QByteArray("[Joystick]\nShiftMagnitude=x\nButtonsPerDevice=1.5\n") << 256LL
                                     << 32LL;
    }

    void settingsFile()
    {
        QFETCH(QByteArray, ini);
        QFETCH(qlonglong, magnitude);
        QFETCH(qlonglong, perDevice);
        const std::string text = "[FileLocations]\r\nKeyFilePath=C:\\a.key\r\n" + ini.toStdString();
        const JoystickSettings read = JoystickSettings::fromIni(text);
        QCOMPARE(read, settingsOf(magnitude, perDevice));
        // Writing keeps the other section and reads back.
        const std::string written = settingsOf(1280, 64).writeIni(text);
        QCOMPARE(JoystickSettings::fromIni(written), settingsOf(1280, 64));
        QCOMPARE(core::Settings::readValue(written, "FileLocations", "KeyFilePath", ""), std::string("C:\\a.key"));
    }

    // The real files: 02 from the launcher, 03 the stock Cougar file with its shifted layer, 04 with release lines
    // and 128 buttons a device.
    void corpus_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("lineStart");
        QTest::addColumn<qlonglong>("magnitude");
        QTest::addColumn<qlonglong>("perDevice");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* file, const char* lineStart, const char* shown,
                             qlonglong magnitude = 256, qlonglong perDevice = 32) {
            QTest::newRow(name) << QString::fromLatin1(file) << QString::fromLatin1(lineStart) << magnitude << perDevice
                                << QString::fromLatin1(shown);
        };
        row("02 first button", "02_", "OTWStepPrevPadlock 0 ", "Device 01|DX1|unshifted|press and release|Viper TQS");
        row("02 shifted", "02_", "SimRadarBarScanChange 266 ", "Device 01|DX11|shifted|press and release|");
        row("02 fifth device shifted", "02_", "SimHotasPinkyShift 386 ", "Device 05|DX3|shifted|press and release|");
        row("03 unshifted", "03_", "SimPickle 1 ",
            "Device 01|DX2|unshifted|press and release|Pickle/S2 (Win DX2 = BMS DX1)");
        row("03 shifted", "03_", "RecenterTrackIR 257 ",
            "Device 01|DX2|shifted|press and release|Pickle/S2 (Win DX2 = BMS DX1+256 = BMS DX257)");
        row("04 release", "04_", "SimDeselectOverride 646 ", "Device 06|DX7|unshifted|release|", 896, 128);
        row("04 release, defaults", "04_", "SimSafeMasterArm 662 ", "?|DX number 662|?|release|");
        row("04 shifted with a trailing comment", "04_", "SimMixedRealityCoverToggle 1288 ",
            "Device 04|DX9|shifted|press and release|", 896, 128);
    }

    void corpus()
    {
        QFETCH(QString, file);
        QFETCH(QString, lineStart);
        QFETCH(qlonglong, magnitude);
        QFETCH(qlonglong, perDevice);
        QFETCH(QString, shown);
        const QString path = testing::corpusKeyFile(file);
        if (path.isEmpty())
            QSKIP("no corpus beside the checkout");
        const auto document = KeyDocument::fromBytes(testing::readBytes(path));
        int row = -1;
        for (int r = 0; r < document.rowCount() && row < 0; ++r) {
            if (document.lineText(r).rfind(lineStart.toStdString(), 0) == 0)
                row = r;
        }
        QVERIFY(row >= 0);
        const auto lines = core::joystickLines(document, settingsOf(magnitude, perDevice));
        const JoystickLine l = lineOfRow(lines, row);
        QCOMPARE(l.row, row);
        QCOMPARE(q(l.device + '|' + l.control + '|' + core::layerText(l.place.layer) + '|' + l.action + '|' + l.label),
            shown);
        // No line of these files binds a button twice.
        for (const JoystickLine& each : lines)
            QCOMPARE(each.bindings, 1);
    }
};

QTEST_GUILESS_MAIN(JoystickTest)
#include "JoystickTest.moc"
