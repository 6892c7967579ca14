#include "ReportView.h"

#include "LineView.h"
#include "io/TextCodec.h"

#include <QTextBlock>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstring>
#include <limits>

namespace gui {

ReportFiller::ReportFiller(QPlainTextEdit* box, QObject* parent)
    : QObject(parent)
    , m_box(box)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        insertLines(LinesPerStep);
        if (!busy())
            m_timer.stop();
    });
}

void ReportFiller::start(core::Report report)
{
    m_timer.stop();
    m_pieces.clear();
    m_next = 0;
    m_runs = report.takeRuns();
    std::size_t longestLine = 0;
    // Runs are cut into pieces of at most a few hundred lines, so that each step inserts about the same amount. A
    // piece stays bytes until it goes into the box: the first screen waits only for its own lines.
    constexpr int PieceLines = 250;
    for (std::size_t r = 0; r < m_runs.size(); ++r) {
        const std::string& text = m_runs[r].text;
        std::size_t from = 0;
        while (from < text.size()) {
            std::size_t end = from;
            int lines = 0;
            while (end < text.size() && lines < PieceLines) {
                const void* newline = std::memchr(text.data() + end, '\n', text.size() - end);
                const std::size_t next
                    = newline ? std::size_t(static_cast<const char*>(newline) - text.data()) + 1 : text.size();
                longestLine = std::max(longestLine, next - end);
                end = next;
                ++lines;
            }
            m_pieces.push_back({r, from, end - from, lines});
            from = end;
        }
    }
    // A new report is the start of the box's undo history: undo must not take the report away.
    m_box->setUndoRedoEnabled(false);
    m_box->clear();
    // Lines wrap at the box's width, but wrapping a line of hundreds of thousands of characters would take the
    // layout minutes; a report with such a line is shown unwrapped, which lays out in a blink.
    m_box->setLineWrapMode(
        qsizetype(longestLine) > LongestWrappedLine ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    insertLines(FirstLines);
    m_box->setTextCursor(QTextCursor(m_box->document()));
    m_box->ensureCursorVisible();
    if (busy())
        m_timer.start();
}

void ReportFiller::finish()
{
    m_timer.stop();
    insertLines(std::numeric_limits<int>::max());
}

void ReportFiller::insertLines(int lines)
{
    if (!busy())
        return;
    QTextCursor cursor(m_box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    int inserted = 0;
    while (busy() && inserted < lines) {
        const Piece& piece = m_pieces[m_next++];
        const core::ReportRun& run = m_runs[piece.run];
        QTextCharFormat format;
        format.setForeground(QColor(run.colour.r, run.colour.g, run.colour.b));
        format.setFontWeight(run.boldUnderline ? QFont::Bold : QFont::Normal);
        format.setFontUnderline(run.boldUnderline);
        // The runs are the files' own bytes, a UTF-8 file's and a Windows-1252 file's side by side: read as the RTF
        // writer reads them. A piece ends at a line end, which is never inside a character.
        cursor.insertText(
            io::withLfLineEnds(io::decodeMixedText(std::string_view(run.text).substr(piece.from, piece.size))), format);
        inserted += piece.lines;
    }
    cursor.endEditBlock();
    if (!busy()) {
        m_pieces.clear();
        m_runs.clear();
        m_next = 0;
        m_box->setUndoRedoEnabled(true);
    }
}

core::Report reportFromDocument(const QTextDocument& document, io::TextEncoding encoding)
{
    core::Report report;
    const auto styleOf = [](const QTextCharFormat& format, core::Rgb* colour, bool* boldUnderline) {
        const QColor c = format.foreground().color();
        *colour = core::Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
        *boldUnderline = format.fontWeight() >= QFont::Bold || format.fontUnderline();
    };
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        core::Rgb colour{};
        bool boldUnderline = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            styleOf(fragment.charFormat(), &colour, &boldUnderline);
            QString text = fragment.text();
            text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
            report.append(io::encodeText(text, encoding), colour, boldUnderline);
        }
        // A paragraph's end is written in its own style, which the document keeps as the character format of the
        // paragraph that follows.
        if (block.next().isValid()) {
            styleOf(block.next().charFormat(), &colour, &boldUnderline);
            report.append("\r\n", colour, boldUnderline);
        }
    }
    return report;
}

core::Report reportFromLines(const StyledLines& lines, io::TextEncoding encoding)
{
    core::Report report;
    const auto add = [&](std::string_view text, core::Rgb colour, bool boldUnderline) {
        report.append(io::encodeText(io::decodeMixedText(text), encoding), colour, boldUnderline);
    };
    for (const core::ReportRun& run : lines.runs())
        add(run.text, run.colour, run.boldUnderline);
    if (const core::PlacedReport* placed = lines.placed())
        placed->forEachText([&add](std::string_view text, const core::PlacedReport::Style& style) {
            add(text, style.colour, style.boldUnderline);
        });
    return report;
}

} // namespace gui
