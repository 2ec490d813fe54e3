#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "base/messages.h"

namespace ardelle::playback {

// A message sink that keeps what the players post until someone takes it; the command-line
// tool and the tests wait on it where the viewer's message loop would deliver the messages.
class NotificationQueue : public MessageSink {
  public:
    void Post(const PostedMessage& message) override {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(message);
        }
        arrived_.notify_all();
    }

    // Takes the first message with this id, waiting up to timeout for it.
    bool WaitFor(AppMessage id, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            for (auto it = messages_.begin(); it != messages_.end(); ++it) {
                if (it->id == id) {
                    messages_.erase(it);
                    return true;
                }
            }
            if (arrived_.wait_until(lock, deadline) == std::cv_status::timeout) {
                return false;
            }
        }
    }

    // How many messages with this id are waiting.
    int Count(AppMessage id) const {
        std::lock_guard lock(mutex_);
        int count = 0;
        for (const PostedMessage& message : messages_) {
            count += message.id == id ? 1 : 0;
        }
        return count;
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<PostedMessage> messages_;
};

}  // namespace ardelle::playback
