#include "playback/jpeg_writer.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstdlib>

#include "platform/files.h"

namespace ardelle::playback {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
};

[[noreturn]] void EscapeOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->escape, 1);
}

// Plain C state only between setjmp and longjmp, so that no destructor is skipped.
bool Compress(const VideoImage& image, int quality, unsigned char** out, unsigned long* size) {
    jpeg_compress_struct info{};
    ErrorTrap trap{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = EscapeOnError;
    if (setjmp(trap.escape) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 4;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() + info.next_scanline * row_bytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::optional<std::string> EncodeJpeg(const VideoImage& image, int quality) {
    const std::size_t expected =
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != expected) {
        return std::nullopt;
    }
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    const bool compressed = Compress(image, quality, &bytes, &size);
    std::optional<std::string> encoded;
    if (compressed && bytes != nullptr) {
        encoded.emplace(reinterpret_cast<const char*>(bytes), size);
    }
    std::free(bytes);
    return encoded;
}

bool SaveJpeg(const VideoImage& image, const std::string& path, int quality) {
    const std::optional<std::string> encoded = EncodeJpeg(image, quality);
    return encoded && platform::WriteFileAtomically(path, *encoded);
}

}  // namespace ardelle::playback
