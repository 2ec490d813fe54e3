// Opening recordings with real players on the test card: readiness, durations, the
// reference player, refused and broken files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "playback/player_fixture.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::playback::testing {
namespace {

using samplecard::Camera;

TEST_F(PlayerPairTest, PairOpensWithTheFilesDurationsAndIntervals) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    const samplecard::Recording& recording = card_.Find(kPair);
    EXPECT_NEAR(pair_.player(0).frame_interval_ms, 1000.0f / 30.0f, 1e-3);
    EXPECT_NEAR(pair_.player(1).frame_interval_ms, 1000.0f / 15.0f, 1e-3);
    EXPECT_EQ(MediaSessionOps().GetDurationFrames(pair_.player(0)),
              recording.FrameCount(Camera::kFront));
    EXPECT_EQ(MediaSessionOps().GetDurationFrames(pair_.player(1)),
              recording.FrameCount(Camera::kRear));
    int width = 0;
    int height = 0;
    ASSERT_EQ(pair_.GetVideoSize(PlayerTarget::kFront, width, height), 1);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 180);
    ASSERT_EQ(pair_.GetVideoSize(PlayerTarget::kRear, width, height), 1);
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 90);
    EXPECT_EQ(pair_.player(0).state, PlayerState::kStopped);
    EXPECT_EQ(pair_.player(0).can_play_backwards, 0);
    EXPECT_GT(pair_.player(0).bitrate, 0.0f);
}

TEST_F(PlayerPairTest, ReferencePlayerIsTheOneWhoseFileGaveTheTelemetry) {
    struct Case {
        std::string front, rear;
        int reference;
        int loaded[2];
    };
    const Case cases[] = {
        {card_.Front(kPair), card_.Rear(kPair), 0, {1, 0}},
        {card_.Front(kPair), "", 0, {1, 0}},     // front only
        {"", card_.Rear(kRearOnly), 1, {0, 1}},  // rear only
    };
    for (const Case& c : cases) {
        ASSERT_EQ(OpenAndWait(c.front, c.rear), 1) << c.front << c.rear;
        EXPECT_EQ(pair_.player(0).opened, c.front.empty() ? 0 : 1);
        EXPECT_EQ(pair_.player(1).opened, c.rear.empty() ? 0 : 1);
        ASSERT_EQ(pair_.LoadTelemetry(c.front, c.rear), 1);
        EXPECT_EQ(pair_.ReferencePlayer(), c.reference) << c.front << c.rear;
        EXPECT_EQ(pair_.player(0).telemetry_loaded, c.loaded[0]);
        EXPECT_EQ(pair_.player(1).telemetry_loaded, c.loaded[1]);
        // Queries for both read the reference player.
        EXPECT_EQ(pair_.GetFrameInterval(PlayerTarget::kBoth),
                  pair_.player(c.reference).frame_interval_ms);
        pair_.Close();
        pair_.ReleaseTelemetry();
        EXPECT_EQ(pair_.player(0).telemetry_loaded + pair_.player(1).telemetry_loaded, 0);
    }
}

TEST_F(PlayerPairTest, TelemetryOfTheFrontBindsToItsFrames) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    ASSERT_EQ(pair_.LoadTelemetry(card_.Front(kPair), card_.Rear(kPair)), 1);
    const telemetry::TelemetryFile& telemetry = *pair_.player(0).telemetry_reader;
    EXPECT_FALSE(telemetry.gps().empty());
    EXPECT_EQ(static_cast<int>(telemetry.frame_map().size()),
              card_.Find(kPair).FrameCount(Camera::kFront));
}

TEST_F(PlayerPairTest, OnlyTheRearsTelemetryMakesItTheReferenceAndKeepsTheFrontVolume) {
    // The front movie loses one record's worth of bytes at its end: its telemetry block's
    // records run past the end of the file and cannot be read.
    ardelle::testing::TempFolder folder;
    const std::string front = folder / "A___-240608-093000-000101F.MP4";
    const std::string source = card_.Front(kPair);
    ASSERT_TRUE(CopyPrefix(source, front, std::filesystem::file_size(source) - 130));
    ASSERT_EQ(OpenAndWait(front, card_.Rear(kPair)), 1);
    ASSERT_EQ(pair_.LoadTelemetry(front, card_.Rear(kPair)), 1);
    EXPECT_EQ(pair_.ReferencePlayer(), 1);
    pair_.SetVolume(PlayerTarget::kFront, 1234);
    pair_.SetVolume(PlayerTarget::kBoth, 40000);
    EXPECT_EQ(pair_.player(1).volume, 40000);
    EXPECT_EQ(pair_.player(0).volume, 1234);
}

