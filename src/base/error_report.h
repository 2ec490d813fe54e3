#pragma once

#include <string_view>

namespace ardelle::base {

// Where failures that the user must see go: the viewer shows a message box, the
// command-line tool prints to stderr. Callable from any thread.
class ErrorReporter {
  public:
    virtual ~ErrorReporter() = default;
    virtual void ReportError(std::string_view title, std::string_view text) = 0;
};

// The process-wide reporter (nullptr: failures are only returned, not shown).
void SetErrorReporter(ErrorReporter* reporter);
void ReportError(std::string_view title, std::string_view text);

// The title of the box that shows a failed file mapping.
inline constexpr std::string_view kMappingErrorTitle = "Error Message";

}  // namespace ardelle::base
