#include "MainWindow.h"

#include "ComparePage.h"
#include "CougarPage.h"
#include "Desktop.h"
#include "GridEditing.h"
#include "GridView.h"
#include "KeyFileModel.h"
#include "KeyListModel.h"
#include "KeyboardPage.h"
#include "SaveTarget.h"
#include "StatusHelp.h"
#include "TabControl.h"
#include "Twips.h"
#include "core/SimplifiedList.h"
#include "io/FileIo.h"
#include "io/SettingsFile.h"
#include "io/TextCodec.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

namespace gui {

namespace {

const QString kFirstTabCaption = QStringLiteral("Key file");
const QString kNoKeyFileOpened = QStringLiteral("No Key File Opened");

QString fromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QToolButton* pictureButton(QWidget* parent, const QString& objectName, QStyle::StandardPixmap pixmap)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setIcon(parent->style()->standardIcon(pixmap));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(false);
    return button;
}

} // namespace

MainWindow::MainWindow(WindowContext context, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_keyFileModel(new KeyFileModel(this))
    , m_keyListModel(new KeyListModel(this))
{
    setObjectName(QStringLiteral("FrmZ4IZKey"));
    setWindowTitle(QStringLiteral("  Tarnwick vs. 1.3"));
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
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
    m_tabs->setGeometry(0, px(780), px(14880), px(8880));
    createKeyFilePage();
    createKeysAssignedPage();
    createOtherPages();
    createStatusBar();
    connect(m_tabs, &TabControl::currentChanged, this, &MainWindow::onPageChanged);
    connect(m_tabs, &TabControl::surfaceHovered, this, &MainWindow::onSurfaceHovered);
    m_help = new StatusHelp(m_statusPanels[0], this);
    m_help->install(m_client);
    for (QLabel* panel : m_statusPanels)
        m_help->watch(panel, QStringLiteral("StatusBar"));
    connect(m_keyFileModel, &KeyFileModel::savedStateChanged, this, [this] { updateSavedIcon(); });
    connect(m_keyFileModel, &KeyFileModel::aboutToChange, this, &MainWindow::buildDerivedViews);

    // The initial client area is 15000 x 10395 twips, centred on the screen.
    const QSize client(px(15000), px(10395));
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    resizeControls(twips(client.width()), twips(client.height()));
    onPageChanged(KeyFilePage);
    updateSavedIcon();
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    m_openAction = file->addAction(QStringLiteral("&Open"));
    m_openAction->setObjectName(QStringLiteral("mnuFileOpen"));
    m_openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_saveAction = file->addAction(QStringLiteral("&Save"));
    m_saveAction->setObjectName(QStringLiteral("mnuFileSave"));
    m_saveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator()->setObjectName(QStringLiteral("mnuDiv1"));
    m_saveAsAction = file->addAction(QStringLiteral("Save &As ..."));
    m_saveAsAction->setObjectName(QStringLiteral("mnuFileSaveAs"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuDiv2"));
    m_exitAction = file->addAction(QStringLiteral("E&xit"));
    m_exitAction->setObjectName(QStringLiteral("mnuFileExit"));
    connect(m_openAction, &QAction::triggered, this, &MainWindow::openWithSaveOffer);
    connect(m_saveAction, &QAction::triggered, this, &MainWindow::saveToOwnPath);
    connect(m_saveAsAction, &QAction::triggered, this, &MainWindow::saveFileAs);
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);
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
    m_sortButtons[0] = pictureButton(frame, QStringLiteral("Command2_0"), QStyle::SP_ArrowUp);
    m_sortButtons[0]->setToolTip(QStringLiteral("Sort ascending"));
    placeTwips(m_sortButtons[0], 1140, 180, 435, 435);
    m_sortButtons[1] = pictureButton(frame, QStringLiteral("Command2_1"), QStyle::SP_ArrowDown);
    m_sortButtons[1]->setToolTip(QStringLiteral("Sort descending"));
    placeTwips(m_sortButtons[1], 1800, 180, 435, 435);
    m_sortButtons[2] = new QToolButton(frame);
    m_sortButtons[2]->setObjectName(QStringLiteral("Command2_2"));
    m_sortButtons[2]->setText(QStringLiteral("Reset"));
    placeTwips(m_sortButtons[2], 2400, 180, 615, 435);
    for (int i = 0; i < 3; ++i)
        connect(m_sortButtons[i], &QToolButton::clicked, this, [this, i] { sortCurrentGrid(i); });

    auto* keyLabel = new QLabel(QStringLiteral("Key"), client);
    keyLabel->setObjectName(QStringLiteral("Label2_0"));
    placeTwips(keyLabel, 3660, 240, 270, 195);

    m_banner = new QLabel(client);
    m_banner->setObjectName(QStringLiteral("Label1"));
    m_banner->setFrameShape(QFrame::Box);
    m_banner->setAlignment(Qt::AlignCenter);
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
    const char* const names[] = {"StatusPanel1", "StatusPanel2", "StatusPanel3"};
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i] = new QLabel(bar);
        m_statusPanels[i]->setObjectName(QString::fromLatin1(names[i]));
        m_statusPanels[i]->setFrameShape(QFrame::Panel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
        m_statusPanels[i]->setMouseTracking(true);
    }
    m_statusPanels[0]->setMinimumWidth(px(1200));
    m_statusPanels[1]->setMinimumWidth(px(1600));
    m_statusPanels[1]->setText(kNoKeyFileOpened);
    m_statusPanels[1]->setToolTip(QStringLiteral("Location of currently opened .key file"));
    m_statusPanels[2]->setFixedWidth(px(300));
    m_statusPanels[2]->setAlignment(Qt::AlignCenter);
    m_statusPanels[2]->setToolTip(QStringLiteral("Currently active file saved state"));
    bar->addWidget(m_statusPanels[0], 12825);
    bar->addWidget(m_statusPanels[1], 1605);
    bar->addWidget(m_statusPanels[2]);
}

void MainWindow::createKeyFilePage()
{
    QWidget* page = m_tabs->page(KeyFilePage);
    m_gridData = new GridView(page);
    m_gridData->setObjectName(QStringLiteral("GridData"));
    m_gridData->setModel(m_keyFileModel);
    m_gridData->setColumnWidthsTwips({500, 3540, 1080, 855, 2130, 2535, 2130, 2535, 1245, 3825});
    m_gridData->setMouseTracking(true);
    // The key file grid marks its selection in its own colours.
    QPalette palette = m_gridData->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, QColor(255, 224, 192));
        palette.setColor(group, QPalette::HighlightedText, QColor(0, 0, 192));
    }
    m_gridData->setPalette(palette);
    connect(m_keyFileModel, &QAbstractItemModel::modelReset, this, [this] {
        QList<int> comments;
        for (int r = 0; r < m_keyFileModel->rowCount(); ++r)
            if (m_keyFileModel->isComment(r))
                comments.append(r);
        m_gridData->spanRows(comments, core::SimNameColumn);
    });

    m_commandButtons[0] = pictureButton(m_tabs, QStringLiteral("Command4_0"), QStyle::SP_DialogOpenButton);
    m_commandButtons[0]->setToolTip(QStringLiteral("Open a key file"));
    m_tabs->addHeaderWidget(KeyFilePage, m_commandButtons[0], Qt::LeftEdge);
    connect(m_commandButtons[0], &QToolButton::clicked, this, &MainWindow::openWithSaveOffer);
    m_commandButtons[1] = pictureButton(m_tabs, QStringLiteral("Command4_1"), QStyle::SP_DialogSaveButton);
    m_commandButtons[1]->setToolTip(QStringLiteral("Save the key file"));
    m_tabs->addHeaderWidget(KeyFilePage, m_commandButtons[1], Qt::RightEdge);
    connect(m_commandButtons[1], &QToolButton::clicked, this, &MainWindow::saveFileAs);

    m_editing = new GridEditing(m_gridData, m_keyFileModel, this);
    connect(m_editing, &GridEditing::bannerText, this, &MainWindow::setBanner);
}

