#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <limits>
#include <mutex>
#include <thread>

#include "map/map_bridge.h"
#include "map/player_track_source.h"
#include "map_fakes.h"

namespace ardelle::map {
namespace {

using testing::FakePageHost;
using testing::FakeProbe;
using testing::RecordingSink;

struct BridgeFixture : ::testing::Test {
    BridgeFixture() { bridge.AttachHost(&host); }
    RecordingSink sink;
    FakeProbe probe;
    FakePageHost host;
    CGoogleMapDlgWrap bridge{sink, probe};
};

TEST_F(BridgeFixture, ConnectTestFollowsSwitchAndProbeAndDropsReadiness) {
    struct Case {
        bool enabled;
        bool connected;
        int answer;
        int ready_after;
    };
    const Case cases[] = {
        {true, true, 1, 1}, {true, false, 0, 0}, {false, true, 0, 0}, {false, false, 0, 0}};
    for (const Case& c : cases) {
        bridge.JS2C_OnInitHtml();
        probe.enabled = c.enabled;
        probe.connected = c.connected;
        EXPECT_EQ(bridge.JS2C_ConnectTest(), c.answer);
        EXPECT_EQ(bridge.page_ready(), c.ready_after);
    }
}

TEST_F(BridgeFixture, SwitchedOffMapSendsNoTrack) {
    bridge.JS2C_OnInitHtml();
    probe.enabled = false;
    EXPECT_EQ(bridge.JS2C_ConnectTest(), 0);
    EXPECT_FALSE(bridge.DrawTrack(0));
    EXPECT_FALSE(bridge.LoadRecordingIntoMap(0, false, {}, 0x3FFF));
    EXPECT_TRUE(host.statements.empty());
}

TEST_F(BridgeFixture, ReadyNotificationAndMarkClick) {
    bridge.JS2C_OnInitHtml();
    bridge.JS2C_OnClickCrashPoint(412);
    EXPECT_EQ(sink.messages, (std::vector<PostedMessage>{{AppMessage::kMapReady, 0, 0},
                                                         {AppMessage::kMapPointChosen, 0, 412}}));
    EXPECT_EQ(bridge.page_ready(), 1);
    EXPECT_TRUE(host.statements.empty());  // nothing is sent from inside the ready call
}

TEST_F(BridgeFixture, TracksWithoutASourceAreTheEmptyPayload) {
    EXPECT_EQ(bridge.JS2C_GetGPSData(), TrackPayload{});
    EXPECT_EQ(bridge.JS2C_GetGridData(), TrackPayload{});
    testing::StraightTrack tracks(2, 35.0, 139.0, 0.001, 0.001);
    bridge.AttachTracks(&tracks);
    EXPECT_EQ(bridge.JS2C_GetGridData().values.size(), 7u);
}

TEST_F(BridgeFixture, CurrentFrameAsDecimalText) {
    for (int frame : {153, 0, -1, std::numeric_limits<int>::max()}) {
        bridge.SetCurrentFrame(frame);
        EXPECT_EQ(bridge.JS2C_GetRelJpgNum(), std::to_string(frame));
    }
}

TEST_F(BridgeFixture, ValuesArePushedAndOffEarthPositionsKeepTheLastOne) {
    bridge.SetMapValues({139.753, 35.68539, "", -1});
    bridge.SetMapValues({std::numeric_limits<double>::quiet_NaN(), 35.0, "", -1});
    bridge.SetMapValues({720.0, 720.0, "", -1});
    ASSERT_EQ(host.messages.size(), 3u);
    for (const std::string& message : host.messages) {
        EXPECT_NE(message.find(R"("map_lat":"35.685390","map_lng":"139.753000")"),
                  std::string::npos)
            << message;
    }
}

TEST_F(BridgeFixture, NothingReachesAPageThatDoesNotExistYet) {
    host.created = false;
    bridge.JS2C_OnInitHtml();
    bridge.JS2C_SetSend();
    bridge.DrawTrack(0);
    bridge.SetPlayStatus(2);
    EXPECT_TRUE(host.statements.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BridgeFixture, PlayStatusTexts) {
    struct Case {
        int status;
        const char* text;
        bool moves_marker;
    };
    const Case cases[] = {{1, "pause", false}, {0, "", false}, {2, "stop", true}};
    for (const Case& c : cases) {
        host.statements.clear();
        bridge.SetPlayStatus(c.status);
        EXPECT_EQ(bridge.map_values().map_status, c.text);
        EXPECT_EQ(host.statements.size(), c.moves_marker ? 1u : 0u);
        EXPECT_NE(host.messages.back().find(std::string("\"map_status\":\"") + c.text + "\""),
                  std::string::npos);
    }
}

TEST_F(BridgeFixture, ShowMapChangesOnlyOnRealTransitions) {
    EXPECT_EQ(bridge.ShowMap(0), 0);
    EXPECT_EQ(bridge.ShowMap(1), 1);
    EXPECT_TRUE(host.visible);
    EXPECT_EQ(bridge.ShowMap(1), 0);
    EXPECT_EQ(bridge.ShowMap(0), 1);
    EXPECT_FALSE(host.visible);
    host.visible = true;  // shown by someone else: not ours to show again
    EXPECT_EQ(bridge.ShowMap(1), 0);
}

TEST_F(BridgeFixture, LoadRecordingSendsClearDrawAndMarks) {
    bridge.JS2C_OnInitHtml();
    MapMark mark;
    mark.kind = 5;
    mark.has_sample = mark.has_gps = true;
    mark.latitude = 35.0;
    mark.longitude = 139.0;
    mark.frame = 90;
    EXPECT_TRUE(bridge.LoadRecordingIntoMap(2, false, {mark}, 0x3FFF));
    ASSERT_EQ(host.statements.size(), 10u);
    EXPECT_EQ(host.statements[0], "cplist.ClearCrashPos()");
    EXPECT_EQ(host.statements[8], "orbitgrplist.CreateGridLine(2)");
    EXPECT_EQ(host.statements[9].rfind("cplist.AddCrashPos(5,", 0), 0u);

    host.statements.clear();
    EXPECT_TRUE(bridge.LoadRecordingIntoMap(2, true, {mark}, 0x3FFF));
    EXPECT_EQ(host.statements, ClearTrackStatements());
}

// The tracks come from the players in the order every other lock user takes them.
TEST(PlayerTrackSourceTest, FirstPlayerLockBeforeSecond) {
    playback::PlayerContext first;
    playback::PlayerContext second;
    for (playback::PlayerContext* player : {&first, &second}) {
        player->player_lock = std::make_unique<std::recursive_mutex>();
        player->telemetry_reader = std::make_unique<telemetry::TelemetryFile>();
        player->initialised = 1;
    }
    const std::vector<telemetry::GpsSample> group(3);
    PlayerTrackSource source(first, second, group);

    std::unique_lock second_held(*second.player_lock);
    auto copy = std::async(std::launch::async, [&] {
        std::vector<telemetry::GpsSample> track;
        return source.CopyRecordingTrack(track);
    });
    // The copy now waits for the second lock while it holds the first one.
    bool first_taken_by_copy = false;
    for (int i = 0; i < 500 && !first_taken_by_copy; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::thread probe([&] {
            if (first.player_lock->try_lock()) {
                first.player_lock->unlock();
            } else {
                first_taken_by_copy = true;
            }
        });
        probe.join();
    }
    EXPECT_TRUE(first_taken_by_copy);
    second_held.unlock();
    EXPECT_FALSE(copy.get());  // the reader has no GPS list

    std::vector<telemetry::GpsSample> track;
    EXPECT_TRUE(source.CopyGroupTrack(track));
    EXPECT_EQ(track.size(), 3u);
    first.initialised = 0;
    EXPECT_FALSE(source.CopyGroupTrack(track));
}

}  // namespace
}  // namespace ardelle::map
