#include "playback/custom_presenter.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cstring>

#include "playback/gst_support.h"

namespace ardelle::playback {
namespace {

// A sample mapped for reading; the frame handed out points into it.
struct MappedSample {
    GstSample* sample = nullptr;
    GstVideoFrame frame{};
    bool mapped = false;
    VideoFrame view;

    MappedSample() = default;
    MappedSample(const MappedSample&) = delete;
    MappedSample& operator=(const MappedSample&) = delete;
    ~MappedSample() {
        if (mapped) {
            gst_video_frame_unmap(&frame);
        }
        gst_sample_unref(sample);
    }
};

std::int64_t StreamTimeOf(GstSample* sample, GstBuffer* buffer) {
    const GstSegment* segment = gst_sample_get_segment(sample);
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    if (segment == nullptr || !GST_CLOCK_TIME_IS_VALID(pts)) {
        return -1;
    }
    const guint64 stream_time = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts);
    return GST_CLOCK_TIME_IS_VALID(stream_time) ? static_cast<std::int64_t>(stream_time) : -1;
}

// Takes over the sample; nothing when it cannot be read as a BGRx picture.
SharedFrame WrapSample(GstSample* sample) {
    auto mapped = std::make_shared<MappedSample>();
    mapped->sample = sample;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstCaps* caps = gst_sample_get_caps(sample);
    GstVideoInfo info;
    if (buffer == nullptr || caps == nullptr || !gst_video_info_from_caps(&info, caps)) {
        return nullptr;
    }
    mapped->mapped = gst_video_frame_map(&mapped->frame, &info, buffer, GST_MAP_READ) == TRUE;
    if (!mapped->mapped || GST_VIDEO_FRAME_FORMAT(&mapped->frame) != GST_VIDEO_FORMAT_BGRx) {
        return nullptr;
    }
    VideoFrame& view = mapped->view;
    view.width = GST_VIDEO_FRAME_WIDTH(&mapped->frame);
    view.height = GST_VIDEO_FRAME_HEIGHT(&mapped->frame);
    view.stride = GST_VIDEO_FRAME_PLANE_STRIDE(&mapped->frame, 0);
    view.pixels = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped->frame, 0));
    view.stream_time_ns = StreamTimeOf(sample, buffer);
    const GstClockTime duration = GST_BUFFER_DURATION(buffer);
    view.duration_ns = GST_CLOCK_TIME_IS_VALID(duration) ? static_cast<std::int64_t>(duration) : -1;
    return SharedFrame(mapped, &mapped->view);
}

}  // namespace

// The sink's callbacks, on the streaming thread.
struct PresenterCallbacks {
    static GstFlowReturn OnPreroll(GstAppSink* sink, gpointer presenter) {
        if (GstSample* sample = gst_app_sink_pull_preroll(sink)) {
            static_cast<CustomPresenter*>(presenter)->OnSample(sample,
                                                               FrameGate::Arrival::kPreroll);
        }
        return GST_FLOW_OK;
    }
    static GstFlowReturn OnClocked(GstAppSink* sink, gpointer presenter) {
        if (GstSample* sample = gst_app_sink_pull_sample(sink)) {
            static_cast<CustomPresenter*>(presenter)->OnSample(sample,
                                                               FrameGate::Arrival::kClocked);
        }
        return GST_FLOW_OK;
    }
    static GstPadProbeReturn OnEvent(GstPad*, GstPadProbeInfo* info, gpointer presenter) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (event != nullptr && (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT ||
                                 GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP)) {
            static_cast<CustomPresenter*>(presenter)->OnSegment(gst_event_get_seqnum(event));
        }
        return GST_PAD_PROBE_OK;
    }
};

CustomPresenter::CustomPresenter(FrameTarget* target, const SavedDisplayFlags& saved)
    : target_(target), flags_(saved) {
    // Taken once so that everything set up here is visibly published to the streaming
    // threads, which only ever see the presenter under this lock.
    std::lock_guard lock(mutex_);
    if (!BuildSink() && bin_ != nullptr) {
        gst_object_unref(bin_);
        bin_ = nullptr;
    }
}

CustomPresenter::~CustomPresenter() {
    if (bin_ != nullptr) {
        gst_object_unref(bin_);
    }
}

bool CustomPresenter::BuildSink() {
    bin_ = gst::MakeElement("bin", "presenter");
    GstElement* convert = gst::MakeElement("videoconvert");
    GstElement* appsink = gst::MakeElement("appsink");
    if (bin_ == nullptr || convert == nullptr || appsink == nullptr) {
        for (GstElement* element : {convert, appsink}) {
            if (element != nullptr) {
                gst_object_unref(element);
            }
        }
        return false;
    }
    gst_object_ref_sink(bin_);
    // One thread per core: a 1080p conversion is on the way of every first frame after a seek.
    g_object_set(convert, "n-threads", 0u, nullptr);
    gst_bin_add_many(gst::AsBin(bin_), convert, appsink, nullptr);
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
    g_object_set(appsink, "caps", caps, "sync", TRUE, "max-buffers", 1u, "enable-last-sample",
                 FALSE, nullptr);
    gst_caps_unref(caps);
    if (!gst_element_link(convert, appsink)) {
        return false;
    }
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &PresenterCallbacks::OnPreroll;
    callbacks.new_sample = &PresenterCallbacks::OnClocked;
    gst_app_sink_set_callbacks(GST_APP_SINK(appsink), &callbacks, this, nullptr);
    GstPad* sink_pad = gst_element_get_static_pad(appsink, "sink");
    const auto events = static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                                     GST_PAD_PROBE_TYPE_EVENT_FLUSH);
    gst_pad_add_probe(sink_pad, events, &PresenterCallbacks::OnEvent, this, nullptr);
    gst_object_unref(sink_pad);
    GstPad* convert_pad = gst_element_get_static_pad(convert, "sink");
    const bool ghosted = gst_element_add_pad(bin_, gst_ghost_pad_new("sink", convert_pad)) == TRUE;
    gst_object_unref(convert_pad);
    return ghosted;
}

