#include "Workers.h"

#include <QThread>

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

void waitForWorkers(QObject* owner)
{
    for (QThread* worker : owner->findChildren<QThread*>(Qt::FindDirectChildrenOnly)) {
        worker->disconnect(owner);
        worker->wait();
    }
}

} // namespace gui
