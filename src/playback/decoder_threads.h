#pragma once

namespace ardelle::playback {

// Coded frames of about this size and more decode faster with frame threads. Below it a frame
// decodes in a millisecond or two, and handing frames between threads costs more than it
// gains: after a seek a frame-threaded decoder gives out frame n only once it has started on
// the frames after it. (Measured on 1080p H.264: 4.7 KB a frame scrubs in 42 ms alone and
// 57 ms threaded; 53 KB a frame in 164 ms alone and 132 ms threaded.)
constexpr double kThreadedFrameBytes = 20'000;

// The decoder threads for a video stream whose coded frames average coded_bytes_per_frame:
// 1 to decode alone, 0 for one thread per processor. Unknown sizes (0 or less) are taken as
// heavy, the safer side for playing at speed.
int DecoderThreadsFor(double coded_bytes_per_frame);

}  // namespace ardelle::playback
