#pragma once

#include <functional>

class QObject;
class QThread;

namespace gui {

/** Runs `work` on a new thread that `owner` owns. When it ends, `done` runs on the owner's thread, unless the owner
 *  has disconnected itself from the thread before; then the thread deletes itself. */
QThread* startWorker(QObject* owner, std::function<void()> work, std::function<void()> done);

/** Waits for every thread `owner` started, the running one and any left to finish alone, without their `done`: for
 *  the owner's destructor. */
void waitForWorkers(QObject* owner);

} // namespace gui
