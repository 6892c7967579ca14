#include "CliRun.h"

#include <QFileInfo>
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
        QTest::newRow("print without a PDF file")
            << QStringList{QStringLiteral("print"), QStringLiteral("a.key")} << 2 << "tarnwick-cli: ";
        QTest::newRow("print on unknown paper") << QStringList{QStringLiteral("print"), QStringLiteral("a.key"),
            QStringLiteral("--pdf"), QStringLiteral("a.pdf"), QStringLiteral("--paper"), QStringLiteral("A3")}
                                                << 2 << "tarnwick-cli: ";
        QTest::newRow("macros in an unknown format") << QStringList{QStringLiteral("macros"), QStringLiteral("a.key"),
            QStringLiteral("--format"), QStringLiteral("tmj")}
                                                     << 2 << "tarnwick-cli: ";
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

    void refusesWhatIsNotARegularFile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("err");
        QTest::newRow("list of a named pipe") << QStringList{
            "list", "@pipe"} << "tarnwick-cli: cannot read @pipe: It is a named pipe, not a regular file\n";
        QTest::newRow("keys of a device") << QStringList{
            "keys", "/dev/zero"} << "tarnwick-cli: cannot read /dev/zero: It is a device, not a regular file\n";
        QTest::newRow("save from a named pipe") << QStringList{
            "save", "@pipe", "@out"} << "tarnwick-cli: cannot read @pipe: It is a named pipe, not a regular file\n";
        QTest::newRow("save to a named pipe") << QStringList{
            "save", "@in", "@pipe"} << "tarnwick-cli: cannot write @pipe: It is a named pipe, not a regular file\n";
        // Refused whatever the rights of the user: root could write it anyway.
        QTest::newRow("save to a read-only file") << QStringList{"save", "@in", "@read-only"}
                                                  << "tarnwick-cli: cannot write @read-only: The file is read-only\n";
        QTest::newRow("print to a named pipe") << QStringList{"print", "@in", "--pdf",
            "@pipe"} << "tarnwick-cli: cannot write @pipe: It is a named pipe, not a regular file\n";
        QTest::newRow("print to a read-only file") << QStringList{"print", "@in", "--pdf", "@read-only"}
                                                   << "tarnwick-cli: cannot write @read-only: The file is read-only\n";
    }

    void refusesWhatIsNotARegularFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, err);
        if (args.contains(QStringLiteral("/dev/zero")) && !QFileInfo::exists(QStringLiteral("/dev/zero")))
            QSKIP("no /dev/zero here");
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("pipe.key"));
        const QString in = dir.filePath(QStringLiteral("in.key"));
        const QString readOnly = dir.filePath(QStringLiteral("read-only.key"));
        if (args.contains(QStringLiteral("@pipe")) && !testing::makeNamedPipe(pipe))
            QSKIP("no mkfifo here");
        testing::writeBytes(in, "SimA 1\r\n");
        testing::writeBytes(readOnly, "old");
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
        const std::pair<QString, QString> names[]
            = {{"@pipe", pipe}, {"@in", in}, {"@read-only", readOnly}, {"@out", dir.filePath("out.key")}};
        for (const auto& [name, path] : names) {
            args.replaceInStrings(name, path);
            err.replace(name, path);
        }
        // The real program, so that a run that waits on the pipe ends the test instead of stopping it.
        const auto run = testing::runRealCli(args);
        QCOMPARE(run.code, 1);
        QCOMPARE(QString::fromStdString(run.err), err);
        QVERIFY(run.out.empty());
        QCOMPARE(testing::readBytes(readOnly), std::string("old"));
        QVERIFY(!QFile::exists(dir.filePath("out.key")));
        if (args.contains(pipe))
            QVERIFY(QFileInfo::exists(pipe) && !QFileInfo(pipe).isFile());
    }

    void standardOutputThatCannotBeWritten_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("list") << QStringList{"list", testing::samplePath("tarnwick-sample.key")} << 1;
        QTest::newRow("version") << QStringList{"--version"} << 1;
        // A check that could not report is not a check that found errors.
        QTest::newRow("check") << QStringList{"check", testing::testDataPath("problems-cells.key")} << 2;
    }

    void standardOutputThatCannotBeWritten()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        const auto run = testing::runRealCli(args, QStringLiteral("/dev/full"));
        QCOMPARE(run.code, code);
        QVERIFY2(QByteArray::fromStdString(run.err).endsWith(
                     "tarnwick-cli: cannot write standard output: No space left on device\n"),
            run.err.c_str());
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
