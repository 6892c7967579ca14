#pragma once

#include "Prompts.h"
#include "core/Comparison.h"
#include "core/Find.h"
#include "core/Joystick.h"
#include "core/KeyDocument.h"
#include "core/KeyboardUsage.h"
#include "core/Problems.h"
#include "io/TextCodec.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QTimer;
class QUndoStack;

namespace gui {

class DiskWatch;
class KeyFileModel;
class KeyListModel;

/** The document's saved state; the numbers are those shown by the status bar picture. */
enum class SavedState { NoFile = 1, Saved = 2, Modified = 3 };

/** One cell to change, as text on screen. */
struct CellEdit
{
    int row = 0;
    int column = 0;
    QString text;
};

/**
 * The life of the open key file: opening, saving, saving under a new name, the offer to save before the document
 * goes, its path and text encoding, the undo stack through which every change goes, and the views derived from
 * the document (the grid's and the list's models, the keyboard usage).
 *
 * Every change of the document is one command on the undo stack; the stack's clean state is the saved state. The
 * views follow each change: models get the changed rows, derived values are recomputed when next asked for.
 */
class KeyFileSession final : public QObject
{
    Q_OBJECT

public:
    KeyFileSession(Prompts& prompts, QWidget* dialogParent, QObject* parent = nullptr);
    ~KeyFileSession() override;

    const core::KeyDocument& document() const { return m_document; }
    io::TextEncoding encoding() const { return m_encoding; }
    bool isOpen() const { return m_open; }
    /** The open file's path; empty with no file open. */
    const QString& path() const { return m_path; }
    QString fileName() const;
    SavedState savedState() const;
    QUndoStack* undoStack() const { return m_undo; }
    KeyFileModel* fileModel() const { return m_fileModel; }
    KeyListModel* listModel() const { return m_listModel; }

    /** Where the open dialog starts. */
    void setKeyFilesFolder(const QString& folder) { m_keyFilesFolder = folder; }
    const QString& keyFilesFolder() const { return m_keyFilesFolder; }

    QString cellText(int row, int column) const;
    QString decode(std::string_view bytes) const { return io::decodeText(bytes, m_encoding); }
    std::string encode(const QString& text) const { return io::encodeText(text, m_encoding); }

    /** The keyboard usage of every modifier value 0 to 7, for the document as it is now; each key keeps the first
     *  UsageRowsKept of its rows, which the keyboard page names. */
    const std::array<core::KeyboardUsage, core::KeyboardUsage::ModifierCount>& keyboardUsage() const;
    static constexpr std::size_t UsageRowsKept = 20;

    /** The problems of the document as it is now; every edit, undo and redo updates them before rowsChanged. A big
     *  document's problems are checked in the background after it opens: until problemsChecked, there are none
     *  and problemsPending() is true. */
    const core::ProblemCheck& problems() const { return m_problems; }
    bool problemsPending() const { return m_pendingProblems != nullptr; }
    /** Documents of this many bytes and more have their problems checked in the background. */
    void setBackgroundCheckBytes(std::size_t bytes) { m_backgroundCheckBytes = bytes; }
    /** Documents of this many bytes and more are written and synced to disk on a worker, the window drawing
     *  meanwhile but taking no input. */
    void setBackgroundSaveBytes(std::size_t bytes) { m_backgroundSaveBytes = bytes; }
    /** True while a big document is being written (the window cannot close meanwhile). */
    bool saving() const { return m_saving; }
    /** True when what a filter looks for in document row `row` (core::searchText, kept until the row changes)
     *  contains every one of `words` (core::filterWords). */
    bool rowMatches(int row, const std::vector<std::string>& words) const
    {
        return m_searchTexts.matches(m_document, row, words);
    }
    /** The document's sections (its headline lines), for the document as it is now. While a big document's
     *  background check runs they are found with it, and there are none until problemsChecked. */
    const std::vector<core::Section>& sections() const { return *sharedSections(); }
    /** The same sections, shared: the grids' section boxes keep them without a copy each (a big file may have
     *  tens of thousands). */
    std::shared_ptr<const std::vector<core::Section>> sharedSections() const;
    /** The title of the section that document row `row` lies in, or an empty text. */
    QString sectionTitleOf(int row) const;
    /** How joystick button numbers are read (shift magnitude, buttons per device); a setting of the window, not of
     *  the document. */
    const core::JoystickSettings& joystickSettings() const { return m_joystick; }
    /** Takes valid settings; signals joystickSettingsChanged when they differ from the present ones. */
    void setJoystickSettings(const core::JoystickSettings& settings);

    /** Changes cells as one undoable step named `name`. Consecutive typing into one cell (`typing`) merges into
     *  one step. Cells that cannot be edited are passed over; an edit that changes no byte is no step at all.
     *  True when the document changed. */
    bool edit(const QList<CellEdit>& edits, const QString& name, bool typing = false);

