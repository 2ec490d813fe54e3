#include "playback_baseline/bare_pipeline.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace ardelle::baseline {

constexpr GstClockTime kPrerollTimeout = 10 * GST_SECOND;

struct BarePipeline::Elements {
    GstElement* pipeline = nullptr;
    GstElement* sink = nullptr;
};

BarePipeline::BarePipeline(const std::string& path) : elements_(std::make_unique<Elements>()) {
    gst_init(nullptr, nullptr);
    gchar* location = g_strescape(path.c_str(), nullptr);
    const std::string description =
        std::string("filesrc location=\"") + location +
        "\" ! qtdemux name=demux demux.video_0 ! h264parse ! avdec_h264 ! videoconvert ! "
        "video/x-raw,format=BGRx ! appsink name=sink sync=true max-buffers=1";
    g_free(location);
    GError* error = nullptr;
    elements_->pipeline = gst_parse_launch(description.c_str(), &error);
    g_clear_error(&error);
    if (elements_->pipeline == nullptr) {
        return;
    }
    elements_->sink = gst_bin_get_by_name(GST_BIN(elements_->pipeline), "sink");
    gst_element_set_state(elements_->pipeline, GST_STATE_PAUSED);
    GstSample* first =
        gst_app_sink_try_pull_preroll(GST_APP_SINK(elements_->sink), kPrerollTimeout);
    ok_ = first != nullptr;
    if (first != nullptr) {
        gst_sample_unref(first);
    }
}

BarePipeline::~BarePipeline() {
    if (elements_->pipeline != nullptr) {
        gst_element_set_state(elements_->pipeline, GST_STATE_NULL);
        if (elements_->sink != nullptr) {
            gst_object_unref(elements_->sink);
        }
        gst_object_unref(elements_->pipeline);
    }
}

std::int64_t BarePipeline::SeekAndWait(std::int64_t time_ns) {
    if (!ok_) {
        return -1;
    }
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek_simple(elements_->pipeline, GST_FORMAT_TIME, flags, time_ns)) {
        return -1;
    }
    GstSample* sample =
        gst_app_sink_try_pull_preroll(GST_APP_SINK(elements_->sink), kPrerollTimeout);
    if (sample == nullptr) {
        return -1;
    }
    const GstClockTime pts = GST_BUFFER_PTS(gst_sample_get_buffer(sample));
    const GstSegment* segment = gst_sample_get_segment(sample);
    const guint64 position = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts);
    gst_sample_unref(sample);
    return static_cast<std::int64_t>(position);
}

}  // namespace ardelle::baseline
