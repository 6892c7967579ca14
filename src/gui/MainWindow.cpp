#include "MainWindow.h"

#include "Accessibility.h"
#include "ComparePage.h"
#include "CougarPage.h"
#include "Desktop.h"
#include "DiskWatch.h"
#include "ElidedLabel.h"
#include "GridEditing.h"
#include "GridPages.h"
#include "GridProxy.h"
#include "GridView.h"
#include "JoystickPage.h"
#include "KeyAssigner.h"
#include "KeyFileModel.h"
#include "KeyListModel.h"
#include "KeyboardPage.h"
#include "PrintReference.h"
#include "ProblemsDock.h"
#include "SaveTarget.h"
#include "StatusHelp.h"
#include "TabControl.h"
#include "TakeBindings.h"
#include "Twips.h"
#include "core/SimplifiedList.h"
#include "io/FileIo.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>

namespace gui {

namespace {

const QString kFirstTabCaption = QStringLiteral("Key file");
const QString kNoKeyFileOpened = QStringLiteral("No Key File Opened");

} // namespace

MainWindow::MainWindow(WindowContext context, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_session(new KeyFileSession(context.prompts, this, this))
{
    setObjectName(QStringLiteral("FrmZ4IZKey"));
    setAcceptDrops(true);
    setWindowTitle(QStringLiteral("  Tarnwick vs. 1.3"));
    // The window's controls use the desktop's UI font at the classic 8.25 pt; grids and the banner set their own.
    QFont windowFont = QApplication::font();
    windowFont.setPointSizeF(8.25);
    setFont(windowFont);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setMouseTracking(true);
    setCentralWidget(m_client);

    createMenus();
    createStrip(m_client);
    m_tabs = new TabControl(m_client);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addPage(QStringLiteral("pageKeyFile"), kFirstTabCaption);
    m_tabs->addPage(QStringLiteral("pageKeysAssigned"), QStringLiteral("Keys assigned"));
    m_tabs->addPage(QStringLiteral("pageSpareKeys"), QStringLiteral("Locate spare keys"));
    m_tabs->addPage(QStringLiteral("pageCougar"), QStringLiteral("Cougar macros"));
    m_tabs->addPage(QStringLiteral("pageCompare"), QStringLiteral("Compare two key files"));
    m_tabs->addPage(QStringLiteral("pageJoystick"), QStringLiteral("Joystick"));
    m_tabs->setGeometry(0, px(780), px(14880), px(8880));
    createPages();
    createStatusBar();
    createProblemsView();
    createDiskBar();
    connect(m_tabs, &TabControl::currentChanged, this, &MainWindow::onPageChanged);
    // Alt+1 to Alt+6 show the pages.
    for (int page = 0; page < m_tabs->count(); ++page) {
        auto* show = new QAction(this);
        show->setObjectName(QStringLiteral("actShowPage%1").arg(page + 1));
        show->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + page)));
        connect(show, &QAction::triggered, this, [this, page] { m_tabs->setCurrentIndex(page); });
        addAction(show);
    }
    connect(m_tabs, &TabControl::surfaceHovered, this, &MainWindow::onSurfaceHovered);
    m_help = new StatusHelp(m_statusPanels[0], this);
    m_help->install(m_client);
    for (QLabel* panel : m_statusPanels)
        m_help->watch(panel, QStringLiteral("StatusBar"));

    connect(m_session, &KeyFileSession::savedStateChanged, this, &MainWindow::updateSavedIcon);
    connect(m_session, &KeyFileSession::pathChanged, this, &MainWindow::onPathChanged);
    connect(m_session, &KeyFileSession::documentReset, this, &MainWindow::onDocumentReset);
    connect(m_session, &KeyFileSession::progress, this, [this](const QString& banner, const QString& status) {
        setBanner(banner);
        if (!status.isNull())
            setStatusText(status);
        // A banner that announces work ("Analysing ...") is drawn before the work begins. "Ready" is drawn with the
        // rest of the window at the next paint: drawn at once, it would draw the whole window that the work left to
        // be drawn, and the event loop would draw it again.
        if (banner.endsWith(QLatin1String("...")))
            repaintNow();
    });

    // The initial client area is 15000 x 10395 twips, centred on the screen.
    const QSize client(px(15000), px(10395));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    resizeControls(twips(client.width()), twips(client.height()));
    onPageChanged(KeyFilePageIndex);
    onPathChanged();
    updateSavedIcon();
    nameControls(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = file->addAction(QStringLiteral("&Open"));
    open->setObjectName(QStringLiteral("mnuFileOpen"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* save = file->addAction(QStringLiteral("&Save"));
    save->setObjectName(QStringLiteral("mnuFileSave"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_recentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    m_recentMenu->setObjectName(QStringLiteral("mnuFileRecent"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
    file->addSeparator()->setObjectName(QStringLiteral("mnuDiv1"));
    QAction* saveAs = file->addAction(QStringLiteral("Save &As ..."));
    saveAs->setObjectName(QStringLiteral("mnuFileSaveAs"));
    m_takeAction = file->addAction(QStringLiteral("Take &bindings from ..."));
    m_takeAction->setObjectName(QStringLiteral("mnuFileTake"));
    m_takeAction->setEnabled(false);
    connect(m_takeAction, &QAction::triggered, this, [this] { takeBindings(*m_session, m_context.prompts, this); });
    m_printReference = file->addAction(QStringLiteral("&Print reference..."));
    m_printReference->setObjectName(QStringLiteral("mnuFilePrintReference"));
    m_printReference->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(m_printReference, &QAction::triggered, this, [this] {
        setBanner(QStringLiteral("Printing ..."));
        repaintNow();
        printReference(m_context.prompts, this, *m_session);
        setBanner(QStringLiteral("Ready"));
    });
    file->addSeparator()->setObjectName(QStringLiteral("mnuDiv2"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(open, &QAction::triggered, m_session, [this] { m_session->openWithSaveOffer(); });
    connect(save, &QAction::triggered, m_session, &KeyFileSession::saveToOwnPath);
    connect(saveAs, &QAction::triggered, m_session, &KeyFileSession::saveFileAs);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* about = help->addAction(QStringLiteral("&About Tarnwick"));
    about->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);

    QMenu* edit = new QMenu(QStringLiteral("&Edit"), menuBar());
    menuBar()->insertMenu(help->menuAction(), edit);
    edit->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undo = m_session->undoStack()->createUndoAction(edit, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("mnuEditUndo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = m_session->undoStack()->createRedoAction(edit, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("mnuEditRedo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QAction* find = edit->addAction(QStringLiteral("&Find..."));
    find->setObjectName(QStringLiteral("mnuEditFind"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, [this] { focusFind(false); });
    QAction* findKey = edit->addAction(QStringLiteral("Find by &key..."));
    findKey->setObjectName(QStringLiteral("mnuEditFindKey"));
    findKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(findKey, &QAction::triggered, this, [this] { focusFind(true); });
    QAction* assign = edit->addAction(QStringLiteral("&Assign key..."));
    assign->setObjectName(QStringLiteral("mnuEditAssign"));
    connect(assign, &QAction::triggered, this, [this] {
        m_tabs->setCurrentIndex(KeyFilePageIndex);
        m_keyFilePage->editing()->assignKey();
    });
}

void MainWindow::createStrip(QWidget* client)
{
    auto* frame = new QFrame(client);
    frame->setObjectName(QStringLiteral("Frame3"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setMouseTracking(true);
    placeTwips(frame, 60, 0, 3315, 675);
    auto* sortLabel = new QLabel(QStringLiteral("Sort buttons"), frame);
    sortLabel->setObjectName(QStringLiteral("Label2_1"));
    sortLabel->setWordWrap(true); // two lines where today's fonts do not fit one
    placeTwips(sortLabel, 180, 300, 855, 195);
    m_sortButtons[0]
        = pictureButton(frame, QStringLiteral("Command2_0"), QStyle::SP_ArrowUp, QStringLiteral("Sort ascending"));
    placeTwips(m_sortButtons[0], 1140, 180, 435, 435);
    m_sortButtons[1]
        = pictureButton(frame, QStringLiteral("Command2_1"), QStyle::SP_ArrowDown, QStringLiteral("Sort descending"));
    placeTwips(m_sortButtons[1], 1800, 180, 435, 435);
    m_sortButtons[2] = new QToolButton(frame);
    m_sortButtons[2]->setObjectName(QStringLiteral("Command2_2"));
    m_sortButtons[2]->setText(QStringLiteral("Reset"));
    placeTwips(m_sortButtons[2], 2400, 180, 615, 435);
    for (int i = 0; i < 3; ++i) {
        connect(m_sortButtons[i], &QToolButton::clicked, this, [this, i] {
            if (m_tabs->currentIndex() == KeyFilePageIndex)
                m_keyFilePage->sort(i);
            else if (m_tabs->currentIndex() == KeysAssignedPageIndex)
                m_keysAssignedPage->sort(i);
        });
    }

    auto* keyLabel = new QLabel(QStringLiteral("Key"), client);
    keyLabel->setObjectName(QStringLiteral("Label2_0"));
    placeTwips(keyLabel, 3660, 240, 270, 195);

    m_banner = new QLabel(client);
    m_banner->setObjectName(QStringLiteral("Label1"));
    m_banner->setFrameShape(QFrame::Box);
    m_banner->setAlignment(Qt::AlignCenter);
    m_banner->setWordWrap(true);
    m_banner->setAutoFillBackground(true);
    m_banner->setMouseTracking(true);
    QPalette bannerPalette = m_banner->palette();
    bannerPalette.setColor(QPalette::Window, QColor(255, 255, 192));
    bannerPalette.setColor(QPalette::WindowText, Qt::black);
    m_banner->setPalette(bannerPalette);
    QFont bannerFont = m_banner->font();
    bannerFont.setPointSizeF(12);
    bannerFont.setBold(true);
    m_banner->setFont(bannerFont);
    placeTwips(m_banner, 4140, 60, 3015, 615);

    m_removeSim = new QCheckBox(QStringLiteral("Remove SIM from name"), client);
    m_removeSim->setObjectName(QStringLiteral("CHKRemoveSIM"));
    m_removeSim->setMouseTracking(true);
    placeTwips(m_removeSim, 7440, 240, 2715, 195);
    connect(m_removeSim, &QCheckBox::clicked, this, &MainWindow::removeSimName);
}

void MainWindow::createStatusBar()
{
    auto* bar = m_statusBar = new QStatusBar(m_client);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    bar->setMouseTracking(true);
    m_pathPanel = new ElidedLabel(bar);
    m_statusPanels[0] = new QLabel(bar);
    m_statusPanels[1] = m_pathPanel;
    m_statusPanels[2] = new QLabel(bar);
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        m_statusPanels[i]->setFrameShape(QFrame::Panel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
        m_statusPanels[i]->setMouseTracking(true);
    }
    m_statusPanels[0]->setMinimumWidth(px(1200));
    m_statusPanels[1]->setMinimumWidth(px(1600));
    m_statusPanels[2]->setFixedWidth(px(300));
    m_statusPanels[2]->setAlignment(Qt::AlignCenter);
    m_statusPanels[2]->setToolTip(QStringLiteral("Currently active file saved state"));
    bar->addWidget(m_statusPanels[0], 12825);
    bar->addWidget(m_statusPanels[1], 1605);
    bar->addWidget(m_statusPanels[2]);
}

void MainWindow::createDiskBar()
{
    m_diskBar = new QFrame(m_client);
    m_diskBar->setObjectName(QStringLiteral("DiskChangedBar"));
    m_diskBar->setFrameShape(QFrame::StyledPanel);
    m_diskBar->setAutoFillBackground(true);
    QPalette palette = m_diskBar->palette();
    palette.setColor(QPalette::Window, QColor(255, 236, 179));
    palette.setColor(QPalette::WindowText, Qt::black);
    m_diskBar->setPalette(palette);
    m_diskText = new QLabel(m_diskBar);
    m_diskText->setObjectName(QStringLiteral("DiskChangedText"));
    auto* reload = new QPushButton(QStringLiteral("&Reload"), m_diskBar);
    reload->setObjectName(QStringLiteral("ReloadButton"));
    auto* keep = new QPushButton(QStringLiteral("&Keep mine"), m_diskBar);
    keep->setObjectName(QStringLiteral("KeepMineButton"));
    auto* layout = new QHBoxLayout(m_diskBar);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(m_diskText, 1);
    layout->addWidget(reload);
    layout->addWidget(keep);
    m_diskBar->hide();
    connect(reload, &QPushButton::clicked, this, [this] {
        if (m_session->reloadFromDisk())
            showDiskBar(false);
    });
    connect(keep, &QPushButton::clicked, this, [this] {
        m_session->keepMine();
        showDiskBar(false);
    });
    connect(m_session->diskWatch(), &DiskWatch::changed, this, [this, reload](DiskWatch::State state) {
        const bool deleted = state == DiskWatch::State::Deleted;
        m_diskText->setText(m_session->fileName()
            + (deleted ? QStringLiteral(" has been deleted or moved by another program.")
                       : QStringLiteral(" has been changed on disk by another program.")));
        reload->setEnabled(!deleted);
        showDiskBar(true);
    });
    connect(m_session, &KeyFileSession::documentReset, this, [this] { showDiskBar(false); });
}

void MainWindow::showDiskBar(bool shown)
{
    if (m_diskBar->isVisible() == shown)
        return;
    m_diskBar->setVisible(shown);
    resizeControls(twips(m_client->width()), twips(m_client->height()));
}

void MainWindow::fillRecentMenu()
{
    m_recentMenu->clear();
    for (const QString& path : std::as_const(m_windowState.recentFiles)) {
        // A file that is gone stays in the list, greyed, until newer ones push it out.
        QAction* open = m_recentMenu->addAction(QDir::toNativeSeparators(path));
        open->setEnabled(QFileInfo(path).isFile());
        connect(open, &QAction::triggered, this, [this, path] { m_session->openWithSaveOffer(path); });
    }
    if (m_recentMenu->isEmpty())
        m_recentMenu->addAction(QStringLiteral("(no key files yet)"))->setEnabled(false);
}

void MainWindow::rememberRecentFile(const QString& path)
{
    if (path.isEmpty())
        return;
    QStringList& recent = m_windowState.recentFiles;
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > io::WindowState::MaxRecentFiles)
        recent.removeLast();
}

void MainWindow::showAbout()
{
    m_context.prompts.message(this, QStringLiteral("About Tarnwick"),
        QStringLiteral("Tarnwick %1\nAn editor for Falcon 4 key files.\n\nLicence: MIT (see LICENSE).\n\n"
                       "Settings file: %2")
            .arg(QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral(TARNWICK_VERSION)
                                                                  : QCoreApplication::applicationVersion(),
                QDir::toNativeSeparators(m_context.settingsFile.path())),
        PromptButtons::Ok, PromptIcon::Information);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedFile(event->mimeData()).isEmpty())
        return;
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    if (openDropped(event->mimeData()))
        event->acceptProposedAction();
}

bool MainWindow::openDropped(const QMimeData* dropped)
{
    const QString path = droppedFile(dropped);
    if (!path.isEmpty())
        m_session->openWithSaveOffer(path);
    return !path.isEmpty();
}

QString MainWindow::droppedFile(const QMimeData* dropped)
{
    // One local file: a key file, or whatever the user means to open as one.
    if (!dropped || !dropped->hasUrls() || dropped->urls().size() != 1 || !dropped->urls().first().isLocalFile())
        return {};
    return dropped->urls().first().toLocalFile();
}

void MainWindow::createPages()
{
    m_keyFilePage = new KeyFilePage(m_tabs, KeyFilePageIndex, m_session, m_context.prompts, this);
    connect(m_keyFilePage, &KeyFilePage::openRequested, m_session, [this] { m_session->openWithSaveOffer(); });
    connect(m_keyFilePage, &KeyFilePage::saveRequested, m_session, &KeyFileSession::saveFileAs);
    connect(m_keyFilePage->editing(), &GridEditing::bannerText, this, &MainWindow::setBanner);

    m_keysAssignedPage = new KeysAssignedPage(m_tabs, KeysAssignedPageIndex, m_session, this);
    connect(m_keysAssignedPage, &KeysAssignedPage::viewInTextEditorRequested, this, &MainWindow::viewListInTextEditor);

    m_keyboard = new KeyboardPage(m_session, m_tabs->page(SpareKeysPageIndex));
    connect(m_keyboard, &KeyboardPage::keyCopied, this, [this](const QString& code, int modifier) {
        m_keyFilePage->editing()->setPasteKey(code, modifier);
        offerToAssign(code, modifier);
    });
    connect(m_keyboard, &KeyboardPage::surfaceHovered, this, &MainWindow::onSurfaceHovered);

    const auto rowsInViewOrder = [this] {
        std::vector<int> rows = m_keysAssignedPage->listRowsInOrder();
        for (int& row : rows)
            row = m_session->listModel()->documentRow(row);
        return rows;
    };
    m_cougar = new CougarPage(
        m_tabs, CougarMacrosPageIndex, m_session, rowsInViewOrder, [this] { return m_removeSim->isChecked(); },
        m_context.desktop, m_context.prompts, this);

    m_compare = new ComparePage(m_tabs, CompareFilesPageIndex,
        {m_context.prompts, [this] { return m_locations.keyFilesFolder; },
            [this] { return m_tabs->tabText(KeyFilePageIndex); },
            [this](const QString& path) { return m_session->heldFile(path); }},
        this);
    connect(m_compare, &ComparePage::bannerText, this, &MainWindow::setBanner);
    connect(m_compare, &ComparePage::viewRequested, this, &MainWindow::openInTextEditor);

    m_joystick = new JoystickPage(m_tabs, JoystickPageIndex, m_session, this);
    // A double-clicked function shows its line in the grid, its button cell selected and named in the banner.
    connect(m_joystick, &JoystickPage::rowRequested, this, [this](int row) {
        m_tabs->setCurrentIndex(KeyFilePageIndex);
        const QModelIndex cell
            = m_keyFilePage->proxy()->mapFromSource(m_session->fileModel()->index(row, core::CockpitIdColumn));
        m_keyFilePage->grid()->selectBlock(cell.row(), cell.column(), cell.row(), cell.column());
        m_keyFilePage->grid()->scrollTo(cell, QAbstractItemView::PositionAtCenter);
        m_keyFilePage->grid()->setFocus();
        setBanner(m_keyFilePage->editing()->bannerTextForCurrentCell());
    });
}

void MainWindow::focusFind(bool keyCapture)
{
    if (m_tabs->currentIndex() != KeysAssignedPageIndex)
        m_tabs->setCurrentIndex(KeyFilePageIndex);
    GridPage* page = m_tabs->currentIndex() == KeyFilePageIndex ? static_cast<GridPage*>(m_keyFilePage)
                                                                : static_cast<GridPage*>(m_keysAssignedPage);
    page->focusFilter(keyCapture);
}

void MainWindow::offerToAssign(const QString& code, int modifier)
{
    // A free key clicked while a key line is selected on the grid may go to that line.
    const QModelIndex anchor = m_keyFilePage->grid()->anchorIndex();
    const auto tableRow = core::keyRowOfCell(code.toStdString());
    if (!anchor.isValid() || !tableRow)
        return;
    const int row = m_keyFilePage->documentRowOfView(anchor.row());
    KeyAssigner* assigner = m_keyFilePage->editing()->assigner();
    if (!assigner->canAssign(row))
        return;
    const auto& usage = m_session->keyboardUsage()[static_cast<std::size_t>(modifier)];
    if (usage.forTableRow(*tableRow).use != core::KeyUse::Free)
        return;
    AssignAnswer answer;
    answer.action = AssignAnswer::Assign;
    answer.combination.key = *tableRow;
    answer.combination.modifier = modifier;
    const PromptAnswer yes = m_context.prompts.message(this, QStringLiteral("Assign key"),
        QStringLiteral("Assign ") + QString::fromStdString(answer.combination.text()) + QStringLiteral(" to ")
            + assigner->lineText(row) + QLatin1Char('?'),
        PromptButtons::YesNo, PromptIcon::Question);
    if (yes == PromptAnswer::Yes)
        assigner->apply(row, answer);
}

void MainWindow::createProblemsView()
{
    m_problems = new ProblemsDock(m_session, m_keyFilePage, m_tabs, KeyFilePageIndex, this);
    // A problem's line hidden by the grid's filter is shown by clearing the filter.
    m_problems->setRevealRow([this](int row) {
        m_keyFilePage->clearFilter();
        return m_keyFilePage->viewRowOfDocument(row) >= 0;
    });
    addDockWidget(Qt::BottomDockWidgetArea, m_problems);
    m_problems->hide();
    // View stands before Help, as menus do.
    auto* view = new QMenu(QStringLiteral("&View"), menuBar());
    view->setObjectName(QStringLiteral("mnuView"));
    const auto* help = menuBar()->findChild<QMenu*>(QStringLiteral("mnuHelp"));
    if (help)
        menuBar()->insertMenu(help->menuAction(), view);
    else
        menuBar()->addMenu(view);
    view->addAction(m_problems->toggleViewAction());
    m_statusBar->insertWidget(2, m_problems->createStatusButton(m_statusBar));
    // The pages are laid out for the client area, which the dock makes smaller while it is shown.
    m_client->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        resizeControls(twips(m_client->width()), twips(m_client->height()));
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::onSurfaceHovered()
{
    m_help->show(QStringLiteral("SSTab1"));
    if (m_tabs->currentIndex() == SpareKeysPageIndex)
        m_keyboard->clearReadOuts();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_client)
        resizeControls(twips(m_client->width()), twips(m_client->height()));
}

void MainWindow::resizeControls(int w, int h)
{
    // A client area too small for a size leaves that control as it was (a minimised window reports 0 x 0).
    // The bar that says the file changed on disk stands above the pages while it is shown.
    const int bar = m_diskBar && m_diskBar->isVisible() ? DiskBarTwips : 0;
    const int tabWidth = w - 120;
    const int tabHeight = h - 1515 - bar;
    if (bar > 0 && tabWidth > 0)
        m_diskBar->setGeometry(0, px(780), px(tabWidth), px(bar - 30));
    if (tabWidth > 0 && tabHeight > 0)
        m_tabs->setGeometry(0, px(780 + bar), px(tabWidth), px(tabHeight));
    const int tw = twips(m_tabs->width());
    const int th = twips(m_tabs->height());
    m_keyFilePage->resize(tw, th);
    m_keysAssignedPage->resize(tw, th);
    m_cougar->resize(tw, th);
    m_compare->resize(tw, th);
    m_joystick->resize(tw, th);
    if (tw > 0 && th > 0)
        m_keyboard->layoutFor(tw, th, -m_tabs->page(SpareKeysPageIndex)->pos());
    if (m_statusBar && w > 0 && h > 315)
        m_statusBar->setGeometry(0, px(h) - px(315), px(w), px(315));
}

void MainWindow::onPageChanged(int index)
{
    // The strip's controls work where their effect shows.
    const bool onGrid = index == KeyFilePageIndex || index == KeysAssignedPageIndex;
    for (auto* button : m_sortButtons)
        button->setEnabled(onGrid);
    m_removeSim->setEnabled(index == KeysAssignedPageIndex || index == CougarMacrosPageIndex);
}

void MainWindow::startUp(const QString& fileToOpen)
{
    m_locations = m_context.settingsFile.load(m_context.programFolder);
    m_session->setKeyFilesFolder(m_locations.keyFilesFolder);
    m_session->setJoystickSettings(m_context.settingsFile.joystick());
    m_windowState = m_context.settingsFile.window();
    if (!m_windowState.geometry.isEmpty())
        restoreGeometry(m_windowState.geometry);
    m_keyFilePage->grid()->horizontalHeader()->restoreState(m_windowState.keyFileColumns);
    m_keysAssignedPage->grid()->horizontalHeader()->restoreState(m_windowState.keyListColumns);
    if (const auto problem = m_context.settingsFile.loadProblem()) {
        m_context.prompts.message(this, QStringLiteral("Settings not remembered"),
            QStringLiteral("Tarnwick could not read its settings file ") + m_context.settingsFile.path()
                + QStringLiteral(": ") + *problem + QStringLiteral(". It will not remember its settings this time."),
            PromptButtons::Ok, PromptIcon::Exclamation);
    }
    repaintNow();
    if (!fileToOpen.isEmpty())
        m_session->open(QFileInfo(fileToOpen).absoluteFilePath());
    else if (!m_locations.keyFilePath.isEmpty())
        m_session->open(m_locations.keyFilePath);
    updateSavedIcon();
}

void MainWindow::onPathChanged()
{
    const QString path = m_session->path();
    rememberRecentFile(path);
    m_locations.keyFilePath = path;
    m_locations.keyFileName = m_session->fileName();
    m_tabs->setTabText(KeyFilePageIndex, path.isEmpty() ? kFirstTabCaption : m_session->fileName());
    if (path.isEmpty())
        m_pathPanel->setFullText(kNoKeyFileOpened, QStringLiteral("Location of currently opened .key file"));
    else
        m_pathPanel->setFullText(path, path);
    m_compare->setPath(0, path);
    m_takeAction->setEnabled(m_session->isOpen());
    m_printReference->setEnabled(m_session->isOpen());
    updateSavedIcon();
}

void MainWindow::onDocumentReset()
{
    // A newly opened file starts on its grid; the key copied from the keyboard belonged to the old one.
    m_keyFilePage->editing()->setPasteKey({}, 0);
    m_tabs->setCurrentIndex(KeyFilePageIndex);
}

void MainWindow::removeSimName()
{
    setBanner(QStringLiteral("Wait ..."));
    repaintNow();
    m_session->listModel()->setRemoveSim(m_removeSim->isChecked());
    m_cougar->fillCougarMacros();
    setBanner(QStringLiteral("Ready"));
}

QString MainWindow::temporaryListPath() const
{
    QString folder = m_context.programFolder;
    if (!io::isFolderWritable(folder)) {
        folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir().mkpath(folder);
    }
    return QDir(folder).filePath(QStringLiteral("Temp.txt"));
}

void MainWindow::viewListInTextEditor()
{
    setBanner(QStringLiteral(" Creating text file"));
    repaintNow();
    std::vector<core::SimplifiedEntry> entries;
    for (const int row : m_keysAssignedPage->listRowsInOrder())
        entries.push_back(m_session->listModel()->entry(row));
    const QString path = temporaryListPath();
    io::FileError error;
    const bool written = io::writeFileAtomically(path, core::listText(entries), &error);
    setBanner(QStringLiteral("Ready"));
    if (!written) {
        reportSaveProblem(m_context.prompts, this, path);
        return;
    }
    openInTextEditor(path);
}

void MainWindow::openInTextEditor(const QString& path)
{
    if (!m_context.desktop.openInTextEditor(path)) {
        m_context.prompts.message(this, QStringLiteral("No text editor found"),
            QStringLiteral("There is no program for text files on this computer to open ") + path + QLatin1Char('.'),
            PromptButtons::Ok, PromptIcon::Information);
    }
}

void MainWindow::updateSavedIcon()
{
    const QString name = m_session->fileName();
    switch (m_session->savedState()) {
    case SavedState::NoFile:
        m_statusPanels[2]->setPixmap(
            style()->standardIcon(QStyle::SP_DialogCancelButton).pixmap(QSize(16, 16), devicePixelRatioF()));
        m_statusPanels[2]->setToolTip(QStringLiteral("No file open"));
        break;
    case SavedState::Saved:
        m_statusPanels[2]->setPixmap(
            style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(QSize(16, 16), devicePixelRatioF()));
        m_statusPanels[2]->setToolTip(name + QStringLiteral(" is saved"));
        break;
    case SavedState::Modified:
        m_statusPanels[2]->setPixmap(
            style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(QSize(16, 16), devicePixelRatioF()));
        m_statusPanels[2]->setToolTip(name + QStringLiteral(" has been modified and isn't saved"));
        break;
    }
}

void MainWindow::setBanner(const QString& text)
{
    // A text too wide for one line at 12 points ("DX2, Device 01, shifted, release") wraps, in a smaller font where
    // two lines need it, rather than lose its ends.
    QFont font = m_banner->font();
    const QRect room = m_banner->contentsRect().adjusted(2, 0, -2, 0);
    for (double points = 12; points >= 7; points -= 0.5) {
        font.setPointSizeF(points);
        const QRect needed = QFontMetrics(font).boundingRect(
            QRect(0, 0, room.width(), 10 * room.height()), Qt::AlignCenter | Qt::TextWordWrap, text);
        if (needed.width() <= room.width() && needed.height() <= room.height())
            break;
    }
    m_banner->setFont(font);
    m_banner->setText(text);
}

void MainWindow::setStatusText(const QString& text)
{
    if (m_statusPanels[0]->text() != text)
        m_statusPanels[0]->setText(text);
}

void MainWindow::repaintNow()
{
    if (isVisible()) {
        m_banner->repaint();
        m_statusPanels[0]->repaint();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_session->offerToSaveBeforeExit()) {
        event->ignore();
        return;
    }
    // The settings are written when the window goes; a failure to write them is passed over.
    m_windowState.geometry = saveGeometry();
    m_windowState.keyFileColumns = m_keyFilePage->grid()->horizontalHeader()->saveState();
    m_windowState.keyListColumns = m_keysAssignedPage->grid()->horizontalHeader()->saveState();
    m_context.settingsFile.save(m_locations, m_session->joystickSettings(), m_windowState);
    event->accept();
}

} // namespace gui
