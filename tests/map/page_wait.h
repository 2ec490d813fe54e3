#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class QWebEngineView;

namespace ardelle::map::testing {

// Runs the event loop until the condition holds; false when the timeout passed first.
bool WaitFor(const std::function<bool()>& condition, int timeout_ms = 60000);

// The result of a script in the page, waited for (invalid when none came in 20 s).
QVariant Evaluate(QWebEngineView* view, const QString& script);

}  // namespace ardelle::map::testing
