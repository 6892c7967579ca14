#include "WindowFixture.h"

#include "core/Reference.h"

#include <QAction>
#include <QTest>

using testing::WindowFixture;

namespace {

const char* const kFile = "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"1. SECTION\"\r\n"
                          "SimAlpha -1 0 0x1E 2 0 0 1 \"Alpha\"\r\n"
                          "SimBeta -1 0 0x30 0 0 0 1 \"Beta\"\r\n"
                          "SimGamma 4 -1 -2 0 0x0 -1\r\n";

} // namespace

class PrintReferenceTest : public QObject
{
    Q_OBJECT

private slots:
    // A PDF with a map for each of the two modifier combinations and one sheet page, or the sheet as a web page.
    void printsTheOpenFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("pdf");
        QTest::newRow("PDF") << "reference.pdf" << true;
        QTest::newRow("web page") << "reference.html" << false;
    }

    void printsTheOpenFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, pdf);
        WindowFixture f;
        f.create();
        auto* action = f.window->findChild<QAction*>(QStringLiteral("mnuFilePrintReference"));
        QVERIFY(!action->isEnabled());
        f.open(kFile);
        QVERIFY(action->isEnabled());
        const QString target = f.dir.filePath(name);
        f.prompts.answerFile(target);
        action->trigger();
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].request.proposedName, QStringLiteral("k reference"));
        const QByteArray written = QByteArray::fromStdString(testing::readBytes(target));
        if (pdf) {
            QVERIFY(written.startsWith("%PDF-"));
            QCOMPARE(written.count("/Type /Page\n"), 3);
        } else {
            const auto reference = core::Reference::build(core::KeyDocument::fromBytes(kFile), "k.key");
            QCOMPARE(written, QByteArray::fromStdString(core::referenceHtml(reference)));
        }
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
    }

    void readOnlyTargetIsRefused()
    {
        WindowFixture f;
        f.open(kFile);
        const QString target = f.dir.filePath(QStringLiteral("reference.pdf"));
        testing::writeBytes(target, "old");
        QFile::setPermissions(target, QFileDevice::ReadOwner);
        f.prompts.answerFile(target);
        f.prompts.answerMessage(gui::PromptAnswer::Yes); // overwrite
        f.prompts.answerMessage(gui::PromptAnswer::Ok); // read-only
        f.trigger(QStringLiteral("mnuFilePrintReference"));
        QCOMPARE(f.prompts.asked.last().title, QStringLiteral("Can't save Read Only file"));
        QCOMPARE(testing::readBytes(target), std::string("old"));
    }
};

QTEST_MAIN(PrintReferenceTest)
#include "PrintReferenceTest.moc"
