// The snapshot command over the real pair: the players of the test card save the frames on
// screen under the names the command gives them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "base/settings.h"
#include "fileops/operation_fakes.h"
#include "fileops/snapshot_names.h"
#include "platform/files.h"
#include "playback/jpeg_reader.h"
#include "playback/pair_snapshot.h"
#include "playback/player_fixture.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

namespace ardelle::playback::testing {
namespace {

// The main window's part: pausing before the folder choice.
class PausingWindow : public fileops::SnapshotWindow {
  public:
    explicit PausingWindow(PlayerPair& pair) : pair_(pair) {}
    void BeginSnapshot() override { pair_.Pause(PlayerTarget::kBoth); }
    void ResetPictures() override {}
    void EndSnapshot() override {}

  private:
    PlayerPair& pair_;
};

class FolderOf : public base::FolderPicker {
  public:
    explicit FolderOf(std::string folder) : folder_(std::move(folder)) {}
    std::string PickFolder(std::string_view, std::string_view, std::string_view) override {
        return folder_;
    }

  private:
    std::string folder_;
};

catalogue::RecordingEntry EntryOf(const std::string& front, const std::string& rear) {
    catalogue::RecordingEntry entry;
    entry.front_path = front;
    entry.front_name = std::filesystem::path(front).filename().string();
    entry.rear_path = rear;
    entry.rear_name = std::filesystem::path(rear).filename().string();
    return entry;
}

class SnapshotCommandTest : public PlayerPairTest {
  protected:
    void SetUp() override {
        PlayerPairTest::SetUp();
        base::SetAppFolder(settings_.path());
    }
    // Opens the recording, stands at frame and runs the command answering answer.
    fileops::SnapshotOutcome SnapshotAt(const catalogue::RecordingEntry& recording,
                                        std::int64_t frame, int answer = 1) {
        EXPECT_EQ(OpenAndWait(recording.front_path, recording.rear_path), 1);
        pair_.LoadTelemetry(recording.front_path, recording.rear_path);
        SeekAndWait(PlayerTarget::kBoth, frame);
        messages_ = std::make_unique<ardelle::testing::ScriptedMessages>(answer);
        FolderOf picker(out_.path());
        PausingWindow window(pair_);
        PairSnapshotPlayers players(pair_);
        fileops::SnapshotCommand command(players, window, *messages_, picker);
        return command.Run(recording);
    }

    ardelle::testing::TempFolder settings_, out_;
    std::unique_ptr<ardelle::testing::ScriptedMessages> messages_;
};

TEST_F(SnapshotCommandTest, BothCamerasOfARecordingAreSavedAtTheFrameShown) {
    const auto recording = EntryOf(card_.Front(kPair), card_.Rear(kPair));
    const std::string base = fileops::SnapshotBaseName(recording.front_name);
    ASSERT_EQ(SnapshotAt(recording, 37), fileops::SnapshotOutcome::kSaved);
    const std::string front = fileops::FrontSnapshotPath(out_.path(), base, 37);
    const std::string rear = fileops::RearSnapshotPath(out_.path(), base, 37);
    EXPECT_EQ(IndexInJpeg(front), 37);
    EXPECT_EQ(IndexInJpeg(rear), 18);
    ASSERT_EQ(messages_->shown().size(), 1u);
    EXPECT_EQ(messages_->shown()[0].text, "完了しました。");
}

TEST_F(SnapshotCommandTest, ARearOnlyRecordingSavesAndAsksAboutItsRearPicture) {
    const auto recording = EntryOf("", card_.Rear(kRearOnly));
    const std::string base = fileops::SnapshotBaseName(recording.rear_name);
    const std::string front = fileops::RearSnapshotPath(out_.path(), base, 20);  // 'R' -> 'F'
    const std::string rear = fileops::FrontSnapshotPath(out_.path(), base, 20);
    ASSERT_NE(front, rear);
    ASSERT_TRUE(ardelle::testing::WriteFile(rear, "older"));

    // The R picture exists: the question is asked, and Cancel keeps it.
    EXPECT_EQ(SnapshotAt(recording, 20, 0), fileops::SnapshotOutcome::kCancelled);
    EXPECT_EQ(platform::ReadWholeFile(rear), "older");
    // OK replaces it with the frame shown; no F picture is ever written.
    pair_.Close();
    EXPECT_EQ(SnapshotAt(recording, 20, 1), fileops::SnapshotOutcome::kSaved);
    EXPECT_EQ(IndexInJpeg(rear), 20);
    EXPECT_FALSE(platform::PathExists(front));
}

TEST_F(SnapshotCommandTest, NoFileOpenIsAFailureWithoutAFile) {
    PairSnapshotPlayers players(pair_);
    EXPECT_EQ(players.CurrentFrame(), -1);
    EXPECT_FALSE(players.SaveSnapshot(0, out_ / "x.jpg"));
    EXPECT_FALSE(players.SaveSnapshot(2, out_ / "x.jpg"));
    EXPECT_FALSE(platform::PathExists(out_ / "x.jpg"));
}

}  // namespace
}  // namespace ardelle::playback::testing
