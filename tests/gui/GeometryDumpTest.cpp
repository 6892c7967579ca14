#include "gui/GeometryDump.h"
#include "gui/KeyboardPage.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QMenuBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

namespace {

QJsonObject findEntry(const QJsonDocument& document, const QString& name)
{
    for (const QJsonValue window : document[QStringLiteral("windows")].toArray())
        for (const QJsonValue entry : window[QStringLiteral("widgets")].toArray())
            if (entry[QStringLiteral("objectName")].toString() == name)
                return entry.toObject();
    return {};
}

// A field by a dotted path: "current.text" is the text of the entry's current cell, "selection.0" its first block.
QJsonValue field(const QJsonObject& entry, const QString& path)
{
    QJsonValue value = entry;
    for (const QString& part : path.split(QLatin1Char('.'))) {
        bool isIndex = false;
        const int index = part.toInt(&isIndex);
        value = isIndex ? value[index] : value[part];
    }
    return value;
}

} // namespace

class GeometryDumpTest : public QObject
{
    Q_OBJECT

private:
    QStandardItemModel m_model{3, 4};
    QWidget m_window;
    QCheckBox* m_box = nullptr;
    QLabel* m_label = nullptr;

private slots:
    void initTestCase()
    {
        const auto named = [](auto* object, const char* name) {
            object->setObjectName(QLatin1String(name));
            return object;
        };
        named(&m_window, "Win");
        auto* layout = new QVBoxLayout(&m_window);
        auto* bar = new QMenuBar(&m_window);
        layout->setMenuBar(bar);
        named(bar->addMenu(QStringLiteral("&File")), "mnuFile");
        layout->addWidget(m_box = named(new QCheckBox(QStringLiteral("Control"), &m_window), "Chk"));
        m_box->setChecked(true);
        layout->addWidget(m_label = named(new QLabel(QStringLiteral("hello"), &m_window), "Lbl"));
        named(new QLabel(&m_window), "Hidden")->hide();
        named(new QWidget(&m_window), "qt_helper");
        auto* green = new gui::KeyLabel(QStringLiteral("a"), 30, &m_window);
        green->setBackground(QColor(0, 255, 0));
        layout->addWidget(green);
        layout->addWidget(new gui::KeyLabel(QStringLiteral("b"), 48, &m_window));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                m_model.setItem(r, c, new QStandardItem(QStringLiteral("r%1c%2").arg(r).arg(c)));
        auto* grid = named(new QTableView(&m_window), "Grid");
        grid->setModel(&m_model);
        grid->setCurrentIndex(m_model.index(1, 2));
        grid->selectionModel()->select(
            QItemSelection(m_model.index(1, 2), m_model.index(2, 3)), QItemSelectionModel::ClearAndSelect);
        layout->addWidget(grid);
        m_window.show();
    }

    void describesWidgets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonValue>("expected");
        const QPoint label = m_label->mapToGlobal(QPoint());
        QTest::newRow("class") << "Lbl" << QStringLiteral("class") << QJsonValue(QStringLiteral("QLabel"));
        QTest::newRow("global x") << "Lbl" << QStringLiteral("x") << QJsonValue(label.x());
        QTest::newRow("global y") << "Lbl" << QStringLiteral("y") << QJsonValue(label.y());
        QTest::newRow("label text") << "Lbl" << QStringLiteral("text") << QJsonValue(QStringLiteral("hello"));
        QTest::newRow("check box") << "Chk" << QStringLiteral("checked") << QJsonValue(true);
        QTest::newRow("hidden") << "Hidden" << QStringLiteral("visible") << QJsonValue(false);
        QTest::newRow("key colour") << "LBLkey_30" << QStringLiteral("background")
                                    << QJsonValue(QStringLiteral("#00ff00"));
        QTest::newRow("key face") << "LBLkey_48" << QStringLiteral("background")
                                  << QJsonValue(m_window.palette().color(QPalette::Button).name());
        QTest::newRow("key caption") << "LBLkey_48" << QStringLiteral("caption") << QJsonValue(QStringLiteral("b"));
        QTest::newRow("grid rows") << "Grid" << QStringLiteral("rows") << QJsonValue(3);
        QTest::newRow("current cell") << "Grid" << QStringLiteral("current.text") << QJsonValue(QStringLiteral("r1c2"));
        QTest::newRow("selected block") << "Grid" << QStringLiteral("selection.0.right") << QJsonValue(3);
        QTest::newRow("menu bar action") << "mnuFile" << QStringLiteral("class")
                                         << QJsonValue(QStringLiteral("QAction"));
        QTest::newRow("Qt's own helpers")
            << "qt_helper" << QStringLiteral("objectName") << QJsonValue(QJsonValue::Undefined);
    }

    void describesWidgets()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QJsonValue, expected);
        QCOMPARE(field(findEntry(gui::GeometryDump::snapshot(), name), path), expected);
    }

    void writesOnlyChanges()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("geometry.json"));
        gui::GeometryDump dump(path);
        QVERIFY(dump.writeIfChanged());
        QVERIFY(!dump.writeIfChanged());
        m_box->setChecked(false);
        QVERIFY(dump.writeIfChanged());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonDocument written = QJsonDocument::fromJson(file.readAll());
        QCOMPARE(findEntry(written, QStringLiteral("Chk"))[QStringLiteral("checked")], QJsonValue(false));
        m_box->setChecked(true);
    }
};

QTEST_MAIN(GeometryDumpTest)
#include "GeometryDumpTest.moc"
