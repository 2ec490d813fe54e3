#include "catalogue/movie_resource.h"

#include "catalogue/source_scan.h"
#include "catalogue/source_watcher.h"

namespace ardelle::catalogue {

CMovieResource::CMovieResource(MessageSink* owner, MovieAcceptance accept)
    : accept_(std::move(accept)),
      movie_rules_(std::make_unique<ScanRules>(MovieScanRules(accept_))),
      still_rules_(std::make_unique<ScanRules>(StillScanRules())),
      watcher_(std::make_unique<SourceWatcher>(owner)) {}

CMovieResource::~CMovieResource() = default;

bool CMovieResource::MovieTriggerMask(const std::string& folder, int& mask) const {
    return TriggerMask(*movie_rules_, folder, mask);
}

bool CMovieResource::AddMovieEntry(const std::string& front_path, const std::string& rear_path,
                                   RecordingList& entries) const {
    return catalogue::AddMovieEntry(front_path, rear_path, entries);
}

FolderClass CMovieResource::ClassifyMovieFolder(const std::string& folder,
                                                FoundFileList& found) const {
    return ClassifyFolder(*movie_rules_, folder, found, false);
}

bool CMovieResource::OpenMovieSource(const std::string& path, std::string* effective_folder,
                                     const ScanOutput& out, int parent, bool card_flag,
                                     int depth) const {
    return OpenSource(*movie_rules_, path, effective_folder, out, parent, card_flag, depth);
}

bool CMovieResource::OpenMovieSourceSimple(const std::string& path, const ScanOutput& out,
                                           int parent, bool card_flag, int depth) const {
    return OpenSource(*movie_rules_, path, nullptr, out, parent, card_flag, depth);
}

bool CMovieResource::AddMovieFile(const std::string& path, RecordingList& entries) const {
    return AddFile(*movie_rules_, path, entries);
}

bool CMovieResource::CollectMovies(const std::string& folder, RecordingList& entries, int& count,
                                   int depth) const {
    return Collect(*movie_rules_, folder, entries, count, depth);
}

bool CMovieResource::StillTriggerMask(const std::string& folder, int& mask) const {
    return TriggerMask(*still_rules_, folder, mask);
}

bool CMovieResource::AddStillEntry(const std::string& front_path, const std::string& rear_path,
                                   RecordingList& entries) const {
    return catalogue::AddStillEntry(front_path, rear_path, entries);
}

FolderClass CMovieResource::ClassifyStillFolder(const std::string& folder, FoundFileList& found,
                                                bool card_flag) const {
    return ClassifyFolder(*still_rules_, folder, found, card_flag);
}

bool CMovieResource::OpenStillSource(const std::string& path, std::string* effective_folder,
                                     const ScanOutput& out, int parent, bool card_flag,
                                     int depth) const {
    return OpenSource(*still_rules_, path, effective_folder, out, parent, card_flag, depth);
}

bool CMovieResource::OpenStillSourceSimple(const std::string& path, const ScanOutput& out,
                                           int parent, bool card_flag, int depth) const {
    return OpenSource(*still_rules_, path, nullptr, out, parent, card_flag, depth);
}

bool CMovieResource::AddStillFile(const std::string& path, RecordingList& entries) const {
    return AddFile(*still_rules_, path, entries);
}

bool CMovieResource::CollectStills(const std::string& folder, RecordingList& entries, int& count,
                                   int depth, bool /*stills_only*/) const {
    // Without stills_only every file is tried, but only still names pair, so both
    // settings collect the same pictures.
    return Collect(*still_rules_, folder, entries, count, depth);
}

void CMovieResource::WatchSource(const std::string& path) {
    watcher_->SetSource(path);
}

bool CMovieResource::source_lost() const {
    return watcher_->lost();
}

}  // namespace ardelle::catalogue
