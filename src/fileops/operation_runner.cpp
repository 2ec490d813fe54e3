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
                              const std::string& failure_text, const std::string& cause) const {
    switch (result) {
        case OperationResult::kCompleted:
            Post(completion);
            return;
        case OperationResult::kFailed:
            messages_.Show(cause.empty() ? failure_text : failure_text + "\n" + cause,
                           base::kErrorCaption, base::MessageStyle::kOk);
            break;
        case OperationResult::kStopped:
            break;
    }
    Post(AppMessage::kOperationEnded);
}

OperationRunner::~OperationRunner() {
    running_ = false;
    questions_.Cancel();
    std::thread finished;
    {
        std::lock_guard lock(mutex_);
        finished = std::move(worker_);
    }
    if (finished.joinable()) {
        finished.join();
    }
}

bool OperationRunner::Run(Worker worker) {
    std::lock_guard lock(mutex_);
    if (worker_.joinable()) {
        return false;
    }
    running_ = true;
    worker_ended_ = false;
    questions_.Reopen();
    worker_ = std::thread([this, worker = std::move(worker)] {
        const OperationContext context(running_, sink_, questions_);
        worker(context);
        {
            std::lock_guard ended(mutex_);
            worker_ended_ = true;
        }
        ended_.notify_all();
    });
    return true;
}

bool OperationRunner::AnswerQuestion(std::int64_t number) {
    return questions_.Deliver(number, messages_);
}

bool OperationRunner::Stop(std::chrono::milliseconds bound) {
    running_ = false;
    questions_.Cancel();
    std::thread finished;
    {
        std::unique_lock lock(mutex_);
        if (!worker_.joinable()) {
            return true;
        }
        if (!ended_.wait_for(lock, bound, [this] { return worker_ended_; })) {
            return false;
        }
        finished = std::move(worker_);
    }
    finished.join();
    return true;
}

bool OperationRunner::busy() const {
    std::lock_guard lock(mutex_);
    return worker_.joinable();
}

}  // namespace ardelle::fileops
