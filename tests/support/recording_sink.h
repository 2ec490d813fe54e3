#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "base/messages.h"

namespace ardelle::testing {

// A message sink that keeps what was posted, from any thread, and lets a test wait for it.
class RecordingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(message);
        }
        posted_.notify_all();
    }
    std::vector<PostedMessage> Messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<PostedMessage> messages_;
};

}  // namespace ardelle::testing
