#include "core/CougarMacros.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"

#include "TestData.h"

#include <QTest>

using core::SimplifiedEntry;

namespace {

// A macro line whose remark stands at the 51st character: `start` filled with spaces to 50, then the remark.
QByteArray remarked(const QByteArray& start, const QByteArray& description)
{
    QByteArray line = start;
    while (line.size() < 50)
        line += ' ';
    return line + " Rem " + description + ' ';
}

SimplifiedEntry entry(const QByteArray& simName, const QByteArray& keys, const QByteArray& description)
{
    SimplifiedEntry e;
    e.simName = simName.toStdString();
    e.keys = keys.toStdString();
    e.description = description.toStdString();
    return e;
}

} // namespace

class CougarMacrosTest : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleCharacterByCharacter()
    {
        const auto line = core::cougarMacroLine(entry("SimAlpha", "CTL a", "\"Alpha\""), false);
        QVERIFY(line.has_value());
        // "SimAlpha = CTL a " is 17 characters; 33 spaces fill it to 50, then the remark follows.
        const std::string expected = "SimAlpha = CTL a " + std::string(33, ' ') + " Rem \"Alpha\" ";
        QCOMPARE(*line, expected);
        QCOMPARE(line->size(), std::size_t(63));
        QCOMPARE(line->find("Rem"), std::size_t(51)); // the 52nd character
        QCOMPARE(line->substr(0, 11), std::string("SimAlpha = "));
    }

    void rules_data()
    {
        QTest::addColumn<QByteArray>("simName");
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QByteArray>("description");
        QTest::addColumn<bool>("removeSim");
        QTest::addColumn<bool>("hasLine");
        QTest::addColumn<QByteArray>("line");

        const QByteArray d = "\"Desc\"";
        // Windows keys: alone they become USB codes; combined they stay and the line is commented out.
        QTest::newRow("WinL alone") << QByteArray("SimA") << QByteArray("WinL") << d << false << true
                                    << remarked("SimA = USB (DE3 UE3) ", d);
        QTest::newRow("WinR alone") << QByteArray("SimA") << QByteArray("WinR") << d << false << true
                                    << remarked("SimA = USB (DE7 UE7) ", d);
        QTest::newRow("Apps alone") << QByteArray("SimA") << QByteArray("Apps") << d << false << true
                                    << remarked("SimA = USB (D65 U65) ", d);
        QTest::newRow("WinL with a modifier") << QByteArray("SimA") << QByteArray("SHF WinL") << d << false << true
                                              << remarked("Rem SimA = SHF WinL ", d);
        QTest::newRow("WinL as combination key")
            << QByteArray("SimA") << QByteArray("WinL  a") << d << false << true << remarked("Rem SimA = WinL  a ", d);
        QTest::newRow("two Windows keys combined")
            << QByteArray("SimA") << QByteArray("ALT WinR  CTL Apps") << d << false << true
            << remarked("Rem Rem SimA = ALT WinR  CTL Apps ", d);
        // Unassigned becomes "^", and "^" comments the line out.
        QTest::newRow("Unassigned") << QByteArray("SimA") << QByteArray("Unassigned") << d << false << true
                                    << remarked("Rem SimA = ^ ", d);
        QTest::newRow("Unassigned with a modifier") << QByteArray("SimA") << QByteArray("SHF Unassigned") << d << false
                                                    << true << remarked("Rem SimA = SHF Unassigned ", d);
        QTest::newRow("caret in the name counts twice")
            << QByteArray("Sim^A") << QByteArray("a") << d << false << true << remarked("Rem Rem Sim^A = a ", d);
        QTest::newRow("caret in the name and Unassigned") << QByteArray("Sim^A") << QByteArray("Unassigned") << d
                                                          << false << true << remarked("Rem Rem Sim^A = ^ ", d);
        QTest::newRow("caret in the keys")
            << QByteArray("SimA") << QByteArray("SHF ^") << d << false << true << remarked("Rem SimA = SHF ^ ", d);
        // DirectX buttons of device 01 up to 28 are kept, without ", Device 01"; all others give no line.
        QTest::newRow("DX1 device 01") << QByteArray("SimA") << QByteArray("DX1, Device 01") << d << false << true
                                       << remarked("SimA = DX1", d);
        QTest::newRow("DX9 device 01") << QByteArray("SimA") << QByteArray("DX9, Device 01") << d << false << true
                                       << remarked("SimA = DX9", d);
        QTest::newRow("DX10 device 01") << QByteArray("SimA") << QByteArray("DX10, Device 01") << d << false << true
                                        << remarked("SimA = DX10", d);
        QTest::newRow("DX28 device 01") << QByteArray("SimA") << QByteArray("DX28, Device 01") << d << false << true
                                        << remarked("SimA = DX28", d);
        QTest::newRow("DX29 device 01") << QByteArray("SimA") << QByteArray("DX29, Device 01") << d << false << false
                                        << QByteArray();
        QTest::newRow("DX32 device 01") << QByteArray("SimA") << QByteArray("DX32, Device 01") << d << false << false
                                        << QByteArray();
        QTest::newRow("DX with empty description") << QByteArray("SimA") << QByteArray("DX5, Device 01") << QByteArray()
                                                   << false << true << QByteArray("SimA = DX5");
        QTest::newRow("DX with a long name is not padded")
            << QByteArray("SimAVeryLongFunctionNameThatFillsTheColumnWhole") << QByteArray("DX7, Device 01") << d
            << false << true << QByteArray("SimAVeryLongFunctionNameThatFillsTheColumnWhole = DX7 Rem \"Desc\" ");
        QTest::newRow("DX3 device 02") << QByteArray("SimA") << QByteArray("DX3, Device 02") << d << false << false
                                       << QByteArray();
        QTest::newRow("DX1 device 13") << QByteArray("SimA") << QByteArray("DX1, Device 13") << d << false << false
                                       << QByteArray();
        // Filling to 50 characters: below, at and beyond.
        QTest::newRow("49 characters get one space") << QByteArray(44, 'N') << QByteArray("a") << d << false << true
                                                     << QByteArray(QByteArray(44, 'N') + " = a   Rem \"Desc\" ");
        QTest::newRow("50 characters get none") << QByteArray(45, 'N') << QByteArray("a") << d << false << true
                                                << QByteArray(QByteArray(45, 'N') + " = a  Rem \"Desc\" ");
        QTest::newRow("beyond 50 characters") << QByteArray(60, 'N') << QByteArray("a") << d << false << true
                                              << QByteArray(QByteArray(60, 'N') + " = a  Rem \"Desc\" ");
        QTest::newRow("empty description") << QByteArray("SimA") << QByteArray("a") << QByteArray() << false << true
                                           << remarked("SimA = a ", QByteArray());
        QTest::newRow("empty keys text") << QByteArray("SimA") << QByteArray() << d << false << true
                                         << remarked("SimA =  ", d);
        // A line that begins with a backslash is dropped; one that "Rem " comes before is not.
        QTest::newRow("backslash line") << QByteArray("\\SimA") << QByteArray("a") << d << false << false
                                        << QByteArray();
        QTest::newRow("backslash line behind Rem")
            << QByteArray("\\SimA") << QByteArray("Unassigned") << d << false << true << remarked("Rem \\SimA = ^ ", d);
        QTest::newRow("backslash key name")
            << QByteArray("SimA") << QByteArray("CTL \\") << d << false << true << remarked("SimA = CTL \\ ", d);
        // Remove SIM works on the name with " = " behind it.
        QTest::newRow("remove SIM") << QByteArray("SimAlpha") << QByteArray("CTL a") << d << true << true
                                    << remarked("Alpha = CTL a ", d);
        QTest::newRow("remove SIM any case")
            << QByteArray("sIMAlpha") << QByteArray("a") << d << true << true << remarked("Alpha = a ", d);
        QTest::newRow("remove SIM from exactly Sim")
            << QByteArray("Sim") << QByteArray("a") << d << true << true << remarked(" = a ", d);
        QTest::newRow("exactly Sim kept without remove SIM")
            << QByteArray("Sim") << QByteArray("a") << d << false << true << remarked("Sim = a ", d);
        QTest::newRow("remove SIM leaves other names")
            << QByteArray("OTWViewUp") << QByteArray("a") << d << true << true << remarked("OTWViewUp = a ", d);
        QTest::newRow("remove SIM from a two-letter name")
            << QByteArray("Si") << QByteArray("a") << d << true << true << remarked("Si = a ", d);
        QTest::newRow("remove SIM then Rem")
            << QByteArray("SimA") << QByteArray("Unassigned") << d << true << true << remarked("Rem A = ^ ", d);
        // Bytes pass through unchanged.
        QTest::newRow("8-bit description") << QByteArray("SimA") << QByteArray("a") << QByteArray("\"10\xb0\"") << false
                                           << true << remarked("SimA = a ", QByteArray("\"10\xb0\""));
    }

    void rules()
    {
        QFETCH(QByteArray, simName);
        QFETCH(QByteArray, keys);
        QFETCH(QByteArray, description);
        QFETCH(bool, removeSim);
        QFETCH(bool, hasLine);
        QFETCH(QByteArray, line);
        const auto result = core::cougarMacroLine(entry(simName, keys, description), removeSim);
        QCOMPARE(result.has_value(), hasLine);
        if (hasLine)
            QCOMPARE(QByteArray::fromStdString(*result), line);
    }

    void povLinesAreLeftOut()
    {
        SimplifiedEntry pov = entry("OTWViewLeft", "POV1 Left", "\"Look left\"");
        pov.pov = true;
        QVERIFY(!core::cougarMacroLine(pov, false).has_value());
        // The flag decides, not the text.
        QVERIFY(core::cougarMacroLine(entry("SimPOV", "POV1 Left", "\"x\""), false).has_value());

        const auto doc = core::KeyDocument::fromBytes("OTWViewLeft 0 -1 -3 6 0x0 -1\nSimA -1 0 0x1E 0 0 0 1 \"a\"\n");
        const auto list = core::SimplifiedList::build(doc, false);
        QVERIFY(list.entries()[0].pov);
        QVERIFY(!list.entries()[1].pov);
        QCOMPARE(core::fillCougarMacros(list, false), remarked("SimA = a ", "\"a\" ").toStdString() + "\r\n");
    }

    void textFollowsTheListInItsOrder()
    {
        const auto doc = core::KeyDocument::fromBytes("# comment\r\n"
                                                      "SimB -1 0 0x30 0 0 0 1 \"b\"\r\n"
                                                      "SimBtn 40 -1 -2 0 0x0 -1\r\n"
                                                      "SimA -1 0 0x1E 2 0 0 1 \"a\"\r\n"
                                                      "SimDX 4 -1 -2 0 0x0 -1\r\n");
        auto list = core::SimplifiedList::build(doc, false);
        const std::string lineB = remarked("SimB = b ", "\"b\" ").toStdString();
        const std::string lineA = remarked("SimA = CTL a ", "\"a\" ").toStdString();
        // A DirectX line without a description has no remark; button 41 is on device 02 and gives no line.
        QCOMPARE(core::fillCougarMacros(list, false), lineB + "\r\n" + lineA + "\r\nSimDX = DX5\r\n");
        list.sortRows(1, 1, core::SortOrder::Ascending);
        QCOMPARE(core::fillCougarMacros(list, false), lineA + "\r\n" + lineB + "\r\nSimDX = DX5\r\n");
        QCOMPARE(core::fillCougarMacros(core::SimplifiedList(), false), std::string());
    }

    void removeSimStripsTheListedNameAgain()
    {
        // The list strips "Sim" from "SimSimX", and the macro strips the "Sim" of what is left.
        const auto doc = core::KeyDocument::fromBytes("SimSimX -1 0 0x1E 0 0 0 1 \"x\"\nSim -1 0 0x30 0 0 0 1 \"y\"\n");
        const auto list = core::SimplifiedList::build(doc, true);
        QCOMPARE(list.entries()[0].simName, std::string("SimX"));
        QCOMPARE(list.entries()[1].simName, std::string("Sim"));
        const std::string expected
            = remarked("X = a ", "\"x\" ").toStdString() + "\r\n" + remarked(" = b ", "\"y\" ").toStdString() + "\r\n";
        QCOMPARE(core::fillCougarMacros(list, true), expected);
    }

    void sampleFileMacros()
    {
        const auto doc = core::KeyDocument::fromBytes(
            testing::readBytes(testing::samplePath(QStringLiteral("tarnwick-sample.key"))));
        const auto list = core::SimplifiedList::build(doc, false);
        const QByteArray text = QByteArray::fromStdString(core::fillCougarMacros(list, false));
        QVERIFY(text.endsWith("\r\n"));
        const QList<QByteArray> lines = text.left(text.size() - 1).split('\n');
        QVERIFY(lines.size() > 100);
        QVERIFY(lines.size() < list.rowCount());
        for (const QByteArray& line : lines) {
            QVERIFY2(line.endsWith('\r'), line.constData());
            QVERIFY2(!line.contains("Device") && !line.contains("POV"), line.constData());
            QVERIFY2(line.contains(" = "), line.constData());
        }
        QVERIFY(text.contains("OTWSelect2DCockpitMode = F1 "));
        // Buttons 28 and 29 (numbers 27 and 28 in the file) stand on either side of the limit.
        QVERIFY(text.contains("\r\nSimToggleAutopilot = DX28\r\n"));
        QVERIFY(!text.contains("SimRadioMenu = DX"));
        QVERIFY(!text.contains("OTWViewUpRight")); // a POV hat only
    }

    void corpusMacrosAreStable()
    {
        const QStringList files = testing::corpusKeyFiles();
        if (files.isEmpty())
            QSKIP("no corpus beside the checkout");
        for (const QString& file : files) {
            const auto doc = core::KeyDocument::fromBytes(testing::readBytes(file));
            for (const bool removeSim : {false, true}) {
                const auto list = core::SimplifiedList::build(doc, removeSim);
                const std::string text = core::fillCougarMacros(list, removeSim);
                QVERIFY2(!text.empty(), qPrintable(file));
                QCOMPARE(core::fillCougarMacros(list, removeSim), text);
                std::size_t lines = 0;
                for (std::size_t pos = text.find('\n'); pos != std::string::npos; pos = text.find('\n', pos + 1)) {
                    QVERIFY2(pos > 0 && text[pos - 1] == '\r', qPrintable(file));
                    ++lines;
                }
                QVERIFY(lines <= list.entries().size());
            }
        }
    }
};

QTEST_APPLESS_MAIN(CougarMacrosTest)
#include "CougarMacrosTest.moc"
