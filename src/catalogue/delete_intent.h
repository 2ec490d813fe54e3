#pragma once

#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/file_lock.h"

namespace ardelle::catalogue {

// One rename of a deletion: a recording file to its hidden placeholder name.
struct HidingMove {
    std::string from;
    std::string to;
};

// The record of a card deletion in progress. The renames of one recording cannot be made
// atomic together, so the record ".ardelle-delete" is written (and flushed) into the folder
// that holds the recording's camera folders before the first rename, held locked while
// the renames run and removed once they are all done or all undone. A record left by a
// killed delete is finished or undone by the next scan or delete of that folder.
class DeleteIntent {
  public:
    // Writes the record for moves; false with error when another delete holds the folder
    // or the record cannot be written. Nothing has been renamed then.
    bool Begin(const std::vector<HidingMove>& moves, platform::HidingMethod method,
               std::string* error);
    // The moves are all done or all undone: the record goes.
    void End() { record_.Remove(); }

  private:
    platform::HeldRecord record_;
};

// Finishes or undoes what a killed delete left in the folder path (or, for a group's
// pseudo-path, in its folder; for a camera folder, in the folder above it too, where the
// record lies), so that every recording there is whole or
// deleted again; removes stale temporaries of the ".hidden" lists of the folder and its
// camera folders too.
void FinishInterruptedDeletes(const std::string& path);

}  // namespace ardelle::catalogue
