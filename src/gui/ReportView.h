#pragma once

#include "core/Report.h"
#include "io/TextCodec.h"

#include <QObject>
#include <QString>
#include <QTextCharFormat>
#include <QTimer>

#include <vector>

class QTextDocument;
class QPlainTextEdit;

namespace gui {

/**
 * Puts a report into a rich text box: each run in its colour, headings bold and underlined, the view at the start.
 * A text document takes a few microseconds per paragraph, so a report of tens of thousands of lines goes in by
 * chunks: the first lines show at once and the rest follows while the window keeps answering.
 */
class ReportFiller final : public QObject
{
    Q_OBJECT

public:
    explicit ReportFiller(QPlainTextEdit* box, QObject* parent = nullptr);

    /** Replaces the box's text with `report`; the first lines are in the box when this returns. */
    void start(core::Report report);
    /** Puts everything that is still waiting into the box now. */
    void finish();
    bool busy() const { return m_next < m_pieces.size(); }

    static constexpr int FirstLines = 500;
    static constexpr int LinesPerStep = 2000;
    static constexpr qsizetype LongestWrappedLine = 10000;

private:
    void insertLines(int lines);

    struct Piece
    {
        std::size_t run; // in m_runs
        std::size_t from; // its bytes in the run's text
        std::size_t size;
        int lines;
    };

    QPlainTextEdit* m_box;
    std::vector<core::ReportRun> m_runs;
    std::vector<Piece> m_pieces;
    std::size_t m_next = 0;
    QTimer m_timer;
};

/** The box's document as a report, the user's edits included: colours, bold or underlined text, CRLF line ends,
 *  text in `encoding` (in Windows-1252 characters it cannot hold become '?'). UTF-8 keeps every character, and the
 *  RTF writer reads it back as the same characters. */
core::Report reportFromDocument(const QTextDocument& document, io::TextEncoding encoding);

class StyledLines;

/** Read-only lines as a report in `encoding`, as reportFromDocument reads the same text from a box. */
core::Report reportFromLines(const StyledLines& lines, io::TextEncoding encoding);

} // namespace gui
