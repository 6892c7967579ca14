#include "GeometryDump.h"

#include "KeyboardPage.h"
#include "io/FileIo.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDebug>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>

#include <algorithm>
#include <functional>
#include <tuple>

namespace gui {

namespace {

void putPlace(QJsonObject& object, const QWidget* widget, const QRect& local)
{
    const QPoint topLeft = widget->mapToGlobal(local.topLeft());
    object.insert(QStringLiteral("x"), topLeft.x());
    object.insert(QStringLiteral("y"), topLeft.y());
    object.insert(QStringLiteral("width"), local.width());
    object.insert(QStringLiteral("height"), local.height());
}

void describeTabBar(QJsonObject& entry, const QTabBar* bar)
{
    entry.insert(QStringLiteral("currentIndex"), bar->currentIndex());
    QJsonArray tabs;
    for (int i = 0; i < bar->count(); ++i) {
        QJsonObject tab{{QStringLiteral("text"), bar->tabText(i)}};
        putPlace(tab, bar, bar->tabRect(i));
        tabs.append(tab);
    }
    entry.insert(QStringLiteral("tabs"), tabs);
}

void describeItemView(QJsonObject& entry, const QAbstractItemView* view)
{
    const QAbstractItemModel* model = view->model();
    if (!model)
        return;
    entry.insert(QStringLiteral("rows"), model->rowCount(view->rootIndex()));
    entry.insert(QStringLiteral("columns"), model->columnCount(view->rootIndex()));
    const QWidget* viewport = view->viewport();
    const QModelIndex current = view->currentIndex();
    if (current.isValid()) {
        QJsonObject cell{{QStringLiteral("row"), current.row()}, {QStringLiteral("column"), current.column()},
            {QStringLiteral("text"), current.data().toString()}};
        putPlace(cell, viewport, view->visualRect(current));
        entry.insert(QStringLiteral("current"), cell);
    }
    QJsonArray blocks;
    if (const QItemSelectionModel* selection = view->selectionModel()) {
        for (const QItemSelectionRange& range : selection->selection()) {
            QJsonObject block{{QStringLiteral("top"), range.top()}, {QStringLiteral("left"), range.left()},
                {QStringLiteral("bottom"), range.bottom()}, {QStringLiteral("right"), range.right()}};
            putPlace(block, viewport, view->visualRect(range.topLeft()).united(view->visualRect(range.bottomRight())));
            blocks.append(block);
        }
    }
    entry.insert(QStringLiteral("selection"), blocks);
}

QJsonObject describeWidget(const QWidget* widget)
{
    QJsonObject entry{{QStringLiteral("objectName"), widget->objectName()},
        {QStringLiteral("class"), QString::fromLatin1(widget->metaObject()->className())},
        {QStringLiteral("visible"), widget->isVisible()}, {QStringLiteral("enabled"), widget->isEnabled()}};
    putPlace(entry, widget, widget->rect());

    if (const auto* key = qobject_cast<const KeyLabel*>(widget)) {
        entry.insert(QStringLiteral("caption"), key->caption());
        entry.insert(QStringLiteral("index"), key->index());
        const QColor drawn = key->background().isValid() ? key->background() : key->palette().color(QPalette::Button);
        entry.insert(QStringLiteral("background"), drawn.name());
    } else if (widget->autoFillBackground()) {
        entry.insert(QStringLiteral("background"), widget->palette().color(widget->backgroundRole()).name());
    }

    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        entry.insert(QStringLiteral("text"), button->text());
        if (button->isCheckable())
            entry.insert(QStringLiteral("checked"), button->isChecked());
    } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        entry.insert(QStringLiteral("text"), label->text());
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        entry.insert(QStringLiteral("text"), edit->text());
    } else if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(widget)) {
        entry.insert(QStringLiteral("text"), spin->text());
    } else if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        entry.insert(QStringLiteral("text"), combo->currentText());
    } else if (const auto* bar = qobject_cast<const QTabBar*>(widget)) {
        describeTabBar(entry, bar);
    } else if (const auto* view = qobject_cast<const QAbstractItemView*>(widget)) {
        describeItemView(entry, view);
    } else if (const auto* text = qobject_cast<const QTextEdit*>(widget)) {
        entry.insert(QStringLiteral("characterCount"), text->document()->characterCount());
    } else if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) {
        entry.insert(QStringLiteral("characterCount"), plain->document()->characterCount());
    }
    return entry;
}

