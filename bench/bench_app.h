#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <string>

// Fonts, widgets and the Qt event pump need an application object; the offscreen
// platform needs no display. One is made on first use; the bench's main deletes it before
// static destruction, while the input devices it holds can still be torn down.
inline void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "klv-bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

// The child of the window start benchmark (klv-bench --cold-start=station|bare HOME): starts the
// one window in this fresh process, prints the milliseconds to its first paint, and ends.
int coldStartChild(const std::string& which, const std::string& home);
