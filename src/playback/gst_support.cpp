#include "playback/gst_support.h"

#include <mutex>

#include "playback/frame_allocator.h"

namespace ardelle::playback::gst {

bool EnsureInitialised() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        GError* error = nullptr;
        started = gst_init_check(nullptr, nullptr, &error) == TRUE;
        g_clear_error(&error);
        if (started) {
            InstallFrameAllocator();
        }
    });
    return started;
}

GstElement* MakeElement(const char* factory, const char* name) {
    return gst_element_factory_make(factory, name);
}

GstBin* AsBin(GstElement* element) {
    return GST_BIN(element);
}

std::string FileUri(const std::string& path) {
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &error);
    g_clear_error(&error);
    if (uri == nullptr) {
        return {};
    }
    std::string text = uri;
    g_free(uri);
    return text;
}

}  // namespace ardelle::playback::gst
