#include "GridEditing.h"

#include "GridProxy.h"
#include "GridView.h"
#include "KeyFileSession.h"
#include "core/GenericOrder.h"
#include "core/Joystick.h"
#include "core/KeyCodeTable.h"

#include <QMenu>

#include <cmath>

namespace gui {

namespace {

// Shifted digits of a US keyboard, for platforms that report the symbol rather than the digit key.
int digitOfShiftedSymbol(int key)
{
    switch (key) {
    case Qt::Key_Exclam:
        return 1;
    case Qt::Key_At:
        return 2;
    case Qt::Key_NumberSign:
        return 3;
    case Qt::Key_Dollar:
        return 4;
    case Qt::Key_Percent:
        return 5;
    case Qt::Key_AsciiCircum:
        return 6;
    case Qt::Key_Ampersand:
        return 7;
    case Qt::Key_Asterisk:
        return 8;
    case Qt::Key_ParenLeft:
        return 9;
    case Qt::Key_ParenRight:
        return 0;
    default:
        return -1;
    }
}

} // namespace

bool ignoredCellAllowsMenu(const QString& text)
{
    const auto value = core::readNumber(text.toStdString());
    if (!value)
        return false;
    // Halves round to even, as the old grid's conversion did.
    const double rounded = std::nearbyint(*value);
    return rounded >= 0 && rounded <= 32767;
}

namespace {

// Columns 2 to 7 of a DirectX or POV line are its button or hat, invocation and release or direction.
bool isJoystickCell(const core::KeyDocument& document, int row, int column)
{
    if (column < core::CockpitIdColumn || column > core::ComboModifierColumn || document.isComment(row))
        return false;
    const core::RecordKind kind = document.binding(row).kind;
    return kind == core::RecordKind::DirectX || kind == core::RecordKind::Pov;
}

} // namespace

GridEditing::GridEditing(GridView* grid, GridProxy* proxy, KeyFileSession* session, QObject* parent)
    : QObject(parent)
    , m_grid(grid)
    , m_proxy(proxy)
    , m_session(session)
    , m_menu(new QMenu(QStringLiteral("RHandMouseMenu"), grid))
{
    m_menu->setObjectName(QStringLiteral("mnuRHMmenu"));
    m_paste = m_menu->addAction(QStringLiteral("&Paste"));
    m_paste->setObjectName(QStringLiteral("mnuRHMpaste"));
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuRHMDiv1"));
    m_clear = m_menu->addAction(QStringLiteral("Clear &assignment"));
    m_clear->setObjectName(QStringLiteral("mnuRHMClearAssignment"));
    m_paste->setEnabled(false);
    connect(m_paste, &QAction::triggered, this, &GridEditing::paste);
    connect(m_clear, &QAction::triggered, this, &GridEditing::clearAssignment);
    connect(grid, &GridView::keyReleased, this, &GridEditing::typeKey);
    connect(grid, &GridView::mousePressed, this, [this](Qt::MouseButton button) {
        if (button != Qt::RightButton)
            fillBanner();
    });
    connect(grid, &GridView::mouseReleased, this, [this](Qt::MouseButton button, QPoint position) {
        if (button == Qt::RightButton)
            popupMenu(position);
    });
}

void GridEditing::setPasteKey(const QString& keyCode, int modifier)
{
    m_pasteKeyCode = keyCode;
    m_pasteModifier = modifier;
}

int GridEditing::documentRow(int viewRow) const
{
    return m_proxy->mapToSource(m_proxy->index(viewRow, 0)).row();
}

bool GridEditing::typeKey(int key, Qt::KeyboardModifiers modifiers)
{
    const QRect block = m_grid->selectedBlock();
    if (!block.isValid() || block.width() != 1 || block.height() != 1)
        return false;
    const int row = documentRow(block.top());
    const int column = block.left();
    if (!m_session->document().isEditable(row, column))
        return false;

    QString text = m_session->cellText(row, column);
    const Qt::KeyboardModifiers shiftState = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Backspace) {
        text.chop(1);
    } else if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        text += QChar(u'0' + (key - Qt::Key_0));
    } else if (const int digit = digitOfShiftedSymbol(key); digit >= 0 && (modifiers & Qt::ShiftModifier)) {
        text += QChar(u'0' + digit);
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const QChar letter(u'a' + (key - Qt::Key_A));
        // Upper case only with Shift alone; Control or Alt, with or without Shift, type lower case.
        text += shiftState == Qt::ShiftModifier ? letter.toUpper() : letter;
    } else {
        return false;
    }
    m_session->edit({{row, column, text}}, QStringLiteral("Typing"), true);
    return true;
}

bool GridEditing::popupMenu(QPoint globalPosition)
{
    const QModelIndex anchor = m_grid->anchorIndex();
    if (!anchor.isValid() || anchor.column() < 4 || anchor.column() > 7)
        return false;
    if (!ignoredCellAllowsMenu(m_session->cellText(documentRow(anchor.row()), core::IgnoredColumn)))
        return false;
    m_paste->setEnabled(!m_pasteKeyCode.isEmpty());
    m_menu->popup(globalPosition);
    return true;
}

void GridEditing::paste()
{
    applyToBlock(true);
}

void GridEditing::clearAssignment()
{
    applyToBlock(false);
}

void GridEditing::applyToBlock(bool pasting)
{
    const QRect block = m_grid->selectedBlock();
    if (!block.isValid())
        return;
    const int c1 = qMax(block.left(), 4);
    const int c2 = qMin(block.right(), 7);
    QList<CellEdit> edits;
    for (const int row : m_proxy->sourceRows(block.top(), block.bottom())) {
        for (int c = c1; c <= c2; ++c) {
            const bool keyColumn = c == 4 || c == 6;
            QString text;
            if (pasting)
                text = keyColumn ? m_pasteKeyCode : QString::number(m_pasteModifier);
            else
                text = c == 4 ? QStringLiteral("0XFFFFFFFF") : QStringLiteral("0");
            edits.append({row, c, text});
        }
    }
    m_session->edit(edits, pasting ? QStringLiteral("Paste") : QStringLiteral("Clear assignment"));
    fillBanner();
}

QString GridEditing::bannerTextForCurrentCell() const
{
    const QModelIndex current = m_grid->anchorIndex();
    if (!current.isValid())
        return {};
    const int c = current.column();
    const int row = documentRow(current.row());
    if (isJoystickCell(m_session->document(), row, c)) {
        return m_session->decode(core::joystickBannerText(m_session->document(), row, m_session->joystickSettings()));
    }
    const QString cell = m_session->cellText(row, c);
    if (cell.isEmpty())
        return {};
    if (c == 4 || c == 6)
        return QString::fromStdString(core::lookupKeyName(cell.toStdString()));
    if (c == 5 || c == 7) {
        const auto value = core::readWholeNumber(cell.toStdString());
        return QString::fromStdString(value ? core::modifierText(*value) : std::string("???"));
    }
    return {};
}

void GridEditing::fillBanner()
{
    const QModelIndex current = m_grid->anchorIndex();
    if (!current.isValid())
        return;
    const int c = current.column();
    const int row = documentRow(current.row());
    // A DirectX or POV line names its button; the keys and modifiers of other lines are named when there is one.
    const bool joystick = isJoystickCell(m_session->document(), row, c);
    if (!joystick && (c < 4 || c > 7 || m_session->cellText(row, c).isEmpty()))
        return;
    emit bannerText(bannerTextForCurrentCell());
}

} // namespace gui
