#include "KeyboardPage.h"

#include "KeyFileSession.h"
#include "Twips.h"
#include "core/Binding.h"
#include "core/KeyCodeTable.h"
#include "print/KeyboardLayout.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTextEdit>

namespace gui {

namespace {

constexpr int StandardTabWidth = 14880;
constexpr int StandardTabHeight = 8880;
constexpr double DefaultPoints = 8.25;
constexpr int ProblemsInToolTip = 5;
constexpr int LayerItemRole = Qt::UserRole + 1; // the modifier value of a list item

QLabel* captionLabel(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setMouseTracking(true);
    return label;
}

// A read-out: bold on the window colour.
QLabel* readOut(const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setAutoFillBackground(true);
    label->setBackgroundRole(QPalette::Base);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

} // namespace

QString keyboardInstructionsHtml(double points)
{
    const QString number = QStringLiteral("<span style=\"color:#0000ff\">%1</span> ");
    return QStringLiteral("<div style=\"font-family:Arial; font-size:%1pt\">").arg(points)
        + QStringLiteral("<p><b>Instructions</b></p><p>") + number.arg(QStringLiteral("1.)"))
        + QStringLiteral("Move your mouse over the virtual keyboard to display the associated key code, and "
                         "assigned simulator function.</p><p>")
        + number.arg(QStringLiteral("2.)"))
        + QStringLiteral("If you click on one of the virtual keys, this will copy its key code and modifier, so you "
                         "can paste these into the appropriate cells in the main key file (the first tab). Note that "
                         "if you want to paste both the key code and the modifier, you must select both "
                         "<i>adjacent</i> columns to paste into.</p><p>")
        + number.arg(QStringLiteral("3.)"))
        + QStringLiteral("And yes, now that you mention it, this is here because I'm too lazy to develop an "
                         "appropriate help file!</p></div>");
}

KeyLabel::KeyLabel(const QString& caption, int index, QWidget* parent)
    : QWidget(parent)
    , m_caption(caption)
    , m_index(index)
{
    setObjectName(QStringLiteral("LBLkey_%1").arg(index));
    setMouseTracking(true);
}

void KeyLabel::setBackground(const QColor& colour)
{
    if (m_background == colour)
        return;
    m_background = colour;
    update();
}

void KeyLabel::setMarked(bool marked)
{
    if (m_marked == marked)
        return;
    m_marked = marked;
    update();
}

void KeyLabel::showUse(const QColor& colour, int lines)
{
    setBackground(colour);
    const QString use = lines == 0 ? QStringLiteral("free")
        : lines == 1               ? QStringLiteral("assigned once")
        : lines == 2               ? QStringLiteral("assigned twice")
                                   : QStringLiteral("assigned %1 times").arg(lines);
    setAccessibleName(m_caption.trimmed() + QStringLiteral(", ") + use);
}

void KeyLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background.isValid() ? m_background : palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // On a coloured key the caption is black, whatever the palette: light text on green or red would not read.
    painter.setPen(m_background.isValid() && isEnabled()
            ? QColor(Qt::black)
            : palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.setFont(font());
    // The tall keypad keys carry their caption in the lower half, as the leading spaces of the caption ask.
    QRect textRect = rect().adjusted(1, 1, -1, -1);
    if (m_caption.startsWith(QLatin1Char(' ')) && height() > width())
        textRect.setTop(textRect.center().y());
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, m_caption.trimmed());
    if (!m_marked)
        return;
    // An outline inside the border and a round "!" badge in the top right corner, seen on every background.
    const int pen = qMax(2, qMin(width(), height()) / 10);
    painter.setPen(QPen(KeyboardPage::ProblemMarkColour, pen));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(pen / 2.0, pen / 2.0, -pen / 2.0, -pen / 2.0));
    const int badge = qMax(7, qMin(width(), height()) * 2 / 5);
    const QRect badgeRect(width() - badge, 0, badge, badge);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(KeyboardPage::ProblemMarkColour);
    painter.drawEllipse(badgeRect);
    QFont badgeFont = font();
    badgeFont.setBold(true);
    badgeFont.setPixelSize(qMax(6, badge - 3));
    painter.setFont(badgeFont);
    painter.setPen(Qt::white);
    painter.drawText(badgeRect, Qt::AlignCenter, QStringLiteral("!"));
}

