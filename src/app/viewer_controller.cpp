#include "app/viewer_controller.h"

#include "base/settings.h"
#include "catalogue/movie_resource.h"
#include "catalogue/source_open.h"
#include "playback/media_session.h"

namespace ardelle::app {
namespace {

constexpr int kTextOpenFailed = 96;
constexpr int kTextTooShort = 97;
constexpr int kTextNoMovies = 99;
constexpr int kTextFrontCamera = 145;
constexpr int kTextRearCamera = 146;
// The full-window view is never entered during a recording's last frames.
constexpr std::int64_t kFullWindowEndMargin = 10;

using playback::PlayerTarget;

PlayerTarget Target(int index) {
    return index == 0 ? PlayerTarget::kFront : PlayerTarget::kRear;
}

bool IsMovie(const catalogue::RecordingEntry& entry) {
    return !entry.front_path.empty() || !entry.rear_path.empty();
}

// The first recording a source offers: its first listed one, or the first recording of
// its first group (a card or a folder of groups lists its groups as tree nodes).
std::optional<catalogue::RecordingEntry> FirstRecording(const std::string& path) {
    const catalogue::CMovieResource resource(nullptr);
    const catalogue::SourceKind kind = catalogue::DetectSourceKind(path);
    const catalogue::OpenedSource source =
        catalogue::OpenSourceForList(resource, path, kind, false);
    for (const catalogue::RecordingEntry& entry : source.entries) {
        if (IsMovie(entry) && entry.sequence >= 0) {
            return entry;
        }
    }
    const auto& nodes = source.tree.nodes();
    for (std::size_t i = 0; i < nodes.size() && i < source.nodes.size(); ++i) {
        const std::string& front = source.nodes[i].front_path;
        if (front.size() < 4 || front.substr(front.size() - 4) != ".MP4") {
            continue;  // a folder node, not a group
        }
        int count = 0;
        const catalogue::RecordingList group = catalogue::OpenGroupForList(
            resource, path, nodes[i].text, kind == catalogue::SourceKind::kCard, false, &count);
        for (const catalogue::RecordingEntry& entry : group) {
            if (IsMovie(entry)) {
                return entry;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

ViewerController::ViewerController(ViewerView& view, double layout_scale)
    : view_(view),
      scale_(layout_scale),
      pair_(players_[0], players_[1], playback::MediaSessionOps(), playback::MediaSessionOps()) {
    ResetZooms(0);
    ResetZooms(1);
}

ViewerController::~ViewerController() {
    Shutdown();
}

bool ViewerController::InitPlayers(bool keep_aspect) {
    keep_aspect_ = keep_aspect;
    pair_.Init(view_.SurfaceWindow(0), view_.SurfaceWindow(1));
    initialised_ = players_[0].initialised != 0 || players_[1].initialised != 0;
    return initialised_;
}

bool ViewerController::OpenSource(const std::string& path, std::int64_t start_frame) {
    const auto entry = FirstRecording(path);
    if (!entry) {
        view_.ShowError(kTextNoMovies);
        return false;
    }
    return OpenRecording(*entry, start_frame);
}

bool ViewerController::OpenRecording(const catalogue::RecordingEntry& entry,
                                     std::int64_t start_frame) {
    pair_.Close();
    loaded_ = false;
    ready_count_ = 0;
    opened_count_ = 0;
    ended_count_ = 0;
    current_ = entry;
    start_frame_ = std::max<std::int64_t>(0, start_frame);
    const int opened = pair_.Open(entry.front_path, entry.rear_path);
    view_.RepaintSurfaces();
    if ((opened & 2) != 0 && (opened & 1) == 0) {
        view_.ShowError(kTextTooShort);
        return false;
    }
    if ((opened & 1) == 0) {
        view_.ShowError(kTextOpenFailed);
        return false;
    }
    expected_ready_ = (players_[0].opened != 0 ? 1 : 0) + (players_[1].opened != 0 ? 1 : 0);
    opened_count_ = expected_ready_;
    return true;
}

void ViewerController::OnMessage(const PostedMessage& message) {
    switch (message.id) {
        case AppMessage::kSurfacePlayerReady:
            if (expected_ready_ > 0 && ++ready_count_ == expected_ready_) {
                AllReady();
            }
            break;
        case AppMessage::kSurfacePlayerEnded:
            ++ended_count_;
            view_.SetPlayButton(false);
            break;
        case AppMessage::kFloatingWindowResized:
        case AppMessage::kFloatingWindowMoved:
            if (message.id == AppMessage::kFloatingWindowResized || message.wparam != 0) {
                ResetZooms(movie_surface());
            }
            ApplyZoom();
            break;
        case AppMessage::kFloatingWindowsReset:
            ResetZooms(movie_surface());
            ApplyZoom();
            break;
        default:
            break;
    }
}

void ViewerController::ApplyDisplayModes() {
    ResetZooms(0);
    ResetZooms(1);
    if (initialised_) {
        pair_.SetDisplayMode(Target(main_surface_), keep_aspect_ ? 1 : 0);
        pair_.SetDisplayMode(Target(movie_surface()), 1);
    }
    ApplyZoom();
}

void ViewerController::ResetDisplay() {
    LeaveZoomAndFullWindow();
    if (main_surface_ != 0) {
        SwitchDisplay();
    } else {
        view_.PlaceSurfaces(0, kTextRearCamera);
    }
    ApplyDisplayModes();
}

void ViewerController::LeaveZoomAndFullWindow() {
    if (zoom_mode_) {
        ToggleZoomMode();
    }
    if (full_window_) {
        ToggleFullWindow(true);
    }
}

void ViewerController::FullWindowKey(bool leave_only) {
    if (leave_only && !full_window_) {
        return;
    }
    if (!zoom_mode_) {
        ToggleFullWindow(loaded_);
    }
}

void ViewerController::AllReady() {
    expected_ready_ = 0;
    loaded_ = true;
    pair_.SetDisplayMode(Target(main_surface_), keep_aspect_ ? 1 : 0);
    pair_.SetDisplayMode(Target(movie_surface()), 1);
    ApplyZoom();
    pair_.SeekFrame(PlayerTarget::kBoth, start_frame_);
    view_.ShowPosition(static_cast<int>(start_frame_),
                       static_cast<int>(pair_.GetDurationFrames(Target(ShownPlayer()))));
    view_.PlaceSurfaces(main_surface_, main_surface_ == 0 ? kTextRearCamera : kTextFrontCamera);
    view_.SetPlayButton(false);
    view_.RepaintSurfaces();
    if (on_ready_) {
        on_ready_();
    }
}

void ViewerController::Tick() {
    if (!loaded_ || pair_.GetState(PlayerTarget::kBoth) != playback::PlayerState::kPlaying) {
        return;
    }
    const PlayerTarget shown = Target(ShownPlayer());
    view_.ShowPosition(pair_.GetPositionFrames(shown),
                       static_cast<int>(pair_.GetDurationFrames(shown)));
}

bool ViewerController::HasFile(int player) const {
    const playback::PlayerContext& context = players_[static_cast<std::size_t>(player)];
    return context.initialised != 0 && context.state != playback::PlayerState::kClosed;
}

SurfacePaint ViewerController::PaintRule(int surface_index) const {
    return VideoSurfacePaint(surface_index, HasFile(0), HasFile(1));
}

void ViewerController::ResetZooms(int surface_index) {
    // The zoom centre follows where the surface lies: the main area or the movie window.
    ResetZoom(zooms_[static_cast<std::size_t>(surface_index)],
              surface_index == main_surface_ ? 0 : 1, scale_);
}

void ViewerController::ApplyZoom() {
    if (!initialised_) {
        return;
    }
    pair_.SetZoom({ToZoomSpec(zooms_[0]), ToZoomSpec(zooms_[1])}, 0);
}

void ViewerController::OnLayoutChanged() {
    ResetZooms(main_surface_);
    ApplyZoom();
}

void ViewerController::OnCommand(int id) {
    switch (id) {
        case command::kClose:
            Shutdown();
            view_.CloseWindow();
            break;
        case command::kMaximise:
            maximised_ = !maximised_;
            view_.Maximise(maximised_);
            break;
        case command::kMinimise:
            view_.Minimise();
            break;
        case command::kPlayPause:
            if (loaded_) {
                const bool playing =
                    pair_.GetState(PlayerTarget::kBoth) == playback::PlayerState::kPlaying;
                if (playing) {
                    pair_.Pause(PlayerTarget::kBoth);
                } else {
                    ended_count_ = 0;
                    pair_.Play(PlayerTarget::kBoth);
                }
                view_.SetPlayButton(!playing);
            }
            break;
        case command::kZoomMode:
            ToggleZoomMode();
            break;
        case command::kMirror:
            ToggleMirror();
            break;
        case command::kDisplaySwitch:
            SwitchDisplay();
            break;
        case command::kDisplayMode:
            if (loaded_) {
                ToggleDisplayMode();
            }
            break;
        default:
            break;
    }
}

void ViewerController::SwitchDisplay() {
    main_surface_ = 1 - main_surface_;
    view_.PlaceSurfaces(main_surface_, main_surface_ == 0 ? kTextRearCamera : kTextFrontCamera);
    if (initialised_) {
        pair_.SetDisplayMode(Target(main_surface_), keep_aspect_ ? 1 : 0);
        pair_.SetDisplayMode(Target(movie_surface()), 1);
    }
    ResetZooms(0);
    ResetZooms(1);
    ApplyZoom();
    view_.RepaintSurfaces();
}

void ViewerController::ToggleZoomMode() {
    zoom_mode_ = !zoom_mode_;
    view_.SetZoomMode(zoom_mode_);
    if (!zoom_mode_) {
        ResetZooms(0);
        ResetZooms(1);
        ApplyZoom();
    }
}

void ViewerController::OnSurfaceClicked(int surface_index, const QPoint& point) {
    SurfaceZoom& zoom = zooms_[static_cast<std::size_t>(surface_index)];
    const playback::VideoRect picture =
        players_[static_cast<std::size_t>(surface_index)].last_video_rect;
    if (ZoomClick(zoom, zoom_mode_, point, view_.SurfaceClient(surface_index), picture,
                  surface_index == main_surface_ ? 0 : 1, scale_)) {
        ApplyZoom();
    }
}

void ViewerController::ToggleMirror() {
    if (players_[1].initialised == 0) {
        return;
    }
    const bool mirrored = pair_.ToggleMirror(PlayerTarget::kRear) != 0;
    view_.SetMirror(1, mirrored);
    pair_.RepaintFrame(PlayerTarget::kRear);
}

void ViewerController::ToggleDisplayMode() {
    keep_aspect_ = !keep_aspect_;
    pair_.SetDisplayMode(Target(main_surface_), keep_aspect_ ? 1 : 0);
    ApplyZoom();
    base::WriteSetting("DISPLAY", "ASPECT", keep_aspect_ ? "on" : "off");
}

void ViewerController::OnSurfaceDoubleClicked(int surface_index) {
    if (surface_index != main_surface_ || zoom_mode_) {
        return;
    }
    ToggleFullWindow(loaded_);
}

int ViewerController::ShownPlayer() const {
    // Until the telemetry is loaded the pair has no reference player of its own: the front
    // player counts whenever it has the recording open (its frames are the time unit).
    return players_[0].opened != 0 ? 0 : 1;
}

void ViewerController::ToggleFullWindow(bool force) {
    const int reference = ShownPlayer();
    const playback::PlayerContext& player = players_[static_cast<std::size_t>(reference)];
    const std::int64_t position =
        player.initialised != 0 ? pair_.GetPositionFrames(Target(reference)) : 0;
    const std::int64_t frames =
        player.initialised != 0 ? pair_.GetDurationFrames(Target(reference)) : 0;
    if (!full_window_ && position + kFullWindowEndMargin >= frames) {
        return;
    }
    if (!force && (full_window_ ? loaded_ : true)) {
        return;  // without force only an unloaded recording's view is left
    }
    full_window_ = !full_window_;
    if (!full_window_) {
        // Leaving always returns to the keep-aspect display.
        keep_aspect_ = true;
        if (initialised_) {
            pair_.SetDisplayMode(Target(main_surface_), 1);
        }
        base::WriteSetting("DISPLAY", "ASPECT", "on");
    }
    view_.ShowFullWindow(full_window_, main_surface_);
    ResetZooms(main_surface_);
    ApplyZoom();
}

void ViewerController::Shutdown() {
    if (!initialised_) {
        return;
    }
    initialised_ = false;
    loaded_ = false;
    pair_.Stop(PlayerTarget::kBoth);
    pair_.Close();
    pair_.Uninit();
}

}  // namespace ardelle::app
