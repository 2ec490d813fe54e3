#pragma once

#include <QCoreApplication>

namespace ardelle::testing {

// The one application object a Qt test needs (event loops refuse to run without one);
// App is QCoreApplication or QApplication and is made on first use. It is never destroyed:
// at exit Qt's own globals may already be gone.
template <typename App = QCoreApplication>
App& QtApp() {
    static int argc = 1;
    static char name[] = "ardelle-tests";
    static char* argv[] = {name, nullptr};
    static App* app = new App(argc, argv);
    return *app;
}

}  // namespace ardelle::testing