void KeyLabel::mouseMoveEvent(QMouseEvent* event)
{
    // Taken here: the page beneath must not see it as a move over its own surface.
    event->accept();
    emit hovered(m_index);
}

void KeyLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit released(m_index);
}

KeyboardPage::KeyboardPage(KeyFileSession* session, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
{
    connect(session, &KeyFileSession::documentReset, this, [this] {
        resetForOpening();
        documentChanged();
    });
    connect(session, &KeyFileSession::rowsChanged, this, &KeyboardPage::documentChanged);
    connect(session, &KeyFileSession::problemsChecked, this, &KeyboardPage::documentChanged);
    setObjectName(QStringLiteral("KeyboardPage"));
    setMouseTracking(true);
    for (int f = 0; f < 2; ++f) {
        m_frames[f] = new QFrame(this);
        m_frames[f]->setObjectName(QStringLiteral("Frame%1").arg(f + 1));
        m_frames[f]->setFrameShape(QFrame::Box);
        m_frames[f]->setFrameShadow(QFrame::Sunken);
        m_frames[f]->setMouseTracking(true);
        place(m_frames[f], f == 0 ? print::Frame1Twips : print::Frame2Twips);
    }
    for (const print::KeyLabelSpec& spec : print::keyboardLayout()) {
        auto* key = new KeyLabel(spec.caption, spec.index, m_frames[spec.frame - 1]);
        key->setEnabled(!spec.disabled);
        m_keys.insert(spec.index, key);
        m_keyList.append(key);
        m_placed.append({key, spec.twips, spec.fontPoints});
        connect(key, &KeyLabel::hovered, this, &KeyboardPage::onHover);
        connect(key, &KeyLabel::released, this, &KeyboardPage::onRelease);
    }

    const char* const modifierNames[] = {"Shift", "Control", "Alt"};
    const QRect modifierPlaces[] = {{180, 3780, 675, 315}, {1140, 3780, 915, 315}, {2220, 3780, 675, 315}};
    for (int i = 0; i < 3; ++i) {
        m_modifiers[i] = new QCheckBox(QString::fromLatin1(modifierNames[i]), this);
        m_modifiers[i]->setObjectName(QStringLiteral("ChkModifier_%1").arg(i));
        place(m_modifiers[i], modifierPlaces[i]);
        connect(m_modifiers[i], &QCheckBox::clicked, this, [this] { colourKeyLabels(); });
    }

    const int legendLefts[] = {3840, 5280, 6540};
    const int legendTextLefts[] = {4320, 5760, 7020};
    const char* const legendTexts[] = {"Unassigned", "Assigned", "Assigned more than once"};
    const QColor legendColours[] = {palette().color(QPalette::Button), AssignedColour, MultipleColour};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLabel(this);
        box->setObjectName(QStringLiteral("Label5_%1").arg(i));
        box->setFrameShape(QFrame::Box);
        box->setAutoFillBackground(true);
        box->setMouseTracking(true);
        QPalette boxPalette = box->palette();
        boxPalette.setColor(QPalette::Window, legendColours[i]);
        box->setPalette(boxPalette);
        place(box, QRect(legendLefts[i], 3780, 375, 375));
        place(captionLabel(QString::fromLatin1(legendTexts[i]), QStringLiteral("Label4_%1").arg(i + 1), this),
            QRect(legendTextLefts[i], 3855, 2000, 255));
    }

    place(captionLabel(QStringLiteral("Keycode:"), QStringLiteral("Label4_0"), this), QRect(240, 4320, 900, 255));
    place(captionLabel(QStringLiteral("Sim Name:"), QStringLiteral("Label4_11"), this), QRect(180, 4680, 960, 255));
    place(captionLabel(QStringLiteral("Description:"), QStringLiteral("Label4_12"), this), QRect(180, 5040, 960, 255));
    m_keyCode = readOut(QStringLiteral("Label3"), this);
    place(m_keyCode, QRect(1140, 4320, 4980, 255));
    m_simName = readOut(QStringLiteral("Label7"), this);
    place(m_simName, QRect(1140, 4680, 4980, 255));
    m_description = readOut(QStringLiteral("Label8"), this);
    place(m_description, QRect(1140, 5040, 5040, 255));

    const char* const pasteCaptions[] = {"Keycode for paste:", "Modifier for paste:", "Associated key:"};
    for (int i = 0; i < 3; ++i) {
        const int top = 4320 + 360 * i;
        place(captionLabel(QString::fromLatin1(pasteCaptions[i]), QStringLiteral("Label4_%1").arg(7 + i), this),
            QRect(6240, top, 1500, 255));
        m_paste[i] = new QLabel(QStringLiteral("None"), this);
        m_paste[i]->setObjectName(QStringLiteral("Label6_%1").arg(i));
        place(m_paste[i], QRect(7740, top, 1500, 255));
    }

    // Every modifier combination at once, beside the keyboard: what the marks mean, then the list.
    auto* sample = new KeyLabel(QStringLiteral("a"), -1, this);
    sample->setObjectName(QStringLiteral("LabelProblemMark"));
    sample->setBackground(MultipleColour);
    sample->setMarked(true);
    place(sample, QRect(9480, 480, 375, 375));
    place(captionLabel(
              QStringLiteral("Involved in a problem with the ticked modifiers"), QStringLiteral("Label4_13"), this),
        QRect(9960, 540, 4700, 255));
    place(captionLabel(QStringLiteral("Problems and red keys, every modifier combination (click to tick):"),
              QStringLiteral("Label4_14"), this),
        QRect(9480, 1020, 5200, 255));
    m_layers = new QListWidget(this);
    m_layers->setObjectName(QStringLiteral("ListLayers"));
    m_layers->setWordWrap(true);
    // Each wrapped item is measured by laying out its text: a file with hundreds of red keys is laid out a batch
    // at a time while the page already answers, not all before it is first shown.
    m_layers->setLayoutMode(QListView::Batched);
    m_layers->setBatchSize(64);
    m_layers->setMouseTracking(true);
    place(m_layers, QRect(9480, 1320, 5160, 7215));
    connect(m_layers, &QListWidget::itemClicked, this,
        [this](QListWidgetItem* item) { setModifierValue(item->data(LayerItemRole).toInt()); });

    m_instructions = new QTextEdit(this);
    m_instructions->setObjectName(QStringLiteral("RichTextBox1"));
    m_instructions->setHtml(keyboardInstructionsHtml(10));
    place(m_instructions, QRect(120, 5400, 9135, 3135));
    clearLabels();
}

