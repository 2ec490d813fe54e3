// The main controller headless: the real players on the test card, fakes for the list
// window, the views, the window, the message boxes and a clock the tests advance.
#include "app/main_controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app/command_guard.h"
#include "app/controller_fakes.h"
#include "base/settings.h"
#include "catalogue/recording_entry.h"
#include "platform/environment.h"
#include "support/temp_folder.h"

namespace ardelle::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using playback::PlayerState;
using playback::PlayerTarget;
using namespace ardelle::app::fakes;

std::string CardFile(const std::string& folder, const std::string& suffix) {
    const std::string dir = std::string(ARDELLE_TEST_CARD_DIR) + "/" + folder;
    if (!fs::is_directory(dir)) {
        return {};
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return entry.path().string();
        }
    }
    return {};
}

// The pair of files with this number on the test card's Normal folders.
catalogue::RecordingEntry Pair(const std::string& number) {
    catalogue::RecordingList list;
    catalogue::AddMovieEntry(CardFile("Normal/Front", number + "F.MP4"),
                             CardFile("Normal/Rear", number + "R.MP4"), list);
    return list.empty() ? catalogue::RecordingEntry{} : list.front();
}

class MainControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(std::string(ARDELLE_TEST_CARD_DIR) + "/Normal")) {
            GTEST_SKIP() << "no test card";
        }
        base::SetAppFolder(settings_.path());
        ASSERT_TRUE(display_.InitPlayers(true));
    }
    void TearDown() override { controller_.Shutdown(); }

    // Delivers queued notifications until done() or the timeout (real time).
    template <class Done>
    bool PumpUntil(Done done, std::chrono::milliseconds timeout = 10s) {
        return fakes::PumpUntil(queue_, controller_, done, timeout);
    }
    // Selects row, lets the open timer run and waits until the recording is loaded.
    bool SelectAndLoad(int row) {
        controller_.OnRecordingSelected(row);
        timers_.Advance(controller_, timer::kOpenDelayMs);
        return PumpUntil([this] { return controller_.loaded(); });
    }
    void Play() {
        if (State() != PlayerState::kPlaying) {
            controller_.OnCommand(command::kPlayPause);
        }
        ASSERT_EQ(State(), PlayerState::kPlaying);
    }
    PlayerState State() { return controller_.pair().GetState(PlayerTarget::kBoth); }
    std::int64_t Duration() { return controller_.pair().GetDurationFrames(PlayerTarget::kBoth); }
    // Plays from frames_before_end before the end until every player reported it.
    bool PlayToEnd(int frames_before_end = 15) {
        controller_.OnMessage({AppMessage::kSliderButtonUp, command::kPositionSlider,
                               Duration() - frames_before_end});
        if (State() != PlayerState::kPlaying) {
            controller_.OnCommand(command::kPlayPause);
        }
        return PumpUntil([this] { return controller_.all_ended(); });
    }

    ardelle::testing::TempFolder settings_;
    TestQueue queue_;
    FakeView view_{queue_};
    ViewerController display_{view_, 1.0};
    FakeList list_{queue_};
    FakeViews views_;
    FakeWindow window_;
    FakeTimers timers_;
    RecordingBoxes boxes_;
    FixedPicker picker_;
    MainController controller_{
        {display_, list_, views_, window_, timers_, queue_, boxes_, picker_}};
};

TEST(EndMargin, GrowsWithTheSpeedAndCountsAZeroIntervalAsTheCardRate) {
    const struct {
        playback::SpeedCode code;
        float interval;
        std::int64_t frames;
    } cases[] = {
        // The float interval of the card rate truncates just below the whole frames.
        {playback::kSpeedX1, 34.36426f, 19}, {playback::kSpeedX2, 34.36426f, 39},
        {playback::kSpeedX4, 34.36426f, 79}, {playback::kSpeedX1, 0.0f, 20},
        {playback::kSpeedX2, 0.0f, 40},      {playback::kSpeedHalf, 33.3667f, 20},
        {playback::kSpeedX1, 33.3667f, 20},  {playback::kSpeedX4, 16.6833f, 164},
    };
    for (const auto& c : cases) {
        const std::int64_t m = EndMarginFrames(c.code, c.interval);
        EXPECT_EQ(m, c.frames) << c.code << " " << c.interval;
        EXPECT_TRUE(NearEnd(900 - m, 900, c.code, c.interval));
        EXPECT_FALSE(NearEnd(900 - m - 1, 900, c.code, c.interval));
    }
    EXPECT_EQ(DefaultSpeed("T___-240608-093527-000111F.MP4"), playback::kSpeedHalf);
    EXPECT_EQ(DefaultSpeed("P_T_-240608-100544-000118F.MP4"), playback::kSpeedHalf);
    EXPECT_EQ(DefaultSpeed("A___-240608-093000-000101F.MP4"), playback::kSpeedX1);
}

