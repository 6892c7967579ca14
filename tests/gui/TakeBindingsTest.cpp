#include "WindowFixture.h"

#include "gui/TakeBindingsDialog.h"

#include <QAction>
#include <QPushButton>
#include <QUndoStack>

using gui::PromptAnswer;
using testing::WindowFixture;

namespace {

// Mine: a comment, odd spacing and line ends that taking must keep where it writes nothing.
const std::string kMine = "# my keys\r\n"
                          "SimA   -1 0 0x1E 0 0 0 1 \"Alpha\"\r\n"
                          "SimB -1 0 0x30 0 0 0 1 \"Beta\"\n"
                          "SimC -1 0 0x2E 0 0 0 1 \"Gamma\"\r\n"
                          "SimD -1 0 0x20 0 0 0 1 \"Delta\"\r\n"
                          "SimFire 0 -1 -2 0 0x0 -1\r\n";
// Theirs: SimA and SimB swap their keys, SimC takes SimD's key, which SimD keeps; SimFire moves to button 5; SimNew
// is theirs alone.
const std::string kTheirs = "SimA -1 0 0x30 0 0 0 1 \"Alpha\"\n"
                            "SimB -1 0 0x1E 0 0 0 1 \"Beta\"\n"
                            "SimC -1 0 0x20 0 0 0 1 \"Gamma\"\n"
                            "SimD -1 0 0x20 0 0 0 1 \"Delta\"\n"
                            "SimFire 4 -1 -2 0 0x0 -1\n"
                            "SimNew -1 0 0x12 2 0 0 1 \"New\"\n";

struct TakeFixture : WindowFixture
{
    QString mine;
    QString theirs;

    TakeFixture()
    {
        mine = open(kMine, QStringLiteral("mine.key"));
        theirs = writeKeyFile(QStringLiteral("theirs.key"), kTheirs);
    }

    std::string bytes() const { return session()->document().toBytes(); }
    QUndoStack* undo() const { return session()->undoStack(); }
};

QStringList previewRows(const gui::TakePreview& preview)
{
    QStringList rows;
    for (const auto& b : preview.bindings)
        rows << QStringLiteral("%1 %2: %3 > %4 [%5]")
                    .arg(b.line)
                    .arg(b.simName, b.keysNow, b.keysTaken, b.clashNames.join(QLatin1Char(',')));
    for (const auto& m : preview.missing)
        rows << QStringLiteral("missing %1 %2 %3 %4").arg(m.line).arg(m.simName, m.keys, m.description);
    return rows;
}

} // namespace

/** File > Take bindings from: the preview, the choice, one undoable step that writes only the changed lines. */
class TakeBindingsTest : public QObject
{
    Q_OBJECT

private slots:
    void takingChosenBindings_data()
    {
        QTest::addColumn<QList<int>>("chosen");
        QTest::addColumn<QByteArray>("expected");
        // My file with the lines taken into written anew: in the plain spacing, with their own line ends.
        QTest::newRow("the swap and the button") << QList<int>{0, 1, 3}
                                                 << QByteArray::fromStdString(kMine)
                                                        .replace("SimA   -1 0 0x1E", "SimA -1 0 0x30")
                                                        .replace("SimB -1 0 0x30", "SimB -1 0 0x1E")
                                                        .replace("SimFire 0", "SimFire 4");
        QTest::newRow("the clash too") << QList<int>{2}
                                       << QByteArray::fromStdString(kMine).replace("SimC -1 0 0x2E", "SimC -1 0 0x20");
    }

