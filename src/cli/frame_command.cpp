// ardelle-cli frame: one frame of a recording saved as JPEG by a player instance, opened and
// positioned exactly as the viewer does it.
#include <chrono>
#include <cstdio>
#include <string>

#include "base/ui_text.h"
#include "cli/commands.h"
#include "playback/notification_queue.h"
#include "playback/player_ops.h"

namespace ardelle::cli {
namespace {

constexpr Command kFrameCommand = {"frame", "frame FILE --frame N --out X.jpg", RunFrame};

// How long the viewer waits for a player to report that its file is ready.
constexpr auto kReadyWatchdog = std::chrono::milliseconds(5000);
constexpr auto kReadyPoll = std::chrono::milliseconds(20);

constexpr int kTextOpenFailed = 96;
constexpr int kTextTooShort = 97;

struct FrameOptions {
    std::string path;
    std::string out;
    long long frame = -1;
};

// Nobody looks at the pictures; the client area is the picture's own size.
class OffscreenTarget : public playback::FrameTarget {
  public:
    playback::VideoRect ClientRect() const override { return {0, 0, 0, 0}; }
    void PresentFrame(const playback::SharedFrame&, const playback::VideoRect&, bool) override {}
};

bool ParseFrameNumber(const std::string& text, long long& frame) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 9) {
        return false;
    }
    frame = std::stoll(text);
    return true;
}

int ParseOptions(const Arguments& arguments, FrameOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        if (argument == "--frame" && has_value) {
            if (!ParseFrameNumber(arguments[++i], options.frame)) {
                return UsageError(kFrameCommand, "--frame needs a frame number");
            }
        } else if (argument == "--out" && has_value) {
            options.out = arguments[++i];
        } else if (argument.rfind("--", 0) == 0 || !options.path.empty()) {
            return UsageError(kFrameCommand, "unexpected argument " + argument);
        } else {
            options.path = argument;
        }
    }
    if (options.path.empty() || options.out.empty() || options.frame < 0) {
        return UsageError(kFrameCommand, "FILE, --frame and --out are needed");
    }
    return kExitOk;
}

int Fail(const std::string& path, const std::string& text) {
    std::fprintf(stderr, "ardelle-cli frame: %s: %s\n", path.c_str(), text.c_str());
    return kExitFailure;
}

// Waits for kPlayerReady as the viewer's watchdog does, but stops early when the session
// has already given up on the file.
bool WaitUntilReady(playback::NotificationQueue& notifications, playback::PlayerContext& player) {
    const auto deadline = std::chrono::steady_clock::now() + kReadyWatchdog;
    while (std::chrono::steady_clock::now() < deadline) {
        if (notifications.WaitFor(AppMessage::kPlayerReady, kReadyPoll)) {
            return true;
        }
        if (playback::SessionFailed(player)) {
            return false;
        }
    }
    return false;
}

int SaveFrame(const FrameOptions& options, playback::PlayerContext& player,
              playback::NotificationQueue& notifications) {
    const playback::PlayerOps& ops = playback::MediaSessionOps();
    const int opened = ops.OpenFile(player, options.path);
    if (opened == 2) {
        return Fail(options.path, base::UiString(kTextTooShort));
    }
    if (opened != 1 || !WaitUntilReady(notifications, player)) {
        return Fail(options.path, base::UiString(kTextOpenFailed));
    }
    const std::int64_t frames = ops.GetDurationFrames(player);
    if (options.frame >= frames) {
        return Fail(options.path, "frame " + std::to_string(options.frame) +
                                      " lies past the last frame (" + std::to_string(frames) +
                                      " frames)");
    }
    if (ops.SeekFrame(player, options.frame) == 0 || ops.SaveSnapshot(player, options.out) == 0) {
        return Fail(options.path, "the frame could not be saved to " + options.out);
    }
    return kExitOk;
}

}  // namespace

int RunFrame(const Arguments& arguments) {
    FrameOptions options;
    if (const int parsed = ParseOptions(arguments, options); parsed != kExitOk) {
        return parsed;
    }
    OffscreenTarget target;
    playback::NotificationQueue notifications;
    playback::PlayerContext player;
    const playback::PlayerOps& ops = playback::MediaSessionOps();
    ops.Init(player, {&target, &notifications});
    player.initialised = 1;
    const int result = SaveFrame(options, player, notifications);
    ops.CloseFile(player);
    ops.Uninit(player);
    return result;
}

}  // namespace ardelle::cli
