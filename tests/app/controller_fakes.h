#pragma once

// Fakes of the main controller's collaborators, shared by its tests and its benchmark: a
// message queue the caller pumps, surfaces that keep the frame code of their last picture,
// a list window of recording groups, views and a window that record what they were told,
// and timers on a clock the caller advances.
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/main_controller.h"
#include "sample_card/frame_code.h"

namespace ardelle::app::fakes {

// Every notification on one queue, delivered when the test pumps: the surfaces' player
// notifications (as CMovieStatic forwards them) and the controller's own posts.
class TestQueue : public MessageSink {
  public:
    void Post(const PostedMessage& message) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
    }
    std::optional<PostedMessage> Take() {
        std::lock_guard lock(mutex_);
        if (messages_.empty()) {
            return std::nullopt;
        }
        PostedMessage message = messages_.front();
        messages_.pop_front();
        return message;
    }

  private:
    std::mutex mutex_;
    std::deque<PostedMessage> messages_;
};

class SurfaceForwarder : public MessageSink {
  public:
    SurfaceForwarder(TestQueue& queue, int index) : queue_(queue), index_(index) {}
    void Post(const PostedMessage& message) override {
        queue_.Post({message.id == AppMessage::kPlayerReady ? AppMessage::kSurfacePlayerReady
                                                            : AppMessage::kSurfacePlayerEnded,
                     message.wparam, index_});
    }

  private:
    TestQueue& queue_;
    int index_;
};

// A frame target that keeps the code of the last picture.
class CodeTarget : public playback::FrameTarget {
  public:
    playback::VideoRect ClientRect() const override { return {0, 0, 640, 360}; }
    void PresentFrame(const playback::SharedFrame& frame, const playback::VideoRect&,
                      bool) override {
        std::lock_guard lock(mutex_);
        ++presented_;
        last_ = frame != nullptr ? samplecard::ReadFrameIndexPacked32(frame->pixels, frame->width,
                                                                      frame->height, frame->stride)
                                       .value_or(-1)
                                 : -1;
    }
    int last() const {
        std::lock_guard lock(mutex_);
        return last_;
    }
    std::int64_t presented() const {
        std::lock_guard lock(mutex_);
        return presented_;
    }

  private:
    mutable std::mutex mutex_;
    int last_ = -2;
    std::int64_t presented_ = 0;
};

class FakeView : public ViewerView {
  public:
    explicit FakeView(TestQueue& queue) : forwarders{{queue, 0}, {queue, 1}} {}
    playback::VideoWindow SurfaceWindow(int index) override {
        return {&targets[index], &forwarders[index]};
    }
    void PlaceSurfaces(int, int) override {}
    void SetZoomMode(bool) override {}
    void SetMirror(int, bool) override {}
    QRect SurfaceClient(int) const override { return {0, 0, 320, 180}; }
    void ShowFullWindow(bool, int) override {}
    void SetPlayButton(bool on) override { playing_button = on; }
    void ShowPosition(int frame, int frames) override { position = {frame, frames}; }
    void RepaintSurfaces() override {}
    void ShowError(int text_id) override { errors.push_back(text_id); }
    void Maximise(bool) override {}
    void Minimise() override {}
    void CloseWindow() override {}

    CodeTarget targets[2];
    SurfaceForwarder forwarders[2];
    std::vector<int> errors;
    std::pair<int, int> position{-1, -1};
    bool playing_button = false;
};

// The list window: groups of recordings as tree nodes, the first selected.
class FakeList : public ListWindowPort {
  public:
    explicit FakeList(MessageSink& sink) : sink_(sink) {}
    bool OpenSource(const std::string&, catalogue::SourceKind) override { return true; }
    bool RestoreLastSource() override { return false; }
    void ClearSource() override {
        ++cleared;
        nodes.clear();
        node = 0;
        empty_.clear();
    }
    const catalogue::RecordingList& Records() const override {
        return nodes.empty() ? empty_ : nodes[node];
    }
    catalogue::RecordingList CollectSourceRecords() override { return Records(); }
    void SelectRecording(int index, bool) override { selected.push_back(index); }
    bool HasNextNode() const override { return node + 1 < nodes.size(); }
    bool SelectNextNode() override {
        if (!HasNextNode()) {
            return false;
        }
        ++node;
        sink_.Post({AppMessage::kTreeNodeChosen, 0, 0});
        return true;
    }
    void SetTriggerFilter(int filter, bool on) override { filters[filter] = on; }
    bool TriggerFilter(int filter) const override { return filters[filter]; }
    int SourceKind() const override { return 1; }
    std::string SourcePath() const override { return source_path; }
    bool ClearingTree() const override { return false; }

