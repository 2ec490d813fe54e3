#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "base/messages.h"
#include "base/user_dialogs.h"

namespace ardelle::base {

// Carries the message boxes of worker threads to the thread that may show them. A worker's
// Show posts kWorkerQuestion and waits until the owner's thread has shown the box (Deliver)
// or the broker is cancelled by a stop or a shutdown; a cancelled box counts as answered
// "no" (0), so a worker never waits for a window that will not answer.
class QuestionBroker : public MessageBoxes {
  public:
    explicit QuestionBroker(MessageSink& sink) : sink_(sink) {}

    // Worker side; returns the answer, or 0 once cancelled.
    int Show(std::string_view text, std::string_view caption, MessageStyle style) override;

    // Owner side, on the thread that received kWorkerQuestion: shows the box numbered
    // number on boxes and hands the answer to the worker. False when that box no longer
    // waits (cancelled meanwhile, or delivered before). No lock is held while boxes shows.
    bool Deliver(std::int64_t number, MessageBoxes& boxes);

    // Releases every waiting worker with "no", and answers every later box at once the
    // same way, until Reopen.
    void Cancel();
    void Reopen();

  private:
    struct Question {
        std::string text, caption;
        MessageStyle style = MessageStyle::kOk;
        bool delivered = false;
        std::optional<int> answer;
    };

    MessageSink& sink_;
    std::mutex mutex_;  // guards everything below
    std::condition_variable answered_;
    std::map<std::int64_t, Question> waiting_;
    std::int64_t next_number_ = 1;
    bool cancelled_ = false;
    std::uint64_t cancels_ = 0;
};

}  // namespace ardelle::base
