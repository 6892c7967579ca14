#include "core/Binding.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"

#include "TestData.h"

#include <QTest>

using core::Binding;
using core::KeyDocument;

namespace {

Binding bindingOf(const QByteArray& line)
{
    return KeyDocument::fromBytes(line.toStdString()).binding(0);
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
        QTest::newRow("DirectX button 63") << QByteArray("S 63 -1 -2 0 0x0 -1") << "DX32, Device 02";
        QTest::newRow("DirectX button 386") << QByteArray("S 386 -1 -2 0 0x0 -1") << "DX3, Device 13";
        QTest::newRow("DirectX ignores modifiers") << QByteArray("S 0 -1 -2 5 0x1E 3") << "DX1, Device 01";
        QTest::newRow("DirectX button not a number") << QByteArray("S x -1 -2 0 0x0 -1") << "DX?";
        QTest::newRow("DirectX button too large") << QByteArray("S 1152921504606846976 -1 -2 0 0x0 -1") << "DX?";
        QTest::newRow("shift a") << QByteArray("S -1 0 0X1E 1 0XFFFFFFFF 0 1 \"d\"") << "SHF a";
        QTest::newRow("combination with modifiers") << QByteArray("S -1 0 0X3B 1 0X2E 4 1") << "ALT c  SHF F1";
        QTest::newRow("combination without modifiers") << QByteArray("S -1 0 0X3B 0 0X2E 0 1") << "c  F1";
        QTest::newRow("lower-case codes") << QByteArray("S -1 0 0x3b 6 0x2e 4 1") << "ALT c  CTL ALT F1";
        QTest::newRow("combination 0x0 ignores its modifier") << QByteArray("S -1 0 0x3B 0 0x0 4 -0") << "F1";
        QTest::newRow("combination 0 ignores its modifier") << QByteArray("S -1 0 0x3B 1 0 4 1") << "SHF F1";
        QTest::newRow("combination marker ignores its modifier") << QByteArray("S -1 0 0x3B 0 0xffffffff 1 1") << "F1";
        QTest::newRow("combination not a code") << QByteArray("S -1 0 0x3B 0 zz 1 1") << "SHF   F1";
        QTest::newRow("all key cells empty") << QByteArray("S -1 0") << "";
        QTest::newRow("unassigned") << QByteArray("S -1 0 0XFFFFFFFF 0 0XFFFFFFFF 0 1") << "Unassigned";
        QTest::newRow("key zero keeps the modifier text and a space") << QByteArray("S -1 0 0 2 0 0 1") << "CTL ";
        QTest::newRow("unknown code") << QByteArray("S -1 0 0xC5 0 0 0 1") << "Not found";
        QTest::newRow("malformed code") << QByteArray("S -1 0 0x3G 0 0 0 1") << "Not found";
        QTest::newRow("modifier not a number") << QByteArray("S -1 0 0x1E x 0 0 1") << "??? a";
        QTest::newRow("modifier out of range") << QByteArray("S -1 0 0x1E 9 0 0 1") << "??? a";
        QTest::newRow("POV left") << QByteArray("OTWViewLeft 0 -1 -3 6 0x0 -1") << "POV1 Left";
        QTest::newRow("POV 2 up-right") << QByteArray("S 1 -1 -3 1 0x0 -1") << "POV2 Up-Right";
        QTest::newRow("POV direction out of range") << QByteArray("S 0 -1 -3 8 0x0 -1") << "POV1 ?";
        QTest::newRow("POV hat not a number") << QByteArray("S h -1 -3 0 0x0 -1") << "POV? Up";
    }

