#include "platform/os/app_thread.h"

#include <QCoreApplication>
#include <QThread>

void ZnRunOnAppThread(const std::function<void()> &task)
{
    if (!task)
        return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        task();
        return;
    }
    QMetaObject::invokeMethod(app, task, Qt::BlockingQueuedConnection);
}
