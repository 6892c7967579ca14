#pragma once

#include <QHash>
#include <QObject>

class QLabel;
class QWidget;

namespace gui {

/**
 * The status bar's help: moving the pointer over a control with a help text puts that text into the first panel,
 * where it stays after the pointer leaves. The panel is written only when its text differs, so it is not redrawn
 * on every movement. Controls without a help text leave the panel alone.
 */
class StatusHelp final : public QObject
{
    Q_OBJECT

public:
    StatusHelp(QLabel* panel, QObject* parent = nullptr);

    /** Watches every control under `root` that has a help text (found by object name). */
    void install(QWidget* root);
    /** Watches `widget` for the help text of `objectName` (a control made of several widgets). */
    void watch(QWidget* widget, const QString& objectName);

    /** The help text for a control's object name, or an empty string. */
    static QString helpText(const QString& objectName);
    /** Shows the help text of `objectName` unless the panel already shows it. */
    void show(const QString& objectName);

    /** How many times the panel was written; the rule "not when equal" is visible here. */
    int writes() const { return m_writes; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_panel;
    QHash<QObject*, QString> m_watched;
    int m_writes = 0;
};

} // namespace gui
