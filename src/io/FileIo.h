#pragma once

#include <QString>

#include <string>

namespace io {

/** Key files larger than this are refused rather than read. */
constexpr qint64 MaxKeyFileSize = 64LL * 1024 * 1024;

/** Why a read or write failed, in words for a message, and the system's error number where one is known. */
struct FileError
{
    QString reason;
    int code = 0;
};

/** Reads a whole file. Refuses folders, missing files and files over `limit` bytes with a reason. */
[[nodiscard]] bool readFileBytes(
    const QString& path, std::string* bytes, FileError* error, qint64 limit = MaxKeyFileSize);

/** Writes a whole file through a temporary file renamed over the target, so that a failure leaves any existing
 *  file as it was. */
[[nodiscard]] bool writeFileAtomically(const QString& path, const std::string& bytes, FileError* error);

/** Makes the next atomic write fail with system error `code` after writing its temporary file, as a full disk
 *  would. For tests of what the program does when a save fails. */
void injectWriteFailure(int code);

/** The folder of the running program. */
QString programFolder();

/** True when a new file can be created in `folder`. */
bool isFolderWritable(const QString& folder);

} // namespace io
