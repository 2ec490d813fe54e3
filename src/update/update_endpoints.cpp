#include "update/update_endpoints.h"

#include "net/bounded_request.h"

namespace ardelle::update {
namespace {

QUrl AddressSetting(const base::SettingsFile& settings, const std::string& key) {
    const QUrl url(QString::fromStdString(settings.Read(kUpdateSection, key)), QUrl::StrictMode);
    return net::IsWebAddress(url) ? url : QUrl();
}

}  // namespace

bool UpdateEndpoints::HasViewer() const {
    return net::IsWebAddress(viewer_text) && net::IsWebAddress(viewer_page);
}

bool UpdateEndpoints::HasGpsData() const {
    return net::IsWebAddress(gps_text) && net::IsWebAddress(gps_page);
}

const ModelEndpoint* UpdateEndpoints::FindModel(const std::string& model_code) const {
    for (const ModelEndpoint& model : models) {
        if (model.model_code == model_code) {
            return &model;
        }
    }
    return nullptr;
}

UpdateEndpoints EndpointsFromSettings(const base::SettingsFile& settings) {
    UpdateEndpoints endpoints;
    for (int row = 1; row <= kModelRows; ++row) {
        const std::string prefix = "MODEL" + std::to_string(row) + "_";
        ModelEndpoint model{settings.Read(kUpdateSection, prefix + "CODE"),
                            AddressSetting(settings, prefix + "VERSION_URL"),
                            AddressSetting(settings, prefix + "PAGE_URL")};
        if (!model.model_code.empty() && !model.firmware_text.isEmpty() &&
            !model.firmware_page.isEmpty()) {
            endpoints.models.push_back(std::move(model));
        }
    }
    endpoints.viewer_text = AddressSetting(settings, "VIEWER_VERSION_URL");
    endpoints.viewer_page = AddressSetting(settings, "VIEWER_PAGE_URL");
    endpoints.gps_text = AddressSetting(settings, "GPS_VERSION_URL");
    endpoints.gps_page = AddressSetting(settings, "GPS_PAGE_URL");
    return endpoints;
}

}  // namespace ardelle::update
