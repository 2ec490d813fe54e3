#pragma once

#include <string>

#include "catalogue/movie_resource.h"
#include "catalogue/recording_order.h"

namespace ardelle::catalogue {

// What the user opened: a recorder card, any folder, or one file.
enum class SourceKind { kCard = 1, kFolder = 2, kFile = 3 };

// A card when the path has the card layout, a folder when it is one, else a file.
SourceKind DetectSourceKind(const std::string& path);

// The tree and recordings of an opened source, as the list window holds them.
struct OpenedSource {
    SourceKind kind = SourceKind::kFolder;
    bool opened = false;
    int count = 0;  // every recording the scan accepted, also beyond the list's limit
    SourceTree tree;
    RecordingList entries;  // sorted
    RecordingList nodes;
};

// Opens a source the way the list window does: sequence counters reset, the group limit
// set from the volume, the scan run and the movie list sorted by kind.
OpenedSource OpenSourceForList(const CMovieResource& resource, const std::string& path,
                               SourceKind kind, bool stills);

// The recordings of one group: the scan of folder + '/' + label.
RecordingList OpenGroupForList(const CMovieResource& resource, const std::string& folder,
                               const std::string& label, bool card, bool stills, int* count);

}  // namespace ardelle::catalogue
