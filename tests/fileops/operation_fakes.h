#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "base/user_dialogs.h"
#include "fileops/operation_runner.h"

namespace ardelle::testing {

// Keeps every posted message, in order; on_post (if set) sees each one as it arrives.
class RecordingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(message);
        }
        posted_.notify_all();
        if (on_post) {
            on_post(message);
        }
    }
    std::function<void(const PostedMessage&)> on_post;

    // Waits until the message numbered index (from 0) has come, as a window's queue would
    // deliver it; nothing when it did not come in time.
    std::optional<PostedMessage> WaitFor(std::size_t index, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, limit, [&] { return messages_.size() > index; })) {
            return std::nullopt;
        }
        return messages_[index];
    }

    std::vector<PostedMessage> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<AppMessage> ids() const {
        std::vector<AppMessage> ids;
        for (const PostedMessage& message : messages()) {
            ids.push_back(message.id);
        }
        return ids;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<PostedMessage> messages_;
};

// Keeps every message box shown and answers questions with a fixed answer.
class ScriptedMessages : public base::MessageBoxes {
  public:
    struct Shown {
        std::string text, caption;
        base::MessageStyle style;
    };
    explicit ScriptedMessages(int answer = 1) : answer_(answer) {}

    int Show(std::string_view text, std::string_view caption, base::MessageStyle style) override {
        std::lock_guard lock(mutex_);
        shown_.push_back({std::string(text), std::string(caption), style});
        return style == base::MessageStyle::kOk ? 1 : answer_;
    }
    std::vector<Shown> shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

  private:
    int answer_;
    mutable std::mutex mutex_;
    std::vector<Shown> shown_;
};

// A worker's context without a runner: the test holds the running flag itself, so a
// fake collaborator can clear it as the stop command would.
struct DirectRun {
    std::atomic<bool> running{true};
    RecordingSink sink;
    ScriptedMessages messages;
    fileops::OperationContext context{running, sink, messages};

    explicit DirectRun(int answer = 1) : messages(answer) {}
};

}  // namespace ardelle::testing
