#pragma once

#include "KeyFileSession.h"
#include "Prompts.h"
#include "io/SettingsFile.h"

#include <QMainWindow>

class QAction;
class QFrame;
class QMenu;
class QMimeData;
class QCheckBox;
class QLabel;
class QStatusBar;
class QToolButton;

namespace gui {

class ComparePage;
class CougarPage;
class Desktop;
class ElidedLabel;
class JoystickPage;
class KeyboardPage;
class KeyFilePage;
class KeysAssignedPage;
class ProblemsDock;
class StatusHelp;
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
 * The single window: it builds the menus, the strip above the tabs, the pages and the status bar, and wires
 * them to the session that owns the open key file. Every action and control has an object name.
 */
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    enum Page {
        KeyFilePageIndex = 0,
        KeysAssignedPageIndex,
        SpareKeysPageIndex,
        CougarMacrosPageIndex,
        CompareFilesPageIndex,
        JoystickPageIndex
    };

    explicit MainWindow(WindowContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    /** The start-up sequence, run once the window is shown: read the settings, open the remembered key file, or
     *  `fileToOpen` instead when it is given. */
    void startUp(const QString& fileToOpen = {});

    KeyFileSession* session() const { return m_session; }
    KeyFilePage* keyFilePage() const { return m_keyFilePage; }
    KeysAssignedPage* keysAssignedPage() const { return m_keysAssignedPage; }
    KeyboardPage* keyboardPage() const { return m_keyboard; }
    CougarPage* cougarPage() const { return m_cougar; }
    ComparePage* comparePage() const { return m_compare; }
    JoystickPage* joystickPage() const { return m_joystick; }
    StatusHelp* statusHelp() const { return m_help; }
    ProblemsDock* problemsDock() const { return m_problems; }
    TabControl* tabs() const { return m_tabs; }
    const io::Locations& locations() const { return m_locations; }
    const io::WindowState& windowState() const { return m_windowState; }

    /** Writes the readable list, in the order shown, to the temporary text file and opens it in the text editor. */
    void viewListInTextEditor();
    /** Where the readable list is written for viewing. */
    QString temporaryListPath() const;

    /** Lays the controls out for a client area of W x H twips (the window's own size handling calls it). */
    void resizeControls(int clientWidthTwips, int clientHeightTwips);

    /** The height of the bar that says the open file changed on disk, in twips. */
    static constexpr int DiskBarTwips = 480;
    /** The one local file that dragged data names, or an empty text. */
    static QString droppedFile(const QMimeData* dropped);
    /** Opens the file that dropped data names, through the offer to save; false when it names none. */
    bool openDropped(const QMimeData* dropped);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void createStrip(QWidget* client);
    void createStatusBar();
    void createPages();
    void createProblemsView();
    void createDiskBar();
    void showDiskBar(bool shown);
    void fillRecentMenu();
    void rememberRecentFile(const QString& path);
    void showAbout();

    void onPageChanged(int index);
    /** Ctrl+F and Ctrl+K: the filter box or the key capture of the grid page shown, the key file's otherwise. */
    void focusFind(bool keyCapture);
    /** Offers to assign a free key clicked on the keyboard page to the key line selected on the grid. */
    void offerToAssign(const QString& code, int modifier);
    void onSurfaceHovered();
    void onPathChanged();
    void onDocumentReset();
    void removeSimName();
    void updateSavedIcon();
    void setBanner(const QString& text);
    void setStatusText(const QString& text);
    void repaintNow();
    /** Opens a file in the program for plain text, or says that there is none. */
    void openInTextEditor(const QString& path);

    WindowContext m_context;
    io::Locations m_locations;
    io::WindowState m_windowState;
    KeyFileSession* m_session;

    KeyFilePage* m_keyFilePage = nullptr;
    KeysAssignedPage* m_keysAssignedPage = nullptr;
    KeyboardPage* m_keyboard = nullptr;
    CougarPage* m_cougar = nullptr;
    ComparePage* m_compare = nullptr;
    JoystickPage* m_joystick = nullptr;
    StatusHelp* m_help = nullptr;
    ProblemsDock* m_problems = nullptr;

    QWidget* m_client = nullptr;
    TabControl* m_tabs = nullptr;
    QLabel* m_banner = nullptr;
    QCheckBox* m_removeSim = nullptr;
    QAction* m_printReference = nullptr;
    QToolButton* m_sortButtons[3] = {};
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusPanels[3] = {};
    ElidedLabel* m_pathPanel = nullptr;
    QMenu* m_recentMenu = nullptr;
    QFrame* m_diskBar = nullptr;
    QLabel* m_diskText = nullptr;
    QAction* m_takeAction = nullptr;
};

} // namespace gui
