// The recording views over the real info panel and graph, a bridge with a recording page
// and the real players on the test card: what reaches the map, the jumps, the shown values.
#include "app/panel_views.h"

#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/recording_entry.h"
#include "graph/gsensor_dlg.h"
#include "graph/offscreen_qt.h"
#include "map/map_fakes.h"
#include "panels/info_dlg.h"
#include "playback/player_fixture.h"

namespace ardelle::app {
namespace {

using playback::PlayerTarget;
using playback::testing::RecordingTarget;

constexpr int kShockRecording = 103;    // shocks X, Y and Z at 30, 50 and 70 % of the clip
constexpr int kSupportRecording = 101;  // acceleration, braking, steering at 20, 50, 75 %

struct SentMark {
    int kind = 0;
    int recording = 0;
    int frame = 0;
};

// The marks of the last mark reset, in the order the page received them.
std::vector<SentMark> MarksSinceLastReset(const std::vector<std::string>& statements) {
    std::vector<SentMark> marks;
    for (const std::string& statement : statements) {
        if (statement == "cplist.ClearCrashPos()") {
            marks.clear();
        } else if (statement.rfind("cplist.AddCrashPos(", 0) == 0) {
            std::vector<double> args;
            std::istringstream in(statement.substr(statement.find('(') + 1));
            for (std::string arg; std::getline(in, arg, ',');) {
                args.push_back(std::stod(arg));
            }
            EXPECT_EQ(args.size(), 12u) << statement;
            marks.push_back(
                {static_cast<int>(args[0]), static_cast<int>(args[5]), static_cast<int>(args[6])});
        }
    }
    return marks;
}

std::vector<int> KindsOf(const std::vector<SentMark>& marks) {
    std::vector<int> kinds;
    for (const SentMark& mark : marks) {
        kinds.push_back(mark.kind);
    }
    return kinds;
}

class RecordingViewsTest : public playback::testing::BasicPlayerPairTest<RecordingTarget> {
  protected:
    void SetUp() override {
        BasicPlayerPairTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        info_.resize(600, 80);
        graph_.resize(600, 120);
        bridge_.AttachHost(&page_);
        bridge_.JS2C_OnInitHtml();  // the page is ready
    }
    catalogue::RecordingEntry Load(int number) {
        catalogue::RecordingList list;
        EXPECT_TRUE(catalogue::AddMovieEntry(card_.Front(number), card_.Rear(number), list));
        OpenAndWait(card_.Front(number), card_.Rear(number));
        EXPECT_EQ(pair_.LoadTelemetry(card_.Front(number), card_.Rear(number)), 1);
        return list.front();
    }

    QApplication& app_ = ardelle::testing::OffscreenApp();  // before the widgets
    panels::CInfoDlg info_;
    graph::CGSensorDlg graph_;
    map::testing::RecordingSink sink_;
    map::testing::FakeProbe probe_;
    map::testing::FakePageHost page_;
    map::CGoogleMapDlgWrap bridge_{sink_, probe_};
    PanelViews views_{info_, graph_, bridge_};
};

TEST_F(RecordingViewsTest, MarksReachTheMapLastFirstAndTheSwitchesTakeThemOff) {
    const catalogue::RecordingEntry entry = Load(kShockRecording);
    views_.StartRecording(pair_, entry, 4);
    std::vector<SentMark> sent = MarksSinceLastReset(page_.statements);
    ASSERT_EQ(KindsOf(sent), (std::vector<int>{3, 2, 0}));  // Z, Y, X: the last first
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].recording, 4);
        if (i > 0) {
            EXPECT_LT(sent[i].frame, sent[i - 1].frame);
        }
    }
    const std::int64_t frames = pair_.GetDurationFrames(PlayerTarget::kFront);
    EXPECT_NEAR(sent[2].frame, 0.3 * static_cast<double>(frames),
                0.05 * static_cast<double>(frames));

    struct Case {
        AppMessage message;
        std::int64_t which;
        std::vector<int> kinds;
    };
    const Case cases[] = {
        {AppMessage::kInfoPanelAxisSwitch, 0, {3, 2}},  // the X axis off: its shock goes
        {AppMessage::kInfoPanelAxisSwitch, 1, {3, 0}},
        {AppMessage::kInfoPanelAxisSwitch, 2, {2, 0}},
        {AppMessage::kSettingsSwitch, 0, {3, 2, 0}},  // driving support: no shock is touched
    };
    for (const Case& c : cases) {
        page_.statements.clear();
        EXPECT_TRUE(views_.OnMessage(pair_, {c.message, c.which, 0}));
        EXPECT_EQ(KindsOf(MarksSinceLastReset(page_.statements)), c.kinds)
            << "message " << static_cast<int>(c.message) << " switch " << c.which;
        views_.OnMessage(pair_, {c.message, c.which, 1});
        EXPECT_EQ(KindsOf(MarksSinceLastReset(page_.statements)), (std::vector<int>{3, 2, 0}));
    }

    // A page that is not ready gets nothing, and the marks come once it reports ready.
    bridge_.JS2C_ConnectTest();
    probe_.connected = false;
    bridge_.JS2C_ConnectTest();  // no connection: the page is no longer ready
    page_.statements.clear();
    views_.RebuildMarks(pair_, 4);
    EXPECT_TRUE(page_.statements.empty());
    probe_.connected = true;
    bridge_.JS2C_OnInitHtml();
    views_.OnMessage(pair_, {AppMessage::kMapReady, 0, 0});
    EXPECT_EQ(KindsOf(MarksSinceLastReset(page_.statements)), (std::vector<int>{3, 2, 0}));
}

