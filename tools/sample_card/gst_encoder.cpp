#include "sample_card/gst_encoder.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "sample_card/frame_painter.h"

namespace ardelle::samplecard {
namespace {

constexpr int kAudioRate = 48000;
constexpr int kAudioChunk = 1024;  // one AAC frame
constexpr guint64 kQueueLimitBytes = 8u << 20;

struct PipelineDeleter {
    void operator()(GstElement* pipeline) const {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
using Pipeline = std::unique_ptr<GstElement, PipelineDeleter>;

Pipeline Launch(const std::string& description) {
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (error != nullptr) {
        const std::string message = error->message;
        g_error_free(error);
        if (pipeline != nullptr) {
            gst_object_unref(pipeline);
        }
        throw std::runtime_error("cannot build the GStreamer pipeline: " + message);
    }
    return Pipeline(pipeline);
}

GstElement* Child(GstElement* pipeline, const char* name) {
    GstElement* element = gst_bin_get_by_name(GST_BIN(pipeline), name);
    if (element == nullptr) {
        throw std::runtime_error(std::string("pipeline element missing: ") + name);
    }
    gst_object_unref(element);  // the pipeline keeps its own reference
    return element;
}

// Throws on an error message; with wait_for_eos, blocks until end of stream.
void CheckBus(GstElement* pipeline, bool wait_for_eos) {
    GstBus* bus = gst_element_get_bus(pipeline);
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, wait_for_eos ? GST_CLOCK_TIME_NONE : 0, types);
    gst_object_unref(bus);
    if (message == nullptr) {
        return;
    }
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        const std::string text = error != nullptr ? error->message : "unknown error";
        g_clear_error(&error);
        gst_message_unref(message);
        throw std::runtime_error("GStreamer: " + text);
    }
    gst_message_unref(message);
}

void Start(GstElement* pipeline) {
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        CheckBus(pipeline, false);
        throw std::runtime_error("GStreamer pipeline does not start");
    }
}

// Waits while the source holds more than the limit, so memory stays bounded.
void Throttle(GstElement* pipeline, GstAppSrc* source) {
    while (gst_app_src_get_current_level_bytes(source) > kQueueLimitBytes) {
        CheckBus(pipeline, false);
        g_usleep(1000);
    }
}

void Push(GstAppSrc* source, GstBuffer* buffer) {
    if (gst_app_src_push_buffer(source, buffer) != GST_FLOW_OK) {
        throw std::runtime_error("GStreamer refused a buffer");
    }
}

GstBuffer* PaintedBuffer(const GstVideoInfo& info, const FrameLabel& label) {
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    I420Planes planes;
    planes.width = GST_VIDEO_INFO_WIDTH(&info);
    planes.height = GST_VIDEO_INFO_HEIGHT(&info);
    planes.y = map.data + GST_VIDEO_INFO_PLANE_OFFSET(&info, 0);
    planes.u = map.data + GST_VIDEO_INFO_PLANE_OFFSET(&info, 1);
    planes.v = map.data + GST_VIDEO_INFO_PLANE_OFFSET(&info, 2);
    planes.y_stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    planes.u_stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 1);
    planes.v_stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 2);
    PaintFrame(planes, label);
    gst_buffer_unmap(buffer, &map);
    return buffer;
}

// A quiet 440 Hz tone, the same for every run.
GstBuffer* ToneBuffer(int64_t first_sample, int samples) {
    const auto bytes = static_cast<gsize>(samples) * 2;
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(first_sample + i) / kAudioRate;
        const auto value = static_cast<int16_t>(std::lround(6000 * std::sin(2 * M_PI * 440 * t)));
        const auto raw = static_cast<uint16_t>(value);
        map.data[2 * i] = static_cast<uint8_t>(raw & 0xFF);
        map.data[2 * i + 1] = static_cast<uint8_t>(raw >> 8);
    }
    gst_buffer_unmap(buffer, &map);
    const auto at = static_cast<guint64>(first_sample);
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(at, GST_SECOND, kAudioRate);
    GST_BUFFER_DURATION(buffer) =
        gst_util_uint64_scale(at + static_cast<guint64>(samples), GST_SECOND, kAudioRate) -
        GST_BUFFER_PTS(buffer);
    return buffer;
}

