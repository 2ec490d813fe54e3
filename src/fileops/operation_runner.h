#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/messages.h"

namespace ardelle::base {
class MessageBoxes;
}

namespace ardelle::fileops {

inline constexpr char kCompletedText[] = "完了しました。";
inline constexpr char kSameNameQuestion[] = "同名のファイルが存在します。続行しますか？";
inline constexpr char kBackupFolderPrompt[] = "バックアップフォルダーを選択してください。";

// How a worker ended.
enum class OperationResult { kCompleted, kStopped, kFailed };

// What a running worker may do: ask whether it should go on, post progress and its end,
// and show its error or question in a message box.
class OperationContext {
  public:
    OperationContext(const std::atomic<bool>& running, MessageSink& sink,
                     base::MessageBoxes& messages)
        : running_(running), sink_(sink), messages_(messages) {}

    // False once a stop was asked; workers look before each file.
    bool running() const { return running_.load(); }
    void PostProgress(std::int64_t done, std::int64_t total) const;
    void Post(AppMessage id) const;
    base::MessageBoxes& messages() const { return messages_; }

    // Ends the worker: the completion message, or the error box and kOperationEnded.
    void Finish(OperationResult result, AppMessage completion,
                const std::string& failure_text) const;

  private:
    const std::atomic<bool>& running_;
    MessageSink& sink_;
    base::MessageBoxes& messages_;
};

// Runs one long file operation at a time on a worker thread of its own. The worker talks
// to the owner only through posted messages (and the message boxes it opens).
class OperationRunner {
  public:
    using Worker = std::function<void(const OperationContext&)>;

    OperationRunner(MessageSink& sink, base::MessageBoxes& messages)
        : sink_(sink), messages_(messages) {}
    // Stops a running worker and waits for it.
    ~OperationRunner();
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;

    // Starts the worker; false (nothing started) while another one has not been stopped.
    bool Run(Worker worker);
    // Clears the running flag and waits, without a time limit, for the worker to end.
    void Stop();
    // The completion step of the owner: the operation is over, the worker will end.
    void MarkCompleted() { running_ = false; }
    bool busy() const;

  private:
    MessageSink& sink_;
    base::MessageBoxes& messages_;
    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;  // guards worker_
    std::thread worker_;
};

}  // namespace ardelle::fileops
