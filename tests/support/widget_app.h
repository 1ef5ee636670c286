#pragma once

// The QApplication the shell's widget tests need, on Qt's offscreen platform. Created on the
// first call and kept until the process ends, so that every test of one executable shares it.
#include <QApplication>
#include <QThreadPool>

#include <cstdlib>

inline QApplication *ZnWidgetApp()
{
    if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance()))
        return existing;
    static int argc = 3;
    static char name[] = "zntest";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char *argv[] = {name, option, platform, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    // Qt's image code hands work to the global thread pool. Pooled threads still there at exit can
    // crash LeakSanitizer's exit scan, so they end as soon as their work is done, and the pool is
    // emptied before the scan (exit handlers run in reverse order of registration).
    QThreadPool::globalInstance()->setExpiryTimeout(0);
    std::atexit([] { QThreadPool::globalInstance()->waitForDone(); });
    return app;
}
