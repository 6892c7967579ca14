#include "CliRun.h"

#include "core/KeyDocument.h"
#include "core/Reference.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Run = testing::CliRun;
using testing::runCli;

QList<QByteArray> lfLines(const std::string& text)
{
    QByteArray bytes = QByteArray::fromStdString(text);
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    return bytes.split('\n');
}

// One macro line with its remark at the 51st character, ended by CRLF.
QByteArray macroLine(const QByteArray& start, const QByteArray& description)
{
    QByteArray line = start;
    while (line.size() < 50)
        line += ' ';
    return line + " Rem " + description + " \r\n";
}

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

} // namespace

class CliViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_keyFile = m_dir.filePath(QStringLiteral("keys.key"));
        testing::writeBytes(m_keyFile, kKeyFile.toStdString());
    }

    void keys_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QByteArray>("lineA");
        QTest::addColumn<QByteArray>("lineB");
        QTest::addColumn<QByteArray>("lineC");
        QTest::addColumn<QByteArray>("lineWinL");
        QTest::newRow("no modifier") << QStringList() << QByteArray("0X1E\ta\tmultiple\tSimAlpha, SimBeta")
                                     << QByteArray("0X30\tb\tfree\t") << QByteArray("0X2E\tc\tfree\t")
                                     << QByteArray("0XDB\tWinL\tfree\t");
        QTest::newRow("shift") << QStringList{QStringLiteral("--shift")} << QByteArray("0X1E\ta\tfree\t")
                               << QByteArray("0X30\tb\tassigned\tSimGamma") << QByteArray("0X2E\tc\tfree\t")
                               << QByteArray("0XDB\tWinL\tfree\t");
        QTest::newRow("control alt") << QStringList{QStringLiteral("--control"), QStringLiteral("--alt")}
                                     << QByteArray("0X1E\ta\tfree\t") << QByteArray("0X30\tb\tfree\t")
                                     << QByteArray("0X2E\tc\tfree\t") << QByteArray("0XDB\tWinL\tassigned\tSimWin");
        QTest::newRow("all three, flags after the file")
            << QStringList{QStringLiteral("--alt"), QStringLiteral("--shift"), QStringLiteral("--control")}
            << QByteArray("0X1E\ta\tfree\t") << QByteArray("0X30\tb\tfree\t") << QByteArray("0X2E\tc\tassigned\tSimAll")
            << QByteArray("0XDB\tWinL\tfree\t");
    }

    void keys()
    {
        QFETCH(QStringList, flags);
        QFETCH(QByteArray, lineA);
        QFETCH(QByteArray, lineB);
        QFETCH(QByteArray, lineC);
        QFETCH(QByteArray, lineWinL);
        const auto run = runCli(QStringList{QStringLiteral("keys"), m_keyFile} + flags);
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        QVERIFY(run.out.find('\r') == std::string::npos);
        const auto lines = lfLines(run.out);
        QCOMPARE(lines.size(), 97);
        QCOMPARE(lines[0], lineA);
        QCOMPARE(lines[1], lineB);
        QCOMPARE(lines[2], lineC);
        QCOMPARE(lines[66], lineWinL);
        QCOMPARE(lines[96], QByteArray("0X9C\tKPENT\tfree\t"));
        // The keys come in table order, each line with four fields.
        QCOMPARE(lines[26], QByteArray("0X1\tESC\tfree\t"));
        for (const QByteArray& line : lines)
            QCOMPARE(line.count('\t'), 3);
    }

    void macros_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("names kept") << QStringList()
                                    << QByteArray(macroLine("SimAlpha = a ", "\"Alpha\" ")
                                           + macroLine("SimBeta = a ", "\"Beta\" ")
                                           + macroLine("SimGamma = SHF b ", "\"Gamma\" ")
                                           + macroLine("SimCombo = ALT c  b ", "\"Combo\" ")
                                           + macroLine("Rem SimWin = CTL ALT WinL ", "\"Win\" ")
                                           + macroLine("SimAll = SHF CTL ALT c ", "\"All\" ")
                                           + macroLine("Rem SimOdd = ??? c ", "\"Odd\" ") + "SimButton = DX5\r\n");
        QTest::newRow("remove SIM")
            << QStringList{QStringLiteral("--remove-sim")}
            << QByteArray(macroLine("Alpha = a ", "\"Alpha\" ") + macroLine("Beta = a ", "\"Beta\" ")
                   + macroLine("Gamma = SHF b ", "\"Gamma\" ") + macroLine("Combo = ALT c  b ", "\"Combo\" ")
                   + macroLine("Rem Win = CTL ALT WinL ", "\"Win\" ") + macroLine("All = SHF CTL ALT c ", "\"All\" ")
                   + macroLine("Rem Odd = ??? c ", "\"Odd\" ") + "Button = DX5\r\n");
        const QByteArray target = "define SimAlpha\tUSB[0x04]\t\t//Alpha\r\n"
                                  "define SimBeta\tUSB[0x04]\t\t//Beta\r\n"
                                  "define SimGamma\tL_SHIFT+USB[0x05]\t\t//Gamma\r\n"
                                  "define SimCombo\tCHAIN(L_ALT+USB[0x06], D(), USB[0x05])\t\t//Combo\r\n"
                                  "define SimWin\tL_CTL+L_ALT+USB[0xE3]\t\t//Win\r\n"
                                  "define SimAll\tL_SHIFT+L_CTL+L_ALT+USB[0x06]\t\t//All\r\n"
                                  "//define SimOdd\t\t\t//Odd (not defined: modifier \"x\" is not 0 to 7)\r\n";
        QTest::newRow("target") << QStringList{QStringLiteral("--format"), QStringLiteral("target")} << target;
        QTest::newRow("target, remove SIM") << QStringList{QStringLiteral("--remove-sim"), QStringLiteral("--format"),
            QStringLiteral("target")} << QByteArray(target).replace("define Sim", "define ");
    }

    void macros()
    {
        QFETCH(QStringList, flags);
        QFETCH(QByteArray, text);
        const auto run = runCli(QStringList{QStringLiteral("macros"), m_keyFile} + flags);
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        QCOMPARE(QByteArray::fromStdString(run.out), text);
    }

    // The real program: printing is the work of its module.
    void printWritesPdfAndHtml_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QByteArray>("firstPage");
        QTest::newRow("A4") << QStringList() << QByteArray("/MediaBox [0 0 842.000000 595.000000]");
        QTest::newRow("Letter") << QStringList{QStringLiteral("--paper"), QStringLiteral("letter")}
                                << QByteArray("/MediaBox [0 0 792.000000 612.000000]");
    }

    void printWritesPdfAndHtml()
    {
        QFETCH(QStringList, flags);
        QFETCH(QByteArray, firstPage);
        const QString pdf = m_dir.filePath(QStringLiteral("reference.pdf"));
        const QString html = m_dir.filePath(QStringLiteral("reference.html"));
        const auto run = testing::runRealCli(QStringList{QStringLiteral("print"), m_keyFile, QStringLiteral("--pdf"),
                                                 pdf, QStringLiteral("--html"), html}
            + flags);
        QCOMPARE(run.code, 0);
        QCOMPARE(QString::fromStdString(run.err), QString());
        const QByteArray written = QByteArray::fromStdString(testing::readBytes(pdf));
        QVERIFY(written.startsWith("%PDF-"));
        QCOMPARE(written.indexOf("/MediaBox"), written.indexOf(firstPage));
        const auto reference = core::Reference::build(core::KeyDocument::fromBytes(kKeyFile.toStdString()), "keys.key");
        QCOMPARE(testing::readBytes(html), core::referenceHtml(reference));
    }

    void buttons_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("text");
        const QByteArray hat = "POV hats\tPOV1 Left\tunshifted\tpress and release\tSimHat\t\n";
        QTest::newRow("defaults") << QStringList() << 0
                                  << QByteArray("Device 01\tDX5\tunshifted\tpress and release\tSimButton\t\n"
                                                "Device 01\tDX5\tshifted\trelease\tSimShifted\tPinky\n"
                                         + hat);
        QTest::newRow("magnitude 128") << QStringList{QStringLiteral("--shift-magnitude"), QStringLiteral("128")} << 0
                                       << QByteArray("Device 01\tDX5\tunshifted\tpress and release\tSimButton\t\n"
                                                     "?\tDX number 260\t?\trelease\tSimShifted\tPinky\n"
                                              + hat);
        QTest::newRow("two buttons a device")
            << QStringList{QStringLiteral("--buttons-per-device"), QStringLiteral("2")} << 0
            << QByteArray("Device 03\tDX1\tunshifted\tpress and release\tSimButton\t\n"
                          "Device 03\tDX1\tshifted\trelease\tSimShifted\tPinky\n"
                   + hat);
        QTest::newRow("magnitude 0") << QStringList{QStringLiteral("--shift-magnitude"), QStringLiteral("0")} << 2
                                     << QByteArray();
    }

    void buttons()
    {
        QFETCH(QStringList, flags);
        QFETCH(int, code);
        QFETCH(QByteArray, text);
        const auto run = runCli(QStringList{QStringLiteral("buttons"), m_keyFile} + flags);
        QCOMPARE(run.code, code);
        QCOMPARE(QByteArray::fromStdString(run.out), text);
        QCOMPARE(run.err.empty(), code == 0);
    }

    void compareWritesTheReport()
    {
        const QString one = m_dir.filePath(QStringLiteral("one.key"));
        const QString two = m_dir.filePath(QStringLiteral("two.key"));
        testing::writeBytes(one, "SimA 1 0 0X1E 0 0 0 1\nSimB 1 0 0X30 0 0 0 1\n");
        testing::writeBytes(two, "SimA 1 0 0X1E 0 0 0 1\r\nSimC 1 0 0X2E 0 0 0 1\r\n");
        const QString rtf = m_dir.filePath(QStringLiteral("report.rtf"));
        const QString text = m_dir.filePath(QStringLiteral("report.txt"));
        const auto run = runCli(
            {QStringLiteral("compare"), one, two, QStringLiteral("--rtf"), rtf, QStringLiteral("--text"), text});
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        const std::string expected = "Text in blue relates to: " + one.toStdString() + "\r\n"
            + "Text in green relates to: " + two.toStdString()
            + "\r\n"
              "Comparison made: 04 December 2026, 3:26 pm\r\n\r\n"
              "Summary\r\n\r\n"
              "Number of lines: 2   2\r\n"
              "Number of sim functions: 2   2\r\n"
              "(Note that the number of lines should be the number of sim functions. If they're not it's worth "
              "examining "
              "the files to find out why not.)\r\n\r\n"
              "Sim functions that are only found in one of the files\r\n\r\n"
              "SimB\r\nSimC\r\n\r\n"
              "Comparison of lines showing which are common to both files, and which are different or unique\r\n\r\n"
              "SimA 1 0 0X1E 0 0 0 1\r\nSimB 1 0 0X30 0 0 0 1\r\nSimC 1 0 0X2E 0 0 0 1\r\n";
        QCOMPARE(run.out, expected);
        QCOMPARE(testing::readBytes(text), expected);
        const std::string rtfBytes = testing::readBytes(rtf);
        QVERIFY(rtfBytes.rfind("{\\rtf1", 0) == 0);
        QVERIFY(rtfBytes.find("\\cf2 Text in blue relates to: ") != std::string::npos);
        QVERIFY(rtfBytes.find("\\b\\ul Summary\\par") != std::string::npos);
    }

    void compareMissingFiles_data()
    {
        QTest::addColumn<bool>("firstExists");
        QTest::addColumn<bool>("secondExists");
        QTest::addColumn<QString>("missing");
        QTest::newRow("both missing, only the first named") << false << false << "nope1.key";
        QTest::newRow("first missing") << false << true << "nope1.key";
        QTest::newRow("second missing") << true << false << "nope2.key";
    }

    void compareMissingFiles()
    {
        QFETCH(bool, firstExists);
        QFETCH(bool, secondExists);
        QFETCH(QString, missing);
        const QString first = firstExists ? m_keyFile : m_dir.filePath(QStringLiteral("nope1.key"));
        const QString second = secondExists ? m_keyFile : m_dir.filePath(QStringLiteral("nope2.key"));
        const QString rtf = m_dir.filePath(QStringLiteral("never.rtf"));
        const auto run = runCli({QStringLiteral("compare"), first, second, QStringLiteral("--rtf"), rtf});
        QCOMPARE(run.code, 1);
        QVERIFY(run.out.empty());
        QCOMPARE(QString::fromStdString(run.err),
            QStringLiteral("I couldn't find ") + m_dir.filePath(missing) + QLatin1Char('\n'));
        QVERIFY(!QFile::exists(rtf));
    }

    void compareSaysWhatItCouldNotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder") << "folder"
                                << "It is a folder, not a file";
        QTest::newRow("named pipe") << "pipe"
                                    << "It is a named pipe, not a regular file";
        QTest::newRow("device") << "device"
                                << "It is a device, not a regular file";
    }

    void compareSaysWhatItCouldNotRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString second = m_dir.path();
        if (kind == QLatin1String("pipe")) {
            second = m_dir.filePath(QStringLiteral("pipe.key"));
            if (!QFileInfo::exists(second) && !testing::makeNamedPipe(second))
                QSKIP("no mkfifo here");
        }
        if (kind == QLatin1String("device")) {
            second = QStringLiteral("/dev/zero");
            if (!QFileInfo::exists(second))
                QSKIP("no /dev/zero here");
        }
        // The real program: reading a pipe would wait for a writer, and this run is stopped after a while.
        const auto run = testing::runRealCli({QStringLiteral("compare"), m_keyFile, second});
        QCOMPARE(run.code, 0);
        const std::string note = "Key file 2 could not be read (" + reason.toStdString()
            + "); it is compared as an empty file.\r\n\r\nSummary\r\n";
        QVERIFY2(run.out.find(note) != std::string::npos, run.out.c_str());
        QVERIFY(run.out.find("Number of lines: 12   0\r\n") != std::string::npos);
    }

    void compareWithAnEmptyAndABinaryFile()
    {
        const QString empty = m_dir.filePath(QStringLiteral("empty.key"));
        const QString binary = m_dir.filePath(QStringLiteral("binary.key"));
        testing::writeBytes(empty, "");
        std::string bytes;
        for (int i = 0; i < 2048; ++i)
            bytes += static_cast<char>((i * 37) % 256);
        testing::writeBytes(binary, bytes);
        const auto run = runCli({QStringLiteral("compare"), empty, binary});
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.find("Number of lines: 0   ") != std::string::npos);
        QCOMPARE(runCli({QStringLiteral("compare"), empty, binary}).out, run.out);
        QCOMPARE(runCli({QStringLiteral("keys"), binary}).code, 0);
        QCOMPARE(runCli({QStringLiteral("macros"), binary}).code, 0);
    }

    void realProgramGivesTheSameBytes()
    {
        const QString sample = testing::samplePath(QStringLiteral("tarnwick-sample.key"));
        const QList<QStringList> commands{
            {QStringLiteral("keys"), sample, QStringLiteral("--control")},
            {QStringLiteral("macros"), sample, QStringLiteral("--remove-sim")},
            {QStringLiteral("compare"), sample, m_keyFile},
        };
        for (const QStringList& args : commands) {
            QProcess process;
            process.start(QStringLiteral(TARNWICK_CLI_PATH), args);
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.exitCode(), 0);
            const QByteArray out = process.readAllStandardOutput();
            QVERIFY(!out.isEmpty());
            QCOMPARE(withoutDateLine(out.toStdString()), withoutDateLine(runCli(args).out));
        }
        QProcess process;
        process.start(QStringLiteral(TARNWICK_CLI_PATH),
            {QStringLiteral("compare"), m_dir.filePath(QStringLiteral("gone.key")), m_keyFile});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardError(),
            QByteArray("I couldn't find " + m_dir.filePath(QStringLiteral("gone.key")).toLocal8Bit() + '\n'));
    }

    void corpusFilesGiveStableOutput()
    {
        const QStringList files = testing::corpusKeyFiles();
        if (files.isEmpty())
            QSKIP("no corpus beside the checkout");
        const QList<QStringList> flagSets{{}, {QStringLiteral("--shift")}, {QStringLiteral("--control")},
            {QStringLiteral("--alt"), QStringLiteral("--shift")}};
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QString& file = files[i];
            for (const QStringList& flags : flagSets) {
                const auto run = runCli(QStringList{QStringLiteral("keys"), file} + flags);
                QCOMPARE(run.code, 0);
                QCOMPARE(lfLines(run.out).size(), 97);
                QCOMPARE(runCli(QStringList{QStringLiteral("keys"), file} + flags).out, run.out);
            }
            QCOMPARE(runCli({QStringLiteral("buttons"), file}).code, 0);
            for (const QStringList& flags : {QStringList(), QStringList{QStringLiteral("--remove-sim")}}) {
                const auto run = runCli(QStringList{QStringLiteral("macros"), file} + flags);
                QCOMPARE(run.code, 0);
                QVERIFY2(!run.out.empty(), qPrintable(file));
                QCOMPARE(runCli(QStringList{QStringLiteral("macros"), file} + flags).out, run.out);
            }
            const QString& next = files[(i + 1) % files.size()];
            const auto run = runCli({QStringLiteral("compare"), file, next});
            QCOMPARE(run.code, 0);
            QVERIFY(run.out.rfind("Text in blue relates to: " + file.toStdString() + "\r\n", 0) == 0);
            QCOMPARE(runCli({QStringLiteral("compare"), file, next}).out, run.out);
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_keyFile;
};

QTEST_GUILESS_MAIN(CliViewsTest)
#include "CliViewsTest.moc"