void MainWindow::createKeysAssignedPage()
{
    QWidget* page = m_tabs->page(KeysAssignedPage);
    m_keyGrid = new GridView(page);
    m_keyGrid->setObjectName(QStringLiteral("KeyGrid"));
    m_keyGrid->setModel(m_keyListModel);
    m_keyGrid->setColumnWidthsTwips({500, 3540, 4000, 3825});
    m_keyGrid->setMouseTracking(true);

    m_commandButtons[2] = pictureButton(m_tabs, QStringLiteral("Command4_2"), QStyle::SP_FileDialogDetailedView);
    m_commandButtons[2]->setToolTip(QStringLiteral("View the list in a text editor"));
    m_tabs->addHeaderWidget(KeysAssignedPage, m_commandButtons[2], Qt::LeftEdge);
    connect(m_commandButtons[2], &QToolButton::clicked, this, &MainWindow::viewListInTextEditor);
}

void MainWindow::createOtherPages()
{
    m_keyboard = new KeyboardPage(m_keyFileModel, m_tabs->page(SpareKeysPage));
    connect(m_keyboard, &KeyboardPage::keyCopied, this,
        [this](const QString& code, int modifier) { m_editing->setPasteKey(code, modifier); });
    connect(m_keyboard, &KeyboardPage::surfaceHovered, this, &MainWindow::onSurfaceHovered);

    m_cougar = new CougarPage(m_tabs, CougarMacrosPage, m_keyListModel, m_context.desktop, this);
    connect(m_cougar, &CougarPage::refreshRequested, this,
        [this] { m_cougar->fillCougarMacros(m_removeSim->isChecked()); });

    m_compare = new ComparePage(m_tabs, CompareFilesPage,
        {m_context.prompts, m_context.desktop, [this] { return fromLocal(m_locations.keyFilesFolder); },
            [this] { return m_tabs->tabText(KeyFilePage); }},
        this);
    connect(m_compare, &ComparePage::bannerText, this, &MainWindow::setBanner);
}

