#pragma once

#include "core/PlacedReport.h"
#include "core/Report.h"

#include <QAbstractScrollArea>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gui {

/**
 * Styled text kept as the bytes it was made from, with where each line starts: a text of a million lines costs its
 * bytes and eight bytes a line. Lines are decoded only when asked for, one at a time.
 */
class StyledLines
{
public:
    using Decode = std::function<QString(std::string_view)>;

    StyledLines() = default;
    /** Lines end at LF, a CR before it left out; a text ending in a line end has an empty last line, as in an
     *  editor. */
    StyledLines(std::vector<core::ReportRun> runs, Decode decode);
    /** The lines of a report kept as places in other bytes: a line costs what the report holds of it and nothing
     *  more. */
    StyledLines(std::shared_ptr<const core::PlacedReport> report, Decode decode);
    /** The bytes of line `line`, without its line end. */
    using LineSource = std::function<std::string(std::size_t line)>;
    /** `count` black lines made by `source` when they are asked for, none of them kept: a text of a million lines
     *  costs only what `source` holds. `longest` is the most bytes in one line. */
    StyledLines(std::size_t count, std::size_t longest, LineSource source, Decode decode);

    std::size_t lineCount() const { return m_source ? m_count : m_placed ? m_placed->lineCount() : m_starts.size(); }
    /** The most bytes in one line. */
    std::size_t longestLine() const { return m_longestLine; }
    /** Line `line`'s text, and where `formats` is given the runs' colours and bold underlining over it. */
    QString text(std::size_t line, QList<QTextLayout::FormatRange>* formats = nullptr) const;
    /** The runs, none for lines made by a source or kept as places. */
    const std::vector<core::ReportRun>& runs() const { return m_runs; }
    /** The report kept as places, if the lines are its. */
    const core::PlacedReport* placed() const { return m_placed.get(); }

private:
    struct Start
    {
        std::uint32_t run;
        std::uint32_t offset;
    };

    std::vector<core::ReportRun> m_runs;
    std::vector<Start> m_starts;
    std::shared_ptr<const core::PlacedReport> m_placed;
    std::size_t m_longestLine = 0;
    Decode m_decode;
    LineSource m_source;
    std::size_t m_count = 0; // lines of m_source
};

/**
 * A read-only view of styled lines that lays out only the lines on screen, for texts too large for an editor box:
 * scrolling, selecting with the mouse or the keyboard (Shift with the arrows, Ctrl+A), copying (Ctrl+C and the
 * context menu).
 */
class LineView final : public QAbstractScrollArea
{
    Q_OBJECT

public:
    struct Position
    {
        std::size_t line = 0;
        int column = 0;

        friend auto operator<=>(const Position&, const Position&) = default;
    };

    explicit LineView(QWidget* parent = nullptr);

    void setLines(StyledLines lines);
    const StyledLines& lines() const { return m_lines; }

    /** The selected text with LF line ends. */
    QString selectedText() const;
    void select(Position anchor, Position cursor);
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    /** The first line on screen. */
    std::size_t firstVisibleLine() const;
    int lineHeight() const;
    int visibleLines() const;
    void updateScrollBars();
    /** A line laid out on one line, tabs as the font's eight spaces. */
    void layOut(QTextLayout* layout, std::size_t line, QList<QTextLayout::FormatRange>* formats) const;
    Position positionAt(QPoint point) const;
    void moveCursor(Position to, bool extend);
    void ensureCursorVisible();
    int lineLength(std::size_t line) const;

    StyledLines m_lines;
    Position m_anchor;
    Position m_cursor;
    int m_widest = 0; // the widest line laid out so far, in pixels
};

/** Texts of more bytes than this are shown in a LineView, read-only, rather than in an editor box: at this size an
 *  editor box holds about 50 MiB and takes seconds to fill, and texts of real key files are a hundred times smaller. */
inline constexpr std::size_t EditableTextBytes = 8 * 1024 * 1024;

/** `view` under a line that says why it is read-only, in one widget. */
QWidget* withReadOnlyNote(LineView* view, const QString& note);

} // namespace gui