void KeyboardPage::place(QWidget* widget, QRect twips, double fontPoints)
{
    m_placed.append({widget, twips, fontPoints});
}

void KeyboardPage::layoutFor(int tabWidthTwips, int tabHeightTwips, QPoint origin)
{
    const double scale
        = qMax(0.25, qMin(double(tabWidthTwips) / StandardTabWidth, double(tabHeightTwips) / StandardTabHeight));
    const auto scaled = [scale](int twipsValue) { return int(std::lround(twipsValue * scale / TwipsPerPixel)); };
    setGeometry(0, 0, qMax(0, px(tabWidthTwips)), qMax(0, px(tabHeightTwips) + origin.y()));
    for (const Placed& placed : m_placed) {
        const bool inFrame = placed.widget->parentWidget() != this;
        const QPoint offset = inFrame ? QPoint() : origin;
        placed.widget->setGeometry(QRect(scaled(placed.twips.x()) + offset.x(), scaled(placed.twips.y()) + offset.y(),
            scaled(placed.twips.width()), scaled(placed.twips.height())));
        QFont font = placed.widget->font();
        font.setPointSizeF((placed.fontPoints > 0 ? placed.fontPoints : DefaultPoints) * scale);
        if (placed.widget != m_instructions)
            placed.widget->setFont(font);
        // Caption labels take the width their text needs in today's fonts.
        if (auto* label = qobject_cast<QLabel*>(placed.widget);
            label && label->objectName().startsWith(QLatin1String("Label4_")))
            label->resize(qMax(label->width(), label->sizeHint().width()), label->height());
    }
    // The read-outs of the key under the pointer start after the widest of their captions, which today's fonts may
    // have grown into them.
    int captionsRight = 0;
    for (const char* name : {"Label4_0", "Label4_11", "Label4_12"}) {
        if (const auto* caption = findChild<QLabel*>(QLatin1String(name)))
            captionsRight = qMax(captionsRight, caption->geometry().right() + 4);
    }
    for (QLabel* readOut : {m_keyCode, m_simName, m_description}) {
        if (readOut->x() < captionsRight)
            readOut->setGeometry(
                captionsRight, readOut->y(), readOut->geometry().right() - captionsRight + 1, readOut->height());
    }
    // A copied-key label starts after its caption when the caption has grown into it.
    for (int i = 0; i < 3; ++i) {
        const auto* caption = findChild<QLabel*>(QStringLiteral("Label4_%1").arg(7 + i));
        if (caption && caption->geometry().right() + 4 > m_paste[i]->x())
            m_paste[i]->move(caption->geometry().right() + 4, m_paste[i]->y());
    }
    const int iconSide = m_layers->fontMetrics().height();
    m_layers->setIconSize(QSize(iconSide, iconSide));
    if (scale != m_scale) {
        m_scale = scale;
        m_instructions->setHtml(keyboardInstructionsHtml(10 * scale));
    }
}

