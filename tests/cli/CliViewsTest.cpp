#include "CliRun.h"

#include "core/KeyDocument.h"
#include "core/Reference.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testing::runCli;

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
        const auto run = runCli(QStringList{QStringLiteral("keys"), m_keyFile} + flags.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        const QByteArrayList out = QByteArray::fromStdString(run.out).chopped(1).split('\n');
        QCOMPARE(out.size(), 97);
        QCOMPARE((QByteArrayList{out[0], out[1], out[2], out[66]}).join('|'), lines);
        // The keys come in table order, each line with four fields and ended by LF alone.
        QCOMPARE(out[26], QByteArray("0X1\tESC\tfree\t"));
        QCOMPARE(out[96], QByteArray("0X9C\tKPENT\tfree\t"));
        for (const QByteArray& line : out)
            QVERIFY(line.count('\t') == 3 && !line.contains('\r'));
        QVERIFY(run.out.back() == '\n');
    }

    void macros()
    {
        auto run = runCli({QStringLiteral("macros"), m_keyFile});
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        QCOMPARE(QByteArray::fromStdString(run.out),
            macroLine("SimAlpha = a ", "\"Alpha\" ") + macroLine("SimBeta = a ", "\"Beta\" ")
                + macroLine("SimGamma = SHF b ", "\"Gamma\" ") + macroLine("SimCombo = ALT c  b ", "\"Combo\" ")
                + macroLine("Rem SimWin = CTL ALT WinL ", "\"Win\" ") + macroLine("SimAll = SHF CTL ALT c ", "\"All\" ")
                + macroLine("Rem SimOdd = ??? c ", "\"Odd\" ") + "SimButton = DX5\r\n");
        run = runCli({QStringLiteral("macros"), m_keyFile, QStringLiteral("--remove-sim")});
        QVERIFY(run.out.starts_with(macroLine("Alpha = a ", "\"Alpha\" ").toStdString()));
        QVERIFY(run.out.ends_with(macroLine("Rem Odd = ??? c ", "\"Odd\" ").toStdString() + "Button = DX5\r\n"));
        // TARGET macros, with and without "Sim".
        const QByteArray target = "define SimAlpha\tUSB[0x04]\t\t//Alpha\r\n"
                                  "define SimBeta\tUSB[0x04]\t\t//Beta\r\n"
                                  "define SimGamma\tL_SHIFT+USB[0x05]\t\t//Gamma\r\n"
                                  "define SimCombo\tCHAIN(L_ALT+USB[0x06], D(), USB[0x05])\t\t//Combo\r\n"
                                  "define SimWin\tL_CTL+L_ALT+USB[0xE3]\t\t//Win\r\n"
                                  "define SimAll\tL_SHIFT+L_CTL+L_ALT+USB[0x06]\t\t//All\r\n"
                                  "//define SimOdd\t\t\t//Odd (not defined: modifier \"x\" is not 0 to 7)\r\n";
        run = runCli({QStringLiteral("macros"), m_keyFile, QStringLiteral("--format"), QStringLiteral("target")});
        QCOMPARE(QByteArray::fromStdString(run.out), target);
        run = runCli({QStringLiteral("macros"), m_keyFile, QStringLiteral("--remove-sim"), QStringLiteral("--format"),
            QStringLiteral("target")});
        QCOMPARE(QByteArray::fromStdString(run.out), QByteArray(target).replace("define Sim", "define "));
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
              "examining the files to find out why not.)\r\n\r\n"
              "Sim functions that are only found in one of the files\r\n\r\n"
              "SimB\r\nSimC\r\n\r\n"
              "Comparison of lines showing which are common to both files, and which are different or unique\r\n\r\n"
              "SimA 1 0 0X1E 0 0 0 1\r\nSimB 1 0 0X30 0 0 0 1\r\nSimC 1 0 0X2E 0 0 0 1\r\n";
        QCOMPARE(run.out, expected);
        QCOMPARE(testing::readBytes(text), expected);
        const std::string rtfBytes = testing::readBytes(rtf);
        QVERIFY(rtfBytes.rfind("{\\rtf1", 0) == 0);
        QVERIFY(rtfBytes.find("\\cf2 Text in blue relates to: ") != std::string::npos);
    }

    // A file that exists but cannot be read is compared as empty, and the report says why.
    void compareSaysWhatItCouldNotRead()
    {
        const auto run = runCli({QStringLiteral("compare"), m_keyFile, m_dir.path()});
        QCOMPARE(run.code, 0);
        const std::string note = "Key file 2 could not be read (It is a folder, not a file); it is compared as an "
                                 "empty file.\r\n\r\nSummary\r\n\r\nNumber of lines: 12   0\r\n";
        QVERIFY2(run.out.find(note) != std::string::npos, run.out.c_str());
    }

    // The real program writes the same bytes as the runner in this process, and gives its exit codes.
    void realProgramGivesTheSameBytes()
    {
        const QString sample = testing::samplePath(QStringLiteral("tarnwick-sample.key"));
        for (const QStringList& args : QList<QStringList>{{"list", sample}, {"keys", sample, "--control"},
                 {"macros", sample, "--remove-sim"}, {"compare", sample, m_keyFile}}) {
            const auto run = testing::runRealCli(args);
            QCOMPARE(run.code, 0);
            QVERIFY(!run.out.empty());
            QCOMPARE(withoutDateLine(run.out), withoutDateLine(runCli(args).out));
        }
        QCOMPARE(testing::runRealCli({QStringLiteral("list"), m_dir.filePath(QStringLiteral("gone.key"))}).code, 1);
        QCOMPARE(testing::runRealCli({QStringLiteral("list")}).code, 2);
    }

    // Every command on the sample, our own test files and the real key files: each succeeds and says something (the
    // buttons view may have no lines), the keys view has 97 lines, every macro line ends with CRLF and names a key,
    // and save gives the bytes back.
    void realFiles()
    {
        QStringList files = testing::corpusKeyFiles() << testing::samplePath(QStringLiteral("tarnwick-sample.key"));
        const QDir data(testing::testDataPath(QString()));
        for (const QString& name : data.entryList({QStringLiteral("*.key")}, QDir::Files))
            files << data.filePath(name);
        QVERIFY(files.size() >= 7);
        const QString copy = m_dir.filePath(QStringLiteral("copy.key"));
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QString& file = files[i];
            for (const QStringList& args :
                QList<QStringList>{{"list", file}, {"keys", file, "--alt", "--shift"}, {"macros", file, "--remove-sim"},
                    {"compare", file, files[(i + 1) % files.size()]}, {"buttons", file}, {"save", file, copy}}) {
                const auto run = runCli(args);
                QVERIFY2(run.code == 0 && run.err.empty(), qPrintable(args.join(QLatin1Char(' '))));
                QVERIFY(run.out.empty() == (args[0] == QLatin1String("save")) || args[0] == QLatin1String("buttons"));
                if (args[0] == QLatin1String("keys"))
                    QCOMPARE(std::count(run.out.begin(), run.out.end(), '\n'), 97L);
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

private:
    QTemporaryDir m_dir;
    QString m_keyFile;
};

QTEST_GUILESS_MAIN(CliViewsTest)
#include "CliViewsTest.moc"