void CustomPresenter::SetRunningHints() {
    std::lock_guard lock(mutex_);
    gate_.SetRunning();
    single_frame_done_.notify_all();
}

void CustomPresenter::SetSingleFrameHints(std::uint32_t seek_seqnum) {
    std::lock_guard lock(mutex_);
    gate_.SetSingleFrame(seek_seqnum);
}

void CustomPresenter::ClearSingleFrameHints() {
    std::lock_guard lock(mutex_);
    gate_.ClearSingleFrame();
    single_frame_done_.notify_all();
}

void CustomPresenter::ClockStarted() {
    std::lock_guard lock(mutex_);
    gate_.ClockStarted();
}

void CustomPresenter::SetVideoPosition(const VideoRect& destination) {
    std::lock_guard lock(mutex_);
    destination_ = destination;
}

void CustomPresenter::SetAspectRatioMode(DisplayMode mode) {
    std::lock_guard lock(mutex_);
    aspect_mode_ = mode;
}

DisplayMode CustomPresenter::aspect_ratio_mode() const {
    std::lock_guard lock(mutex_);
    return aspect_mode_;
}

bool CustomPresenter::NativeVideoSize(int& width, int& height) const {
    std::lock_guard lock(mutex_);
    if (native_width_ <= 0 || native_height_ <= 0) {
        return false;
    }
    width = native_width_;
    height = native_height_;
    return true;
}

void CustomPresenter::Repaint() {
    std::lock_guard lock(mutex_);
    if (last_frame_ != nullptr && !gate_.one_frame() && target_ != nullptr) {
        const VideoRect destination = destination_.value_or(target_->ClientRect());
        target_->PresentFrame(last_frame_, destination, flags_.mirrored);
    }
}

bool CustomPresenter::ToggleMirror() {
    std::lock_guard lock(mutex_);
    flags_.mirrored = !flags_.mirrored;
    if (last_frame_ != nullptr && target_ != nullptr) {
        target_->PresentFrame(last_frame_, destination_.value_or(target_->ClientRect()),
                              flags_.mirrored);
    }
    return flags_.mirrored;
}

SavedDisplayFlags CustomPresenter::display_flags() const {
    std::lock_guard lock(mutex_);
    return flags_;
}

SharedFrame CustomPresenter::CurrentFrame(std::chrono::milliseconds wait, bool& mirrored) {
    std::unique_lock lock(mutex_);
    single_frame_done_.wait_for(lock, wait, [this] { return !gate_.one_frame(); });
    mirrored = flags_.mirrored;
    return last_frame_;
}

SharedFrame CustomPresenter::last_frame() const {
    std::lock_guard lock(mutex_);
    return last_frame_;
}

std::uint64_t CustomPresenter::presented_count() const {
    std::lock_guard lock(mutex_);
    return presented_;
}

void CustomPresenter::OnSegment(std::uint32_t seqnum) {
    std::lock_guard lock(mutex_);
    segment_seqnum_ = seqnum;
    fresh_segment_ = true;
}

void CustomPresenter::OnSample(GstSample* sample, FrameGate::Arrival arrival) {
    std::unique_lock lock(mutex_);
    const bool first = fresh_segment_;
    if (arrival == FrameGate::Arrival::kPreroll || first) {
        fresh_segment_ = false;
    }
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const std::int64_t pts = buffer != nullptr && GST_CLOCK_TIME_IS_VALID(GST_BUFFER_PTS(buffer))
                                 ? static_cast<std::int64_t>(GST_BUFFER_PTS(buffer))
                                 : -1;
    // A paused sink hands its preroll frame over once more when the clock starts.
    const bool shown_already = buffer == last_buffer_ && pts == last_pts_ && last_frame_ != nullptr;
    if (!gate_.Admit(arrival, first, segment_seqnum_) || shown_already) {
        lock.unlock();
        gst_sample_unref(sample);
        single_frame_done_.notify_all();
        return;
    }
    SharedFrame frame = WrapSample(sample);
    if (frame == nullptr) {
        return;
    }
    last_buffer_ = buffer;
    last_pts_ = pts;
    native_width_ = frame->width;
    native_height_ = frame->height;
    last_frame_ = frame;
    ++presented_;
    PresentLocked(frame);
    single_frame_done_.notify_all();
}

void CustomPresenter::PresentLocked(const SharedFrame& frame) {
    if (target_ != nullptr) {
        target_->PresentFrame(frame, destination_.value_or(target_->ClientRect()), flags_.mirrored);
    }
}

}  // namespace ardelle::playback
