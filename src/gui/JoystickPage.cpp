#include "JoystickPage.h"

#include "JoystickModel.h"
#include "KeyFileSession.h"
#include "TabControl.h"
#include "Workers.h"
#include "core/Joystick.h"
#include "core/KeyDocument.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableView>

#include <set>
#include <utility>

namespace gui {

namespace {

const QString kAllDevices = QStringLiteral("All devices");

QSpinBox* settingBox(QWidget* parent, const QString& name, std::int64_t max, const QString& tip)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(1, static_cast<int>(max));
    box->setToolTip(tip);
    box->setMouseTracking(true);
    // Typing "1280" is one change, not four.
    box->setKeyboardTracking(false);
    return box;
}

QLabel* caption(QWidget* parent, const QString& name, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setMouseTracking(true);
    label->setBuddy(buddy);
    return label;
}

} // namespace

JoystickPage::JoystickPage(TabControl* tabs, int pageIndex, KeyFileSession* session, QObject* parent)
    : QObject(parent)
    , m_tabs(tabs)
    , m_page(pageIndex)
    , m_session(session)
    , m_model(new JoystickModel(session, this))
    , m_bar(new QWidget(tabs->page(pageIndex)))
{
    m_bar->setObjectName(QStringLiteral("JoystickBar"));
    m_bar->setMouseTracking(true);
    m_magnitude = settingBox(m_bar, QStringLiteral("SpinShiftMagnitude"), core::JoystickSettings::MaxShiftMagnitude,
        QStringLiteral("What holding the pinky shift adds to a button number (the simulator's "
                       "g_nHotasPinkyShiftMagnitude, 256 unless changed)"));
    m_perDevice = settingBox(m_bar, QStringLiteral("SpinButtonsPerDevice"), core::JoystickSettings::MaxButtonsPerDevice,
        QStringLiteral("How many button numbers each device has (32 by default; some files count 128)"));
    m_device = new QComboBox(m_bar);
    m_device->setObjectName(QStringLiteral("CmbJoystickDevice"));
    m_device->setMouseTracking(true);
    m_device->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_summary = new QLabel(m_bar);
    m_summary->setObjectName(QStringLiteral("LblJoystickSummary"));
    m_summary->setMouseTracking(true);

    auto* layout = new QHBoxLayout(m_bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        caption(m_bar, QStringLiteral("LblShiftMagnitude"), QStringLiteral("&Shift magnitude"), m_magnitude));
    layout->addWidget(m_magnitude);
    layout->addSpacing(12);
    layout->addWidget(
        caption(m_bar, QStringLiteral("LblButtonsPerDevice"), QStringLiteral("&Buttons per device"), m_perDevice));
    layout->addWidget(m_perDevice);
    layout->addSpacing(12);
    layout->addWidget(caption(m_bar, QStringLiteral("LblJoystickDevice"), QStringLiteral("Sho&w"), m_device));
    layout->addWidget(m_device);
    layout->addSpacing(12);
    layout->addWidget(m_summary, 1);

    m_table = new QTableView(tabs->page(pageIndex));
    m_table->setObjectName(QStringLiteral("GridJoystick"));
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setWordWrap(false);
    m_table->setMouseTracking(true);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int widths[JoystickModel::ColumnCount] = {70, 115, 110, 170, 190, 170, 190, 200};
    for (int c = 0; c < JoystickModel::ColumnCount; ++c)
        m_table->setColumnWidth(c, widths[c]);

    showSettings();
    connect(m_magnitude, &QSpinBox::valueChanged, this, &JoystickPage::settingsEdited);
    connect(m_perDevice, &QSpinBox::valueChanged, this, &JoystickPage::settingsEdited);
    connect(m_device, &QComboBox::activated, this,
        [this](int index) { m_model->setDeviceFilter(index <= 0 ? QString() : m_device->itemText(index)); });
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const int row = m_model->documentRow(index);
        if (row >= 0)
            emit rowRequested(row);
    });
    connect(tabs, &TabControl::currentChanged, this, [this](int index) {
        if (index == m_page)
            showPending();
    });
    connect(session, &KeyFileSession::documentReset, this, &JoystickPage::documentChanged);
    connect(session, &KeyFileSession::rowsChanged, this, &JoystickPage::documentChanged);
    connect(session, &KeyFileSession::joystickSettingsChanged, this, [this] {
        showSettings();
        documentChanged();
    });
}

