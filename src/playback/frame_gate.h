#pragma once

#include <cstdint>

namespace ardelle::playback {

// Decides which decoded frames of the video sink reach the screen. While the clock runs every
// frame passes as its time comes. After a single-frame seek exactly one frame passes, the one
// that belongs to that seek; then the gate holds until the next start or seek. A frame that a
// paused sink keeps waiting for the clock is not shown early.
class FrameGate {
  public:
    // How a frame reaches the presenter.
    enum class Arrival {
        kPreroll,  // a paused sink received it (after a seek, or waiting after a pause)
        kClocked,  // the running sink hands it over at its presentation time
    };

    // Playback starts: armed, no single frame, no hold.
    void SetRunning();
    // A single-frame seek was sent with this sequence number (0: any segment).
    void SetSingleFrame(std::uint32_t seek_seqnum);
    // The session stopped: neither single frame nor hold.
    void ClearSingleFrame();
    // The clock started or restarted: when armed, the next frame may pass.
    void ClockStarted();

    // Whether the frame is shown. first_of_segment: no frame of its segment came before;
    // segment_seqnum: the sequence number of the seek that made its segment.
    bool Admit(Arrival arrival, bool first_of_segment, std::uint32_t segment_seqnum);

    bool armed() const { return armed_; }
    bool one_frame() const { return one_frame_; }
    bool hold() const { return hold_; }

  private:
    bool armed_ = false;
    bool one_frame_ = false;
    bool hold_ = false;
    std::uint32_t expected_seqnum_ = 0;
};

}  // namespace ardelle::playback
