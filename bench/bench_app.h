#pragma once

#include <QApplication>
#include <QCoreApplication>

// Fonts, widgets and the Qt event pump need an application object; the offscreen
// platform needs no display. One is made on first use and lives to the end.
inline void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "klv-bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
}
