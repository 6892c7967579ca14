#include "Workers.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>

#include <exception>

namespace gui {

QThread* startWorker(QObject* owner, std::function<void()> work, std::function<void()> done)
{
    QThread* worker = QThread::create(std::move(work));
    worker->setParent(owner);
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(worker, &QThread::finished, owner, std::move(done));
    worker->start();
    return worker;
}

void runWhileDrawing(const std::function<void()>& work)
{
    std::exception_ptr failure;
    QEventLoop loop;
    QThread* worker = QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    // Queued to this thread: heard in the loop below even when the work ends before the loop starts.
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
    QGuiApplication::restoreOverrideCursor();
    if (failure)
        std::rethrow_exception(failure);
}

void waitForWorkers(QObject* owner)
{
    for (QThread* worker : owner->findChildren<QThread*>(Qt::FindDirectChildrenOnly)) {
        worker->disconnect(owner);
        worker->wait();
    }
}

} // namespace gui
