// The map's connectivity probe over the program's prober: the tile server's root is what is
// requested, and the map display switch enables the probes.
#include "app/map_probe_adapter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "graph/offscreen_qt.h"
#include "support/local_http_server.h"

namespace ardelle::app {
namespace {

using namespace std::chrono_literals;
using ardelle::testing::LocalHttpServer;
using ardelle::testing::ServedAnswer;

bool WaitUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(MapProbeOptions, TheProbeRequestsTheTileServersRoot) {
    struct Case {
        const char* tiles;
        const char* probe;
    };
    const Case cases[] = {
        {"https://tile.openstreetmap.org/{z}/{x}/{y}.png", "https://tile.openstreetmap.org/"},
        {"http://127.0.0.1:8080/tiles/{z}/{x}/{y}.png", "http://127.0.0.1:8080/"},
        {"https://{s}.tiles.example/{z}/{x}/{y}.png", "https://a.tiles.example/"},
        {"https://{z}.tiles.example/{x}/{y}.png", ""},  // no host to ask
        {"", ""},
    };
    for (const Case& c : cases) {
        const auto options = MapProbeOptions(c.tiles);
        EXPECT_EQ(options.probe_url.toString().toStdString(), c.probe) << c.tiles;
    }
}

TEST(MapProbeAdapter, TheMapSwitchEnablesProbesOfTheLocalTileServer) {
    ardelle::testing::OffscreenApp();
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    server.Serve("/", ServedAnswer::Text("tiles"));
    auto options = MapProbeOptions(server.Url("/tiles/{z}/{x}/{y}.png"));
    options.period = 200ms;
    options.proxy = {};
    net::CInetConnectionAsync prober(options);
    MapProbeAdapter probe(prober);
    EXPECT_FALSE(probe.Enabled());
    EXPECT_FALSE(probe.Connected());
    probe.SetEnabled(true);
    probe.ProbeNow();
    ASSERT_TRUE(WaitUntil([&] { return probe.Connected(); }));
    EXPECT_GE(server.RequestCount("/"), 1);
    probe.SetEnabled(false);
    EXPECT_FALSE(probe.Connected()) << "switching the map off reports no connection at once";
    server.Stop();
}

}  // namespace
}  // namespace ardelle::app
