#pragma once

#include <QWidget>
#include <memory>

#include "map/map_bridge.h"
#include "map/map_protocol.h"

class QWebChannel;
class QWebEngineProfile;
class QWebEngineView;

namespace ardelle::map {

class MapHostObject;

// The widget that hosts the map page in a web engine. The engine is made when the widget
// is first shown, so that start-up does not pay for it; until then statements and web
// messages for the page are dropped, as the page would drop them anyway.
class MapHostWindow : public QWidget, public MapPageHost {
    Q_OBJECT

  public:
    static constexpr double kPageZoomFactor = 0.65;
    static constexpr const char* kPageUrl = "qrc:/map/map.html";
    static constexpr const char* kMapLibraryUrl = "qrc:/map/leaflet/leaflet.js";

    MapHostWindow(CGoogleMapDlgWrap& bridge, TileSource tiles, QWidget* parent = nullptr);
    ~MapHostWindow() override;

    // MapPageHost
    bool PageCreated() const override { return view_ != nullptr; }
    void ExecScript(const std::string& statement) override;
    void PostWebMessage(const std::string& json_text) override;
    bool IsShown() const override { return isVisible(); }
    void ShowHost() override { show(); }
    void HideHost() override { hide(); }

    QWebEngineView* view() const { return view_; }

  signals:
    // The engine and its page exist (emitted once, after the first show).
    void pageCreated();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CreateWebView();

    CGoogleMapDlgWrap& bridge_;
    TileSource tiles_;
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* view_ = nullptr;
    QWebChannel* channel_ = nullptr;
    MapHostObject* host_object_ = nullptr;
};

}  // namespace ardelle::map
