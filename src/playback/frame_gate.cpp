#include "playback/frame_gate.h"

namespace ardelle::playback {

void FrameGate::SetRunning() {
    armed_ = true;
    one_frame_ = false;
    hold_ = false;
    expected_seqnum_ = 0;
}

void FrameGate::SetSingleFrame(std::uint32_t seek_seqnum) {
    armed_ = true;
    one_frame_ = true;
    hold_ = false;
    expected_seqnum_ = seek_seqnum;
}

void FrameGate::ClearSingleFrame() {
    one_frame_ = false;
    hold_ = false;
    expected_seqnum_ = 0;
}

void FrameGate::ClockStarted() {
    if (armed_) {
        one_frame_ = true;
        hold_ = false;
        expected_seqnum_ = 0;
    }
}

bool FrameGate::Admit(Arrival arrival, bool first_of_segment, std::uint32_t segment_seqnum) {
    if (arrival == Arrival::kPreroll && !first_of_segment) {
        return false;  // kept by a paused sink; it is shown when the clock reaches it
    }
    if (arrival == Arrival::kClocked && armed_) {
        // The running sink released the previous frame, which makes room for one more.
        one_frame_ = true;
        hold_ = false;
    }
    if (hold_) {
        return false;
    }
    if (one_frame_) {
        if (expected_seqnum_ != 0 && segment_seqnum != expected_seqnum_) {
            return false;  // decoded for an earlier seek
        }
        one_frame_ = false;
        hold_ = true;
        expected_seqnum_ = 0;
    }
    return true;
}

}  // namespace ardelle::playback
