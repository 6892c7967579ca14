#include "ReportWriters.h"

#include "TextDecoding.h"

#include <algorithm>
#include <vector>

namespace core {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The colour table: index 0 is RTF's "auto" entry, then black, blue and green, then any other colour in the order
// of first use.
std::vector<Rgb> colourTable(const Report& report)
{
    std::vector<Rgb> table{colours::Black, colours::Blue, colours::Green};
    for (const auto& run : report.runs()) {
        if (std::find(table.begin(), table.end(), run.colour) == table.end())
            table.push_back(run.colour);
    }
    return table;
}

std::size_t colourIndex(const std::vector<Rgb>& table, Rgb colour)
{
    return static_cast<std::size_t>(std::find(table.begin(), table.end(), colour) - table.begin()) + 1;
}

// One UTF-16 unit as RTF's \uN with N the unit's signed 16-bit value, then "?" for readers without Unicode.
void appendUnicodeUnit(std::string& out, char32_t unit)
{
    const long value = unit > 0x7FFF ? static_cast<long>(unit) - 0x10000 : static_cast<long>(unit);
    out += "\\u";
    out += std::to_string(value);
    out += '?';
}

void appendUnicode(std::string& out, char32_t c)
{
    if (c > 0xFFFF) {
        c -= 0x10000;
        appendUnicodeUnit(out, 0xD800 + (c >> 10));
        appendUnicodeUnit(out, 0xDC00 + (c & 0x3FF));
    } else {
        appendUnicodeUnit(out, c);
    }
}

void appendEscaped(std::string& out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            std::size_t next = i;
            appendUnicode(out, nextTextChar(text, &next));
            i = next - 1;
            continue;
        }
        switch (byte) {
        case '\\':
        case '{':
        case '}':
            out += '\\';
            out += static_cast<char>(byte);
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\par\r\n";
            break;
        case '\n':
            out += "\\par\r\n";
            break;
        case '\t':
            out += "\\tab ";
            break;
        default:
            if (byte == 0x7F) {
                out += "\\'";
                out += kHexDigits[byte >> 4];
                out += kHexDigits[byte & 0x0F];
            } else if (byte >= 0x20) {
                out += static_cast<char>(byte);
            }
            // Other control characters have no meaning in the report and are left out.
            break;
        }
    }
}

} // namespace

namespace {

constexpr std::string_view CrLf = "\r\n";

// Line by line, the bytes of `text` that need no change given as one span: a lone CR or LF ends the span, and CRLF
// stands in for it.
void forEachTextPiece(std::string_view text, const std::function<void(std::string_view)>& use)
{
    std::size_t span = 0;
    const auto lineEndAt = [&](std::size_t at) {
        use(text.substr(span, at - span));
        use(CrLf);
        span = at + 1;
    };
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t lf = text.find('\n', from);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        std::string_view line = text.substr(from, end - from);
        const bool crlf = lf != std::string_view::npos && !line.empty() && line.back() == '\r';
        if (crlf)
            line.remove_suffix(1);
        for (std::size_t cr = line.find('\r'); cr != std::string_view::npos; cr = line.find('\r', cr + 1))
            lineEndAt(from + cr);
        if (lf != std::string_view::npos && !crlf)
            lineEndAt(lf);
        from = end + 1;
    }
    if (span < text.size())
        use(text.substr(span));
}

} // namespace

void forEachReportTextPiece(const Report& report, const std::function<void(std::string_view)>& use)
{
    for (const auto& run : report.runs())
        forEachTextPiece(run.text, use);
}

void forEachReportTextPiece(const PlacedReport& report, const std::function<void(std::string_view)>& use)
{
    report.forEachText([&use](std::string_view text, const PlacedReport::Style&) { forEachTextPiece(text, use); });
}

std::string reportText(const Report& report)
{
    std::size_t bytes = 0;
    for (const auto& run : report.runs())
        bytes += run.text.size();
    std::string out;
    out.reserve(bytes); // more only for a lone CR or LF
    forEachReportTextPiece(report, [&out](std::string_view piece) { out.append(piece); });
    return out;
}

std::string reportRtf(const Report& report)
{
    const std::vector<Rgb> table = colourTable(report);
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n{\\colortbl;";
    for (const Rgb colour : table) {
        out += "\\red" + std::to_string(colour.r) + "\\green" + std::to_string(colour.g) + "\\blue"
            + std::to_string(colour.b) + ';';
    }
    out += "}\r\n\\pard\\f0\\fs20 ";

    bool boldUnderline = false;
    std::size_t colour = 0;
    for (const auto& run : report.runs()) {
        const std::size_t index = colourIndex(table, run.colour);
        if (index != colour) {
            out += "\\cf" + std::to_string(index) + ' ';
            colour = index;
        }
        if (run.boldUnderline != boldUnderline) {
            out += run.boldUnderline ? "\\b\\ul " : "\\b0\\ulnone ";
            boldUnderline = run.boldUnderline;
        }
        appendEscaped(out, run.text);
    }
    out += "}\r\n";
    return out;
}

} // namespace core
