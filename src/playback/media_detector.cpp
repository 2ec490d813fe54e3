#include "playback/media_detector.h"

#include <gst/pbutils/pbutils.h>

#include "playback/gst_support.h"

namespace ardelle::playback {
namespace {

constexpr GstClockTime kDiscoverTimeout = 5 * GST_SECOND;

std::optional<double> FrameRateOf(GstDiscovererInfo* info) {
    GList* streams = gst_discoverer_info_get_video_streams(info);
    std::optional<double> rate;
    for (GList* item = streams; item != nullptr && !rate; item = item->next) {
        auto* video = static_cast<GstDiscovererVideoInfo*>(item->data);
        const guint numerator = gst_discoverer_video_info_get_framerate_num(video);
        const guint denominator = gst_discoverer_video_info_get_framerate_denom(video);
        if (numerator > 0 && denominator > 0) {
            rate = static_cast<double>(numerator) / denominator;
        }
    }
    gst_discoverer_stream_info_list_free(streams);
    return rate;
}

}  // namespace

std::optional<DetectedVideo> DetectVideoStream(const std::string& path) {
    const std::string uri = gst::FileUri(path);
    if (!gst::EnsureInitialised() || uri.empty()) {
        return std::nullopt;
    }
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(kDiscoverTimeout, &error);
    g_clear_error(&error);
    if (discoverer == nullptr) {
        return std::nullopt;
    }
    GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri.c_str(), &error);
    g_clear_error(&error);
    std::optional<DetectedVideo> detected;
    if (info != nullptr && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        if (const std::optional<double> rate = FrameRateOf(info)) {
            const GstClockTime duration = gst_discoverer_info_get_duration(info);
            detected = DetectedVideo{*rate, GST_CLOCK_TIME_IS_VALID(duration)
                                                ? gst::NsToMediaTime(static_cast<gint64>(duration))
                                                : 0};
        }
    }
    if (info != nullptr) {
        (g_object_unref)(info);
    }
    (g_object_unref)(discoverer);  // the function, not glib's casting macro
    return detected;
}

}  // namespace ardelle::playback
