#include "core/KeyDocument.h"

#include "TestData.h"

#include <QTest>

using core::KeyDocument;

namespace {

// Cells 1..9 of row `row`, joined with '|' so a whole row compares in one go.
QString joinedCells(const KeyDocument& doc, int row)
{
    const auto cells = doc.cells(row);
    QStringList parts;
    for (int c = 1; c < core::ColumnCount; ++c)
        parts << QString::fromStdString(cells[static_cast<std::size_t>(c)]);
    return parts.join(QLatin1Char('|'));
}

} // namespace

class KeyFileReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsRecordLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("cells");
        QTest::newRow("nine fields") << QByteArray("SimPickle -1 0 0X39 0 0XFFFFFFFF 0 1 \"Pickle\"")
                                     << "SimPickle|-1|0|0X39|0|0XFFFFFFFF|0|1|\"Pickle\" ";
        QTest::newRow("runs of spaces") << QByteArray("  SimA   1    2  \"d\"   ") << "SimA|1|2|\"d\" |||||";
        QTest::newRow("description keeps inner spaces and text after the quote")
            << QByteArray("SimA 1 \"a  b\" tail  x") << "SimA|1|\"a  b\" tail  x ||||||";
        QTest::newRow("quote inside a word is ordinary") << QByteArray("Sim\"A 1 x\"y") << "Sim\"A|1|x\"y||||||";
        QTest::newRow("first word never a description") << QByteArray("\"Sim 1 \"d\"") << "\"Sim|1|\"d\" ||||||";
        QTest::newRow("description right after the first word") << QByteArray("SimA \"d e\"") << "SimA|\"d e\" |||||||";
        QTest::newRow("single word") << QByteArray("SimAlone") << "SimAlone||||||||";
        QTest::newRow("tab splits a field") << QByteArray("SimA\t1 2") << "SimA|1|2||||||";
        QTest::newRow("tab in the description splits it") << QByteArray("SimA \"x\ty\"") << "SimA|\"x|y\" ||||||";
        QTest::newRow("extra fields join the last cell")
            << QByteArray("S 1 2 3 4 5 6 7 8 9 10") << "S|1|2|3|4|5|6|7|8 9 10";
        QTest::newRow("description beyond ninth field")
            << QByteArray("S 1 2 3 4 5 6 7 8 \"d x\"") << "S|1|2|3|4|5|6|7|8 \"d x\" ";
        QTest::newRow("binary bytes kept")
            << testing::literalBytes("S\x01\xff 2") << QString::fromLatin1("S\x01\xff|2|||||||");
    }

    void splitsRecordLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, cells);
        const auto doc = KeyDocument::fromBytes(line.toStdString());
        QCOMPARE(doc.rowCount(), 1);
        const auto row = doc.cells(0);
        QStringList parts;
        for (int c = 1; c < core::ColumnCount; ++c)
            parts << QString::fromLatin1(
                row[static_cast<std::size_t>(c)].data(), qsizetype(row[static_cast<std::size_t>(c)].size()));
        QCOMPARE(parts.join(QLatin1Char('|')), cells);
        QCOMPARE(doc.cell(0, core::LineColumn), std::string("1"));
        // Splitting stops after the cells asked for, which come out as the full split gives them.
        const auto full = core::splitRecordLine(line.toStdString());
        for (int last = 1; last < core::ColumnCount; ++last) {
            const auto partial = core::splitRecordLine(line.toStdString(), last);
            for (int c = 1; c <= last; ++c)
                QCOMPARE(partial[static_cast<std::size_t>(c)], full[static_cast<std::size_t>(c)]);
        }
    }

    void numbersRecordsAndSkipsBlankLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("lastSimName");
        QTest::addColumn<int>("lastNumber");
        QTest::newRow("empty file") << QByteArray() << 0 << "" << 0;
        QTest::newRow("blank lines only") << QByteArray("  \r\n\r\n \n") << 0 << "" << 0;
        QTest::newRow("blank second line") << QByteArray("A 1\r\n   \r\nC 3\r\n") << 2 << "C" << 2;
        QTest::newRow("LF") << QByteArray("A\nB\nC\n") << 3 << "C" << 3;
        QTest::newRow("lone CR") << QByteArray("A\rB\rC") << 3 << "C" << 3;
        QTest::newRow("mixed") << QByteArray("A\r\nB\nC\rD") << 4 << "D" << 4;
        QTest::newRow("CR CR LF") << QByteArray("A\r\r\nB") << 2 << "B" << 2;
        QTest::newRow("tab-only line is a record") << QByteArray("A\n\t\nB") << 3 << "B" << 3;
        QTest::newRow("NUL bytes") << testing::literalBytes("A\0B 1\n") << 1 << QString::fromLatin1("A\0B", 3) << 1;
    }

    void numbersRecordsAndSkipsBlankLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        QFETCH(QString, lastSimName);
        QFETCH(int, lastNumber);
        const auto doc = KeyDocument::fromBytes(bytes.toStdString());
        QCOMPARE(doc.rowCount(), records);
        if (records > 0) {
            const std::string name = doc.cell(records - 1, core::SimNameColumn);
            QCOMPARE(QString::fromLatin1(name.data(), qsizetype(name.size())), lastSimName);
            QCOMPARE(doc.recordNumber(records - 1), lastNumber);
        }
    }

    void commentLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<bool>>("comments");
        QTest::newRow("hash first") << QByteArray("# note\nSimA 1\n") << QList<bool>{true, false};
        QTest::newRow("indented by spaces and tabs") << QByteArray(" \t #x\nSimA") << QList<bool>{true, false};
        QTest::newRow("hash later in the line") << QByteArray("SimA 1 \"#x\"") << QList<bool>{false};
        QTest::newRow("after a byte order mark")
            << QByteArray("\xEF\xBB\xBF# c\r\nSimA\r\n") << QList<bool>{true, false};
    }

    void commentLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<bool>, comments);
        const auto doc = KeyDocument::fromBytes(bytes.toStdString());
        QCOMPARE(doc.rowCount(), comments.size());
        for (int r = 0; r < doc.rowCount(); ++r)
            QCOMPARE(doc.isComment(r), comments[r]);
    }

    void commentRowHoldsItsWholeLineAndRefusesEdits()
    {
        auto doc = KeyDocument::fromBytes("  # SimA 1 2 \"x\"  \r\nSimB 1\r\n");
        QCOMPARE(doc.cell(0, core::SimNameColumn), std::string("  # SimA 1 2 \"x\"  "));
        QCOMPARE(doc.cell(0, core::CockpitIdColumn), std::string());
        QCOMPARE(doc.recordNumber(0), 1);
        QCOMPARE(doc.recordNumber(1), 2);
        QVERIFY(!doc.setCell(0, core::SimNameColumn, "changed"));
        QCOMPARE(doc.savedState(), core::SavedState::Saved);
    }

    void byteOrderMarkIsNotPartOfTheFirstCell()
    {
        const auto doc = KeyDocument::fromBytes("\xEF\xBB\xBFSimA 1\r\n");
        QVERIFY(doc.hasByteOrderMark());
        QCOMPARE(doc.cell(0, core::SimNameColumn), std::string("SimA"));
    }

    void editsMarkModifiedAndKeepOtherCells()
    {
        auto doc = KeyDocument::fromBytes("SimA -1 0 0x1E 0 0 0 1 \"d\"\n");
        QCOMPARE(doc.savedState(), core::SavedState::Saved);
        QVERIFY(doc.setCell(0, core::KeyColumn, "0X30"));
        QCOMPARE(doc.savedState(), core::SavedState::Modified);
        QCOMPARE(joinedCells(doc, 0), QStringLiteral("SimA|-1|0|0X30|0|0|0|1|\"d\" "));
        QVERIFY(!doc.setCell(0, core::LineColumn, "9"));
        QVERIFY(!doc.setCell(1, core::KeyColumn, "0"));
        QCOMPARE(doc.cell(0, core::LineColumn), std::string("1"));
    }

    void newDocumentHasNoFile()
    {
        KeyDocument doc;
        QCOMPARE(doc.savedState(), core::SavedState::NoFile);
        QCOMPARE(doc.rowCount(), 0);
        QCOMPARE(doc.toBytes(), std::string());
    }

    void megabyteLineSplitsInLinearTime()
    {
        // Two hundred thousand words on one line: a quadratic splitter would not finish within the test timeout.
        std::string line = "SimLong";
        for (int i = 0; i < 200000; ++i)
            line += " w";
        line += " \"end\"";
        const auto doc = KeyDocument::fromBytes(line);
        QCOMPARE(doc.rowCount(), 1);
        const std::string last = doc.cell(0, core::DescriptionColumn);
        QVERIFY(last.size() > 390000);
        QVERIFY(last.substr(last.size() - 6) == "\"end\" ");
    }
};

QTEST_APPLESS_MAIN(KeyFileReaderTest)
#include "KeyFileReaderTest.moc"
