#include "CougarPage.h"

#include "Desktop.h"
#include "KeyFileSession.h"
#include "LineView.h"
#include "Prompts.h"
#include "SaveTarget.h"
#include "TabControl.h"
#include "Workers.h"
#include "core/CougarMacros.h"
#include "core/TargetMacros.h"
#include "io/FileIo.h"
#include "io/Platform.h"
#include "io/TextCodec.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace gui {

namespace {

// A long macro text goes into its box by steps of this many lines, a few milliseconds each: a step of 4,000 took
// 14 ms and, coming before the page's first paint, held up the page's answer by as much.
constexpr int FirstLines = 500;
constexpr int LinesPerStep = 2000;

// What the engine needs to make a text besides the document: the document rows in the list's order, and the
// options.
struct MakingInput
{
    bool target = false;
    bool removeSim = false;
    std::vector<int> rows;
};

std::string makeText(const core::KeyDocument& document, const MakingInput& in)
{
    return in.target ? core::fillTargetMacros(document, in.rows, in.removeSim)
                     : core::fillCougarMacros(document, in.rows, in.removeSim);
}

// Rows in an order: rows in ascending order (the list as the file has it) as a bit a row and a count of the rows
// before each word of bits, 4 MiB less than a table of a million rows; rows in another order as they come.
class RowList
{
public:
    RowList() = default;
    explicit RowList(std::vector<int> rows)
    {
        if (!std::is_sorted(rows.begin(), rows.end()) || (!rows.empty() && rows.front() < 0)
            || std::adjacent_find(rows.begin(), rows.end()) != rows.end()) {
            m_inOrder = std::move(rows);
            m_size = m_inOrder.size();
            return;
        }
        m_size = rows.size();
        m_bits.assign(rows.empty() ? 0 : static_cast<std::size_t>(rows.back()) / 64 + 1, 0);
        for (const int row : rows)
            m_bits[static_cast<std::size_t>(row) / 64] |= std::uint64_t{1} << (row % 64);
        m_before.reserve(m_bits.size());
        std::uint32_t count = 0;
        for (const std::uint64_t word : m_bits) {
            m_before.push_back(count);
            count += static_cast<std::uint32_t>(std::popcount(word));
        }
    }

    std::size_t size() const { return m_size; }
    /** The `n`th row. */
    int operator[](std::size_t n) const
    {
        if (m_bits.empty())
            return m_inOrder[n];
        // The last word with no more than `n` rows before it holds the row; then its bits below it are dropped.
        const auto after = std::upper_bound(m_before.begin(), m_before.end(), static_cast<std::uint32_t>(n));
        const auto word = static_cast<std::size_t>(after - m_before.begin()) - 1;
        std::uint64_t bits = m_bits[word];
        for (std::size_t skip = n - m_before[word]; skip > 0; --skip)
            bits &= bits - 1;
        return static_cast<int>(word * 64) + std::countr_zero(bits);
    }
    template <typename Use> void forEach(Use use) const
    {
        if (m_bits.empty()) {
            for (const int row : m_inOrder)
                use(row);
            return;
        }
        for (std::size_t word = 0; word < m_bits.size(); ++word) {
            for (std::uint64_t bits = m_bits[word]; bits != 0; bits &= bits - 1)
                use(static_cast<int>(word * 64) + std::countr_zero(bits));
        }
    }

private:
    std::vector<int> m_inOrder; // rows in another order
    std::vector<std::uint64_t> m_bits; // rows in ascending order: bit r % 64 of word r / 64
    std::vector<std::uint32_t> m_before; // the rows before each word
    std::size_t m_size = 0;
};

const QString kCougarCaption = QStringLiteral("Copy and paste these into a Cougar macro file.");
const QString kTargetCaption = QStringLiteral("Copy and paste these into a TARGET macro file.");

} // namespace