    /** Reads `path` as the document. A file that cannot be read gets a message, and then no file is open. */
    bool open(const QString& path);
    /** The open dialog, then opening; nothing changes when the user cancels. */
    void selectKeyFileToOpen();
    /** Offers to save a modified document, then opens `path`, or the open dialog when it is empty. */
    void openWithSaveOffer(const QString& path = {});
    /** Reads the open file again from disk, asking first when there are edits; true when it was read. */
    bool reloadFromDisk();
    /** Keeps the document as it is over a file changed on disk: it then differs from the file, so it is modified. */
    void keepMine();
    DiskWatch* diskWatch() const { return m_disk; }
    /** The open file at `path` as a comparison can take it without reading it again: the bytes read, while the file
     *  on disk is unchanged since; or, when the document is saved and the file unchanged since the save, a copy of the
     *  document, whose rows give the lines the file holds. Neither for another file, or one changed on disk. */
    core::CompareInput heldFile(const QString& path) const;
    /** The save dialog, the overwrite and read-only checks, then the save. */
    void saveFileAs();
    /** Saves to the open file's own path (read-only refused), or Save As with no file open. */
    void saveToOwnPath();
    /** Writes the document to `path`. Edited lines that reading the file would not give back (an empty cell
     *  before a filled one, a space in a cell) are named first, with the choice to go back to the grid (the
     *  default) or save anyway. On success the document is saved there; on failure a message says why and the
     *  document stays as it was. */
    bool saveTo(const QString& path);
    /** Asks whether to save a modified document before the window closes; false when closing must stop. */
    bool offerToSaveBeforeExit();
    /** No file open. */
    void close();

signals:
    void aboutToReset();
    /** A new document (opened, or none). */
    void documentReset();
    /** Cells of these document rows changed (an edit, an undo or a redo). */
    void rowsChanged(const QList<int>& rows);
    void savedStateChanged();
    void pathChanged();
    void joystickSettingsChanged();
    /** A long action's progress: the banner text and, unless null, the first status panel's text. */
    void progress(const QString& banner, const QString& status);
    /** The problems of a document checked in the background are there. */
    void problemsChecked();
    /** The user chose to go back to this document row (of an unwritable line) in the key file grid. */
    void showRowRequested(int row);

private:
    friend class EditCommand;
    void applyRowStates(const std::vector<std::pair<int, core::KeyDocument::RowState>>& states);
    void replaceDocument(core::KeyDocument document, io::TextEncoding encoding, const QString& path, bool open);
    /** Asks about edited lines that saving would change; true when the save goes on. */
    bool confirmUnwritableRows();
    void warmSearchTexts();
    void checkProblems();

    Prompts& m_prompts;
    QWidget* m_dialogParent;
    core::KeyDocument m_document;
    io::TextEncoding m_encoding = io::TextEncoding::Windows1252;
    bool m_open = false;
    QString m_path;
    QString m_keyFilesFolder;
    QUndoStack* m_undo;
    DiskWatch* m_disk;
    KeyFileModel* m_fileModel;
    KeyListModel* m_listModel;
    mutable std::array<core::KeyboardUsage, core::KeyboardUsage::ModifierCount> m_usage;
    mutable bool m_usageFresh = false;
    core::ProblemCheck m_problems;
    // The running background check: the copy of the document it works on, which then hands its bindings over, and
    // the problems and sections it found. An older one finishes unheard.
    struct BackgroundCheck
    {
        core::KeyDocument document;
        core::ProblemCheck problems;
        std::vector<core::Section> sections;
    };
    std::shared_ptr<BackgroundCheck> m_pendingProblems;
    std::vector<int> m_rowsChangedWhileChecking;
    // Files from this size on are checked on a worker: the check of a 32,767-line file (2 MiB) takes 25 to 30 ms of
    // an opening that should answer within 50. Pilots' own files are under 200 KiB and are checked at once.
    std::size_t m_backgroundCheckBytes = 1024 * 1024;
    // Writing 64 MiB and syncing it took 0.3 to 1 s in the window; a 2 MiB file, 15 ms.
    std::size_t m_backgroundSaveBytes = std::size_t{8} << 20;
    bool m_saving = false;
    mutable core::SearchTexts m_searchTexts;
    QTimer* m_searchWarmer; // fills the search texts in steps after an opening, so that the first filter is quick
    static constexpr int SearchWarmDelayMs = 200;
    int m_warmedRows = 0;
    mutable std::shared_ptr<const std::vector<core::Section>> m_sections;
    mutable bool m_sectionsFresh = false;
    core::JoystickSettings m_joystick;
};

} // namespace gui
