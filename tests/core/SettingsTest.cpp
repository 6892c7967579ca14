#include "core/Settings.h"

#include "TestData.h"

#include <QTest>

#include <set>

using core::FileLocations;
using core::Settings;

namespace {

// A file system of named files and folders, for the existence tests.
core::PathProbe probeOf(std::set<std::string> folders, std::set<std::string> files)
{
    core::PathProbe probe;
    probe.exists = [folders, files](const std::string& p) { return folders.count(p) || files.count(p); };
    probe.fileExists = [files](const std::string& p) { return files.count(p) > 0; };
    return probe;
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void readValueProfileSemantics_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("value");
        QTest::newRow("missing file") << QByteArray() << "default";
        QTest::newRow("backslashes kept")
            << QByteArray("[FileLocations]\r\nKeyFilePath=C:\\Falcon\\a b.key\r\n") << "C:\\Falcon\\a b.key";
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[FileLocations]\nKeyFilePath=x\n") << "x";
        QTest::newRow("Windows-1252 bytes kept")
            << QByteArray("[FileLocations]\nKeyFilePath=C:\\\xE9t\xE9\n") << QString::fromStdString("C:\\\xE9t\xE9");
        QTest::newRow("names ignore case") << QByteArray("[filelocations]\nKEYFILEPATH=x\n") << "x";
        QTest::newRow("spaces around") << QByteArray("[FileLocations]\nKeyFilePath = x y \n") << "x y";
        QTest::newRow("quotes dropped") << QByteArray("[FileLocations]\nKeyFilePath=\"C:\\a\"\n") << "C:\\a";
        QTest::newRow("single quotes dropped") << QByteArray("[FileLocations]\nKeyFilePath='a'\n") << "a";
        QTest::newRow("one quote kept") << QByteArray("[FileLocations]\nKeyFilePath=\"\n") << "\"";
        QTest::newRow("unlike quotes kept") << QByteArray("[FileLocations]\nKeyFilePath=\"a'\n") << "\"a'";
        QTest::newRow("empty value") << QByteArray("[FileLocations]\nKeyFilePath=\n") << "";
        QTest::newRow("long value cut to 499")
            << QByteArray("[FileLocations]\nKeyFilePath=" + QByteArray(600, 'p')) << QString(499, QLatin1Char('p'));
        QTest::newRow("other section") << QByteArray("[Other]\nKeyFilePath=x\n") << "default";
        QTest::newRow("garbage") << testing::literalBytes("\x01\x02[[[=\n\xff\xfe") << "default";
        QTest::newRow("NUL bytes") << testing::literalBytes("[FileLocations]\0\nKeyFilePath=x\n") << "default";
    }

    void readValueProfileSemantics()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, value);
        const std::string text(ini.constData(), static_cast<std::size_t>(ini.size()));
        QCOMPARE(QString::fromStdString(Settings::readValue(text, "FileLocations", "KeyFilePath", "default")), value);
    }

    void writingCreatesAndKeeps()
    {
        std::string ini = Settings::writeValue("", "FileLocations", "KeyFilePath", "C:\\x\\y.key");
        QCOMPARE(Settings::readValue(ini, "FileLocations", "KeyFilePath", ""), std::string("C:\\x\\y.key"));
        QVERIFY(ini.find("KeyFilePath=C:\\x\\y.key") != std::string::npos);

        ini = "[Window]\nWidth=5\n[FileLocations]\nkeyfilepath=old\nOther=1\n";
        ini = Settings::writeValue(ini, "FILELOCATIONS", "KeyFilePath", "new");
        QCOMPARE(Settings::readValue(ini, "Window", "Width", ""), std::string("5"));
        QCOMPARE(Settings::readValue(ini, "FileLocations", "Other", ""), std::string("1"));
        QCOMPARE(Settings::readValue(ini, "FileLocations", "KeyFilePath", ""), std::string("new"));
        QVERIFY(ini.find("old") == std::string::npos);
    }

    void optionsGet_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("locations"); // folder|path|name
        // Known to the probe: folders C:\Microprose\Falcon4\Config and D:\Keys; files D:\Keys\My.key,
        // D:\Keys\Alpha.key and /home/p/a.key.
        const auto row = [](const char* name, const char* ini, const char* locations) {
            QTest::newRow(name) << QByteArray(ini) << QString::fromLatin1(locations);
        };
        row("first run", "", "C:\\Microprose\\Falcon4\\Config||");
        row("folder gone", "[FileLocations]\nKeyFilesFolder=E:\\gone\n", "/prog||");
        row("remembered file",
            "[FileLocations]\nKeyFilesFolder=D:\\Keys\nKeyFilePath=D:\\Keys\\My.key\nKeyFileName=My.key\n",
            "D:\\Keys|D:\\Keys\\My.key|My.key");
        row("file gone is forgotten", "[FileLocations]\nKeyFilePath=D:\\Keys\\Gone.key\nKeyFileName=Gone.key\n",
            "C:\\Microprose\\Falcon4\\Config||");
        row("name differing in case stays", "[FileLocations]\nKeyFilePath=D:\\Keys\\Alpha.key\nKeyFileName=aLPHA.KEY\n",
            "C:\\Microprose\\Falcon4\\Config|D:\\Keys\\Alpha.key|aLPHA.KEY");
        row("wrong name replaced", "[FileLocations]\nKeyFilePath=D:\\Keys\\My.key\nKeyFileName=Other.key\n",
            "C:\\Microprose\\Falcon4\\Config|D:\\Keys\\My.key|My.key");
        row("longer name replaced", "[FileLocations]\nKeyFilePath=D:\\Keys\\My.key\nKeyFileName=D:\\Keys\\My.key.bak\n",
            "C:\\Microprose\\Falcon4\\Config|D:\\Keys\\My.key|My.key");
        row("missing name stays empty", "[FileLocations]\nKeyFilePath=D:\\Keys\\My.key\n",
            "C:\\Microprose\\Falcon4\\Config|D:\\Keys\\My.key|");
        row("slash path", "[FileLocations]\nKeyFilePath=/home/p/a.key\nKeyFileName=b\n",
            "C:\\Microprose\\Falcon4\\Config|/home/p/a.key|a.key");
    }

    void optionsGet()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, locations);
        const auto probe = probeOf({"C:\\Microprose\\Falcon4\\Config", "D:\\Keys"},
            {"D:\\Keys\\My.key", "D:\\Keys\\Alpha.key", "/home/p/a.key"});
        const FileLocations loc = Settings::optionsGet(ini.toStdString(), "/prog", probe);
        QCOMPARE(QString::fromStdString(loc.keyFilesFolder + '|' + loc.keyFilePath + '|' + loc.keyFileName), locations);
    }

    void optionsSaveWritesAllThreeKeysInOrder()
    {
        const std::string ini = Settings::optionsSave("[Mine]\na=1\n", {"C:\\K", "", ""});
        const auto at = [&ini](const char* text) { return ini.find(text); };
        QVERIFY(at("[Mine]\na=1") < at("KeyFilesFolder=C:\\K\n") && at("KeyFilesFolder=") < at("KeyFilePath=\n"));
        QVERIFY(at("KeyFilePath=") < at("KeyFileName=\n") && at("KeyFileName=") != std::string::npos);
    }
};

QTEST_APPLESS_MAIN(SettingsTest)
#include "SettingsTest.moc"