TEST_F(MainControllerTest, NextFiveTimesWithinHalfASecondOpensOnlyTheFifth) {
    list_.nodes = {{Pair("000101"), Pair("000102"), Pair("000103"), Pair("000104"), Pair("000105"),
                    Pair("000106")}};
    ASSERT_TRUE(SelectAndLoad(0));
    const int opens = controller_.opens();
    for (int i = 0; i < 5; ++i) {
        controller_.OnCommand(command::kNext);
        timers_.Advance(controller_, 90);
    }
    EXPECT_EQ(controller_.opens(), opens) << "nothing opens while the presses come";
    timers_.Advance(controller_, timer::kOpenDelayMs);
    EXPECT_EQ(controller_.opens(), opens + 1);
    EXPECT_EQ(controller_.selection(), 5);
    ASSERT_TRUE(PumpUntil([this] { return controller_.loaded(); }));
    EXPECT_EQ(views_.started.back(), Pair("000106").primary_name());
}

TEST_F(MainControllerTest, TwoSpeedCommandsWithinASecondChangeTheSpeedOnce) {
    list_.nodes = {{Pair("000101")}};
    ASSERT_TRUE(SelectAndLoad(0));
    Play();
    controller_.OnCommand(command::kFaster);
    timers_.Advance(controller_, 400);
    controller_.OnCommand(command::kFaster);
    EXPECT_EQ(controller_.pair().GetSpeedCode(PlayerTarget::kBoth), playback::kSpeedX2);
    timers_.Advance(controller_, 600);
    EXPECT_FALSE(controller_.speed_guard());
    controller_.OnCommand(command::kSlower);
    EXPECT_EQ(controller_.pair().GetSpeedCode(PlayerTarget::kBoth), playback::kSpeedX1);
}

TEST_F(MainControllerTest, NearTheEndNavigationIsRefusedAndTheSliderDisabledUntilTheNextIsReady) {
    list_.nodes = {{Pair("000101"), Pair("000102")}};
    ASSERT_TRUE(SelectAndLoad(0));
    const std::int64_t margin = EndMarginFrames(playback::kSpeedX1, 33.3667f);
    controller_.OnMessage(
        {AppMessage::kSliderButtonUp, command::kPositionSlider, Duration() - margin / 2});
    Play();
    const int opens = controller_.opens();
    for (int id : {command::kNext, command::kPrevious, command::kFaster, command::kFirstFrame}) {
        controller_.OnCommand(id);
        EXPECT_EQ(controller_.selection(), 0) << id;
    }
    EXPECT_TRUE(controller_.busy());
    timers_.Advance(controller_, timer::kTickMs);
    EXPECT_FALSE(window_.slider_enabled);
    EXPECT_EQ(controller_.opens(), opens);
    // The end arrives and the window advances by itself; the next recording clears busy.
    ASSERT_TRUE(PumpUntil([this] { return controller_.selection() == 1; }));
    timers_.Advance(controller_, timer::kOpenDelayMs);
    ASSERT_TRUE(PumpUntil([this] { return controller_.loaded(); }));
    EXPECT_FALSE(controller_.busy());
    EXPECT_EQ(State(), PlayerState::kPlaying) << "an automatic advance keeps playing";
}

TEST_F(MainControllerTest, TheLastOfAGroupContinuesIntoTheNextNodeAndTheLastOfAllStopsAtItsStart) {
    list_.nodes = {{Pair("000101"), Pair("000102")}, {Pair("000103")}};
    ASSERT_TRUE(SelectAndLoad(1));
    ASSERT_TRUE(PlayToEnd());
    // The next node is chosen, its first recording opens and plays at once.
    ASSERT_TRUE(PumpUntil([this] { return list_.node == 1 && controller_.selection() == 0; }));
    timers_.Advance(controller_, timer::kOpenDelayMs);
    ASSERT_TRUE(PumpUntil([this] { return controller_.loaded(); }));
    EXPECT_EQ(views_.started.back(), Pair("000103").primary_name());
    EXPECT_EQ(State(), PlayerState::kPlaying);

    // The last recording of the last node opens again and waits at its start.
    ASSERT_TRUE(PlayToEnd());
    timers_.Advance(controller_, timer::kOpenDelayMs);
    ASSERT_TRUE(PumpUntil([this] { return controller_.loaded(); }));
    EXPECT_EQ(controller_.selection(), 0);
    EXPECT_NE(State(), PlayerState::kPlaying);
    EXPECT_EQ(controller_.shown_frame(), 0);
    EXPECT_FALSE(view_.playing_button);
}

