#pragma once

#include "Workers.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;
class QTimer;
class QPushButton;

namespace gui {

class Desktop;
class KeyFileSession;
class LineView;
class Prompts;
class TabControl;

/**
 * The "Cougar macros" page: the macro text of the readable list, in the order the list shows, in a plain-text
 * editor, for the Cougar's macro compiler or as TARGET defines (the format box), its copy and refresh buttons and
 * "Save as..." to a .tmm or .ttm file. The text follows the document: it is rebuilt when the page is shown after a
 * change, or at once when the page is on screen.
 */
class CougarPage final : public QObject
{
    Q_OBJECT

public:
    /** The document rows of the list's entries in the order shown: all the TARGET text needs. */
    using RowSource = std::function<std::vector<int>()>;
    using RemoveSim = std::function<bool()>;

    enum class Format { Cougar, Target };

    CougarPage(TabControl* tabs, int pageIndex, KeyFileSession* session, RowSource rows, RemoveSim removeSim,
        Desktop& desktop, Prompts& prompts, QObject* parent = nullptr);
    ~CougarPage() override;

    Format format() const;
    void setFormat(Format format);
    /** Asks for a file and writes the macro text to it as it stands, bytes as the engine made them. */
    void saveAs();

    /** Rebuilds the macro text from the list in its present order. */
    void fillCougarMacros();
    /** The document or the list changed: the text is rebuilt now when the page is on screen, else when shown. */
    void listChanged();
    void copyAll();
    void copySelected();

    /** The text box, holding the latest macro text; empty when the text is too large to edit. */
    QPlainTextEdit* textBox();
    /** The read-only view of a text too large to edit, empty for one in the box. */
    LineView* textLines() const { return m_lines; }
    bool textReadOnly() const;
    /** Texts of more bytes than this are shown read-only instead of in the editable box. */
    void setEditableBytes(std::size_t bytes) { m_editableBytes = bytes; }
    /** Places the text box for a tab control of the given size in twips. */
    void resize(int tabWidthTwips, int tabHeightTwips);

    /** True while a long text is still going into the box. */
    bool filling() const { return m_waitingFrom < m_waitingEnd; }
    /** True while the text of a big document is made on a worker thread; the page shows it when it is done. */
    bool making() const { return m_making.running(); }
    /** The text of documents of this many bytes and more is made on a worker thread. */
    void setBackgroundBytes(std::size_t bytes) { m_backgroundBytes = bytes; }
    /** Copy all makes a text shown a line at a time in pieces of about this many bytes. */
    void setCopyPieceBytes(std::size_t bytes) { m_copyPieceBytes = bytes; }

private:
    struct Making;
    struct RowLines;

    /** Makes the text when the document or list changed since it was last made: a big document's on a worker,
     *  unless `now`. */
    void showPendingText(bool now = false);
    /** The whole text now, for what copies or saves it: made here, or waited for when a worker makes it. */
    void showWholeText();
    /** Waits for a text made on a worker and shows it. */
    void finishMaking();
    /** Shows a text the engine made, in the box or read-only; or, read-only, the lines of `rowLines`, made as they
     *  are drawn. */
    void showText(std::string text, std::shared_ptr<const RowLines> rowLines = {}, std::size_t longestLine = 0);
    /** Puts up to `lines` more lines of the waiting text into the box (all of them for -1). */
    void insertWaitingLines(int lines);
    /** The text as the engine made it, wherever it is kept; a text shown a line at a time is made into `spare`. */
    std::string_view macroBytes(std::string& spare) const;

    TabControl* m_tabs;
    int m_page;
    KeyFileSession* m_session;
    RowSource m_rows;
    RemoveSim m_removeSim;
    Desktop& m_desktop;
    Prompts& m_prompts;
    QStackedWidget* m_textPages; // the box, or the read-only view with its note
    QPlainTextEdit* m_text;
    LineView* m_lines;
    std::size_t m_editableBytes;
    QLabel* m_caption;
    QComboBox* m_format;
    std::string m_bytes; // the text as the engine made it, when it is in the box; else the view holds it
    // Building the text and filling a large editor take time, so a change waits until the page is shown.
    bool m_stale = true;
    // A long text goes in by steps, the window answering between them: the first lines at once, then the rest.
    // The bytes of m_bytes from m_waitingFrom to m_waitingEnd are not in the box yet; each step decodes its own lines.
    std::size_t m_waitingFrom = 0;
    std::size_t m_waitingEnd = 0;
    QTimer* m_fillTimer;
    // A big document's text is made on a worker, over a copy of the document; a newer text drops an older one.
    std::size_t m_backgroundBytes = 8 * 1024 * 1024;
    std::size_t m_copyPieceBytes = 1024 * 1024;
    LatestJob<Making> m_making;
    std::shared_ptr<const RowLines> m_rowLines; // the lines of the read-only view, when it makes them
    bool m_inserting = false;
    bool m_edited = false; // the user typed into the box since it was last filled
};

} // namespace gui
