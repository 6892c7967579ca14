#include "LineView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QPainter>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace gui {

namespace {

// The space left of the text, as an editor box leaves it.
constexpr int Margin = 4;

QTextLayout::FormatRange coloured(int start, int length, core::Rgb colour, bool boldUnderline)
{
    QTextCharFormat format;
    format.setForeground(QColor(colour.r, colour.g, colour.b));
    if (boldUnderline) {
        format.setFontWeight(QFont::Bold);
        format.setFontUnderline(true);
    }
    return {start, length, format};
}

} // namespace

StyledLines::StyledLines(std::vector<core::ReportRun> runs, Decode decode)
    : m_runs(std::move(runs))
    , m_decode(std::move(decode))
{
    m_starts.push_back({0, 0});
    std::size_t lineBytes = 0;
    for (std::size_t r = 0; r < m_runs.size(); ++r) {
        const std::string& text = m_runs[r].text;
        std::size_t from = 0;
        while (const void* newline = std::memchr(text.data() + from, '\n', text.size() - from)) {
            const std::size_t at = std::size_t(static_cast<const char*>(newline) - text.data());
            m_longestLine = std::max(m_longestLine, lineBytes + at - from);
            lineBytes = 0;
            from = at + 1;
            // A start at the end of a run means the start of the next one; text() reads on into it.
            m_starts.push_back({std::uint32_t(r), std::uint32_t(from)});
        }
        lineBytes += text.size() - from;
    }
    m_longestLine = std::max(m_longestLine, lineBytes);
}

StyledLines::StyledLines(std::shared_ptr<const core::PlacedReport> report, Decode decode)
    : m_placed(std::move(report))
    , m_decode(std::move(decode))
{
    std::size_t lineBytes = 0;
    for (std::size_t i = 0; i < m_placed->pieceCount(); ++i) {
        const core::PlacedReport::Piece& piece = m_placed->piece(i);
        lineBytes += piece.length;
        if (piece.lineEnd) {
            m_longestLine = std::max(m_longestLine, lineBytes);
            lineBytes = 0;
        }
    }
    m_longestLine = std::max(m_longestLine, lineBytes);
}

StyledLines::StyledLines(std::size_t count, std::size_t longest, LineSource source, Decode decode)
    : m_longestLine(longest)
    , m_decode(std::move(decode))
    , m_source(std::move(source))
    , m_count(count)
{ }

QString StyledLines::text(std::size_t line, QList<QTextLayout::FormatRange>* formats) const
{
    QString out;
    if (line >= lineCount())
        return out;
    if (m_source) {
        out = m_decode(m_source(line));
        if (formats && !out.isEmpty())
            formats->append(coloured(0, int(out.size()), core::colours::Black, false));
        return out;
    }
    if (m_placed) {
        for (std::size_t i = m_placed->lineStart(line); i < m_placed->pieceCount(); ++i) {
            const core::PlacedReport::Piece& piece = m_placed->piece(i);
            const QString decoded = m_decode(m_placed->text(piece));
            if (formats && !decoded.isEmpty()) {
                const core::PlacedReport::Style& style = m_placed->style(piece);
                formats->append(coloured(int(out.size()), int(decoded.size()), style.colour, style.boldUnderline));
            }
            out += decoded;
            if (piece.lineEnd)
                break;
        }
        return out;
    }
    std::size_t offset = m_starts[line].offset;
    for (std::size_t r = m_starts[line].run; r < m_runs.size(); ++r, offset = 0) {
        const core::ReportRun& run = m_runs[r];
        std::string_view piece = std::string_view(run.text).substr(offset);
        const std::size_t newline = piece.find('\n');
        const bool last = newline != std::string_view::npos;
        piece = piece.substr(0, newline);
        // The CR of a CRLF, also when the LF begins the next run.
        const bool crBeforeNext
            = !last && r + 1 < m_runs.size() && !m_runs[r + 1].text.empty() && m_runs[r + 1].text.front() == '\n';
        if ((last || crBeforeNext) && !piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        const QString decoded = m_decode(piece);
        if (formats && !decoded.isEmpty())
            formats->append(coloured(int(out.size()), int(decoded.size()), run.colour, run.boldUnderline));
        out += decoded;
        if (last)
            break;
    }
    return out;
}

LineView::LineView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
}

