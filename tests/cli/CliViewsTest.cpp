#include "CliRun.h"

#include "core/Comparison.h"
#include "core/CougarMacros.h"
#include "core/Joystick.h"
#include "core/KeyDocument.h"
#include "core/Reference.h"
#include "core/ReportWriters.h"
#include "core/TargetMacros.h"

#include <QDir>
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
        const QString one = m_dir.filePath(QStringLiteral("one.key"));
        const QString two = folder ? m_dir.path() : m_keyFile;
        const QString rtf = m_dir.filePath(QStringLiteral("report.rtf"));
        const QString text = m_dir.filePath(QStringLiteral("report.txt"));
        testing::writeBytes(one, "SimA 1 0 0X1E 0 0 0 1\nSimB 1 0 0X30 0 0 0 1\n");
        const auto run = runCli(
            {QStringLiteral("compare"), one, two, QStringLiteral("--rtf"), rtf, QStringLiteral("--text"), text});
        QCOMPARE(run.code, 0);
        QVERIFY(run.err.empty());
        core::CompareInput second{two.toStdString(), kKeyFile.toStdString(), {}};
        if (folder)
            second = {two.toStdString(), std::nullopt, "It is a folder, not a file"};
        const auto report
            = core::compareKeyFiles({one.toStdString(), testing::readBytes(one), {}}, second, testing::fixedTime());
        QVERIFY(run.out.find("Comparison made: 04 December 2026, 3:26 pm\r\n") != std::string::npos);
        QCOMPARE(run.out, core::reportText(report));
        QCOMPARE(testing::readBytes(text), run.out);
        QCOMPARE(testing::readBytes(rtf), core::reportRtf(report));
    }

    // The real program writes the same bytes as the runner in this process, and gives the same exit codes.
    void realProgramGivesTheSameBytes()
    {
        const QString sample = testing::samplePath(QStringLiteral("tarnwick-sample.key"));
        const QString cells = testing::testDataPath(QStringLiteral("problems-cells.key"));
        for (const QStringList& args :
            QList<QStringList>{{"list", sample}, {"keys", sample, "--control"}, {"macros", sample, "--remove-sim"},
                {"compare", sample, m_keyFile}, {"check", cells}, {"check", "--json", cells}}) {
            const auto run = testing::runRealCli(args);
            const auto inProcess = runCli(args);
            QCOMPARE(run.code, inProcess.code);
            QVERIFY(!run.out.empty());
            QCOMPARE(withoutDateLine(run.out), withoutDateLine(inProcess.out));
        }
        QCOMPARE(testing::runRealCli({QStringLiteral("list"), m_dir.filePath(QStringLiteral("gone.key"))}).code, 1);
        QCOMPARE(testing::runRealCli({QStringLiteral("list")}).code, 2);
    }

    // Every command on the sample, our own test files and the real key files: each succeeds and says something (the
    // buttons view may have no lines), every macro line ends with CRLF and names a key, and save gives the bytes back.
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