void JoystickPage::resize(int tabWidthTwips, int tabHeightTwips)
{
    if (tabWidthTwips - 240 <= 0 || tabHeightTwips - 1000 <= 0)
        return;
    m_tabs->placeOnPage(m_page, m_bar, 180, 420, tabWidthTwips - 360, 435);
    m_tabs->placeOnPage(m_page, m_table, 120, 960, tabWidthTwips - 240, tabHeightTwips - 1000);
}

JoystickPage::~JoystickPage()
{
    waitForWorkers(this);
}

JoystickModel* JoystickPage::model()
{
    showPending(true);
    finishReading();
    return m_model;
}

QString JoystickPage::summary()
{
    showPending(true);
    finishReading();
    return m_summary->text();
}

void JoystickPage::documentChanged()
{
    m_stale = true;
    if (m_tabs->currentIndex() == m_page)
        showPending();
}

// Lines read on a worker: a copy of the document (its bytes and rows shared, its bindings its own), the settings,
// and the lines.
struct JoystickPage::Reading
{
    core::KeyDocument document;
    core::JoystickSettings settings;
    std::vector<core::JoystickLine> lines;
};

void JoystickPage::showPending(bool now)
{
    if (!m_stale)
        return;
    m_stale = false;
    m_reading.drop(); // lines still being read are of a document or settings that changed
    m_table->unsetCursor();
    const core::KeyDocument& document = m_session->document();
    if (now || document.sourceBytes().size() < m_backgroundBytes) {
        m_model->rebuild();
        showCounts();
        return;
    }
    // A big document's lines take a third of a second and more: read on a worker, the window answering. The
    // table is empty meanwhile: its rows would point at lines that may have gone.
    auto reading = std::make_shared<Reading>();
    reading->document = document;
    reading->settings = m_session->joystickSettings();
    m_model->rebuild({}, {});
    fillDevices();
    m_summary->clear();
    m_table->setCursor(Qt::BusyCursor);
    m_reading.start(
        this, reading, [](Reading& job) { job.lines = core::joystickLines(job.document, job.settings); },
        [this] { finishReading(); });
}

void JoystickPage::finishReading()
{
    const std::shared_ptr<Reading> reading = m_reading.take();
    if (!reading)
        return;
    m_table->unsetCursor();
    m_model->rebuild(std::move(reading->lines), reading->document);
    showCounts();
}

void JoystickPage::showCounts()
{
    fillDevices();
    int buttons = 0;
    int hats = 0;
    int doubles = 0;
    int unplaced = 0;
    std::set<std::int64_t> devices;
    for (const JoystickModel::Line& l : m_model->lines()) {
        if (l.kind == core::RecordKind::Pov) {
            ++hats;
        } else {
            ++buttons;
            if (l.place.isKnown())
                devices.insert(l.place.device);
        }
        unplaced += l.place.isKnown() ? 0 : 1;
        doubles += l.bindings > 1 ? 1 : 0;
    }
    const auto count = [](std::size_t n, const QString& what) {
        return QStringLiteral("%1 %2%3").arg(n).arg(what, n == 1 ? QString() : QStringLiteral("s"));
    };
    QString text = count(std::size_t(buttons), QStringLiteral("button line")) + QStringLiteral(" on ")
        + count(devices.size(), QStringLiteral("device")) + QStringLiteral(", ")
        + count(std::size_t(hats), QStringLiteral("hat line"));
    if (doubles > 0)
        text += QStringLiteral("; ") + count(std::size_t(doubles), QStringLiteral("line"))
            + QStringLiteral(" bind a button twice (red)");
    if (unplaced > 0)
        text += QStringLiteral("; ") + count(std::size_t(unplaced), QStringLiteral("line"))
            + QStringLiteral(" not placed by these settings (?)");
    m_summary->setText(text);
}

void JoystickPage::fillDevices()
{
    const QString current = m_model->deviceFilter();
    m_device->clear();
    m_device->addItem(kAllDevices);
    m_device->addItems(m_model->devices());
    m_device->setCurrentIndex(current.isEmpty() ? 0 : qMax(0, m_device->findText(current)));
}

void JoystickPage::settingsEdited()
{
    core::JoystickSettings settings;
    settings.shiftMagnitude = m_magnitude->value();
    settings.buttonsPerDevice = m_perDevice->value();
    m_session->setJoystickSettings(settings);
}

void JoystickPage::showSettings()
{
    const core::JoystickSettings& settings = m_session->joystickSettings();
    const QSignalBlocker blockMagnitude(m_magnitude);
    const QSignalBlocker blockPerDevice(m_perDevice);
    m_magnitude->setValue(static_cast<int>(settings.shiftMagnitude));
    m_perDevice->setValue(static_cast<int>(settings.buttonsPerDevice));
}

} // namespace gui