void MainWindow::onSurfaceHovered()
{
    m_help->show(QStringLiteral("SSTab1"));
    if (m_tabs->currentIndex() == SpareKeysPage)
        m_keyboard->clearReadOuts();
}

core::SavedState MainWindow::savedState() const
{
    return m_keyFileModel->document().savedState();
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
    const int tabWidth = w - 120;
    const int tabHeight = h - 1515;
    if (tabWidth > 0 && tabHeight > 0)
        m_tabs->setGeometry(0, px(780), px(tabWidth), px(tabHeight));
    const int tw = twips(m_tabs->width());
    const int th = twips(m_tabs->height());
    if (tw - 240 > 0 && th - 560 > 0) {
        m_tabs->placeOnPage(KeyFilePage, m_gridData, 60, 420, tw - 240, th - 560);
        m_tabs->placeOnPage(KeysAssignedPage, m_keyGrid, 60, 420, tw - 240, th - 560);
    }
    m_cougar->resize(tw, th);
    m_compare->resize(tw, th);
    if (tw > 0 && th > 0)
        m_keyboard->layoutFor(tw, th, -m_tabs->page(SpareKeysPage)->pos());
    if (m_statusBar && w > 0 && h > 315)
        m_statusBar->setGeometry(0, px(h) - px(315), px(w), px(315));
}

void MainWindow::onPageChanged(int index)
{
    if (index != KeyFilePage)
        buildDerivedViews();
    // Each page shows only its own large control; the strip's controls work where their effect shows.
    const bool onGrid = index == KeyFilePage || index == KeysAssignedPage;
    for (auto* button : m_sortButtons)
        button->setEnabled(onGrid);
    m_removeSim->setEnabled(index == KeysAssignedPage || index == CougarMacrosPage);
}

