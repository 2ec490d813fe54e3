#pragma once

#include <string>
#include <vector>

#include "base/messages.h"
#include "map/map_bridge.h"

namespace ardelle::map::testing {

// Keeps every posted notification.
class RecordingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override { messages.push_back(message); }
    std::vector<PostedMessage> messages;
};

// A prober whose answers the test sets.
class FakeProbe : public ConnectivityProbe {
  public:
    bool Connected() const override { return connected; }
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool on) override { enabled = on; }
    void ProbeNow() override { ++probes; }
    bool connected = true;
    bool enabled = true;
    int probes = 0;
};

// A page host that records what reaches the page.
class FakePageHost : public MapPageHost {
  public:
    bool PageCreated() const override { return created; }
    void ExecScript(const std::string& statement) override { statements.push_back(statement); }
    void PostWebMessage(const std::string& json_text) override { messages.push_back(json_text); }
    bool IsShown() const override { return visible; }
    void ShowHost() override { visible = true; }
    void HideHost() override { visible = false; }
    bool created = true;
    bool visible = false;
    std::vector<std::string> statements;
    std::vector<std::string> messages;
};

// The same straight track as group and recording track: `count` fixes heading north-east
// from (lat, lng) by the given steps, one every 3 frames.
class StraightTrack : public TrackSource {
  public:
    StraightTrack(int count, double lat, double lng, double lat_step, double lng_step) {
        for (int i = 0; i < count; ++i) {
            telemetry::GpsSample sample;
            sample.valid = 1;
            sample.latitude = lat + i * lat_step;
            sample.longitude = lng + i * lng_step;
            sample.time = i * 3;
            track.push_back(sample);
        }
    }
    bool CopyGroupTrack(std::vector<telemetry::GpsSample>& out) override {
        out = track;
        return true;
    }
    bool CopyRecordingTrack(std::vector<telemetry::GpsSample>& out) override {
        out = track;
        return true;
    }
    std::vector<telemetry::GpsSample> track;
};

}  // namespace ardelle::map::testing
