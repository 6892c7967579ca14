#include "io/FileIo.h"
#include "io/Platform.h"
#include "io/SettingsFile.h"
#include "io/TextCodec.h"

#include "TestData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cerrno>
#include <string_view>

class FileIoTest : public QObject
{
    Q_OBJECT

private slots:
    // A regular file, or one a symbolic link leads to, up to the limit is read; anything else is refused with its
    // reason and the bytes are left alone.
    void reads_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("size"); // the bytes the target holds: NUL and CRLF among 5 of them; -1 for none
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("limitMiB");
        const auto row = [](const char* kind, int size, const char* reason, int limitMiB = 1) {
            QTest::newRow(kind) << kind << size << reason << limitMiB;
        };
        row("file", 5, "");
        row("link to file", 5, "");
        row("limit", 1024 * 1024, "");
        row("missing", -1, "No such file or folder");
        row("folder", -1, "It is a folder, not a file");
        row("large", 1024 * 1024 + 1, "The file is larger than 1 MiB");
        // Opening a named pipe would wait for a writer. The CLI tests check a named pipe and a device by name.
        row("link to pipe", -1, "It is a named pipe, not a regular file");
        // From 8 MiB on, the shared reading maps the file instead.
        const int mapped = static_cast<int>(io::MapFilesFrom);
        row("mapped", mapped, "", 9);
        row("mapped link", mapped, "", 9);
        row("mapped at the limit", mapped, "", 8);
        row("mapped over the limit", mapped + 1, "The file is larger than 8 MiB", 8);
    }

    void reads()
    {
        QFETCH(QString, kind);
        QFETCH(int, size);
        QFETCH(QString, reason);
        QFETCH(int, limitMiB);
        const qint64 limit = qint64{limitMiB} * 1024 * 1024;
        QTemporaryDir dir;
        const QString target = dir.filePath("target");
        const std::string content = size == 5 ? std::string("A\0B\r\n", 5) : std::string(std::max(size, 0), 'a');
        if (size >= 0)
            testing::writeBytes(target, content);
        if (kind.endsWith("pipe") && !testing::makeNamedPipe(target))
            QSKIP("no mkfifo here");
        QString path = kind == "folder" ? dir.path() : target;
        if (kind == "missing" || kind.contains("link"))
            path = dir.filePath("x.key");
        if (kind.contains("link") && !QFile::link(target, path))
            QSKIP("no symbolic links here");
        std::string bytes = "untouched";
        io::FileError error;
        QCOMPARE(io::readFileBytes(path, &bytes, &error, limit), reason.isEmpty());
        QCOMPARE(error.reason, reason);
        QVERIFY(bytes == (reason.isEmpty() ? content : std::string("untouched")));
        // The shared reading gives the same bytes, or the same reason; the bytes outlive the reading.
        core::SharedBytes shared;
        io::FileError sharedError;
        QCOMPARE(io::readFileShared(path, &shared, &sharedError, limit), reason.isEmpty());
        QCOMPARE(sharedError.reason, reason);
        QVERIFY(shared.view() == (reason.isEmpty() ? std::string_view(content) : std::string_view()));
        // Read in pieces, the file's bytes come in the same order, in pieces of at most a megabyte; a file refused is
        // never opened, and gives none.
        std::string pieces;
        std::size_t largest = 0;
        io::FileError piecesError;
        QCOMPARE(io::readFileInPieces(
                     path,
                     [&](std::string_view piece) {
                         pieces += piece;
                         largest = std::max(largest, piece.size());
                     },
                     &piecesError, limit),
            reason.isEmpty());
        QCOMPARE(piecesError.reason, reason);
        QVERIFY(pieces == (reason.isEmpty() ? content : std::string()));
        QVERIFY(largest <= std::size_t{1} << 20);
    }

    void writeIntoAMissingFolderCreatesNothing()
    {
        QTemporaryDir dir;
        io::FileError error;
        QVERIFY(!io::writeFileAtomically(dir.filePath(QStringLiteral("no/such/file.key")), "x", &error));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no"))));
    }

    void saveKeepsTheFilesIdentity_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("hardLink");
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<bool>("diskFull"); // the write fails after its temporary file is written
        QTest::newRow("owner only") << "600" << false << false << false;
        QTest::newRow("set-group-id, everyone reads") << "2755" << false << false << false;
        QTest::newRow("hard link") << "640" << true << false << false;
        QTest::newRow("another owner and group") << "640" << false << true << false;
        QTest::newRow("another owner, hard link") << "604" << true << true << false;
        QTest::newRow("disk full") << "600" << false << false << true;
        QTest::newRow("hard link, disk full") << "640" << true << false << true;
    }

    void saveKeepsTheFilesIdentity()
    {
        QFETCH(QString, mode);
        QFETCH(bool, hardLink);
        QFETCH(bool, otherOwner);
        QFETCH(bool, diskFull);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keys.key"));
        const QString other = dir.filePath(QStringLiteral("other name.key"));
        testing::writeBytes(path, "old content\r\n");
        if (!testing::runProgram(QStringLiteral("chmod"), {mode, path}))
            QSKIP("no chmod here");
        if (hardLink && !testing::runProgram(QStringLiteral("ln"), {path, other}))
            QSKIP("no hard links here");
        if (otherOwner) {
            if (QFileInfo(path).ownerId() != 0)
                QSKIP("giving a file to another user takes root");
            QVERIFY(testing::runProgram(QStringLiteral("chown"), {QStringLiteral("4321:8765"), path}));
        }
        // Owner, group, permission bits and links as Qt and the platform layer see them; the save keeps them all.
        const auto state = [&path] {
            const QFileInfo info(path);
            const io::FileIdentity id = io::fileIdentity(path);
            return QList<long long>{info.ownerId(), info.groupId(), info.permissions().toInt(), id.owner, id.group,
                id.permissions, id.links};
        };
        const QList<long long> before = state();
        QCOMPARE(before[3], before[0]);
        QCOMPARE(before[6], hardLink ? 2LL : 1LL);

        // The new content is pieces of a mapping of the file itself, as a command-line save writes it: a later
        // piece lies where an earlier one goes, so that the file must not be written over from them.
        const std::string content = diskFull ? "old content\r\n" : "content old\r\n";
        QFile mapped(path);
        QVERIFY(mapped.open(QIODevice::ReadOnly));
        const uchar* map = mapped.map(0, mapped.size(), QFileDevice::MapPrivateOption);
        QVERIFY(map != nullptr);
        const std::string_view old(reinterpret_cast<const char*>(map), static_cast<std::size_t>(mapped.size()));
        const std::array<std::string_view, 4> pieces{old.substr(4, 7), " ", old.substr(0, 3), old.substr(11)};
        if (diskFull)
            io::injectWriteFailure(ENOSPC);
        io::FileError error;
        QCOMPARE(io::writeFileAtomically(path, pieces, &error), !diskFull);
        QCOMPARE(error.code, diskFull ? ENOSPC : 0);
        QCOMPARE(testing::readBytes(path), content);
        QCOMPARE(state(), before);
        // The other name shows the same content, and no temporary file is left beside them.
        if (hardLink)
            QCOMPARE(testing::readBytes(other), content);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), hardLink ? 2 : 1);
    }

    // A missing file gives the defaults and is made by saving; whatever else a file holds stays.
    void settingsFileRoundTrip()
    {
        QTemporaryDir dir;
        io::SettingsFile settings(dir.filePath(QStringLiteral("BremKeyDecode.ini")));
        const auto defaults = settings.load(QStringLiteral("/prog"));
        QVERIFY(!settings.loadProblem() && defaults.keyFilePath.isEmpty() && !defaults.keyFilesFolder.isEmpty());
        QVERIFY(settings.save({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QVERIFY(testing::readBytes(settings.path()).find("KeyFileName=c") != std::string::npos);
        testing::writeBytes(settings.path(), "; mine\r\n[Other]\r\nx=1\r\n");
        const QString keyFile = dir.filePath(QStringLiteral("My Keys.key"));
        testing::writeBytes(keyFile, "SimA 1\r\n");
        const io::Locations loc{dir.path(), keyFile, QStringLiteral("My Keys.key")};
        QVERIFY(settings.save(loc));
        QCOMPARE(settings.load(QStringLiteral("/prog")), loc);
        QVERIFY(!settings.loadProblem());
        const std::string text = testing::readBytes(settings.path());
        for (const char* kept : {"; mine", "[Other]", "x=1"})
            QVERIFY2(text.find(kept) != std::string::npos, kept);
    }

    void settingsFileThatCannotBeReadIsLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("atLoad");
        QTest::addColumn<QString>("reason");
        QTest::newRow("too large") << "large" << true << "The file is larger than 1 MiB";
        QTest::newRow("folder") << "folder" << true << "It is a folder, not a file";
        QTest::newRow("named pipe since loading") << "pipe" << false << "";
    }

    void settingsFileThatCannotBeReadIsLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(bool, atLoad);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BremKeyDecode.ini"));
        const std::string large = "[FileLocations]\r\nKeyFileName=kept.key\r\n; " + std::string(1024 * 1024, 'x');
        const auto make = [&] {
            if (kind == QLatin1String("large"))
                testing::writeBytes(path, large);
            if (kind == QLatin1String("folder"))
                QDir().mkdir(path);
            if (kind == QLatin1String("pipe"))
                return testing::makeNamedPipe(path);
            return true;
        };
        io::SettingsFile settings(path);
        if (atLoad && !make())
            QSKIP("no mkfifo here");
        const auto loc = settings.load(QStringLiteral("/prog"));
        QVERIFY(loc.keyFileName.isEmpty());
        QCOMPARE(settings.loadProblem().value_or(QString()), reason);
        if (!atLoad && !make())
            QSKIP("no mkfifo here");
        QVERIFY(!settings.save({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        const QFileInfo after(path);
        QCOMPARE(after.isFile(), kind == QLatin1String("large"));
        QCOMPARE(after.isDir(), kind == QLatin1String("folder"));
        QVERIFY(after.exists());
        if (kind == QLatin1String("large"))
            QVERIFY(testing::readBytes(path) == large);
    }

    // A file is UTF-8 when all of it is, Windows-1252 otherwise; text encodes back to the same bytes. Mixed text
    // (a comparison of two files) reads each valid UTF-8 sequence as UTF-8 and any other byte as Windows-1252.
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mixed"); // empty: the same as the text
        const auto row = [](const char* name, const char* bytes, bool utf8, const char* text, const char* mixed = "") {
            QTest::newRow(name) << QByteArray(bytes) << utf8 << QString::fromUtf8(text) << QString::fromUtf8(mixed);
        };
        row("ascii", "abc", true, "abc");
        row("utf-8 degree", "25\xc2\xb0", true, "25\xc2\xb0");
        row("1252 degree", "25\xb0", false, "25\xc2\xb0");
        row("1252 euro and quotes", "\x80\x93\x94", false, "\xe2\x82\xac\xe2\x80\x9c\xe2\x80\x9d");
        row("1252 euro alone", "a\x80", false, "a\xe2\x82\xac");
        row("1252 after eight ASCII", "abcdefghij\xb0", false, "abcdefghij\xc2\xb0");
        row("1252 last of eight", "abcdefg\xb0", false, "abcdefg\xc2\xb0");
        row("1252 bytes it leaves undefined",
            "\x81\x8d\x8f\x90\x9d"
            "abcdefghi\x7f",
            false,
            "\xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d"
            "abcdefghi\x7f");
        row("1252 highest byte after nine ASCII", "abcdefghi\xff", false, "abcdefghi\xc3\xbf");
        row("utf-8 across eight", "abcdefg\xc2\xb0xyzuvw", true, "abcdefg\xc2\xb0xyzuvw");
        row("truncated utf-8", "a\xc3", false, "a\xc3\x83");
        row("overlong", "\xc0\xaf", false, "\xc3\x80\xc2\xaf");
        row("surrogate", "\xed\xa0\x80", false, "\xc3\xad\xc2\xa0\xe2\x82\xac");
        row("beyond U+10FFFF", "\xf4\x90\x80\x80", false, "\xc3\xb4\xc2\x90\xe2\x82\xac\xe2\x82\xac");
        row("both degree signs", "\xc2\xb0 \xb0", false, "\xc3\x82\xc2\xb0 \xc2\xb0", "\xc2\xb0 \xc2\xb0");
        row("beyond the BMP", "\xf0\x9f\x98\x80\xb0", false, "\xc3\xb0\xc5\xb8\xcb\x9c\xe2\x82\xac\xc2\xb0",
            "\xf0\x9f\x98\x80\xc2\xb0");
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        QFETCH(QString, mixed);
        const std::string raw = bytes.toStdString();
        const auto encoding = io::detectEncoding(raw);
        QCOMPARE(encoding == io::TextEncoding::Utf8, utf8);
        QCOMPARE(io::decodeText(raw, encoding), text);
        QCOMPARE(io::encodeText(text, encoding), raw);
        QCOMPARE(io::decodeMixedText(raw), mixed.isEmpty() ? text : mixed);
        // In UTF-8 for the clipboard, appended, under either encoding: bytes that are not UTF-8 read as UTF-8 give
        // replacement characters, as they do on screen.
        for (const auto as : {io::TextEncoding::Utf8, io::TextEncoding::Windows1252}) {
            QByteArray clip("x");
            io::appendAsUtf8(clip, raw, as);
            QCOMPARE(clip, "x" + io::decodeText(raw, as).toUtf8());
        }
    }

    // Line ends for a text box (LF) and for the clipboard (CRLF), from every mix a file or a selection has: the
    // CRLF text is made from the LF text with its second line end a selection's paragraph separator.
    void lineEnds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lf");
        QTest::addColumn<QString>("crlf");
        const auto row = [](const char* name, const char* text, const char* lf, const char* crlf) {
            QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(lf) << QString::fromLatin1(crlf);
        };
        row("none", "ab", "ab", "ab");
        row("crlf, lf, cr", "a\r\nb\nc\rd", "a\nb\nc\nd", "a\r\nb\r\nc\r\nd");
        row("ends at cr", "a\r", "a\n", "a\r\n");
        row("cr cr lf", "\r\r\n", "\n\n", "\r\n\r\n");
        row("empty", "", "", "");
    }

    void lineEnds()
    {
        QFETCH(QString, text);
        QFETCH(QString, lf);
        QFETCH(QString, crlf);
        QCOMPARE(io::withLfLineEnds(text), lf);
        const qsizetype second = lf.indexOf(QLatin1Char('\n'), lf.indexOf(QLatin1Char('\n')) + 1);
        if (second > 0)
            lf[second] = QChar::ParagraphSeparator;
        QCOMPARE(io::withCrlfLineEnds(lf), crlf);
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