void MainWindow::startUp(const QString& fileToOpen)
{
    m_editing->setPasteKey({}, 0);
    m_keyFileModel->setSavedState(core::SavedState::NoFile);
    m_locations = m_context.settingsFile.load(m_context.programFolder);
    if (const auto problem = m_context.settingsFile.loadProblem()) {
        m_context.prompts.message(this, QStringLiteral("Settings not remembered"),
            QStringLiteral("Tarnwick could not read its settings file ") + m_context.settingsFile.path()
                + QStringLiteral(": ") + *problem + QStringLiteral(". It will not remember its settings this time."),
            PromptButtons::Ok, PromptIcon::Exclamation);
    }
    repaintNow();
    if (!fileToOpen.isEmpty()) {
        openKeyFile(QFileInfo(fileToOpen).absoluteFilePath());
    } else if (!m_locations.keyFilePath.empty()) {
        openKeyFile(fromLocal(m_locations.keyFilePath));
    } else {
        updateSavedIcon();
    }
}

void MainWindow::selectKeyFileToOpen()
{
    const QString path
        = m_context.prompts.openFileName(this, keyFileOpenRequest(fromLocal(m_locations.keyFilesFolder)));
    if (path.isEmpty())
        return;
    openKeyFile(path);
}

bool MainWindow::openKeyFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    m_locations.keyFilePath = toLocal(path);
    m_locations.keyFileName = toLocal(name);

    m_keyFileModel->setDocument(core::KeyDocument(), io::TextEncoding::Windows1252);
    setStatusText(QStringLiteral(" Opening ") + name
        + QStringLiteral(", analysing the contents and just staring at you. Please wait ..."));
    setBanner(QStringLiteral("Analysing ..."));
    repaintNow();
    m_keyListModel->setList(core::SimplifiedList(), io::TextEncoding::Windows1252);
    m_keyboard->resetForOpening();
    m_editing->setPasteKey({}, 0);
    m_tabs->setCurrentIndex(KeyFilePage);

    std::string bytes;
    io::FileError error;
    if (!io::readFileBytes(path, &bytes, &error)) {
        showNoFileOpen();
        setBanner(QStringLiteral("Ready"));
        m_context.prompts.message(this, QStringLiteral("Unable to open key file"),
            QStringLiteral("I couldn't open ") + path + QStringLiteral(": ") + error.reason + QLatin1Char('.'),
            PromptButtons::Ok, PromptIcon::Critical);
        return false;
    }
    const io::TextEncoding encoding = io::detectEncoding(bytes);
    m_tabs->setTabText(KeyFilePage, name);
    m_keyFileModel->setDocument(core::KeyDocument::fromBytes(std::move(bytes)), encoding);
    // Opening a large file does not wait for the list, the keyboard colours and the macro text.
    m_derivedViewsPending = true;
    m_statusPanels[1]->setText(path);
    m_compare->setPath(0, path);
    m_keyFileModel->setSavedState(core::SavedState::Saved);
    updateSavedIcon();
    setBanner(QStringLiteral("Ready"));
    setStatusText(QStringLiteral(" You can click on the keys / modifiers columns to display the associated key"));
    return true;
}

void MainWindow::showNoFileOpen()
{
    m_derivedViewsPending = false;
    m_locations.keyFilePath.clear();
    m_locations.keyFileName.clear();
    m_keyFileModel->setDocument(core::KeyDocument(), io::TextEncoding::Windows1252);
    m_keyListModel->setList(core::SimplifiedList(), io::TextEncoding::Windows1252);
    m_tabs->setTabText(KeyFilePage, kFirstTabCaption);
    m_statusPanels[1]->setText(kNoKeyFileOpened);
    updateSavedIcon();
}