    std::vector<catalogue::RecordingList> nodes;
    std::size_t node = 0;
    std::vector<int> selected;
    bool filters[7] = {true, true, true, true, true, true, true};
    int cleared = 0;
    std::string source_path;

  private:
    MessageSink& sink_;
    catalogue::RecordingList empty_;
};

class FakeViews : public RecordingViews {
  public:
    void StartRecording(playback::PlayerPair&, const catalogue::RecordingEntry& entry,
                        int) override {
        started.push_back(entry.primary_name());
    }
    void ShowPosition(playback::PlayerPair&, std::int64_t frame) override { shown = frame; }
    void Reset() override { ++resets; }
    void RebuildMarks(playback::PlayerPair&, int) override {}
    std::optional<std::int64_t> MarkJumpTarget(std::int64_t shown_frame, bool forward,
                                               std::int64_t) override {
        asked.emplace_back(shown_frame, forward);
        return jump;
    }
    void ShowStill(const catalogue::RecordingEntry&) override {}
    void MapStop() override { ++map_stops; }
    void MoveMapMarker() override {}
    void SetVoltageTrace(bool on) override { voltage_trace = on; }

    std::vector<std::string> started;
    std::vector<std::pair<std::int64_t, bool>> asked;
    std::optional<std::int64_t> jump;
    std::int64_t shown = -1;
    int resets = 0;
    int map_stops = 0;
    bool voltage_trace = false;
};

class FakeWindow : public MainWindowPort {
  public:
    void SetWaitCursor(bool on) override { waiting = on; }
    void SetPositionSliderEnabled(bool on) override { slider_enabled = on; }
    void EndSliderCapture() override {}
    void CloseMenus() override {}
    void RaiseMovieWindow() override {}
    void ShowSpeed(playback::SpeedCode) override {}
    void RefreshButtons() override {}
    void SetMapDisplay(bool, bool) override {}
    std::optional<std::string> ChooseSource() override { return std::nullopt; }
    bool ProgramFileExists() const override { return program_exists; }
    void Quit() override { quit = true; }

    bool waiting = false;
    bool slider_enabled = true;
    bool program_exists = true;
    bool quit = false;
};

// Timers on a clock the test advances; expired timers run in time order.
class FakeTimers : public ControllerTimers {
  public:
    void Start(int id, int period_ms, bool single_shot) override {
        timers_[id] = {now_ + period_ms, period_ms, single_shot};
    }
    void Kill(int id) override { timers_.erase(id); }
    bool Running(int id) const { return timers_.count(id) != 0; }
    void Advance(MainController& controller, int ms) {
        const std::int64_t end = now_ + ms;
        for (;;) {
            auto next = timers_.end();
            for (auto it = timers_.begin(); it != timers_.end(); ++it) {
                if (it->second.due <= end &&
                    (next == timers_.end() || it->second.due < next->second.due)) {
                    next = it;
                }
            }
            if (next == timers_.end()) {
                break;
            }
            now_ = next->second.due;
            const int id = next->first;
            if (next->second.single_shot) {
                timers_.erase(next);
            } else {
                next->second.due += next->second.period;
            }
            controller.OnTimer(id);
        }
        now_ = end;
    }

  private:
    struct Timer {
        std::int64_t due = 0;
        int period = 0;
        bool single_shot = true;
    };
    std::map<int, Timer> timers_;
    std::int64_t now_ = 0;
};

class RecordingBoxes : public base::MessageBoxes {
  public:
    int Show(std::string_view text, std::string_view, base::MessageStyle) override {
        shown.emplace_back(text);
        return 0;
    }
    std::vector<std::string> shown;
};

class FixedPicker : public base::FolderPicker {
  public:
    std::string PickFolder(std::string_view, std::string_view, std::string_view) override {
        return "/nowhere";
    }
};

// Delivers the queued notifications to the controller until done() or the timeout (real
// time); false on the timeout.
template <class Done>
bool PumpUntil(TestQueue& queue, MainController& controller, Done done,
               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (auto message = queue.Take()) {
            controller.OnMessage(*message);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

}  // namespace ardelle::app::fakes