TEST_F(RecordingViewsTest, MarkJumpsWrapAtBothEndsAndFollowTheSwitches) {
    const catalogue::RecordingEntry entry = Load(kSupportRecording);
    views_.StartRecording(pair_, entry, 0);
    const std::vector<graph::MarkRecord>& marks = views_.marks();
    ASSERT_EQ(marks.size(), 3u);
    const std::int64_t a = marks[0].frame, b = marks[1].frame, c = marks[2].frame;
    ASSERT_LT(a, b);
    ASSERT_LT(b, c);
    const std::int64_t frames = pair_.GetDurationFrames(PlayerTarget::kFront);
    struct Case {
        std::int64_t shown;
        bool forward;
        std::int64_t expected;
    };
    const Case cases[] = {
        {0, true, a},  {a, true, b},  {b - 1, true, b}, {c, true, a},  {frames, true, a},
        {c, false, b}, {b, false, a}, {a, false, c},    {0, false, c}, {frames - 1, false, c},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(views_.MarkJumpTarget(k.shown, k.forward, frames), k.expected)
            << "from " << k.shown << (k.forward ? " forward" : " back");
    }
    // The settings dialog's driving-support switch hides all three: no jump at all.
    views_.OnMessage(pair_, {AppMessage::kSettingsSwitch, 0, 0});
    EXPECT_EQ(views_.MarkJumpTarget(a, true, frames), std::nullopt);
    EXPECT_EQ(views_.MarkJumpTarget(a, false, frames), std::nullopt);
    views_.Reset();
    views_.OnMessage(pair_, {AppMessage::kSettingsSwitch, 0, 1});
    EXPECT_EQ(views_.MarkJumpTarget(a, true, frames), std::nullopt) << "nothing is loaded";
}

TEST_F(RecordingViewsTest, AShownPositionReachesPanelGraphAndMapAndResetClearsThem) {
    const catalogue::RecordingEntry entry = Load(kShockRecording);
    views_.StartRecording(pair_, entry, 0);
    EXPECT_TRUE(graph_.has_data());
    EXPECT_EQ(info_.fields().badge, 0) << "the card's 180-line pictures have no badge";
    const std::int64_t shock_y = views_.marks()[1].frame;
    views_.ShowPosition(pair_, shock_y);
    EXPECT_EQ(graph_.current_frame(), shock_y);
    EXPECT_EQ(info_.fields().current_frame, shock_y);
    EXPECT_EQ(bridge_.current_frame(), shock_y);
    {
        const playback::PlayerContext& front = pair_.player(0);
        std::lock_guard lock(*front.player_lock);
        const telemetry::TelemetryFile& reader = *front.telemetry_reader;
        const auto& sample =
            reader.sensors()[static_cast<std::size_t>(reader.frame_map()[shock_y])];
        EXPECT_DOUBLE_EQ(info_.fields().y, sample.y);
        EXPECT_GT(std::abs(sample.y), 0.3) << "the shock's own sample";
        ASSERT_GE(sample.gps_link, 0);
        const auto& fix = reader.gps()[static_cast<std::size_t>(sample.gps_link)];
        EXPECT_DOUBLE_EQ(bridge_.map_values().map_lat, fix.latitude);
        EXPECT_DOUBLE_EQ(bridge_.map_values().map_lng, fix.longitude);
    }
    EXPECT_TRUE(views_.map_content().marks().map_has_position);
    EXPECT_TRUE(views_.map_content().marks().map_started);

    // Frames past the end are clamped to the last one; nothing reads outside the map.
    views_.ShowPosition(pair_, 1'000'000);
    EXPECT_LT(graph_.current_frame(), pair_.GetDurationFrames(PlayerTarget::kFront));

    views_.Reset();
    EXPECT_FALSE(graph_.has_data());
    EXPECT_EQ(info_.fields().x, panels::kNoAcceleration);
    EXPECT_FALSE(views_.map_content().marks().map_has_position);
    EXPECT_FALSE(views_.map_content().marks().map_started);
    views_.ShowPosition(pair_, 10);  // closed: nothing is shown
    EXPECT_EQ(info_.fields().current_frame, -1);
}

