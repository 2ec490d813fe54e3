#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/mp4_join.h"
#include "support/run_command.h"
#include "telemetry/mp4_tree.h"

namespace ardelle::testing {

// The number of video frames ffprobe decodes; -1 when it cannot read the file.
inline int FrameCount(const std::string& path) {
    const auto probe = RunCommand(
        "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
        "stream=nb_read_frames -of csv=p=0 " +
        ShellQuoted(path));
    return probe.exit_code == 0 ? std::atoi(probe.output.c_str()) : -1;
}

// The telemetry records a recording carries (without the block's padding).
inline std::vector<std::uint8_t> TelemetryRecordsOf(const std::string& path) {
    const auto tree = telemetry::ReadTree(path, false, telemetry::TelemetryCarry::kFrontRecording);
    return tree && tree->telemetry ? fileops::RealTelemetryRecords(*tree->telemetry)
                                   : std::vector<std::uint8_t>{};
}

}  // namespace ardelle::testing