    void takingChosenBindings()
    {
        QFETCH(QList<int>, chosen);
        QFETCH(QByteArray, expected);
        TakeFixture f;
        f.prompts.answerFile(f.theirs);
        f.prompts.answerTake(chosen);
        f.trigger(QStringLiteral("mnuFileTake"));

        QCOMPARE(f.prompts.asked.first().title, QStringLiteral("Select the key file to take bindings from ..."));
        QCOMPARE(f.prompts.takePreviews.size(), 1);
        const gui::TakePreview& preview = f.prompts.takePreviews.first();
        QCOMPARE(QStringList({preview.fromPath, preview.intoName}), QStringList({f.theirs, "mine.key"}));
        QCOMPARE(previewRows(preview),
            QStringList(
                {"2 SimA: a > b [SimB (line 3)]", "3 SimB: b > a [SimA (line 2)]", "4 SimC: c > d [SimD (line 5)]",
                    "6 SimFire: DX1, Device 01 > DX5, Device 01 []", "missing 6 SimNew CTL e New"}));
        QCOMPARE(preview.bindings[0].clashBindings, QList<int>{1});
        QCOMPARE(preview.bindings[2].clashBindings, QList<int>{-1});

        // One step; every line it did not take into keeps its bytes.
        QCOMPARE(QByteArray::fromStdString(f.bytes()), expected);
        QCOMPARE(f.undo()->count(), 1);
        QCOMPARE(f.undo()->text(0), QStringLiteral("Take bindings from theirs.key"));
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        QCOMPARE(f.shown(f.listGrid(), 0, 2), chosen.contains(0) ? QStringLiteral("b") : QStringLiteral("a"));
        f.undo()->undo();
        QCOMPARE(f.bytes(), kMine);
        f.undo()->redo();
        QCOMPARE(QByteArray::fromStdString(f.bytes()), expected);

        // The dialog's boxes: ticked unless they clash with a binding that stays; the clash follows the ticks.
        gui::TakeBindingsDialog dialog(preview, f.window.get());
        gui::TakeBindingsModel* model = dialog.model();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto clashText
            = [model](int row) { return model->index(row, gui::TakeBindingsModel::ClashColumn).data().toString(); };
        QCOMPARE(dialog.chosen(), QList<int>({0, 1, 3}));
        QCOMPARE(clashText(2), QStringLiteral("Clashes with SimD (line 5)"));
        QCOMPARE(clashText(0), QStringLiteral("No clash: SimB (line 3) takes other keys"));
        auto* takeButton = dialog.findChild<QPushButton*>(QStringLiteral("TakeButton"));
        QCOMPARE(takeButton->text(), QStringLiteral("Take 3 bindings"));
        // Unticking SimB leaves its key with SimB: SimA's binding clashes now.
        QVERIFY(model->setData(model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(model->clashes(0));
        QCOMPARE(clashText(0), QStringLiteral("Clashes with SimB (line 3)"));
        QCOMPARE(takeButton->text(), QStringLiteral("Take 2 bindings"));
        dialog.findChild<QPushButton*>(QStringLiteral("TakeTickNone"))->click();
        QVERIFY(!takeButton->isEnabled());
        dialog.findChild<QPushButton*>(QStringLiteral("TakeTickAll"))->click();
        QCOMPARE(dialog.chosen(), QList<int>({0, 1, 2, 3}));
        QCOMPARE(model->index(2, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    }

    void nothingTaken_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("message"); // the title and the start of the text of the message shown, if any
        QTest::newRow("file dialog cancelled") << "no file" << QStringList();
        QTest::newRow("preview cancelled") << "cancel" << QStringList();
        QTest::newRow("nothing ticked") << "none" << QStringList();
        QTest::newRow("unreadable") << "unreadable"
                                    << QStringList{"Unable to open key file", "I couldn't open @gone.key: "};
        QTest::newRow("same bindings") << "same"
                                       << QStringList{"Nothing to take",
                                              "mine.key binds every function of mine.key as it is bound now."};
    }

    void nothingTaken()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, message);
        TakeFixture f;
        const QString gone = f.dir.filePath(QStringLiteral("gone.key"));
        f.prompts.answerFile(how == QLatin1String("no file") ? QString()
                : how == QLatin1String("unreadable")         ? gone
                : how == QLatin1String("same")               ? f.mine
                                                             : f.theirs);
        if (!message.isEmpty())
            f.prompts.answerMessage(PromptAnswer::Ok);
        else if (how != QLatin1String("no file"))
            f.prompts.answerTake(how == QLatin1String("none") ? std::optional<QList<int>>(QList<int>()) : std::nullopt);
        f.trigger(QStringLiteral("mnuFileTake"));
        QCOMPARE(f.bytes(), kMine);
        QCOMPARE(f.undo()->count(), 0);
        if (!message.isEmpty()) {
            message[1].replace(QStringLiteral("@gone.key"), gone);
            QCOMPARE(QStringList({f.lastAsked().title, f.lastAsked().text.left(message[1].size())}), message);
        }
    }

    void onlyWithAFileOpen()
    {
        WindowFixture f(testing::created);
        QAction* take = f.window->findChild<QAction*>(QStringLiteral("mnuFileTake"));
        QVERIFY(!take->isEnabled());
        f.window->startUp(f.writeKeyFile(QStringLiteral("k.key"), kMine));
        QVERIFY(take->isEnabled());
        f.session()->close();
        QVERIFY(!take->isEnabled());
    }
};

QTEST_MAIN(TakeBindingsTest)
#include "TakeBindingsTest.moc"