TEST_F(MainControllerTest, AMissingFrontFilePlaysTheRearAloneReadyAtOneReport) {
    catalogue::RecordingEntry rear_only = Pair("000102");
    rear_only.front_path.clear();
    rear_only.front_name.clear();
    list_.nodes = {{rear_only}};
    ASSERT_TRUE(SelectAndLoad(0));
    EXPECT_EQ(controller_.pair().player(0).opened, 0);
    EXPECT_EQ(controller_.pair().player(1).opened, 1);
    EXPECT_NE(State(), PlayerState::kPlaying) << "the only recording waits at its start";
    Play();
    EXPECT_TRUE(view_.errors.empty());
}

TEST_F(MainControllerTest, RecordingsThatCannotOpenShowTheirMessageUnlessAdvancingSkipsThem) {
    const std::string broken = settings_ / "A___-240608-093000-000101F.MP4";
    std::ofstream(broken) << "not a movie";
    catalogue::RecordingList list;
    catalogue::AddMovieEntry(CardFile("Normal/Front", "000114F.MP4"), "", list);  // too short
    catalogue::AddMovieEntry(broken, "", list);
    ASSERT_EQ(list.size(), 2u);
    const struct {
        int row;
        int text;
    } cases[] = {{0, 97}, {1, 96}};
    list_.nodes = {{list[0], list[1], Pair("000102")}};
    for (const auto& c : cases) {
        view_.errors.clear();
        controller_.OnRecordingSelected(c.row);
        timers_.Advance(controller_, timer::kOpenDelayMs);
        EXPECT_EQ(view_.errors, std::vector<int>{c.text}) << c.row;
        EXPECT_TRUE(controller_.ready());
        EXPECT_FALSE(window_.waiting);
    }
    // An automatic advance skips both silently and opens the one after them.
    list_.nodes = {{Pair("000101"), list[0], list[1], Pair("000102")}};
    view_.errors.clear();
    ASSERT_TRUE(SelectAndLoad(0));
    ASSERT_TRUE(PlayToEnd());
    for (int i = 0; i < 4 && controller_.opening(); ++i) {
        timers_.Advance(controller_, timer::kOpenDelayMs);
    }
    EXPECT_EQ(controller_.selection(), 3);
    ASSERT_TRUE(PumpUntil([this] { return controller_.loaded(); }));
    EXPECT_TRUE(view_.errors.empty());
}

TEST_F(MainControllerTest, TheWatchdogMakesTheWindowReadyWhenAPlayerNeverReports) {
    list_.nodes = {{Pair("000101"), Pair("000102")}};
    controller_.OnRecordingSelected(0);
    timers_.Advance(controller_, timer::kOpenDelayMs);
    EXPECT_TRUE(window_.waiting);
    // The players' notifications are never delivered; the open restarted the watchdog.
    timers_.Advance(controller_, timer::kWatchdogMs - 1);
    EXPECT_TRUE(window_.waiting);
    timers_.Advance(controller_, 1);
    EXPECT_FALSE(window_.waiting);
    EXPECT_TRUE(controller_.ready());
    // The window is usable: the next recording opens and loads.
    while (queue_.Take()) {
    }
    controller_.OnCommand(command::kNext);
    timers_.Advance(controller_, timer::kOpenDelayMs);
    ASSERT_TRUE(PumpUntil([this] { return controller_.loaded(); }));
    EXPECT_EQ(controller_.selection(), 1);
}

TEST_F(MainControllerTest, CommandsDuringAnOperationAreRefusedNotQueued) {
    list_.nodes = {{Pair("000101"), Pair("000102")}};
    ASSERT_TRUE(SelectAndLoad(0));
    int stops = 0;
    controller_.SetOperationRunning(true, [&stops] { ++stops; });
    const int opens = controller_.opens();
    for (int id : {command::kNext, command::kPrevious, command::kPlayPause, command::kFaster,
                   command::kFirstFilter, command::kDisplaySwitch, command::kMapDisplay}) {
        controller_.OnCommand(id);
    }
    controller_.OnMessage({AppMessage::kGraphNextMark, 0, 0});
    EXPECT_EQ(State(), PlayerState::kStopped);
    EXPECT_EQ(controller_.pair().GetSpeedCode(PlayerTarget::kBoth), playback::kSpeedX1);
    EXPECT_EQ(controller_.main_surface(), 0);
    EXPECT_TRUE(list_.filters[0]);
    EXPECT_TRUE(views_.asked.empty());
    controller_.OnCommand(command::kFirstFrame);
    EXPECT_EQ(stops, 1) << "the first-frame button ends the operation";
    controller_.SetOperationRunning(false);
    timers_.Advance(controller_, 2 * timer::kOpenDelayMs);
    EXPECT_EQ(controller_.opens(), opens) << "nothing ran later";
    EXPECT_EQ(controller_.selection(), 0);
}

