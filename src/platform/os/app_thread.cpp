#include "platform/os/app_thread.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <exception>
#include <future>

void ZnRunOnAppThread(const std::function<void()> &task)
{
    if (!task)
        return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        task();
        return;
    }
    // Hand-overs both ways that every checker sees: a release store before the call is posted
    // (what the caller wrote is visible to the task), and a promise the caller waits on (what the
    // task wrote is visible to the caller afterwards, and what it throws is thrown here).
    std::atomic<bool> posted{false};
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    posted.store(true, std::memory_order_release);
    QMetaObject::invokeMethod(
        app,
        [&task, &done, &posted] {
            while (!posted.load(std::memory_order_acquire)) {
            }
            try {
                task();
                done.set_value();
            } catch (...) {
                done.set_exception(std::current_exception());
            }
        },
        Qt::QueuedConnection);
    finished.get();
}
