#include "playback/jpeg_writer.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// Plain C state only between setjmp and longjmp, so that no destructor is skipped; a mirrored
// frame is flipped row by row into flip_row, which the caller owns.
bool Compress(const VideoFrame& frame, std::uint8_t* flip_row, int quality, unsigned char** out,
              unsigned long* size) {
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
    info.image_width = static_cast<JDIMENSION>(frame.width);
    info.image_height = static_cast<JDIMENSION>(frame.height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* source =
            frame.pixels + static_cast<std::ptrdiff_t>(info.next_scanline) * frame.stride;
        if (flip_row != nullptr) {
            for (int x = 0; x < frame.width; ++x) {
                std::memcpy(flip_row + static_cast<std::size_t>(x) * 4,
                            source + static_cast<std::size_t>(frame.width - 1 - x) * 4, 4);
            }
            source = flip_row;
        }
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(source);
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
    VideoFrame view;
    view.width = image.width;
    view.height = image.height;
    view.stride = image.width * 4;
    view.pixels = image.pixels.data();
    return EncodeJpeg(view, false, quality);
}

std::optional<std::string> EncodeJpeg(const VideoFrame& frame, bool mirrored, int quality) {
    if (frame.width <= 0 || frame.height <= 0 || frame.pixels == nullptr ||
        frame.stride < frame.width * 4) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> flip_row(mirrored ? static_cast<std::size_t>(frame.width) * 4 : 0);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    const bool compressed =
        Compress(frame, mirrored ? flip_row.data() : nullptr, quality, &bytes, &size);
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

bool SaveJpeg(const VideoFrame& frame, bool mirrored, const std::string& path, int quality) {
    const std::optional<std::string> encoded = EncodeJpeg(frame, mirrored, quality);
    return encoded && platform::WriteFileAtomically(path, *encoded);
}

}  // namespace ardelle::playback
