#include "CliRun.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Run = testing::CliRun;
using testing::runCli;

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void listWritesTheReadableList()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("in.key"));
        testing::writeBytes(file, "# c\nSimA -1 0 0x1E 3 0 0 1 \"Alpha \xb0\"\nSimB 0 -1 -2 0 0x0 -1\n");
        auto run = runCli({QStringLiteral("list"), file});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, std::string("SimA SHF CTL a \"Alpha \xb0\"\r\nSimB DX1, Device 01\r\n"));
        run = runCli({QStringLiteral("list"), file, QStringLiteral("--remove-sim")});
        QCOMPARE(run.out, std::string("A SHF CTL a \"Alpha \xb0\"\r\nB DX1, Device 01\r\n"));
    }

    void saveRoundTripsAndKeepsBytes()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.key"));
        const QString out = dir.filePath(QStringLiteral("out.key"));
        const std::string bytes = "\xEF\xBB\xBF# x\r\n\r\nSimA  1\nSimB 2";
        testing::writeBytes(in, bytes);
        const auto run = runCli({QStringLiteral("save"), in, out});
        QCOMPARE(run.code, 0);
        QCOMPARE(testing::readBytes(out), bytes);
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("errStart");
        QTest::newRow("no command") << QStringList{} << 2 << "tarnwick-cli: ";
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << 2 << "tarnwick-cli: ";
        QTest::newRow("missing argument") << QStringList{QStringLiteral("list")} << 2 << "tarnwick-cli: ";
        QTest::newRow("missing file") << QStringList{QStringLiteral("list"), QStringLiteral("/no/such.key")} << 1
                                      << "tarnwick-cli: cannot read /no/such.key: No such file or folder\n";
        QTest::newRow("folder") << QStringList{QStringLiteral("list"), QStringLiteral("/")} << 1
                                << "tarnwick-cli: cannot read /: It is a folder, not a file\n";
        QTest::newRow("keys without file") << QStringList{QStringLiteral("keys")} << 2 << "tarnwick-cli: ";
        QTest::newRow("compare with one file")
            << QStringList{QStringLiteral("compare"), QStringLiteral("a.key")} << 2 << "tarnwick-cli: ";
        QTest::newRow("keys with an unknown flag") << QStringList{QStringLiteral("keys"), QStringLiteral("a.key"),
            QStringLiteral("--meta")} << 2 << "tarnwick-cli: ";
        QTest::newRow("rtf without a file") << QStringList{QStringLiteral("compare"), QStringLiteral("a.key"),
            QStringLiteral("b.key"), QStringLiteral("--rtf")}
                                            << 2 << "tarnwick-cli: ";
        QTest::newRow("keys of a missing file") << QStringList{QStringLiteral("keys"), QStringLiteral("/no/such.key")}
                                                << 1 << "tarnwick-cli: cannot read /no/such.key: ";
        QTest::newRow("macros of a missing file") << QStringList{QStringLiteral("macros"),
            QStringLiteral("/no/such.key")} << 1 << "tarnwick-cli: cannot read /no/such.key: ";
    }

    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, errStart);
        const auto run = runCli(args);
        QCOMPARE(run.code, code);
        QVERIFY2(QString::fromStdString(run.err).startsWith(errStart), run.err.c_str());
        // Usage errors are one line.
        QCOMPARE(std::count(run.err.begin(), run.err.end(), '\n'), 1L);
        QVERIFY(run.out.empty());
    }

    void helpAndVersion()
    {
        auto run = runCli({QStringLiteral("--help")});
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.find("list") != std::string::npos);
        QVERIFY(run.out.find("save") != std::string::npos);
        run = runCli({QStringLiteral("--version")});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, std::string("tarnwick-cli 1.3\n"));
    }

    void realProgramWritesBytesToStandardOutput()
    {
        QProcess process;
        process.start(QStringLiteral(TARNWICK_CLI_PATH),
            {QStringLiteral("list"), testing::samplePath(QStringLiteral("tarnwick-sample.key"))});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QByteArray out = process.readAllStandardOutput();
        QVERIFY(out.startsWith("SimDoNothing Unassigned \"Tarnwick sample\"\r\n"));
        QVERIFY(out.contains("OTWViewLeft POV1 Left\r\n"));
        process.start(QStringLiteral(TARNWICK_CLI_PATH), {QStringLiteral("list")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 2);
    }

    void corpusFilesListAndSaveUnchanged()
    {
        const QStringList files = testing::corpusKeyFiles();
        if (files.isEmpty())
            QSKIP("no corpus beside the checkout");
        QTemporaryDir dir;
        for (const QString& file : files) {
            const auto first = runCli({QStringLiteral("list"), file});
            QCOMPARE(first.code, 0);
            QVERIFY(!first.out.empty());
            QCOMPARE(runCli({QStringLiteral("list"), file}).out, first.out);
            const QString out = dir.filePath(QStringLiteral("copy.key"));
            QCOMPARE(runCli({QStringLiteral("save"), file, out}).code, 0);
            QVERIFY2(testing::readBytes(out) == testing::readBytes(file), qPrintable(file));
        }
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "CliTest.moc"
