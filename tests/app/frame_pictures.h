#pragma once

#include <QImage>
#include <memory>
#include <optional>
#include <vector>

#include "playback/frame_target.h"
#include "sample_card/frame_code.h"

namespace ardelle::app::testing {

// A grey BGRx frame carrying the frame code of index, as the presenter hands them over.
inline playback::SharedFrame CodedFrame(int index, int width = 320, int height = 180) {
    struct Owned {
        std::vector<std::uint8_t> bytes;
        playback::VideoFrame frame;
    };
    auto owned = std::make_shared<Owned>();
    std::vector<std::uint8_t> luma(static_cast<std::size_t>(width * height), 128);
    samplecard::DrawFrameIndex(luma.data(), width, height, width, index);
    owned->bytes.resize(luma.size() * 4);
    for (std::size_t i = 0; i < luma.size(); ++i) {
        owned->bytes[i * 4] = owned->bytes[i * 4 + 1] = owned->bytes[i * 4 + 2] = luma[i];
        owned->bytes[i * 4 + 3] = 255;
    }
    owned->frame = {width, height, width * 4, owned->bytes.data(), 0, 33333333};
    return {owned, &owned->frame};
}

// The frame code of a picture on screen: the picture's rectangle brought back to a width
// the code's cells divide (the screen shows it scaled), then read.
inline std::optional<int> ReadCodeOf(const QImage& screen, const QRect& picture,
                                     bool mirrored = false) {
    if (picture.isEmpty()) {
        return std::nullopt;
    }
    QImage part = screen.copy(picture).convertToFormat(QImage::Format_RGB32);
    if (mirrored) {
        part = part.mirrored(true, false);
    }
    part = part.scaled(samplecard::kCodeCells * 10, 180, Qt::IgnoreAspectRatio,
                       Qt::SmoothTransformation);
    return samplecard::ReadFrameIndexPacked32(part.constBits(), part.width(), part.height(),
                                              static_cast<int>(part.bytesPerLine()));
}

}  // namespace ardelle::app::testing