    void keysText()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, keys);
        QCOMPARE(QString::fromStdString(core::keysText(bindingOf(line))), keys);
    }

    // What a line means, field by field: kind, number, invocation, release, direction, visibility, shape.
    void meaning_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qlonglong>("number");
        QTest::addColumn<qlonglong>("invocation");
        QTest::addColumn<bool>("release");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("visibility");
        QTest::addColumn<bool>("reference");
        QTest::addColumn<bool>("trailing");
        QTest::addColumn<int>("fields");
        using K = core::RecordKind;
        using V = core::Visibility;
        QTest::newRow("key line") << QByteArray("SimA 312 0 0x3B 1 0 0 1 \"Hold\"") << int(K::Key) << 0LL << 0LL
                                  << false << -1 << int(V::Shown) << false << false << 9;
        QTest::newRow("headline") << QByteArray("SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"2. LEFT\"") << int(K::Key)
                                  << 0LL << 0LL << false << -1 << int(V::Headline) << true << false << 9;
        QTest::newRow("hidden") << QByteArray("SimA -1 0 0x10 4 0x10 4 -2 \"Q\"") << int(K::Key) << 0LL << 0LL << false
                                << -1 << int(V::Hidden) << false << false << 9;
        QTest::newRow("locked") << QByteArray("SimDoNothing -1 0 0x3B 0 0 1 -0 \"UI\"") << int(K::Key) << 0LL << 0LL
                                << false << -1 << int(V::Locked) << true << false << 9;
        QTest::newRow("text after the description")
            << QByteArray("SimA -1 0 0x3B 0 0 0 1 \"Cover\" MANUALLY INSERTED") << int(K::Key) << 0LL << 0LL << false
            << -1 << int(V::Shown) << false << true << 9;
        QTest::newRow("quotes inside the description")
            << QByteArray("SimA -1 0 0x3B 0 0 0 1 \"Say \"hi\" now\"") << int(K::Key) << 0LL << 0LL << false << -1
            << int(V::Shown) << false << false << 9;
        QTest::newRow("short key line") << QByteArray("SimA -1 0 0x3B") << int(K::Key) << 0LL << 0LL << false << -1
                                        << int(V::Other) << false << false << 4;
        QTest::newRow("DirectX press") << QByteArray("SimPickle 1 -1 -2 0 0x0 -1") << int(K::DirectX) << 1LL << -1LL
                                       << false << -1 << int(V::Other) << false << false << 7;
        QTest::newRow("DirectX release") << QByteArray("SimDeselectOverride 646 -2 -2 0x42 0x0 -1") << int(K::DirectX)
                                         << 646LL << -2LL << true << -1 << int(V::Other) << false << false << 7;
        QTest::newRow("DirectX with a trailing comment")
            << QByteArray("SimFuelDoorOpen 688 -1 -2 0 0x0 115 #Manually Inserted") << int(K::DirectX) << 688LL << -1LL
            << false << -1 << int(V::Other) << false << true << 9;
        QTest::newRow("POV") << QByteArray("OTWViewLeft 0 -1 -3 6 0x0 -1") << int(K::Pov) << 0LL << -1LL << false << 6
                             << int(V::Other) << false << false << 7;
    }

    void meaning()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, kind);
        QFETCH(qlonglong, number);
        QFETCH(qlonglong, invocation);
        QFETCH(bool, release);
        QFETCH(int, direction);
        QFETCH(int, visibility);
        QFETCH(bool, reference);
        QFETCH(bool, trailing);
        QFETCH(int, fields);
        const Binding b = bindingOf(line);
        QCOMPARE(int(b.kind), kind);
        if (kind != int(core::RecordKind::Key)) {
            QVERIFY(b.numberValid);
            QCOMPARE(b.number, number);
            QVERIFY(b.invocationValid);
            QCOMPARE(b.invocation, invocation);
        }
        QCOMPARE(b.release, release);
        QCOMPARE(int(b.direction), direction);
        QCOMPARE(int(b.visibility), visibility);
        QCOMPARE(b.reference, reference);
        QCOMPARE(b.trailingText, trailing);
        QCOMPARE(int(b.fieldCount), fields);
        QCOMPARE(b.fieldCount < b.expectedFields(), fields < (kind == int(core::RecordKind::Key) ? 9 : 7));
    }

    void keyReferences_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("tableRow");
        QTest::addColumn<bool>("namesNoKey");
        using K = core::KeyRef::Kind;
        QTest::newRow("empty") << "" << int(K::Empty) << -1 << true;
        QTest::newRow("zero") << "0" << int(K::Zero) << -1 << true;
        QTest::newRow("0x0") << "0X000" << int(K::Zero) << -1 << true;
        QTest::newRow("marker") << "0xffffffff" << int(K::Unassigned) << -1 << true;
        QTest::newRow("a, by value") << "0x01e" << int(K::Table) << 0 << false;
        QTest::newRow("pause") << "0xC5" << int(K::Unknown) << -1 << false;
        QTest::newRow("bad digit") << "0x3G" << int(K::Malformed) << -1 << false;
        QTest::newRow("too long") << "0x123456789" << int(K::Malformed) << -1 << false;
        QTest::newRow("no prefix") << "1E" << int(K::NotACode) << -1 << false;
    }

    void keyReferences()
    {
        QFETCH(QString, cell);
        QFETCH(int, kind);
        QFETCH(int, tableRow);
        QFETCH(bool, namesNoKey);
        const auto ref = core::KeyRef::of(cell.toStdString());
        QCOMPARE(int(ref.kind), kind);
        QCOMPARE(int(ref.tableRow), tableRow);
        QCOMPARE(ref.namesNoKey(), namesNoKey);
    }

    void unwritableCells_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("reason");
        using R = core::UnwritableCell::Reason;
        QTest::newRow("full row") << QStringList{"S", "-1", "0", "0x1E", "0", "0", "0", "1", "\"d\" "} << 0 << 0;
        QTest::newRow("short row") << QStringList{"S", "1", "", "", "", "", "", "", ""} << 0 << 0;
        QTest::newRow("empty Ignored cell") << QStringList{"SimDoNothing", "-1", "", "0XFFFFFFFF", "0", "0", "0", "-1",
            "\"BMS\" "} << 3 << int(R::Empty);
        QTest::newRow("space in a name") << QStringList{"Sim A", "1", "", "", "", "", "", "", ""} << 1 << int(R::Space);
        QTest::newRow("tab in a cell") << QStringList{"S", "1\t2", "", "", "", "", "", "", ""} << 2 << int(R::Space);
        QTest::newRow("quote starting a field")
            << QStringList{"S", "\"1", "2", "", "", "", "", "", ""} << 2 << int(R::Quote);
        QTest::newRow("a short line's description")
            << QStringList{"S", "1", "\"a b\" ", "", "", "", "", "", ""} << 0 << 0;
        QTest::newRow("spaces in the description are fine")
            << QStringList{"S", "1", "2", "3", "4", "5", "6", "7", "\"a b\" "} << 0 << 0;
    }

    void unwritableCells()
    {
        QFETCH(QStringList, cells);
        QFETCH(int, column);
        QFETCH(int, reason);
        core::RecordCells row;
        for (int c = 0; c < cells.size(); ++c)
            row[std::size_t(c + 1)] = cells[c].toStdString();
        const auto found = core::unwritableCell(row);
        QCOMPARE(found.has_value(), column > 0);
        if (found) {
            QCOMPARE(found->column, column);
            QCOMPARE(int(found->reason), reason);
        }
    }

    void listLeavesOutCommentsAndNamesLines()
    {
        const auto doc
            = KeyDocument::fromBytes("# c\r\nSimA -1 0 0x1E 2 0 0 1 \"Alpha\"\r\n\r\nSimB 0 -1 -2 0 0x0 -1\r\n");
        const auto list = core::SimplifiedList::build(doc, false);
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(list.cell(0, 0), std::string("2"));
        QCOMPARE(list.cell(0, 2), std::string("CTL a"));
        QCOMPARE(list.cell(1, 0), std::string("4"));
        QCOMPARE(list.toText(), std::string("SimA CTL a \"Alpha\"\r\nSimB DX1, Device 01\r\n"));
        QCOMPARE(
            core::SimplifiedList::build(doc, true).toText(), std::string("A CTL a \"Alpha\"\r\nB DX1, Device 01\r\n"));
        // Empty keys leave two spaces between name and description.
        QCOMPARE(core::SimplifiedList::build(KeyDocument::fromBytes("SimA -1 0 0 0 0 0 1 \"d\"\n"), false).toText(),
            std::string("SimA  \"d\"\r\n"));
    }

    void removeSim_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("Sim prefix") << "SimPickle"
                                    << "Pickle";
        QTest::newRow("upper case") << "SIMPickle"
                                    << "Pickle";
        QTest::newRow("exactly three letters") << "Sim"
                                               << "Sim";
        QTest::newRow("Simple loses it too") << "Simple"
                                             << "ple";
        QTest::newRow("no prefix") << "OTWViewUp"
                                   << "OTWViewUp";
        QTest::newRow("four letters") << "simX"
                                      << "X";
    }

    void removeSim()
    {
        QFETCH(QString, name);
        QFETCH(QString, stripped);
        QCOMPARE(QString::fromStdString(core::withoutSimPrefix(name.toStdString())), stripped);
    }
};

QTEST_APPLESS_MAIN(BindingTest)
#include "BindingTest.moc"