int KeyboardPage::modifierValue() const
{
    return (m_modifiers[0]->isChecked() ? 1 : 0) + (m_modifiers[1]->isChecked() ? 2 : 0)
        + (m_modifiers[2]->isChecked() ? 4 : 0);
}

void KeyboardPage::clearLabels()
{
    for (KeyLabel* key : m_keyList) {
        key->setBackground(QColor());
        key->setMarked(false);
    }
}

void KeyboardPage::setModifierValue(int modifier)
{
    for (int i = 0; i < 3; ++i)
        m_modifiers[i]->setChecked((modifier >> i) & 1);
    colourKeyLabels();
}

void KeyboardPage::documentChanged()
{
    m_stale = true;
    m_problemsStale = true;
    if (isVisible())
        colourKeyLabels();
}

void KeyboardPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        colourKeyLabels();
}

void KeyboardPage::collectProblemKeys()
{
    m_problemsStale = false;
    for (auto& keys : m_problemKeys)
        keys.clear();
    const core::KeyDocument& document = m_session->document();
    for (const core::Problem* problem : m_session->problems().list()) {
        // The lines of one problem share its key and modifiers (a conflict is one key, modifiers and combination),
        // so the first key line among them tells which key to mark: its own line first, which needs no search.
        const auto mark = [&](int row) {
            if (row < 0 || row >= document.rowCount())
                return false;
            const core::Binding& b = document.binding(row);
            if (!b.isKey() || !b.key.isTableKey() || !b.modifier.isValid())
                return false;
            QStringList& texts = m_problemKeys[static_cast<std::size_t>(b.modifier.value)][b.key.tableRow];
            const QString text = m_session->decode(problem->text);
            if (texts.size() <= ProblemsInToolTip && !texts.contains(text))
                texts << text;
            return true;
        };
        if (mark(problem->row))
            continue;
        for (const int line : problem->lines) {
            const int row = document.rowAtLine(line);
            if (row < document.rowCount() && document.lineNumber(row) == line && mark(row))
                break;
        }
    }
    fillLayersList();
}

void KeyboardPage::fillLayersList()
{
    m_layers->clear();
    const auto keyWords = [](int modifier, int tableRow) -> QString {
        QString words = QString::fromStdString(core::modifierText(modifier));
        if (!words.isEmpty())
            words += QLatin1Char(' ');
        return words
            + QString::fromLatin1(core::KeyCodeTable::row(tableRow).keyName.data(),
                qsizetype(core::KeyCodeTable::row(tableRow).keyName.size()));
    };
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const auto& usage = m_session->keyboardUsage();
    QList<QListWidgetItem*> quiet;
    for (int modifier = 0; modifier < core::KeyboardUsage::ModifierCount; ++modifier) {
        for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
            const auto problem = m_problemKeys[static_cast<std::size_t>(modifier)].constFind(row);
            const bool red = usage[static_cast<std::size_t>(modifier)].forTableRow(row).use == core::KeyUse::Multiple;
            if (problem == m_problemKeys[static_cast<std::size_t>(modifier)].constEnd() && !red)
                continue;
            const QString key = keyWords(modifier, row);
            auto* item = new QListWidgetItem;
            item->setData(LayerItemRole, modifier);
            if (problem != m_problemKeys[static_cast<std::size_t>(modifier)].constEnd()) {
                const QString& first = problem->first();
                item->setText(
                    first.startsWith(key + QLatin1Char(' ')) ? first : QString(key + QStringLiteral(": ") + first));
                item->setIcon(warning);
                item->setToolTip(problem->join(QLatin1Char('\n')));
                m_layers->addItem(item);
            } else {
                item->setText(key + QStringLiteral(": red, not a conflict (reference, hidden or one function)"));
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                quiet << item;
            }
        }
    }
    for (QListWidgetItem* item : quiet)
        m_layers->addItem(item);
    if (m_layers->count() == 0)
        m_layers->addItem(QStringLiteral("No key is red or involved in a problem with any modifiers."));
}

