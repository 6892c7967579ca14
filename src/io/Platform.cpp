#include "Platform.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace io {

void setBinaryStandardOutput()
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

void adviseLargeBuffer(void* data, std::size_t size)
{
#ifdef __linux__
    // Only whole large pages inside the buffer can be advised.
    constexpr std::uintptr_t kLargePage = 2 * 1024 * 1024;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLargePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

void returnBigBlocksAtOnce()
{
#ifdef __GLIBC__
    // A fixed threshold also stops the library from moving it up after each big block freed.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

void returnFreedMemory()
{
#ifdef __GLIBC__
    (void)malloc_trim(0);
#endif
}

#ifdef _WIN32

FileKind fileKind(const QString& path, int* error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        if (error)
            *error = ENOENT;
        return FileKind::Missing;
    }
    if (info.isDir())
        return FileKind::Folder;
    return info.isFile() ? FileKind::Regular : FileKind::Other;
}

FileIdentity fileIdentity(const QString&)
{
    return {};
}

int applyIdentity(int, const FileIdentity&)
{
    return 0;
}

int syncToDisk(int handle)
{
    return _commit(handle) == 0 ? 0 : errno;
}

#else

FileKind fileKind(const QString& path, int* error)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        if (error)
            *error = errno;
        return FileKind::Missing;
    }
    if (S_ISREG(status.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(status.st_mode))
        return FileKind::Folder;
    if (S_ISFIFO(status.st_mode))
        return FileKind::NamedPipe;
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return FileKind::Device;
    if (S_ISSOCK(status.st_mode))
        return FileKind::Socket;
    return FileKind::Other;
}

FileIdentity fileIdentity(const QString& path)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    FileIdentity identity;
    identity.known = true;
    identity.owner = static_cast<long long>(status.st_uid);
    identity.group = static_cast<long long>(status.st_gid);
    identity.permissions = static_cast<unsigned>(status.st_mode & 07777);
    identity.links = static_cast<long long>(status.st_nlink);
    return identity;
}

int applyIdentity(int handle, const FileIdentity& identity)
{
    if (!identity.known)
        return 0;
    // Owner first: a change of owner clears the set-id bits, which the permissions then put back. A process may
    // give a file only its own user and one of its groups; where it may not, the new file stays its own.
    const auto owner = static_cast<uid_t>(identity.owner);
    const auto group = static_cast<gid_t>(identity.group);
    if (::fchown(handle, owner, group) != 0 && ::fchown(handle, static_cast<uid_t>(-1), group) != 0) {
        // Neither may be given: the file keeps the process's own owner and group.
    }
    return ::fchmod(handle, static_cast<mode_t>(identity.permissions)) == 0 ? 0 : errno;
}

int syncToDisk(int handle)
{
    return ::fsync(handle) == 0 ? 0 : errno;
}

#endif

} // namespace io
