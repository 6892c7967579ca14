#include "core/Binding.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"

#include "TestData.h"

#include <QTest>

using core::Binding;
using core::KeyDocument;

namespace {

// The binding of a one-line document as the document keeps it: worked out at the first call, read from what the
// document kept at the second, which must give it back unchanged.
Binding bindingOf(const QByteArray& line)
{
    const auto document = KeyDocument::fromBytes(line.toStdString());
    const Binding made = document.binding(0);
    const Binding kept = document.binding(0);
    if (!(kept == made))
        qWarning("kept binding differs from the one made");
    return made == kept ? kept : Binding{};
}

// A binding packs, and unpacks to itself, unless a button's number or invocation needs more than 22 bits with its
// sign, or a code the table lacks more than 19 bits.
bool packsAsItShould(const Binding& b)
{
    const auto packed = core::PackedBinding::of(b);
    const auto wideNumber = [](std::int64_t n) { return n < -(1LL << 21) || n >= (1LL << 21); };
    const auto wideCode
        = [](const core::KeyRef& ref) { return ref.kind == core::KeyRef::Kind::Unknown && ref.code >= (1U << 19); };
    const bool wide = wideNumber(b.number) || wideNumber(b.invocation) || wideCode(b.key) || wideCode(b.combo);
    return packed ? !wide && !packed->isWhole() && packed->unpack() == b : wide;
}

} // namespace

