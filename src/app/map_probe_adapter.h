#pragma once

#include <memory>
#include <string>

#include "map/map_bridge.h"
#include "net/inet_connection_async.h"

namespace ardelle::app {

// The map bridge's connectivity probe over the program's prober, which requests the tile
// server's root every second while the map display is on.
class MapProbeAdapter : public map::ConnectivityProbe {
  public:
    explicit MapProbeAdapter(net::CInetConnectionAsync& prober) : prober_(prober) {}

    bool Connected() const override { return prober_.IsConnected(); }
    bool Enabled() const override { return prober_.IsEnabled(); }
    void SetEnabled(bool enabled) override { prober_.SetEnabled(enabled); }
    void ProbeNow() override { prober_.ProbeNow(); }

  private:
    net::CInetConnectionAsync& prober_;
};

// The prober's options for a tile URL template: its server's root is what is requested.
net::CInetConnectionAsync::Options MapProbeOptions(const std::string& tile_url_template);

}  // namespace ardelle::app
