// Builds a styled report from the input and writes it as text and as RTF. The text must end every line with CRLF;
// the RTF must be one well-formed group in 7-bit characters, and reading it back must give the report's characters
// (each run's bytes read as core::nextTextChar reads them) in the report's colours and styles.
//
// Input: pieces, each a style byte (bits 0-1: black, blue, green or a colour from the next three bytes; bit 2: bold
// and underlined) and then a text (FuzzedDataProvider's random-length string).

#include "FuzzCheck.h"

#include "core/Report.h"
#include "core/ReportWriters.h"
#include "core/TextDecoding.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using core::Report;
using core::ReportRun;
using core::Rgb;

namespace {

bool isControl(unsigned char c)
{
    return c < 0x20 && c != '\r' && c != '\n' && c != '\t';
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The characters of report text as UTF-8, without the control characters that have no RTF form.
std::string charactersWithoutControls(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = core::nextTextChar(text, &i);
        if (c >= 0x20 || !isControl(static_cast<unsigned char>(c)))
            appendUtf8(out, c);
    }
    return out;
}

void appendRun(std::vector<ReportRun>& runs, std::string_view text, Rgb colour, bool boldUnderline)
{
    if (text.empty())
        return;
    if (!runs.empty() && runs.back().colour == colour && runs.back().boldUnderline == boldUnderline)
        runs.back().text.append(text);
    else
        runs.push_back(ReportRun{std::string(text), colour, boldUnderline});
}

/**
 * Reads back what reportRtf writes, and no more: groups, control words with their number and the one space that may
 * end them, the control symbols \\ \{ \} and \'hh, the colour table, \cfN, \b, \b0, \ul, \ulnone, \par (a CRLF),
 * \tab and \uN? (a UTF-16 unit and its one-character fallback; surrogates in pairs). Other control words are passed
 * over, as is the font table and the CR and LF bytes of the RTF itself. Text is collected, as UTF-8, only at the
 * document's own level. `ok` turns false on anything that does not parse.
 */
class RtfReader
{
public:
    explicit RtfReader(std::string_view rtf)
        : m_rtf(rtf)
    { }

    bool read()
    {
        int depth = 0;
        while (m_pos < m_rtf.size()) {
            const char c = m_rtf[m_pos++];
            if (c == '{') {
                ++depth;
                if (depth == 2)
                    m_destination = Destination::Unknown;
            } else if (c == '}') {
                if (depth == 0)
                    return false;
                if (depth == 2 && m_destination == Destination::ColourTable && m_red >= 0)
                    return false; // a colour without its closing ';'
                --depth;
                if (depth == 0)
                    return m_highSurrogate == 0 && m_rtf.substr(m_pos) == "\r\n";
            } else if (c == '\\') {
                if (depth == 0 || !readControl(depth))
                    return false;
            } else if (c == '\r' || c == '\n') {
                // Line breaks of the RTF file are not text.
            } else if (depth == 1) {
                if (!text(std::string_view(&c, 1)))
                    return false;
            } else if (depth == 2 && m_destination == Destination::ColourTable) {
                if (c != ';' || !endColour())
                    return false;
            }
        }
        return false; // the outer group was not closed
    }

    const std::vector<Rgb>& colours() const { return m_colours; }
    const std::vector<ReportRun>& runs() const { return m_runs; }

private:
    enum class Destination { Unknown, FontTable, ColourTable };

