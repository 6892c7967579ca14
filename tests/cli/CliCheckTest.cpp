#include "CliRun.h"

#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

using testing::runCli;

namespace {

QString data(const char* name)
{
    return testing::testDataPath(QString::fromLatin1(name));
}

} // namespace

/** `tarnwick-cli check`: problems as compilers write them, the exit codes, and the JSON document. */
class CliCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void exitCodesAndLines_data()
    {
        const QString cells = data("problems-cells.key");
        const QString keys = data("problems-keys.key");
        const QString clean = data("directx-pov.key");
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
        QTest::newRow("no file") << QStringList{"check"} << 2 << QStringList{} << "(try --help)\n";
        QTest::newRow("unknown flag") << QStringList{"check", "--fix", cells} << 2 << QStringList{} << "(try --help)\n";
    }

    void exitCodesAndLines()
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

    void json()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("caf\xc3\xa9.key"));
        // A Windows-1252 degree sign in a sim name: the JSON document holds it as UTF-8.
        testing::writeBytes(name, "Sim\xb0 -1 0 0x1E 0 0 0 1 \"d\"\nSimB -1 0 0x1e 0 0 0 1 \"d\"\nSimC -1 0 0x54 9");
        const auto run = runCli({QStringLiteral("check"), QStringLiteral("--json"), name});
        QCOMPARE(run.code, 1);
        const auto document = nlohmann::json::parse(run.out);
        QVERIFY(document.is_array());
        QCOMPARE(document.size(), std::size_t(4));
        const auto& conflict = document[0];
        QCOMPARE(conflict.at("file").get<std::string>(), name.toStdString());
        QCOMPARE(conflict.at("line").get<int>(), 1);
        QCOMPARE(conflict.at("severity").get<std::string>(), std::string("warning"));
        QCOMPARE(conflict.at("code").get<std::string>(), std::string("key-conflict"));
        QCOMPARE(conflict.at("text").get<std::string>(),
            std::string("a is bound to 2 functions: Sim\xc2\xb0 (line 1), SimB (line 2)"));
        QCOMPARE(conflict.at("lines").get<std::vector<int>>(), (std::vector<int>{1, 2}));
        QStringList codes;
        for (const auto& problem : document)
            codes << QString::fromStdString(problem.at("code").get<std::string>());
        QCOMPARE(codes, (QStringList{"key-conflict", "unknown-key", "bad-modifier", "short-line"}));
    }

    void realProgram()
    {
        const QString cells = data("problems-cells.key");
        auto run = testing::runRealCli({QStringLiteral("check"), cells});
        QCOMPARE(run.code, 1);
        QVERIFY(run.out.find(":7: error: 0xC5 is the Pause key") != std::string::npos);
        run = testing::runRealCli({QStringLiteral("check"), QStringLiteral("--json"), cells});
        QCOMPARE(run.code, 1);
        QCOMPARE(nlohmann::json::parse(run.out).size(), std::size_t(6));
    }
};

QTEST_GUILESS_MAIN(CliCheckTest)
#include "CliCheckTest.moc"
