#include "core/CougarMacros.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"

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

// The macro line of the first line of `bytes`, read as a key file, from the readable list made with `removeSim`.
std::optional<std::string> macroLine(const QByteArray& bytes, bool removeSim = false)
{
    const auto doc = core::KeyDocument::fromBytes(bytes.toStdString());
    return core::cougarMacroLine(
        core::SimplifiedList::build(doc, removeSim).entries().at(0), doc.binding(0), removeSim);
}

} // namespace

class CougarMacrosTest : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QByteArray>("keyLine");
        QTest::addColumn<bool>("removeSim");
        QTest::addColumn<QByteArray>("line"); // empty: no line

        const QByteArray d = "\"Desc\" ";
        const auto row = [](const char* name, const QByteArray& keyLine, const QByteArray& line,
                             bool removeSim = false) { QTest::newRow(name) << keyLine << removeSim << line; };
        const auto key = [](const QByteArray& name, const QByteArray& cells) -> QByteArray {
            return name + " -1 0 " + cells + " 1 \"Desc\"";
        };
        const auto button = [](int number, const QByteArray& name = "SimA") -> QByteArray {
            return name + ' ' + QByteArray::number(number) + " -1 -2 0 0x0 -1 1 \"Desc\"";
        };
        // "SimAlpha = CTL a " is 17 characters; 33 spaces fill it to 50, then the remark follows.
        row("worked example", "SimAlpha -1 0 0x1E 2 0 0 1 \"Alpha\"",
            "SimAlpha = CTL a " + QByteArray(33, ' ') + " Rem \"Alpha\"  ");
        // Windows keys: alone they become USB codes; combined they stay and the line is commented out.
        row("WinL alone", key("SimA", "0XDB 0 0 0"), remarked("SimA = USB (DE3 UE3) ", d));
        row("WinR alone", key("SimA", "0XDC 0 0 0"), remarked("SimA = USB (DE7 UE7) ", d));
        row("Apps alone", key("SimA", "0XDD 0 0 0"), remarked("SimA = USB (D65 U65) ", d));
        row("WinL with a modifier", key("SimA", "0XDB 1 0 0"), remarked("Rem SimA = SHF WinL ", d));
        row("WinL as combination key", key("SimA", "0x1E 0 0XDB 0"), remarked("Rem SimA = WinL  a ", d));
        row("two Windows keys", key("SimA", "0XDD 2 0XDC 4"), remarked("Rem Rem SimA = ALT WinR  CTL Apps ", d));
        // Unassigned becomes "^", and "^" comments the line out.
        row("Unassigned", key("SimA", "0XFFFFFFFF 0 0 0"), remarked("Rem SimA = ^ ", d));
        row("Unassigned with a modifier", key("SimA", "0XFFFFFFFF 1 0 0"), remarked("Rem SimA = SHF Unassigned ", d));
        // Keys that name no key are commented out the same way, once.
        row("unknown key", key("SimA", "0x2A 0 0 0"), remarked("Rem SimA = Not found ", d));
        row("Pause with a modifier", key("SimA", "0xC5 2 0 0"), remarked("Rem SimA = CTL Not found ", d));
        row("malformed key", key("SimA", "0xZZ 0 0 0"), remarked("Rem SimA = Not found ", d));
        row("modifier out of range", key("SimA", "0x1E 9 0 0"), remarked("Rem SimA = ??? a ", d));
        row("unknown combination key", key("SimA", "0x1E 0 0xC5 4"), remarked("Rem SimA = ALT Not found  a ", d));
        row("unknown key and Unassigned combination", key("SimA", "0xC5 0 0XFFFFFFFF 1"),
            remarked("Rem SimA = Not found ", d));
        row("caret in the name counts twice", key("Sim^A", "0x1E 0 0 0"), remarked("Rem Rem Sim^A = a ", d));
        row("caret in the name and Unassigned", key("Sim^A", "0XFFFFFFFF 0 0 0"), remarked("Rem Rem Sim^A = ^ ", d));
        // DirectX buttons of device 01 up to 28 are kept, without ", Device 01"; all others give no line.
        row("DX1 device 01", button(0), remarked("SimA = DX1", d));
        row("DX10 device 01", button(9), remarked("SimA = DX10", d));
        row("DX28 device 01", button(27), remarked("SimA = DX28", d));
        row("DX29 device 01", button(28), QByteArray());
        row("DX3 device 02", button(34), QByteArray());
        row("DX without a number", "SimA x -1 -2 0 0x0 -1 1 \"Desc\"", remarked("SimA = DX? ", d));
        row("DX at the number limit", "SimA 1152921504606846976 -1 -2 0 0x0 -1 1 \"Desc\"", remarked("SimA = DX? ", d));
        row("DX at minus the limit", "SimAlpha -1152921504606846976 -1 -2 0 0x0 -1 1 \"Desc\"",
            remarked("SimAlpha = DX? ", d));
        row("DX with empty description", "SimA 4 -1 -2 0 0x0 -1", "SimA = DX5");
        row("DX with a long name is not padded", button(6, "SimAVeryLongFunctionNameThatFillsTheColumnWhole"),
            "SimAVeryLongFunctionNameThatFillsTheColumnWhole = DX7 Rem \"Desc\"  ");
        row("POV hat", "OTWViewLeft 0 -1 -3 6 0x0 -1 1 \"Desc\"", QByteArray());
        // Filling to 50 characters: below, at and beyond.
        row("49 characters get one space", key(QByteArray(44, 'N'), "0x1E 0 0 0"),
            QByteArray(44, 'N') + " = a   Rem " + d + ' ');
        row("50 characters get none", key(QByteArray(45, 'N'), "0x1E 0 0 0"),
            QByteArray(45, 'N') + " = a  Rem " + d + ' ');
        row("beyond 50 characters", key(QByteArray(60, 'N'), "0x1E 0 0 0"),
            QByteArray(60, 'N') + " = a  Rem " + d + ' ');
        row("no description", "SimA -1 0 0x1E 0 0 0 1", remarked("SimA = a ", QByteArray()));
        row("empty keys text", key("SimA", "0 0 0 0"), remarked("SimA =  ", d));
        // A line that begins with a backslash is dropped; one that "Rem " comes before is not.
        row("backslash line", key("\\SimA", "0x1E 0 0 0"), QByteArray());
        row("backslash line behind Rem", key("\\SimA", "0XFFFFFFFF 0 0 0"), remarked("Rem \\SimA = ^ ", d));
        row("backslash key name", key("SimA", "0X2B 2 0 0"), remarked("SimA = CTL \\ ", d));
        // Remove SIM works on the name with " = " behind it.
        row("remove SIM", key("SimAlpha", "0x1E 2 0 0"), remarked("Alpha = CTL a ", d), true);
        row("remove SIM any case", key("sIMAlpha", "0x1E 0 0 0"), remarked("Alpha = a ", d), true);
        row("remove SIM from exactly Sim", key("Sim", "0x1E 0 0 0"), remarked(" = a ", d), true);
        row("remove SIM keeps a name that only begins alike", key("Sixth", "0x1E 0 0 0"), remarked("Sixth = a ", d),
            true);
        // The list takes "Sim" from "SimSimX", and the macro the "Sim" of what is left.
        row("remove SIM twice", key("sImSImX", "0x1E 0 0 0"), remarked("X = a ", d), true);
        row("remove SIM leaves other names", key("OTWViewUp", "0x1E 0 0 0"), remarked("OTWViewUp = a ", d), true);
        row("remove SIM from a two-letter name", key("Si", "0x1E 0 0 0"), remarked("Si = a ", d), true);
        row("remove SIM then Rem", key("SimA", "0XFFFFFFFF 0 0 0"), remarked("Rem A = ^ ", d), true);
        // Bytes pass through unchanged.
        row("8-bit description", "SimA -1 0 0x1E 0 0 0 1 \"10\xb0\"", remarked("SimA = a ", "\"10\xb0\" "));
    }

    void rules()
    {
        QFETCH(QByteArray, keyLine);
        QFETCH(bool, removeSim);
        QFETCH(QByteArray, line);
        const auto result = macroLine(keyLine, removeSim);
        QCOMPARE(result.has_value(), !line.isEmpty());
        if (result)
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
        QCOMPARE(core::fillCougarMacros(doc, std::vector<core::SimplifiedEntry>(), false), std::string());
        QCOMPARE(core::fillCougarMacros(doc, std::vector<int>(), false), std::string());
    }
};

QTEST_APPLESS_MAIN(CougarMacrosTest)
#include "CougarMacrosTest.moc"
