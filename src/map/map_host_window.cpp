#include "map/map_host_window.h"

#include <QDesktopServices>
#include <QResizeEvent>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "map/map_host_object.h"

namespace ardelle::map {

namespace {

// The page stays on its own document: links (the tile attribution) open in the user's
// browser, and nothing else may replace the map.
class MapPage : public QWebEnginePage {
  public:
    MapPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) override {
        if (!main_frame)
            return true;
        if (type == NavigationTypeLinkClicked &&
            (url.scheme() == "https" || url.scheme() == "http")) {
            QDesktopServices::openUrl(url);
            return false;
        }
        return url.scheme() == "qrc";
    }
};

QString MapUserAgent(const QString& engine_agent) {
    return QStringLiteral("Ardelle/%1 (desktop viewer of in-car recordings) %2")
        .arg(QStringLiteral(ARDELLE_VERSION), engine_agent);
}

}  // namespace

MapHostWindow::MapHostWindow(CGoogleMapDlgWrap& bridge, TileSource tiles, QWidget* parent)
    : QWidget(parent), bridge_(bridge), tiles_(std::move(tiles)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    bridge_.SetMapUrl(kMapLibraryUrl);
}

MapHostWindow::~MapHostWindow() {
    if (view_ == nullptr)
        return;
    // The page must not call into the bridge while it goes away, and goes before its profile.
    host_object_->DetachBridge();
    channel_->deregisterObject(host_object_);
    view_->page()->setWebChannel(nullptr);
    delete view_;
    view_ = nullptr;
    delete profile_;
}

void MapHostWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (view_ == nullptr)
        CreateWebView();
}

void MapHostWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (view_ != nullptr)
        view_->setZoomFactor(kPageZoomFactor);
}

void MapHostWindow::CreateWebView() {
    // A profile of its own, kept in memory: tiles are cached for the run, nothing is
    // written to the user's folders, and the tile servers learn who asks.
    profile_ = new QWebEngineProfile();
    profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile_->setHttpUserAgent(MapUserAgent(profile_->httpUserAgent()));

    view_ = new QWebEngineView();
    auto* page = new MapPage(profile_, view_);
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    view_->setPage(page);

    host_object_ = new MapHostObject(&bridge_, tiles_, view_);
    channel_ = new QWebChannel(view_);
    channel_->registerObject(QStringLiteral("sample"), host_object_);
    page->setWebChannel(channel_);

    layout()->addWidget(view_);
    view_->setZoomFactor(kPageZoomFactor);
    view_->load(QUrl(QString::fromLatin1(kPageUrl)));
    view_->setFocus(Qt::OtherFocusReason);
    emit pageCreated();
}

void MapHostWindow::ExecScript(const std::string& statement) {
    if (view_ == nullptr)
        return;
    view_->page()->runJavaScript(QString::fromStdString(statement));
}

void MapHostWindow::PostWebMessage(const std::string& json_text) {
    if (host_object_ != nullptr)
        host_object_->PostWebMessage(json_text, bridge_.current_frame());
}

}  // namespace ardelle::map
