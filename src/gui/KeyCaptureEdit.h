#pragma once

#include "core/KeyCombination.h"

#include <QElapsedTimer>
#include <QLineEdit>

#include <optional>

namespace gui {

/**
 * A field that takes a key press instead of text: a key with any of Shift, Control and Alt, and, pressed within a
 * second after it, a second key, which makes a two-stroke combination. Keys are read by their place on the
 * keyboard (the platform's scan code), as key files name them. The field shows the combination in words, or why a
 * key cannot be used. Backspace empties a field that holds a combination; Esc empties it and gives the focus back
 * (with a modifier both are keys like any other).
 */
class KeyCaptureEdit final : public QLineEdit
{
    Q_OBJECT

public:
    /** A second key within this many milliseconds of the first makes a two-stroke combination. */
    static constexpr int SecondStrokeMs = 1000;

    explicit KeyCaptureEdit(QWidget* parent = nullptr);

    const std::optional<core::KeyCombination>& combination() const { return m_combination; }
    void clearCombination();
    /** Takes a key event as if it had been pressed in the field; true when it was a key of the table. */
    bool takeKey(const QKeyEvent& event);

    static QString unmappedText() { return QStringLiteral("this key has no code in key files"); }
    static QString pauseText() { return QStringLiteral("the Pause key stops the simulator; it cannot be bound"); }

signals:
    /** The combination changed (nothing when the field was emptied or the key cannot be used). */
    void combinationChanged();
    /** Esc: the user is done with the field. */
    void escaped();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void show(const QString& text);

    std::optional<core::KeyCombination> m_combination;
    QElapsedTimer m_sinceFirst;
};

} // namespace gui
