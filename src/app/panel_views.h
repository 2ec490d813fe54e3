#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "app/map_content_rule.h"
#include "app/recording_views.h"
#include "base/messages.h"
#include "graph/map_marks.h"
#include "graph/mark_series.h"
#include "map/map_bridge.h"

namespace ardelle::graph {
class CGSensorDlg;
}
namespace ardelle::panels {
class CInfoDlg;
}

namespace ardelle::app {

// The quality code of a recording: the reference player's picture height with the
// telemetry's quality character; only the rear player open reads as an unknown quality.
int QualityCodeFor(char quality, int height, bool front_open);

// The map's form of the graph's mark records of one recording's telemetry.
std::vector<map::MapMark> MapMarksOf(const std::vector<graph::MarkRecord>& records,
                                     const std::vector<telemetry::SensorSample>& sensors,
                                     const std::vector<telemetry::GpsSample>& gps);

// Bit k set for every mark kind whose series is switched on.
std::uint32_t VisibleKinds(const graph::SeriesSwitches& switches);

// The map kind of a still from the second character of its name ('D' 10, 'M' 5, 'G' 0).
int StillMarkKind(const catalogue::RecordingEntry& entry);

// The recording views over the info panel, the acceleration graph and the map bridge. The
// mark lock guards the mark list while it is rebuilt and sent; the players' locks are taken
// after it, front player first.
class PanelViews : public RecordingViews {
  public:
    PanelViews(panels::CInfoDlg& info, graph::CGSensorDlg& graph, map::CGoogleMapDlgWrap& bridge);

    // Where the map content rule's decisions go (the map window); none: the rule only keeps
    // its marks.
    void SetMapContentTarget(MapContentTarget* target) { map_target_ = target; }

    // RecordingViews
    void StartRecording(playback::PlayerPair& pair, const catalogue::RecordingEntry& entry,
                        int index) override;
    void ShowPosition(playback::PlayerPair& pair, std::int64_t frame) override;
    void Reset() override;
    void RebuildMarks(playback::PlayerPair& pair, int index) override;
    std::optional<std::int64_t> MarkJumpTarget(std::int64_t shown_frame, bool forward,
                                               std::int64_t duration) override;
    void ShowStill(const catalogue::RecordingEntry& entry) override;
    void MapStop() override;
    void MoveMapMarker() override;
    void SetVoltageTrace(bool on) override;

    // The mark-display switches of the settings dialog (0x81F5) and the info panel's axis
    // toggles (0x82BD): the switch is set, the graph repainted and the marks sent again.
    // The map finished loading (0x812D): the marks of the loaded recording are sent. True
    // when the message was a switch and needs nothing more.
    bool OnMessage(playback::PlayerPair& pair, const PostedMessage& message);
    // Command 38011: inverts the map display switch, hands it to the prober (which probes at
    // once) and runs the content rule. The new state.
    bool ToggleMapDisplay(playback::PlayerPair& pair);
    // The tab or the view changed: the content rule runs again.
    void SetTab(playback::PlayerPair& pair, int tab);
    void SetFullWindow(playback::PlayerPair& pair, bool full_window);
    void SetNoSource(playback::PlayerPair& pair, bool no_source);
    void SetStartedUp(playback::PlayerPair& pair);
    void RunMapContentRule(playback::PlayerPair& pair);

    const std::vector<graph::MarkRecord>& marks() const { return marks_; }
    const MapContentRule& map_content() const { return map_content_; }
    int recording_index() const { return recording_index_; }
    bool loaded() const { return loaded_; }

  private:
    void SendMarks(int index);  // under the mark lock
    void RunRuleLocked(playback::PlayerPair& pair);

    panels::CInfoDlg& info_;
    graph::CGSensorDlg& graph_;
    map::CGoogleMapDlgWrap& bridge_;
    MapContentTarget* map_target_ = nullptr;
    MapContentRule map_content_;

    std::mutex mark_lock_;
    std::vector<graph::MarkRecord> marks_;  // guarded by mark_lock_
    std::vector<map::MapMark> map_marks_;   // guarded by mark_lock_
    int recording_index_ = -1;
    bool loaded_ = false;
    bool parking_ = false;
    bool last_has_fix_ = false;  // the last shown position had a GPS fix
    playback::PlayerPair* last_pair_ = nullptr;
    int tab_ = 0;
    bool full_window_ = false;
};

}  // namespace ardelle::app
