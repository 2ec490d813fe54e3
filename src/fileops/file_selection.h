#pragma once

#include <optional>

#include "catalogue/recording_entry.h"

namespace ardelle::fileops {

// What a file operation works on, chosen by the user.
enum class SelectMode { kDelete = 0, kDownload = 1, kJoin = 2 };

// The dialog in which the user ticks the recordings of a delete, download or join. The
// browser's file-selection dialog implements it; tests answer it with a script.
class FileSelection {
  public:
    virtual ~FileSelection() = default;
    // node_records: the recordings of the selected tree node; source_records: those of the
    // whole source (empty in join mode); still_list: the rows are stills. The ticked
    // recordings in list order, or nothing when the user cancelled.
    virtual std::optional<catalogue::RecordingList> Choose(
        SelectMode mode, const catalogue::RecordingList& node_records,
        const catalogue::RecordingList& source_records, bool still_list) = 0;
};

}  // namespace ardelle::fileops
