#include "Accessibility.h"

#include "StatusHelp.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>

namespace gui {

bool isControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget)
        || qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractItemView*>(widget)
        || qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)
        || qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QTabBar*>(widget);
}

void nameControls(QWidget* root)
{
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!isControl(widget) || !widget->accessibleName().isEmpty())
            continue;
        QString name;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            name = QString(button->text()).remove(QLatin1Char('&'));
        if (name.isEmpty())
            name = widget->toolTip();
        if (const auto* line = qobject_cast<const QLineEdit*>(widget); name.isEmpty() && line)
            name = line->placeholderText();
        if (const auto* combo = qobject_cast<const QComboBox*>(widget); name.isEmpty() && combo)
            name = combo->placeholderText();
        if (name.isEmpty())
            name = StatusHelp::helpText(widget->objectName()).trimmed();
        if (name.isEmpty())
            name = widget->objectName();
        // A part of another control (a grid's header, a combo box's list) is named after it.
        if (name.isEmpty() && widget->parentWidget()) {
            const QWidget* owner = widget->parentWidget();
            const QString ownerName = owner->accessibleName().isEmpty() ? owner->objectName() : owner->accessibleName();
            name = ownerName + QLatin1Char(' ') + QString::fromLatin1(widget->metaObject()->className()).mid(1);
        }
        widget->setAccessibleName(name);
    }
}

} // namespace gui
