#include "FileIo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

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

} // namespace

bool readFileBytes(const QString& path, std::string* bytes, FileError* error, qint64 limit)
{
    const QFileInfo info(path);
    FileError result;
    if (!info.exists()) {
        result.reason = QStringLiteral("No such file or folder");
        result.code = ENOENT;
    } else if (info.isDir()) {
        result.reason = QStringLiteral("It is a folder, not a file");
        result.code = EISDIR;
    } else if (info.size() > limit) {
        result.reason = QStringLiteral("The file is larger than %1 MiB").arg(limit / (1024 * 1024));
        result.code = EFBIG;
    } else {
        QFile file(path);
        errno = 0;
        if (!file.open(QIODevice::ReadOnly)) {
            result = systemError(file.errorString());
        } else {
            // Read straight into the result, up to one byte past the limit in case the file grew since it was
            // measured.
            std::string data(static_cast<std::size_t>(qMin(info.size(), limit) + 1), '\0');
            qint64 total = 0;
            for (;;) {
                const qint64 got = file.read(data.data() + total, static_cast<qint64>(data.size()) - total);
                if (got <= 0)
                    break;
                total += got;
                if (total == static_cast<qint64>(data.size())) {
                    if (total > limit)
                        break;
                    data.resize(static_cast<std::size_t>(qMin(limit + 1, 2 * total)));
                }
            }
            if (file.error() != QFileDevice::NoError) {
                result = systemError(file.errorString());
            } else if (total > limit) {
                result.reason = QStringLiteral("The file is larger than %1 MiB").arg(limit / (1024 * 1024));
                result.code = EFBIG;
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

bool writeFileAtomically(const QString& path, const std::string& bytes, FileError* error)
{
    if (QFileInfo(path).isDir()) {
        if (error)
            *error = FileError{QStringLiteral("It is a folder, not a file"), EISDIR};
        return false;
    }
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = systemError(file.errorString());
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (const int injected = g_injectedWriteFailure.exchange(0); injected != 0) {
        file.cancelWriting();
        errno = injected;
        if (error)
            *error = systemError(QString());
        return false;
    }
    if (file.write(bytes.data(), size) != size || !file.flush()) {
        const FileError failure = systemError(file.errorString());
        file.cancelWriting();
        if (error)
            *error = failure;
        return false;
    }
    errno = 0;
    if (!file.commit()) {
        if (error)
            *error = systemError(file.errorString());
        return false;
    }
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
