#pragma once

#include "Prompts.h"
#include "core/KeyDocument.h"
#include "core/Settings.h"

#include <QMainWindow>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace io {
class SettingsFile;
}

namespace gui {

class Desktop;
class ComparePage;
class CougarPage;
class GridEditing;
class KeyboardPage;
class StatusHelp;
class GridView;
class KeyFileModel;
class KeyListModel;
class TabControl;

/** What the window works with from outside: prompts, the desktop, the settings file, the program's folder. */
struct WindowContext
{
    Prompts& prompts;
    Desktop& desktop;
    io::SettingsFile& settingsFile;
    QString programFolder;
};

/**
 * The single window: menus, the strip above the tabs, the five pages, the status bar. It wires the pages to the
 * document and keeps the few values that live as long as the window (the remembered locations, the key copied
 * from the keyboard). Every action and control has an object name.
 */
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    enum Page { KeyFilePage = 0, KeysAssignedPage = 1, SpareKeysPage = 2, CougarMacrosPage = 3, CompareFilesPage = 4 };

    explicit MainWindow(WindowContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    /** The start-up sequence, run once the window is shown: lay out, read the settings, open the remembered key
     *  file, or `fileToOpen` instead when it is given. */
    void startUp(const QString& fileToOpen = {});

    /** Opens `path` as the document and rebuilds every view. A file that cannot be read gets a message, and the
     *  window then has no file open. */
    bool openKeyFile(const QString& path);
    /** The open dialog, then opening; nothing changes when the user cancels. */
    void selectKeyFileToOpen();

    /** Save As: the save dialog, the overwrite and read-only checks, then the save. */
    void saveFileAs();
    /** Save: to the open file's own path (the read-only check still applies), or Save As with no file open. */
    void saveToOwnPath();
    /** The Open button: offers to save a modified document, then the open dialog. */
    void openWithSaveOffer();
    /** Writes the readable list to the temporary text file and opens it with the desktop's program. */
    void viewListInTextEditor();
    /** Where the readable list is written for viewing. */
    QString temporaryListPath() const;

    KeyFileModel* keyFileModel() const { return m_keyFileModel; }
    GridEditing* gridEditing() const { return m_editing; }
    KeyboardPage* keyboardPage();
    CougarPage* cougarPage();
    ComparePage* comparePage() const { return m_compare; }
    StatusHelp* statusHelp() const { return m_help; }
    // The views derived from a newly opened document are built when first needed; these accessors build them.
    KeyListModel* keyListModel();
    const core::FileLocations& locations() const { return m_locations; }
    core::SavedState savedState() const;

    /** Lays the controls out for a client area of W x H twips (the window's own size handling calls it). */
    void resizeControls(int clientWidthTwips, int clientHeightTwips);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createMenus();
    void createStrip(QWidget* client);
    void createStatusBar();
    void createKeyFilePage();
    void createKeysAssignedPage();
    void createOtherPages();

    void onPageChanged(int index);
    void onSurfaceHovered();
    void sortCurrentGrid(int buttonIndex);
    void removeSimName();
    void fillKeyGrid();
    void buildDerivedViews();
    void updateSavedIcon();
    void setBanner(const QString& text);
    void setStatusText(const QString& text);
    void repaintNow();
    void showNoFileOpen();
    bool saveFile(const QString& path);
    QString keyFileName() const;

    WindowContext m_context;
    core::FileLocations m_locations;

    KeyFileModel* m_keyFileModel;
    KeyListModel* m_keyListModel;
    // The list, the keyboard colours and the macro text of a newly opened document wait until a page needs them
    // or the document is about to change, so that they always show the file as it was opened.
    bool m_derivedViewsPending = false;
    GridEditing* m_editing = nullptr;
    KeyboardPage* m_keyboard = nullptr;
    CougarPage* m_cougar = nullptr;
    ComparePage* m_compare = nullptr;
    StatusHelp* m_help = nullptr;

    QWidget* m_client = nullptr;
    TabControl* m_tabs = nullptr;
    GridView* m_gridData = nullptr;
    GridView* m_keyGrid = nullptr;
    QLabel* m_banner = nullptr;
    QCheckBox* m_removeSim = nullptr;
    QToolButton* m_sortButtons[3] = {};
    QToolButton* m_commandButtons[6] = {};
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusPanels[3] = {};
    QAction* m_openAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_saveAsAction = nullptr;
    QAction* m_exitAction = nullptr;
};

} // namespace gui