CougarPage::CougarPage(TabControl* tabs, int pageIndex, KeyFileSession* session, RowSource rows, RemoveSim removeSim,
    Desktop& desktop, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , m_tabs(tabs)
    , m_page(pageIndex)
    , m_session(session)
    , m_rows(std::move(rows))
    , m_removeSim(std::move(removeSim))
    , m_desktop(desktop)
    , m_prompts(prompts)
    , m_textPages(new QStackedWidget(tabs->page(pageIndex)))
    , m_text(new QPlainTextEdit(m_textPages))
    , m_lines(new LineView)
    , m_editableBytes(EditableTextBytes)
    , m_caption(new QLabel(kCougarCaption, tabs->page(pageIndex)))
    , m_format(new QComboBox(tabs->page(pageIndex)))
    , m_fillTimer(new QTimer(this))
{
    connect(m_fillTimer, &QTimer::timeout, this, [this] { insertWaitingLines(LinesPerStep); });
    connect(m_text->document(), &QTextDocument::contentsChange, this, [this] { m_edited = m_edited || !m_inserting; });
    QWidget* page = tabs->page(pageIndex);
    const char* const captions[] = {"Copy all", "Copy selected", "Refresh macros"};
    const QRect places[] = {{5580, 420, 915, 435}, {6720, 420, 1275, 435}, {180, 420, 1275, 435}};
    QPushButton* buttons[3];
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QPushButton(QString::fromLatin1(captions[i]), page);
        buttons[i]->setObjectName(QStringLiteral("Command3_%1").arg(i));
        buttons[i]->setMouseTracking(true);
        tabs->placeOnPage(pageIndex, buttons[i], places[i].x(), places[i].y(), places[i].width(), places[i].height());
    }
    // Each button clears the clipboard first, the refresh button too.
    connect(buttons[0], &QPushButton::clicked, this, &CougarPage::copyAll);
    connect(buttons[1], &QPushButton::clicked, this, &CougarPage::copySelected);
    connect(buttons[2], &QPushButton::clicked, this, [this] {
        m_desktop.clearClipboard();
        fillCougarMacros();
    });

    m_caption->setObjectName(QStringLiteral("Label4_10"));
    m_caption->setMouseTracking(true);
    m_caption->setWordWrap(true); // two lines where today's fonts do not fit one between the buttons
    tabs->placeOnPage(pageIndex, m_caption, 2100, 420, 3360, 435);

    // The format and the file it is saved to, right of the copy buttons.
    auto* formatLabel = new QLabel(QStringLiteral("Format"), page);
    formatLabel->setObjectName(QStringLiteral("LabelMacroFormat"));
    formatLabel->setMouseTracking(true);
    formatLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tabs->placeOnPage(pageIndex, formatLabel, 8160, 480, 600, 315);
    m_format->setObjectName(QStringLiteral("CmbMacroFormat"));
    m_format->setMouseTracking(true);
    m_format->addItems({QStringLiteral("Cougar"), QStringLiteral("TARGET")});
    m_format->setToolTip(QStringLiteral("Cougar macro lines (.tmm) or TARGET defines (.ttm)"));
    formatLabel->setBuddy(m_format);
    tabs->placeOnPage(pageIndex, m_format, 8850, 450, 1185, 375);
    auto* save = new QPushButton(QStringLiteral("Save as..."), page);
    save->setObjectName(QStringLiteral("Command3_3"));
    save->setMouseTracking(true);
    tabs->placeOnPage(pageIndex, save, 10200, 420, 1155, 435);
    connect(save, &QPushButton::clicked, this, &CougarPage::saveAs);
    connect(m_format, &QComboBox::currentIndexChanged, this, [this] {
        m_caption->setText(format() == Format::Target ? kTargetCaption : kCougarCaption);
        fillCougarMacros();
    });

    m_text->setObjectName(QStringLiteral("RTBCougar"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMouseTracking(true);
    m_text->viewport()->setMouseTracking(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true); // the filling spaces line the remarks up
    m_text->setFont(fixed);
    m_text->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')) * 8);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, QColor(227, 251, 253));
    palette.setColor(QPalette::Text, Qt::black);
    m_text->setPalette(palette);
    m_lines->setObjectName(QStringLiteral("RTBCougarLines"));
    m_lines->setFont(fixed);
    m_lines->setPalette(palette);
    m_textPages->setObjectName(QStringLiteral("CougarTextPages"));
    m_textPages->addWidget(m_text);
    m_textPages->addWidget(withReadOnlyNote(m_lines,
        QStringLiteral("This macro text is too large to edit here. It is shown read-only; Copy all and Save as... take "
                       "it whole.")));
    connect(tabs, &TabControl::currentChanged, this, [this](int index) {
        if (index == m_page)
            showPendingText();
    });
    connect(session, &KeyFileSession::documentReset, this, &CougarPage::listChanged);
    connect(session, &KeyFileSession::rowsChanged, this, &CougarPage::listChanged);
}

void CougarPage::resize(int tabWidthTwips, int tabHeightTwips)
{
    if (tabWidthTwips - 240 > 0 && tabHeightTwips - 1000 > 0)
        m_tabs->placeOnPage(m_page, m_textPages, 120, 960, tabWidthTwips - 240, tabHeightTwips - 1000);
}

void CougarPage::listChanged()
{
    m_stale = true;
    if (m_tabs->currentIndex() == m_page)
        showPendingText();
}

void CougarPage::fillCougarMacros()
{
    m_stale = true;
    showPendingText();
}

// A text made on a worker: a copy of the document (its bytes and rows shared, its bindings its own), what else the
// engine needs, and the text it made. A Cougar text too big for the box is not kept: only the rows that give its
// lines, each line made again as it is drawn.
struct CougarPage::Making
{
    core::KeyDocument document;
    MakingInput input;
    std::string bytes;
    bool perLine = false;
    std::vector<int> lineRows;
    std::size_t longestLine = 0;
    std::size_t textBytes = 0;

    void make(std::size_t editableBytes)
    {
        if (input.target) {
            bytes = makeText(document, input);
            return;
        }
        core::CougarMacroWriter writer(document, input.removeSim);
        std::string line;
        for (const int row : input.rows) {
            line.clear();
            if (!writer.append(line, row))
                continue;
            lineRows.push_back(row);
            longestLine = std::max(longestLine, line.size());
            textBytes += line.size() + 2;
            if (perLine)
                continue;
            bytes += line;
            bytes += "\r\n";
            if (bytes.size() > editableBytes) {
                perLine = true;
                std::string().swap(bytes);
            }
        }
    }
};

// The lines of a Cougar text shown a line at a time: the document they come from and the row of each line.
struct CougarPage::RowLines
{
    core::KeyDocument document;
    RowList rows;
    bool removeSim = false;
    std::size_t bytes = 0; // of the whole text

    std::string line(std::size_t n) const
    {
        std::string out;
        core::CougarMacroWriter(document, removeSim).append(out, rows[n]);
        return out;
    }
    std::string all() const
    {
        std::string text;
        text.reserve(bytes);
        forEachPiece(1024 * 1024, [&text](std::string_view piece) { text += piece; });
        return text;
    }
    /** The whole text, given to `use` in pieces of at least `pieceBytes` (the last may be shorter) that end at line
     *  ends. */
    template <typename Use> void forEachPiece(std::size_t pieceBytes, Use use) const
    {
        std::string piece;
        piece.reserve(pieceBytes + 4096);
        core::CougarMacroWriter writer(document, removeSim);
        rows.forEach([&](int row) {
            if (writer.append(piece, row))
                piece += "\r\n";
            if (piece.size() >= pieceBytes) {
                use(std::string_view(piece));
                piece.clear();
            }
        });
        use(std::string_view(piece));
    }
};

CougarPage::~CougarPage()
{
    waitForWorkers(this);
}

void CougarPage::showPendingText(bool now)
{
    if (!m_stale)
        return;
    m_stale = false;
    m_making.drop(); // a text still being made is for a document or list that changed
    m_textPages->unsetCursor();
    const core::KeyDocument& document = m_session->document();
    auto making = std::make_shared<Making>();
    MakingInput& in = making->input;
    in.target = format() == Format::Target;
    in.removeSim = m_removeSim();
    in.rows = m_rows();
    m_lines->setLines({}); // the last text goes before the next is made
    m_rowLines.reset();
    if (now || document.sourceBytes().size() < m_backgroundBytes) {
        showText(makeText(document, in));
        return;
    }
    // A big document's text takes a third of a second and more: made on a worker, the window answering. The last
    // text goes, and so does what of it was still going into the box.
    making->document = document;
    m_fillTimer->stop();
    m_waitingFrom = m_waitingEnd = 0;
    m_bytes.clear();
    m_inserting = true;
    m_text->clear();
    m_inserting = false;
    m_textPages->setCursor(Qt::BusyCursor);
    m_making.start(
        this, making, [editable = m_editableBytes](Making& job) { job.make(editable); }, [this] { finishMaking(); });
}

void CougarPage::showWholeText()
{
    showPendingText(true);
    finishMaking();
}

void CougarPage::finishMaking()
{
    const std::shared_ptr<Making> making = m_making.take();
    if (!making)
        return;
    m_textPages->unsetCursor();
    if (!making->perLine) {
        showText(std::move(making->bytes));
        return;
    }
    showText({},
        std::make_shared<const RowLines>(RowLines{std::move(making->document), RowList(std::move(making->lineRows)),
            making->input.removeSim, making->textBytes}),
        making->longestLine);
}

void CougarPage::showText(std::string text, std::shared_ptr<const RowLines> rowLines, std::size_t longestLine)
{
    m_rowLines = std::move(rowLines);
    m_bytes = std::move(text);
    m_waitingFrom = 0;
    m_waitingEnd = m_bytes.size();
    // The fill is no edit of the user's: undo starts with the whole text in the box.
    m_text->setUndoRedoEnabled(false);
    m_inserting = true;
    m_text->clear();
    m_inserting = false;
    m_edited = false;
    if (m_rowLines || m_bytes.size() > m_editableBytes) {
        // Too large for an editor box, which would hold it in UTF-16 with a block per line: a view lays out only the
        // lines on screen, over the text's bytes or making each line as it is drawn.
        m_waitingEnd = 0;
        m_text->setUndoRedoEnabled(true);
        const auto decode = [session = m_session](std::string_view bytes) { return session->decode(bytes); };
        if (m_rowLines) {
            // The text ends with a line end: an empty last line, as in the view over the text's bytes.
            m_lines->setLines(StyledLines(
                m_rowLines->rows.size() + 1, longestLine,
                [lines = m_rowLines](std::size_t n) { return n < lines->rows.size() ? lines->line(n) : std::string(); },
                decode));
        } else {
            m_lines->setLines(StyledLines({core::ReportRun{std::move(m_bytes), core::colours::Black}}, decode));
        }
        m_bytes.clear();
        m_textPages->setCurrentIndex(1);
        return;
    }
    m_lines->setLines({});
    m_textPages->setCurrentIndex(0);
    insertWaitingLines(FirstLines);
    if (filling())
        m_fillTimer->start(0);
}

void CougarPage::insertWaitingLines(int lines)
{
    if (!filling())
        return;
    std::size_t end = m_waitingFrom;
    for (int n = 0; end < m_waitingEnd && (lines < 0 || n < lines); ++n) {
        const void* newline = std::memchr(m_bytes.data() + end, '\n', m_waitingEnd - end);
        end = newline ? std::size_t(static_cast<const char*>(newline) - m_bytes.data()) + 1 : m_waitingEnd;
    }
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    m_inserting = true;
    // A line end is never inside a character, in UTF-8 as in Windows-1252: each step's lines decode on their own.
    cursor.insertText(
        io::withLfLineEnds(m_session->decode(std::string_view(m_bytes).substr(m_waitingFrom, end - m_waitingFrom))));
    m_inserting = false;
    m_waitingFrom = end;
    if (!filling()) {
        m_fillTimer->stop();
        m_waitingFrom = m_waitingEnd = 0;
        m_text->setUndoRedoEnabled(true);
    }
}

CougarPage::Format CougarPage::format() const
{
    return m_format->currentIndex() == 1 ? Format::Target : Format::Cougar;
}

void CougarPage::setFormat(Format format)
{
    m_format->setCurrentIndex(format == Format::Target ? 1 : 0);
}

bool CougarPage::textReadOnly() const
{
    return m_textPages->currentIndex() == 1;
}

std::string_view CougarPage::macroBytes(std::string& spare) const
{
    if (!textReadOnly())
        return m_bytes;
    if (m_rowLines) {
        // Seventy MiB for the largest file: made on a worker, the window drawing meanwhile.
        runWhileDrawing([this, &spare] { spare = m_rowLines->all(); });
        return spare;
    }
    const std::vector<core::ReportRun>& runs = m_lines->lines().runs();
    return runs.empty() ? std::string_view() : std::string_view(runs.front().text);
}

void CougarPage::saveAs()
{
    showWholeText();
    std::string spare;
    const std::string_view bytes = macroBytes(spare);
    if (bytes.empty())
        return;
    const bool target = format() == Format::Target;
    FileDialogRequest request;
    request.title = QStringLiteral("Save macros as ...");
    request.filter = target ? QStringLiteral("TARGET macro file (*.ttm)|*.ttm")
                            : QStringLiteral("Cougar macro file (*.tmm)|*.tmm");
    request.defaultSuffix = target ? QStringLiteral("ttm") : QStringLiteral("tmm");
    request.proposedName
        = m_session->isOpen() ? QFileInfo(m_session->path()).completeBaseName() : QStringLiteral("Macros");
    if (m_session->isOpen())
        request.fallbackFolder = QFileInfo(m_session->path()).absolutePath();
    QWidget* parent = m_tabs->window();
    const QString path = m_prompts.saveFileName(parent, request);
    if (path.isEmpty() || !confirmSaveTarget(m_prompts, parent, path))
        return;
    io::FileError error;
    if (!io::writeFileAtomically(path, bytes, &error))
        reportSaveProblem(m_prompts, parent, path);
}

QPlainTextEdit* CougarPage::textBox()
{
    showWholeText();
    insertWaitingLines(-1);
    return m_text;
}

// The editor holds LF line ends; the clipboard gets the text's own CRLF.
void CougarPage::copyAll()
{
    showWholeText();
    m_desktop.clearClipboard();
    if (!m_edited) { // the engine's text as it stands, CRLF and all, whether or not all of it is in the box yet
        const io::TextEncoding encoding = m_session->encoding();
        if (textReadOnly() && m_rowLines) {
            // Seventy MiB for the largest file: made only when it is pasted, in UTF-8 a piece at a time, from the
            // lines of the text shown now (the view keeps them; an edit after the copy makes new ones).
            m_desktop.setClipboardUtf8([lines = m_rowLines, encoding, pieceBytes = m_copyPieceBytes] {
                io::returnFreedMemory();
                QByteArray text;
                text.reserve(qsizetype(lines->bytes));
                lines->forEachPiece(
                    pieceBytes, [&](std::string_view piece) { io::appendAsUtf8(text, piece, encoding); });
                return text;
            });
            return;
        }
        std::string spare;
        const std::string_view bytes = macroBytes(spare);
        QByteArray text;
        text.reserve(qsizetype(bytes.size()));
        io::appendAsUtf8(text, bytes, encoding);
        m_desktop.setClipboardUtf8([text = std::move(text)] { return text; });
        return;
    }
    insertWaitingLines(-1);
    m_desktop.setClipboardText(io::withCrlfLineEnds(m_text->toPlainText()));
}

void CougarPage::copySelected()
{
    showWholeText();
    insertWaitingLines(-1);
    m_desktop.clearClipboard();
    const QString selected = textReadOnly() ? m_lines->selectedText() : m_text->textCursor().selectedText();
    if (!selected.isEmpty())
        m_desktop.setClipboardText(io::withCrlfLineEnds(selected));
}

} // namespace gui
