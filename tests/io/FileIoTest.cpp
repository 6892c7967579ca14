#include "io/FileIo.h"
#include "io/SettingsFile.h"
#include "io/TextCodec.h"

#include "TestData.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class FileIoTest : public QObject
{
    Q_OBJECT

private slots:
    void readsWholeFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.key"));
        testing::writeBytes(path, std::string("A\0B\r\n", 5));
        std::string bytes;
        io::FileError error;
        QVERIFY(io::readFileBytes(path, &bytes, &error));
        QCOMPARE(bytes, std::string("A\0B\r\n", 5));
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "No such file or folder";
        QTest::newRow("folder") << "folder"
                                << "It is a folder, not a file";
        QTest::newRow("over the limit") << "large"
                                        << "The file is larger than 1 MiB";
    }

    void refusesWhatItCannotRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("x.key"));
        if (kind == QLatin1String("folder"))
            path = dir.path();
        if (kind == QLatin1String("large"))
            testing::writeBytes(path, std::string(1024 * 1024 + 1, 'a'));
        std::string bytes = "untouched";
        io::FileError error;
        QVERIFY(!io::readFileBytes(path, &bytes, &error, 1024 * 1024));
        QCOMPARE(error.reason, reason);
        QCOMPARE(bytes, std::string("untouched"));
    }

    void fileAtTheLimitIsRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.key"));
        testing::writeBytes(path, std::string(1024, 'a'));
        std::string bytes;
        QVERIFY(io::readFileBytes(path, &bytes, nullptr, 1024));
        QCOMPARE(bytes.size(), std::size_t(1024));
    }

    void atomicWriteReplacesOrLeavesAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.key"));
        testing::writeBytes(path, "old");
        io::FileError error;
        QVERIFY(io::writeFileAtomically(path, "new\r\n", &error));
        QCOMPARE(testing::readBytes(path), std::string("new\r\n"));

        // A target that is a folder is refused and stays a folder.
        QVERIFY(!io::writeFileAtomically(dir.path(), "x", &error));
        QVERIFY(!error.reason.isEmpty());
        QVERIFY(QFileInfo(dir.path()).isDir());

        // A target in a folder that does not exist fails without creating anything.
        QVERIFY(!io::writeFileAtomically(dir.filePath(QStringLiteral("no/such/file.key")), "x", &error));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no"))));
    }

    void failedWriteInReadOnlyFolderKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.key"));
        testing::writeBytes(path, "original");
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (io::isFolderWritable(dir.path())) {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that ignore folder permissions");
        }
        io::FileError error;
        const bool written = io::writeFileAtomically(path, "replacement", &error);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(!written);
        QVERIFY(error.code != 0);
        QCOMPARE(testing::readBytes(path), std::string("original"));
    }

    void settingsFileRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BremKeyDecode.ini"));
        testing::writeBytes(path, "; mine\r\n[Other]\r\nx=1\r\n");
        const QString keyFile = dir.filePath(QStringLiteral("My Keys.key"));
        testing::writeBytes(keyFile, "SimA 1\r\n");
        io::SettingsFile settings(path);
        const io::Locations loc{dir.path(), keyFile, QStringLiteral("My Keys.key")};
        QVERIFY(settings.save(loc));
        const auto back = settings.load(QStringLiteral("/prog"));
        QCOMPARE(back, loc);
        QVERIFY(testing::readBytes(path).find("x=1") != std::string::npos);
    }

    void settingsFileMissingOrUnwritable()
    {
        QTemporaryDir dir;
        io::SettingsFile missing(dir.filePath(QStringLiteral("none.ini")));
        const auto loc = missing.load(QStringLiteral("/prog"));
        QVERIFY(loc.keyFilePath.isEmpty());
        QVERIFY(!loc.keyFilesFolder.isEmpty());
        // A settings path that is a folder cannot be written: passed over, no crash.
        io::SettingsFile folder(dir.path());
        QVERIFY(!folder.save({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("abc") << true << "abc";
        QTest::newRow("utf-8 degree") << QByteArray("25\xc2\xb0") << true << QString::fromUtf8("25\xc2\xb0");
        QTest::newRow("1252 degree") << QByteArray("25\xb0") << false << QString::fromUtf8("25\xc2\xb0");
        QTest::newRow("1252 euro and quotes")
            << QByteArray("\x80\x93\x94") << false << QString::fromUtf8("\xe2\x82\xac\xe2\x80\x9c\xe2\x80\x9d");
        QTest::newRow("truncated utf-8") << QByteArray("a\xc3") << false << QString::fromUtf8("a\xc3\x83");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << false << QString::fromUtf8("\xc3\x80\xc2\xaf");
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false
                                   << QString::fromUtf8("\xc3\xad\xc2\xa0\xe2\x82\xac");
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        const std::string raw = bytes.toStdString();
        const auto encoding = io::detectEncoding(raw);
        QCOMPARE(encoding == io::TextEncoding::Utf8, utf8);
        QCOMPARE(io::decodeText(raw, encoding), text);
        QCOMPARE(io::encodeText(text, encoding), raw);
    }

    void everyWindows1252ByteRoundTrips()
    {
        std::string all;
        for (int b = 1; b < 256; ++b)
            all += static_cast<char>(b);
        const QString text = io::decodeText(all, io::TextEncoding::Windows1252);
        QCOMPARE(io::encodeText(text, io::TextEncoding::Windows1252), all);
        QCOMPARE(io::encodeText(QString::fromUtf8("\xe4\xb8\xad"), io::TextEncoding::Windows1252), std::string("?"));
    }
};

QTEST_GUILESS_MAIN(FileIoTest)
#include "FileIoTest.moc"
