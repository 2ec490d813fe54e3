#include "fileops/operation_runner.h"

#include "base/user_dialogs.h"

namespace ardelle::fileops {

void OperationContext::PostProgress(std::int64_t done, std::int64_t total) const {
    sink_.Post(PostedMessage{AppMessage::kProgress, done, total});
}

void OperationContext::Post(AppMessage id) const {
    sink_.Post(PostedMessage{id, 0, 0});
}

void OperationContext::Finish(OperationResult result, AppMessage completion,
                              const std::string& failure_text) const {
    switch (result) {
        case OperationResult::kCompleted:
            Post(completion);
            return;
        case OperationResult::kFailed:
            messages_.Show(failure_text, base::kErrorCaption, base::MessageStyle::kOk);
            break;
        case OperationResult::kStopped:
            break;
    }
    Post(AppMessage::kOperationEnded);
}

OperationRunner::~OperationRunner() {
    Stop();
}

bool OperationRunner::Run(Worker worker) {
    std::lock_guard lock(mutex_);
    if (worker_.joinable()) {
        return false;
    }
    running_ = true;
    worker_ = std::thread([this, worker = std::move(worker)] {
        const OperationContext context(running_, sink_, messages_);
        worker(context);
    });
    return true;
}

void OperationRunner::Stop() {
    running_ = false;
    std::thread finished;
    {
        std::lock_guard lock(mutex_);
        finished = std::move(worker_);
    }
    if (finished.joinable()) {
        finished.join();
    }
}

bool OperationRunner::busy() const {
    std::lock_guard lock(mutex_);
    return worker_.joinable();
}

}  // namespace ardelle::fileops
