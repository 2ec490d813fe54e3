#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/map_content_rule.h"
#include "app/map_probe_adapter.h"
#include "app/panel_slot.h"
#include "app/panel_views.h"
#include "map/map_bridge.h"
#include "map/player_track_source.h"

namespace ardelle::graph {
class CGSensorDlg;
}
namespace ardelle::panels {
class CInfoDlg;
}
namespace ardelle::map {
class CLogoDlg;
class MapHostWindow;
}  // namespace ardelle::map

namespace ardelle::app {

// The map window's content: the map host with the logo panel on the same place.
class MapArea : public QWidget {
  public:
    explicit MapArea(QWidget* parent) : QWidget(parent) {}
    void SetChildren(QWidget* host, QWidget* logo) {
        host_ = host;
        logo_ = logo;
    }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* host_ = nullptr;
    QWidget* logo_ = nullptr;
};

// The per-recording views of the main window, made and placed in their slots: the info
// panel, the acceleration graph, the map host with its bridge, prober and logo panel. It
// carries out the map content rule's decisions on the map window, and, until the full
// controller drives the views, follows the playing recording on the window's tick.
class PanelViewsHost : public MapContentTarget {
  public:
    struct Slots {
        PanelSlot* graph = nullptr;
        PanelSlot* info_panel = nullptr;
        PanelSlot* map_host = nullptr;
    };
    PanelViewsHost(const Slots& places, MessageSink& sink, playback::PlayerPair& pair);
    ~PanelViewsHost() override;

    PanelViews& views() { return *views_; }
    panels::CInfoDlg& info_panel() const { return *info_; }
    graph::CGSensorDlg& graph() const { return *graph_; }
    map::CGoogleMapDlgWrap& bridge() { return *bridge_; }
    map::MapHostWindow& map_host() const { return *map_host_; }
    map::CLogoDlg& logo() const { return *logo_; }

    // MapContentTarget
    int ShowMap(int show) override;
    bool MapHostVisible() const override;
    void FocusMapHost() override;
    bool LogoVisible() const override;
    void RequestLogo(bool show) override;
    void HideLogoNow() override;
    int LogoPictureChoice() const override;
    void SetLogoPictureChoice(int choice) override;

  private:
    playback::PlayerPair& pair_;
    std::unique_ptr<net::CInetConnectionAsync> prober_;
    std::unique_ptr<MapProbeAdapter> probe_;
    std::unique_ptr<map::CGoogleMapDlgWrap> bridge_;
    std::vector<telemetry::GpsSample> group_track_;
    std::unique_ptr<map::PlayerTrackSource> tracks_;
    // The widgets belong to their slots (Qt parents); the window outlives this object.
    panels::CInfoDlg* info_ = nullptr;
    graph::CGSensorDlg* graph_ = nullptr;
    map::MapHostWindow* map_host_ = nullptr;
    map::CLogoDlg* logo_ = nullptr;
    std::unique_ptr<PanelViews> views_;
};

}  // namespace ardelle::app
