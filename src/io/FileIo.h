#pragma once

#include "core/SharedBytes.h"

#include <QString>

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace io {

/** Key files larger than this are refused rather than read. */
constexpr qint64 MaxKeyFileSize = 64LL * 1024 * 1024;

/** Why a read or write failed, in words for a message, and the system's error number where one is known. */
struct FileError
{
    QString reason;
    int code = 0;
};

/** Reads a whole regular file (or one a symbolic link leads to). Refuses missing files, folders, named pipes,
 *  devices and files over `limit` bytes with a reason, without opening them. */
[[nodiscard]] bool readFileBytes(
    const QString& path, std::string* bytes, FileError* error, qint64 limit = MaxKeyFileSize);

/** Reads a file as readFileBytes does, with the same refusals, but a megabyte at a time, giving each piece to `use`
 *  in order: a reader that keeps little of a big file never holds it whole. False with the reason when the file
 *  could not be read to its end (the pieces given before then are all of it there will be). */
[[nodiscard]] bool readFileInPieces(const QString& path, const std::function<void(std::string_view)>& use,
    FileError* error, qint64 limit = MaxKeyFileSize);

/** Files from this size on are mapped by readFileShared rather than copied. */
constexpr qint64 MapFilesFrom = 8LL * 1024 * 1024;

/** Reads a whole file as readFileBytes does, for a reader that only reads it and soon ends: a file of
 *  MapFilesFrom bytes or more is mapped into memory instead of copied into fresh memory, which for a big file
 *  costs as much as everything else a command-line run does. Not for the window, which keeps a file open for long:
 *  a mapped file cut short by another program ends the process that reads past its new end. */
[[nodiscard]] bool readFileShared(
    const QString& path, core::SharedBytes* bytes, FileError* error, qint64 limit = MaxKeyFileSize);

/** True when the file exists and its owner may not write it (the read-only attribute). */
bool isReadOnlyFile(const QString& path);

/** Writes a whole file through a temporary file renamed over the target, so that a failure leaves any existing
 *  file as it was. The new file keeps the old one's owner and group (as far as the process may set them) and its
 *  permission bits. A file with other names (hard links) is written in place once the new content is complete in
 *  a temporary file, so that every name shows it. A read-only file and anything that is not a regular file are
 *  refused, whatever the process's rights. */
[[nodiscard]] bool writeFileAtomically(const QString& path, std::string_view bytes, FileError* error);
/** The same for content given in pieces, written one after another; a piece may lie in the file written (a mapping
 *  of it), which is not changed before the whole content is safe in a temporary file. */
[[nodiscard]] bool writeFileAtomically(const QString& path, std::span<const std::string_view> pieces, FileError* error);

/** Makes the next atomic write fail with system error `code` after writing its temporary file, as a full disk
 *  would. For tests of what the program does when a save fails. */
void injectWriteFailure(int code);

/** The folder of the running program. */
QString programFolder();

/** True when a new file can be created in `folder`. */
bool isFolderWritable(const QString& folder);

} // namespace io