void LineView::setLines(StyledLines lines)
{
    m_lines = std::move(lines);
    m_anchor = m_cursor = {};
    m_widest = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

int LineView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int LineView::visibleLines() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

std::size_t LineView::firstVisibleLine() const
{
    return std::size_t(std::max(0, verticalScrollBar()->value()));
}

void LineView::updateScrollBars()
{
    const int pageLines = visibleLines();
    const std::size_t count = m_lines.lineCount();
    verticalScrollBar()->setPageStep(pageLines);
    verticalScrollBar()->setRange(0,
        int(std::min<std::size_t>(
            count > std::size_t(pageLines) ? count - pageLines : 0, std::size_t(std::numeric_limits<int>::max()))));
    // The width until lines are laid out is the longest line's bytes in the font's average width; lines laid out on
    // screen correct it.
    const double estimate = double(m_lines.longestLine()) * QFontMetricsF(font()).averageCharWidth();
    const int width
        = int(std::min(std::max<double>(m_widest, estimate), double(std::numeric_limits<int>::max() / 2))) + 2 * Margin;
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
}

void LineView::layOut(QTextLayout* layout, std::size_t line, QList<QTextLayout::FormatRange>* formats) const
{
    layout->setText(m_lines.text(line, formats));
    layout->setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')) * 8);
    layout->setTextOption(option);
    if (formats)
        layout->setFormats(*formats);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    if (textLine.isValid())
        textLine.setPosition(QPointF(0, 0));
    layout->endLayout();
}

int LineView::lineLength(std::size_t line) const
{
    return int(m_lines.text(line).size());
}

void LineView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int height = lineHeight();
    const double x = Margin - horizontalScrollBar()->value();
    const Position from = std::min(m_anchor, m_cursor);
    const Position to = std::max(m_anchor, m_cursor);
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const int widestBefore = m_widest;
    std::size_t line = firstVisibleLine();
    for (int y = 0; y < viewport()->height() && line < m_lines.lineCount(); y += height, ++line) {
        QTextLayout layout;
        QList<QTextLayout::FormatRange> formats;
        layOut(&layout, line, &formats);
        QList<QTextLayout::FormatRange> selections;
        if (from != to && line >= from.line && line <= to.line) {
            const int start = line == from.line ? from.column : 0;
            const int end = line == to.line ? to.column : int(layout.text().size());
            if (end > start)
                selections.append({start, end - start, selected});
        }
        layout.draw(&painter, QPointF(x, y), selections);
        if (line == m_cursor.line && hasFocus())
            layout.drawCursor(&painter, QPointF(x, y), m_cursor.column);
        if (layout.lineCount() > 0)
            m_widest = std::max(m_widest, int(std::ceil(layout.lineAt(0).naturalTextWidth())));
    }
    if (m_widest > widestBefore) // the scroll bar changes after this painting, not during it
        QMetaObject::invokeMethod(this, &LineView::updateScrollBars, Qt::QueuedConnection);
}

void LineView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LineView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_widest = 0;
        updateScrollBars();
    }
}

LineView::Position LineView::positionAt(QPoint point) const
{
    if (m_lines.lineCount() == 0)
        return {};
    const long long line = (long long)firstVisibleLine() + (point.y() >= 0 ? point.y() / lineHeight() : -1);
    Position at;
    at.line = std::size_t(std::clamp<long long>(line, 0, (long long)m_lines.lineCount() - 1));
    QTextLayout layout;
    layOut(&layout, at.line, nullptr);
    if (layout.lineCount() > 0)
        at.column = layout.lineAt(0).xToCursor(point.x() - Margin + horizontalScrollBar()->value());
    return at;
}

void LineView::select(Position anchor, Position cursor)
{
    m_anchor = anchor;
    m_cursor = cursor;
    ensureCursorVisible();
    viewport()->update();
}

void LineView::moveCursor(Position to, bool extend)
{
    select(extend ? m_anchor : to, to);
}

void LineView::selectAll()
{
    if (m_lines.lineCount() == 0)
        return;
    const std::size_t last = m_lines.lineCount() - 1;
    select({0, 0}, {last, lineLength(last)});
}

