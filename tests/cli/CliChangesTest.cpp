#include "CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using testing::runCli;

namespace {

// File 2 gives SimB the key SimA has in file 1, so SimA's own binding clashes until SimA takes another.
const std::string kOne = "# one\r\n"
                         "SimA -1 0 0x1E 0 0 0 1 \"Alpha\"\r\n"
                         "SimB  -1 0 0x30 0 0 0 1 \"10\xb0\"\r\n"
                         "SimC -1 0 0x2E 0 0 0 1 \"Gamma\"\r\n"
                         "SimKeep -1 0 0x12 0 0 0 1 \"Keep\"\r\n";
const std::string kTwo = "SimA -1 0 0x1F 0 0 0 1 \"Alpha\"\n"
                         "SimB -1 0 0x1E 0 0 0 1 \"10\xb0\"\n"
                         "SimC -1 0 0x2E 0 0 0 1 \"Gamma, new\"\n"
                         "SimKeep -1 0 0x12 0 0 0 1 \"Keep\"\n"
                         "SimD -1 0 0x13 4 0 0 1 \"Delta\"\n"
                         "SimKeep2 -1 0 0x2E 0 0 0 1 \"Takes SimC's key\"\n";

} // namespace

class CliChangesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_one = m_dir.filePath(QStringLiteral("one.key"));
        m_two = m_dir.filePath(QStringLiteral("two.key"));
        testing::writeBytes(m_one, kOne);
        testing::writeBytes(m_two, kTwo);
    }

    void changesAsText()
    {
        const auto run = runCli({QStringLiteral("compare"), m_one, m_two, QStringLiteral("--changes")});
        QCOMPARE(run.code, 0);
        QCOMPARE(QString::fromStdString(run.out),
            QStringLiteral("rebound\t2\t1\tSimA\ta\ts\n"
                           "rebound\t3\t2\tSimB\tb\ta\n"
                           "description\t4\t3\tSimC\tc\tc\n"
                           "added\t-\t5\tSimD\t\tALT r\n"
                           "added\t-\t6\tSimKeep2\t\tc\n"));
    }

    void changesAsJson()
    {
        const auto run
            = runCli({QStringLiteral("compare"), m_one, m_two, QStringLiteral("--changes"), QStringLiteral("--json")});
        QCOMPARE(run.code, 0);
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(json[QStringLiteral("file2")].toString(), m_two);
        const QJsonObject counts = json[QStringLiteral("counts")].toObject();
        QCOMPARE(counts[QStringLiteral("added")].toInt(), 2);
        QCOMPARE(counts[QStringLiteral("rebound")].toInt(), 2);
        QCOMPARE(counts[QStringLiteral("unchanged")].toInt(), 1);
        const QJsonArray changes = json[QStringLiteral("changes")].toArray();
        QCOMPARE(changes.size(), 5);
        const QJsonObject b = changes[1].toObject();
        QCOMPARE(b[QStringLiteral("class")].toString(), QStringLiteral("rebound"));
        QCOMPARE(b[QStringLiteral("line1")].toInt(), 3);
        QCOMPARE(b[QStringLiteral("keys2")].toString(), QStringLiteral("a"));
        // Windows-1252 text comes out as its characters.
        QCOMPARE(b[QStringLiteral("description1")].toString(), QString::fromUtf8("10\xc2\xb0"));
        const QJsonObject d = changes[3].toObject();
        QVERIFY(d[QStringLiteral("line1")].isNull());
        QVERIFY(d[QStringLiteral("keys1")].isNull());
    }

    void changesWrittenAsRtf()
    {
        const QString rtf = m_dir.filePath(QStringLiteral("changes.rtf"));
        const auto run = runCli(
            {QStringLiteral("compare"), m_one, m_two, QStringLiteral("--changes"), QStringLiteral("--rtf"), rtf});
        QCOMPARE(run.code, 0);
        const std::string written = testing::readBytes(rtf);
        QVERIFY(written.rfind("{\\rtf1", 0) == 0);
        QVERIFY(written.find("Rebound  SimA  a -> s  (lines 2 / 3)") == std::string::npos);
        QVERIFY(written.find("Rebound  SimA  a -> s  (lines 2 / 1)") != std::string::npos);
        QVERIFY(written.find("Comparison made: 04 December 2026, 3:26 pm") != std::string::npos);
    }

    // SimB takes "a" from SimA, which takes "s": no clash remains, so --no-clashes takes both too.
    void take()
    {
        const QString target = m_dir.filePath(QStringLiteral("taken.key"));
        for (const QStringList& flags : {QStringList(), QStringList{QStringLiteral("--no-clashes")}}) {
            const auto run
                = runCli(QStringList{QStringLiteral("take"), m_two, m_one, QStringLiteral("--output"), target} + flags);
            QCOMPARE(run.code, 0);
            QCOMPARE(QString::fromStdString(run.out),
                QStringLiteral("taken\t2\tSimA\ta\ts\ntaken\t3\tSimB\tb\ta\n"
                               "missing\t5\tSimD\tALT r\nmissing\t6\tSimKeep2\tc\n"));
            QCOMPARE(testing::readBytes(target),
                "# one\r\nSimA -1 0 0x1F 0 0 0 1 \"Alpha\"\r\nSimB -1 0 0x1E 0 0 0 1 \"10\xb0\"\r\n"
                    + kOne.substr(kOne.find("SimC")));
            QCOMPARE(testing::readBytes(m_one), kOne);
        }
    }

    // A key that another function keeps is not taken with --no-clashes, and the line says why.
    void takeLeavesOutAKeptKey()
    {
        const QString into = m_dir.filePath(QStringLiteral("into.key"));
        const QString from = m_dir.filePath(QStringLiteral("from.key"));
        testing::writeBytes(into, "SimA -1 0 0x1E 0 0 0 1\nSimB -1 0 0x30 0 0 0 1\n");
        testing::writeBytes(from, "SimA -1 0 0x30 0 0 0 1\nSimB -1 0 0x30 0 0 0 1\n");
        const QString target = m_dir.filePath(QStringLiteral("kept.key"));
        const auto all = runCli({QStringLiteral("take"), from, into, QStringLiteral("--output"), target});
        QCOMPARE(QString::fromStdString(all.out), QStringLiteral("taken\t1\tSimA\ta\tb\tclashes with SimB (line 2)\n"));
        const auto run = runCli(
            {QStringLiteral("take"), from, into, QStringLiteral("--output"), target, QStringLiteral("--no-clashes")});
        QCOMPARE(run.code, 0);
        QCOMPARE(
            QString::fromStdString(run.out), QStringLiteral("skipped\t1\tSimA\ta\tb\tclashes with SimB (line 2)\n"));
        QCOMPARE(testing::readBytes(target), testing::readBytes(into));
    }

private:
    QTemporaryDir m_dir;
    QString m_one;
    QString m_two;
};

QTEST_APPLESS_MAIN(CliChangesTest)
#include "CliChangesTest.moc"
