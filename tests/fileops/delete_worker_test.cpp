#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "base/user_dialogs.h"
#include "catalogue/card_fixture.h"
#include "catalogue/recording_entry.h"
#include "fileops/delete_worker.h"
#include "platform/files.h"

namespace ardelle::fileops {
namespace {

using testing::CardFixture;
using testing::MovieName;
using testing::StagedVolume;

// Records what the worker posts; clears the running flag after stop_after progress posts,
// as a user pressing stop would.
class StoppingSink : public MessageSink {
  public:
    StoppingSink(std::atomic<bool>& running, int stop_after)
        : running_(running), stop_after_(stop_after) {}
    void Post(const PostedMessage& message) override {
        std::lock_guard lock(mutex_);
        posted.push_back(message.id);
        if (message.id == AppMessage::kProgress && --stop_after_ == 0) {
            running_ = false;
        }
    }
    std::vector<AppMessage> posted;

  private:
    std::mutex mutex_;
    std::atomic<bool>& running_;
    int stop_after_;
};

class RememberingMessages : public base::MessageBoxes {
  public:
    int Show(std::string_view text, std::string_view caption, base::MessageStyle) override {
        shown.push_back(std::string(caption) + ": " + std::string(text));
        return 1;
    }
    std::vector<std::string> shown;
};

struct DeleteRun {
    DeleteOutcome outcome;
    std::vector<AppMessage> posted;
    std::vector<std::string> shown;
};

DeleteRun RunDelete(DeleteRequest request, int stop_after) {
    std::atomic<bool> running{true};
    StoppingSink sink(running, stop_after);
    RememberingMessages messages;
    auto outcome = std::make_shared<DeleteOutcome>();
    MakeDeleteWorker(std::move(request), outcome)(OperationContext(running, sink, messages));
    return {*outcome, sink.posted, messages.shown};
}

bool Exists(const catalogue::RecordingEntry& entry) {
    return platform::PathExists(entry.front_path);
}

// Deletes on a card whose driver sets the FAT hidden attribute.
class DeleteWorker : public ::testing::Test {
  protected:
    testing::FakeFatAttributes attributes;
};

TEST(DeleteWorkerWithoutAttribute, ACardThatCannotHideFilesFailsWithTheReason) {
    CardFixture card;
    card.AddRun("A___", 1, 2);
    const StagedVolume volume(card.root(), "exfat");
    DeleteRequest request;
    request.selection = card.Recordings(2);
    const DeleteRun run = RunDelete(request, -1);
    EXPECT_EQ(run.outcome.result, OperationResult::kFailed);
    EXPECT_TRUE(run.outcome.deleted_sequences.empty());
    EXPECT_NE(run.outcome.error.find("FAT hidden attribute"), std::string::npos)
        << run.outcome.error;
    EXPECT_TRUE(Exists(request.selection[0]));
    EXPECT_TRUE(Exists(request.selection[1]));
    EXPECT_EQ(run.shown, std::vector<std::string>{std::string("ERROR: ") + kDeleteFailedText});
}

TEST_F(DeleteWorker, StopAfterTwoOfFiveKeepsTheRest) {
    CardFixture card;
    card.AddRun("A___", 1, 5);
    const StagedVolume volume(card.root());
    DeleteRequest request;
    request.selection = card.Recordings(5);
    const DeleteRun run = RunDelete(request, 2);
    EXPECT_EQ(run.outcome.result, OperationResult::kStopped);
    EXPECT_EQ(run.outcome.deleted_sequences, (std::vector<int>{4, 3}));  // last to first
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Exists(request.selection[static_cast<size_t>(i)]), i < 3) << i;
    }
    EXPECT_EQ(run.posted.back(), AppMessage::kOperationEnded);  // no completion
    EXPECT_TRUE(run.shown.empty());
}

TEST_F(DeleteWorker, FailureStopsWithItsMessageAndKeepsWhatWasDone) {
    CardFixture card;
    card.AddRun("A___", 1, 3);
    testing::Touch(card.root(), "Normal/Rear/" + MovieName("A___", 2, 'R').replace(27, 3, "DMY"));
    const StagedVolume volume(card.root());
    DeleteRequest request;
    request.selection = card.Recordings(3);
    bool released = false;
    request.playing_sequence = 2;
    request.release_playing = [&] { released = true; };
    const DeleteRun run = RunDelete(request, -1);
    EXPECT_EQ(run.outcome.result, OperationResult::kFailed);
    EXPECT_TRUE(released);  // the playing recording was let go before it was deleted
    EXPECT_EQ(run.outcome.deleted_sequences, std::vector<int>{2});
    EXPECT_FALSE(Exists(request.selection[2]));
    EXPECT_TRUE(Exists(request.selection[1]));
    EXPECT_TRUE(Exists(request.selection[0]));
    EXPECT_EQ(run.shown, std::vector<std::string>{std::string("ERROR: ") + kDeleteFailedText});
    EXPECT_EQ(run.posted.back(), AppMessage::kOperationEnded);
}

TEST_F(DeleteWorker, StillsBecomeNumberedPlaceholdersAndComplete) {
    CardFixture card;
    catalogue::ResetSequenceCounters();
    catalogue::RecordingList stills;
    for (int shot = 1; shot <= 2; ++shot) {
        const std::string front = testing::Touch(
            card.root(), "JPG/Front/" + testing::StillName("AM", "20230415", shot, 1, 'F'));
        const std::string rear = testing::Touch(
            card.root(), "JPG/Rear/" + testing::StillName("AM", "20230415", shot, 1, 'R'));
        catalogue::AddStillEntry(front, rear, stills);
    }
    const StagedVolume volume(card.root());
    DeleteRequest request;
    request.stills = true;
    request.selection = stills;
    request.first_picture = stills.front();
    const DeleteRun run = RunDelete(request, -1);
    EXPECT_EQ(run.outcome.result, OperationResult::kCompleted) << run.outcome.error;
    EXPECT_EQ(run.posted.back(), AppMessage::kDeleteCompleted);
    EXPECT_TRUE(
        platform::PathExists(card.root() + "/JPG/Front/A_-20010101-SN00A1B2C3D4E5F6-000-000F.DMY"));
    request.first_picture.reset();
    EXPECT_EQ(RunDelete(request, -1).outcome.result, OperationResult::kFailed);
}

}  // namespace
}  // namespace ardelle::fileops
