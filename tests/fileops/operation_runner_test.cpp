#include "fileops/operation_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "fileops/operation_fakes.h"

namespace ardelle::fileops {
namespace {

using namespace std::chrono_literals;

// The window's message dialog: notes on which thread it was shown.
class WindowDialogs : public base::MessageBoxes {
  public:
    int Show(std::string_view, std::string_view, base::MessageStyle) override {
        shown_on = std::this_thread::get_id();
        return while_shown ? while_shown() : 1;
    }
    std::optional<std::thread::id> shown_on;
    std::function<int()> while_shown;  // what the dialog's own event loop does meanwhile
};

TEST(OperationRunner, WorkerQuestionsAreShownOnTheOwnersThreadAndAStopAnswersNo) {
    enum class Ui { kAnswers, kStopsWhileItWaits, kStopsFromTheDialog, kShutsDown };
    const struct {
        const char* label;
        Ui ui;
        int answer;      // what the worker was told
        bool dialog;     // whether the window showed the box
        bool completed;  // whether the worker went on to complete
    } cases[] = {
        {"answered by the window", Ui::kAnswers, 1, true, true},
        {"stop while the box waits", Ui::kStopsWhileItWaits, 0, false, false},
        {"stop from inside the shown dialog", Ui::kStopsFromTheDialog, 0, true, false},
        {"shutdown while the box waits", Ui::kShutsDown, 0, false, false},
    };
    for (const auto& c : cases) {
        testing::RecordingSink sink;
        WindowDialogs dialogs;
        auto runner = std::make_unique<OperationRunner>(sink, dialogs);
        std::optional<int> answer;
        std::thread::id worker_thread;
        ASSERT_TRUE(runner->Run([&](const OperationContext& context) {
            worker_thread = std::this_thread::get_id();
            answer = context.messages().Show(kSameNameQuestion, base::kQuestionCaption,
                                             base::MessageStyle::kOkCancel);
            context.Finish(context.running() && answer == 1 ? OperationResult::kCompleted
                                                            : OperationResult::kStopped,
                           AppMessage::kDownloadCompleted, "");
        }));
        bool stopped = false;
        if (c.ui == Ui::kStopsFromTheDialog) {
            dialogs.while_shown = [&] {
                stopped = runner->Stop();
                return 1;  // the user's click comes too late
            };
        }
        // The fake UI thread: this one, handling what the worker posts.
        std::optional<AppMessage> end;
        for (std::size_t delivered = 0; !end; ++delivered) {
            const auto message = sink.WaitFor(delivered, 60s);
            ASSERT_TRUE(message) << c.label << ": the worker hangs";
            if (message->id == AppMessage::kWorkerQuestion) {
                if (c.ui == Ui::kAnswers || c.ui == Ui::kStopsFromTheDialog) {
                    EXPECT_EQ(runner->AnswerQuestion(message->wparam), c.ui == Ui::kAnswers)
                        << c.label;
                } else if (c.ui == Ui::kStopsWhileItWaits) {
                    stopped = runner->Stop();
                } else {
                    runner.reset();  // the window closes
                    stopped = true;
                }
            } else if (message->id != AppMessage::kProgress) {
                end = message->id;
            }
        }
        if (runner) {
            EXPECT_TRUE(runner->Stop()) << c.label;
            EXPECT_FALSE(runner->busy()) << c.label;
        }
        EXPECT_EQ(answer, c.answer) << c.label;
        EXPECT_EQ(stopped, c.ui != Ui::kAnswers) << c.label;
        EXPECT_EQ(dialogs.shown_on.has_value(), c.dialog) << c.label;
        if (dialogs.shown_on) {
            EXPECT_EQ(*dialogs.shown_on, std::this_thread::get_id()) << c.label;
            EXPECT_NE(*dialogs.shown_on, worker_thread) << c.label;
        }
        EXPECT_EQ(*end, c.completed ? AppMessage::kDownloadCompleted : AppMessage::kOperationEnded)
            << c.label;
    }
}

TEST(OperationRunner, AStopThatOutlastsItsBoundLeavesTheRunnerBusyUntilTheWorkerEnds) {
    testing::RecordingSink sink;
    WindowDialogs dialogs;
    OperationRunner runner(sink, dialogs);
    std::mutex gate;
    std::unique_lock held(gate);  // the worker is inside one long step
    ASSERT_TRUE(runner.Run([&](const OperationContext&) { std::lock_guard step(gate); }));
    EXPECT_FALSE(runner.Stop(20ms));
    EXPECT_TRUE(runner.busy());
    EXPECT_FALSE(runner.Run([](const OperationContext&) {}));
    held.unlock();
    EXPECT_TRUE(runner.Stop(60s));
    EXPECT_FALSE(runner.busy());
}

}  // namespace
}  // namespace ardelle::fileops
