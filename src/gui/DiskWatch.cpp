#include "DiskWatch.h"

#include "io/FileIo.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

#include <functional>
#include <string_view>

namespace gui {

namespace {

const QByteArray kDeleted = QByteArrayLiteral("deleted");
const QByteArray kUnreadable = QByteArrayLiteral("unreadable");

} // namespace

DiskWatch::DiskWatch(QObject* parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
{
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DiskWatch::check);
    // A file replaced by another leaves the watch on the old one: the folder tells that a new one came.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DiskWatch::check);
}

QByteArray DiskWatch::hashOf(std::string_view bytes)
{
    // Not a defence against anyone: a quick fingerprint, so that a few bytes changed tell from the same file.
    return QByteArray::number(static_cast<qulonglong>(std::hash<std::string_view>{}(bytes)), 16) + '/'
        + QByteArray::number(static_cast<qulonglong>(bytes.size()));
}

void DiskWatch::track(const QString& path, const std::string& bytes)
{
    track(path, core::SharedBytes());
    m_known = hashOf(bytes);
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
    if (m_known.isEmpty())
        m_known = hashOf(m_knownBytes.view());
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
    std::string bytes;
    io::FileError error;
    return io::readFileBytes(m_path, &bytes, &error) ? hashOf(bytes) : kUnreadable;
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
