#pragma once

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <string>

namespace ardelle::testing {

// The one application object of a widget test, on the offscreen platform unless the
// environment names another (an Xvfb display, say). It lives until the process ends: destroyed
// among the other statics at exit it would outlive Qt's own input devices.
inline QApplication& OffscreenApp() {
    static int argc = 1;
    static char name[] = "ardelle-widget-test";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Saves a picture under the build folder's test-output for a person to look at.
inline std::string SaveTestPicture(const QImage& image, const std::string& name) {
    const QString folder = QString(ARDELLE_BINARY_DIR) + "/test-output";
    QDir().mkpath(folder);
    const QString path = folder + "/" + QString::fromStdString(name);
    image.save(path);
    return path.toStdString();
}

}  // namespace ardelle::testing
