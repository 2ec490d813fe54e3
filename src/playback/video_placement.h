#pragma once

#include <optional>

#include "playback/player_types.h"

namespace ardelle::playback {

// The picture grown by the zoom factor around the zoom centre, which stays in place on the
// screen, then moved by the pan offset. Nothing for a zoom factor of 0, an empty client
// area, or a rectangle that would turn inside out.
std::optional<VideoRect> ZoomRectangle(const VideoRect& client, const ZoomSpec& zoom);

// The largest rectangle of the video's aspect ratio inside zoomed, centred in it. Whether
// the height or the width is kept follows the client area's own shape. Nothing for a
// video without a size.
std::optional<VideoRect> AspectFit(const VideoRect& client, const VideoRect& zoomed,
                                   int video_width, int video_height);

// Where the picture goes for a display mode: the zoom rectangle, fitted to the video's
// aspect ratio in keep-aspect mode.
std::optional<VideoRect> PlaceVideo(const VideoRect& client, const ZoomSpec& zoom, DisplayMode mode,
                                    int video_width, int video_height);

}  // namespace ardelle::playback
