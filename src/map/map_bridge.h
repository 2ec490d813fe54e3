#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/messages.h"
#include "map/map_protocol.h"
#include "telemetry/samples.h"

namespace ardelle::map {

// What the bridge needs of the connectivity prober: the result of the last probe, the map
// display switch and a probe run at once. Connected() may be read from any thread.
class ConnectivityProbe {
  public:
    virtual ~ConnectivityProbe() = default;
    virtual bool Connected() const = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void ProbeNow() = 0;
};

// What the bridge needs of the window that hosts the page.
class MapPageHost {
  public:
    virtual ~MapPageHost() = default;
    // True once the web engine and its page exist; statements and messages wait for it.
    virtual bool PageCreated() const = 0;
    virtual void ExecScript(const std::string& statement) = 0;
    virtual void PostWebMessage(const std::string& json_text) = 0;
    virtual bool IsShown() const = 0;
    virtual void ShowHost() = 0;
    virtual void HideHost() = 0;
};

// Where the bridge copies the tracks from. The controller implements it over the players
// (PlayerTrackSource); the copies are taken under the players' locks.
class TrackSource {
  public:
    virtual ~TrackSource() = default;
    // The track of every recording of the current group; false when there is none.
    virtual bool CopyGroupTrack(std::vector<telemetry::GpsSample>& track) = 0;
    // The GPS list of the recording whose telemetry is loaded; false when there is none.
    virtual bool CopyRecordingTrack(std::vector<telemetry::GpsSample>& track) = 0;
};

// The program's side of the map page: answers the page's calls, sends it statements and
// the web message of the current values, and tells the main window when the page is ready
// and when a mark was clicked. Lives on the UI thread; only the prober runs elsewhere.
class CGoogleMapDlgWrap {
  public:
    CGoogleMapDlgWrap(MessageSink& owner, ConnectivityProbe& probe);

    void AttachHost(MapPageHost* host) { host_ = host; }
    void AttachTracks(TrackSource* tracks) { tracks_ = tracks; }

    // --- calls from the page
    int JS2C_ConnectTest();
    void JS2C_OnInitHtml();
    TrackPayload JS2C_GetGPSData();
    TrackPayload JS2C_GetGridData();
    std::string JS2C_GetRelJpgNum() const;
    void JS2C_OnClickCrashPoint(std::int32_t ipos);
    std::string JS2C_GetMapURL() const { return map_url_; }
    void JS2C_SetSend();

    // --- calls from the main window
    // The frame of the playing position, sent with every position change.
    void SetCurrentFrame(std::int32_t frame) { current_frame_ = frame; }
    std::int32_t current_frame() const { return current_frame_; }
    // Writes the values the page shows and pushes them to it at once, so that the marker
    // follows the tick instead of the page's one-second poll. A position off the earth
    // (a corrupt block) keeps the last placeable one.
    void SetMapValues(const MapValues& values);
    const MapValues& map_values() const { return values_; }
    void SetPageMode(int mode) { page_mode_ = mode; }
    int page_mode() const { return page_mode_; }

    // 0 playing, 1 paused, 2 stopped (which also refreshes the marker).
    void SetPlayStatus(int status);
    int ShowMap(int show);
    bool DrawTrack(int recording_index);
    bool ClearTrack();
    void MoveMarker() { ExecScript(std::string(kMoveMarkerStatement)); }
    // Puts recording n with its marks on the map; false when the page was not ready or
    // the walk over the marks stopped early.
    bool LoadRecordingIntoMap(int recording_index, bool picture_mode,
                              const std::vector<MapMark>& marks, std::uint32_t visible_kinds);

    // The map display switch: forwarded to the prober, which probes at once.
    void SetMapDisplay(bool on);

    int page_ready() const { return page_ready_; }
    int shown() const { return shown_; }
    void SetMapUrl(std::string url) { map_url_ = std::move(url); }

  private:
    void ExecScript(const std::string& statement);

    MessageSink& owner_;
    ConnectivityProbe& probe_;
    MapPageHost* host_ = nullptr;
    TrackSource* tracks_ = nullptr;
    int page_ready_ = 0;
    int shown_ = 0;
    std::int32_t current_frame_ = 0;
    MapValues values_;
    int page_mode_ = 0;
    std::string map_url_;
};

}  // namespace ardelle::map