void KeyboardPage::colourKeyLabels()
{
    m_stale = false;
    if (m_problemsStale)
        collectProblemKeys();
    const int modifier = modifierValue();
    const core::KeyboardUsage& usage = m_session->keyboardUsage()[static_cast<std::size_t>(modifier)];
    for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
        KeyLabel* key = m_keys.value(core::KeyCodeTable::row(row).labelIndex);
        if (!key || !key->isEnabled())
            continue;
        const core::KeyUsage& use = usage.forTableRow(row);
        const QColor colour = use.use == core::KeyUse::Free ? QColor()
            : use.use == core::KeyUse::Assigned             ? AssignedColour
                                                            : MultipleColour;
        key->showUse(colour, static_cast<int>(use.count));
        const bool marked = m_problemKeys[static_cast<std::size_t>(modifier)].contains(row);
        key->setMarked(marked);
        if (marked)
            key->setAccessibleName(key->accessibleName() + QStringLiteral(", involved in a problem"));
    }
}

void KeyboardPage::resetForOpening()
{
    for (QCheckBox* box : m_modifiers)
        box->setChecked(false);
    m_keyCode->clear();
    clearLabels();
    for (QLabel* label : m_paste)
        label->clear();
    clearReadOuts();
}

void KeyboardPage::clearReadOuts()
{
    m_keyCode->clear();
    m_simName->clear();
    m_description->clear();
}

void KeyboardPage::onHover(int index)
{
    const auto row = core::KeyCodeTable::rowOfLabel(index);
    if (!row)
        return;
    const int modifier = modifierValue();
    const core::KeyboardUsage& usage = m_session->keyboardUsage()[static_cast<std::size_t>(modifier)];
    const auto answer = core::hoverAnswer(m_session->document(), usage, *row, modifier);
    m_keyCode->setText(QString::fromStdString(answer.scanCodeText));
    KeyLabel* key = m_keys.value(index);
    if (!answer.assigned) {
        m_simName->clear();
        m_description->clear();
        key->setToolTip(QString());
        return;
    }
    if (answer.matched) {
        m_simName->setText(m_session->decode(answer.simName));
        m_description->setText(m_session->decode(answer.description));
    }
    // The tool tip lists the functions that use the key with the ticked modifiers; a key used by thousands of
    // lines names the first few and counts the rest.
    const core::KeyUsage& use = usage.forTableRow(*row);
    static_assert(KeyFileSession::UsageRowsKept >= std::size_t(ToolTipFunctions));
    QStringList functions;
    for (std::size_t i = 0; i < use.rows.size() && i < std::size_t(ToolTipFunctions); ++i)
        functions << m_session->cellText(use.rows[i], core::SimNameColumn);
    if (use.count > std::size_t(ToolTipFunctions))
        functions << QStringLiteral("and %1 more").arg(use.count - std::size_t(ToolTipFunctions));
    const QStringList problems = m_problemKeys[static_cast<std::size_t>(modifier)].value(*row);
    if (!problems.isEmpty())
        functions << QString() << QStringLiteral("Problems:") << problems.mid(0, ProblemsInToolTip);
    key->setToolTip(functions.join(QLatin1Char('\n')));
}

void KeyboardPage::onRelease(int index)
{
    Q_UNUSED(index);
    // The key under the pointer is the one the hover has just written into the read-out.
    const QString code = m_keyCode->text();
    const int modifier = modifierValue();
    m_paste[0]->setText(code);
    m_paste[1]->setText(QString::number(modifier));
    m_paste[2]->setText(QString::fromStdString(core::modifierText(modifier)) + QLatin1Char(' ')
        + QString::fromStdString(core::lookupKeyName(code.toStdString())));
    emit keyCopied(code, modifier);
}

void KeyboardPage::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    // Moves that a control on the page passed on are not moves over the page itself.
    if (!childAt(event->position().toPoint()))
        emit surfaceHovered();
}

} // namespace gui
