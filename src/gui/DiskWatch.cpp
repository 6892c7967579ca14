#include "DiskWatch.h"

#include "io/FileIo.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace gui {

namespace {

const QByteArray kDeleted = QByteArrayLiteral("deleted");
const QByteArray kUnreadable = QByteArrayLiteral("unreadable");

// Not a defence against anyone: a quick fingerprint, so that a few bytes changed tell from the same file. Taken of
// blocks of 64 KiB whatever pieces the bytes come in, so that a file written in pieces and the same file read back
// in others have the same one.
class Fingerprint
{
public:
    void add(std::string_view bytes)
    {
        m_size += bytes.size();
        if (!m_block.empty()) {
            const std::size_t taken = std::min(bytes.size(), BlockSize - m_block.size());
            m_block.append(bytes.substr(0, taken));
            bytes.remove_prefix(taken);
            if (m_block.size() < BlockSize)
                return;
            mix(m_block);
            m_block.clear();
        }
        for (; bytes.size() >= BlockSize; bytes.remove_prefix(BlockSize))
            mix(bytes.substr(0, BlockSize));
        m_block.assign(bytes);
    }

    QByteArray result() const
    {
        std::uint64_t hash = m_hash;
        if (!m_block.empty())
            hash = combined(hash, m_block);
        return QByteArray::number(static_cast<qulonglong>(hash), 16) + '/'
            + QByteArray::number(static_cast<qulonglong>(m_size));
    }

private:
    static constexpr std::size_t BlockSize = std::size_t{1} << 16;

    static std::uint64_t combined(std::uint64_t hash, std::string_view block)
    {
        return (hash ^ std::hash<std::string_view>{}(block)) * 0x100000001B3ULL;
    }
    void mix(std::string_view block) { m_hash = combined(m_hash, block); }

    std::uint64_t m_hash = 0xCBF29CE484222325ULL;
    std::uint64_t m_size = 0;
    std::string m_block; // the bytes of a block not yet whole
};

} // namespace

DiskWatch::DiskWatch(QObject* parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
{
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DiskWatch::check);
    // A file replaced by another leaves the watch on the old one: the folder tells that a new one came.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskWatch::check);
}

void DiskWatch::track(const QString& path, std::span<const std::string_view> pieces)
{
    track(path, core::SharedBytes());
    Fingerprint fingerprint;
    for (const std::string_view piece : pieces)
        fingerprint.add(piece);
    m_known = fingerprint.result();
}

core::SharedBytes DiskWatch::bytesIfUnchanged(const QString& path) const
{
    return m_knownBytes && unchangedOnDisk(path) ? m_knownBytes : core::SharedBytes();
}

bool DiskWatch::unchangedOnDisk(const QString& path) const
{
    if (m_path.isEmpty() || QFileInfo(path) != QFileInfo(m_path))
        return false;
    const QFileInfo info(m_path);
    return info.isFile() && info.size() == m_knownSize && info.lastModified() == m_knownTime && m_knownTime.isValid();
}

const QByteArray& DiskWatch::known() const
{
    if (m_known.isEmpty()) {
        Fingerprint fingerprint;
        fingerprint.add(m_knownBytes.view());
        m_known = fingerprint.result();
    }
    return m_known;
}

void DiskWatch::track(const QString& path, core::SharedBytes bytes)
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path = path;
    m_known.clear(); // worked out from m_knownBytes when first needed
    m_knownBytes = std::move(bytes);
    m_reported.clear();
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    m_knownSize = info.size();
    m_knownTime = info.lastModified();
    m_watcher->addPath(path);
    m_watcher->addPath(QFileInfo(path).absolutePath());
}

QByteArray DiskWatch::diskHash() const
{
    const QFileInfo info(m_path);
    if (!info.isFile())
        return kDeleted;
    // A file of the size and time it had when it was read or written is taken to hold what it held then.
    if (info.size() == m_knownSize && info.lastModified() == m_knownTime && m_knownTime.isValid())
        return known();
    // Read in pieces: only the fingerprint is wanted, not a second copy of the file.
    Fingerprint fingerprint;
    io::FileError error;
    return io::readFileInPieces(
               m_path, [&fingerprint](std::string_view piece) { fingerprint.add(piece); }, &error)
        ? fingerprint.result()
        : kUnreadable;
}

DiskWatch::State DiskWatch::state() const
{
    if (m_path.isEmpty())
        return State::Same;
    const QByteArray now = diskHash();
    return now == known() ? State::Same : now == kDeleted ? State::Deleted : State::Changed;
}

void DiskWatch::acknowledge()
{
    m_reported = diskHash();
}

void DiskWatch::check()
{
    if (m_path.isEmpty() || m_paused)
        return;
    // The watch of a file that was replaced ends with it; a new file of the name is watched again.
    if (QFileInfo(m_path).isFile() && !m_watcher->files().contains(m_path))
        m_watcher->addPath(m_path);
    const QByteArray now = diskHash();
    if (now == known()) {
        m_reported.clear();
        return;
    }
    if (now == m_reported)
        return;
    m_reported = now;
    emit changed(now == kDeleted ? State::Deleted : State::Changed);
}

} // namespace gui