void appendActions(QJsonArray& entries, const QWidget* owner, const std::function<QRect(QAction*)>& placeOf)
{
    for (QAction* action : owner->actions()) {
        QString name = action->objectName();
        if (name.isEmpty() && action->menu())
            name = action->menu()->objectName();
        if (name.isEmpty())
            continue;
        const QRect place = placeOf(action);
        QJsonObject entry{{QStringLiteral("objectName"), name}, {QStringLiteral("class"), QStringLiteral("QAction")},
            {QStringLiteral("text"), action->text()}, {QStringLiteral("separator"), action->isSeparator()},
            {QStringLiteral("visible"), owner->isVisible() && action->isVisible() && !place.isEmpty()},
            {QStringLiteral("enabled"), action->isEnabled()}};
        if (action->isCheckable())
            entry.insert(QStringLiteral("checked"), action->isChecked());
        putPlace(entry, owner, place);
        entries.append(entry);
    }
}

QJsonArray describeContents(QWidget* window)
{
    QJsonArray entries;
    if (const auto* menu = qobject_cast<const QMenu*>(window))
        appendActions(entries, menu, [menu](QAction* action) { return menu->actionGeometry(action); });
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        // Menus and dialogs are windows of their own, listed when they are shown.
        if (widget->window() != window)
            continue;
        if (const auto* bar = qobject_cast<const QMenuBar*>(widget))
            appendActions(entries, bar, [bar](QAction* action) { return bar->actionGeometry(action); });
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        entries.append(describeWidget(widget));
    }
    return entries;
}

QJsonObject describeWindow(QWidget* window)
{
    QJsonObject entry{{QStringLiteral("objectName"), window->objectName()},
        {QStringLiteral("class"), QString::fromLatin1(window->metaObject()->className())},
        {QStringLiteral("title"), window->windowTitle()}, {QStringLiteral("active"), window->isActiveWindow()},
        {QStringLiteral("modal"), window->isModal()}, {QStringLiteral("popup"), window->windowType() == Qt::Popup}};
    putPlace(entry, window, window->rect());
    entry.insert(QStringLiteral("widgets"), describeContents(window));
    return entry;
}

} // namespace

GeometryDump::GeometryDump(const QString& path, QObject* parent)
    : QObject(parent)
    , m_path(path)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { writeIfChanged(); });
    m_timer.start();
}

GeometryDump* GeometryDump::fromEnvironment(QObject* parent)
{
    const QString path = qEnvironmentVariable("TARNWICK_GEOMETRY_DUMP");
    return path.isEmpty() ? nullptr : new GeometryDump(path, parent);
}

QJsonDocument GeometryDump::snapshot()
{
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            windows.append(widget);
    // The application keeps its windows in no particular order; a fixed one keeps equal pictures equal.
    const auto key = [](const QWidget* w) {
        return std::make_tuple(
            w->windowTitle(), QString::fromLatin1(w->metaObject()->className()), w->objectName(), w->x(), w->y());
    };
    std::stable_sort(windows.begin(), windows.end(), [&key](QWidget* a, QWidget* b) { return key(a) < key(b); });

    QJsonArray list;
    for (QWidget* window : windows)
        list.append(describeWindow(window));
    const QWidget* focus = QApplication::focusWidget();
    return QJsonDocument(QJsonObject{
        {QStringLiteral("focus"), focus ? focus->objectName() : QString()}, {QStringLiteral("windows"), list}});
}

bool GeometryDump::writeIfChanged()
{
    const QByteArray bytes = snapshot().toJson(QJsonDocument::Compact);
    if (bytes == m_written)
        return false;
    io::FileError error;
    if (!io::writeFileAtomically(m_path, bytes.toStdString(), &error)) {
        if (!m_warned)
            qWarning().noquote() << "Cannot write the geometry dump" << m_path << ":" << error.reason;
        m_warned = true;
        return false;
    }
    m_written = bytes;
    return true;
}

} // namespace gui