void MainWindow::buildDerivedViews()
{
    if (!m_derivedViewsPending)
        return;
    m_derivedViewsPending = false;
    const core::KeyDocument& opened = m_keyFileModel->document();
    m_keyListModel->setList(core::SimplifiedList::build(opened, m_removeSim->isChecked()), m_keyFileModel->encoding());
    m_keyboard->colourKeyLabels(opened);
    m_cougar->fillCougarMacros(m_removeSim->isChecked());
}

KeyListModel* MainWindow::keyListModel()
{
    buildDerivedViews();
    return m_keyListModel;
}

KeyboardPage* MainWindow::keyboardPage()
{
    buildDerivedViews();
    return m_keyboard;
}

CougarPage* MainWindow::cougarPage()
{
    buildDerivedViews();
    return m_cougar;
}

void MainWindow::fillKeyGrid()
{
    m_keyListModel->setList(
        core::SimplifiedList::build(m_keyFileModel->document(), m_removeSim->isChecked()), m_keyFileModel->encoding());
}

void MainWindow::removeSimName()
{
    buildDerivedViews();
    setBanner(QStringLiteral("Wait ..."));
    repaintNow();
    if (m_removeSim->isChecked())
        m_keyListModel->removeSimFromNames();
    else
        fillKeyGrid();
    m_cougar->fillCougarMacros(m_removeSim->isChecked());
    setBanner(QStringLiteral("Ready"));
}

void MainWindow::sortCurrentGrid(int buttonIndex)
{
    GridView* grid = m_tabs->currentIndex() == KeyFilePage ? m_gridData : m_keyGrid;
    const core::SortOrder order = buttonIndex == 1 ? core::SortOrder::Descending : core::SortOrder::Ascending;
    int first = 0;
    int last = 0;
    QRect block;
    if (buttonIndex != 2) {
        std::tie(first, last) = grid->selectedColumnRange();
        block = grid->selectedBlock();
        if (first < 0)
            return;
    }
    if (grid == m_gridData)
        m_keyFileModel->sortRows(first, last, order);
    else
        m_keyListModel->sortRows(first, last, order);
    // The selected columns stay selected, so the same sort can be repeated.
    if (block.isValid())
        grid->selectBlock(block.top(), block.left(), block.bottom(), block.right());
    else if (grid->model()->rowCount() > 0)
        grid->setCurrentIndex(grid->model()->index(qMax(0, grid->currentIndex().row()), 0));
}

QString MainWindow::keyFileName() const
{
    return fromLocal(m_locations.keyFileName);
}

void MainWindow::openWithSaveOffer()
{
    if (savedState() == core::SavedState::Modified) {
        const QString name = keyFileName();
        const PromptAnswer answer = m_context.prompts.message(this,
            QStringLiteral(" Save ") + name + QStringLiteral(" now?"),
            name
                + QStringLiteral(" has changed and isn't saved. Do you want to save it  before opening a different key "
                                 "file?"),
            PromptButtons::YesNoCancel, PromptIcon::Question);
        if (answer == PromptAnswer::Cancel)
            return;
        if (answer == PromptAnswer::Yes) {
            saveFileAs();
            if (savedState() == core::SavedState::Modified) {
                m_context.prompts.message(this, QStringLiteral("Hmmm...let me think..."),
                    name
                        + QStringLiteral(" wasn't saved, so I won't continue to load up a new "
                                         "key file just in case you pressed the cancel button "
                                         "by accident."),
                    PromptButtons::Ok, PromptIcon::Exclamation);
                return;
            }
        }
    }
    selectKeyFileToOpen();
}

void MainWindow::saveFileAs()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save file as ...");
    request.filter = QStringLiteral("Key file (*.key)|*.key");
    request.defaultSuffix = QStringLiteral("key");
    request.proposedName = m_tabs->tabText(KeyFilePage);
    if (!m_locations.keyFilePath.empty())
        request.fallbackFolder = QFileInfo(fromLocal(m_locations.keyFilePath)).absolutePath();
    const QString path = m_context.prompts.saveFileName(this, request);
    if (path.isEmpty() || !confirmSaveTarget(m_context.prompts, this, path))
        return;
    saveFile(path);
}

