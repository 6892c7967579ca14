#include "DiskWatch.h"

#include "io/FileIo.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QFileSystemWatcher>

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

QByteArray DiskWatch::hashOf(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())), QCryptographicHash::Sha1);
}

void DiskWatch::track(const QString& path, const std::string& bytes)
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path = path;
    m_known = hashOf(bytes);
    m_reported.clear();
    if (path.isEmpty())
        return;
    m_watcher->addPath(path);
    m_watcher->addPath(QFileInfo(path).absolutePath());
}

QByteArray DiskWatch::diskHash() const
{
    if (!QFileInfo(m_path).isFile())
        return kDeleted;
    std::string bytes;
    io::FileError error;
    return io::readFileBytes(m_path, &bytes, &error) ? hashOf(bytes) : kUnreadable;
}

DiskWatch::State DiskWatch::state() const
{
    if (m_path.isEmpty())
        return State::Same;
    const QByteArray now = diskHash();
    return now == m_known ? State::Same : now == kDeleted ? State::Deleted : State::Changed;
}

void DiskWatch::acknowledge()
{
    m_reported = diskHash();
}

void DiskWatch::check()
{
    if (m_path.isEmpty())
        return;
    // The watch of a file that was replaced ends with it; a new file of the name is watched again.
    if (QFileInfo(m_path).isFile() && !m_watcher->files().contains(m_path))
        m_watcher->addPath(m_path);
    const QByteArray now = diskHash();
    if (now == m_known) {
        m_reported.clear();
        return;
    }
    if (now == m_reported)
        return;
    m_reported = now;
    emit changed(now == kDeleted ? State::Deleted : State::Changed);
}

} // namespace gui
