#include "PlacedReport.h"

#include <limits>
#include <stdexcept>

namespace core {

void PlacedReport::addSource(std::string_view bytes, std::shared_ptr<const void> keeper)
{
    if (bytes.empty())
        return;
    if (m_sources.size() >= std::numeric_limits<std::uint8_t>::max() - 1
        || bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("Too many or too large sources for a report");
    m_sources.push_back(bytes);
    m_keepers.push_back(std::move(keeper));
}

std::uint8_t PlacedReport::styleIndex(const Style& style)
{
    // Text mostly comes in the style of the text before it.
    if (m_lastStyle < m_styles.size() && m_styles[m_lastStyle] == style)
        return m_lastStyle;
    for (std::size_t i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i] == style)
            return static_cast<std::uint8_t>(i);
    }
    if (m_styles.size() > std::numeric_limits<std::uint8_t>::max())
        throw std::length_error("Too many styles in a report");
    m_styles.push_back(style);
    return static_cast<std::uint8_t>(m_styles.size() - 1);
}

int PlacedReport::sourceOf(std::string_view text) const
{
    for (std::size_t s = 0; s < m_sources.size(); ++s) {
        const std::string_view source = m_sources[s];
        if (text.data() >= source.data() && text.data() + text.size() <= source.data() + source.size())
            return static_cast<int>(s);
    }
    return -1;
}

void PlacedReport::addPiece(std::string_view text, std::uint8_t style)
{
    m_lastEnded = false;
    m_lastStyle = style;
    const int source = text.empty() ? -1 : sourceOf(text);
    if (m_measuring) {
        ++m_measuredPieces;
        m_measuredOwn += source < 0 ? text.size() : 0;
        return;
    }
    m_bytes += text.size();
    if (source >= 0) {
        m_pieces.push_back(
            Piece{static_cast<std::uint32_t>(text.data() - m_sources[static_cast<std::size_t>(source)].data()),
                static_cast<std::uint32_t>(text.size()), static_cast<std::uint8_t>(source + 1), style, false});
        return;
    }
    if (m_own.size() + text.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("A report's own text of more than 4 GiB");
    m_pieces.push_back(
        Piece{static_cast<std::uint32_t>(m_own.size()), static_cast<std::uint32_t>(text.size()), 0, style, false});
    m_own.append(text);
}

void PlacedReport::endLine(std::uint8_t style)
{
    // The line end goes on the piece before it when that piece has none yet and the same style.
    if (m_lastEnded || m_lastStyle != style)
        addPiece({}, style);
    m_lastEnded = true;
    if (m_measuring) {
        ++m_measuredLines;
        return;
    }
    m_pieces.back().lineEnd = true;
    m_bytes += 2;
    m_lineStarts.push_back(static_cast<std::uint32_t>(m_pieces.size()));
}

void PlacedReport::append(std::string_view text, Style style)
{
    if (text.empty())
        return;
    const std::uint8_t index = styleIndex(style);
    for (;;) {
        const std::size_t crlf = text.find("\r\n");
        const std::string_view line = text.substr(0, crlf);
        if (!line.empty())
            addPiece(line, index);
        if (crlf == std::string_view::npos)
            return;
        endLine(index);
        text.remove_prefix(crlf + 2);
        if (text.empty())
            return;
    }
}

void PlacedReport::startWriting()
{
    m_measuring = false;
    m_pieces.clear();
    m_pieces.reserve(m_measuredPieces);
    m_lineStarts.assign(1, 0);
    m_lineStarts.reserve(m_measuredLines + 1);
    m_own.clear();
    m_own.reserve(m_measuredOwn);
    m_bytes = 0;
    m_lastEnded = true;
    m_measuredPieces = m_measuredLines = m_measuredOwn = 0;
}

Report PlacedReport::toReport() const
{
    // Each run made the size it ends at. Styles are distinct, so a run changes where the style does.
    std::vector<std::size_t> runBytes;
    const Style* last = nullptr;
    forEachText([&](std::string_view text, const Style& style) {
        if (text.empty())
            return;
        if (&style != last)
            runBytes.push_back(0);
        runBytes.back() += text.size();
        last = &style;
    });
    Report report;
    report.reserveRuns(runBytes.size());
    std::size_t run = 0;
    last = nullptr;
    forEachText([&](std::string_view text, const Style& style) {
        if (text.empty())
            return;
        report.append(text, style.colour, style.boldUnderline, &style != last ? runBytes[run++] : 0);
        last = &style;
    });
    return report;
}

} // namespace core
