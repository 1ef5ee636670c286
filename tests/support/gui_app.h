#pragma once

// The QGuiApplication that tests drawing text or using Qt's GUI classes need. Created on first use
// and kept until the process ends. With no platform chosen and no display, Qt's offscreen platform
// is used.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>

inline QGuiApplication *ZnGuiApp()
{
    if (auto *existing = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return existing;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "zntest";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = new QGuiApplication(argc, argv);
    return app;
}
