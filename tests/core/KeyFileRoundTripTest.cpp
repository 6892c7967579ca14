#include "core/KeyDocument.h"

#include "TestData.h"

#include <QDir>
#include <QTest>

using core::KeyDocument;

class KeyFileRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void unchangedDocumentSavesByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("CRLF") << QByteArray("SimA 1 0 0x1E 0 0 0 1 \"a\"\r\nSimB 1\r\n");
        QTest::newRow("no final line end") << QByteArray("SimA 1\nSimB 2");
        QTest::newRow("mixed line ends") << QByteArray("A\r\nB\nC\rD\r\n");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFSimA 1\r\n");
        QTest::newRow("blank lines everywhere") << QByteArray("\r\n  \nSimA 1\n\n \t \nSimB\n\n  ");
        QTest::newRow("spacing and tabs") << QByteArray("  SimA\t 1   2  \"d  \"   \r\n");
        QTest::newRow("comments") << QByteArray("### head ###\r\n  # indented\r\nSimA 1\r\n");
        QTest::newRow("eight-bit bytes") << QByteArray("SimA 1 \"25\xb0 \xc2\xb0\"\r\n");
        QTest::newRow("NUL bytes") << testing::literalBytes("Sim\0A 1\n\0\n");
        QTest::newRow("lone CR at end") << QByteArray("SimA\r");
        QTest::newRow("only blank text") << QByteArray(" \r\n\r\n");
    }

    void unchangedDocumentSavesByteForByte()
    {
        QFETCH(QByteArray, bytes);
        const std::string original = bytes.toStdString();
        QCOMPARE(KeyDocument::fromBytes(original).toBytes(), original);
    }

    void ownAndRealKeyFilesRoundTrip()
    {
        QStringList files = testing::corpusKeyFiles();
        files << testing::samplePath(QStringLiteral("tarnwick-sample.key"));
        const QDir data(testing::testDataPath(QString()));
        for (const QString& name : data.entryList({QStringLiteral("*.key")}, QDir::Files))
            files << data.filePath(name);
        // The sample and our own six test files at least; the real files when they are beside the checkout.
        QVERIFY(files.size() >= 7);
        for (const QString& file : files) {
            const std::string bytes = testing::readBytes(file);
            QVERIFY2(!bytes.empty(), qPrintable(file));
            const auto doc = KeyDocument::fromBytes(bytes);
            QVERIFY2(doc.toBytes() == bytes, qPrintable(file));
            // Reading what was written gives the same cells.
            const auto again = KeyDocument::fromBytes(doc.toBytes());
            QCOMPARE(again.rowCount(), doc.rowCount());
            for (int r = 0; r < doc.rowCount(); r += 7)
                QVERIFY(again.cells(r) == doc.cells(r));
        }
    }

    void editedRowIsNormalisedOthersStay()
    {
        const std::string original = "# top\r\n\r\nSimA  -1 0   0x1E 0 0 0 1  \"Alpha  one\"  \r\n"
                                     "SimB\t-1 0 0x30 0 0 0 1 \"Beta\"\nSimC 1";
        auto doc = KeyDocument::fromBytes(original);
        QVERIFY(doc.setCell(1, core::ModifierColumn, "3"));
        QCOMPARE(doc.toBytes(),
            std::string("# top\r\n\r\nSimA -1 0 0x1E 3 0 0 1 \"Alpha  one\"\r\n"
                        "SimB\t-1 0 0x30 0 0 0 1 \"Beta\"\nSimC 1"));
        // Editing the last line keeps it without a line end.
        QVERIFY(doc.setCell(3, core::CockpitIdColumn, "2"));
        const std::string saved = doc.toBytes();
        QCOMPARE(saved.substr(saved.size() - 7), std::string("\nSimC 2"));
    }

    void editedRowWithEmptyMiddleCellKeepsTwoSpaces()
    {
        auto doc = KeyDocument::fromBytes("SimA 1 2 3\r\n");
        QVERIFY(doc.setCell(0, core::CockpitIdColumn, ""));
        QCOMPARE(doc.toBytes(), std::string("SimA  2 3\r\n"));
    }

    void lineBreaksTypedIntoACellDoNotSplitTheRecord()
    {
        auto doc = KeyDocument::fromBytes("SimA 1\r\nSimB 2\r\n");
        QVERIFY(doc.setCell(0, core::CockpitIdColumn, "x\r\ny"));
        QCOMPARE(KeyDocument::fromBytes(doc.toBytes()).rowCount(), 2);
    }

    void normalisedRowsReadBackToTheSameCells_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("full") << QByteArray("SimA -1 0 0X1E 1 0XFFFFFFFF 0 1 \"Alpha\"");
        QTest::newRow("short") << QByteArray("OTWViewUp 0 -1 -3 0 0x0 -1");
        QTest::newRow("description with spaces") << QByteArray("SimA 1 \"a  b  \"  ");
        QTest::newRow("extra fields") << QByteArray("S 1 2 3 4 5 6 7 8 9 10 11");
    }

    void normalisedRowsReadBackToTheSameCells()
    {
        QFETCH(QByteArray, line);
        auto doc = KeyDocument::fromBytes(line.toStdString());
        const auto before = doc.cells(0);
        QVERIFY(doc.setCell(0, core::SimNameColumn, before[core::SimNameColumn]));
        const auto again = KeyDocument::fromBytes(doc.toBytes());
        QVERIFY(again.cells(0) == before);
    }
};

QTEST_APPLESS_MAIN(KeyFileRoundTripTest)
#include "KeyFileRoundTripTest.moc"
