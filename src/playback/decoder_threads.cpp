#include "playback/decoder_threads.h"

namespace ardelle::playback {

int DecoderThreadsFor(double coded_bytes_per_frame) {
    if (coded_bytes_per_frame > 0 && coded_bytes_per_frame < kThreadedFrameBytes) {
        return 1;
    }
    return 0;
}

}  // namespace ardelle::playback
