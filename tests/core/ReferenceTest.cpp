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
        QTest::addColumn<bool>("keys"); // keysInWords for the rows named "keys: ...", else shortFunctionName
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const char* line, const char* text) {
            QTest::newRow(name) << QByteArray(line) << QByteArray(name).startsWith("keys:") << QString::fromUtf8(text);
        };
        row("keys: letter", "SimA -1 0 0x1E 0 0 0 1", "A");
        row("keys: digit", "SimA -1 0 0x02 1 0 0 1", "Shift+1");
        row("keys: all modifiers", "SimA -1 0 0xC9 7 0 0 1", "Shift+Ctrl+Alt+Page Up");
        row("keys: keypad", "SimA -1 0 0x4E 2 0 0 1", "Ctrl+Keypad +");
        row("keys: keypad enter", "SimA -1 0 0x9C 0 0 0 1", "Keypad Enter");
        row("keys: Windows key", "SimA -1 0 0xDB 4 0 0 1", "Alt+Left Windows");
        row("keys: combination", "SimA -1 0 0x2D 1 0x2E 4 1", "Alt+C, then Shift+X");
        row("keys: Pause", "SimA -1 0 0xC5 0 0 0 1", "Pause");
        row("keys: the last letter", "SimA -1 0 0x2C 0 0 0 1", "Z");
        row("keys: unknown key", "SimA -1 0 0x2A 0 0 0 1", "key 0x2A");
        row("keys: modifier out of range", "SimA -1 0 0x1E 9 0 0 1", "modifier 9+A");
        row("keys: DirectX", "SimA 4 -1 -2 0 0x0 -1", "DX5, Device 01");
        row("keys: POV", "SimA 0 -1 -3 6 0x0 -1", "POV1 Left");
        row("name: words", "SimToggleMasterFuel -1 0 0x1E 0 0 0 1 \"d\"", "Toggle Master Fuel");
        row("name: capitals", "OTWViewUp -1 0 0x1E 0 0 0 1", "OTW View Up");
        row("name: a word ending in z", "SimJazzUp -1 0 0x1E 0 0 0 1", "Jazz Up");
        row("name: digits", "SimF18ThrottleATC -1 0 0x1E 0 0 0 1", "F18 Throttle ATC");
        row("name: zero and nine before a word", "SimMfd0Left9Right -1 0 0x1E 0 0 0 1", "Mfd0 Left9 Right");
        row("name: digit and capital", "OTWSelect2DCockpitMode -1 0 0x1E 0 0 0 1", "OTW Select2D Cockpit Mode");
        row("name: underscore", "DEV_SimRegen -1 0 0x1E 0 0 0 1", "DEV Sim Regen");
        row("name: reference line", "SimDoNothing -1 0 0x1 0 0 0 -0 \"UI: Exit\"", "UI: Exit");
        row("name: Windows-1252", "Sim\xb0Heat -1 0 0x1E 0 0 0 1", "\u00b0Heat");
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
        // Markup characters in a text are written as entities, the quote and the closing bracket too; a tab
        // stays, another control character becomes "?".
        const auto marked = core::Reference::build(core::KeyDocument::fromBytes(kFile), "a<\"b\">&c\t\x01");
        QVERIFY(core::referenceHtml(marked).find("<title>a&lt;&quot;b&quot;&gt;&amp;c\t? - key bindings</title>")
            != std::string::npos);
    }
};

QTEST_APPLESS_MAIN(ReferenceTest)
#include "ReferenceTest.moc"
