#include "core/ReportWriters.h"
#include "core/Comparison.h"

#include "TestData.h"

#include <QTest>

#include <algorithm>

using core::Report;
namespace colours = core::colours;

namespace {

const std::string kHeader = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n"
                            "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green128\\blue0;}\r\n"
                            "\\pard\\f0\\fs20 ";

// The RTF body of a report: what stands between the header and the closing brace.
std::string rtfBody(const Report& report)
{
    const std::string rtf = core::reportRtf(report);
    if (rtf.compare(0, kHeader.size(), kHeader) != 0 || rtf.size() < kHeader.size() + 3)
        return "BAD HEADER: " + rtf;
    if (rtf.compare(rtf.size() - 3, 3, "}\r\n") != 0)
        return "BAD END: " + rtf;
    return rtf.substr(kHeader.size(), rtf.size() - kHeader.size() - 3);
}

} // namespace

class ReportWritersTest : public QObject
{
    Q_OBJECT

private slots:
    void plainText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("CRLF kept") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone CR") << QByteArray("a\rb") << QByteArray("a\r\nb");
        QTest::newRow("CR at the end") << QByteArray("a\r") << QByteArray("a\r\n");
        QTest::newRow("CRLF first") << QByteArray("\r\na") << QByteArray("\r\na");
        QTest::newRow("LF CR") << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb");
        QTest::newRow("CR CRLF") << QByteArray("a\r\r\nb\n") << QByteArray("a\r\n\r\nb\r\n");
        QTest::newRow("LF alone") << QByteArray("\n") << QByteArray("\r\n");
        QTest::newRow("8-bit bytes and tabs unchanged") << QByteArray("\t\xb0\xff{}\\") << QByteArray("\t\xb0\xff{}\\");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }

    void plainText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, written);
        Report report;
        report.append(text.toStdString(), colours::Blue, true);
        QCOMPARE(QByteArray::fromStdString(core::reportText(report)), written);
        // The same text kept as places: in a source's bytes, or in the report's own; streamed the same, its runs the
        // same, a line for each CRLF and one more.
        const std::string bytes = text.toStdString();
        for (const bool inSource : {true, false}) {
            core::PlacedReport placed;
            if (inSource)
                placed.addSource(bytes, nullptr);
            placed.append(bytes, {colours::Blue, true});
            std::string streamed;
            core::forEachReportTextPiece(placed, [&streamed](std::string_view piece) { streamed += piece; });
            QCOMPARE(QByteArray::fromStdString(streamed), written);
            QVERIFY(placed.toReport() == report);
            QCOMPARE(placed.lineCount(), std::size_t(text.count("\r\n") + 1));
            QCOMPARE(placed.bytes(), bytes.size());
        }
    }

    // Pieces lie in the sources where their text does, within one line; a line end goes on the piece before it in
    // the same style, else on an empty piece of its own style. Measured first, the same text is written the same.
    void placedReportPieces()
    {
        const std::string file = "SimA 1\r\nSimB 2";
        const std::string_view a = std::string_view(file).substr(0, 6);
        const std::string_view b = std::string_view(file).substr(8);
        const auto write = [&](core::PlacedReport& placed) {
            placed.append("Head\r\n\r\n", {colours::Black, true});
            placed.append(a, {colours::Blue, false});
            placed.append("\r\n", {colours::Blue, false});
            placed.append(b, {colours::Black, false});
            placed.append("\r\n", {colours::Green, false});
        };
        for (const bool measured : {false, true}) {
            core::PlacedReport placed;
            placed.addSource(file, nullptr);
            if (measured) {
                placed.startMeasuring();
                write(placed);
                placed.startWriting();
            }
            write(placed);
            QCOMPARE(placed.pieceCount(), std::size_t(5));
            QCOMPARE(placed.lineCount(), std::size_t(5));
            const std::size_t starts[] = {0, 1, 2, 3, 5};
            for (std::size_t line = 0; line < 5; ++line)
                QCOMPARE(placed.lineStart(line), starts[line]);
            const std::string texts[] = {"Head", "", "SimA 1", "SimB 2", ""};
            const int sources[] = {0, 0, 1, 1, 0};
            const bool ends[] = {true, true, true, false, true}; // the green line end has its own piece
            for (std::size_t i = 0; i < 5; ++i) {
                const core::PlacedReport::Piece& piece = placed.piece(i);
                QCOMPARE(std::string(placed.text(piece)), texts[i]);
                QCOMPARE(int(piece.source), sources[i]);
                QCOMPARE(piece.lineEnd, ends[i]);
            }
            QCOMPARE(placed.style(placed.piece(4)).colour, colours::Green);
            QCOMPARE(placed.bytes(), std::size_t(24));
            Report report;
            report.append("Head\r\n\r\n", colours::Black, true);
            report.append("SimA 1\r\n", colours::Blue);
            report.append("SimB 2", colours::Black);
            report.append("\r\n", colours::Green);
            QVERIFY(placed.toReport() == report);
        }
    }

    void rtfEscapes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("plain") << QByteArray("SimA 1") << QByteArray("\\cf1 SimA 1");
        QTest::newRow("backslash") << QByteArray("C:\\keys") << QByteArray("\\cf1 C:\\\\keys");
        QTest::newRow("braces") << QByteArray("{x}") << QByteArray("\\cf1 \\{x\\}");
        QTest::newRow("Windows-1252 degree sign") << QByteArray("10\xb0") << QByteArray("\\cf1 10\\u176?");
        QTest::newRow("UTF-8 degree sign") << QByteArray("10\xc2\xb0") << QByteArray("\\cf1 10\\u176?");
        QTest::newRow("digit after an escape") << QByteArray("\xb0"
                                                             "5")
                                               << QByteArray("\\cf1 \\u176?5");
        QTest::newRow("Windows-1252 euro and y diaeresis")
            << QByteArray("\x80\xff") << QByteArray("\\cf1 \\u8364?\\u255?");
        QTest::newRow("byte without a Windows-1252 character") << QByteArray("\x81") << QByteArray("\\cf1 \\u129?");
        QTest::newRow("UTF-8 above 32767 is negative") << QByteArray("\xef\xbc\xa1") << QByteArray("\\cf1 \\u-223?");
        QTest::newRow("UTF-8 32767 and 32768")
            << QByteArray("\xe7\xbf\xbf\xe8\x80\x80") << QByteArray("\\cf1 \\u32767?\\u-32768?");
        QTest::newRow("UTF-8 beyond the BMP as a surrogate pair")
            << QByteArray("\xf0\x9f\x98\x80") << QByteArray("\\cf1 \\u-10179?\\u-8704?");
        QTest::newRow("UTF-8 cut short reads as Windows-1252") << QByteArray("\xc3"
                                                                             "a\xe2\x82")
                                                               << QByteArray("\\cf1 \\u195?a\\u226?\\u8218?");
        // The edges of UTF-8: the last two-byte and the first three-byte character, the last surrogate (not a
        // character, so its bytes read as Windows-1252), the last character of the BMP, the first and the last
        // character beyond it.
        QTest::newRow("U+07FF") << QByteArray("\xdf\xbf") << QByteArray("\\cf1 \\u2047?");
        QTest::newRow("U+0800") << QByteArray("\xe0\xa0\x80") << QByteArray("\\cf1 \\u2048?");
        QTest::newRow("U+DFFF") << QByteArray("\xed\xbf\xbf") << QByteArray("\\cf1 \\u237?\\u191?\\u191?");
        QTest::newRow("U+FFFF") << QByteArray("\xef\xbf\xbf") << QByteArray("\\cf1 \\u-1?");
        QTest::newRow("U+10000") << QByteArray("\xf0\x90\x80\x80") << QByteArray("\\cf1 \\u-10240?\\u-9216?");
        QTest::newRow("U+10FFFF") << QByteArray("\xf4\x8f\xbf\xbf") << QByteArray("\\cf1 \\u-9217?\\u-8193?");
        QTest::newRow("overlong UTF-8 reads as Windows-1252")
            << QByteArray("\xc0\xaf") << QByteArray("\\cf1 \\u192?\\u175?");
        QTest::newRow("delete") << QByteArray("a\x7f") << QByteArray("\\cf1 a\\'7f");
        QTest::newRow("CRLF") << QByteArray("a\r\nb") << QByteArray("\\cf1 a\\par\r\nb");
        QTest::newRow("lone CR and LF") << QByteArray("a\rb\nc") << QByteArray("\\cf1 a\\par\r\nb\\par\r\nc");
        QTest::newRow("tab") << QByteArray("a\tb") << QByteArray("\\cf1 a\\tab b");
        QTest::newRow("other control characters left out") << QByteArray("a\x01\x1b"
                                                                         "b\x00"
                                                                         "c",
            6) << QByteArray("\\cf1 abc");
        QTest::newRow("quote and semicolon are text") << QByteArray("\"x\";") << QByteArray("\\cf1 \"x\";");
        QTest::newRow("nothing") << QByteArray() << QByteArray();
    }

    void rtfEscapes()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, body);
        Report report;
        report.append(text.toStdString(), colours::Black);
        QCOMPARE(QByteArray::fromStdString(rtfBody(report)), body);
    }

    // Colours are switched only when they change; bold and underline go on and off together; another colour joins
    // the table after the three of the report. Plain text has no styles.
    void rtfStyles()
    {
        Report report;
        report.append("Blue ", colours::Blue);
        report.append("Green ", colours::Green);
        report.append("Head", colours::Black, true);
        report.append("Body", colours::Black);
        report.append("Mo", colours::Blue);
        report.append("re", colours::Blue); // joins the run before
        report.append("red", core::Rgb{255, 0, 0});
        QCOMPARE(report.runs().size(), std::size_t(6));
        QCOMPARE(core::reportText(report), std::string("Blue Green HeadBodyMorered"));
        QCOMPARE(QByteArray::fromStdString(core::reportRtf(report)),
            QByteArray(
                "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n{\\colortbl;\\red0\\green0"
                "\\blue0;\\red0\\green0\\blue255;\\red0\\green128\\blue0;\\red255\\green0\\blue0;}\r\n\\pard"
                "\\f0\\fs20 \\cf2 Blue \\cf3 Green \\cf1 \\b\\ul Head\\b0\\ulnone Body\\cf2 More\\cf4 red}\r\n"));
    }

    void rtfOfComparisonIsSevenBit()
    {
        const core::CompareInput one{"C:\\a{1}.key", std::string("SimA 1 \"{x}\\\"\r\nSimB 2 \"10\xb0\"\r\n"), {}};
        const core::CompareInput two{"b.key", std::string("SimA 1 \"{x}\\\"\r\nSimC\t3\r\n"), {}};
        const std::string rtf = core::reportRtf(core::compareKeyFiles(one, two, testing::fixedTime()));
        QVERIFY(std::all_of(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
        QVERIFY(rtf.find("\\cf2 Text in blue relates to: C:\\\\a\\{1\\}.key\\par") != std::string::npos);
        QVERIFY(rtf.find("SimB 2 \"10\\u176?\"") != std::string::npos);
    }
};

QTEST_APPLESS_MAIN(ReportWritersTest)
#include "ReportWritersTest.moc"
