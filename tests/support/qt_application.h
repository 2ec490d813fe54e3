#pragma once

#include <QApplication>

namespace ardelle::testing {

// The one QApplication of a widget test executable, made on first use on the offscreen
// platform unless the environment names another.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "ardelle-widget-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the other static objects at exit crashes.
    static QApplication* application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        return new QApplication(argc, argv);
    }();
    return *application;
}

}  // namespace ardelle::testing