/** The meaning of a record, and the keys text that the list, the macros and the CLI show for it. */
class BindingTest : public QObject
{
    Q_OBJECT

private slots:
    void keysText_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("keys");
        QTest::newRow("DirectX button 0") << QByteArray("S 0 -1 -2 0 0x0 -1") << "DX1, Device 01";
        QTest::newRow("DirectX button 31") << QByteArray("S 31 -1 -2 0 0x0 -1") << "DX32, Device 01";
        QTest::newRow("DirectX button 32") << QByteArray("S 32 -1 -2 0 0x0 -1") << "DX1, Device 02";
        QTest::newRow("DirectX button 386") << QByteArray("S 386 -1 -2 0 0x0 -1") << "DX3, Device 13";
        QTest::newRow("DirectX ignores modifiers") << QByteArray("S 0 -1 -2 5 0x1E 3") << "DX1, Device 01";
        QTest::newRow("DirectX button not a number") << QByteArray("S x -1 -2 0 0x0 -1") << "DX?";
        QTest::newRow("DirectX button too large") << QByteArray("S 1152921504606846976 -1 -2 0 0x0 -1") << "DX?";
        QTest::newRow("DirectX button too small") << QByteArray("S -1152921504606846976 -1 -2 0 0x0 -1") << "DX?";
        QTest::newRow("POV hat too large") << QByteArray("S 1152921504606846976 -1 -3 0 0x0 -1") << "POV? Up";
        QTest::newRow("shift a") << QByteArray("S -1 0 0X1E 1 0XFFFFFFFF 0 1 \"d\"") << "SHF a";
        QTest::newRow("all modifiers") << QByteArray("S -1 0 0X1E 7 0X30 3 1") << "SHF CTL b  SHF CTL ALT a";
        QTest::newRow("shift alt") << QByteArray("S -1 0 0X1E 5 0 0 1") << "SHF ALT a";
        QTest::newRow("combination with modifiers") << QByteArray("S -1 0 0X3B 1 0X2E 4 1") << "ALT c  SHF F1";
        QTest::newRow("combination without modifiers") << QByteArray("S -1 0 0X3B 0 0X2E 0 1") << "c  F1";
        QTest::newRow("lower-case codes") << QByteArray("S -1 0 0x3b 6 0x2e 4 1") << "ALT c  CTL ALT F1";
        QTest::newRow("combination 0 ignores its modifier") << QByteArray("S -1 0 0x3B 1 0 4 1") << "SHF F1";
        QTest::newRow("combination marker ignores its modifier") << QByteArray("S -1 0 0x3B 0 0xffffffff 1 1") << "F1";
        QTest::newRow("combination not a code") << QByteArray("S -1 0 0x3B 0 zz 1 1") << "SHF   F1";
        QTest::newRow("all key cells empty") << QByteArray("S -1 0") << "";
        QTest::newRow("unassigned") << QByteArray("S -1 0 0XFFFFFFFF 0 0XFFFFFFFF 0 1") << "Unassigned";
        QTest::newRow("key zero keeps the modifier text and a space") << QByteArray("S -1 0 0 2 0 0 1") << "CTL ";
        QTest::newRow("unknown code") << QByteArray("S -1 0 0xC5 0 0 0 1") << "Not found";
        QTest::newRow("malformed code") << QByteArray("S -1 0 0x3G 0 0 0 1") << "Not found";
        QTest::newRow("modifier not a number") << QByteArray("S -1 0 0x1E x 0 0 1") << "??? a";
        QTest::newRow("modifier out of range") << QByteArray("S -1 0 0x1E 8 0 0 1") << "??? a";
        QTest::newRow("modifier out of range, two digits") << QByteArray("S -1 0 0x1E 10 0 0 1") << "??? a";
        QTest::newRow("modifier 0 written 00") << QByteArray("S -1 0 0x1E 00 0 0 1") << "a";
        QTest::newRow("modifier 7 written +7") << QByteArray("S -1 0 0x1E +7 0 0 1") << "SHF CTL ALT a";
        QTest::newRow("POV left") << QByteArray("OTWViewLeft 0 -1 -3 6 0x0 -1") << "POV1 Left";
        QTest::newRow("POV 2 up-right") << QByteArray("S 1 -1 -3 1 0x0 -1") << "POV2 Up-Right";
        QTest::newRow("POV direction out of range") << QByteArray("S 0 -1 -3 8 0x0 -1") << "POV1 ?";
        QTest::newRow("POV hat not a number") << QByteArray("S h -1 -3 0 0x0 -1") << "POV? Up";
        QTest::newRow("codes the table lacks, 19 bits and 20")
            << QByteArray("S -1 0 0x7FFFF 1 0x80000 4 1") << "ALT Not found  SHF Not found";
        QTest::newRow("codes the table lacks, 20 bits and 19")
            << QByteArray("S -1 0 0x80000 2 0x7ffff 0 1") << "Not found  CTL Not found";
        QTest::newRow("the marker and a malformed code")
            << QByteArray("S -1 0 0xFFFFFFFF 3 0xG 5 1") << "SHF ALT Not found  SHF CTL Unassigned";
    }

    void keysText()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, keys);
        const Binding b = bindingOf(line);
        QCOMPARE(QString::fromStdString(core::keysText(b)), keys);
        QVERIFY(packsAsItShould(b));
        // "???" stands for a modifier cell that is not 0 to 7, which no other check takes as a modifier.
        const bool invalid
            = b.modifier.value == core::ModifierRef::Invalid || b.comboModifier.value == core::ModifierRef::Invalid;
        QCOMPARE(keys.contains(QStringLiteral("???")), invalid);
    }

    // What a line means, field by field: kind, number, invocation, press or release, direction, visibility,
    // reference, text after the fields, the number of fields and whether that is fewer than the kind has.
    void meaning_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("meaning");
        const auto row = [](const char* name, const char* line, const char* meaning) {
            QTest::newRow(name) << QByteArray(line) << QString::fromLatin1(meaning);
        };
        row("key line", "SimA 312 0 0x3B 1 0 0 1 \"Hold\"", "key ? ? press -1 shown - - 9");
        row("headline", "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"2. LEFT\"", "key ? ? press -1 headline reference - 9");
        row("hidden", "SimA -1 0 0x10 4 0x10 4 -2 \"Q\"", "key ? ? press -1 hidden - - 9");
        row("locked", "SimDoNothing -1 0 0x3B 0 0 1 -0 \"UI\"", "key ? ? press -1 locked reference - 9");
        row("text after the description", "SimA -1 0 0x3B 0 0 0 1 \"Cover\" MANUALLY INSERTED",
            "key ? ? press -1 shown - trailing 9");
        row("quotes inside the description", "SimA -1 0 0x3B 0 0 0 1 \"Say \"hi\" now\"",
            "key ? ? press -1 shown - - 9");
        row("short key line", "SimA -1 0 0x3B", "key ? ? press -1 other - - 4 short");
        row("DirectX press", "SimPickle 1 -1 -2 0 0x0 -1", "DirectX 1 -1 press -1 other - - 7");
        row("DirectX release", "SimDeselectOverride 646 -2 -2 0x42 0x0 -1", "DirectX 646 -2 release -1 other - - 7");
        row("DirectX with a trailing comment", "SimFuelDoorOpen 688 -1 -2 0 0x0 115 #Manually Inserted",
            "DirectX 688 -1 press -1 other - trailing 9");
        row("DirectX numbers beyond 32 bits", "S 4294967296 -2147483649 -2 0x42 0x0 -1",
            "DirectX 4294967296 -2147483649 release -1 other - - 7");
        row("DirectX numbers at 32 bits", "S 2147483647 -2147483648 -2 0 0x0 -1",
            "DirectX 2147483647 -2147483648 press -1 other - - 7");
        row("DirectX numbers at 22 bits", "S 2097151 -2097152 -2 0 0x0 -1",
            "DirectX 2097151 -2097152 press -1 other - - 7");
        row("DirectX numbers beyond 22 bits", "S -2097153 2097152 -2 0 0x0 -1",
            "DirectX -2097153 2097152 press -1 other - - 7");
        row("DirectX without numbers", "S x y -2 0x41", "DirectX ? ? press -1 other - - 5 short");
        row("POV", "OTWViewLeft 0 -1 -3 6 0x0 -1", "POV 0 -1 press 6 other - - 7");
        row("POV direction 7", "S 0 -1 -3 7 0x0 -1", "POV 0 -1 press 7 other - - 7");
        row("POV without a direction", "S 0 -1 -3", "POV 0 -1 press -1 other - - 4 short");
    }

    void meaning()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, meaning);
        const Binding b = bindingOf(line);
        const char* const kinds[] = {"comment", "key", "DirectX", "POV"};
        const char* const visibilities[] = {"shown", "locked", "headline", "hidden", "other"};
        const auto number = [](bool valid, qint64 n) { return valid ? QString::number(n) : QStringLiteral("?"); };
        const QStringList fields{kinds[int(b.kind)], number(b.numberValid, b.number),
            number(b.invocationValid, b.invocation), b.release ? "release" : "press", QString::number(b.direction),
            visibilities[int(b.visibility)], b.reference ? "reference" : "-", b.trailingText ? "trailing" : "-",
            QString::number(b.fieldCount) + (b.fieldCount < b.expectedFields() ? " short" : "")};
        QCOMPARE(fields.join(QLatin1Char(' ')), meaning);
        QVERIFY(packsAsItShould(b));
    }

    // The first cell that writing and reading would not give back, and why.
    void unwritableCells_data()
    {
        QTest::addColumn<QString>("cells"); // columns 1 to 9 joined by '|'
        QTest::addColumn<QString>("found"); // the column and the reason, or nothing
        const auto row = [](const char* name, const char* cells, const char* found = "") {
            QTest::newRow(name) << QString::fromLatin1(cells) << QString::fromLatin1(found);
        };
        row("full row", "S|-1|0|0x1E|0|0|0|1|\"d\" ");
        row("short row", "S|1");
        row("empty Ignored cell", "SimDoNothing|-1||0XFFFFFFFF|0|0|0|-1|\"BMS\" ", "3 empty");
        row("empty cell before the description", "S|1|2|3|4|5|6||\"d\" ", "8 empty");
        row("space in a name", "Sim A|1", "1 space");
        row("tab in a cell", "S|1\t2", "2 space");
        row("quote starting a field", "S|\"1|2", "2 quote");
        row("a short line's description", "S|1|\"a b\" ");
        row("spaces in the description are fine", "S|1|2|3|4|5|6|7|\"a b\" ");
    }

    void unwritableCells()
    {
        QFETCH(QString, cells);
        QFETCH(QString, found);
        core::RecordCells row;
        const QStringList parts = cells.split(QLatin1Char('|'));
        for (int c = 0; c < parts.size(); ++c)
            row[std::size_t(c + 1)] = parts[c].toStdString();
        const auto cell = core::unwritableCell(row);
        const char* const reasons[] = {"empty", "space", "quote"};
        QCOMPARE(cell ? QStringLiteral("%1 %2").arg(cell->column).arg(reasons[int(cell->reason)]) : QString(), found);
    }

    // The readable list: comments left out, the line number, the name, the keys text and the description.
    void listLeavesOutComments()
    {
        const auto doc = KeyDocument::fromBytes(
            "# c\r\nSimA -1 0 0x1E 2 0 0 1 \"Alpha\"\r\n\r\nSimB 0 -1 -2 0 0x0 -1\r\nSim -1 0 0x30 0\r\n");
        for (const bool removeSim : {false, true}) {
            const auto list = core::SimplifiedList::build(doc, removeSim);
            QStringList cells;
            for (int r = 0; r < list.rowCount(); ++r)
                for (int c = 0; c < 5; ++c)
                    cells << QString::fromStdString(list.cell(r, c));
            QCOMPARE(cells.join(QLatin1Char('|')),
                removeSim ? QStringLiteral("2|A|CTL a|\"Alpha\" ||4|B|DX1, Device 01|||5|Sim|b||")
                          : QStringLiteral("2|SimA|CTL a|\"Alpha\" ||4|SimB|DX1, Device 01|||5|Sim|b||"));
        }
    }
};

QTEST_APPLESS_MAIN(BindingTest)
#include "BindingTest.moc"