    static std::uint8_t clampByte(long value) { return static_cast<std::uint8_t>(std::clamp(value, 0L, 255L)); }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexValue(char c)
    {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // At the ';' that ends an entry of the colour table. The first entry may be empty: that is "auto".
    bool endColour()
    {
        const bool empty = m_red < 0 && m_green < 0 && m_blue < 0;
        if (empty) {
            if (m_autoRead || !m_colours.empty())
                return false;
            m_autoRead = true;
            return true;
        }
        if (m_red < 0 || m_green < 0 || m_blue < 0)
            return false;
        m_colours.push_back(Rgb{clampByte(m_red), clampByte(m_green), clampByte(m_blue)});
        m_red = m_green = m_blue = -1;
        return true;
    }

    // After a backslash.
    bool readControl(int depth)
    {
        if (m_pos >= m_rtf.size())
            return false;
        const char first = m_rtf[m_pos];
        if (!isLetter(first)) {
            ++m_pos;
            if (first == '\\' || first == '{' || first == '}')
                return depth != 1 || text(std::string_view(&first, 1));
            if (first == '\'') {
                if (m_pos + 2 > m_rtf.size())
                    return false;
                const int high = hexValue(m_rtf[m_pos]);
                const int low = hexValue(m_rtf[m_pos + 1]);
                m_pos += 2;
                if (high < 0 || low < 0)
                    return false;
                const char byte = static_cast<char>(high * 16 + low);
                return depth != 1 || text(std::string_view(&byte, 1));
            }
            return false; // no other control symbol is written
        }
        const std::size_t wordStart = m_pos;
        while (m_pos < m_rtf.size() && isLetter(m_rtf[m_pos]))
            ++m_pos;
        const std::string_view word = m_rtf.substr(wordStart, m_pos - wordStart);
        long number = -1;
        bool negative = false;
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        if (m_pos < m_rtf.size() && isDigit(m_rtf[m_pos])) {
            number = 0;
            while (m_pos < m_rtf.size() && isDigit(m_rtf[m_pos])) {
                number = std::min(number * 10 + (m_rtf[m_pos] - '0'), 1000000L);
                ++m_pos;
            }
            if (negative)
                number = -number;
        } else if (negative) {
            return false;
        }
        if (word == "u") {
            // The fallback character follows at once; the writer's is always '?'.
            if (number < -32768 || number > 32767 || m_pos >= m_rtf.size() || m_rtf[m_pos] != '?')
                return false;
            ++m_pos;
            return depth != 1 || unicodeUnit(static_cast<char32_t>(number < 0 ? number + 0x10000 : number));
        }
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == ' ')
            ++m_pos;
        return controlWord(word, number, depth);
    }

    bool controlWord(std::string_view word, long number, int depth)
    {
        if (depth == 2) {
            if (word == "fonttbl")
                m_destination = Destination::FontTable;
            else if (word == "colortbl")
                m_destination = Destination::ColourTable;
            if (m_destination == Destination::ColourTable) {
                if (word == "red")
                    m_red = number;
                else if (word == "green")
                    m_green = number;
                else if (word == "blue")
                    m_blue = number;
            }
            return true;
        }
        if (depth != 1)
            return true;
        if (word == "par")
            return text("\r\n");
        if (word == "tab")
            return text("\t");
        if (word == "cf") {
            // Index 0 of the colour table is "auto"; the report's colours start at 1.
            if (number < 1 || static_cast<std::size_t>(number) > m_colours.size())
                return false;
            m_colour = m_colours[static_cast<std::size_t>(number - 1)];
            m_colourSet = true;
        } else if (word == "b") {
            m_bold = number != 0;
        } else if (word == "ul") {
            m_underline = number != 0;
        } else if (word == "ulnone") {
            m_underline = false;
        }
        return true;
    }

    bool unicodeUnit(char32_t unit)
    {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (m_highSurrogate != 0)
                return false;
            m_highSurrogate = unit;
            return true;
        }
        char32_t c = unit;
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (m_highSurrogate == 0)
                return false;
            c = 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00);
            m_highSurrogate = 0;
        } else if (c < 0x80) {
            return false; // ASCII is written as itself
        }
        std::string utf8;
        appendUtf8(utf8, c);
        return text(utf8);
    }

    bool text(std::string_view chars)
    {
        if (m_highSurrogate != 0)
            return false; // a high surrogate without its low one
        // The report knows bold and underlined only together, and every run sets its colour.
        if (!m_colourSet || m_bold != m_underline)
            return false;
        appendRun(m_runs, chars, m_colour, m_bold);
        return true;
    }

    std::string_view m_rtf;
    std::size_t m_pos = 0;
    Destination m_destination = Destination::Unknown;
    long m_red = -1;
    long m_green = -1;
    long m_blue = -1;
    bool m_autoRead = false;
    std::vector<Rgb> m_colours; // without the "auto" entry
    std::vector<ReportRun> m_runs;
    Rgb m_colour;
    bool m_colourSet = false;
    bool m_bold = false;
    bool m_underline = false;
    char32_t m_highSurrogate = 0;
};