void MainWindow::saveToOwnPath()
{
    const QString path = fromLocal(m_locations.keyFilePath);
    if (savedState() == core::SavedState::NoFile || path.isEmpty()) {
        saveFileAs();
        return;
    }
    if (isReadOnlyFile(path)) {
        refuseReadOnly(m_context.prompts, this, path);
        return;
    }
    saveFile(path);
}

bool MainWindow::saveFile(const QString& path)
{
    setBanner(QStringLiteral("Saving ..."));
    repaintNow();
    io::FileError error;
    // The file is written whole to a temporary file and renamed over the target: a failure leaves the file on
    // disk as it was, and the document keeps the user's edits.
    if (!io::writeFileAtomically(path, m_keyFileModel->document().toBytes(), &error)) {
        setBanner(QStringLiteral("Ready"));
        m_context.prompts.message(this, QStringLiteral("File possibly not saved"),
            QStringLiteral("Looks like there was a problem saving your file. The error raised was %1: %2.")
                    .arg(error.code)
                    .arg(error.reason)
                + QStringLiteral(
                    "\r\nCheck your file with a text editor. Ignore the status bar file saves status graphic."),
            PromptButtons::Ok, PromptIcon::Exclamation);
        return false;
    }
    m_keyFileModel->setSavedState(core::SavedState::Saved);
    // Every view is rebuilt from what was written.
    openKeyFile(path);
    return true;
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
    buildDerivedViews();
    setBanner(QStringLiteral(" Creating text file"));
    repaintNow();
    const QString path = temporaryListPath();
    io::FileError error;
    const bool written = io::writeFileAtomically(path, m_keyListModel->list().toText(), &error);
    setBanner(QStringLiteral("Ready"));
    if (!written) {
        reportSaveProblem(m_context.prompts, this, path);
        return;
    }
    m_context.desktop.openDocument(path);
}

void MainWindow::updateSavedIcon()
{
    const QString name = keyFileName();
    switch (savedState()) {
    case core::SavedState::NoFile:
        m_statusPanels[2]->setPixmap(style()->standardIcon(QStyle::SP_DialogCancelButton).pixmap(16, 16));
        m_statusPanels[2]->setToolTip(QStringLiteral("No file open"));
        break;
    case core::SavedState::Saved:
        m_statusPanels[2]->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(16, 16));
        m_statusPanels[2]->setToolTip(name + QStringLiteral(" is saved"));
        break;
    case core::SavedState::Modified:
        m_statusPanels[2]->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
        m_statusPanels[2]->setToolTip(name + QStringLiteral(" has been modified and isn't saved"));
        break;
    }
}

void MainWindow::setBanner(const QString& text)
{
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
    if (savedState() == core::SavedState::Modified) {
        const QString name = keyFileName();
        const PromptAnswer answer
            = m_context.prompts.message(this, QStringLiteral(" Save ") + name + QStringLiteral(" now?"),
                name + QStringLiteral(" has changed and isn't saved. Do you want to save it before exiting?"),
                PromptButtons::YesNoCancel, PromptIcon::Question);
        if (answer == PromptAnswer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == PromptAnswer::Yes) {
            saveFileAs();
            if (savedState() == core::SavedState::Modified) {
                m_context.prompts.message(this, QStringLiteral("Ooops!"),
                    name + QStringLiteral(" wasn't saved. Exit program aborted."), PromptButtons::Ok,
                    PromptIcon::Exclamation);
                event->ignore();
                return;
            }
        }
    }
    // The settings are written when the window goes; a failure to write them is passed over.
    m_context.settingsFile.save(m_locations);
    event->accept();
}

} // namespace gui