TEST_F(MainControllerTest, MarkJumpsSeekToTheViewsTargetAndPauseAfterStopped) {
    list_.nodes = {{Pair("000101")}};
    ASSERT_TRUE(SelectAndLoad(0));
    const struct {
        AppMessage message;
        std::int64_t target;
        bool from_playing;
        PlayerState after;
    } cases[] = {
        {AppMessage::kGraphNextMark, 40, false, PlayerState::kPaused},
        {AppMessage::kGraphPreviousMark, 12, false, PlayerState::kPaused},
        {AppMessage::kGraphNextMark, 30, true, PlayerState::kPlaying},
    };
    for (const auto& c : cases) {
        controller_.OnCommand(command::kFirstFrame);  // stopped at frame 0
        ASSERT_EQ(State(), PlayerState::kStopped);
        if (c.from_playing) {
            Play();
        }
        views_.jump = c.target;
        controller_.OnMessage({c.message, 0, 0});
        EXPECT_EQ(views_.asked.back().second, c.message == AppMessage::kGraphNextMark);
        EXPECT_EQ(controller_.shown_frame(), c.target);
        EXPECT_EQ(State(), c.after);
        if (!c.from_playing) {
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            while (view_.targets[0].last() != c.target &&
                   std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(10ms);
            }
            EXPECT_EQ(view_.targets[0].last(), c.target) << "the mark's frame is on screen";
        }
    }
    // No shown mark: nothing moves.
    controller_.OnCommand(command::kFirstFrame);
    views_.jump.reset();
    controller_.OnMessage({AppMessage::kGraphNextMark, 0, 0});
    EXPECT_EQ(controller_.shown_frame(), 0);
    // A point picked on the map's track seeks the same way.
    controller_.OnMessage({AppMessage::kMapPointChosen, 0, 33});
    EXPECT_EQ(controller_.shown_frame(), 33);
}

TEST_F(MainControllerTest, ArrowKeysStepExactFramesWhilePausedOnly) {
    list_.nodes = {{Pair("000101"), Pair("000102")}};
    ASSERT_TRUE(SelectAndLoad(0));
    controller_.OnMessage({AppMessage::kSliderButtonUp, command::kPositionSlider, 30});
    const struct {
        int key_step;
        int frame;
    } steps[] = {{1, 31}, {1, 32}, {-1, 31}};
    for (const auto& s : steps) {
        controller_.OnKey({KeyCommand::Kind::kFrameStep, s.key_step});
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (view_.targets[0].last() != s.frame && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(view_.targets[0].last(), s.frame);
    }
    Play();
    const std::int64_t before = controller_.shown_frame();
    controller_.OnKey({KeyCommand::Kind::kFrameStep, 1});
    EXPECT_EQ(controller_.shown_frame(), before) << "no frame steps while playing";
    controller_.OnKey(KeyToCommand(Qt::Key_Space, false));
    EXPECT_EQ(State(), PlayerState::kPaused) << "Space goes through the play command";
}

TEST_F(MainControllerTest, TheSourceVanishingStopsEverythingAndOffersToKeepRepairedCopies) {
    char pattern[] = "/dev/shm/ardelle-vanish-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        GTEST_SKIP() << "needs /dev/shm";
    }
    const std::string saved = platform::TemporaryFolder();
    ::setenv("TMPDIR", pattern, 1);
    const struct {
        bool program_exists;
        bool quits;
    } cases[] = {{true, false}, {false, true}};
    for (const auto& c : cases) {
        if (c.quits) {
            ASSERT_TRUE(display_.InitPlayers(true));
        }
        list_.nodes = {{Pair("000101"), Pair("000102")}};
        ASSERT_TRUE(SelectAndLoad(0));
        Play();
        fs::create_directories(std::string(pattern) + "/repaired_movie_files");
        std::ofstream(std::string(pattern) + "/repaired_movie_files/A___-1F.MP4") << "copy";
        window_.program_exists = c.program_exists;
        boxes_.shown.clear();
        controller_.OnMessage({AppMessage::kSourceVanished, 0, 0});
        EXPECT_NE(State(), PlayerState::kPlaying);
        EXPECT_EQ(controller_.selection(), -1);
        EXPECT_FALSE(controller_.loaded());
        EXPECT_TRUE(list_.Records().empty());
        EXPECT_FALSE(timers_.Running(timer::kTick));
        EXPECT_EQ(boxes_.shown.size(), 1u) << "the offer to keep the repaired copies";
        EXPECT_EQ(window_.quit, c.quits);
        EXPECT_EQ(controller_.pair().player(0).initialised != 0, !c.quits);
    }
    ::setenv("TMPDIR", saved.c_str(), 1);
    fs::remove_all(pattern);
}