// Every CR and every LF of the text belongs to a CRLF.
bool onlyCrLf(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

std::string withoutLineEnds(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Report report;
    std::vector<ReportRun> expectedRuns;
    std::string allText;
    static constexpr Rgb palette[] = {core::colours::Black, core::colours::Blue, core::colours::Green};
    while (input.remaining_bytes() > 0) {
        const auto style = input.ConsumeIntegral<std::uint8_t>();
        Rgb colour;
        if ((style & 3) == 3) {
            colour.r = input.ConsumeIntegral<std::uint8_t>();
            colour.g = input.ConsumeIntegral<std::uint8_t>();
            colour.b = input.ConsumeIntegral<std::uint8_t>();
        } else {
            colour = palette[style & 3];
        }
        const bool boldUnderline = (style & 4) != 0;
        const std::string text = input.ConsumeRandomLengthString(512);
        report.append(text, colour, boldUnderline);
        appendRun(expectedRuns, text, colour, boldUnderline);
        allText += text;
    }

    // Text appended in the style of the last run joins it: no empty runs, no two neighbours in one style.
    FUZZ_CHECK(report.runs() == expectedRuns);
    FUZZ_CHECK(report.empty() == allText.empty());

    // The plain text keeps every character and ends every line with CRLF.
    const std::string text = core::reportText(report);
    FUZZ_CHECK(onlyCrLf(text));
    FUZZ_CHECK(withoutLineEnds(text) == withoutLineEnds(allText));

    const std::string rtf = core::reportRtf(report);
    FUZZ_CHECK(rtf.starts_with("{\\rtf1"));
    FUZZ_CHECK(std::none_of(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));

    // Unescaped braces balance, and the first one closes only at the end.
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}') {
            --depth;
            FUZZ_CHECK(depth >= 0);
            if (depth == 0)
                FUZZ_CHECK(rtf.substr(i + 1) == "\r\n");
        }
    }
    FUZZ_CHECK(depth == 0);

    RtfReader reader(rtf);
    FUZZ_CHECK(reader.read());
    const std::vector<Rgb>& colours = reader.colours();
    FUZZ_CHECK(colours.size() >= 3);
    FUZZ_CHECK(
        colours[0] == core::colours::Black && colours[1] == core::colours::Blue && colours[2] == core::colours::Green);
    for (std::size_t i = 0; i < colours.size(); ++i)
        FUZZ_CHECK(std::count(colours.begin(), colours.end(), colours[i]) == 1);

    // Read back, the RTF gives each run's characters in the run's style; control characters other than CR, LF and
    // tab have no RTF form and are left out.
    std::vector<ReportRun> plainRuns;
    std::string plainText;
    for (const ReportRun& run : report.runs()) {
        Report one;
        one.append(run.text, run.colour, run.boldUnderline);
        const std::string runText = charactersWithoutControls(core::reportText(one));
        appendRun(plainRuns, runText, run.colour, run.boldUnderline);
        plainText += runText;
    }
    FUZZ_CHECK(reader.runs() == plainRuns);
    std::string readText;
    for (const ReportRun& run : reader.runs())
        readText += run.text;
    FUZZ_CHECK(readText == plainText);
    const auto plainAscii = [](char c) { return isControl(static_cast<unsigned char>(c)) || c & 0x80; };
    if (std::none_of(allText.begin(), allText.end(), plainAscii))
        FUZZ_CHECK(readText == text);
    return 0;
}
