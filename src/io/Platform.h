#pragma once

#include <QString>

#include <cstddef>

namespace io {

/** Makes standard output carry bytes unchanged (no CRLF translation on Windows). The one place that knows about
 *  the platform's C runtime. */
void setBinaryStandardOutput();

/** Tells the system that the `size` bytes at `data`, not yet touched, will be filled at once and read through:
 *  where the system has large memory pages, it may back them with those (far fewer page faults for a big file).
 *  A hint only; does nothing where there is no such thing. */
void adviseLargeBuffer(void* data, std::size_t size);

/** What a path names, symbolic links followed. */
enum class FileKind { Missing, Regular, Folder, NamedPipe, Device, Socket, Other };

/** The kind of file at `path`, found without opening it. `Missing` when the system cannot look at it; `error` then
 *  holds the system's error number. */
FileKind fileKind(const QString& path, int* error = nullptr);

/** What replacing a file by a new one would lose: its owner, group, permission bits and other names (hard links).
 *  `known` is false where the platform does not tell. */
struct FileIdentity
{
    bool known = false;
    long long owner = -1;
    long long group = -1;
    unsigned permissions = 0; // the mode's permission bits, set-id and sticky bits included
    long long links = 1;
};

/** The identity of the existing file at `path`, symbolic links followed. */
FileIdentity fileIdentity(const QString& path);

/** Gives the open file `handle` the owner and group of `identity` as far as the process may set them, then its
 *  permission bits. Returns 0, or the system error of setting the permission bits. */
int applyIdentity(int handle, const FileIdentity& identity);

/** Waits until the open file's data is on the disk. Returns 0 or the system error. */
int syncToDisk(int handle);

} // namespace io
