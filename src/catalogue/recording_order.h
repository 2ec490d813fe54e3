#pragma once

#include <array>

#include "catalogue/recording_entry.h"

namespace ardelle::catalogue {

// The orders in which scans and lists are sorted. String keys compare UTF-16 code units,
// ordinal and case-sensitive. Entries with equal keys keep their relative order.

// Ascending by full path.
void SortFoundByPath(FoundFileList& files);
// Folders first, then files, each part by full path.
void SortFoundFoldersFirst(FoundFileList& files);
// Names that are movie names first, then the rest; each part by the running number.
void SortFoundMoviesFirst(FoundFileList& files);
// Names that are still names first, then the rest; each part by date, shot and picture.
void SortFoundStillsFirst(FoundFileList& files);
// Normal recordings, then parking recordings, then anything else; each by running number.
void SortEntriesByKind(RecordingList& entries);

// The seven trigger switches of the list window, in their order: continuous, shock,
// manual, approaching from behind, parking, parking shock, speed camera.
using TriggerSwitches = std::array<int, 7>;
inline constexpr TriggerSwitches kAllTriggersOn{1, 1, 1, 1, 1, 1, 1};

bool PassesMovieFilter(const RecordingEntry& entry, const TriggerSwitches& switches);
bool PassesStillFilter(const RecordingEntry& entry, const TriggerSwitches& switches);
RecordingList FilterMovies(const RecordingList& entries, const TriggerSwitches& switches);
RecordingList FilterStills(const RecordingList& entries, const TriggerSwitches& switches);

}  // namespace ardelle::catalogue
