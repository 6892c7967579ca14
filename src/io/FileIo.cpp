#include "FileIo.h"

#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace io {

namespace {

std::atomic<int> g_injectedWriteFailure{0};

FileError systemError(const QString& fallback)
{
    const int code = errno;
    FileError error;
    error.code = code;
    error.reason = code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : fallback;
    return error;
}

FileError notAFile(FileKind kind, int code)
{
    switch (kind) {
    case FileKind::Missing:
        if (code == 0 || code == ENOENT || code == ENOTDIR)
            return FileError{QStringLiteral("No such file or folder"), ENOENT};
        return FileError{QString::fromLocal8Bit(std::strerror(code)), code};
    case FileKind::Folder:
        return FileError{QStringLiteral("It is a folder, not a file"), EISDIR};
    case FileKind::NamedPipe:
        return FileError{QStringLiteral("It is a named pipe, not a regular file"), EINVAL};
    case FileKind::Device:
        return FileError{QStringLiteral("It is a device, not a regular file"), EINVAL};
    case FileKind::Socket:
        return FileError{QStringLiteral("It is a socket, not a regular file"), EINVAL};
    case FileKind::Regular:
    case FileKind::Other:
        break;
    }
    return FileError{QStringLiteral("It is not a regular file"), EINVAL};
}

bool writePieces(QIODevice& device, std::span<const std::string_view> pieces)
{
    for (const std::string_view piece : pieces) {
        const auto size = static_cast<qint64>(piece.size());
        if (device.write(piece.data(), size) != size)
            return false;
    }
    return true;
}

// A file with other names (hard links) is written in place, so that every name shows the new content. The new
// content first goes whole into a temporary file beside it: a full disk or any other failure there leaves the
// file as it was. Should writing the file itself then fail, the temporary file is kept and the reason names it.
bool writeInPlace(const QString& path, std::span<const std::string_view> pieces, FileError* error)
{
    const auto fail = [error](const FileError& failure) {
        if (error)
            *error = failure;
        return false;
    };
    const QFileInfo target(QFileInfo(path).canonicalFilePath());
    QTemporaryFile copy(target.dir().filePath(target.fileName() + QStringLiteral(".XXXXXX")));
    errno = 0;
    if (!copy.open())
        return fail(systemError(copy.errorString()));
    if (const int injected = g_injectedWriteFailure.exchange(0); injected != 0) {
        errno = injected;
        return fail(systemError(QString()));
    }
    errno = 0;
    if (!writePieces(copy, pieces) || !copy.flush())
        return fail(systemError(copy.errorString()));
    if (const int code = syncToDisk(copy.handle()); code != 0) {
        errno = code;
        return fail(systemError(QString()));
    }

    // The file is filled from the copy, not from the pieces: they may be a mapping of this very file.
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return fail(systemError(file.errorString()));
    errno = 0;
    const qint64 size = copy.size();
    bool written = copy.seek(0);
    QByteArray block;
    for (qint64 done = 0; written && done < size; done += block.size()) {
        block = copy.read(std::min<qint64>(size - done, qint64{1} << 20));
        written = !block.isEmpty() && file.write(block) == block.size();
    }
    written = written && file.resize(size);
    if (written) {
        if (const int code = syncToDisk(file.handle()); code != 0) {
            errno = code;
            written = false;
        }
    }
    if (!written) {
        FileError failure = systemError(file.errorString());
        copy.setAutoRemove(false);
        failure.reason += QStringLiteral("; the new content is kept in ") + copy.fileName();
        return fail(failure);
    }
    return true;
}

FileError tooLarge(qint64 limit)
{
    return FileError{QStringLiteral("The file is larger than %1 MiB").arg(limit / (1024 * 1024)), EFBIG};
}

// Opens a regular file (or one a symbolic link leads to) of at most `limit` bytes for reading, and gives its size;
// anything else is refused with its reason without being opened: opening a named pipe waits for a writer, and a
// device may never end.
bool openForReading(QFile& file, qint64 limit, qint64* size, FileError* result)
{
    int kindError = 0;
    if (const FileKind kind = fileKind(file.fileName(), &kindError); kind != FileKind::Regular) {
        *result = notAFile(kind, kindError);
        return false;
    }
    *size = QFileInfo(file.fileName()).size();
    if (*size > limit) {
        *result = tooLarge(limit);
        return false;
    }
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        *result = systemError(file.errorString());
        return false;
    }
    return true;
}

} // namespace

