#include "GridEditing.h"

#include "GridProxy.h"
#include "GridView.h"
#include "KeyAssigner.h"
#include "KeyFileSession.h"
#include "Prompts.h"
#include "core/Binding.h"
#include "core/GenericOrder.h"
#include "core/Joystick.h"
#include "core/KeyCodeTable.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>

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

// The in-cell editor: the whole cell text; what it gives back goes through GridEditing, which checks it.
class CellEditorDelegate final : public QStyledItemDelegate
{
public:
    explicit CellEditorDelegate(GridEditing* editing, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_editing(editing)
    { }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_editing->commitCellText(index.row(), index.column(), line->text());
    }

private:
    GridEditing* m_editing;
};

bool isKeyCell(int column)
{
    return column >= core::KeyColumn && column <= core::ComboModifierColumn;
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

GridEditing::GridEditing(GridView* grid, GridProxy* proxy, KeyFileSession* session, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , m_grid(grid)
    , m_proxy(proxy)
    , m_session(session)
    , m_prompts(prompts)
    , m_assigner(std::make_unique<KeyAssigner>(session))
    , m_menu(new QMenu(QStringLiteral("RHandMouseMenu"), grid))
{
    m_menu->setObjectName(QStringLiteral("mnuRHMmenu"));
    m_paste = m_menu->addAction(QStringLiteral("&Paste"));
    m_paste->setObjectName(QStringLiteral("mnuRHMpaste"));
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuRHMDiv1"));
    m_clear = m_menu->addAction(QStringLiteral("Clear &assignment"));
    m_clear->setObjectName(QStringLiteral("mnuRHMClearAssignment"));
    m_assign = m_menu->addAction(QStringLiteral("A&ssign key..."));
    m_assign->setObjectName(QStringLiteral("mnuRHMassign"));
    m_paste->setEnabled(false);
    connect(m_paste, &QAction::triggered, this, &GridEditing::paste);
    connect(m_clear, &QAction::triggered, this, &GridEditing::clearAssignment);
    connect(m_assign, &QAction::triggered, this, &GridEditing::assignKey);
    grid->setItemDelegate(new CellEditorDelegate(this, grid));
    grid->installEventFilter(this);
    connect(grid, &QAbstractItemView::doubleClicked, this, [this] { editCell(); });
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

GridEditing::~GridEditing() = default;

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

    // Keys held with Control or Alt are the window's shortcuts and menus (Ctrl+Z, Alt+F), not text.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    QString text = m_session->cellText(row, column);
    if (key == Qt::Key_Backspace) {
        text.chop(1);
    } else if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        text += QChar(u'0' + (key - Qt::Key_0));
    } else if (const int digit = digitOfShiftedSymbol(key); digit >= 0 && (modifiers & Qt::ShiftModifier)) {
        text += QChar(u'0' + digit);
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const QChar letter(u'a' + (key - Qt::Key_A));
        text += (modifiers & Qt::ShiftModifier) ? letter.toUpper() : letter;
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
    m_assign->setEnabled(m_assigner->canAssign(documentRow(anchor.row())));
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

bool GridEditing::assignKey()
{
    const QModelIndex anchor = m_grid->anchorIndex();
    if (!anchor.isValid())
        return false;
    const int row = documentRow(anchor.row());
    const bool changed = m_assigner->assignWithDialog(m_prompts, m_grid->window(), row);
    fillBanner();
    return changed;
}

void GridEditing::editCell()
{
    const QModelIndex anchor = m_grid->anchorIndex();
    if (!anchor.isValid())
        return;
    const int row = documentRow(anchor.row());
    if (isKeyCell(anchor.column()) && m_assigner->canAssign(row)) {
        assignKey();
        return;
    }
    if (m_session->document().isEditable(row, anchor.column()))
        m_grid->edit(anchor);
}

bool GridEditing::commitCellText(int viewRow, int column, const QString& text)
{
    const int row = documentRow(viewRow);
    if (!m_session->document().isEditable(row, column))
        return false;
    core::RecordCells after = m_session->document().cells(row);
    after[static_cast<std::size_t>(column)] = m_session->encode(text);
    const std::string refusal = core::cellRefusal(after, column);
    if (!refusal.empty()) {
        m_prompts.message(m_grid->window(), QStringLiteral("Can't put that in the cell"),
            QStringLiteral("Line %1: ").arg(m_session->document().lineNumber(row)) + QString::fromStdString(refusal),
            PromptButtons::Ok, PromptIcon::Information);
        return false;
    }
    m_session->edit({{row, column, text}}, QStringLiteral("Edit"));
    return true;
}

bool GridEditing::eventFilter(QObject* watched, QEvent* event)
{
    // Enter and F2 edit the cell where the selection started (an open editor takes the keys itself).
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QModelIndex anchor = m_grid->anchorIndex();
        const bool enterOnKeys
            = (key == Qt::Key_Return || key == Qt::Key_Enter) && anchor.isValid() && isKeyCell(anchor.column());
        if (key == Qt::Key_F2 || enterOnKeys) {
            editCell();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace gui
