#include "CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using testing::runCli;

namespace {

const std::string kFile = "# keys\r\n"
                          "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"1. GEAR\"\r\n"
                          "AFGearToggle  -1 0 0x22 0 0 0 1 \"GEAR: Landing gear\"\r\n"
                          "SimHookToggle -1 0 0x25 2 0 0 1 \"GEAR: Hook\"\n"
                          "\r\n"
                          "SimDoNothing -1 0 0x22 0 0 0 -0 \"REM: g is the gear\"\r\n"
                          "SimPickle 1 -1 -2 0 0x0 -1\r\n"
                          "SimGap -1\t\t0x30 0 0 0 1 \"short\"\r\n";

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

/** `find`, `bind`, `compare --changes` and `take` end to end: what they print, what they refuse, and the bytes they
 *  write. */
class CliFindBindTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("keys.key"));
        testing::writeBytes(m_file, kFile);
        m_one = m_dir.filePath(QStringLiteral("one.key"));
        m_two = m_dir.filePath(QStringLiteral("two.key"));
        testing::writeBytes(m_one, kOne);
        testing::writeBytes(m_two, kTwo);
        QFile::remove(m_dir.filePath(QStringLiteral("out.key")));
    }

    void find_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("a word") << QStringList{"hook"} << QByteArray("4\tSimHookToggle CTL k \"GEAR: Hook\"\n");
        QTest::newRow("words in any case, code")
            << QStringList{"GEAR", "0x22"}
            << QByteArray("3\tAFGearToggle g \"GEAR: Landing gear\"\n6\tSimDoNothing g \"REM: g is the gear\"\n");
        QTest::newRow("nothing") << QStringList{"parachute"} << QByteArray();
    }

    void find()
    {
        QFETCH(QStringList, words);
        QFETCH(QByteArray, out);
        const auto run = runCli(QStringList{"find", m_file} + words);
        QCOMPARE(run.code, 0);
        QCOMPARE(QByteArray::fromStdString(run.out), out);
    }

    void bind_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("changed"); // the file's bytes afterwards, as a replacement of one line
        QTest::newRow("a free key") << QStringList{"3", "CTL ALT o"} << 0 << QByteArray()
                                    << QByteArray("AFGearToggle -1 0 0X18 6 0 0 1 \"GEAR: Landing gear\"\r\n");
        QTest::newRow("two strokes") << QStringList{"3", "ALT c  f"} << 0 << QByteArray()
                                     << QByteArray("AFGearToggle -1 0 0X21 0 0X2E 4 1 \"GEAR: Landing gear\"\r\n");
        QTest::newRow("none") << QStringList{"3", "none"} << 0 << QByteArray()
                              << QByteArray("AFGearToggle -1 0 0XFFFFFFFF 0 0 0 1 \"GEAR: Landing gear\"\r\n");
        QTest::newRow("the key it has") << QStringList{"3", "g"} << 0 << QByteArray() << QByteArray();
        QTest::newRow("taken") << QStringList{"4", "g"} << 1
                               << QByteArray("tarnwick-cli: g is taken by AFGearToggle (line 3); give --take-over to "
                                             "move it\n")
                               << QByteArray();
        QTest::newRow("keys that do not parse") << QStringList{"3", "CTL zz"} << 1
                                                << QByteArray("tarnwick-cli: cannot read the keys \"CTL zz\": \"zz\" "
                                                              "names no key\n")
                                                << QByteArray();
        QTest::newRow("a comment") << QStringList{"1", "g"} << 1 << QByteArray(" is a comment\n") << QByteArray();
        QTest::newRow("a blank line") << QStringList{"5", "g"} << 1
                                      << QByteArray(" is not a key line (there is no record on it)\n") << QByteArray();
        QTest::newRow("past the end") << QStringList{"99", "g"} << 1
                                      << QByteArray(" is not a key line (there is no record on it)\n") << QByteArray();
        QTest::newRow("a joystick line") << QStringList{"7", "g"} << 1
                                         << QByteArray(" binds a joystick button, not a key\n") << QByteArray();
        QTest::newRow("a line with an empty cell") << QStringList{"8", "q"} << 1
                                                   << QByteArray("tarnwick-cli: line 8 has a cell that cannot be "
                                                                 "written so that reading gives it back (Ignored); "
                                                                 "nothing was written\n")
                                                   << QByteArray();
    }

    void bind()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, changed);
        const QString out = m_dir.filePath(QStringLiteral("out.key"));
        const auto run = runCli(QStringList{"bind", m_file} + args + QStringList{"--output", out});
        QCOMPARE(run.code, code);
        QVERIFY2(QByteArray::fromStdString(run.err).endsWith(message), run.err.c_str());
        QCOMPARE(testing::readBytes(m_file), kFile); // the file read is untouched
        if (code != 0) {
            QVERIFY(!QFile::exists(out));
            return;
        }
        // Only the changed line is normalised; every other byte stays.
        std::string expected = kFile;
        if (!changed.isEmpty())
            expected.replace(expected.find("AFGearToggle"),
                std::string("AFGearToggle  -1 0 0x22 0 0 0 1 \"GEAR: Landing gear\"\r\n").size(),
                changed.toStdString());
        QCOMPARE(testing::readBytes(out), expected);
    }

    void takeOverClearsTheOtherLineInPlace()
    {
        const auto run = runCli({"bind", m_file, "4", "g", "--take-over"});
        QCOMPARE(run.code, 0);
        std::string expected = kFile;
        expected.replace(expected.find("AFGearToggle  -1 0 0x22"), 52,
            "AFGearToggle -1 0 0XFFFFFFFF 0 0 0 1 \"GEAR: Landing gear\"");
        expected.replace(
            expected.find("SimHookToggle -1 0 0x25 2"), 44, "SimHookToggle -1 0 0X22 0 0 0 1 \"GEAR: Hook\"");
        // The reference line keeps its key: it only documents it.
        QCOMPARE(testing::readBytes(m_file), expected);
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

    // Windows-1252 text comes out as its characters; a side that has no line gives null.
    void changesAsJson()
    {
        const auto run
            = runCli({QStringLiteral("compare"), m_one, m_two, QStringLiteral("--changes"), QStringLiteral("--json")});
        QCOMPARE(run.code, 0);
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(json[QStringLiteral("file2")].toString(), m_two);
        const QJsonArray changes = json[QStringLiteral("changes")].toArray();
        QCOMPARE(changes.size(), 5);
        QCOMPARE(QJsonDocument(QJsonArray{json[QStringLiteral("counts")], changes[1], changes[3]})
                     .toJson(QJsonDocument::Compact),
            QByteArray(R"([{"added":2,"description":1,"moved":0,"rebound":2,"removed":0,"unchanged":1},)"
                       R"({"class":"rebound","description1":"10)"
                       "\xc2\xb0"
                       R"(","description2":"10)"
                       "\xc2\xb0"
                       R"(","keys1":"b","keys2":"a","line1":3,"line2":2,"moved":false,"section":"","simName":"SimB"},)"
                       R"({"class":"added","description1":null,"description2":"Delta","keys1":null,"keys2":"ALT r",)"
                       R"("line1":null,"line2":5,"moved":false,"section":"","simName":"SimD"}])"));
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
    QString m_file;
    QString m_one;
    QString m_two;
};

QTEST_APPLESS_MAIN(CliFindBindTest)
#include "CliFindBindTest.moc"
