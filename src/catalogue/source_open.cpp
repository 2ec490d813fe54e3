#include "catalogue/source_open.h"

#include "catalogue/card_layout.h"
#include "catalogue/folder_listing.h"
#include "catalogue/recording_names.h"
#include "platform/files.h"

namespace ardelle::catalogue {
namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool OpenFolderScan(const CMovieResource& resource, const std::string& path, bool stills,
                    const ScanOutput& out, int parent, bool card) {
    return stills ? resource.OpenStillSourceSimple(path, out, parent, card, 0)
                  : resource.OpenMovieSourceSimple(path, out, parent, card, 0);
}

}  // namespace

SourceKind DetectSourceKind(const std::string& path) {
    if (HasCardLayout(path)) {
        return SourceKind::kCard;
    }
    return platform::IsDirectory(path) ? SourceKind::kFolder : SourceKind::kFile;
}

OpenedSource OpenSourceForList(const CMovieResource& resource, const std::string& path,
                               SourceKind kind, bool stills) {
    OpenedSource source;
    source.kind = kind;
    ResetSequenceCounters();
    const ScanOutput out{source.tree, source.entries, source.nodes, &source.count};
    if (kind == SourceKind::kFile) {
        source.opened =
            stills ? resource.AddStillFile(path, source.entries)
                   : resource.AcceptsMovie(path) && resource.AddMovieFile(path, source.entries);
        source.count = static_cast<int>(source.entries.size());
        return source;
    }
    const std::string folder = WithoutTrailingSlash(path);
    SetGroupLimit(GroupLimitFor(folder));
    if (kind == SourceKind::kCard) {
        source.opened = OpenFolderScan(resource, folder, stills, out, kTreeRoot, true);
    } else {
        const int top = source.tree.Insert(kTreeRoot, std::string(FileNameOf(folder)));
        source.opened = OpenFolderScan(resource, folder, stills, out, top, false);
    }
    if (!stills) {
        SortEntriesByKind(source.entries);
    }
    return source;
}

RecordingList OpenGroupForList(const CMovieResource& resource, const std::string& folder,
                               const std::string& label, bool card, bool stills, int* count) {
    SourceTree tree;
    RecordingList entries;
    RecordingList nodes;
    const ScanOutput out{tree, entries, nodes, count};
    OpenFolderScan(resource, JoinPath(WithoutTrailingSlash(folder), label), stills, out, kTreeRoot,
                   card);
    if (!stills) {
        SortEntriesByKind(entries);
    }
    return entries;
}

}  // namespace ardelle::catalogue
