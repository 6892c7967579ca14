#pragma once

#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <utility>

class QObject;

namespace gui {

/** Runs `work` on a new thread that `owner` owns. When it ends, `done` runs on the owner's thread, unless the owner
 *  has disconnected itself from the thread before; then the thread deletes itself. */
QThread* startWorker(QObject* owner, std::function<void()> work, std::function<void()> done);

/** Runs `work` on a worker thread and returns when it has ended; meanwhile the window draws but takes no input (an
 *  event loop that leaves user input waiting) and the pointer shows that it is busy. An exception of `work` is
 *  thrown again here. For work that must finish before the caller goes on but may take long: writing a big file
 *  and syncing it to disk. */
void runWhileDrawing(const std::function<void()>& work);

/** Waits for every thread `owner` started, the running one and any left to finish alone, without their `done`: for
 *  the owner's destructor. */
void waitForWorkers(QObject* owner);

/** The latest of a series of jobs that an owner runs on workers, each making what the owner shows: starting one
 *  drops the one before (its worker ends alone, its result unused), and `take` waits for the running job and hands
 *  it over. The owner's destructor waits for the workers (waitForWorkers). */
template <typename Job> class LatestJob
{
public:
    bool running() const { return static_cast<bool>(m_job); }
    void drop() { m_job.reset(); }
    /** Runs `work(*job)` on a worker of `owner`; `done` runs on the owner's thread when it ends, while the job is
     *  still the latest one and not taken. */
    void start(QObject* owner, std::shared_ptr<Job> job, std::function<void(Job&)> work, std::function<void()> done)
    {
        m_job = job;
        m_thread = startWorker(
            owner, [job, work = std::move(work)] { work(*job); },
            [this, job, done = std::move(done)] {
                if (job == m_job)
                    done();
            });
    }
    /** The latest job once its worker ended; null when none runs. */
    std::shared_ptr<Job> take()
    {
        if (m_job && m_thread)
            m_thread->wait();
        return std::exchange(m_job, nullptr);
    }

private:
    std::shared_ptr<Job> m_job;
    QPointer<QThread> m_thread;
};

} // namespace gui
