#include "KeyCaptureEdit.h"

#include "core/KeyCodeTable.h"
#include "platform/NativeKeyCodes.h"

#include <QKeyEvent>

namespace gui {

namespace {

int modifierBits(Qt::KeyboardModifiers modifiers)
{
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0)
        | ((modifiers & Qt::AltModifier) ? 4 : 0);
}

} // namespace

KeyCaptureEdit::KeyCaptureEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setPlaceholderText(QStringLiteral("Press a key to find it"));
    setToolTip(QStringLiteral("Press a key, with Shift, Control or Alt if you like, to find the lines bound to it. "
                              "A second key within a second makes a two-stroke combination."));
}

void KeyCaptureEdit::clearCombination()
{
    m_combination.reset();
    m_sinceFirst.invalidate();
    clear();
    emit combinationChanged();
}

void KeyCaptureEdit::show(const QString& text)
{
    setText(text);
    emit combinationChanged();
}

bool KeyCaptureEdit::takeKey(const QKeyEvent& event)
{
    const auto code = platform::directInputCode(event);
    const auto row = code ? core::KeyCodeTable::rowOfScanCode(*code) : std::nullopt;
    if (!row) {
        m_combination.reset();
        m_sinceFirst.invalidate();
        show(code == core::PauseScanCode ? pauseText() : unmappedText());
        return false;
    }
    core::KeyCombination next;
    next.key = *row;
    next.modifier = modifierBits(event.modifiers());
    // A second key soon after a single one is the second stroke of a combination.
    if (m_combination && !m_combination->isTwoStroke() && m_sinceFirst.isValid()
        && m_sinceFirst.elapsed() < SecondStrokeMs) {
        next.firstKey = m_combination->key;
        next.firstModifier = m_combination->modifier;
        m_sinceFirst.invalidate();
    } else {
        m_sinceFirst.start();
    }
    m_combination = next;
    show(QString::fromStdString(next.text()));
    return true;
}

bool KeyCaptureEdit::event(QEvent* event)
{
    // Tab, Enter and the like are keys to capture here, not moves to the next control.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            if (event->type() == QEvent::KeyPress)
                keyPressEvent(key);
            event->accept();
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void KeyCaptureEdit::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (event->isAutoRepeat())
        return;
    const int key = event->key();
    // Shift, Control and Alt are modifiers of the key that follows, not keys of their own here.
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_AltGr)
        return;
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        clearCombination();
        emit escaped();
        return;
    }
    if (key == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier && m_combination) {
        clearCombination();
        return;
    }
    takeKey(*event);
}

} // namespace gui
