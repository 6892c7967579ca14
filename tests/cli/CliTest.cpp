#include "CliRun.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

using testing::runCli;

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    // Usage errors give code 2 and point to --help, files that cannot be read or found code 1; either way one line
    // on standard error.
    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("errStart");
        const auto row = [](const char* args, int code, const char* err = "tarnwick-cli: ") {
            QTest::newRow(*args ? args : "no command")
                << QString::fromLatin1(args).split(QLatin1Char(' '), Qt::SkipEmptyParts) << code << err;
        };
        row("", 2);
        row("frobnicate", 2);
        row("list", 2);
        row("keys a.key --meta", 2);
        row("list /no/such.key", 1, "tarnwick-cli: cannot read /no/such.key: No such file or folder\n");
        row("list /", 1, "tarnwick-cli: cannot read /: It is a folder, not a file\n");
        row("macros /no/such.key", 1, "tarnwick-cli: cannot read /no/such.key: ");
        // Both files of a comparison must exist; only the first missing one is named.
        row("compare /no/a.key /no/b.key", 1, "I couldn't find /no/a.key\n");
        row("compare / /no/b.key", 1, "I couldn't find /no/b.key\n");
        row("compare /no/a.key /no/b.key --changes", 1, "I couldn't find /no/a.key\n");
        row("compare a.key b.key --json", 2, "tarnwick-cli: --json needs --changes (try --help)\n");
        row("take a.key b.key", 2);
        row("take /no/such.key b.key --output /no/out.key", 1, "tarnwick-cli: cannot read /no/such.key: ");
        row("print a.key", 2);
        row("print a.key --pdf a.pdf --paper A3", 2);
        row("macros a.key --format tmj", 2);
        row("buttons a.key --shift-magnitude 0", 2);
        row("check", 2);
        row("check --fix a.key", 2);
    }

    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, errStart);
        const auto run = runCli(args);
        QCOMPARE(run.code, code);
        QVERIFY2(QString::fromStdString(run.err).startsWith(errStart), run.err.c_str());
        QCOMPARE(std::count(run.err.begin(), run.err.end(), '\n'), 1L);
        QCOMPARE(QByteArray::fromStdString(run.err).endsWith(" (try --help)\n"), code == 2);
        QVERIFY(run.out.empty());
    }

    void refusesWhatIsNotARegularFile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("err");
        const auto row = [](const char* name, const char* args, const char* err) {
            QTest::newRow(name) << QString::fromLatin1(args).split(QLatin1Char(' ')) << QString::fromLatin1(err);
        };
        row("list of a named pipe", "list @pipe", "cannot read @pipe: It is a named pipe, not a regular file\n");
        row("keys of a device", "keys /dev/zero", "cannot read /dev/zero: It is a device, not a regular file\n");
        row("save to a named pipe", "save @in @pipe", "cannot write @pipe: It is a named pipe, not a regular file\n");
        row("save to a folder", "save @in @folder", "cannot write @folder: It is a folder, not a file\n");
        // Refused whatever the rights of the user: root could write it anyway.
        row("save to a read-only file", "save @in @read-only", "cannot write @read-only: The file is read-only\n");
        row("print to a read-only file", "print @in --pdf @read-only",
            "cannot write @read-only: The file is read-only\n");
    }

    void refusesWhatIsNotARegularFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, err);
        if (args.contains("/dev/zero") && !QFileInfo::exists("/dev/zero"))
            QSKIP("no /dev/zero here");
        QTemporaryDir dir;
        const QString pipe = dir.filePath("pipe.key");
        const QString readOnly = dir.filePath("read-only.key");
        if (args.contains("@pipe") && !testing::makeNamedPipe(pipe))
            QSKIP("no mkfifo here");
        testing::writeBytes(dir.filePath("in.key"), "SimA 1\r\n");
        testing::writeBytes(readOnly, "old");
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
        QVERIFY(QDir(dir.path()).mkdir("folder.key"));
        for (const char* name : {"pipe", "in", "read-only", "folder"}) {
            args.replaceInStrings(QLatin1Char('@') + QLatin1String(name), dir.filePath(QString(name) + ".key"));
            err.replace(QLatin1Char('@') + QLatin1String(name), dir.filePath(QString(name) + ".key"));
        }
        // The real program, so that a run that waits on the pipe ends the test instead of stopping it.
        const auto run = testing::runRealCli(args);
        QCOMPARE(run.code, 1);
        QCOMPARE(QString::fromStdString(run.err), "tarnwick-cli: " + err);
        QVERIFY(run.out.empty());
        QCOMPARE(testing::readBytes(readOnly), std::string("old"));
        // Nothing is replaced and nothing is left behind: the folder holds what the test made.
        QStringList made{"folder.key", "in.key", "read-only.key"};
        if (QFileInfo::exists(pipe))
            made.insert(2, "pipe.key");
        QCOMPARE(
            QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System | QDir::Hidden), made);
        QVERIFY(QFileInfo(dir.filePath("folder.key")).isDir());
        QVERIFY(!QFileInfo::exists(pipe) || !QFileInfo(pipe).isFile());
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
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full here");
        const auto run = testing::runRealCli(args, "/dev/full");
        QCOMPARE(run.code, code);
        QVERIFY2(QByteArray::fromStdString(run.err).endsWith(
                     "tarnwick-cli: cannot write standard output: No space left on device\n"),
            run.err.c_str());
    }

    void helpAndVersion()
    {
        auto run = runCli({"--help"});
        QCOMPARE(run.code, 0);
        for (const char* command : {"list", "save", "keys", "macros", "compare"})
            QVERIFY2(run.out.find(std::string("\n  ") + command + ' ') != std::string::npos, command);
        run = runCli({"--version"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, std::string("tarnwick-cli 1.3\n"));
    }

    // check: problems as compilers write them, the exit codes, and the JSON document.
    void check_data()
    {
        const QString cells = testing::testDataPath("problems-cells.key");
        const QString keys = testing::testDataPath("problems-keys.key");
        const QString clean = testing::testDataPath("directx-pov.key");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("outLines"); // lines of standard output, in this order
        QTest::addColumn<QString>("errEnd"); // the last line of standard error
        QTest::newRow("no problems") << QStringList{"check", clean} << 0 << QStringList{}
                                     << "0 errors, 0 warnings in 1 file\n";
        QTest::newRow("errors") << QStringList{"check", cells} << 1
                                << QStringList{cells + ":2: error: 0x54: no key has this code",
                                       cells + ":4: error: 0x3G is not a key code"}
                                << "6 errors, 0 warnings in 1 file\n";
        QTest::newRow("warnings only") << QStringList{"check", keys} << 0
                                       << QStringList{keys
                                              + ":2: warning: SHF q is bound to 2 functions: SimShiftQ (line 2), "
                                                "SimAlsoShiftQ (line 3)"}
                                       << "0 errors, 4 warnings in 1 file\n";
        QTest::newRow("strict warnings") << QStringList{"check", "--strict", keys} << 1
                                         << QStringList{keys + ":12: warning: The line has 7 fields; a key line has 9"}
                                         << "0 errors, 4 warnings in 1 file\n";
        QTest::newRow("two files in order")
            << QStringList{"check", keys, cells} << 1
            << QStringList{keys
                       + ":13: warning: Text after the description (\"MANUALLY INSERTED\") is kept, but the "
                         "simulator may misread it",
                   cells + ":2: error: 0x54: no key has this code"}
            << "6 errors, 4 warnings in 2 files\n";
        QTest::newRow("unreadable file") << QStringList{"check", "/no/such.key", cells} << 2
                                         << QStringList{cells + ":2: error: 0x54: no key has this code"}
                                         << "6 errors, 0 warnings in 1 file\n";
    }

    void check()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QStringList, outLines);
        QFETCH(QString, errEnd);
        const auto run = runCli(args);
        QCOMPARE(run.code, code);
        const QStringList out = QString::fromStdString(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        qsizetype at = 0;
        for (const QString& line : outLines)
            QVERIFY2((at = out.indexOf(line, at)) >= 0, qPrintable(line));
        QCOMPARE(out.isEmpty(), outLines.isEmpty());
        QVERIFY2(QString::fromStdString(run.err).endsWith(errEnd), run.err.c_str());
    }

    void checkJson()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("caf\xc3\xa9.key");
        // A Windows-1252 degree sign in a sim name: the JSON document holds it as UTF-8.
        testing::writeBytes(name, "Sim\xb0 -1 0 0x1E 0 0 0 1 \"d\"\nSimB -1 0 0x1e 0 0 0 1 \"d\"\nSimC -1 0 0x54 9");
        const auto run = runCli({"check", "--json", name});
        QCOMPARE(run.code, 1);
        const auto document = nlohmann::ordered_json::parse(run.out);
        QCOMPARE(document.size(), std::size_t(4));
        QCOMPARE(document[0].dump(),
            R"({"file":")" + name.toStdString() + R"(","line":1,"severity":"warning","code":"key-conflict","text":)"
                + "\"a is bound to 2 functions: Sim\xc2\xb0 (line 1), SimB (line 2)\",\"lines\":[1,2]}");
        QStringList codes;
        for (const auto& problem : document)
            codes << QString::fromStdString(problem.at("code").get<std::string>());
        QCOMPARE(codes, (QStringList{"key-conflict", "unknown-key", "bad-modifier", "short-line"}));
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "CliTest.moc"
