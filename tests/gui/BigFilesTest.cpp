#include "WindowFixture.h"

#include "gui/ComparePage.h"
#include "gui/CougarPage.h"
#include "gui/LineView.h"
#include "io/FileIo.h"

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

using gui::PromptAnswer;
using testing::WindowFixture;

namespace {

// Memory of this process from the system's account, in bytes; 0 where the system does not say. "VmRSS:" is the
// memory in use now, "VmHWM:" the most it has used so far.
qint64 memory(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qsizetype(qstrlen(name))).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

std::string keyLines(std::size_t bytes, int lineLength)
{
    std::string out;
    out.reserve(bytes);
    for (int i = 0; out.size() < bytes; ++i) {
        std::string line = "SimFunction" + std::to_string(i % 5000) + " -1 0 0x" + std::to_string(10 + i % 80) + " "
            + std::to_string(i % 8) + " 0XFFFFFFFF 0 1 \"";
        line.append(static_cast<std::size_t>(std::max(1, lineLength - int(line.size()) - 3)), 'd');
        line += "\"\r\n";
        out += line;
    }
    out.resize(bytes);
    return out;
}

// Every view of the window over one file: pages, sorting, colouring, the macro text, the list file, a comparison
// with itself and a save, which must give back the same bytes.
void exercise(WindowFixture& f, const QString& path)
{
    auto* tabs = f.tabs();
    QVERIFY(f.session()->open(path));
    QCOMPARE(f.banner(), QStringLiteral("Ready"));
    f.keyGrid()->selectBlock(0, 1, 0, 2);
    f.click(QStringLiteral("Command2_1"));
    f.click(QStringLiteral("Command2_2"));
    for (int page = 1; page <= 4; ++page) {
        tabs->setCurrentIndex(page);
        QApplication::processEvents();
    }
    tabs->setCurrentIndex(gui::MainWindow::SpareKeysPageIndex);
    for (int box = 0; box < 3; ++box)
        f.find<QCheckBox>(QStringLiteral("ChkModifier_%1").arg(box))->click();
    tabs->setCurrentIndex(gui::MainWindow::CougarMacrosPageIndex);
    f.find<QPushButton>(QStringLiteral("Command3_0"))->click();
    QCOMPARE(f.desktop.lateClipboard().isEmpty(), f.session()->listModel()->rowCount() == 0);
    f.desktop.clearClipboard(); // the test's stand-in for the system clipboard lets go of it
    f.window->viewListInTextEditor();
    QCOMPARE(QString::fromStdString(testing::readBytes(f.window->temporaryListPath())).isEmpty(),
        f.session()->listModel()->rowCount() == 0);
    gui::ComparePage* compare = f.window->comparePage();
    compare->setPath(1, path);
    f.find<QPushButton>(QStringLiteral("Command5"))->click();
    // In the box, or read-only from the report's own bytes when too large to edit.
    QString summary = compare->reportBox()->toPlainText(); // waits for a comparison on its worker thread
    const bool readOnly = compare->reportReadOnly();
    for (std::size_t line = 0; readOnly && line < 10; ++line)
        summary += compare->reportLines()->lines().text(line);
    QVERIFY2(summary.contains(QStringLiteral("Number of lines: ")), qPrintable(summary.left(400)));
    const QString copy = f.dir.filePath(QStringLiteral("copy.key"));
    QFile::remove(copy);
    f.prompts.answerFile(copy);
    f.session()->saveFileAs();
    QVERIFY2(testing::readBytes(copy) == testing::readBytes(path), qPrintable(path));
    QCOMPARE(f.savedState(), gui::SavedState::Saved);
}

} // namespace

class BigFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void fileAtTheLimitOpensAndOneByteMoreIsRefused()
    {
        WindowFixture f(testing::created);
        const std::string bytes = keyLines(std::size_t(io::MaxKeyFileSize), 1000);
        const QString atLimit = f.writeKeyFile(QStringLiteral("limit.key"), bytes);
        const qint64 before = memory("VmRSS:");
        QVERIFY(f.session()->open(atLimit));
        const qint64 opened = memory("VmHWM:");
        exercise(f, atLimit);
        const qint64 peak = memory("VmHWM:");
        if (!kSanitized && before > 0) {
            // Open, the file costs about its size twice at most: the bytes and the rows that point into them.
            QVERIFY2(opened - before < 3 * io::MaxKeyFileSize, qPrintable(QString::number((opened - before) >> 20)));
            // Every view at once: the list, the clipboard, the search texts and the bindings each hold about a copy;
            // the macro text and the report, too large to edit, are shown from their own bytes (about 7 times).
            QVERIFY2(peak - before < 10 * io::MaxKeyFileSize, qPrintable(QString::number((peak - before) >> 20)));
        }

        const QString over = f.writeKeyFile(QStringLiteral("over.key"), bytes + "x");
        f.prompts.answerMessage(PromptAnswer::Ok);
        QVERIFY(!f.session()->open(over));
        QCOMPARE(f.lastAsked().text,
            QStringLiteral("I couldn't open ") + over + QStringLiteral(": The file is larger than 64 MiB."));
        QCOMPARE(f.savedState(), gui::SavedState::NoFile);
    }

    void strangeFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        std::string full;
        for (int i = 0; i < 32767; ++i)
            full += "SimFunction" + std::to_string(i) + " -1 0 0x" + std::to_string(10 + i % 80) + " "
                + std::to_string(i % 8) + " 0XFFFFFFFF 0 1 \"Line " + std::to_string(i) + "\"\r\n";
        QTest::newRow("32767 lines") << QByteArray::fromStdString(full);
        QByteArray binary(256 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char& c : binary)
            c = char(generator.bounded(256));
        QTest::newRow("binary") << binary;
        QTest::newRow("megabyte line") << QByteArray("SimLong -1 0 0x1E 0 0 0 1 \"") + QByteArray(1024 * 1024, 'w')
                + QByteArray("\"\r\nSimShort -1 0 0x30 0 0 0 1 \"b\"");
        QTest::newRow("megabyte of words") << QByteArray("SimWords") + QByteArray(512 * 1024, ' ').replace(' ', " w");
        QTest::newRow("CR line ends") << QByteArray(
            "# c\rSimA -1 0 0x1E 0 0 0 1 \"a\"\rSimB -1 0 0x30 2 0 0 1 \"b\"\r");
        QTest::newRow("UTF-8 with byte order mark")
            << QByteArray("\xEF\xBB\xBF# c\r\nSimA -1 0 0x1E 0 0 0 1 \"25\xC2\xB0 \xE2\x80\x93 a\"\r\n");
        QTest::newRow("Windows-1252 degree") << QByteArray("SimA -1 0 0x1E 0 0 0 1 \"25\xB0 \x96 a\"\r\n");
        QTest::newRow("NUL bytes") << testing::literalBytes("Sim\0A -1 0 0x1E 0 0 0 1 \"\0\"\r\n\0\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank lines only") << QByteArray("\r\n   \r\n\n\r");
        QTest::newRow("numbers everywhere") << QByteArray("1 2 3 4 5 6 7 8 9 10\r\n-2 -2 -2 -2 -2\r\n-3 -3 -3 -3\r\n");
        QTest::newRow("huge numbers") << QByteArray(
            "S 99999999999999999999 -1 -2 0 0x0 -1\r\nS 9223372036854775807 -1 -3 "
            "9223372036854775807 0x0 -1\r\nS -1 0 0x1E 99999999999 0 0 1\r\n");
    }

    void strangeFiles()
    {
        QFETCH(QByteArray, bytes);
        WindowFixture f(testing::created);
        exercise(f, f.writeKeyFile(QStringLiteral("strange.key"), bytes.toStdString()));
    }
};

QTEST_MAIN(BigFilesTest)
#include "BigFilesTest.moc"
