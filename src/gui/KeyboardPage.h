#pragma once

#include "core/KeyboardUsage.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QTextEdit;

namespace gui {

class KeyFileSession;

/** One key of the virtual keyboard: a bordered, centred caption on a background that shows the key's use. */
class KeyLabel final : public QWidget
{
    Q_OBJECT

public:
    KeyLabel(const QString& caption, int index, QWidget* parent);

    int index() const { return m_index; }
    const QString& caption() const { return m_caption; }
    /** The background; an invalid colour is the desktop's button face. */
    QColor background() const { return m_background; }
    void setBackground(const QColor& colour);
    /** The background for a use of the key, and its accessible name: "F1, free", "F1, assigned twice". */
    void showUse(const QColor& colour, int lines);
    /** The mark of a key involved in a problem: an outline and a badge over any background. */
    bool isMarked() const { return m_marked; }
    void setMarked(bool marked);

signals:
    void hovered(int index);
    void released(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_caption;
    int m_index;
    QColor m_background;
    bool m_marked = false;
};

/**
 * The "Locate spare keys" page: 104 key labels coloured by the engine's keyboard usage for the ticked modifiers,
 * the read-outs of the key under the pointer, the key copied by a click, and the instructions. It grows with the
 * window and keeps its proportions; at the standard window size every control stands at its place in twips.
 */
class KeyboardPage final : public QWidget
{
    Q_OBJECT

public:
    static inline const QColor AssignedColour{0, 255, 0};
    static inline const QColor MultipleColour{255, 0, 0};
    static inline const QColor ProblemMarkColour{24, 24, 150};

    /** A key's tool tip names at most this many functions. */
    static constexpr int ToolTipFunctions = 20;

    KeyboardPage(KeyFileSession* session, QWidget* parent);

    /** Every key back to the unassigned colour. */
    void clearLabels();
    /** Colours the keys from the document as it is now, for the ticked modifiers. */
    void colourKeyLabels();
    /** What opening a file resets: boxes, colours, read-outs and the copied key's labels. */
    void resetForOpening();
    /** Empties the read-outs of the key under the pointer. */
    void clearReadOuts();
    int modifierValue() const;

    KeyLabel* keyLabel(int index) const { return m_keys.value(index); }
    const QList<KeyLabel*>& keyLabels() const { return m_keyList; }
    /** Every modifier combination at once: the keys involved in a problem, then the keys that are red without
     *  one; a click ticks the item's modifiers. */
    QListWidget* layersList() const { return m_layers; }
    void setModifierValue(int modifier);

    /** Lays the page out for a tab control of the given size in twips; `origin` is the page's place in it. */
    void layoutFor(int tabWidthTwips, int tabHeightTwips, QPoint origin);

signals:
    /** A key was clicked: its scan-code text and the ticked modifiers, for pasting into the grid. */
    void keyCopied(const QString& keyCode, int modifier);
    /** The pointer moved over the page's own surface, not over a control on it. */
    void surfaceHovered();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    /** The document changed: recoloured now when on screen, otherwise when next shown. */
    void documentChanged();

    /** The problems' keys and texts for every modifier value, and the list of every combination. */
    void collectProblemKeys();
    void fillLayersList();
    void onHover(int index);
    void onRelease(int index);
    void place(QWidget* widget, QRect twips, double fontPoints = 0);

    struct Placed
    {
        QWidget* widget;
        QRect twips; // in the tab control, or in its frame for key labels
        double fontPoints;
    };

    KeyFileSession* m_session;
    bool m_stale = false;
    bool m_problemsStale = true;
    // Per modifier value: the table rows of keys involved in a problem, and its texts.
    std::array<QHash<int, QStringList>, 8> m_problemKeys;
    QListWidget* m_layers = nullptr;
    QFrame* m_frames[2] = {};
    QHash<int, KeyLabel*> m_keys;
    QList<KeyLabel*> m_keyList;
    QCheckBox* m_modifiers[3] = {};
    QLabel* m_keyCode = nullptr; // Label3
    QLabel* m_simName = nullptr; // Label7
    QLabel* m_description = nullptr; // Label8
    QLabel* m_paste[3] = {}; // Label6(0..2)
    QTextEdit* m_instructions = nullptr;
    QList<Placed> m_placed;
    double m_scale = 1.0;
};

/** The instructions of the page, as rich text. */
QString keyboardInstructionsHtml(double points);

} // namespace gui
