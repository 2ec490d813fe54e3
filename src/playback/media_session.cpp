#include "playback/media_session.h"

#include <cstring>

#include "platform/sound_output.h"
#include "playback/gst_support.h"

namespace ardelle::playback {
namespace {

// Playbin's flags: video, audio, and no converters of its own (the sinks bring theirs).
constexpr guint kPlayVideo = 0x1;
constexpr guint kPlayAudio = 0x2;
constexpr guint kNativeAudio = 0x20;
constexpr guint kNativeVideo = 0x40;
constexpr guint kPlayFlags = kPlayVideo | kPlayAudio | kNativeAudio | kNativeVideo;

constexpr auto kEndNoticeDelay = std::chrono::milliseconds(200);
constexpr GstClockTime kBusPollNs = 100 * GST_MSECOND;
constexpr auto kSingleFrameWait = std::chrono::milliseconds(3000);
constexpr const char* kWakeMessage = "ardelle-wake";

// The system's audio output, which falls back to a fake sink where there is no sound device.
// Where there is plainly nothing to hear (no desktop, no sound server, no device) the fake
// sink is taken at once: trying every kind of output first costs some 50 ms and fills the
// error stream with the sound libraries' complaints.
GstElement* MakeOutputSink() {
    if (platform::SoundOutputMayExist(platform::SessionSoundPlaces())) {
        return gst::MakeElement("autoaudiosink");
    }
    GstElement* sink = gst::MakeElement("fakesink", "silent-output");
    if (sink != nullptr) {
        g_object_set(sink, "sync", TRUE, nullptr);  // keeps time like a sound card
    }
    return sink;
}

// Set by tests: the next audio output built refuses to preroll, as a sound device that
// cannot take the stream does.
std::atomic<bool> g_fail_next_audio_preroll{false};

// A sink that fails its change to paused with an error on the bus.
GstElement* MakeRefusingSink() {
    GstElement* sink = gst::MakeElement("fakesink", "refusing-output");
    if (sink != nullptr) {
        gst_util_set_object_arg(G_OBJECT(sink), "state-error", "ready-to-paused");
    }
    return sink;
}

// audioconvert ! audioresample ! volume ! the system's output.
GstElement* MakeAudioSink(GstElement** volume) {
    GstElement* bin = gst::MakeElement("bin", "audio");
    GstElement* convert = gst::MakeElement("audioconvert");
    GstElement* resample = gst::MakeElement("audioresample");
    GstElement* level = gst::MakeElement("volume", "volume");
    GstElement* sink =
        g_fail_next_audio_preroll.exchange(false) ? MakeRefusingSink() : MakeOutputSink();
    if (bin == nullptr || convert == nullptr || resample == nullptr || level == nullptr ||
        sink == nullptr) {
        for (GstElement* element : {bin, convert, resample, level, sink}) {
            if (element != nullptr) {
                gst_object_unref(element);
            }
        }
        return nullptr;
    }
    gst_bin_add_many(gst::AsBin(bin), convert, resample, level, sink, nullptr);
    gst_element_link_many(convert, resample, level, sink, nullptr);
    GstPad* pad = gst_element_get_static_pad(convert, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", pad));
    gst_object_unref(pad);
    *volume = level;
    return bin;
}

// Without direct rendering the decoder decodes into libav's own recycled pictures and copies
// each one it gives out into a pooled buffer. With it, the buffer stays mapped for as long as
// the picture serves as a reference, so every frame given out would be copied into freshly
// allocated memory instead: slower, and a page fault per 4 KiB on the first frame after a seek.
void SetUpDecoder(GstElement* element, int threads) {
    GstElementFactory* factory = gst_element_get_factory(element);
    const char* name = factory != nullptr ? gst_plugin_feature_get_name(factory) : nullptr;
    if (name == nullptr || std::strncmp(name, "avdec_", 6) != 0) {
        return;
    }
    GObjectClass* properties = G_OBJECT_GET_CLASS(element);
    if (g_object_class_find_property(properties, "max-threads") != nullptr) {
        g_object_set(element, "max-threads", threads, nullptr);
    }
    if (g_object_class_find_property(properties, "direct-rendering") != nullptr) {
        g_object_set(element, "direct-rendering", FALSE, nullptr);
    }
}

GstSeekFlags SeekFlags(bool thin) {
    int flags = GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE;
    if (thin) {
        flags |= GST_SEEK_FLAG_TRICKMODE | GST_SEEK_FLAG_TRICKMODE_NO_AUDIO;
    }
    return static_cast<GstSeekFlags>(flags);
}

}  // namespace

void FailNextAudioPrerollForTesting() {
    g_fail_next_audio_preroll = true;
}

CPlayer::CPlayer(const VideoWindow& window, const SavedDisplayFlags& saved) : window_(window) {
    if (gst::EnsureInitialised()) {
        presenter_ = std::make_unique<CustomPresenter>(window.frames, saved);
    }
}

CPlayer::~CPlayer() {
    Shutdown();
}

SessionStatus CPlayer::OpenFile(const std::string& path, MediaTime duration) {
    Shutdown();
    const std::string uri = gst::FileUri(path);
    if (!valid() || uri.empty()) {
        return SessionStatus::kFailed;
    }
    ready_ = false;
    failed_ = false;
    audio_disabled_ = false;
    duration_ = duration;
    std::lock_guard lock(session_lock_);
    if (!BuildPipeline(uri)) {
        state_ = SessionState::kClosed;
        return SessionStatus::kFailed;
    }
    state_ = SessionState::kReady;
    stop_bus_ = false;
    bus_thread_ = std::thread([this] { WatchBus(); });
    state_ = SessionState::kOpenPending;
    // A refusal shows up on the bus as an error, which the bus thread handles.
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    return SessionStatus::kOk;
}

bool CPlayer::BuildPipeline(const std::string& uri) {
    GstElement* playbin = gst::MakeElement("playbin", "session");
    GstElement* audio = MakeAudioSink(&volume_);
    if (playbin == nullptr || audio == nullptr) {
        for (GstElement* element : {playbin, audio}) {
            if (element != nullptr) {
                gst_object_unref(element);
            }
        }
        volume_ = nullptr;
        return false;
    }
    pipeline_ = GST_ELEMENT(gst_object_ref_sink(playbin));
    g_signal_connect(pipeline_, "element-setup", G_CALLBACK(&CPlayer::OnElementSetup), this);
    g_object_set(pipeline_, "uri", uri.c_str(), "flags", kPlayFlags, "video-sink",
                 presenter_->sink(), "audio-sink", audio, nullptr);
    rate_ = 1.0f;
    thin_ = false;
    applied_rate_ = 1.0;
    applied_thin_ = false;
    last_seek_time_ = 0;
    last_seek_seqnum_ = 0;
    played_since_seek_ = false;
    return true;
}

SessionStatus CPlayer::Play() {
    const SessionState state = state_;
    if (state != SessionState::kPaused && state != SessionState::kStopped) {
        return SessionStatus::kInvalidRequest;
    }
    std::lock_guard lock(session_lock_);
    if (pipeline_ == nullptr) {
        return SessionStatus::kUnexpected;
    }
    presenter_->SetRunningHints();
    if (!ApplyRateLocked() ||
        gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return SessionStatus::kFailed;
    }
    presenter_->ClockStarted();
    played_since_seek_ = true;
    state_ = SessionState::kStarted;
    return SessionStatus::kOk;
}

SessionStatus CPlayer::StartAt(MediaTime time) {
    std::lock_guard lock(session_lock_);
    if (pipeline_ == nullptr) {
        return SessionStatus::kUnexpected;
    }
    if (!ready_) {
        return SessionStatus::kOk;
    }
    if (SeekLocked(time, rate_, thin_, false) &&
        gst_element_set_state(pipeline_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
        presenter_->ClockStarted();
        played_since_seek_ = true;
        state_ = SessionState::kStarted;
    }
    return SessionStatus::kOk;
}

SessionStatus CPlayer::Scrub(MediaTime time) {
    if (!ready_) {
        return SessionStatus::kNoService;
    }
    std::lock_guard lock(session_lock_);
    if (pipeline_ == nullptr) {
        return SessionStatus::kUnexpected;
    }
    // Standing still at one frame: a paused, accurate seek at normal rate, without thinning
    // so that the decoder cannot skip the very frame asked for.
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    const bool sought = SeekLocked(time, 1.0, false, true);
    presenter_->Repaint();
    return sought ? SessionStatus::kOk : SessionStatus::kFailed;
}

SessionStatus CPlayer::Pause() {
    std::lock_guard lock(session_lock_);
    if (state_ != SessionState::kStarted || pipeline_ == nullptr) {
        return SessionStatus::kInvalidRequest;
    }
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return SessionStatus::kFailed;
    }
    state_ = SessionState::kPaused;
    return SessionStatus::kOk;
}

SessionStatus CPlayer::Stop() {
    // Stopped too: the end of the file stops the session by itself, and a Stop after it
    // must still go back to the first frame.
    const SessionState state = state_;
    if (state != SessionState::kStarted && state != SessionState::kPaused &&
        state != SessionState::kStopped) {
        return SessionStatus::kInvalidRequest;
    }
    std::lock_guard lock(session_lock_);
    if (pipeline_ == nullptr) {
        return SessionStatus::kUnexpected;
    }
    // Cleared before the seek so that the first frame cannot meet a hold left by a scrub.
    presenter_->ClearSingleFrameHints();
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (!SeekLocked(0, 1.0, false, false)) {
        return SessionStatus::kFailed;
    }
    state_ = SessionState::kStopped;
    return SessionStatus::kOk;
}

SessionStatus CPlayer::Shutdown() {
    if (pipeline_ == nullptr) {
        state_ = SessionState::kClosed;
        return SessionStatus::kOk;
    }
    state_ = SessionState::kClosing;
    StopBusThread();
    std::lock_guard lock(session_lock_);
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    gst_object_unref(pipeline_);
    pipeline_ = nullptr;
    volume_ = nullptr;
    ready_ = false;
    state_ = SessionState::kClosed;
    return SessionStatus::kOk;
}

bool CPlayer::SeekLocked(MediaTime time, double rate, bool thin, bool single_frame) {
    GstEvent* seek = gst_event_new_seek(rate, GST_FORMAT_TIME, SeekFlags(thin), GST_SEEK_TYPE_SET,
                                        gst::MediaTimeToNs(time), GST_SEEK_TYPE_SET,
                                        static_cast<gint64>(GST_CLOCK_TIME_NONE));
    const std::uint32_t seqnum = gst_event_get_seqnum(seek);
    if (single_frame) {
        presenter_->SetSingleFrameHints(seqnum);
    }
    if (gst_element_send_event(pipeline_, seek) != TRUE) {
        return false;
    }
    applied_rate_ = rate;
    applied_thin_ = thin;
    last_seek_time_ = time;
    last_seek_seqnum_ = seqnum;
    played_since_seek_ = false;
    return true;
}

// The stored rate takes effect at a start: when it differs from the running segment's, the
// pipeline seeks to where it stands with the new rate.
bool CPlayer::ApplyRateLocked() {
    if (applied_rate_ == static_cast<double>(rate_) && applied_thin_ == thin_) {
        return true;
    }
    MediaTime position = last_seek_time_;
    gint64 ns = 0;
    if (played_since_seek_ && gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns)) {
        position = gst::NsToMediaTime(ns);
    }
    return SeekLocked(position, rate_, thin_, false);
}

SessionStatus CPlayer::SetVideoRect(const VideoRect& destination) {
    if (!ready_) {
        return SessionStatus::kNoService;
    }
    std::lock_guard lock(session_lock_);
    presenter_->SetVideoPosition(destination);
    return SessionStatus::kOk;
}

SessionStatus CPlayer::SetAspectRatioMode(DisplayMode mode) {
    if (!ready_) {
        return SessionStatus::kNoService;
    }
    std::lock_guard lock(session_lock_);
    presenter_->SetAspectRatioMode(mode);
    return SessionStatus::kOk;
}

SessionStatus CPlayer::Repaint() {
    if (!ready_) {
        return SessionStatus::kNoService;
    }
    std::lock_guard lock(session_lock_);
    presenter_->Repaint();
    return SessionStatus::kOk;
}

SessionStatus CPlayer::SetVolume(int volume) {
    std::lock_guard lock(session_lock_);
    gint audio_streams = 0;
    if (pipeline_ != nullptr) {
        g_object_get(pipeline_, "n-audio", &audio_streams, nullptr);
    }
    if (volume_ == nullptr || audio_disabled_ || audio_streams <= 0) {
        return SessionStatus::kNoService;
    }
    const float level = static_cast<float>(volume) / 65535.0f;
    g_object_set(volume_, "volume", static_cast<gdouble>(level), nullptr);
    volume_level_ = volume;
    return SessionStatus::kOk;
}

void CPlayer::SetRateParameters(float rate, bool thin) {
    std::lock_guard lock(session_lock_);
    rate_ = rate;
    thin_ = thin;
}

float CPlayer::rate() const {
    std::lock_guard lock(session_lock_);
    return rate_;
}

std::optional<MediaTime> CPlayer::ClockTime() {
    if (!ready_) {
        return std::nullopt;
    }
    std::lock_guard lock(session_lock_);
    gint64 ns = 0;
    if (pipeline_ != nullptr && gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) &&
        ns >= 0) {
        return gst::NsToMediaTime(ns);
    }
    // While a seek is still being carried out the sinks know no position; the clock then
    // stands at the seek's target.
    return last_seek_seqnum_ != 0 ? last_seek_time_ : -1;
}

