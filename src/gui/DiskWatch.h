#pragma once

#include "core/SharedBytes.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>
#include <span>
#include <string>
#include <string_view>

class QFileSystemWatcher;

namespace gui {

/**
 * Watches the open key file on disk for changes by other programs (the simulator's launcher rewrites key files): it
 * knows the bytes the file held when it was last read or written, and says when the file on disk holds others or
 * is gone. A program that replaces the file (a new file renamed over it) is seen as well as one that rewrites it.
 */
class DiskWatch final : public QObject
{
    Q_OBJECT

public:
    enum class State { Same, Changed, Deleted };

    explicit DiskWatch(QObject* parent = nullptr);

    /** The file at `path` holds `bytes` now (it was just read); nothing is watched for an empty path. The bytes are
     *  kept, shared, and fingerprinted only when a change on disk needs it: an opening does not wait for it. */
    void track(const QString& path, core::SharedBytes bytes);
    /** The file at `path` holds `pieces`, one after another, now (they were just written); only their fingerprint
     *  is kept. */
    void track(const QString& path, std::span<const std::string_view> pieces);
    /** The bytes last read from the file at `path`, when this is the watched file and its size and time on disk are
     *  still those it had then (the test the watch itself makes); else nothing. Bytes last written are not kept. */
    core::SharedBytes bytesIfUnchanged(const QString& path) const;
    /** True when `path` is the watched file and its size and time on disk are those it had when it was last read or
     *  written. */
    bool unchangedOnDisk(const QString& path) const;
    /** What the file on disk holds compared with the bytes last read or written. */
    State state() const;
    /** Takes what is on disk now as known, so that the same change is not reported again. */
    void acknowledge();
    /** While paused, changes on disk are not looked at (the program's own save is writing the file). */
    void setPaused(bool paused) { m_paused = paused; }

signals:
    /** The file changed on disk, or was deleted; reported once per change. */
    void changed(DiskWatch::State state);

private:
    void check();
    /** The hash of what the file holds now, or a marker for a file that is gone or cannot be read. */
    QByteArray diskHash() const;
    /** The fingerprint of the bytes last read or written, worked out at the first call. */
    const QByteArray& known() const;

    QFileSystemWatcher* m_watcher;
    QString m_path;
    bool m_paused = false;
    core::SharedBytes m_knownBytes; // the bytes last read, shared with the document
    mutable QByteArray m_known; // fingerprint of the bytes last read or written
    qint64 m_knownSize = -1;
    QDateTime m_knownTime;
    QByteArray m_reported; // hash of the change last reported (or of "deleted")
};

} // namespace gui
