#include "StatusHelp.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLabel>
#include <QWidget>

namespace gui {

namespace {

const QHash<QString, QString>& helpTable()
{
    static const QHash<QString, QString> table{
        {QStringLiteral("CHKRemoveSIM"),
            QStringLiteral(
                " Select this if you want to remove SIM from the name. Useful for Cougar macros and sorting.")},
        {QStringLiteral("ChangesGrid"),
            QStringLiteral(" The functions that changed from key file 1 to key file 2, with their keys in both. Tick "
                           "the boxes above to choose the changes listed.")},
        {QStringLiteral("Command1_0"), QStringLiteral(" Select the two key files you want to compare.")},
        {QStringLiteral("Command1_1"), QStringLiteral(" Select the two key files you want to compare.")},
        {QStringLiteral("Command3_0"), QStringLiteral(" I reckon you're smart enough to figure out what this does!")},
        {QStringLiteral("Command3_1"), QStringLiteral(" I reckon you're smart enough to figure out what this does!")},
        {QStringLiteral("Command3_2"),
            QStringLiteral(" Don't forget to use this if you've made any changes to the order or content of any grid "
                           "cells.")},
        {QStringLiteral("Command3_3"),
            QStringLiteral(" Saves the macros below to a Cougar macro file (.tmm) or a TARGET macro file (.ttm).")},
        {QStringLiteral("CmbMacroFormat"),
            QStringLiteral(" Cougar macro lines for the Cougar's macro compiler, or defines for a TARGET script.")},
        {QStringLiteral("Command4_0"), QStringLiteral(" Use this button to select and open up a key file for editing")},
        {QStringLiteral("Command4_1"), QStringLiteral(" Use this button to save the key file")},
        {QStringLiteral("Command4_2"),
            QStringLiteral(" Use this button to view this data in your default text editor.")},
        {QStringLiteral("Command4_3"), QStringLiteral(" Use this button to save the comparison text below.")},
        {QStringLiteral("Command4_4"),
            QStringLiteral(" Use this button to view this data in your default text editor.")},
        {QStringLiteral("Command4_5"),
            QStringLiteral(" Use this button to view this data in your default text editor.")},
        {QStringLiteral("Command5"),
            QStringLiteral(" Select the two key files you want to compare and press this button. Note comparisons are "
                           "done on SAVED files only!")},
        {QStringLiteral("Frame1"),
            QStringLiteral(
                " I bet you're seeing how quickly you can move your mouse over these keys whilst watching the "
                "data for them change!")},
        {QStringLiteral("Frame3"),
            QStringLiteral(
                " Use these buttons to sort the selected columns. Don't worry, row data will be maintained.")},
        {QStringLiteral("GridData"),
            QStringLiteral(
                " Click on the keys or modifier columns to view the associated key. There's also a right hand "
                "mouse button menu.")},
        {QStringLiteral("GridJoystick"),
            QStringLiteral(" Your joystick's buttons and hats, unshifted and shifted. Red: a button bound twice. "
                           "Double-click a function to see its line in the key file.")},
        {QStringLiteral("CmbJoystickDevice"), QStringLiteral(" Show the buttons of every device, or of one.")},
        {QStringLiteral("SpinButtonsPerDevice"),
            QStringLiteral(" How many button numbers each device has: 32 by default; some files count 128.")},
        {QStringLiteral("SpinShiftMagnitude"),
            QStringLiteral(" What holding the pinky shift adds to a button number: 256 unless the simulator is set "
                           "otherwise.")},
        {QStringLiteral("KeyGrid"), QStringLiteral(" This is a simplified version of the key file.")},
        {QStringLiteral("Label1"),
            QStringLiteral(" You can click on the keys / modifiers columns and display the associated key in here")},
        {QStringLiteral("Label4"), QStringLiteral(" Howdy.")},
        {QStringLiteral("Label5_0"), QStringLiteral("  Dorvo by name, dorvo by nature!")},
        {QStringLiteral("Label5_1"),
            QStringLiteral(" You'd think I would have made the virtual keyboard a bit bigger wouldn't you?!")},
        {QStringLiteral("Label5_2"),
            QStringLiteral(" Red indicates that I've detected the same keys allocated to different functions.")},
        {QStringLiteral("RTBCougar"),
            QStringLiteral(
                " Note you will need to add slash modifiers yourself to key and DirectX macros, if you prefer "
                "to have them within the macro definition.")},
        {QStringLiteral("RTBcompare"),
            QStringLiteral(" You can copy and edit in here before saving if that's useful to you. A right hand mouse "
                           "button menu is available.")},
        {QStringLiteral("SSTab1"),
            QStringLiteral(" Select the tab to display how you want to view the key file data.")},
        {QStringLiteral("StatusBar"),
            QStringLiteral(" I'm the Status Bar. Move your mouse over items and I'll tell you what they do.")},
    };
    return table;
}

} // namespace

StatusHelp::StatusHelp(QLabel* panel, QObject* parent)
    : QObject(parent)
    , m_panel(panel)
{ }

QString StatusHelp::helpText(const QString& objectName)
{
    // Every caption label of the keyboard and macro pages has the same text.
    if (objectName.startsWith(QLatin1String("Label4_")))
        return helpTable().value(QStringLiteral("Label4"));
    return helpTable().value(objectName);
}

void StatusHelp::watch(QWidget* widget, const QString& objectName)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    m_watched.insert(widget, objectName);
    // A scroll area's pointer moves arrive at its viewport.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        watch(area->viewport(), objectName);
}

void StatusHelp::install(QWidget* root)
{
    const auto widgets = root->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        const QString name = widget->objectName();
        if (name == QLatin1String("SSTab1"))
            continue; // the tab control reports its own surface
        if (!helpText(name).isEmpty())
            watch(widget, name);
    }
}

void StatusHelp::show(const QString& objectName)
{
    const QString text = helpText(objectName);
    if (text.isEmpty() || m_panel->text() == text)
        return;
    m_panel->setText(text);
    ++m_writes;
}

bool StatusHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto it = m_watched.constFind(watched);
        if (it != m_watched.constEnd())
            show(it.value());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace gui