TEST_F(PlayerPairTest, VolumeGoesToTheAddressedPlayerAndSilencesTheOther) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    ASSERT_EQ(pair_.LoadTelemetry(card_.Front(kPair), card_.Rear(kPair)), 1);
    pair_.SetVolume(PlayerTarget::kRear, 500);
    EXPECT_EQ(pair_.player(1).volume, 500);
    EXPECT_EQ(pair_.player(0).volume, 0);
    pair_.SetVolume(PlayerTarget::kBoth, 30000);
    EXPECT_EQ(pair_.player(0).volume, 30000);
    EXPECT_EQ(pair_.player(1).volume, 0);
    // Only the front movie has sound; the rear session has nothing to set.
    EXPECT_EQ(pair_.player(0).backend->SetVolume(1000), SessionStatus::kOk);
    EXPECT_EQ(pair_.player(1).backend->SetVolume(1000), SessionStatus::kNoService);
}

// $DISPLAY set for the life of the object, then restored.
class ScopedDisplay {
  public:
    explicit ScopedDisplay(const char* value) {
        if (const char* before = std::getenv("DISPLAY")) {
            previous_ = before;
        }
        ::setenv("DISPLAY", value, 1);
    }
    ~ScopedDisplay() {
        if (previous_) {
            ::setenv("DISPLAY", previous_->c_str(), 1);
        } else {
            ::unsetenv("DISPLAY");
        }
    }
    ScopedDisplay(const ScopedDisplay&) = delete;
    ScopedDisplay& operator=(const ScopedDisplay&) = delete;

  private:
    std::optional<std::string> previous_;
};

// With a display set, the sessions try the system's outputs (autoaudiosink) instead of taking
// the silent sink at once; here none of them works, and sound and pictures still come.
TEST_F(PlayerPairTest, OnADesktopTheSystemOutputIsTriedAndTheFilesStillPlay) {
    const ScopedDisplay display(":97");
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    EXPECT_EQ(pair_.player(0).backend->SetVolume(1000), SessionStatus::kOk);
    SeekAndWait(PlayerTarget::kBoth, 12);
    EXPECT_EQ(LastIndex(0), 12);
    EXPECT_EQ(LastIndex(1), 6);
}

TEST_F(PlayerPairTest, RecordingsOfTwoSecondsOrLessAreRefused) {
    ardelle::testing::TempFolder folder;
    struct Case {
        double seconds;
        int result;
    };
    for (const Case c : {Case{2.0, 2}, Case{1.5, 2}, Case{2.01, 1}}) {
        const std::string path =
            folder / ("A___-240608-093000-000101F-" + std::to_string(c.seconds) + ".MP4");
        ASSERT_TRUE(CopyWithMovieSeconds(card_.Front(kPair), path, c.seconds));
        EXPECT_EQ(MediaSessionOps().OpenFile(pair_.player(0), path), c.result) << c.seconds;
        EXPECT_EQ(pair_.player(0).backend != nullptr, c.result == 1) << c.seconds;
        MediaSessionOps().CloseFile(pair_.player(0));
    }
    // The card's own short recording, through the pair: bit 1 set, nothing opened.
    EXPECT_EQ(pair_.Open(card_.Front(kTooShort), card_.Rear(kTooShort)), 2);
    EXPECT_EQ(pair_.player(0).opened + pair_.player(1).opened, 0);
}

TEST_F(PlayerPairTest, BrokenFilesFailCleanlyAndThePlayerOpensTheNextOne) {
    ardelle::testing::TempFolder folder;
    const std::string source = card_.Front(kPair);
    const std::string truncated = folder / "A___-240608-093000-000101F.MP4";
    ASSERT_TRUE(CopyPrefix(source, truncated, std::filesystem::file_size(source) / 2));
    const std::string empty = folder / "A___-240608-093003-000102F.MP4";
    ASSERT_TRUE(CopyPrefix(source, empty, 0));
    PlayerContext& front = pair_.player(0);
    for (const std::string& broken : {truncated, empty, folder / "missing.MP4"}) {
        EXPECT_EQ(MediaSessionOps().OpenFile(front, broken), 0) << broken;
        EXPECT_EQ(front.backend, nullptr);
        EXPECT_EQ(front.state, PlayerState::kClosed);
        EXPECT_EQ(pair_.Open(card_.Front(kPair), ""), 1);
        EXPECT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerReady, 5000ms)) << "after " << broken;
        pair_.Close();
    }
}

