#pragma once

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sample_card/frame_code.h"

namespace ardelle::playback::testing {

// A decoded JPEG as 8-bit gray or 32-bit BGRx rows.
struct DecodedImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> pixels;
};

namespace detail {
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
};
[[noreturn]] inline void Escape(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->escape, 1);
}
inline bool Decompress(const std::string& bytes, bool gray, DecodedImage& image) {
    jpeg_decompress_struct info{};
    ErrorTrap trap{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = Escape;
    if (setjmp(trap.escape) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.channels = info.output_components;
    const std::size_t row = static_cast<std::size_t>(image.width * image.channels);
    image.pixels.resize(row * static_cast<std::size_t>(image.height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW target = image.pixels.data() + info.output_scanline * row;
        jpeg_read_scanlines(&info, &target, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}
}  // namespace detail

// The JPEG file decoded to gray (for the frame code) or BGRx; nothing when it is not one.
inline std::optional<DecodedImage> ReadJpeg(const std::string& path, bool gray) {
    const std::optional<std::string> bytes = platform::ReadWholeFile(path);
    DecodedImage image;
    if (!bytes || bytes->size() < 4 || !detail::Decompress(*bytes, gray, image)) {
        return std::nullopt;
    }
    return image;
}

// The frame code drawn into a saved picture; nothing when the file is no JPEG or the code
// cannot be read.
inline std::optional<int> IndexInJpeg(const std::string& path) {
    const std::optional<DecodedImage> image = ReadJpeg(path, true);
    if (!image) {
        return std::nullopt;
    }
    return samplecard::ReadFrameIndex(image->pixels.data(), image->width, image->height,
                                      image->width);
}

}  // namespace ardelle::playback::testing