std::string ClipPipeline(const ClipSettings& clip) {
    const std::string fps = std::to_string(clip.fps);
    std::string description =
        "appsrc name=video format=time caps=video/x-raw,format=I420,width=" +
        std::to_string(clip.width) + ",height=" + std::to_string(clip.height) +
        ",framerate=" + fps +
        "/1,pixel-aspect-ratio=1/1 ! videoconvert ! x264enc bframes=0 key-int-max=" + fps +
        " option-string=scenecut=0 threads=1 sliced-threads=false speed-preset=veryfast"
        " pass=qual quantizer=23 ! video/x-h264,profile=high ! h264parse"
        " ! mp4mux name=mux ! filesink name=sink";
    if (clip.audio) {
        description +=
            " appsrc name=audio format=time caps=audio/x-raw,format=S16LE,layout=interleaved,"
            "rate=48000,channels=1 ! audioconvert ! avenc_aac bitrate=96000 ! aacparse ! mux.";
    }
    return description;
}

int64_t AudioSamples(double seconds) {
    // Whole AAC frames that fit in the clip, so the sound never outlasts the picture.
    const auto frames = static_cast<int64_t>(seconds * kAudioRate / kAudioChunk);
    return std::max<int64_t>(0, frames - 1) * kAudioChunk;
}

}  // namespace

void InitGStreamer() {
    gst_init(nullptr, nullptr);
}

void EncodeClip(const ClipSettings& clip, const std::string& path) {
    Pipeline pipeline = Launch(ClipPipeline(clip));
    g_object_set(Child(pipeline.get(), "sink"), "location", path.c_str(), nullptr);
    auto* video = GST_APP_SRC(Child(pipeline.get(), "video"));
    GstAppSrc* audio = clip.audio ? GST_APP_SRC(Child(pipeline.get(), "audio")) : nullptr;
    GstVideoInfo info;
    gst_video_info_set_format(&info, GST_VIDEO_FORMAT_I420, static_cast<guint>(clip.width),
                              static_cast<guint>(clip.height));
    Start(pipeline.get());
    const int64_t audio_total = clip.audio ? AudioSamples(clip.seconds) : 0;
    int64_t audio_done = 0;
    for (int i = 0; i < clip.frames; ++i) {
        const FrameLabel label{clip.camera, i, AddSeconds(clip.start, i / clip.fps)};
        GstBuffer* frame = PaintedBuffer(info, label);
        const auto index = static_cast<guint64>(i);
        const auto rate = static_cast<guint64>(clip.fps);
        GST_BUFFER_PTS(frame) = gst_util_uint64_scale(index, GST_SECOND, rate);
        GST_BUFFER_DURATION(frame) =
            gst_util_uint64_scale(index + 1, GST_SECOND, rate) - GST_BUFFER_PTS(frame);
        Push(video, frame);
        const int64_t audio_until =
            std::min<int64_t>(audio_total, (i + 1) * int64_t{kAudioRate} / clip.fps);
        while (audio != nullptr && audio_done + kAudioChunk <= audio_until) {
            Push(audio, ToneBuffer(audio_done, kAudioChunk));
            audio_done += kAudioChunk;
        }
        Throttle(pipeline.get(), video);
        CheckBus(pipeline.get(), false);
    }
    gst_app_src_end_of_stream(video);
    if (audio != nullptr) {
        gst_app_src_end_of_stream(audio);
    }
    CheckBus(pipeline.get(), true);
}

std::vector<uint8_t> EncodeJpeg(Camera camera, int width, int height, const CivilTime& time) {
    Pipeline pipeline =
        Launch("appsrc name=video format=time caps=video/x-raw,format=I420,width=" +
               std::to_string(width) + ",height=" + std::to_string(height) +
               ",framerate=1/1 ! videoconvert ! jpegenc quality=85 ! appsink name=out sync=false");
    auto* video = GST_APP_SRC(Child(pipeline.get(), "video"));
    auto* out = GST_APP_SINK(Child(pipeline.get(), "out"));
    GstVideoInfo info;
    gst_video_info_set_format(&info, GST_VIDEO_FORMAT_I420, static_cast<guint>(width),
                              static_cast<guint>(height));
    Start(pipeline.get());
    GstBuffer* frame = PaintedBuffer(info, FrameLabel{camera, 0, time});
    GST_BUFFER_PTS(frame) = 0;
    Push(video, frame);
    gst_app_src_end_of_stream(video);
    GstSample* sample = gst_app_sink_pull_sample(out);
    if (sample == nullptr) {
        CheckBus(pipeline.get(), false);
        throw std::runtime_error("the JPEG encoder gave no picture");
    }
    GstMapInfo map;
    GstBuffer* jpeg = gst_sample_get_buffer(sample);
    gst_buffer_map(jpeg, &map, GST_MAP_READ);
    std::vector<uint8_t> bytes(map.data, map.data + map.size);
    gst_buffer_unmap(jpeg, &map);
    gst_sample_unref(sample);
    return bytes;
}

}  // namespace ardelle::samplecard
