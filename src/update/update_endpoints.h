#pragma once

#include <QUrl>
#include <string>
#include <vector>

#include "base/settings.h"

namespace ardelle::update {

// The settings section that names the addresses of the check (see EndpointsFromSettings).
inline constexpr const char* kUpdateSection = "UPDATE";
inline constexpr int kModelRows = 3;

// One recorder model the check knows.
struct ModelEndpoint {
    std::string model_code;  // compared with the card's exactly
    QUrl firmware_text;      // the version text, with "VER:"
    QUrl firmware_page;
};

// Where the check finds the version texts and the pages it links to. An item whose text or
// page is missing is not checked.
struct UpdateEndpoints {
    std::vector<ModelEndpoint> models;
    QUrl viewer_text;
    QUrl viewer_page;
    QUrl gps_text;  // the GPS data's version text, without a marker
    QUrl gps_page;

    bool HasViewer() const;
    bool HasGpsData() const;
    bool IsEmpty() const { return models.empty() && !HasViewer() && !HasGpsData(); }
    const ModelEndpoint* FindModel(const std::string& model_code) const;
};

// [UPDATE] MODEL1_CODE, MODEL1_VERSION_URL, MODEL1_PAGE_URL (rows 1 to 3), VIEWER_VERSION_URL,
// VIEWER_PAGE_URL, GPS_VERSION_URL, GPS_PAGE_URL. Only http and https addresses are taken;
// a model row counts when its code and both addresses are usable.
UpdateEndpoints EndpointsFromSettings(const base::SettingsFile& settings);

}  // namespace ardelle::update
