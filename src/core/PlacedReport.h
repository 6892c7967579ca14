#pragma once

#include "Report.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/**
 * A styled text kept as places in bytes it was made from, line by line: a comparison of two files of a million lines
 * each costs 12 bytes a piece of text instead of a copy of the lines. Text lying in a source's bytes is placed there;
 * any other text is kept in the report's own bytes. Each piece lies within one line; a line end (CRLF in the text)
 * is a mark on the piece before it, in that piece's style, or an empty piece of its own in another style.
 */
class PlacedReport
{
public:
    struct Style
    {
        Rgb colour;
        bool boldUnderline = false;

        friend bool operator==(const Style&, const Style&) = default;
    };
    struct Piece
    {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
        std::uint8_t source = 0; // 0: the report's own bytes
        std::uint8_t style = 0;
        bool lineEnd = false; // a CRLF follows
    };

    /** Text lying in `bytes` is placed there from now on; `keeper` keeps them. At most 254 sources of up to 4 GiB. */
    void addSource(std::string_view bytes, std::shared_ptr<const void> keeper);
    /** Appends `text`, with CRLF line ends. */
    void append(std::string_view text, Style style);

    /** Until `startWriting`, appending only counts: the pieces, the lines and the own bytes a text would take. */
    void startMeasuring() { m_measuring = true; }
    /** Makes room for what was measured and forgets it: the same text appended again is written. */
    void startWriting();

    std::size_t pieceCount() const { return m_pieces.size(); }
    const Piece& piece(std::size_t i) const { return m_pieces[i]; }
    std::string_view text(const Piece& piece) const
    {
        return std::string_view(
            (piece.source == 0 ? m_own.data() : m_sources[piece.source - 1].data()) + piece.start, piece.length);
    }
    const Style& style(const Piece& piece) const { return m_styles[piece.style]; }
    /** Lines as an editor counts them: one more than the line ends, the last empty after a final line end. */
    std::size_t lineCount() const { return m_lineStarts.size(); }
    /** The first piece of line `line` (pieceCount() for an empty last line). */
    std::size_t lineStart(std::size_t line) const { return m_lineStarts[line]; }
    /** The text's bytes, line ends included. */
    std::size_t bytes() const { return m_bytes; }

    /** The text in order with its styles: each piece's bytes, and "\r\n" after a piece that ends a line. */
    template <typename Use> void forEachText(Use use) const
    {
        for (const Piece& p : m_pieces) {
            use(text(p), style(p));
            if (p.lineEnd)
                use(std::string_view("\r\n"), style(p));
        }
    }

    /** The same text and styles as runs. */
    Report toReport() const;

private:
    std::uint8_t styleIndex(const Style& style);
    /** The source whose bytes hold `text`, or -1. */
    int sourceOf(std::string_view text) const;
    void addPiece(std::string_view text, std::uint8_t style);
    void endLine(std::uint8_t style);

    std::vector<Piece> m_pieces;
    std::vector<std::uint32_t> m_lineStarts{0};
    std::vector<Style> m_styles;
    std::string m_own;
    std::vector<std::string_view> m_sources;
    std::vector<std::shared_ptr<const void>> m_keepers;
    std::size_t m_bytes = 0;
    bool m_measuring = false;
    bool m_lastEnded = true; // the last piece has its line end, or there is none
    std::uint8_t m_lastStyle = 0;
    std::size_t m_measuredPieces = 0;
    std::size_t m_measuredLines = 0;
    std::size_t m_measuredOwn = 0;
};

} // namespace core
