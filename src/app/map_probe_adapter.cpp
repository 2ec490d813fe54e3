#include "app/map_probe_adapter.h"

#include "map/map_protocol.h"

namespace ardelle::app {

net::CInetConnectionAsync::Options MapProbeOptions(const std::string& tile_url_template) {
    net::CInetConnectionAsync::Options options;
    std::string root = map::TileServerRoot(tile_url_template);
    // A template spread over subdomains ("{s}.host") is probed on its first one.
    if (const std::size_t at = root.find("{s}"); at != std::string::npos) {
        root.replace(at, 3, "a");
    }
    const QUrl url(QString::fromStdString(root), QUrl::StrictMode);
    options.probe_url = root.empty() || !url.isValid() ? QUrl() : url;
    return options;
}

}  // namespace ardelle::app