TEST_F(MainControllerTest, AFilterThatEmptiesTheListStopsPlaybackAndClearsTheSelection) {
    list_.nodes = {{Pair("000101")}};
    ASSERT_TRUE(SelectAndLoad(0));
    Play();
    const catalogue::RecordingList kept = list_.nodes[0];
    list_.nodes[0].clear();  // the refilled list
    controller_.OnCommand(command::kFirstFilter + 2);
    EXPECT_FALSE(list_.filters[2]);
    EXPECT_NE(State(), PlayerState::kPlaying);
    EXPECT_EQ(controller_.selection(), -1);
}

TEST_F(MainControllerTest, PlayWithNothingOpenOpensTheSelectionAndStartsIt) {
    list_.nodes = {{Pair("000101"), Pair("000102")}};
    controller_.OnCommand(command::kPlayPause);
    EXPECT_EQ(controller_.selection(), 0);
    timers_.Advance(controller_, timer::kOpenDelayMs);
    ASSERT_TRUE(PumpUntil([this] { return controller_.loaded(); }));
    EXPECT_EQ(State(), PlayerState::kPlaying);
    EXPECT_TRUE(view_.playing_button);
}

TEST_F(MainControllerTest, ASliderDragPausesAndPlayOnFromTheReleasedFrameAtTheKeptVolume) {
    list_.nodes = {{Pair("000101"), Pair("000102")}};
    ASSERT_TRUE(SelectAndLoad(0));
    controller_.OnMessage({AppMessage::kSliderButtonUp, command::kVolumeSlider, 30000});
    const struct {
        bool playing;
        std::int64_t released;
    } cases[] = {{true, 40}, {false, 25}};
    for (const auto& c : cases) {
        if (c.playing) {
            Play();
        } else if (State() == PlayerState::kPlaying) {
            controller_.OnCommand(command::kPlayPause);
        }
        controller_.OnMessage({AppMessage::kSliderButtonDown, command::kPositionSlider, 10});
        EXPECT_NE(State(), PlayerState::kPlaying);
        EXPECT_EQ(controller_.pair().player(0).volume, 0) << "muted while dragging";
        controller_.OnMessage({AppMessage::kSliderMoving, command::kPositionSlider, 20});
        EXPECT_EQ(view_.position.first, 20);
        controller_.OnMessage({AppMessage::kSliderButtonUp, command::kPositionSlider, c.released});
        EXPECT_EQ(controller_.shown_frame(), c.released);
        EXPECT_EQ(State() == PlayerState::kPlaying, c.playing);
        EXPECT_EQ(controller_.pair().player(0).volume, 30000);
    }
}

TEST_F(MainControllerTest, ClosingTheListClearsEverythingAndTheVoltageTraceFollowsTheSource) {
    list_.nodes = {{Pair("000101")}};
    ASSERT_TRUE(SelectAndLoad(0));
    const struct {
        std::string source;
        bool trace;
    } cases[] = {{ARDELLE_TEST_CARD_DIR, true}, {settings_.path(), false}};
    for (const auto& c : cases) {
        list_.source_path = c.source;
        controller_.UpdateVoltageTrace();
        EXPECT_EQ(views_.voltage_trace, c.trace) << c.source;
    }
    controller_.CloseRecordingList();
    EXPECT_EQ(controller_.selection(), -1);
    EXPECT_FALSE(controller_.loaded());
    EXPECT_EQ(list_.cleared, 1);
    EXPECT_EQ(controller_.pair().player(0).opened, 0);
    EXPECT_TRUE(window_.slider_enabled);
    EXPECT_FALSE(timers_.Running(timer::kTick));
}

}  // namespace
}  // namespace ardelle::app