QString LineView::selectedText() const
{
    const Position from = std::min(m_anchor, m_cursor);
    const Position to = std::max(m_anchor, m_cursor);
    if (from == to)
        return {};
    QString out;
    for (std::size_t line = from.line; line <= to.line; ++line) {
        const QString text = m_lines.text(line);
        const int start = line == from.line ? from.column : 0;
        const int end = line == to.line ? to.column : int(text.size());
        out += QStringView(text).mid(start, std::max(0, end - start));
        if (line != to.line)
            out += QLatin1Char('\n');
    }
    return out;
}

void LineView::copy() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void LineView::ensureCursorVisible()
{
    const std::size_t first = firstVisibleLine();
    const int pageLines = visibleLines();
    if (m_cursor.line < first)
        verticalScrollBar()->setValue(int(m_cursor.line));
    else if (m_cursor.line >= first + std::size_t(pageLines))
        verticalScrollBar()->setValue(int(m_cursor.line) - pageLines + 1);
    QTextLayout layout;
    layOut(&layout, m_cursor.line, nullptr);
    if (layout.lineCount() == 0)
        return;
    const int x = int(layout.lineAt(0).cursorToX(m_cursor.column)) + Margin;
    const int left = horizontalScrollBar()->value();
    if (x - Margin < left)
        horizontalScrollBar()->setValue(std::max(0, x - 2 * Margin));
    else if (x + Margin > left + viewport()->width()) {
        m_widest = std::max(m_widest, x);
        updateScrollBars();
        horizontalScrollBar()->setValue(x + Margin - viewport()->width());
    }
}

void LineView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    if (m_lines.lineCount() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const std::size_t last = m_lines.lineCount() - 1;
    const auto lineMoved = [&](long long lines) {
        const long long line = std::clamp<long long>((long long)m_cursor.line + lines, 0, (long long)last);
        return Position{std::size_t(line), std::min(m_cursor.column, lineLength(std::size_t(line)))};
    };
    Position to = m_cursor;
    switch (event->key()) {
    case Qt::Key_Up:
        to = lineMoved(-1);
        break;
    case Qt::Key_Down:
        to = lineMoved(1);
        break;
    case Qt::Key_PageUp:
        to = lineMoved(-visibleLines());
        break;
    case Qt::Key_PageDown:
        to = lineMoved(visibleLines());
        break;
    case Qt::Key_Left:
        if (to.column > 0)
            --to.column;
        else if (to.line > 0)
            to = {to.line - 1, lineLength(to.line - 1)};
        break;
    case Qt::Key_Right:
        if (to.column < lineLength(to.line))
            ++to.column;
        else if (to.line < last)
            to = {to.line + 1, 0};
        break;
    case Qt::Key_Home:
        to = control ? Position{} : Position{to.line, 0};
        break;
    case Qt::Key_End:
        to = control ? Position{last, lineLength(last)} : Position{to.line, lineLength(to.line)};
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    moveCursor(to, extend);
}

void LineView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        moveCursor(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    else
        QAbstractScrollArea::mousePressEvent(event);
}

void LineView::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging past the top or the bottom scrolls a line at each move.
    if (event->buttons() & Qt::LeftButton)
        moveCursor(positionAt(event->position().toPoint()), true);
}

void LineView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Position at = positionAt(event->position().toPoint());
    const QString text = m_lines.text(at.line);
    const auto inWord = [&text](int i) { return text[i].isLetterOrNumber() || text[i] == QLatin1Char('_'); };
    int start = at.column;
    int end = at.column;
    while (start > 0 && inWord(start - 1))
        --start;
    while (end < text.size() && inWord(end))
        ++end;
    select({at.line, start}, {at.line, end});
}

void LineView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("Copy"), this, &LineView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(m_anchor != m_cursor);
    menu.addAction(QStringLiteral("Select All"), this, &LineView::selectAll)->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}

QWidget* withReadOnlyNote(LineView* view, const QString& note)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* label = new QLabel(note, page);
    label->setObjectName(view->objectName() + QStringLiteral("Note"));
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addWidget(view, 1);
    return page;
}

} // namespace gui
