#include "app/window_file_host.h"

#include <QFileDialog>

#include "app/tovel_dlg.h"
#include "base/settings.h"
#include "catalogue/movie_resource.h"
#include "catalogue/source_open.h"
#include "platform/files.h"

namespace ardelle::app {
namespace {

using playback::PlayerTarget;

constexpr int kStopButton = 0;  // 38000 stays usable: it ends a running operation

bool Listed(const catalogue::RecordingEntry& entry) {
    return (!entry.front_path.empty() || !entry.rear_path.empty()) && entry.sequence >= 0;
}

// The recordings the source lists: its own entries, or those of its first group with any
// (a card or a folder of groups lists its groups as tree nodes).
catalogue::RecordingList ListOfSource(const std::string& path, bool stills) {
    catalogue::RecordingList list;
    if (path.empty()) {
        return list;
    }
    const catalogue::CMovieResource resource(nullptr);
    const catalogue::SourceKind kind = catalogue::DetectSourceKind(path);
    const catalogue::OpenedSource source =
        catalogue::OpenSourceForList(resource, path, kind, stills);
    for (const catalogue::RecordingEntry& entry : source.entries) {
        if (Listed(entry)) {
            list.push_back(entry);
        }
    }
    const auto& nodes = source.tree.nodes();
    for (std::size_t i = 0; list.empty() && i < nodes.size(); ++i) {
        int count = 0;
        for (const catalogue::RecordingEntry& entry :
             catalogue::OpenGroupForList(resource, path, nodes[i].text,
                                         kind == catalogue::SourceKind::kCard, stills, &count)) {
            if (Listed(entry)) {
                list.push_back(entry);
            }
        }
    }
    return list;
}

}  // namespace

WindowFileHost::WindowFileHost(CTovelDlg& window)
    : window_(window), snapshot_players_(window.controller().pair()) {}

WindowFileHost::~WindowFileHost() = default;

void WindowFileHost::SetSource(const std::string& path) {
    if (path == source_) {
        return;
    }
    source_ = path;
    ReloadLists();
}

int WindowFileHost::CurrentTab() const {
    return window_.tab_strip()->current();
}

catalogue::RecordingList& WindowFileHost::MasterList(int tab) {
    return lists_[tab == kStillTab ? 1 : 0];
}

catalogue::RecordingList WindowFileHost::SourceRecords(int tab) {
    return MasterList(tab);
}

void WindowFileHost::StopForOperation() {
    MainController& controller = window_.controller();
    playback::PlayerPair& pair = controller.pair();
    if (controller.loaded() && !remembered_) {
        remembered_ =
            Remembered{controller.SelectedEntry(), pair.GetPositionFrames(PlayerTarget::kBoth)};
    }
    pair.Stop(PlayerTarget::kBoth);
    pair.Close();
    window_.SetPlayButton(false);
    window_.RepaintSurfaces();
}

void WindowFileHost::RestoreAfterOperation() {
    const std::optional<Remembered> remembered = std::move(remembered_);
    remembered_.reset();
    if (!remembered || CurrentTab() != kMovieTab) {
        return;
    }
    // A recording the operation deleted is not opened again.
    const catalogue::RecordingEntry& recording = remembered->recording;
    if (!platform::PathExists(recording.primary_path())) {
        return;
    }
    MainController& controller = window_.controller();
    if (controller.SelectedEntry().primary_path() == recording.primary_path()) {
        controller.ReopenSelection(remembered->frame);
    }
}

void WindowFileHost::SetControlsEnabled(bool enabled) {
    if (!enabled && !disabled_) {
        for (int i = 0; i < 17; ++i) {
            skin::CSkinButton* button = window_.tool_button(i);
            enabled_before_[static_cast<std::size_t>(i)] = button->isEnabled();
            button->setEnabled(i == kStopButton);
        }
    } else if (enabled && disabled_) {
        for (int i = 0; i < 17; ++i) {
            window_.tool_button(i)->setEnabled(enabled_before_[static_cast<std::size_t>(i)]);
        }
    }
    disabled_ = !enabled;
    window_.tab_strip()->setEnabled(enabled);
    window_.position_slider()->setEnabled(enabled);
    window_.panel_slots().lists[0]->setEnabled(enabled);
    window_.panel_slots().lists[1]->setEnabled(enabled);
    window_.panel_slots().graph->setEnabled(enabled);
    window_.panel_slots().info_panel->setEnabled(enabled);
}

void WindowFileHost::ShowProgress(int percent) {
    skin::CSkinProgressBarCtrl* bar = window_.progress_bar();
    bar->SetPos(percent);
    bar->show();
    bar->raise();
    bar->repaint();
}

void WindowFileHost::HideProgress() {
    window_.progress_bar()->hide();
}

void WindowFileHost::CloseRecordingList() {
    remembered_.reset();
    playback::PlayerPair& pair = window_.controller().pair();
    pair.Stop(PlayerTarget::kBoth);
    pair.Close();
    window_.SetPlayButton(false);
    window_.RepaintSurfaces();
}

void WindowFileHost::ReloadLists() {
    lists_[0] = ListOfSource(source_, false);
    lists_[1] = ListOfSource(source_, true);
}

bool WindowFileHost::GuardRefuses() {
    return !window_.controller().Guard();
}

bool WindowFileHost::RecordingLoaded() const {
    MainController& controller = window_.controller();
    return controller.loaded() &&
           controller.pair().GetState(PlayerTarget::kBoth) != playback::PlayerState::kClosed;
}

catalogue::RecordingEntry WindowFileHost::CursorRecording() const {
    return window_.controller().SelectedEntry();
}

void WindowFileHost::PauseIfPlaying() {
    playback::PlayerPair& pair = window_.controller().pair();
    if (pair.GetState(PlayerTarget::kBoth) == playback::PlayerState::kPlaying) {
        pair.Pause(PlayerTarget::kBoth);
        window_.SetPlayButton(false);
    }
}

void WindowFileHost::ResetPictureZoom() {
    window_.controller().display().OnLayoutChanged();
    window_.RepaintSurfaces();
}

}  // namespace ardelle::app
