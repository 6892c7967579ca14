#pragma once

#include "Workers.h"

#include "Prompts.h"
#include "core/Comparison.h"
#include "core/Report.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

#include <ctime>
#include <functional>
#include <memory>

class QLabel;
class QThread;
class QTabWidget;
class QPlainTextEdit;
class QStackedWidget;
class QToolButton;

namespace gui {

class ChangesView;
class LineView;
class ReportFiller;
class TabControl;

/**
 * The "Compare two key files" page: two chosen key files, their comparison report as coloured rich text, and
 * saving the report (as the box holds it, the user's edits included) as RTF or plain text. Beside the report, the
 * "Changes" view lists the changed functions, worked out from the files when the view is first shown after a
 * comparison; the save button saves the view on top.
 */
class ComparePage final : public QObject
{
    Q_OBJECT

public:
    struct Context
    {
        Prompts& prompts;
        std::function<QString()> keyFilesFolder;
        std::function<QString()> firstTabCaption;
        /** The file at a path as the program already holds it, its bytes or a document that writes them (the open
         *  key file, KeyFileSession::heldFile), or neither; such a file is not read again. May be empty. */
        std::function<core::CompareInput(const QString&)> heldFile;
    };

    ComparePage(TabControl* tabs, int pageIndex, Context context, QWidget* dialogParent);

    QString path(int n) const;
    void setPath(int n, const QString& path);

    /** The open dialog for key file n (0 or 1); cancel changes nothing. */
    void chooseFile(int n);
    /** Compares the two files on disk into the report box. */
    void compare();
    /** Saves the report box, or the changes when their view is on top, asking for the file. Nothing when the box
     *  holds only spaces, or before the first comparison. */
    void saveComparison();
    /** Asks for compared file n to be shown in the program for text files. */
    void viewFile(int n);

    /** The report box, with the whole report in it; empty when the report is too large to edit. */
    QPlainTextEdit* reportBox();
    /** The read-only view of a report too large to edit, empty for one in the box. */
    LineView* reportLines() const { return m_lines; }
    /** True when the last report is shown read-only. */
    bool reportReadOnly() const;
    /** Reports of more bytes than this are shown read-only instead of in the editable box. */
    void setEditableBytes(std::size_t bytes) { m_editableBytes = bytes; }
    ChangesView* changesView() const { return m_changes; }
    /** Puts the report (false) or the changes (true) on top. */
    void showChanges(bool changes);
    bool showingChanges() const;
    /** True while a comparison runs on its worker thread or a long report is still going into the box. */
    bool filling() const;
    /** Files of together at least this many bytes are compared on a worker thread, the window answering meanwhile;
     *  smaller ones at once. */
    void setBackgroundBytes(qint64 bytes) { m_backgroundBytes = bytes; }
    ~ComparePage() override;
    void resize(int tabWidthTwips, int tabHeightTwips);

signals:
    void bannerText(const QString& text);
    void viewRequested(const QString& path);

private:
    core::CompareInput heldFile(const QString& path) const;
    /** Works out the changes of the last comparison, unless they are there. */
    void fillChanges();
    /** Shows the report of the comparison of `files` started at `at`; the files' state is noted for the changes. */
    void showReport(core::PlacedReport report, const std::tm& at, const QStringList& files);
    /** Shows the worker's report, waiting for it; nothing when no comparison runs. */
    void takeWorkersReport();

    struct ComparedFile
    {
        QString path;
        qint64 size = 0;
        QDateTime modified;
    };

    TabControl* m_tabs;
    int m_page;
    Context m_context;
    QWidget* m_dialogParent;
    QLabel* m_paths[2] = {};
    QTabWidget* m_views;
    QStackedWidget* m_reportPages; // the box, or the read-only view with its note
    QPlainTextEdit* m_report;
    LineView* m_lines;
    ChangesView* m_changes;
    std::size_t m_editableBytes;
    ReportFiller* m_filler;
    QList<ComparedFile> m_compared; // the files of the last comparison
    std::tm m_comparedAt{};
    bool m_changesDue = false;
    qint64 m_backgroundBytes = 1024 * 1024;
    // The running comparison, its report and what it compares; a newer one leaves it to finish alone.
    struct Comparing
    {
        core::PlacedReport report;
        std::tm started{};
        QStringList files;
    };
    LatestJob<Comparing> m_comparing;
};

/** The proposed name of a comparison file: the caption without its last four characters, plus " comparison";
 *  empty when the caption is shorter than four characters. */
QString proposedComparisonName(const QString& firstTabCaption);
/** The same for the changes: the caption without its last four characters, plus " changes". */
QString proposedChangesName(const QString& firstTabCaption);

} // namespace gui
