#include "app/surface_rules.h"

#include <cmath>

#include "base/screen_scale.h"

namespace ardelle::app {
namespace {
constexpr int kTextNoFrontVideo = 170;
constexpr int kTextNoRearVideo = 171;

int U(double units, double scale) {
    return base::ScaledLength(units, scale);
}
}  // namespace

SurfacePaint VideoSurfacePaint(int surface_index, bool front_has_file, bool rear_has_file) {
    const bool own = surface_index == 0 ? front_has_file : rear_has_file;
    if (own) {
        return SurfacePaint::kPicture;
    }
    if (surface_index == 1 && front_has_file) {
        return SurfacePaint::kNoRearText;
    }
    if (surface_index == 0 && rear_has_file) {
        return SurfacePaint::kNoFrontText;
    }
    return SurfacePaint::kBlack;
}

int SurfacePaintText(SurfacePaint paint) {
    switch (paint) {
        case SurfacePaint::kNoFrontText:
            return kTextNoFrontVideo;
        case SurfacePaint::kNoRearText:
            return kTextNoRearVideo;
        default:
            return 0;
    }
}

QPoint ZoomResetCentre(int surface_index, double s) {
    if (surface_index == 1) {
        const int m = U(440, s) - 2 * U(-6, s);
        return {m / 2, m * 9 / 32};
    }
    const int w = 4 * U(-6, s) - U(440, s) - U(-1120, s);
    const int h = U(4, s) - (U(440, s) + U(-1120, s) + 2 * U(2, s) - 4 * U(-6, s)) * 9 / 16;
    return {w / 2, h / 2};
}

void ResetZoom(SurfaceZoom& zoom, int surface_index, double scale) {
    const QPoint centre = ZoomResetCentre(surface_index, scale);
    zoom.zoom_x = centre.x();
    zoom.zoom_y = centre.y();
    zoom.zoom_offset_x = 0;
    zoom.zoom_offset_y = 0;
    zoom.level = 1.0f;
    zoom.previous_level = 1.0f;
}

bool ZoomClick(SurfaceZoom& zoom, bool zoom_mode, const QPoint& click, const QRect& client,
               const playback::VideoRect& picture, int surface_index, double scale) {
    if (!zoom_mode) {
        return false;
    }
    zoom.click = click;
    if (zoom.level + 1.0f < 1.0f) {
        return false;
    }
    zoom.previous_level = zoom.level;
    zoom.client_rect = client;
    if (client.width() == 0) {
        return false;
    }
    const float g = zoom.previous_level;
    const float x = static_cast<float>(click.x());
    const float y = static_cast<float>(click.y());
    const int client_right = client.left() + client.width();
    zoom.zoom_x =
        client_right + click.x() -
        static_cast<int>(std::trunc((x * (g - 1.0f) + static_cast<float>(picture.right)) / g));
    zoom.zoom_y =
        client.top() + click.y() -
        static_cast<int>(std::trunc((y * (g - 1.0f) + static_cast<float>(picture.top)) / g));
    zoom.zoom_offset_x = click.x() - zoom.zoom_x;
    zoom.zoom_offset_y = click.y() - zoom.zoom_y;
    zoom.level += 1.0f;
    if (zoom.level > 3.0f) {
        ResetZoom(zoom, surface_index, scale);
    }
    return true;
}

playback::ZoomSpec ToZoomSpec(const SurfaceZoom& zoom) {
    return {zoom.zoom_x, zoom.zoom_y, zoom.zoom_offset_x, zoom.zoom_offset_y, zoom.level};
}

}  // namespace ardelle::app
