#include "map/map_bridge.h"

#include <array>
#include <charconv>

namespace ardelle::map {

CGoogleMapDlgWrap::CGoogleMapDlgWrap(MessageSink& owner, ConnectivityProbe& probe)
    : owner_(owner), probe_(probe) {}

int CGoogleMapDlgWrap::JS2C_ConnectTest() {
    if (!probe_.Enabled()) {
        page_ready_ = 0;
        return 0;
    }
    const int connected = probe_.Connected() ? 1 : 0;
    if (connected == 0)
        page_ready_ = 0;
    return connected;
}

void CGoogleMapDlgWrap::JS2C_OnInitHtml() {
    page_ready_ = 1;
    owner_.Post(PostedMessage{AppMessage::kMapReady, 0, 0});
}

TrackPayload CGoogleMapDlgWrap::JS2C_GetGPSData() {
    std::vector<telemetry::GpsSample> track;
    if (tracks_ == nullptr || !tracks_->CopyGroupTrack(track))
        return {};
    return BuildTrackPayload(track);
}

TrackPayload CGoogleMapDlgWrap::JS2C_GetGridData() {
    std::vector<telemetry::GpsSample> track;
    if (tracks_ == nullptr || !tracks_->CopyRecordingTrack(track))
        return {};
    return BuildTrackPayload(track);
}

std::string CGoogleMapDlgWrap::JS2C_GetRelJpgNum() const {
    std::array<char, 16> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), current_frame_);
    (void)error;
    return std::string(buffer.data(), end);
}

void CGoogleMapDlgWrap::JS2C_OnClickCrashPoint(std::int32_t ipos) {
    owner_.Post(PostedMessage{AppMessage::kMapPointChosen, 0, ipos});
}

void CGoogleMapDlgWrap::JS2C_SetSend() {
    if (host_ == nullptr || !host_->PageCreated())
        return;
    host_->PostWebMessage(BuildWebMessage(values_, page_mode_));
}

void CGoogleMapDlgWrap::SetMapValues(const MapValues& values) {
    const MapValues previous = values_;
    values_ = values;
    if (!IsPlaceableCoordinate(values.map_lat, values.map_lng)) {
        values_.map_lat = previous.map_lat;
        values_.map_lng = previous.map_lng;
    }
    JS2C_SetSend();
}

void CGoogleMapDlgWrap::SetPlayStatus(int status) {
    values_.map_status = status == 1 ? "pause" : status == 2 ? "stop" : "";
    if (status == 2)
        MoveMarker();
    JS2C_SetSend();
}

int CGoogleMapDlgWrap::ShowMap(int show) {
    if (host_ == nullptr)
        return 0;
    if (show != 0) {
        if (shown_ != 0 || host_->IsShown())
            return 0;
        host_->ShowHost();
        shown_ = show;
        return 1;
    }
    if (shown_ == 0 || !host_->IsShown())
        return 0;
    host_->HideHost();
    shown_ = 0;
    return 1;
}

bool CGoogleMapDlgWrap::DrawTrack(int recording_index) {
    if (page_ready_ != 1)
        return false;
    for (const std::string& statement : DrawTrackStatements(recording_index))
        ExecScript(statement);
    return true;
}

bool CGoogleMapDlgWrap::ClearTrack() {
    if (page_ready_ != 1)
        return false;
    for (const std::string& statement : ClearTrackStatements())
        ExecScript(statement);
    return true;
}

bool CGoogleMapDlgWrap::LoadRecordingIntoMap(int recording_index, bool picture_mode,
                                             const std::vector<MapMark>& marks,
                                             std::uint32_t visible_kinds) {
    if (page_ready_ == 0)
        return false;
    ClearTrack();
    if (picture_mode)
        return true;
    DrawTrack(recording_index);
    const MarkStatementList marks_to_send = MarkStatements(marks, recording_index, visible_kinds);
    for (const std::string& statement : marks_to_send.statements)
        ExecScript(statement);
    return marks_to_send.complete;
}

void CGoogleMapDlgWrap::SetMapDisplay(bool on) {
    probe_.SetEnabled(on);
    probe_.ProbeNow();
}

void CGoogleMapDlgWrap::ExecScript(const std::string& statement) {
    if (host_ == nullptr || !host_->PageCreated())
        return;
    host_->ExecScript(statement);
}

}  // namespace ardelle::map
