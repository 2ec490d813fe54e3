#include "page_wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace ardelle::map::testing {

bool WaitFor(const std::function<bool()>& condition, int timeout_ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout_ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

QVariant Evaluate(QWebEngineView* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    WaitFor([&] { return done; }, 20000);
    return result;
}

}  // namespace ardelle::map::testing
