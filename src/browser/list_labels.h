#pragma once

#include <string>
#include <string_view>

#include "catalogue/recording_entry.h"

namespace ardelle::browser {

// The characters of the file-name part of name from start up to, not including, the first
// stop character or the end; at most 259 characters.
std::string TextUntil(std::string_view name, char stop, std::size_t start);

// The row text of a movie: "A___-101500-000123" for A___-230415-101500-000123F.MP4, the
// name up to its first '.' for anything that is not a recorder movie name.
std::string MovieListLabel(std::string_view name);

// The row text of a still: trigger, trailer time and shot numbers ("G_-101500-001-002").
std::string StillListLabel(const catalogue::RecordingEntry& entry);

// The row text of a record in a list of movies (stills false) or stills.
std::string ListLabel(const catalogue::RecordingEntry& entry, bool stills);

// The trigger class of the record's primary file (front, else rear).
int RowTriggerClass(const catalogue::RecordingEntry& entry);

// Rows of classes 1 (shock) and 5 (parking shock) stand out.
inline bool IsEventClass(int trigger_class) {
    return trigger_class == 1 || trigger_class == 5;
}

}  // namespace ardelle::browser
