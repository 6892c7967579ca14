#include "core/KeyDocument.h"
#include "core/Reference.h"
#include "print/ReferencePdf.h"

#include "TestData.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

struct Word
{
    QRectF box;
    QString text;
};

// Runs a poppler tool over the PDF; its standard output, or nothing when the tool is missing or fails.
std::optional<QByteArray> poppler(const QString& tool, const QByteArray& pdf, QStringList args)
{
    const QString program = QStandardPaths::findExecutable(tool);
    QTemporaryDir dir;
    if (program.isEmpty() || !dir.isValid())
        return std::nullopt;
    const QString path = dir.filePath("reference.pdf");
    testing::writeBytes(path, pdf.toStdString());
    QProcess process;
    process.start(program, args << path << "-");
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

// Every page's words with their boxes in points from the page's top left, as pdftotext reads them.
QList<QList<Word>> pageWords(const QByteArray& bboxXhtml)
{
    QList<QList<Word>> pages;
    QXmlStreamReader xml(bboxXhtml);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            pages.append(QList<Word>());
        } else if (xml.name() == QLatin1String("word")) {
            const auto at
                = [a = xml.attributes()](const char* name) { return a.value(QLatin1String(name)).toDouble(); };
            const QRectF box(QPointF(at("xMin"), at("yMin")), QPointF(at("xMax"), at("yMax")));
            pages.last().append({box, xml.readElementText()});
        }
    }
    return pages;
}

QString squeezed(QString text)
{
    text.remove(QRegularExpression("\\s"));
    return text;
}

core::Reference referenceOf(const std::string& bytes)
{
    return core::Reference::build(core::KeyDocument::fromBytes(bytes), "test.key");
}

} // namespace

class ReferencePrintTest : public QObject
{
    Q_OBJECT

private slots:
    // One landscape map per modifier combination that binds a key, then the portrait bindings sheet.
    void pageCountPerLayer_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("layers");
        QTest::newRow("no modifier") << QByteArray("SimA -1 0 0x1E 0 0 0 1 \"a\"\n") << QStringList{"No modifier"};
        QTest::newRow("three combinations")
            << QByteArray("SimA -1 0 0x1E 6 0 0 1\nSimB -1 0 0x30 1 0 0 1\nSimC -1 0 0x2E 1 0 0 1\n"
                          "SimD -1 0 0x20 7 0 0 1\nSimE -1 0 0x20 0 0x2E 4 1\nSimF -1 0 0x21 9 0 0 1\n")
            << QStringList{"Shift", "Ctrl + Alt", "Shift + Ctrl + Alt"};
        QByteArray all;
        QStringList titles;
        for (int m = 0; m < 8; ++m) {
            all += "Sim" + QByteArray::number(m) + " -1 0 0x1E " + QByteArray::number(m) + " 0 0 1\n";
            titles << QString::fromStdString(core::modifierWords(m));
        }
        QTest::newRow("all eight") << all << titles;
        QTest::newRow("buttons only") << QByteArray("SimA 4 -1 -2 0 0x0 -1\nSimB 0 -1 -3 6 0x0 -1\n") << QStringList{};
    }

    void pageCountPerLayer()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, layers);
        const auto printed = print::printReference(referenceOf(file.toStdString()), print::Paper::A4);
        QCOMPARE(printed.pages.size(), layers.size() + 1);
        for (qsizetype i = 0; i < layers.size(); ++i) {
            QCOMPARE(printed.pages[i].heading, QStringLiteral("test.key \u2014 ") + layers[i]);
            QVERIFY(printed.pages[i].landscape);
        }
        QVERIFY(!printed.pages.last().landscape);
        const auto text = poppler("pdftotext", printed.pdf, {"-enc", "UTF-8"});
        if (!text)
            QSKIP("pdftotext (poppler-utils) is not installed");
        // pdftotext ends every page with a form feed.
        const QStringList pages = QString::fromUtf8(*text).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), printed.pages.size());
        for (qsizetype i = 0; i < printed.pages.size(); ++i)
            QVERIFY2(squeezed(pages[i]).startsWith(squeezed(printed.pages[i].heading)), qPrintable(pages[i].left(80)));
    }

    // Every taken key of every map carries the names of its functions, and the page's text holds them inside the
    // key, each word within its box: nothing cut off, nothing running into a neighbour.
    void labelsInPageText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("letter");
        const QString sample = testing::samplePath("tarnwick-sample.key");
        QTest::newRow("sample, A4") << sample << false;
        QTest::newRow("sample, Letter") << sample << true;
        const QStringList corpus = testing::corpusKeyFiles();
        if (!corpus.isEmpty())
            QTest::newRow("stock full file, A4") << corpus.first() << false;
    }

    void labelsInPageText()
    {
        QFETCH(QString, file);
        QFETCH(bool, letter);
        const auto reference = referenceOf(testing::readBytes(file));
        const auto printed = print::printReference(reference, letter ? print::Paper::Letter : print::Paper::A4);
        QVERIFY(!reference.layers.empty());
        const auto bbox = poppler("pdftotext", printed.pdf, {"-bbox"});
        if (!bbox)
            QSKIP("pdftotext (poppler-utils) is not installed");
        const auto words = pageWords(*bbox);
        QCOMPARE(words.size(), printed.pages.size());
        for (std::size_t l = 0; l < reference.layers.size(); ++l) {
            const auto& layer = reference.layers[l];
            const auto& page = printed.pages[static_cast<qsizetype>(l)];
            const auto taken = std::count_if(
                layer.functions.begin(), layer.functions.end(), [](const auto& names) { return !names.empty(); });
            QCOMPARE(page.labels.size(), qsizetype(taken));
            for (const print::DrawnLabel& label : page.labels) {
                QList<Word> inside;
                for (const Word& word : words[static_cast<qsizetype>(l)]) {
                    if (label.box.contains(word.box.center()))
                        inside << word;
                }
                std::sort(inside.begin(), inside.end(), [](const Word& a, const Word& b) {
                    return qRound(a.box.top()) != qRound(b.box.top()) ? a.box.top() < b.box.top()
                                                                      : a.box.left() < b.box.left();
                });
                QString found;
                for (const Word& word : inside) {
                    found += word.text;
                    QVERIFY2(word.box.left() >= label.box.left() - 0.5 && word.box.right() <= label.box.right() + 0.5,
                        qPrintable(word.text + " sticks out of " + label.text));
                }
                QCOMPARE(found, squeezed(label.text));
            }
        }
    }
};

QTEST_MAIN(ReferencePrintTest)
#include "ReferencePrintTest.moc"
