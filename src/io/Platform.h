#pragma once

#include <QString>

#include <cstddef>
#include <ctime>

namespace io {

/** Makes standard output carry bytes unchanged (no CRLF translation on Windows). The one place that knows about
 *  the platform's C runtime. */
void setBinaryStandardOutput();

/** The local time now, as the calendar on the wall shows it. */
std::tm localNow();

/** Tells the system that the `size` bytes at `data`, not yet touched, will be filled at once and read through:
 *  where the system has large memory pages, it may back them with those (far fewer page faults for a big file).
 *  A hint only; does nothing where there is no such thing. */
void adviseLargeBuffer(void* data, std::size_t size);

/** Has blocks of 1 MiB and more mapped on their own, so that the system gets their memory back as soon as they are
 *  freed. Without it the C library raises that size as it goes and keeps what worker threads freed for later use:
 *  a window that makes and drops texts of tens of MiB keeps the most it ever held. For the window's start; does
 *  nothing where the C library has no such setting. */
void returnBigBlocksAtOnce();

/** Gives the system back the memory the C library holds freed for later use, before a big block is made: the
 *  block's pages then do not come on top of pages kept for nothing. Does nothing where the C library cannot. */
void returnFreedMemory();

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
