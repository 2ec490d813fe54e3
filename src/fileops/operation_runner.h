#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/messages.h"
#include "base/question_broker.h"

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

    // Ends the worker: the completion message, or the error box and kOperationEnded. The
    // box shows failure_text and, on a line of its own, cause when there is one.
    void Finish(OperationResult result, AppMessage completion, const std::string& failure_text,
                const std::string& cause = {}) const;

  private:
    const std::atomic<bool>& running_;
    MessageSink& sink_;
    base::MessageBoxes& messages_;
};

// How long a stop waits for the worker to end: workers look at the running flag before
// each file and between the pieces of a copy, so they end well within it.
inline constexpr std::chrono::milliseconds kStopWaitBound{10000};

// Runs one long file operation at a time on a worker thread of its own. The worker talks
// to the owner only through posted messages: its message boxes are posted as
// kWorkerQuestion, and the owner shows them on its own thread with AnswerQuestion.
class OperationRunner {
  public:
    using Worker = std::function<void(const OperationContext&)>;

    // messages shows the workers' boxes on the owner's thread (the window's message dialog,
    // the command line's answers).
    OperationRunner(MessageSink& sink, base::MessageBoxes& messages)
        : sink_(sink), messages_(messages), questions_(sink) {}
    // Stops a running worker and waits for it, as long as it takes.
    ~OperationRunner();
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;

    // Starts the worker; false (nothing started) while another one has not been stopped.
    bool Run(Worker worker);
    // Owner's thread, on kWorkerQuestion (wparam number): shows the worker's box and hands
    // it the answer. False when the box no longer waits.
    bool AnswerQuestion(std::int64_t number);
    // Clears the running flag, answers a waiting box "no" (and every later one), and waits
    // at most bound for the worker to end. True when it ended; false when it still runs
    // (it has been told to stop, busy() stays true and a later Stop waits again).
    bool Stop(std::chrono::milliseconds bound = kStopWaitBound);
    // The completion step of the owner: the operation is over, the worker will end.
    void MarkCompleted() { running_ = false; }
    bool busy() const;

  private:
    MessageSink& sink_;
    base::MessageBoxes& messages_;
    base::QuestionBroker questions_;
    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;  // guards worker_ and worker_ended_
    std::condition_variable ended_;
    bool worker_ended_ = false;
    std::thread worker_;
};

}  // namespace ardelle::fileops
