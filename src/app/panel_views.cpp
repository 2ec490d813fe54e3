#include "app/panel_views.h"

#include "catalogue/recording_names.h"
#include "graph/graph_layout.h"
#include "graph/gsensor_dlg.h"
#include "panels/info_dlg.h"
#include "panels/info_panel_format.h"

namespace ardelle::app {
namespace {

using playback::PlayerPair;
using playback::PlayerTarget;

// Both players' locks, front first, for as long as the object lives.
class PlayerLocks {
  public:
    explicit PlayerLocks(PlayerPair& pair) {
        for (int i = 0; i < 2; ++i) {
            if (pair.player(i).player_lock) {
                locks_[static_cast<std::size_t>(i)] = std::unique_lock(*pair.player(i).player_lock);
            }
        }
    }

  private:
    std::array<std::unique_lock<std::recursive_mutex>, 2> locks_;
};

// The reader holding the recording's telemetry; null when none is loaded. Called under the
// players' locks.
const telemetry::TelemetryFile* LoadedTelemetry(PlayerPair& pair) {
    playback::PlayerContext& holder = pair.player(pair.ReferencePlayer());
    if (holder.initialised == 0 || holder.telemetry_loaded == 0 || !holder.telemetry_reader) {
        return nullptr;
    }
    return holder.telemetry_reader.get();
}

PlayerTarget ReferenceTarget(PlayerPair& pair) {
    return static_cast<PlayerTarget>(pair.ReferencePlayer());
}

bool IsTimeLapseName(const std::string& name) {
    const std::string_view file = catalogue::FileNameOf(name);
    return (!file.empty() && file[0] == 'T') || (file.size() > 2 && file[2] == 'T');
}

template <class T>
const T* At(const std::vector<T>& list, std::int64_t index) {
    return index >= 0 && index < static_cast<std::int64_t>(list.size())
               ? &list[static_cast<std::size_t>(index)]
               : nullptr;
}

}  // namespace

int QualityCodeFor(char quality, int height, bool front_open) {
    if (!front_open) {
        quality = 0;
    }
    return panels::ResolutionBadge(quality, height);
}

std::vector<map::MapMark> MapMarksOf(const std::vector<graph::MarkRecord>& records,
                                     const std::vector<telemetry::SensorSample>& sensors,
                                     const std::vector<telemetry::GpsSample>& gps) {
    std::vector<map::MapMark> out;
    out.reserve(records.size());
    for (const graph::MarkRecord& record : records) {
        map::MapMark mark;
        mark.kind = record.kind;
        const telemetry::SensorSample* sample = At(sensors, record.sample_index);
        if (sample != nullptr) {
            mark.has_sample = true;
            mark.level_x = sample->x;
            mark.level_y = sample->y;
            mark.level_z = sample->z;
            mark.frame = sample->time;
            if (const telemetry::GpsSample* fix = At(gps, sample->gps_link)) {
                mark.has_gps = true;
                mark.latitude = fix->latitude;
                mark.longitude = fix->longitude;
                mark.valid = fix->valid;
                mark.speed = fix->speed;
                mark.direction = fix->reserved;
            }
        }
        out.push_back(mark);
    }
    return out;
}

std::uint32_t VisibleKinds(const graph::SeriesSwitches& switches) {
    std::uint32_t bits = 0;
    for (int kind = 0; kind < graph::kMarkKindCount; ++kind) {
        const int series = graph::SeriesOfKind(kind);
        if (series >= 0 && switches.graph[static_cast<std::size_t>(series)]) {
            bits |= 1u << kind;
        }
    }
    return bits;
}

int StillMarkKind(const catalogue::RecordingEntry& entry) {
    const std::string_view name = catalogue::FileNameOf(entry.primary_name());
    if (name.size() < 2) {
        return -1;
    }
    switch (name[1]) {
        case 'D':
            return 10;
        case 'M':
            return 5;
        case 'G':
            return 0;
        default:
            return -1;
    }
}

PanelViews::PanelViews(panels::CInfoDlg& info, graph::CGSensorDlg& graph,
                       map::CGoogleMapDlgWrap& bridge)
    : info_(info), graph_(graph), bridge_(bridge) {}

void PanelViews::StartRecording(PlayerPair& pair, const catalogue::RecordingEntry& entry,
                                int index) {
    const PlayerTarget reference = ReferenceTarget(pair);
    int width = 0, height = 0;
    pair.GetVideoSize(reference, width, height);
    const std::int64_t frames = pair.GetDurationFrames(reference);
    const float interval = pair.GetFrameInterval(reference);
    const int speed_code = pair.GetSpeedCode(reference);
    {
        PlayerLocks locks(pair);
        const telemetry::TelemetryFile* reader = LoadedTelemetry(pair);
        panels::InfoPanelFields& fields = info_.fields();
        fields.Reset();
        fields.picture_mode = 0;
        fields.start = catalogue::MovieDateTime(catalogue::FileNameOf(entry.primary_name()));
        fields.date_valid = 1;
        fields.frame_duration_ms = interval;
        fields.time_lapse = IsTimeLapseName(entry.primary_name()) ? 1 : 0;
        fields.rate_text = panels::PlaybackRateText(speed_code);
        fields.voltage_shown = panels::VoltageShownFor(fields.voltage_trace,
                                                       catalogue::TriggerClassOf(entry.front_name),
                                                       catalogue::TriggerClassOf(entry.rear_name));
        fields.badge = QualityCodeFor(reader != nullptr ? reader->header().quality : '\0', height,
                                      pair.player(0).opened != 0);
        if (reader != nullptr) {
            graph_.SetTelemetry({reader->sensors(), reader->frame_map()}, frames,
                                graph::ScaleModeFor(reader->max_abs_g()));
        } else {
            graph_.ClearTelemetry();
        }
        parking_ = entry.parking != 0;
        loaded_ = true;
        last_pair_ = &pair;
    }
    bridge_.SetPageMode(static_cast<int>(map::PageMode::kVideo));
    RebuildMarks(pair, index);
    ShowPosition(pair, 0);
    MoveMapMarker();
}

void PanelViews::ShowPosition(PlayerPair& pair, std::int64_t frame) {
    PlayerLocks locks(pair);
    last_pair_ = &pair;
    const telemetry::TelemetryFile* reader = LoadedTelemetry(pair);
    if (!loaded_) {
        return;
    }
    const std::int64_t last =
        reader != nullptr ? static_cast<std::int64_t>(reader->frame_map().size()) - 1 : 0;
    frame = std::clamp<std::int64_t>(frame, 0, std::max<std::int64_t>(0, last));
    const telemetry::SensorSample* sample = nullptr;
    const telemetry::GpsSample* fix = nullptr;
    if (reader != nullptr) {
        if (const std::int32_t* sensor_index = At(reader->frame_map(), frame)) {
            sample = At(reader->sensors(), *sensor_index);
        }
        if (sample != nullptr) {
            fix = At(reader->gps(), sample->gps_link);
        }
    }
    info_.ShowPosition(frame, sample, fix);
    graph_.SetCurrentFrame(frame);
    bridge_.SetCurrentFrame(static_cast<std::int32_t>(frame));

    MapContentMarks& marks = map_content_.marks();
    last_has_fix_ = fix != nullptr && fix->valid != 0 && !reader->gps().empty();
    marks.map_has_position = last_has_fix_;
    if (fix != nullptr) {
        marks.no_position = fix->latitude > 360.0 || fix->longitude > 360.0;
    }
    if (fix != nullptr && fix->valid != 0 && !parking_) {
        map::MapValues values = bridge_.map_values();
        values.map_lat = fix->latitude;
        values.map_lng = fix->longitude;
        values.pict_event = -1;
        bridge_.SetMapValues(values);
    }
    if (bridge_.JS2C_ConnectTest() != 0) {
        marks.map_started = true;
    }
    RunRuleLocked(pair);
}

void PanelViews::Reset() {
    {
        std::lock_guard lock(mark_lock_);
        marks_.clear();
        map_marks_.clear();
    }
    loaded_ = false;
    last_has_fix_ = false;
    info_.Reset();
    graph_.ClearTelemetry();
    bridge_.ClearTrack();
    map_content_.marks().map_has_position = false;
    map_content_.marks().map_started = false;
    if (last_pair_ != nullptr) {
        RunMapContentRule(*last_pair_);
    }
}

void PanelViews::RebuildMarks(PlayerPair& pair, int index) {
    std::lock_guard mark_lock(mark_lock_);
    recording_index_ = index;
    {
        PlayerLocks locks(pair);
        const telemetry::TelemetryFile* reader = LoadedTelemetry(pair);
        if (reader == nullptr) {
            marks_.clear();
            map_marks_.clear();
        } else {
            marks_ = graph::CollectAllMapMarks({reader->sensors(), reader->frame_map()},
                                               graph_.switches());
            map_marks_ = MapMarksOf(marks_, reader->sensors(), reader->gps());
        }
    }
    SendMarks(index);
}

void PanelViews::SendMarks(int index) {
    if (bridge_.page_ready() == 0) {
        return;
    }
    bridge_.LoadRecordingIntoMap(index, tab_ == 1, map_marks_, VisibleKinds(graph_.switches()));
}

std::optional<std::int64_t> PanelViews::MarkJumpTarget(std::int64_t shown_frame, bool forward,
                                                       std::int64_t duration) {
    std::lock_guard lock(mark_lock_);
    if (!loaded_) {
        return std::nullopt;
    }
    return forward ? graph::NextMarkFrame(marks_, graph_.switches(), shown_frame)
                   : graph::PreviousMarkFrame(marks_, graph_.switches(), shown_frame, duration);
}

void PanelViews::ShowStill(const catalogue::RecordingEntry& entry) {
    panels::InfoPanelFields& fields = info_.fields();
    fields.picture_mode = 1;
    fields.status = 'R';
    fields.start = catalogue::MovieDateTime(catalogue::FileNameOf(entry.primary_name()));
    fields.date_valid = 1;
    fields.gps_valid = entry.is_placed() ? 1 : 0;
    fields.speed = entry.speed;
    info_.Refresh();

    bridge_.SetPageMode(static_cast<int>(map::PageMode::kPicture));
    map::MapValues values = bridge_.map_values();
    values.map_lat = entry.latitude;
    values.map_lng = entry.longitude;
    values.pict_event = StillMarkKind(entry);
    bridge_.SetMapValues(values);

    MapContentMarks& marks = map_content_.marks();
    marks.no_position = !entry.is_placed();
    if (marks.no_position) {
        marks.map_started = false;
    } else if (bridge_.JS2C_ConnectTest() != 0) {
        marks.map_started = true;
    }
    if (last_pair_ != nullptr) {
        RunMapContentRule(*last_pair_);
    }
}

void PanelViews::MapStop() {
    bridge_.SetPlayStatus(2);
}

void PanelViews::MoveMapMarker() {
    bridge_.MoveMarker();
}

void PanelViews::SetVoltageTrace(bool on) {
    info_.fields().voltage_trace = on ? 1 : 0;
    info_.Refresh();
}

bool PanelViews::OnMessage(PlayerPair& pair, const PostedMessage& message) {
    graph::SeriesSwitches switches = graph_.switches();
    bool changed = false;
    switch (message.id) {
        case AppMessage::kSettingsSwitch:
            changed = graph::ApplyEventGroupSwitch(switches, message.wparam, message.lparam);
            break;
        case AppMessage::kInfoPanelAxisSwitch:
            changed = graph::ApplyAxisSwitch(switches, message.wparam, message.lparam);
            break;
        case AppMessage::kMapReady:
            // The page loads after the recording more often than not: it gets the marks now.
            if (loaded_) {
                RebuildMarks(pair, recording_index_);
            }
            return false;  // the window refreshes its buttons as well
        default:
            return false;
    }
    if (changed) {
        graph_.SetSwitches(switches);
        graph_.update();
        if (loaded_) {
            RebuildMarks(pair, recording_index_);
        }
    }
    return true;
}

bool PanelViews::ToggleMapDisplay(PlayerPair& pair) {
    MapContentMarks& marks = map_content_.marks();
    marks.map_display = !marks.map_display;
    bridge_.SetMapDisplay(marks.map_display);
    marks.map_has_position = last_has_fix_;
    RunMapContentRule(pair);
    return marks.map_display;
}

void PanelViews::SetTab(PlayerPair& pair, int tab) {
    tab_ = tab;
    map_content_.marks().no_position = true;
    map_content_.marks().map_started = false;
    RunMapContentRule(pair);
}

void PanelViews::SetFullWindow(PlayerPair& pair, bool full_window) {
    full_window_ = full_window;
    RunMapContentRule(pair);
}

void PanelViews::SetNoSource(PlayerPair& pair, bool no_source) {
    map_content_.marks().no_source = no_source;
    RunMapContentRule(pair);
}

void PanelViews::SetStartedUp(PlayerPair& pair) {
    map_content_.marks().started_up = true;
    RunMapContentRule(pair);
}

void PanelViews::RunMapContentRule(PlayerPair& pair) {
    PlayerLocks locks(pair);
    RunRuleLocked(pair);
}

void PanelViews::RunRuleLocked(PlayerPair& pair) {
    if (map_target_ == nullptr) {
        return;
    }
    MapContentInputs in;
    in.connected = bridge_.JS2C_ConnectTest() != 0;
    playback::PlayerContext& reference = pair.player(pair.ReferencePlayer());
    in.reference_initialised = reference.initialised != 0;
    const telemetry::TelemetryFile* reader = LoadedTelemetry(pair);
    in.gps_list_empty = reader == nullptr || reader->gps().empty();
    in.movie_selection_valid = loaded_ && tab_ == 0;
    in.parking = parking_;
    in.stills_tab = tab_ == 1;
    in.full_window = full_window_;
    map_content_.Run(in, *map_target_);
}

}  // namespace ardelle::app
