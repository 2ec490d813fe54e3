#pragma once

// GStreamer helpers shared by the media session, the presenter and the media detector.
// Only files of the playback engine include this header.
#include <gst/gst.h>

#include <memory>
#include <string>

namespace ardelle::playback::gst {

// Initialises GStreamer once per process; false when it cannot start.
bool EnsureInitialised();

// An owning reference to a bus message.
struct MessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
using MessageRef = std::unique_ptr<GstMessage, MessageUnref>;

// An element made from a factory, or nullptr when the plugin is missing.
GstElement* MakeElement(const char* factory, const char* name = nullptr);

// The element as a bin (callers know it is one).
GstBin* AsBin(GstElement* element);

// A file path as a file:// URI; empty when the path cannot be expressed as one.
std::string FileUri(const std::string& path);

// Nanoseconds and the recorder's 100-nanosecond media time.
inline gint64 MediaTimeToNs(std::int64_t time) {
    return static_cast<gint64>(time) * 100;
}
inline std::int64_t NsToMediaTime(gint64 ns) {
    return static_cast<std::int64_t>(ns / 100);
}

}  // namespace ardelle::playback::gst