bool CPlayer::NativeVideoSize(int& width, int& height) {
    if (!ready_) {
        return false;
    }
    std::lock_guard lock(session_lock_);
    return presenter_->NativeVideoSize(width, height);
}

SharedFrame CPlayer::CurrentFrame(bool& mirrored) {
    if (!ready_) {
        return nullptr;
    }
    return presenter_->CurrentFrame(kSingleFrameWait, mirrored);
}

bool CPlayer::ToggleMirror() {
    return presenter_->ToggleMirror();
}

SavedDisplayFlags CPlayer::display_flags() const {
    return presenter_ != nullptr ? presenter_->display_flags() : SavedDisplayFlags{};
}

void CPlayer::Post(AppMessage id) {
    if (window_.notifications != nullptr) {
        window_.notifications->Post({id, 0, 0});
    }
}

void CPlayer::StopBusThread() {
    {
        std::lock_guard lock(bus_mutex_);
        stop_bus_ = true;
    }
    bus_wake_.notify_all();
    if (pipeline_ != nullptr) {
        GstBus* bus = gst_element_get_bus(pipeline_);
        gst_bus_post(bus,
                     gst_message_new_application(nullptr, gst_structure_new_empty(kWakeMessage)));
        gst_object_unref(bus);
    }
    if (bus_thread_.joinable()) {
        bus_thread_.join();
    }
}