bool readFileBytes(const QString& path, std::string* bytes, FileError* error, qint64 limit)
{
    FileError result;
    QFile file(path);
    qint64 fileSize = 0;
    if (openForReading(file, limit, &fileSize, &result)) {
        {
            // Read straight into the result, up to one byte past the limit in case the file grew since it was
            // measured.
            const auto capacity = static_cast<std::size_t>(qMin(fileSize, limit) + 1);
            std::string data;
            data.reserve(capacity);
            adviseLargeBuffer(data.data(), capacity);
            qint64 total = 0;
            // Fills the buffer from `total` on; false once the file has ended or failed.
            const auto fill = [&file, &total](char* buffer, std::size_t size) {
                while (total < static_cast<qint64>(size)) {
                    const qint64 got = file.read(buffer + total, static_cast<qint64>(size) - total);
                    if (got <= 0)
                        return false;
                    total += got;
                }
                return true;
            };
            for (std::size_t size = capacity;; size = static_cast<std::size_t>(qMin(limit + 1, 2 * total))) {
                bool full = false;
#ifdef __cpp_lib_string_resize_and_overwrite
                // The bytes are written once, by the read: no zero-fill first, which on a fresh 64 MiB buffer costs
                // as much as the read itself, and more while the system gathers large pages.
                data.resize_and_overwrite(size, [&](char* buffer, std::size_t n) {
                    full = fill(buffer, n);
                    return static_cast<std::size_t>(total);
                });
#else
                data.resize(size);
                full = fill(data.data(), size);
#endif
                if (!full || total > limit)
                    break;
            }
            if (file.error() != QFileDevice::NoError) {
                result = systemError(file.errorString());
            } else if (total > limit) {
                result = tooLarge(limit);
            } else {
                data.resize(static_cast<std::size_t>(total));
                *bytes = std::move(data);
                return true;
            }
        }
    }
    if (error)
        *error = result;
    return false;
}

bool readFileInPieces(
    const QString& path, const std::function<void(std::string_view)>& use, FileError* error, qint64 limit)
{
    FileError result;
    QFile file(path);
    qint64 size = 0;
    if (openForReading(file, limit, &size, &result)) {
        std::string piece(static_cast<std::size_t>(qBound(qint64{1}, size, qint64{1} << 20)), '\0');
        qint64 total = 0;
        for (;;) {
            const qint64 got = file.read(piece.data(), static_cast<qint64>(piece.size()));
            if (got < 0) {
                result = systemError(file.errorString());
                break;
            }
            if (got == 0)
                return true;
            // A file that grew past the limit since it was measured is refused as it would have been then.
            total += got;
            if (total > limit) {
                result = tooLarge(limit);
                break;
            }
            use(std::string_view(piece.data(), static_cast<std::size_t>(got)));
        }
    }
    if (error)
        *error = result;
    return false;
}

bool readFileShared(const QString& path, core::SharedBytes* bytes, FileError* error, qint64 limit)
{
    const QFileInfo info(path);
    if (info.isFile() && info.size() >= MapFilesFrom && info.size() <= limit) {
        auto file = std::make_shared<QFile>(path);
        if (file->open(QIODevice::ReadOnly)) {
            const qint64 size = file->size();
            // The mapping lasts as long as the file object, which the bytes keep.
            if (const uchar* mapped
                = size >= MapFilesFrom && size <= limit ? file->map(0, size, QFileDevice::MapPrivateOption) : nullptr) {
                const std::string_view view(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(size));
                *bytes = core::SharedBytes(view, std::shared_ptr<const void>(std::move(file)));
                return true;
            }
        }
    }
    // Small files, and anything that cannot be mapped, are read; the reading also gives the reasons of a failure.
    std::string read;
    if (!readFileBytes(path, &read, error, limit))
        return false;
    *bytes = core::SharedBytes(std::move(read));
    return true;
}

bool isReadOnlyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

bool writeFileAtomically(const QString& path, std::string_view bytes, FileError* error)
{
    return writeFileAtomically(path, std::span<const std::string_view>(&bytes, 1), error);
}

bool writeFileAtomically(const QString& path, std::span<const std::string_view> pieces, FileError* error)
{
    const auto fail = [error](const FileError& failure) {
        if (error)
            *error = failure;
        return false;
    };
    const FileKind kind = fileKind(path);
    if (kind != FileKind::Regular && kind != FileKind::Missing)
        return fail(notAFile(kind, 0));
    // The check is explicit: a process with the rights to write anyway (root) still leaves such a file alone.
    if (kind == FileKind::Regular && isReadOnlyFile(path))
        return fail(FileError{QStringLiteral("The file is read-only"), EACCES});
    const FileIdentity identity = kind == FileKind::Regular ? fileIdentity(path) : FileIdentity{};
    if (identity.links > 1)
        return writeInPlace(path, pieces, error);

    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        FileError failure = systemError(file.errorString());
        // The new file is made beside the old one: a folder that cannot be written is named.
        const QString folder = QFileInfo(path).absolutePath();
        if (failure.code == EACCES || failure.code == EROFS || failure.code == EPERM) {
            failure.reason = failure.reason + QStringLiteral(" (the folder ") + QDir::toNativeSeparators(folder)
                + QStringLiteral(" cannot be written)");
        }
        return fail(failure);
    }
    // The new file takes the old one's owner, group and permissions before it holds anything.
    if (const int code = applyIdentity(file.handle(), identity); code != 0) {
        file.cancelWriting();
        errno = code;
        return fail(systemError(QString()));
    }
    if (const int injected = g_injectedWriteFailure.exchange(0); injected != 0) {
        file.cancelWriting();
        errno = injected;
        return fail(systemError(QString()));
    }
    if (!writePieces(file, pieces) || !file.flush()) {
        const FileError failure = systemError(file.errorString());
        file.cancelWriting();
        return fail(failure);
    }
    errno = 0;
    if (!file.commit())
        return fail(systemError(file.errorString()));
    return true;
}

void injectWriteFailure(int code)
{
    g_injectedWriteFailure = code;
}

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

bool isFolderWritable(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("tarnwick-XXXXXX.tmp")));
    return probe.open();
}

} // namespace io
