#include "app/map_probe_adapter.h"

#include "map/map_protocol.h"

namespace ardelle::app {

net::CInetConnectionAsync::Options MapProbeOptions(const std::string& tile_url_template) {
    net::CInetConnectionAsync::Options options;
    const std::string root = map::TileServerRoot(tile_url_template);
    options.probe_url = root.empty() ? QUrl() : QUrl(QString::fromStdString(root));
    return options;
}

}  // namespace ardelle::app
