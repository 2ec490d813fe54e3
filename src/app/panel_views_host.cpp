#include "app/panel_views_host.h"

#include <QResizeEvent>

#include "app/viewer_controller.h"
#include "graph/gsensor_dlg.h"
#include "map/logo_panel.h"
#include "map/map_host_window.h"
#include "panels/info_dlg.h"
#include "skin/skin.h"

namespace ardelle::app {

using playback::PlayerTarget;

void MapArea::resizeEvent(QResizeEvent* event) {
    for (QWidget* child : {host_, logo_}) {
        if (child != nullptr) {
            child->setGeometry(QRect(QPoint(0, 0), event->size()));
        }
    }
    QWidget::resizeEvent(event);
}

PanelViewsHost::PanelViewsHost(const Slots& places, MessageSink& sink, playback::PlayerPair& pair)
    : pair_(pair) {
    const skin::Skin& theme = skin::Skin::Instance();
    const map::TileSource tiles = map::TileSourceFromAppSettings();
    prober_ = std::make_unique<net::CInetConnectionAsync>(MapProbeOptions(tiles.url_template));
    probe_ = std::make_unique<MapProbeAdapter>(*prober_);
    bridge_ = std::make_unique<map::CGoogleMapDlgWrap>(sink, *probe_);
    tracks_ =
        std::make_unique<map::PlayerTrackSource>(pair.player(0), pair.player(1), group_track_);
    bridge_->AttachTracks(tracks_.get());

    info_ = new panels::CInfoDlg();
    info_->setObjectName(QStringLiteral("info_dlg"));
    info_->SetMessageSink(&sink);
    info_->SetScale(theme.layout_scale(), theme.font_scale());
    info_->SetFonts(theme.Font(skin::FontRole::k13), theme.Font(skin::FontRole::k9));
    places.info_panel->SetContent(info_);

    graph_ = new graph::CGSensorDlg();
    graph_->setObjectName(QStringLiteral("gsensor_dlg"));
    graph_->SetMessageSink(&sink);
    graph_->SetScale(theme.layout_scale(), theme.font_scale());
    graph_->SetLabelFont(theme.Font(skin::FontRole::k9));
    places.graph->SetContent(graph_);

    auto* area = new MapArea(nullptr);
    area->setObjectName(QStringLiteral("map_area"));
    map_host_ = new map::MapHostWindow(*bridge_, tiles, area);
    map_host_->setObjectName(QStringLiteral("map_host_window"));
    map_host_->hide();
    logo_ = new map::CLogoDlg(area);
    logo_->setObjectName(QStringLiteral("logo_dlg"));
    area->SetChildren(map_host_, logo_);
    bridge_->AttachHost(map_host_);
    places.map_host->SetContent(area);

    views_ = std::make_unique<PanelViews>(*info_, *graph_, *bridge_);
    views_->SetMapContentTarget(this);
}

PanelViewsHost::~PanelViewsHost() {
    // The page and the prober go before the bridge they call.
    bridge_->AttachHost(nullptr);
    bridge_->AttachTracks(nullptr);
    delete map_host_;
    prober_.reset();
}

int PanelViewsHost::ShowMap(int show) {
    return bridge_->ShowMap(show);
}

bool PanelViewsHost::MapHostVisible() const {
    return map_host_ != nullptr && !map_host_->isHidden();
}

void PanelViewsHost::FocusMapHost() {
    map_host_->setFocus(Qt::OtherFocusReason);
}

bool PanelViewsHost::LogoVisible() const {
    return logo_ != nullptr && !logo_->isHidden();
}

void PanelViewsHost::RequestLogo(bool show) {
    logo_->SetShowRequest(show ? 1 : 0);
    logo_->PostShowRequest();
}

void PanelViewsHost::HideLogoNow() {
    logo_->SetShowRequest(0);
    logo_->hide();
}

int PanelViewsHost::LogoPictureChoice() const {
    return logo_->picture_choice();
}

void PanelViewsHost::SetLogoPictureChoice(int choice) {
    logo_->SetPictureChoice(choice);
}

}  // namespace ardelle::app
