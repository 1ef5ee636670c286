#pragma once

// The QGuiApplication that tests drawing text or using Qt's GUI classes need. Created on the first
// call and kept until the process ends; the first caller's platform wins. The default is Qt's
// offscreen platform, which needs no display (the X11 platform trips AddressSanitizer inside the
// keyboard library).
#include <QCoreApplication>
#include <QGuiApplication>
#include <string>

inline QGuiApplication *ZnGuiApp(const char *platform = "offscreen")
{
    if (auto *existing = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return existing;
    static std::string platformName = platform;
    static int argc = 3;
    static char name[] = "zntest";
    static char option[] = "-platform";
    static char *argv[] = {name, option, platformName.data(), nullptr};
    static QGuiApplication *app = new QGuiApplication(argc, argv);
    return app;
}