void CPlayer::WatchBus() {
    GstBus* bus = nullptr;
    {
        std::lock_guard lock(session_lock_);
        bus = gst_element_get_bus(pipeline_);
    }
    const auto types = static_cast<GstMessageType>(
        GST_MESSAGE_ERROR | GST_MESSAGE_EOS | GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_APPLICATION);
    for (;;) {
        {
            std::lock_guard lock(bus_mutex_);
            if (stop_bus_) {
                break;
            }
        }
        gst::MessageRef message(gst_bus_timed_pop_filtered(bus, kBusPollNs, types));
        if (message != nullptr && state_ != SessionState::kClosing) {
            HandleMessage(message.get());
        }
    }
    gst_object_unref(bus);
}

void CPlayer::HandleMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
            OnError();
            break;
        case GST_MESSAGE_ASYNC_DONE:
            if (state_ == SessionState::kOpenPending) {
                OnPrerolled();
            }
            break;
        case GST_MESSAGE_EOS:
            // An end reached before the latest seek belongs to a segment that is gone.
            if (last_seek_seqnum_ == 0 || gst_message_get_seqnum(message) == last_seek_seqnum_) {
                OnPresentationEnded();
            }
            break;
        default:
            break;
    }
}

void CPlayer::OnError() {
    if (ready_) {
        return;
    }
    if (!audio_disabled_) {
        RetryWithoutAudio();
    } else {
        failed_ = true;
    }
}

