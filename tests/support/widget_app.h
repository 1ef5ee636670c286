#pragma once

// The QApplication the shell's widget tests need, on Qt's offscreen platform. Created on the
// first call and kept until the process ends, so that every test of one executable shares it.
#include <QApplication>

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
    return app;
}
