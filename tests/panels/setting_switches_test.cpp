// The settings dialog's switch model: what a click posts, which ids are switches, how the
// main window's reaction changes the graph's marks, and where the switches are placed.
#include <gtest/gtest.h>

#include <vector>

#include "graph/trace_pass.h"
#include "panels/setting_switches.h"

namespace ardelle::panels {
namespace {

struct RecordingSink : MessageSink {
    void Post(const PostedMessage& message) override { posted.push_back(message); }
    std::vector<PostedMessage> posted;
};

TEST(SettingSwitches, ClicksFlipAndPostTheirGroup) {
    SettingSwitches switches;
    RecordingSink sink;
    EXPECT_TRUE(switches.Click(kFirstSwitchControl + 3, &sink));
    EXPECT_TRUE(switches.Click(kFirstSwitchControl + 3, &sink));
    EXPECT_TRUE(switches.Click(kFirstSwitchControl + 5, &sink));
    // Routed ids without a switch, and ids outside the range, change and post nothing.
    for (const int id :
         {kFirstSwitchControl + 6, kLastRoutedSwitchControl, kFirstSwitchControl - 1, 0}) {
        EXPECT_FALSE(switches.Click(id, &sink)) << id;
    }
    EXPECT_EQ(sink.posted, (std::vector<PostedMessage>{{AppMessage::kSettingsSwitch, 3, 0},
                                                       {AppMessage::kSettingsSwitch, 3, 1},
                                                       {AppMessage::kSettingsSwitch, 5, 0}}));
    EXPECT_TRUE(switches.On(3));
    EXPECT_FALSE(switches.On(5));
    EXPECT_FALSE(switches.On(6));
}

TEST(SettingSwitches, InitialisationShowsTheCurrentSeriesState) {
    graph::SeriesSwitches series;
    SettingSwitches fresh;
    fresh.Initialise(series);
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        EXPECT_TRUE(fresh.On(i)) << i;
    }
    series.Set(6, false);  // speeding hidden earlier
    series.Set(0, false);  // an axis: not one of the dialog's switches
    SettingSwitches reopened;
    reopened.Initialise(series);
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        EXPECT_EQ(reopened.On(i), i != 3) << i;
    }
}

TEST(SettingSwitches, SpeedingOffRemovesItsMarksAndOnBringsThemBack) {
    // A recording with one speeding sample and one manual mark.
    std::vector<telemetry::SensorSample> sensors(6);
    sensors[2].secondary = 8;
    sensors[4].event_kind = 5;
    std::vector<std::int32_t> frames = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5};
    const graph::GraphTelemetry view{sensors, frames};
    const graph::GraphLayout layout(654, 142, 1.0, 1.0);
    const graph::PassPlan plan = graph::WindowPlan(layout, 12, 0);

    graph::SeriesSwitches series;
    SettingSwitches dialog;
    dialog.Initialise(series);
    RecordingSink sink;
    const auto kinds = [&] {
        std::vector<int> found;
        for (const auto& m : graph::RunTracePass(view, layout, plan, 1, series).marks) {
            found.push_back(m.kind);
        }
        return found;
    };
    EXPECT_EQ(kinds(), (std::vector<int>{5, 8}));
    for (const std::vector<int>& expected : {std::vector<int>{5}, std::vector<int>{5, 8}}) {
        ASSERT_TRUE(dialog.Click(kFirstSwitchControl + 3, &sink));  // "速度超過"
        const PostedMessage& m = sink.posted.back();
        ASSERT_TRUE(graph::ApplyEventGroupSwitch(series, m.wparam, m.lparam));
        EXPECT_EQ(kinds(), expected);
    }
}

TEST(SettingSwitches, PlacesAndVersionNotice) {
    EXPECT_EQ(SwitchBox(0, 1.0), (graph::Rect{40, 60, 160, 40}));
    EXPECT_EQ(SwitchBox(4, 1.0), (graph::Rect{40, 140, 160, 40}));
    EXPECT_EQ(SwitchBox(2, 1.0), (graph::Rect{240, 60, 160, 40}));
    EXPECT_EQ(SwitchBox(5, 1.5), (graph::Rect{360, 210, 240, 60}));
    EXPECT_EQ(SwitchBox(6, 1.0), (graph::Rect{}));
    EXPECT_EQ(MarkGroupBox(1.0), (graph::Rect{10, 30, 434, 160}));
    EXPECT_EQ(VersionGroupBox(1.0), (graph::Rect{10, 190, 434, 110}));
    EXPECT_EQ(SettingsDialogSize(2.0), (graph::Rect{0, 0, 920, 630}));
    EXPECT_EQ(VersionNotice(2026), "version 1.0.0\nCopyright (C) 2026 The Ardelle developers");
    EXPECT_GE(BuildYear(), 2024);
}

}  // namespace
}  // namespace ardelle::panels
