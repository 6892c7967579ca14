#include "core/Reference.h"
#include "core/KeyDocument.h"

#include <QTest>
#include <QXmlStreamReader>

namespace {

const char* const kFile = "SimOutside -1 0 0x30 0 0 0 1 \"Before any headline\"\r\n"
                          "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"1. LEFT & RIGHT\"\r\n"
                          "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"======== 1.01     TEST   PANEL ========\"\r\n"
                          "SimDoNothing -1 0 0x3B 0 0 1 -0 \"UI: Help <F1>\"\r\n"
                          "SimFuelDoorToggle 311 0 0x13 1 0 0 1 \"FUEL: AIR REFUEL\"\r\n"
                          "SimUnbound 311 0 0XFFFFFFFF 0 0 0 1 \"Not bound\"\r\n"
                          "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"======== 1.02 EMPTY ========\"\r\n"
                          "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"2. EMPTY TITLE\"\r\n"
                          "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"3. DEVICES\"\r\n"
                          "SimButton 4 -1 -2 0 0x0 -1 1 \"Button\"\r\n"
                          "SimHat 0 -1 -3 6 0x0 -1 1 \"Hat\"\r\n"
                          "SimAlsoB -1 0 0x30 0 0 0 1\r\n";

core::Reference reference()
{
    return core::Reference::build(core::KeyDocument::fromBytes(kFile), "k.key");
}

} // namespace

class ReferenceTest : public QObject
{
    Q_OBJECT

private slots:
    // The keys of a line in words, or the function's short name.
    void lineTexts_data()
    {
        QTest::addColumn<QByteArray>("keyLine");
        QTest::addColumn<bool>("keys"); // keysInWords, else shortFunctionName
        QTest::addColumn<QString>("text");
        QTest::newRow("keys: letter") << QByteArray("SimA -1 0 0x1E 0 0 0 1") << true << "A";
        QTest::newRow("keys: all modifiers")
            << QByteArray("SimA -1 0 0xC9 7 0 0 1") << true << "Shift+Ctrl+Alt+Page Up";
        QTest::newRow("keys: keypad") << QByteArray("SimA -1 0 0x4E 2 0 0 1") << true << "Ctrl+Keypad +";
        QTest::newRow("keys: keypad enter") << QByteArray("SimA -1 0 0x9C 0 0 0 1") << true << "Keypad Enter";
        QTest::newRow("keys: Windows key") << QByteArray("SimA -1 0 0xDB 4 0 0 1") << true << "Alt+Left Windows";
        QTest::newRow("keys: combination") << QByteArray("SimA -1 0 0x2D 1 0x2E 4 1") << true << "Alt+C, then Shift+X";
        QTest::newRow("keys: Pause") << QByteArray("SimA -1 0 0xC5 0 0 0 1") << true << "Pause";
        QTest::newRow("keys: unknown key") << QByteArray("SimA -1 0 0x2A 0 0 0 1") << true << "key 0x2A";
        QTest::newRow("keys: modifier out of range") << QByteArray("SimA -1 0 0x1E 9 0 0 1") << true << "modifier 9+A";
        QTest::newRow("keys: DirectX") << QByteArray("SimA 4 -1 -2 0 0x0 -1") << true << "DX5, Device 01";
        QTest::newRow("keys: POV") << QByteArray("SimA 0 -1 -3 6 0x0 -1") << true << "POV1 Left";
        QTest::newRow("name: words") << QByteArray("SimToggleMasterFuel -1 0 0x1E 0 0 0 1 \"d\"") << false
                                     << "Toggle Master Fuel";
        QTest::newRow("name: capitals") << QByteArray("OTWViewUp -1 0 0x1E 0 0 0 1") << false << "OTW View Up";
        QTest::newRow("name: digits") << QByteArray("SimF18ThrottleATC -1 0 0x1E 0 0 0 1") << false
                                      << "F18 Throttle ATC";
        QTest::newRow("name: zero and nine before a word")
            << QByteArray("SimMfd0Left9Right -1 0 0x1E 0 0 0 1") << false << "Mfd0 Left9 Right";
        QTest::newRow("name: digit and capital")
            << QByteArray("OTWSelect2DCockpitMode -1 0 0x1E 0 0 0 1") << false << "OTW Select2D Cockpit Mode";
        QTest::newRow("name: underscore") << QByteArray("DEV_SimRegen -1 0 0x1E 0 0 0 1") << false << "DEV Sim Regen";
        QTest::newRow("name: reference line")
            << QByteArray("SimDoNothing -1 0 0x1 0 0 0 -0 \"UI: Exit\"") << false << "UI: Exit";
        QTest::newRow("name: Windows-1252") << QByteArray("Sim\xb0Heat -1 0 0x1E 0 0 0 1") << false << "\u00b0Heat";
    }

