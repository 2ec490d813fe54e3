#pragma once

#include <cstdint>

namespace ardelle {

// The notifications that workers and windows post to the main window. The numbers are
// the recorder viewer's historical message numbers; handlers and tests rely on them.
enum class AppMessage : std::uint32_t {
    kGraphEvent = 0x8004,
    kProgress = 0x8008,  // wparam done, lparam total
    kFloatingWindowMoved = 0x8009,
    kSliderMoving = 0x8065,
    kSliderButtonDown = 0x8066,
    kSliderButtonUp = 0x8067,
    kMapReady = 0x812D,
    kMapPointChosen = 0x812E,
    kGraphPreviousMark = 0x8191,
    kGraphNextMark = 0x8192,
    kSettingsSwitch = 0x81F5,
    kInfoPanelAxisSwitch = 0x82BD,
    kSurfaceContextMenu = 0x825C,
    kSurfacePlayerEnded = 0x8260,
    kSurfacePlayerReady = 0x8261,
    kPlayerEnded = 0x83EA,
    kPlayerReady = 0x83EB,
    kTreeNodeChosen = 0x8456,
    kSourceVanished = 0x84B1,
    kTelemetryRead = 0x8515,
    kOperationEnded = 0x8516,
    kDeleteCompleted = 0x8517,
    kJoinCompleted = 0x8518,
    kCsvCompleted = 0x8519,
    kAfterInitialisation = 0x851A,
    kTaskbarNotification = 0x851B,
    kDownloadCompleted = 0x851C,
    kWorkerQuestion = 0x851D,  // wparam: the number of a worker's waiting message box
    kMovieWindowPainted = 0x876D,
    kMovieWindowClosed = 0x876E,
    kFloatingWindowsReset = 0x876F,
    kFloatingWindowResized = 0x8770,
    kUpdateNotice = 0x87D1,
};

// One posted notification: plain values only, never pointers into the sender.
struct PostedMessage {
    AppMessage id{};
    std::int64_t wparam = 0;
    std::int64_t lparam = 0;

    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

// Where workers post their notifications. Post may be called from any thread; the
// receiver delivers the message on its own thread later (the UI queues it as an event).
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void Post(const PostedMessage& message) = 0;
};

}  // namespace ardelle
