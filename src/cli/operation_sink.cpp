#include "cli/operation_sink.h"

#include <cstdio>

#include "fileops/operation_runner.h"

namespace ardelle::cli {

bool IsCompletionMessage(AppMessage id) {
    return id == AppMessage::kDeleteCompleted || id == AppMessage::kJoinCompleted ||
           id == AppMessage::kCsvCompleted || id == AppMessage::kDownloadCompleted;
}

int ProgressPercent(std::int64_t done, std::int64_t total) {
    if (total <= 0) {
        return 100;
    }
    return static_cast<int>(done * 100 / total);
}

void CliOperationSink::Post(const PostedMessage& message) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(message);
    }
    posted_.notify_one();
}

PostedMessage CliOperationSink::Next() {
    std::unique_lock lock(mutex_);
    posted_.wait(lock, [this] { return !queue_.empty(); });
    const PostedMessage message = queue_.front();
    queue_.pop_front();
    return message;
}

void CliOperationSink::ShowProgress(const PostedMessage& message) {
    const int percent = ProgressPercent(message.wparam, message.lparam);
    // A long list posts one progress per file; one line per percent is enough.
    if (percent == last_percent_) {
        return;
    }
    last_percent_ = percent;
    std::fprintf(stderr, "%s: %d%%\n", command_name_.c_str(), percent);
}

void CliOperationSink::Complete(AppMessage completion) {
    if (runner_ != nullptr) {
        runner_->MarkCompleted();
    }
    if (on_completion_) {
        on_completion_(completion);
    }
}

bool CliOperationSink::Wait() {
    bool completed = false;
    for (;;) {
        const PostedMessage message = Next();
        if (message.id == AppMessage::kProgress) {
            ShowProgress(message);
        } else if (message.id == AppMessage::kWorkerQuestion) {
            // The worker waits while its box is shown here, on the command's thread.
            if (runner_ != nullptr) {
                runner_->AnswerQuestion(message.wparam);
            }
        } else if (IsCompletionMessage(message.id)) {
            Complete(message.id);
            completed = true;
            break;
        } else if (message.id == AppMessage::kOperationEnded) {
            break;
        }
    }
    // The finish step: the worker is waited for before the command goes on.
    // The worker has posted its end and only returns now, so the bound is never reached.
    while (runner_ != nullptr && !runner_->Stop()) {
    }
    return completed;
}

int CliMessageBoxes::Show(std::string_view text, std::string_view caption,
                          base::MessageStyle style) {
    const auto print = [&](const char* suffix) {
        std::fprintf(stderr, "%s: %.*s: %.*s%s\n", command_name_.c_str(),
                     static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data(), suffix);
    };
    if (style == base::MessageStyle::kOk) {
        print("");
        return 1;
    }
    if (answer_yes_) {
        return 1;
    }
    const std::string hint = " (answered no; pass " + answer_flag_ + " to go on)";
    print(hint.c_str());
    return 0;
}

}  // namespace ardelle::cli
