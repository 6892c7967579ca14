#include "core/CougarMacros.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"

#include "TestData.h"

#include <QTest>

namespace {

// A macro line whose remark stands at the 51st character: `start` filled with spaces to 50, then the remark.
QByteArray remarked(const QByteArray& start, const QByteArray& description)
{
    QByteArray line = start;
    while (line.size() < 50)
        line += ' ';
    return line + " Rem " + description + ' ';
}

// The macro line of the first line of `bytes`, read as a key file.
std::optional<std::string> macroLine(const QByteArray& bytes, bool removeSim = false)
{
    const auto doc = core::KeyDocument::fromBytes(bytes.toStdString());
    return core::cougarMacroLine(core::SimplifiedList::build(doc, false).entries().at(0), doc.binding(0), removeSim);
}

std::string macros(const core::KeyDocument& doc, bool removeSim = false)
{
    return core::fillCougarMacros(doc, core::SimplifiedList::build(doc, removeSim).entries(), removeSim);
}

} // namespace

class CougarMacrosTest : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleCharacterByCharacter()
    {
        const auto line = macroLine("SimAlpha -1 0 0x1E 2 0 0 1 \"Alpha\"");
        QVERIFY(line.has_value());
        // "SimAlpha = CTL a " is 17 characters; 33 spaces fill it to 50, then the remark follows.
        const std::string expected = "SimAlpha = CTL a " + std::string(33, ' ') + " Rem \"Alpha\"  ";
        QCOMPARE(*line, expected);
        QCOMPARE(line->find("Rem"), std::size_t(51)); // the 52nd character
    }

    void rules_data()
    {
        QTest::addColumn<QByteArray>("keyLine");
        QTest::addColumn<bool>("removeSim");
        QTest::addColumn<bool>("hasLine");
        QTest::addColumn<QByteArray>("line");

        const QByteArray d = "\"Desc\" ";
        const auto key = [](const QByteArray& name, const QByteArray& cells) -> QByteArray {
            return name + " -1 0 " + cells + " 1 \"Desc\"";
        };
        const auto button = [](int number, const QByteArray& name = "SimA") -> QByteArray {
            return name + ' ' + QByteArray::number(number) + " -1 -2 0 0x0 -1 1 \"Desc\"";
        };
        // Windows keys: alone they become USB codes; combined they stay and the line is commented out.
        QTest::newRow("WinL alone") << key("SimA", "0XDB 0 0 0") << false << true
                                    << remarked("SimA = USB (DE3 UE3) ", d);
        QTest::newRow("WinR alone") << key("SimA", "0XDC 0 0 0") << false << true
                                    << remarked("SimA = USB (DE7 UE7) ", d);
        QTest::newRow("Apps alone") << key("SimA", "0XDD 0 0 0") << false << true
                                    << remarked("SimA = USB (D65 U65) ", d);
        QTest::newRow("WinL with a modifier")
            << key("SimA", "0XDB 1 0 0") << false << true << remarked("Rem SimA = SHF WinL ", d);
        QTest::newRow("WinL as combination key")
            << key("SimA", "0x1E 0 0XDB 0") << false << true << remarked("Rem SimA = WinL  a ", d);
        QTest::newRow("two Windows keys combined")
            << key("SimA", "0XDD 2 0XDC 4") << false << true << remarked("Rem Rem SimA = ALT WinR  CTL Apps ", d);
        // Unassigned becomes "^", and "^" comments the line out.
        QTest::newRow("Unassigned") << key("SimA", "0XFFFFFFFF 0 0 0") << false << true << remarked("Rem SimA = ^ ", d);
        QTest::newRow("Unassigned with a modifier")
            << key("SimA", "0XFFFFFFFF 1 0 0") << false << true << remarked("Rem SimA = SHF Unassigned ", d);
        // Keys that name no key are commented out the same way, once.
        QTest::newRow("unknown key") << key("SimA", "0x2A 0 0 0") << false << true
                                     << remarked("Rem SimA = Not found ", d);
        QTest::newRow("Pause with a modifier")
            << key("SimA", "0xC5 2 0 0") << false << true << remarked("Rem SimA = CTL Not found ", d);
        QTest::newRow("malformed key") << key("SimA", "0xZZ 0 0 0") << false << true
                                       << remarked("Rem SimA = Not found ", d);
        QTest::newRow("modifier out of range")
            << key("SimA", "0x1E 9 0 0") << false << true << remarked("Rem SimA = ??? a ", d);
        QTest::newRow("unknown combination key")
            << key("SimA", "0x1E 0 0xC5 4") << false << true << remarked("Rem SimA = ALT Not found  a ", d);
        QTest::newRow("unknown key and Unassigned combination")
            << key("SimA", "0xC5 0 0XFFFFFFFF 1") << false << true << remarked("Rem SimA = Not found ", d);
        QTest::newRow("caret in the name counts twice")
            << key("Sim^A", "0x1E 0 0 0") << false << true << remarked("Rem Rem Sim^A = a ", d);
        QTest::newRow("caret in the name and Unassigned")
            << key("Sim^A", "0XFFFFFFFF 0 0 0") << false << true << remarked("Rem Rem Sim^A = ^ ", d);
        // DirectX buttons of device 01 up to 28 are kept, without ", Device 01"; all others give no line.
        QTest::newRow("DX1 device 01") << button(0) << false << true << remarked("SimA = DX1", d);
        QTest::newRow("DX10 device 01") << button(9) << false << true << remarked("SimA = DX10", d);
        QTest::newRow("DX28 device 01") << button(27) << false << true << remarked("SimA = DX28", d);
        QTest::newRow("DX29 device 01") << button(28) << false << false << QByteArray();
        QTest::newRow("DX32 device 01") << button(31) << false << false << QByteArray();
        QTest::newRow("DX3 device 02") << button(34) << false << false << QByteArray();
        QTest::newRow("DX1 device 13") << button(384) << false << false << QByteArray();
        QTest::newRow("DX without a number")
            << QByteArray("SimA x -1 -2 0 0x0 -1 1 \"Desc\"") << false << true << remarked("SimA = DX? ", d);
        QTest::newRow("DX with empty description")
            << QByteArray("SimA 4 -1 -2 0 0x0 -1") << false << true << QByteArray("SimA = DX5");
        QTest::newRow("DX with a long name is not padded")
            << button(6, "SimAVeryLongFunctionNameThatFillsTheColumnWhole") << false << true
            << QByteArray("SimAVeryLongFunctionNameThatFillsTheColumnWhole = DX7 Rem \"Desc\"  ");
        QTest::newRow("POV hat") << QByteArray("OTWViewLeft 0 -1 -3 6 0x0 -1 1 \"Desc\"") << false << false
                                 << QByteArray();
        // Filling to 50 characters: below, at and beyond.
        QTest::newRow("49 characters get one space") << key(QByteArray(44, 'N'), "0x1E 0 0 0") << false << true
                                                     << QByteArray(QByteArray(44, 'N') + " = a   Rem " + d + ' ');
        QTest::newRow("50 characters get none") << key(QByteArray(45, 'N'), "0x1E 0 0 0") << false << true
                                                << QByteArray(QByteArray(45, 'N') + " = a  Rem " + d + ' ');
        QTest::newRow("beyond 50 characters") << key(QByteArray(60, 'N'), "0x1E 0 0 0") << false << true
                                              << QByteArray(QByteArray(60, 'N') + " = a  Rem " + d + ' ');
        QTest::newRow("no description") << QByteArray("SimA -1 0 0x1E 0 0 0 1") << false << true
                                        << remarked("SimA = a ", QByteArray());
        QTest::newRow("empty keys text") << key("SimA", "0 0 0 0") << false << true << remarked("SimA =  ", d);
        // A line that begins with a backslash is dropped; one that "Rem " comes before is not.
        QTest::newRow("backslash line") << key("\\SimA", "0x1E 0 0 0") << false << false << QByteArray();
        QTest::newRow("backslash line behind Rem")
            << key("\\SimA", "0XFFFFFFFF 0 0 0") << false << true << remarked("Rem \\SimA = ^ ", d);
        QTest::newRow("backslash key name")
            << key("SimA", "0X2B 2 0 0") << false << true << remarked("SimA = CTL \\ ", d);
        // Remove SIM works on the name with " = " behind it.
        QTest::newRow("remove SIM") << key("SimAlpha", "0x1E 2 0 0") << true << true << remarked("Alpha = CTL a ", d);
        QTest::newRow("remove SIM any case")
            << key("sIMAlpha", "0x1E 0 0 0") << true << true << remarked("Alpha = a ", d);
        QTest::newRow("remove SIM from exactly Sim")
            << key("Sim", "0x1E 0 0 0") << true << true << remarked(" = a ", d);
        QTest::newRow("exactly Sim kept without remove SIM")
            << key("Sim", "0x1E 0 0 0") << false << true << remarked("Sim = a ", d);
        QTest::newRow("remove SIM leaves other names")
            << key("OTWViewUp", "0x1E 0 0 0") << true << true << remarked("OTWViewUp = a ", d);
        QTest::newRow("remove SIM from a two-letter name")
            << key("Si", "0x1E 0 0 0") << true << true << remarked("Si = a ", d);
        QTest::newRow("remove SIM then Rem")
            << key("SimA", "0XFFFFFFFF 0 0 0") << true << true << remarked("Rem A = ^ ", d);
        // Bytes pass through unchanged.
        QTest::newRow("8-bit description") << QByteArray("SimA -1 0 0x1E 0 0 0 1 \"10\xb0\"") << false << true
                                           << remarked("SimA = a ", QByteArray("\"10\xb0\" "));
    }

    void rules()
    {
        QFETCH(QByteArray, keyLine);
        QFETCH(bool, removeSim);
        QFETCH(bool, hasLine);
        QFETCH(QByteArray, line);
        const auto result = macroLine(keyLine, removeSim);
        QCOMPARE(result.has_value(), hasLine);
        if (hasLine)
            QCOMPARE(QByteArray::fromStdString(*result), line);
    }

    void textFollowsTheListInItsOrder()
    {
        const auto doc = core::KeyDocument::fromBytes("# comment\r\n"
                                                      "SimB -1 0 0x30 0 0 0 1 \"b\"\r\n"
                                                      "SimBtn 40 -1 -2 0 0x0 -1\r\n"
                                                      "SimA -1 0 0x1E 2 0 0 1 \"a\"\r\n"
                                                      "SimDX 4 -1 -2 0 0x0 -1\r\n");
        const auto entries = core::SimplifiedList::build(doc, false).entries();
        const std::string lineB = remarked("SimB = b ", "\"b\" ").toStdString();
        const std::string lineA = remarked("SimA = CTL a ", "\"a\" ").toStdString();
        // A DirectX line without a description has no remark; button 41 is on device 02 and gives no line.
        QCOMPARE(core::fillCougarMacros(doc, entries, false), lineB + "\r\n" + lineA + "\r\nSimDX = DX5\r\n");
        const std::vector<core::SimplifiedEntry> reordered{entries[2], entries[0]};
        QCOMPARE(core::fillCougarMacros(doc, reordered, false), lineA + "\r\n" + lineB + "\r\n");
        QCOMPARE(core::fillCougarMacros(doc, {}, false), std::string());
    }

    void removeSimStripsTheListedNameAgain()
    {
        // The list strips "Sim" from "SimSimX", and the macro strips the "Sim" of what is left.
        const auto doc = core::KeyDocument::fromBytes("SimSimX -1 0 0x1E 0 0 0 1 \"x\"\nSim -1 0 0x30 0 0 0 1 \"y\"\n");
        const std::string expected
            = remarked("X = a ", "\"x\" ").toStdString() + "\r\n" + remarked(" = b ", "\"y\" ").toStdString() + "\r\n";
        QCOMPARE(macros(doc, true), expected);
    }

    void sampleFileMacros()
    {
        const auto doc = core::KeyDocument::fromBytes(
            testing::readBytes(testing::samplePath(QStringLiteral("tarnwick-sample.key"))));
        const auto list = core::SimplifiedList::build(doc, false);
        const QByteArray text = QByteArray::fromStdString(macros(doc));
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
                const std::string text = macros(doc, removeSim);
                QVERIFY2(!text.empty(), qPrintable(file));
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
