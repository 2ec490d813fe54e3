#include "playback/video_placement.h"

namespace ardelle::playback {
namespace {

// Truncates toward zero as the recorder's conversions do.
int Truncate(float value) {
    return static_cast<int>(value);
}

}  // namespace

std::optional<VideoRect> ZoomRectangle(const VideoRect& client, const ZoomSpec& zoom) {
    const int w = client.width();
    const int h = client.height();
    if (zoom.zoom_factor == 0.0f || w <= 0 || h <= 0) {
        return std::nullopt;
    }
    const float f = zoom.zoom_factor - 1.0f;
    const float fw = static_cast<float>(w);
    const float fh = static_cast<float>(h);
    const float x_share = static_cast<float>(zoom.zoom_x) / fw;
    const float y_share = static_cast<float>(zoom.zoom_y) / fh;
    VideoRect rect;
    rect.right = client.right + Truncate((1.0f - x_share) * fw * f);
    rect.left = client.left - Truncate(x_share * fw * f);
    if (rect.right < rect.left) {
        return std::nullopt;
    }
    rect.top = client.top - Truncate(y_share * fh * f);
    rect.bottom = client.bottom + Truncate(fh * f * (1.0f - y_share));
    rect.left += zoom.zoom_offset_x;
    rect.right += zoom.zoom_offset_x;
    rect.top += zoom.zoom_offset_y;
    rect.bottom += zoom.zoom_offset_y;
    return rect;
}

std::optional<VideoRect> AspectFit(const VideoRect& client, const VideoRect& zoomed,
                                   int video_width, int video_height) {
    if (video_width <= 0 || video_height <= 0 || client.height() <= 0) {
        return std::nullopt;
    }
    const double ratio = static_cast<double>(video_width) / video_height;
    const float client_ratio =
        static_cast<float>(client.width()) / static_cast<float>(client.height());
    int width = 0;
    int height = 0;
    if (client_ratio > ratio) {
        height = zoomed.bottom - zoomed.top;
        width = static_cast<int>(height * ratio);
    } else {
        width = zoomed.right - zoomed.left;
        height = static_cast<int>(width / ratio);
    }
    const int horizontal = zoomed.right + zoomed.left;
    const int vertical = zoomed.bottom + zoomed.top;
    return VideoRect{(horizontal - width) / 2, (vertical - height) / 2, (horizontal + width) / 2,
                     (vertical + height) / 2 + 1};
}

std::optional<VideoRect> PlaceVideo(const VideoRect& client, const ZoomSpec& zoom, DisplayMode mode,
                                    int video_width, int video_height) {
    const std::optional<VideoRect> zoomed = ZoomRectangle(client, zoom);
    if (!zoomed || mode == DisplayMode::kStretch) {
        return zoomed;
    }
    return AspectFit(client, *zoomed, video_width, video_height);
}

}  // namespace ardelle::playback
