#include "base/question_broker.h"

namespace ardelle::base {

int QuestionBroker::Show(std::string_view text, std::string_view caption, MessageStyle style) {
    std::int64_t number = 0;
    std::uint64_t cancels = 0;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_) {
            return 0;
        }
        number = next_number_++;
        cancels = cancels_;
        waiting_[number] = Question{std::string(text), std::string(caption), style, false, {}};
    }
    sink_.Post(PostedMessage{AppMessage::kWorkerQuestion, number, 0});
    std::unique_lock lock(mutex_);
    // A cancel counts even when a Reopen followed before this thread woke.
    answered_.wait(lock,
                   [&] { return cancels_ != cancels || waiting_.at(number).answer.has_value(); });
    const int answer = cancels_ != cancels ? 0 : *waiting_.at(number).answer;
    waiting_.erase(number);
    return answer;
}

bool QuestionBroker::Deliver(std::int64_t number, MessageBoxes& boxes) {
    Question question;
    {
        std::lock_guard lock(mutex_);
        const auto found = waiting_.find(number);
        if (cancelled_ || found == waiting_.end() || found->second.delivered) {
            return false;
        }
        found->second.delivered = true;
        question = found->second;
    }
    // A window's dialog runs its own event loop: a stop may cancel the box while it shows.
    const int answer = boxes.Show(question.text, question.caption, question.style);
    {
        std::lock_guard lock(mutex_);
        const auto found = waiting_.find(number);
        if (cancelled_ || found == waiting_.end()) {
            return false;
        }
        found->second.answer = answer;
    }
    answered_.notify_all();
    return true;
}

void QuestionBroker::Cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        ++cancels_;
    }
    answered_.notify_all();
}

void QuestionBroker::Reopen() {
    std::lock_guard lock(mutex_);
    cancelled_ = false;
}

}  // namespace ardelle::base
