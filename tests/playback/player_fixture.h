#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "playback/media_session.h"
#include "playback/notification_queue.h"
#include "playback/player_pair.h"
#include "sample_card/card_plan.h"
#include "sample_card/frame_code.h"

namespace ardelle::playback::testing {

using namespace std::chrono_literals;

// One picture the engine handed to a frame target.
struct Presented {
    int index = -1;  // the frame code drawn into the picture, -1 when unreadable
    VideoRect destination;
    bool mirrored = false;
    std::int64_t stream_time_ns = -1;
    std::chrono::steady_clock::time_point when;
};

// A frame target that reads the frame code of every picture it is given.
class RecordingTarget : public FrameTarget {
  public:
    RecordingTarget() { std::lock_guard publish(mutex_); }
    VideoRect ClientRect() const override {
        std::lock_guard lock(mutex_);
        return client_;
    }
    void set_client(const VideoRect& client) {
        std::lock_guard lock(mutex_);
        client_ = client;
    }
    void PresentFrame(const SharedFrame& frame, const VideoRect& destination,
                      bool mirrored) override {
        Presented presented;
        if (frame != nullptr) {
            const auto index = samplecard::ReadFrameIndexPacked32(frame->pixels, frame->width,
                                                                  frame->height, frame->stride);
            presented.index = index.value_or(-1);
            presented.stream_time_ns = frame->stream_time_ns;
        }
        presented.destination = destination;
        presented.mirrored = mirrored;
        presented.when = std::chrono::steady_clock::now();
        {
            std::lock_guard lock(mutex_);
            presents_.push_back(presented);
        }
        changed_.notify_all();
    }

    std::vector<Presented> presents() const {
        std::lock_guard lock(mutex_);
        return presents_;
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return presents_.size();
    }
    // Waits until more than after pictures arrived and the last one passes the test.
    bool WaitFor(std::size_t after, const std::function<bool(const Presented&)>& test,
                 std::chrono::milliseconds timeout = 3000ms) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(
            lock, timeout, [&] { return presents_.size() > after && test(presents_.back()); });
    }

  private:
    VideoRect client_{0, 0, 640, 360};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Presented> presents_;
};

// The test card's recordings, by number.
class TestCard {
  public:
    TestCard() : plan_(samplecard::MakeCardPlan({ARDELLE_TEST_CARD_SECONDS, 0, 1})) {}
    bool exists() const { return std::filesystem::is_directory(root_ + "/Normal"); }
    const std::string& root() const { return root_; }
    const samplecard::Recording& Find(int number) const {
        for (const samplecard::Recording& recording : plan_.recordings) {
            if (recording.number == number) {
                return recording;
            }
        }
        throw std::runtime_error("no recording " + std::to_string(number));
    }
    std::string Path(int number, samplecard::Camera camera) const {
        const samplecard::Recording& recording = Find(number);
        return recording.HasFile(camera) ? root_ + "/" + recording.RelativePath(camera) : "";
    }
    std::string Front(int number) const { return Path(number, samplecard::Camera::kFront); }
    std::string Rear(int number) const { return Path(number, samplecard::Camera::kRear); }

  private:
    std::string root_ = ARDELLE_TEST_CARD_DIR;
    samplecard::CardPlan plan_;
};

// Card recordings used throughout: a full pair, a rear-only one, one too short to play.
inline constexpr int kPair = 101;
inline constexpr int kOtherPair = 102;
inline constexpr int kRearOnly = 112;
inline constexpr int kTooShort = 114;

// Two real players on GStreamer, wired to frame targets and notification queues as the
// main window wires them to its video windows.
template <class Target>
class BasicPlayerPairTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!card_.exists()) {
            GTEST_SKIP() << "no test card at " << card_.root();
        }
        pair_.Init({&targets_[0], &queues_[0]}, {&targets_[1], &queues_[1]});
    }
    void TearDown() override {
        pair_.Close();
        pair_.Uninit();
    }

    // Opens a pair and waits for kPlayerReady from every opened player; the Open result.
    int OpenAndWait(const std::string& front, const std::string& rear) {
        const int result = pair_.Open(front, rear);
        for (int index = 0; index < 2; ++index) {
            if (pair_.player(index).opened != 0) {
                EXPECT_TRUE(queues_[index].WaitFor(AppMessage::kPlayerReady, 5000ms))
                    << "player " << index << " never became ready";
            }
        }
        return result;
    }

    // Seeks and waits until the player presented a new picture.
    void SeekAndWait(PlayerTarget target, std::int64_t frame) {
        const std::size_t before[2] = {targets_[0].count(), targets_[1].count()};
        ASSERT_EQ(pair_.SeekFrame(target, frame), 1) << "frame " << frame;
        for (int index = 0; index < 2; ++index) {
            if (target == PlayerTarget::kBoth || static_cast<int>(target) == index) {
                if (pair_.player(index).opened != 0) {
                    ASSERT_TRUE(targets_[index].WaitFor(before[static_cast<std::size_t>(index)],
                                                        [](const Presented&) { return true; }))
                        << "no picture after seeking player " << index << " to " << frame;
                }
            }
        }
    }

    int LastIndex(int player) const {
        const auto presents = targets_[player].presents();
        return presents.empty() ? -2 : presents.back().index;
    }

    TestCard card_;
    Target targets_[2];
    NotificationQueue queues_[2];
    PlayerContext players_[2];
    PlayerPair pair_{players_[0], players_[1], MediaSessionOps(), MediaSessionOps()};
};

// The pair with targets that read the frame code of every picture.
using PlayerPairTest = BasicPlayerPairTest<RecordingTarget>;

// A copy of a file with its movie header's duration set to seconds.
inline bool CopyWithMovieSeconds(const std::string& source, const std::string& target,
                                 double seconds) {
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t at = bytes.find("mvhd");
    if (at == std::string::npos || bytes[at + 4] != 0) {
        return false;  // the card writes version 0 headers
    }
    auto read32 = [&](std::size_t offset) {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value =
                value << 8 | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
        }
        return value;
    };
    const std::uint32_t timescale = read32(at + 16);
    const auto duration = static_cast<std::uint32_t>(seconds * timescale + 0.5);
    for (int i = 0; i < 4; ++i) {
        bytes[at + 20 + static_cast<std::size_t>(i)] =
            static_cast<char>(duration >> (24 - 8 * i) & 0xFF);
    }
    std::ofstream out(target, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

// A copy of the first length bytes of a file.
inline bool CopyPrefix(const std::string& source, const std::string& target, std::size_t length) {
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.resize(std::min(bytes.size(), length));
    std::ofstream out(target, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace ardelle::playback::testing
