#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/local_time.h"

namespace ardelle::catalogue {

// What a recorder file name says about its recording. The recorder puts the trigger,
// date, time, running number and camera into the names; the viewer never opens a file
// to learn them. Paths use '/'; tests look at the file-name part only.

// The file-name part of a path (after the last '/').
std::string_view FileNameOf(std::string_view path);

bool IsMovieName(std::string_view path);
bool IsFrontMovieName(std::string_view path);
bool IsRearMovieName(std::string_view path);

bool IsStillName(std::string_view path);
bool IsFrontStillName(std::string_view path);
bool IsRearStillName(std::string_view path);

// The extension, without regard to case, is ".MP4" and ends the path.
bool IsMp4Path(std::string_view path);

// 0 continuous, 1 shock, 2 manual, 3 approaching from behind, 4 parking, 5 parking
// shock, 6 speed camera, -1 not a recording.
int TriggerClassOf(std::string_view path);
inline bool IsParkingClass(int trigger_class) {
    return trigger_class == 4 || trigger_class == 5;
}

// The shared classification of the second trigger character: 'D' 3, 'G' 5, 'M' 4,
// '_' 1, anything else 0.
int SecondCharKind(std::string_view name);

// The trigger bits of a name, OR-ed into flags (movies and stills).
void AddTriggerFlags(std::string_view path, int& flags);
void AddStillTriggerFlags(std::string_view path, int& flags);

// The trigger text of a movie name as the CSV export shows it; empty for short names.
std::string TriggerLabelOf(std::string_view path);

// The local date-time written in a movie name, normalised by the local-time
// conversion; 1970-01-01 00:00:00 when that fails.
platform::CalendarTime MovieDateTime(std::string_view name);

// The path of the partner file: the folder that directly holds the file is renamed when
// it is find_folder, and find_suffix is replaced in the file name.
std::string PartnerPath(std::string_view path, std::string_view find_folder,
                        std::string_view replace_folder, std::string_view find_suffix,
                        std::string_view replace_suffix);

struct PathPair {
    std::string front;
    std::string rear;
    friend bool operator==(const PathPair&, const PathPair&) = default;
};

// Front and rear paths of the recording a movie (or still) file belongs to; the partner
// need not exist. Nothing when the name is not a front or rear name.
std::optional<PathPair> PairOf(std::string_view path);
std::optional<PathPair> PairOfStill(std::string_view path);

}  // namespace ardelle::catalogue
