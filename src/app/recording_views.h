#pragma once

#include <cstdint>
#include <optional>

#include "catalogue/recording_entry.h"
#include "playback/player_pair.h"

namespace ardelle::app {

// The views beside the videos (info panel, acceleration graph, map) as the main window's
// controller drives them: the controller decides when, the views know how. The window
// implements it over its panels; tests use a recording fake. Every call runs on the UI
// thread; the views take the mark lock and the players' telemetry locks themselves.
class RecordingViews {
  public:
    virtual ~RecordingViews() = default;
    // The pair has loaded the telemetry of entry (list index index): start the views
    // (quality code, start time, frame rate and time-lapse flag, graph traces and event
    // marks, the map's track and marks).
    virtual void StartRecording(playback::PlayerPair& pair, const catalogue::RecordingEntry& entry,
                                int index) = 0;
    // Shows frame (front frames) of the loaded recording: info panel values, the map's
    // position, the graph cursor.
    virtual void ShowPosition(playback::PlayerPair& pair, std::int64_t frame) = 0;
    // The selection changed or the recording was closed: values, graph and map cleared.
    virtual void Reset() = 0;
    // The event marks again after a display switch or filter change.
    virtual void RebuildMarks(playback::PlayerPair& pair, int index) = 0;
    // The frame of the next (forward) or previous event mark shown from shown_frame,
    // wrapping at both ends; nothing when no shown mark exists.
    virtual std::optional<std::int64_t> MarkJumpTarget(std::int64_t shown_frame, bool forward,
                                                       std::int64_t duration) = 0;
    // A still of the stills tab was selected: its position to the map and the info panel.
    virtual void ShowStill(const catalogue::RecordingEntry& entry) = 0;
    // The map's status script: playback stopped / the marker follows the shown position.
    virtual void MapStop() = 0;
    virtual void MoveMapMarker() = 0;
    // The info panel's voltage-trace flag (a card with a voltage trace file).
    virtual void SetVoltageTrace(bool on) = 0;
};

}  // namespace ardelle::app
