#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "base/messages.h"
#include "base/user_dialogs.h"

namespace ardelle::fileops {
class OperationRunner;
}

namespace ardelle::cli {

// The main window's side of a file operation for a headless command: collects what the
// worker posts and handles it on the command's own thread, as the window's queue would.
class CliOperationSink : public MessageSink {
  public:
    // Completion messages are reported to this handler (if any) before the run ends, the
    // way the window refreshes what an operation changed.
    using CompletionHandler = std::function<void(AppMessage completion)>;

    // command_name prefixes the progress lines ("csv: 42%").
    explicit CliOperationSink(std::string command_name) : command_name_(std::move(command_name)) {}

    void Post(const PostedMessage& message) override;

    // The runner whose completion step and finish step Wait performs.
    void Attach(fileops::OperationRunner& runner) { runner_ = &runner; }
    void OnCompletion(CompletionHandler handler) { on_completion_ = std::move(handler); }

    // Handles messages until the operation ended (0x8516, or a completion message, which
    // the window turns into 0x8516 itself), showing the worker's message boxes as they come
    // (kWorkerQuestion), then waits for the worker. True when the
    // operation completed; false when it was stopped or failed.
    bool Wait();

  private:
    PostedMessage Next();
    void ShowProgress(const PostedMessage& message);
    // The window's completion handler: the running flag goes down, the run counts as ended.
    void Complete(AppMessage completion);

    std::string command_name_;
    fileops::OperationRunner* runner_ = nullptr;
    CompletionHandler on_completion_;
    int last_percent_ = -1;
    std::mutex mutex_;  // guards queue_
    std::condition_variable posted_;
    std::deque<PostedMessage> queue_;
};

// True for the four operation completion messages (0x8517, 0x8518, 0x8519, 0x851C).
bool IsCompletionMessage(AppMessage id);

// Percent shown for a progress message: done × 100 / total, 100 when total ≤ 0.
int ProgressPercent(std::int64_t done, std::int64_t total);

// Message boxes of a headless command: errors and notices go to stderr, questions are
// answered from a command-line flag (no flag means cancel, and the question is printed).
class CliMessageBoxes : public base::MessageBoxes {
  public:
    CliMessageBoxes(std::string command_name, bool answer_yes,
                    std::string answer_flag = "--overwrite")
        : command_name_(std::move(command_name)),
          answer_yes_(answer_yes),
          answer_flag_(std::move(answer_flag)) {}

    int Show(std::string_view text, std::string_view caption, base::MessageStyle style) override;

  private:
    std::string command_name_;
    bool answer_yes_;
    std::string answer_flag_;
};

}  // namespace ardelle::cli