TEST_F(RecordingViewsTest, TheMapSwitchGoesToTheProberWhichProbesAtOnce) {
    const catalogue::RecordingEntry entry = Load(kShockRecording);
    views_.StartRecording(pair_, entry, 0);
    probe_.enabled = false;
    EXPECT_TRUE(views_.ToggleMapDisplay(pair_));
    EXPECT_TRUE(probe_.enabled);
    EXPECT_EQ(probe_.probes, 1);
    EXPECT_TRUE(views_.map_content().marks().map_display);
    EXPECT_FALSE(views_.ToggleMapDisplay(pair_));
    EXPECT_FALSE(probe_.enabled);
    EXPECT_EQ(probe_.probes, 2);
    // Switched off, the connectivity test answers 0: a shown position no longer starts the map.
    views_.Reset();
    views_.StartRecording(pair_, entry, 0);
    EXPECT_FALSE(views_.map_content().marks().map_started);
}

TEST(QualityCode, HeightAndQualityOfTheReferencePlayerOnlyRearOpenReadsAsUnknownQuality) {
    struct Case {
        char quality;
        int height;
        bool front_open;
        int code;
    };
    const Case cases[] = {
        {'H', 1080, true, 5},   {'L', 720, true, 4},   {'H', 1440, true, 7},
        {'H', 1080, false, 12}, {'L', 720, false, 11}, {'H', 180, true, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QualityCodeFor(c.quality, c.height, c.front_open), c.code)
            << c.quality << " " << c.height << " " << c.front_open;
    }
}

TEST(StillsOnTheMap, TheSecondNameCharacterPicksTheMarkAndUnplacedStillsHaveNoPosition) {
    struct Case {
        const char* name;
        double latitude, longitude;
        int kind;
        bool no_position;
    };
    const Case cases[] = {
        {"AD-20240608-SN00-001-001F.JPG", 35.6, 139.7, 10, false},
        {"AM-20240608-SN00-001-001F.JPG", 35.6, 139.7, 5, false},
        {"AG-20240608-SN00-001-001F.JPG", 35.6, 139.7, 0, false},
        {"A_-20240608-SN00-001-001F.JPG", 35.6, 139.7, -1, false},
        {"AG-20240608-SN00-001-001F.JPG", 0.0, 139.7, 0, true},
    };
    ardelle::testing::OffscreenApp();
    for (const Case& c : cases) {
        panels::CInfoDlg info;
        graph::CGSensorDlg graph;
        map::testing::RecordingSink sink;
        map::testing::FakeProbe probe;
        map::testing::FakePageHost page;
        map::CGoogleMapDlgWrap bridge(sink, probe);
        bridge.AttachHost(&page);
        PanelViews views(info, graph, bridge);
        catalogue::RecordingEntry still;
        still.front_name = c.name;
        still.latitude = c.latitude;
        still.longitude = c.longitude;
        views.ShowStill(still);
        EXPECT_EQ(bridge.map_values().pict_event, c.kind) << c.name;
        EXPECT_EQ(bridge.page_mode(), static_cast<int>(map::PageMode::kPicture));
        EXPECT_EQ(views.map_content().marks().no_position, c.no_position) << c.name;
        EXPECT_EQ(info.fields().picture_mode, 1);
    }
}

}  // namespace
}  // namespace ardelle::app
