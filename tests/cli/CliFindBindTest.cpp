#include "CliRun.h"

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

} // namespace

/** `find` and `bind` end to end: what they print, what they refuse, and the bytes they write. */
class CliFindBindTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("keys.key"));
        testing::writeBytes(m_file, kFile);
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

private:
    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_APPLESS_MAIN(CliFindBindTest)
#include "CliFindBindTest.moc"
