#include "ComparePage.h"

#include "ChangesView.h"
#include "LineView.h"
#include "ReportView.h"
#include "SaveTarget.h"
#include "TabControl.h"
#include "Twips.h"
#include "Workers.h"
#include "core/Changes.h"
#include "core/Comparison.h"
#include "core/ReportWriters.h"
#include "io/FileIo.h"
#include "io/Platform.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>

#include <ctime>

namespace gui {

namespace {

/** The file at `path` to compare: `held` when the program holds it, else what reading it gives. */
core::CompareInput readInput(const QString& path, core::CompareInput held)
{
    core::CompareInput input = held.readable() ? std::move(held) : core::CompareInput();
    input.path = path.toLocal8Bit().toStdString();
    if (input.readable())
        return input;
    std::string bytes;
    io::FileError error;
    if (io::readFileBytes(path, &bytes, &error))
        input.bytes = std::move(bytes);
    else
        input.readError = error.reason.toLocal8Bit().toStdString();
    return input;
}

} // namespace

QString proposedComparisonName(const QString& caption)
{
    if (caption.size() < 4)
        return {};
    return caption.left(caption.size() - 4) + QStringLiteral(" comparison");
}

QString proposedChangesName(const QString& caption)
{
    if (caption.size() < 4)
        return {};
    return caption.left(caption.size() - 4) + QStringLiteral(" changes");
}

ComparePage::ComparePage(TabControl* tabs, int pageIndex, Context context, QWidget* dialogParent)
    : QObject(tabs)
    , m_tabs(tabs)
    , m_page(pageIndex)
    , m_context(std::move(context))
    , m_dialogParent(dialogParent)
    , m_views(new QTabWidget(tabs->page(pageIndex)))
    , m_reportPages(new QStackedWidget(m_views))
    , m_report(new QPlainTextEdit(m_reportPages))
    , m_lines(new LineView)
    , m_changes(new ChangesView(m_views))
    , m_editableBytes(EditableTextBytes)
    , m_filler(new ReportFiller(m_report, this))
{
    QWidget* page = tabs->page(pageIndex);
    const QColor pathColours[] = {QColor(0, 0, 255), QColor(0, 128, 0)};
    for (int n = 0; n < 2; ++n) {
        const int top = n == 0 ? 480 : 1080;
        auto* choose = new QPushButton(QStringLiteral("Key file %1").arg(n + 1), page);
        choose->setObjectName(QStringLiteral("Command1_%1").arg(n));
        choose->setMouseTracking(true);
        tabs->placeOnPage(pageIndex, choose, 300, top, 975, 375);
        connect(choose, &QPushButton::clicked, this, [this, n] { chooseFile(n); });

        m_paths[n] = new QLabel(page);
        m_paths[n]->setObjectName(QStringLiteral("Label9_%1").arg(n));
        m_paths[n]->setFrameShape(QFrame::Box);
        m_paths[n]->setAutoFillBackground(true);
        QPalette palette = m_paths[n]->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        palette.setColor(QPalette::WindowText, pathColours[n]);
        m_paths[n]->setPalette(palette);
        tabs->placeOnPage(pageIndex, m_paths[n], 1440, top, 8115, 375);

        auto* view = new QToolButton(page);
        view->setObjectName(QStringLiteral("Command4_%1").arg(4 + n));
        view->setIcon(page->style()->standardIcon(QStyle::SP_FileDialogContentsView));
        view->setToolTip(QStringLiteral("View key file %1 in a text editor").arg(n + 1));
        view->setMouseTracking(true);
        tabs->placeOnPage(pageIndex, view, 9600, top, 315, 315);
        connect(view, &QToolButton::clicked, this, [this, n] { viewFile(n); });
    }

    auto* compareButton = new QPushButton(QStringLiteral("Compare"), page);
    compareButton->setObjectName(QStringLiteral("Command5"));
    compareButton->setIcon(page->style()->standardIcon(QStyle::SP_FileDialogListView));
    compareButton->setMouseTracking(true);
    tabs->placeOnPage(pageIndex, compareButton, 10080, 480, 1215, 975);
    connect(compareButton, &QPushButton::clicked, this, &ComparePage::compare);

    auto* legend = new QLabel(page);
    legend->setObjectName(QStringLiteral("Label10_1"));
    legend->setText(QStringLiteral("Select the two key files to compare.\nIdentical lines will appear in black.\n"
                                   "Blue lines are associated with key file 1.\nGreen lines are associated with "
                                   "key file 2."));
    legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Today's fonts are wider than the ones this place was made for: the legend's font shrinks until its longest
    // line fits.
    QFont legendFont = legend->font();
    const auto longest = [&legendFont] {
        const QFontMetrics metrics(legendFont);
        return metrics.horizontalAdvance(QStringLiteral("Green lines are associated with key file 2."));
    };
    while (longest() > gui::px(3255) && legendFont.pointSizeF() > 6)
        legendFont.setPointSizeF(legendFont.pointSizeF() - 0.25);
    legend->setFont(legendFont);
    tabs->placeOnPage(pageIndex, legend, 11520, 480, 3255, 975);

    auto* save = new QToolButton(tabs);
    save->setObjectName(QStringLiteral("Command4_3"));
    save->setIcon(page->style()->standardIcon(QStyle::SP_DialogSaveButton));
    save->setToolTip(QStringLiteral("Save the comparison"));
    save->setMouseTracking(true);
    tabs->addHeaderWidget(pageIndex, save, Qt::RightEdge);
    connect(save, &QToolButton::clicked, this, &ComparePage::saveComparison);

    // The report as it always was, and the changed functions beside it.
    m_views->setObjectName(QStringLiteral("CompareViews"));
    m_views->setDocumentMode(true);
    m_reportPages->setObjectName(QStringLiteral("ReportPages"));
    m_lines->setObjectName(QStringLiteral("RTBcompareLines"));
    m_reportPages->addWidget(m_report);
    m_reportPages->addWidget(withReadOnlyNote(m_lines,
        QStringLiteral("This report is too large to edit here. It is shown read-only and saved as it was made.")));
    m_views->addTab(m_reportPages, QStringLiteral("Report"));
    m_views->addTab(m_changes, QStringLiteral("Changes"));
    m_views->tabBar()->setObjectName(QStringLiteral("CompareViewTabs"));
    connect(m_views, &QTabWidget::currentChanged, this, [this] {
        if (showingChanges())
            fillChanges();
    });
    save->setToolTip(QStringLiteral("Save the comparison report, or the changes when they are shown"));

    m_report->setObjectName(QStringLiteral("RTBcompare"));
    // Blue and green text read on a light box also under a dark palette.
    QPalette reportPalette = m_report->palette();
    reportPalette.setColor(QPalette::Base, Qt::white);
    reportPalette.setColor(QPalette::Text, Qt::black);
    m_report->setPalette(reportPalette);
    m_lines->setPalette(reportPalette);
    m_report->setMouseTracking(true);
    m_report->viewport()->setMouseTracking(true);
}

void ComparePage::resize(int tw, int th)
{
    if (tw - 240 > 0 && th - 1600 > 0)
        m_tabs->placeOnPage(m_page, m_views, 120, 1560, tw - 240, th - 1600);
}

QString ComparePage::path(int n) const
{
    return m_paths[n]->text();
}

void ComparePage::setPath(int n, const QString& path)
{
    m_paths[n]->setText(path);
}

void ComparePage::chooseFile(int n)
{
    const QString chosen
        = m_context.prompts.openFileName(m_dialogParent, keyFileOpenRequest(m_context.keyFilesFolder()));
    if (!chosen.isEmpty())
        setPath(n, chosen);
}

void ComparePage::compare()
{
    if (path(0).isEmpty() || path(1).isEmpty())
        return;
    for (int n = 0; n < 2; ++n) {
        if (!QFileInfo::exists(path(n))) {
            m_context.prompts.message(m_dialogParent, QStringLiteral("Unable to locate file"),
                QStringLiteral("I couldn't find ") + path(n), PromptButtons::Ok, PromptIcon::Critical);
            return;
        }
    }
    const std::tm now = io::localNow();
    const QString first = path(0);
    const QString second = path(1);
    // The report is kept as places in the files' bytes, which it holds while it is shown (for the open key file,
    // unchanged on disk, the bytes the window holds instead of a second copy); a report small enough for the box is
    // made into its text, and the bytes go.
    // The second file, unless the program holds it, is read in pieces and only what the report shows of it is kept.
    const auto work = [first, second, now, held1 = heldFile(first), held2 = heldFile(second)] {
        if (held2.readable())
            return core::placedComparison(readInput(first, held1), readInput(second, held2), now);
        const auto read2 = [second](const std::function<void(std::string_view)>& use, std::string* error) {
            io::FileError failure;
            if (io::readFileInPieces(second, use, &failure))
                return true;
            *error = failure.reason.toLocal8Bit().toStdString();
            return false;
        };
        return core::placedComparison(readInput(first, held1), second.toLocal8Bit().toStdString(), read2, now);
    };
    if (m_comparing.running()) { // a newer comparison replaces the one still running, which finishes alone
        m_comparing.drop();
        emit bannerText(QStringLiteral("Ready"));
    }
    if (QFileInfo(first).size() + QFileInfo(second).size() < m_backgroundBytes) {
        showReport(work(), now, {first, second});
        return;
    }
    auto comparing = std::make_shared<Comparing>();
    comparing->started = now;
    comparing->files = {first, second};
    emit bannerText(QStringLiteral("Comparing ..."));
    m_comparing.start(
        this, comparing, [work](Comparing& job) { job.report = work(); }, [this] { takeWorkersReport(); });
}

core::CompareInput ComparePage::heldFile(const QString& path) const
{
    return m_context.heldFile ? m_context.heldFile(path) : core::CompareInput();
}

ComparePage::~ComparePage()
{
    waitForWorkers(this);
}

void ComparePage::takeWorkersReport()
{
    // Waits for the worker, which may still be ending when its end is heard.
    const std::shared_ptr<Comparing> comparing = m_comparing.take();
    if (!comparing)
        return;
    showReport(std::move(comparing->report), comparing->started, comparing->files);
    emit bannerText(QStringLiteral("Ready"));
}

void ComparePage::showReport(core::PlacedReport report, const std::tm& at, const QStringList& files)
{
    // The changes are worked out when first shown: a comparison whose changes nobody looks at costs no more than
    // the report. Each file's size and time tell whether it changed in between.
    m_compared.clear();
    for (const QString& file : files) {
        const QFileInfo info(file);
        m_compared.append({file, info.size(), info.lastModified()});
    }
    m_comparedAt = at;
    m_changesDue = true;
    if (showingChanges())
        fillChanges();
    if (report.bytes() > m_editableBytes) {
        // An editor box holds a text in UTF-16 with a block per line; a view over the report's places in the files'
        // bytes lays out only the lines on screen.
        m_filler->start({});
        m_lines->setLines(StyledLines(std::make_shared<const core::PlacedReport>(std::move(report)),
            [](std::string_view text) { return io::decodeMixedText(text); }));
        m_reportPages->setCurrentIndex(1);
        return;
    }
    m_lines->setLines({});
    m_reportPages->setCurrentIndex(0);
    m_filler->start(report.toReport());
}

bool ComparePage::reportReadOnly() const
{
    return m_reportPages->currentIndex() == 1;
}

QPlainTextEdit* ComparePage::reportBox()
{
    takeWorkersReport();
    m_filler->finish();
    return m_report;
}

bool ComparePage::filling() const
{
    return m_comparing.running() || m_filler->busy();
}

void ComparePage::fillChanges()
{
    if (!m_changesDue || m_compared.size() != 2)
        return;
    m_changesDue = false;
    QStringList notes;
    core::KeyDocument documents[2];
    for (int n = 0; n < 2; ++n) {
        const ComparedFile& file = m_compared[n];
        core::CompareInput input = readInput(file.path, heldFile(file.path));
        // A file that cannot be read is compared as empty, as in the report.
        if (!input.readable()) {
            notes << QStringLiteral("Key file %1 could not be read (%2); it is compared as an empty file.")
                         .arg(n + 1)
                         .arg(QString::fromLocal8Bit(input.readError));
        } else {
            const QFileInfo info(file.path);
            if (info.size() != file.size || info.lastModified() != file.modified)
                notes << QStringLiteral("Key file %1 has changed since the report was made; Compare again to see "
                                        "both as they are now.")
                             .arg(n + 1);
        }
        documents[n] = input.document ? core::KeyDocument(*input.document)
                                      : core::KeyDocument::fromBytes(std::move(input.bytes).value_or(std::string()));
    }
    m_changes->setChanges(core::Changes::between(std::move(documents[0]), std::move(documents[1])), m_compared[0].path,
        m_compared[1].path, m_comparedAt, notes.join(QLatin1Char(' ')));
}

void ComparePage::showChanges(bool changes)
{
    m_views->setCurrentWidget(changes ? static_cast<QWidget*>(m_changes) : m_reportPages);
}

bool ComparePage::showingChanges() const
{
    return m_views->currentWidget() == m_changes;
}

void ComparePage::saveComparison()
{
    const bool changes = showingChanges();
    m_filler->finish();
    if (changes)
        fillChanges();
    const bool readOnly = reportReadOnly();
    if (changes ? !m_changes->hasChanges()
                : (readOnly ? m_lines->lines().lineCount() == 0 : m_report->toPlainText().trimmed().isEmpty()))
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Save file as ...");
    request.filter = QStringLiteral("Coloured text file (*.rtf)|*.rtf|Plain text file (*.txt)|*.txt");
    request.defaultSuffix = QStringLiteral("rtf");
    request.proposedName = changes ? proposedChangesName(m_context.firstTabCaption())
                                   : proposedComparisonName(m_context.firstTabCaption());
    if (!path(0).isEmpty())
        request.fallbackFolder = QFileInfo(path(0)).absolutePath();
    const QString target = m_context.prompts.saveFileName(m_dialogParent, request);
    if (target.isEmpty() || !confirmSaveTarget(m_context.prompts, m_dialogParent, target))
        return;
    emit bannerText(QStringLiteral("Saving ..."));

    // The extension decides the format, whatever filter was picked. RTF holds any character; the plain text is
    // Windows-1252, as it always was.
    const bool rich = target.right(3).toLower() == QLatin1String("rtf");
    // The changes are written from the files' own bytes, like the command line's.
    const io::TextEncoding encoding = rich ? io::TextEncoding::Utf8 : io::TextEncoding::Windows1252;
    const core::Report report = changes ? m_changes->report()
        : readOnly                      ? reportFromLines(m_lines->lines(), encoding)
                                        : reportFromDocument(*m_report->document(), encoding);
    const std::string bytes = rich ? core::reportRtf(report) : core::reportText(report);
    io::FileError error;
    if (!io::writeFileAtomically(target, bytes, &error)) {
        reportSaveProblem(m_context.prompts, m_dialogParent, target);
        return;
    }
    emit bannerText(QStringLiteral("Ready"));
}

void ComparePage::viewFile(int n)
{
    emit viewRequested(path(n));
}

} // namespace gui