    void lineTexts()
    {
        QFETCH(QByteArray, keyLine);
        QFETCH(bool, keys);
        QFETCH(QString, text);
        const auto doc = core::KeyDocument::fromBytes(keyLine.toStdString());
        QCOMPARE(QString::fromStdString(keys ? core::keysInWords(doc.binding(0), doc.cells(0))
                                             : core::shortFunctionName(doc.cells(0), doc.binding(0))),
            text);
    }

    // Sections in file order; a title without bound functions stays only above a subtitle that has some.
    void sectionsAndEntries()
    {
        const auto ref = reference();
        QStringList shown;
        for (const auto& section : ref.sections) {
            QString line = QString::number(section.level) + QLatin1Char(' ') + QString::fromStdString(section.title);
            for (const auto& entry : section.entries)
                line += QStringLiteral(" | ") + QString::fromStdString(entry.function + " = " + entry.keys);
            shown << line;
        }
        QCOMPARE(shown,
            QStringList({"0  | Before any headline = B", "1 1. LEFT & RIGHT",
                "2 1.01 TEST PANEL | UI: Help <F1> = F1 | FUEL: AIR REFUEL = Shift+R",
                "1 3. DEVICES | Button = DX5, Device 01 | Hat = POV1 Left | Also B = B"}));
    }

    void layersHoldTheTakenKeys()
    {
        const auto ref = reference();
        QCOMPARE(ref.layers.size(), std::size_t(2));
        QCOMPARE(ref.layers[0].title, std::string("No modifier"));
        QCOMPARE(ref.layers[1].title, std::string("Shift"));
        QCOMPARE(ref.layers[0].functions[1], (std::vector<std::string>{"Outside", "Also B"})); // b, a double
        QCOMPARE(ref.layers[0].functions[27], std::vector<std::string>{"UI: Help <F1>"}); // F1
        QCOMPARE(ref.layers[1].functions[17], std::vector<std::string>{"Fuel Door Toggle"}); // r
        QCOMPARE(core::modifierWords(7), std::string("Shift + Ctrl + Alt"));
    }

    // The page is well-formed XHTML whose headings and rows are the sections and entries.
    void htmlParsesBack()
    {
        const auto ref = reference();
        const QByteArray html = QByteArray::fromStdString(core::referenceHtml(ref));
        QXmlStreamReader xml(html);
        QStringList headings;
        QStringList cells;
        QString title;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            if (name == QLatin1String("h2") || name == QLatin1String("h3"))
                headings << name + QLatin1Char(' ') + xml.readElementText();
            else if (name == QLatin1String("td"))
                cells << xml.readElementText();
            else if (name == QLatin1String("title"))
                title = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(title, QStringLiteral("k.key - key bindings"));
        QCOMPARE(headings, QStringList({"h2 1. LEFT & RIGHT", "h3 1.01 TEST PANEL", "h2 3. DEVICES"}));
        QStringList expected;
        for (const auto& section : ref.sections) {
            for (const auto& entry : section.entries)
                expected << QString::fromStdString(entry.function) << QString::fromStdString(entry.keys);
        }
        QCOMPARE(cells, expected);
        QVERIFY(html.contains("<meta charset=\"utf-8\"/>"));
        QVERIFY(html.contains("column-count: 2"));
        // Markup characters in a text are written as entities, the quote and the closing bracket too.
        const auto marked = core::Reference::build(core::KeyDocument::fromBytes(kFile), "a<\"b\">&c");
        QVERIFY(core::referenceHtml(marked).find("<title>a&lt;&quot;b&quot;&gt;&amp;c - key bindings</title>")
            != std::string::npos);
    }
};

QTEST_APPLESS_MAIN(ReferenceTest)
#include "ReferenceTest.moc"