TEST_F(PlayerPairTest, FileWithUnreadablePicturesNeverBecomesReadyButCloses) {
    // The movie's boxes are intact, its media data is not.
    ardelle::testing::TempFolder folder;
    const std::string path = folder / "A___-240608-093000-000101F.MP4";
    std::ifstream in(card_.Front(kPair), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t mdat = bytes.find("mdat");
    const std::size_t moov = bytes.find("moov", mdat);
    ASSERT_NE(moov, std::string::npos);
    for (std::size_t i = mdat + 4; i + 8 < moov; ++i) {
        bytes[i] = static_cast<char>(0xA5 ^ (i * 31));
    }
    std::ofstream(path, std::ios::binary) << bytes;
    ASSERT_EQ(pair_.Open(path, ""), 1);
    PlayerContext& front = pair_.player(0);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!SessionFailed(front) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(SessionFailed(front));
    EXPECT_EQ(queues_[0].Count(AppMessage::kPlayerReady), 0);
    EXPECT_EQ(MediaSessionOps().Play(front), 0);  // gated: never ready
    EXPECT_EQ(MediaSessionOps().SeekFrame(front, 3), 0);
    pair_.Close();
    EXPECT_EQ(pair_.Open(card_.Front(kOtherPair), ""), 1);
    EXPECT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerReady, 5000ms));
}

TEST_F(PlayerPairTest, FileWithoutMovieBoxesOpensThroughTheMediaDetector) {
    ardelle::testing::TempFolder folder;
    const std::string path = folder / "A___-240608-093000-000101F.mkv";
    const auto converted = ardelle::testing::RunCommand(
        "ffmpeg -v error -y -i " + ardelle::testing::ShellQuoted(card_.Front(kPair)) + " -c copy " +
        ardelle::testing::ShellQuoted(path));
    ASSERT_EQ(converted.exit_code, 0);
    ASSERT_EQ(OpenAndWait(path, ""), 1);
    EXPECT_NEAR(pair_.player(0).frame_interval_ms, 1000.0f / 30.0f, 1e-3);
    EXPECT_NEAR(static_cast<double>(MediaSessionOps().GetDurationFrames(pair_.player(0))), 90, 1);
}

TEST_F(PlayerPairTest, OperationsWaitForTheFirstPicture) {
    // Right after OpenFile the session is not ready: gated operations refuse.
    PlayerContext& front = pair_.player(0);
    ASSERT_EQ(MediaSessionOps().OpenFile(front, card_.Front(kPair)), 1);
    if (queues_[0].Count(AppMessage::kPlayerReady) == 0 && !front.backend->HasDisplayService()) {
        EXPECT_EQ(MediaSessionOps().Play(front), 0);
        EXPECT_EQ(front.state, PlayerState::kStopped);
    }
    ASSERT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerReady, 5000ms));
    EXPECT_EQ(MediaSessionOps().Play(front), 1);
    EXPECT_EQ(front.state, PlayerState::kPlaying);
    // Transport calls on a player without a file fail instead of claiming to play.
    EXPECT_EQ(MediaSessionOps().Play(pair_.player(1)), 0);
    EXPECT_EQ(pair_.player(1).state, PlayerState::kClosed);
}

}  // namespace
}  // namespace ardelle::playback::testing

namespace ardelle::playback::testing {
namespace {

// A sound output that refuses the first preroll: the session builds the file again without
// its audio stream, becomes ready and shows pictures; without the refusal sound stays on.
TEST_F(PlayerPairTest, AFirstPrerollRefusedBySoundIsRetriedWithoutIt) {
    for (const bool refuse : {true, false}) {
        RecordingTarget target;
        NotificationQueue queue;
        CPlayer player(VideoWindow{&target, &queue}, SavedDisplayFlags{});
        ASSERT_TRUE(player.valid());
        if (refuse) {
            FailNextAudioPrerollForTesting();
        }
        ASSERT_EQ(player.OpenFile(card_.Front(kPair), 0), SessionStatus::kOk);
        ASSERT_TRUE(queue.WaitFor(AppMessage::kPlayerReady, 10000ms))
            << "refused " << refuse << ", failed " << player.HasFailed();
        EXPECT_EQ(player.audio_disabled(), refuse);
        EXPECT_FALSE(player.HasFailed());
        const std::size_t before = target.count();
        ASSERT_EQ(player.Scrub(kMediaTimePerMs * 1000), SessionStatus::kOk);
        EXPECT_TRUE(target.WaitFor(
            before, [](const Presented& p) { return p.index >= 0; }, 5000ms))
            << "refused " << refuse << ": no picture";
        EXPECT_EQ(player.Shutdown(), SessionStatus::kOk);
    }
}

}  // namespace
}  // namespace ardelle::playback::testing
