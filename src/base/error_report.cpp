#include "base/error_report.h"

#include <atomic>

namespace ardelle::base {
namespace {
std::atomic<ErrorReporter*> g_reporter{nullptr};
}

void SetErrorReporter(ErrorReporter* reporter) {
    g_reporter.store(reporter);
}

void ReportError(std::string_view title, std::string_view text) {
    if (ErrorReporter* reporter = g_reporter.load()) {
        reporter->ReportError(title, text);
    }
}

}  // namespace ardelle::base
