#include "CliRun.h"

#include "core/Comparison.h"
#include "core/CougarMacros.h"
#include "core/Joystick.h"
#include "core/KeyDocument.h"
#include "core/Reference.h"
#include "core/ReportWriters.h"
#include "core/TargetMacros.h"
#include "io/FileIo.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

namespace {

using testing::runCli;

// Drops the date line of a comparison report, the one thing that changes from run to run.
std::string withoutDateLine(const std::string& report)
{
    const std::size_t start = report.find("Comparison made: ");
    if (start == std::string::npos)
        return report;
    return report.substr(0, start) + report.substr(report.find("\r\n", start));
}

const QByteArray kKeyFile = "# Views\r\n"
                            "SimAlpha -1 0 0X1E 0 0XFFFFFFFF 0 1 \"Alpha\"\r\n"
                            "SimBeta -1 0 0x1e 0 0 0 1 \"Beta\"\r\n"
                            "SimGamma -1 0 0X30 1 0 0 1 \"Gamma\"\r\n"
                            "SimCombo -1 0 0X30 0 0X2E 4 1 \"Combo\"\r\n"
                            "SimWin -1 0 0XDB 6 0 0 1 \"Win\"\r\n"
                            "SimAll -1 0 0X2E 7 0 0 1 \"All\"\r\n"
                            "SimOdd -1 0 0X2E x 0 0 1 \"Odd\"\r\n"
                            "SimButton 4 -1 -2 0 0x0 -1\r\n"
                            "SimHat 0 -1 -3 6 0x0 -1\r\n"
                            "# Pinky\r\n"
                            "SimShifted 260 -2 -2 0x42 0x0 -1\r\n";

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

/** Each command end to end: what it prints and writes, and what it refuses. */
class CliCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_keyFile = m_dir.filePath("views.key");
        testing::writeBytes(m_keyFile, kKeyFile.toStdString());
        m_file = m_dir.filePath("keys.key");
        testing::writeBytes(m_file, kFile);
        m_one = m_dir.filePath("one.key");
        m_two = m_dir.filePath("two.key");
        testing::writeBytes(m_one, kOne);
        testing::writeBytes(m_two, kTwo);
        QFile::remove(m_dir.filePath("out.key"));
    }

    // Keys a, b, c and WinL in the keys view for each set of flags.
    void keys_data()
    {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QByteArray>("lines"); // lines 0, 1, 2 and 66 joined by '|'
        const auto row = [](const char* flags, const char* lines) {
            QTest::newRow(*flags ? flags : "none") << flags << QByteArray(lines);
        };
        row("", "0X1E\ta\tmultiple\tSimAlpha, SimBeta|0X30\tb\tfree\t|0X2E\tc\tfree\t|0XDB\tWinL\tfree\t");
        row("--shift", "0X1E\ta\tfree\t|0X30\tb\tassigned\tSimGamma|0X2E\tc\tfree\t|0XDB\tWinL\tfree\t");
        row("--control --alt", "0X1E\ta\tfree\t|0X30\tb\tfree\t|0X2E\tc\tfree\t|0XDB\tWinL\tassigned\tSimWin");
        row("--alt --shift --control", "0X1E\ta\tfree\t|0X30\tb\tfree\t|0X2E\tc\tassigned\tSimAll|0XDB\tWinL\tfree\t");
    }

    void keys()
    {
        QFETCH(QString, flags);
        QFETCH(QByteArray, lines);
        const auto run = runCli(QStringList{"keys", m_keyFile} + flags.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        const QByteArrayList out = QByteArray::fromStdString(run.out).chopped(1).split('\n');
        QCOMPARE(out.size(), 97);
        QCOMPARE((QByteArrayList{out[0], out[1], out[2], out[66]}).join('|'), lines);
        // The keys come in table order, each line with four fields and ended by LF alone (the last one too).
        QCOMPARE(out[26], QByteArray("0X1\tESC\tfree\t"));
        QCOMPARE(out[96], QByteArray("0X9C\tKPENT\tfree\t"));
        for (const QByteArray& line : out)
            QVERIFY(line.count('\t') == 3 && !line.contains('\r'));
    }

    // Each flag reaches the engine that writes the view; the texts themselves are the engine's.
    void views_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<std::string>("out");
        const auto doc = core::KeyDocument::fromBytes(kKeyFile.toStdString());
        std::vector<int> rows(static_cast<std::size_t>(doc.rowCount()));
        std::iota(rows.begin(), rows.end(), 0);
        const auto buttons = [&doc](int magnitude, int perDevice) {
            core::JoystickSettings settings;
            settings.shiftMagnitude = magnitude;
            settings.buttonsPerDevice = perDevice;
            return core::buttonsText(core::joystickLines(doc, settings));
        };
        QTest::newRow("list") << QStringList{"list"} << core::listText(doc, false);
        QTest::newRow("list, no Sim") << QStringList{"list", "--remove-sim"} << core::listText(doc, true);
        QTest::newRow("Cougar") << QStringList{"macros"} << core::fillCougarMacros(doc, false);
        QTest::newRow("Cougar, no Sim") << QStringList{"macros", "--remove-sim"} << core::fillCougarMacros(doc, true);
        QTest::newRow("TARGET") << QStringList{"macros", "--format", "target"}
                                << core::fillTargetMacros(doc, rows, false);
        QTest::newRow("TARGET, no Sim") << QStringList{"macros", "--remove-sim", "--format", "target"}
                                        << core::fillTargetMacros(doc, rows, true);
        QTest::newRow("buttons") << QStringList{"buttons"} << buttons(256, 32);
        QTest::newRow("magnitude 128") << QStringList{"buttons", "--shift-magnitude", "128"} << buttons(128, 32);
        QTest::newRow("two buttons a device") << QStringList{"buttons", "--buttons-per-device", "2"} << buttons(256, 2);
    }

    void views()
    {
        QFETCH(QStringList, args);
        QFETCH(std::string, out);
        args.insert(1, m_keyFile);
        const auto run = runCli(args);
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        QCOMPARE(run.out, out);
    }

    // A file big enough to be mapped, and to be written in many pieces, gives the views a read file gives, and is
    // saved over itself and bound in place.
    void bigFileMappedAndWrittenOverItself()
    {
        std::string bytes;
        while (bytes.size() < static_cast<std::size_t>(io::MapFilesFrom))
            bytes += kKeyFile.toStdString();
        const QString big = m_dir.filePath("big.key");
        testing::writeBytes(big, bytes);
        const auto doc = core::KeyDocument::fromBytes(bytes);
        const auto list = runCli({"list", big});
        QCOMPARE(list.code, 0);
        QVERIFY(list.out == core::listText(doc, false));
        // Pieces made side by side come out in the file's order.
        const auto macros = runCli({"macros", big});
        QCOMPARE(macros.code, 0);
        QVERIFY(macros.out == core::fillCougarMacros(doc, false));
        QCOMPARE(runCli({"save", big, big}).code, 0);
        QVERIFY(testing::readBytes(big) == bytes);
        // Saved elsewhere, the bytes go out straight from the mapping; saved to another name of the same file, they
        // go over the file they are mapped from.
        const QString copy = m_dir.filePath("copy.key");
        QCOMPARE(runCli({"save", big, copy}).code, 0);
        QVERIFY(testing::readBytes(copy) == bytes);
        const QString otherName = m_dir.filePath("other name.key");
        if (testing::runProgram(QStringLiteral("ln"), {big, otherName})) {
            QCOMPARE(runCli({"save", otherName, big}).code, 0);
            QVERIFY(testing::readBytes(big) == bytes);
        }
        const auto bound = runCli({"bind", big, "3", "ALT x"});
        QCOMPARE(bound.code, 0);
        const std::string before = "SimBeta -1 0 0x1e 0 0 0 1 \"Beta\"";
        QVERIFY(bytes.find(before) != std::string::npos);
        bytes.replace(bytes.find(before), before.size(), "SimBeta -1 0 0X2D 4 0 0 1 \"Beta\"");
        QVERIFY(testing::readBytes(big) == bytes);
    }

    // The real program: printing is the work of its module.
    void printWritesPdfAndHtml_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QByteArray>("firstPage");
        QTest::newRow("A4") << QStringList() << QByteArray("/MediaBox [0 0 842.000000 595.000000]");
        QTest::newRow("Letter") << QStringList{"--paper", "letter"}
                                << QByteArray("/MediaBox [0 0 792.000000 612.000000]");
    }

    void printWritesPdfAndHtml()
    {
        QFETCH(QStringList, flags);
        QFETCH(QByteArray, firstPage);
        const QString pdf = m_dir.filePath("reference.pdf");
        const QString html = m_dir.filePath("reference.html");
        const auto run = testing::runRealCli(QStringList{"print", m_keyFile, "--pdf", pdf, "--html", html} + flags);
        QCOMPARE(run.code, 0);
        QCOMPARE(QString::fromStdString(run.err), QString());
        const QByteArray written = QByteArray::fromStdString(testing::readBytes(pdf));
        QVERIFY(written.startsWith("%PDF-"));
        QCOMPARE(written.indexOf("/MediaBox"), written.indexOf(firstPage));
        const auto reference
            = core::Reference::build(core::KeyDocument::fromBytes(kKeyFile.toStdString()), "views.key");
        QCOMPARE(testing::readBytes(html), core::referenceHtml(reference));
    }

    // The report goes to standard output and to each file asked for, dated by the runner's clock. A file that
    // exists but cannot be read is compared as empty, and the report says why.
    void compare_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("two files") << false;
        QTest::newRow("a folder") << true;
    }

    void compare()
    {
        QFETCH(bool, folder);
        const QString two = folder ? m_dir.path() : m_keyFile;
        const QString rtf = m_dir.filePath("report.rtf");
        const QString text = m_dir.filePath("report.txt");
        const auto run = runCli({"compare", m_one, two, "--rtf", rtf, "--text", text});
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        core::CompareInput second{two.toStdString(), kKeyFile.toStdString(), {}};
        if (folder)
            second = {two.toStdString(), std::nullopt, "It is a folder, not a file"};
        const auto report = core::compareKeyFiles({m_one.toStdString(), kOne, {}}, second, testing::fixedTime());
        QCOMPARE(run.out, core::reportText(report));
        QCOMPARE(testing::readBytes(text), run.out);
        QCOMPARE(testing::readBytes(rtf), core::reportRtf(report));
    }

    // The real program writes the same bytes as the runner in this process, and gives the same exit codes.
    void realProgramGivesTheSameBytes()
    {
        const QString sample = testing::samplePath("tarnwick-sample.key");
        const QString cells = testing::testDataPath("problems-cells.key");
        for (const QStringList& args :
            QList<QStringList>{{"list", sample}, {"keys", sample, "--control"}, {"macros", sample, "--remove-sim"},
                {"compare", sample, m_keyFile}, {"check", cells}, {"check", "--json", cells}}) {
            const auto run = testing::runRealCli(args);
            const auto inProcess = runCli(args);
            QCOMPARE(run.code, inProcess.code);
            QVERIFY(!run.out.empty());
            QCOMPARE(withoutDateLine(run.out), withoutDateLine(inProcess.out));
        }
        QCOMPARE(testing::runRealCli({"list", m_dir.filePath("gone.key")}).code, 1);
        QCOMPARE(testing::runRealCli({"list"}).code, 2);
    }

    // Every command on the sample, our own test files and the real key files: each succeeds and says something (the
    // buttons view may have no lines), every macro line ends with CRLF and names a key, and save gives the bytes back.
    void realFiles()
    {
        QStringList files = testing::corpusKeyFiles() << testing::samplePath("tarnwick-sample.key");
        const QDir data(testing::testDataPath(QString()));
        for (const QString& name : data.entryList({"*.key"}, QDir::Files))
            files << data.filePath(name);
        QVERIFY(files.size() >= 7);
        const QString copy = m_dir.filePath("copy.key");
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QString& file = files[i];
            for (const QStringList& args :
                QList<QStringList>{{"list", file}, {"keys", file, "--alt", "--shift"}, {"macros", file, "--remove-sim"},
                    {"compare", file, files[(i + 1) % files.size()]}, {"buttons", file}, {"save", file, copy}}) {
                const auto run = runCli(args);
                QVERIFY2(run.code == 0 && run.err.empty(), qPrintable(args.join(QLatin1Char(' '))));
                QVERIFY(run.out.empty() == (args[0] == QLatin1String("save")) || args[0] == QLatin1String("buttons"));
                if (args[0] == QLatin1String("macros")) {
                    const QByteArrayList lines = QByteArray::fromStdString(run.out).split('\n');
                    QVERIFY(lines.last().isEmpty());
                    for (const QByteArray& line : lines.mid(0, lines.size() - 1))
                        QVERIFY2(line.endsWith('\r') && line.contains(" = "), line.constData());
                }
            }
            QVERIFY2(testing::readBytes(copy) == testing::readBytes(file), qPrintable(file));
        }
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
        QTest::addColumn<QByteArray>("message"); // the end of standard error; empty: the command succeeds
        QTest::addColumn<QByteArray>("changed"); // the file's bytes afterwards, as a replacement of one line
        const auto row
            = [](const char* name, const char* line, const char* keys, const char* message, const char* changed = "") {
                  QTest::newRow(name) << QStringList{line, keys} << QByteArray(message) << QByteArray(changed);
              };
        row("a free key", "3", "CTL ALT o", "", "AFGearToggle -1 0 0X18 6 0 0 1 \"GEAR: Landing gear\"\r\n");
        row("two strokes", "3", "ALT c  f", "", "AFGearToggle -1 0 0X21 0 0X2E 4 1 \"GEAR: Landing gear\"\r\n");
        row("none", "3", "none", "", "AFGearToggle -1 0 0XFFFFFFFF 0 0 0 1 \"GEAR: Landing gear\"\r\n");
        row("the key it has", "3", "g", "");
        row("taken", "4", "g", "tarnwick-cli: g is taken by AFGearToggle (line 3); give --take-over to move it\n");
        row("keys that do not parse", "3", "CTL zz",
            "tarnwick-cli: cannot read the keys \"CTL zz\": \"zz\" names no key\n");
        row("a comment", "1", "g", " is a comment\n");
        row("a blank line", "5", "g", " is not a key line (there is no record on it)\n");
        row("past the end", "99", "g", " is not a key line (there is no record on it)\n");
        row("a joystick line", "7", "g", " binds a joystick button, not a key\n");
        row("a line with an empty cell", "8", "q",
            "tarnwick-cli: line 8 has a cell that cannot be written so that reading gives it back (Ignored); nothing "
            "was written\n");
    }

    void bind()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, changed);
        const int code = message.isEmpty() ? 0 : 1;
        const QString out = m_dir.filePath("out.key");
        const auto run = runCli(QStringList{"bind", m_file} + args + QStringList{"--output", out});
        QCOMPARE(run.code, code);
        QVERIFY2(code ? QByteArray::fromStdString(run.err).endsWith(message) : run.err.empty(), run.err.c_str());
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

    // The changes as text on standard output, and as a report in the rich text file asked for.
    void changesAsTextAndRtf()
    {
        const QString rtf = m_dir.filePath("changes.rtf");
        const auto run = runCli({"compare", m_one, m_two, "--changes", "--rtf", rtf});
        QCOMPARE(run.code, 0);
        const std::string written = testing::readBytes(rtf);
        QVERIFY(written.rfind("{\\rtf1", 0) == 0);
        QVERIFY(written.find("Rebound  SimA  a -> s  (lines 2 / 1)") != std::string::npos);
        QVERIFY(written.find("Comparison made: 04 December 2026, 3:26 pm") != std::string::npos);
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
        const auto run = runCli({"compare", m_one, m_two, "--changes", "--json"});
        QCOMPARE(run.code, 0);
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(json["file2"].toString(), m_two);
        const QJsonArray changes = json["changes"].toArray();
        QCOMPARE(changes.size(), 5);
        QCOMPARE(QJsonDocument(QJsonArray{json["counts"], changes[1], changes[3]}).toJson(QJsonDocument::Compact),
            QByteArray(R"([{"added":2,"description":1,"moved":0,"rebound":2,"removed":0,"unchanged":1},)"
                       R"({"class":"rebound","description1":"10)"
                       "\xc2\xb0"
                       R"(","description2":"10)"
                       "\xc2\xb0"
                       R"(","keys1":"b","keys2":"a","line1":3,"line2":2,"moved":false,"section":"","simName":"SimB"},)"
                       R"({"class":"added","description1":null,"description2":"Delta","keys1":null,"keys2":"ALT r",)"
                       R"("line1":null,"line2":5,"moved":false,"section":"","simName":"SimD"}])"));
    }

    // SimB takes "a" from SimA, which takes "s": no clash remains, so --no-clashes takes both too.
    void take()
    {
        const QString target = m_dir.filePath("taken.key");
        for (const QStringList& flags : {QStringList(), QStringList{"--no-clashes"}}) {
            const auto run = runCli(QStringList{"take", m_two, m_one, "--output", target} + flags);
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
        const QString into = m_dir.filePath("into.key");
        const QString from = m_dir.filePath("from.key");
        testing::writeBytes(into, "SimA -1 0 0x1E 0 0 0 1\nSimB -1 0 0x30 0 0 0 1\n");
        testing::writeBytes(from, "SimA -1 0 0x30 0 0 0 1\nSimB -1 0 0x30 0 0 0 1\n");
        const QString target = m_dir.filePath("kept.key");
        const auto all = runCli({"take", from, into, "--output", target});
        QCOMPARE(QString::fromStdString(all.out), "taken\t1\tSimA\ta\tb\tclashes with SimB (line 2)\n");
        const auto run = runCli({"take", from, into, "--output", target, "--no-clashes"});
        QCOMPARE(run.code, 0);
        QCOMPARE(QString::fromStdString(run.out), "skipped\t1\tSimA\ta\tb\tclashes with SimB (line 2)\n");
        QCOMPARE(testing::readBytes(target), testing::readBytes(into));
    }

private:
    QTemporaryDir m_dir;
    QString m_keyFile;
    QString m_file;
    QString m_one;
    QString m_two;
};

QTEST_GUILESS_MAIN(CliCommandsTest)
#include "CliCommandsTest.moc"
