#include "core/GenericOrder.h"
#include "core/KeyDocument.h"

#include <QTest>

using core::KeyDocument;
using core::SortOrder;

namespace {

QString simNames(const KeyDocument& doc)
{
    QStringList names;
    for (int r = 0; r < doc.rowCount(); ++r)
        names << QString::fromStdString(doc.cell(r, core::SimNameColumn));
    return names.join(QLatin1Char(','));
}

} // namespace

class KeyDocumentSortTest : public QObject
{
    Q_OBJECT

private slots:
    void genericCompare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("numbers, not text") << "2"
                                           << "10" << -1;
        QTest::newRow("negative numbers") << "-1"
                                          << "0" << -1;
        QTest::newRow("minus zero equals zero") << "-0"
                                                << "0" << 0;
        QTest::newRow("decimals") << "1.5"
                                  << "1.25" << 1;
        QTest::newRow("number against text") << "10"
                                             << "9a" << -1;
        QTest::newRow("text ignores case") << "simA"
                                           << "SIMa" << 0;
        QTest::newRow("text") << "SimB"
                              << "SimA" << 1;
        QTest::newRow("prefix first") << "Sim"
                                      << "SimA" << -1;
        QTest::newRow("hex codes are text") << "0x1E"
                                            << "0x3" << -1;
        QTest::newRow("empty first") << ""
                                     << "a" << -1;
    }

    void genericCompare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int result = core::genericCompare(a.toStdString(), b.toStdString());
        QCOMPARE((result > 0) - (result < 0), sign);
    }

    void sortsByColumnRange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("order");
        // Rows: name, cockpit id, ignored
        QTest::newRow("names ascending") << 1 << 1 << false << "a,B,b2,c,D";
        QTest::newRow("names descending") << 1 << 1 << true << "D,c,b2,B,a";
        QTest::newRow("numbers, stable") << 2 << 2 << false << "a,B,D,c,b2";
        QTest::newRow("two columns") << 2 << 3 << false << "B,a,D,c,b2";
        QTest::newRow("range given backwards") << 3 << 2 << false << "B,a,D,c,b2";
        QTest::newRow("descending keeps equal rows in order") << 2 << 2 << true << "c,b2,D,a,B";
        QTest::newRow("line order") << 0 << 0 << false << "c,a,B,D,b2";
    }

    void sortsByColumnRange()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, descending);
        QFETCH(QString, order);
        auto doc = KeyDocument::fromBytes("c 10 1\na 2 9\nB 2 1\nD 3 0\nb2 10 2\n");
        doc.sortRows(first, last, descending ? SortOrder::Descending : SortOrder::Ascending);
        QCOMPARE(simNames(doc), order);
        QCOMPARE(doc.savedState(), core::SavedState::Saved);
    }

    void sortingByLineRestoresFileOrderAndBytes()
    {
        const std::string bytes = "# c\r\nZ 1\r\n\r\nA 12\nM 2\r\nB 1";
        auto doc = KeyDocument::fromBytes(bytes);
        doc.sortRows(1, 1, SortOrder::Ascending);
        QCOMPARE(simNames(doc), QStringLiteral("# c,A,B,M,Z"));
        doc.sortRows(0, 0, SortOrder::Ascending);
        QCOMPARE(doc.toBytes(), bytes);
        // Numbers of ten and more sort after nine; an empty cell is text and comes first.
        doc.sortRows(2, 2, SortOrder::Ascending);
        QCOMPARE(simNames(doc), QStringLiteral("# c,Z,B,M,A"));
    }

    void sortedDocumentSavesInSortedOrder()
    {
        auto doc = KeyDocument::fromBytes("B 1\r\nA 2");
        doc.sortRows(1, 1, SortOrder::Ascending);
        // The last line of the file had no line end; moved up, it gets one.
        QCOMPARE(doc.toBytes(), std::string("A 2\r\nB 1\r\n"));
    }

    void sortedDocumentReadsBackTheSameRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("sorted");
        // Rows sorted by the cockpit ID column.
        QTest::newRow("plain") << QByteArray("B 2\r\nA 1\r\n") << QByteArray("A 1\r\nB 2\r\n");
        QTest::newRow("blank lines travel with their row")
            << QByteArray("B 2\r\n\nA 1\r") << QByteArray("\nA 1\rB 2\r\n");
        // A line beginning with the bytes of a byte order mark, moved to the top of a file without one, must not
        // lose them (and here turn into a comment) when the file is read again.
        QTest::newRow("byte order mark bytes starting a later line")
            << QByteArray("B 2\n\xEF\xBB\xBF#A 1\n") << QByteArray("\r\n\xEF\xBB\xBF#A 1\nB 2\n");
        QTest::newRow("file with a byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                                   "B 2\n\xEF\xBB\xBF"
                                                                   "A 1\n")
                                                     << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                                   "A 1\nB 2\n");
    }

    void sortedDocumentReadsBackTheSameRecords()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, sorted);
        const std::string original = bytes.toStdString();
        auto doc = KeyDocument::fromBytes(original);
        doc.sortRows(core::CockpitIdColumn, core::CockpitIdColumn, SortOrder::Ascending);
        QCOMPARE(doc.toBytes(), sorted.toStdString());
        const auto again = KeyDocument::fromBytes(doc.toBytes());
        QCOMPARE(again.rowCount(), doc.rowCount());
        for (int r = 0; r < doc.rowCount(); ++r) {
            QCOMPARE(again.lineText(r), doc.lineText(r));
            QCOMPARE(again.isComment(r), doc.isComment(r));
        }
        doc.sortRows(0, 0, SortOrder::Ascending);
        QCOMPARE(doc.toBytes(), original);
    }

    void editedCellsTravelWithTheirRow()
    {
        auto doc = KeyDocument::fromBytes("B 1\nA 2\n");
        QVERIFY(doc.setCell(0, core::CockpitIdColumn, "7"));
        doc.sortRows(1, 1, SortOrder::Ascending);
        QCOMPARE(doc.cell(1, core::CockpitIdColumn), std::string("7"));
        QCOMPARE(doc.toBytes(), std::string("A 2\nB 7\n"));
    }
};

QTEST_APPLESS_MAIN(KeyDocumentSortTest)
#include "KeyDocumentSortTest.moc"
