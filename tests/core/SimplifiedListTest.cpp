#include "core/SimplifiedList.h"
#include "core/KeyDocument.h"

#include "TestData.h"

#include <QTest>

using core::KeyDocument;
using core::SimplifiedList;

class SimplifiedListTest : public QObject
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
        QTest::newRow("DirectX button 99") << QByteArray("S 99 -1 -2 0 0x0 -1") << "DX4, Device 04";
        QTest::newRow("DirectX button 386") << QByteArray("S 386 -1 -2 0 0x0 -1") << "DX3, Device 13";
        QTest::newRow("DirectX ignores modifiers") << QByteArray("S 0 -1 -2 5 0x1E 3") << "DX1, Device 01";
        QTest::newRow("DirectX button not a number") << QByteArray("S x -1 -2 0 0x0 -1") << "DX?";
        QTest::newRow("shift a") << QByteArray("S -1 0 0X1E 1 0XFFFFFFFF 0 1 \"d\"") << "SHF a";
        QTest::newRow("combination with modifiers") << QByteArray("S -1 0 0X3B 1 0X2E 4 1") << "ALT c  SHF F1";
        QTest::newRow("combination without modifiers") << QByteArray("S -1 0 0X3B 0 0X2E 0 1") << "c  F1";
        QTest::newRow("lower-case codes") << QByteArray("S -1 0 0x3b 6 0x2e 4 1") << "ALT c  CTL ALT F1";
        QTest::newRow("combination 0x0 ignores its modifier") << QByteArray("S -1 0 0x3B 0 0x0 4 -0") << "F1";
        QTest::newRow("combination 0 ignores its modifier") << QByteArray("S -1 0 0x3B 1 0 4 1") << "SHF F1";
        QTest::newRow("combination marker ignores its modifier") << QByteArray("S -1 0 0x3B 0 0xffffffff 1 1") << "F1";
        QTest::newRow("all key cells empty") << QByteArray("S -1 0") << "";
        QTest::newRow("unassigned") << QByteArray("S -1 0 0XFFFFFFFF 0 0XFFFFFFFF 0 1") << "Unassigned";
        QTest::newRow("key zero keeps the modifier text and a space") << QByteArray("S -1 0 0 2 0 0 1") << "CTL ";
        QTest::newRow("unknown code") << QByteArray("S -1 0 0xC5 0 0 0 1") << "Not found";
        QTest::newRow("modifier not a number") << QByteArray("S -1 0 0x1E x 0 0 1") << "??? a";
        QTest::newRow("modifier out of range") << QByteArray("S -1 0 0x1E 9 0 0 1") << "??? a";
        QTest::newRow("POV left") << QByteArray("OTWViewLeft 0 -1 -3 6 0x0 -1") << "POV1 Left";
        QTest::newRow("POV 2 up-right") << QByteArray("S 1 -1 -3 1 0x0 -1") << "POV2 Up-Right";
        QTest::newRow("POV direction out of range") << QByteArray("S 0 -1 -3 8 0x0 -1") << "POV1 ?";
    }

    void keysText()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, keys);
        const auto doc = KeyDocument::fromBytes(line.toStdString());
        QCOMPARE(QString::fromStdString(core::keysText(doc.cells(0))), keys);
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

    void listLeavesOutCommentsAndKeepsLinePositions()
    {
        const auto doc
            = KeyDocument::fromBytes("# c\r\nSimA -1 0 0x1E 2 0 0 1 \"Alpha\"\r\n\r\nSimB 0 -1 -2 0 0x0 -1\r\n");
        const auto list = SimplifiedList::build(doc, false);
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(list.cell(0, 0), std::string("2"));
        QCOMPARE(list.cell(0, 2), std::string("CTL a"));
        QCOMPARE(list.cell(1, 0), std::string("3"));
        QCOMPARE(list.toText(), std::string("SimA CTL a \"Alpha\"\r\nSimB DX1, Device 01\r\n"));
        QCOMPARE(SimplifiedList::build(doc, true).toText(), std::string("A CTL a \"Alpha\"\r\nB DX1, Device 01\r\n"));
    }

    void emptyKeysLeaveTwoSpaces()
    {
        const auto doc = KeyDocument::fromBytes("SimA -1 0 0 0 0 0 1 \"d\"\n");
        QCOMPARE(SimplifiedList::build(doc, false).toText(), std::string("SimA  \"d\"\r\n"));
    }

    void sortingAndStrippingInPlace()
    {
        const auto doc = KeyDocument::fromBytes("SimC 1\nOTWB 1\nsimA 1\n");
        auto list = SimplifiedList::build(doc, false);
        list.sortRows(1, 1, core::SortOrder::Descending);
        list.removeSimFromNames();
        QCOMPARE(list.toText(), std::string("C\r\nA\r\nOTWB\r\n"));
        list.sortRows(0, 0, core::SortOrder::Ascending);
        QCOMPARE(list.toText(), std::string("C\r\nOTWB\r\nA\r\n"));
    }

    void sampleFileGivesEveryKindOfKeysText()
    {
        const auto doc
            = KeyDocument::fromBytes(testing::readBytes(testing::samplePath(QStringLiteral("tarnwick-sample.key"))));
        const auto list = SimplifiedList::build(doc, false);
        QVERIFY(list.rowCount() > 150);
        QStringList texts;
        for (const auto& e : list.entries())
            texts << QString::fromStdString(e.keys);
        QVERIFY(texts.contains(QStringLiteral("ALT c  F1")));
        QVERIFY(texts.contains(QStringLiteral("DX29, Device 01")));
        QVERIFY(texts.contains(QStringLiteral("DX9, Device 02")));
        QVERIFY(texts.contains(QStringLiteral("POV1 Up-Left")));
        QVERIFY(texts.contains(QStringLiteral("SHF CTL ALT x")));
        QVERIFY(!texts.contains(QStringLiteral("Not found")));
    }
};

QTEST_APPLESS_MAIN(SimplifiedListTest)
#include "SimplifiedListTest.moc"
