#include "GridEditing.h"

#include "GridView.h"
#include "KeyFileModel.h"
#include "core/GenericOrder.h"
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

GridEditing::GridEditing(GridView* grid, KeyFileModel* model, QObject* parent)
    : QObject(parent)
    , m_grid(grid)
    , m_model(model)
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

bool GridEditing::typeKey(int key, Qt::KeyboardModifiers modifiers)
{
    const QRect block = m_grid->selectedBlock();
    if (!block.isValid() || block.width() != 1 || block.height() != 1)
        return false;
    const int row = block.top();
    const int column = block.left();
    if (!m_model->document().isEditable(row, column))
        return false;

    QString text = m_model->cellText(row, column);
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
    m_model->setCellText(row, column, text);
    m_model->markModified();
    return true;
}

bool GridEditing::popupMenu(QPoint globalPosition)
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid() || current.column() < 4 || current.column() > 7)
        return false;
    if (!ignoredCellAllowsMenu(m_model->cellText(current.row(), 3)))
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
    const int r1 = qMax(block.top(), 0);
    const int r2 = qMin(block.bottom(), m_model->rowCount() - 1);
    for (int c = c1; c <= c2; ++c) {
        for (int r = r1; r <= r2; ++r) {
            const bool keyColumn = c == 4 || c == 6;
            QString text;
            if (pasting)
                text = keyColumn ? m_pasteKeyCode : QString::number(m_pasteModifier);
            else
                text = c == 4 ? QStringLiteral("0XFFFFFFFF") : QStringLiteral("0");
            m_model->setCellText(r, c, text);
        }
    }
    m_model->markModified();
    fillBanner();
}

QString GridEditing::bannerTextForCurrentCell() const
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return {};
    const int c = current.column();
    const QString cell = m_model->cellText(current.row(), c);
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
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    const int c = current.column();
    if (c < 4 || c > 7 || m_model->cellText(current.row(), c).isEmpty())
        return;
    emit bannerText(bannerTextForCurrentCell());
}

} // namespace gui