// The file could not be prerolled with its sound: build it again without the audio stream.
void CPlayer::RetryWithoutAudio() {
    std::lock_guard lock(session_lock_);
    if (state_ == SessionState::kClosing || pipeline_ == nullptr) {
        return;
    }
    audio_disabled_ = true;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_flushing(bus, TRUE);  // drops the messages of the failed attempt
    gst_bus_set_flushing(bus, FALSE);
    gst_object_unref(bus);
    g_object_set(pipeline_, "flags", kPlayFlags & ~kPlayAudio, nullptr);
    // The failed output stays a child of the pipeline, and fails every preroll again, until
    // it is replaced: a sink that takes nothing stands in for it.
    if (GstElement* silent = gst::MakeElement("fakesink", "no-audio")) {
        g_object_set(pipeline_, "audio-sink", silent, nullptr);
        volume_ = nullptr;
    }
    state_ = SessionState::kOpenPending;
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
}

// Called on a streaming thread while the pipeline builds itself; the player outlives it.
void CPlayer::OnElementSetup(GstElement*, GstElement* element, void* player) {
    SetUpDecoder(element, static_cast<CPlayer*>(player)->decoder_threads_.load());
}

void CPlayer::SetDecoderThreads(int threads) {
    decoder_threads_ = threads;
}

void CPlayer::OnPrerolled() {
    {
        std::lock_guard lock(session_lock_);
        int width = 0;
        int height = 0;
        if (pipeline_ == nullptr || !presenter_->NativeVideoSize(width, height)) {
            failed_ = true;  // no picture: the file is not shown
            return;
        }
        gint64 ns = 0;
        if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) && ns > 0) {
            duration_ = gst::NsToMediaTime(ns);
        }
        state_ = SessionState::kStopped;
        ready_ = true;
    }
    Post(AppMessage::kPlayerReady);
}

void CPlayer::OnPresentationEnded() {
    if (state_ != SessionState::kStarted) {
        return;
    }
    state_ = SessionState::kStopped;
    std::unique_lock lock(bus_mutex_);
    if (bus_wake_.wait_for(lock, kEndNoticeDelay, [this] { return stop_bus_; })) {
        return;
    }
    lock.unlock();
    Post(AppMessage::kPlayerEnded);
}

}  // namespace ardelle::playback
