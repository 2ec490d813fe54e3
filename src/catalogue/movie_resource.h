#pragma once

#include <functional>
#include <memory>
#include <string>

#include "catalogue/recording_entry.h"
#include "catalogue/source_tree.h"

namespace ardelle {
class MessageSink;
}

namespace ardelle::catalogue {

class FolderVisits;
class SourceWatcher;
struct ScanRules;

// Whether the players can open a movie file; scans list only movies it accepts.
using MovieAcceptance = std::function<bool(const std::string& path)>;
bool AcceptEveryMovie(const std::string& path);

// Where the results of a source scan go.
struct ScanOutput {
    SourceTree& tree;
    RecordingList& entries;  // the recordings found
    RecordingList& nodes;    // one bare entry per tree node's folder or group
    int* count = nullptr;    // every accepted recording, also beyond the list's limit
    // The folders the scan has entered; a scan that starts without one keeps its own.
    FolderVisits* visits = nullptr;
};

// What the classification of a folder says.
enum FolderClass { kPlainFolder = 0, kRecordingFolder = 1, kUnlistableFolder = 2 };

// Turns a source - a card, a folder or one file - into source-tree nodes and the list of
// recordings, for movies and for still pictures alike. One per list window; it also owns
// the watcher that notices when the opened source disappears.
class CMovieResource {
  public:
    explicit CMovieResource(MessageSink* owner, MovieAcceptance accept = AcceptEveryMovie);
    ~CMovieResource();
    CMovieResource(const CMovieResource&) = delete;
    CMovieResource& operator=(const CMovieResource&) = delete;

    // The players' answer whether they can open the movie.
    bool AcceptsMovie(const std::string& path) const { return !accept_ || accept_(path); }

    bool MovieTriggerMask(const std::string& folder, int& mask) const;
    bool AddMovieEntry(const std::string& front_path, const std::string& rear_path,
                       RecordingList& entries) const;
    FolderClass ClassifyMovieFolder(const std::string& folder, FoundFileList& found) const;
    // Opens path as a folder to scan, a recording folder, or a folder + group label.
    bool OpenMovieSource(const std::string& path, std::string* effective_folder,
                         const ScanOutput& out, int parent, bool card_flag, int depth) const;
    bool OpenMovieSourceSimple(const std::string& path, const ScanOutput& out, int parent,
                               bool card_flag, int depth) const;
    bool AddMovieFile(const std::string& path, RecordingList& entries) const;
    // Every movie below folder, folders first, each subfolder's results in kind order.
    bool CollectMovies(const std::string& folder, RecordingList& entries, int& count,
                       int depth) const;

    bool StillTriggerMask(const std::string& folder, int& mask) const;
    bool AddStillEntry(const std::string& front_path, const std::string& rear_path,
                       RecordingList& entries) const;
    FolderClass ClassifyStillFolder(const std::string& folder, FoundFileList& found,
                                    bool card_flag) const;
    bool OpenStillSource(const std::string& path, std::string* effective_folder,
                         const ScanOutput& out, int parent, bool card_flag, int depth) const;
    bool OpenStillSourceSimple(const std::string& path, const ScanOutput& out, int parent,
                               bool card_flag, int depth) const;
    bool AddStillFile(const std::string& path, RecordingList& entries) const;
    bool CollectStills(const std::string& folder, RecordingList& entries, int& count, int depth,
                       bool stills_only) const;

    // The source the watcher looks after; posting kSourceVanished once when it goes.
    void WatchSource(const std::string& path);
    bool source_lost() const;

  private:
    MovieAcceptance accept_;
    std::unique_ptr<ScanRules> movie_rules_;
    std::unique_ptr<ScanRules> still_rules_;
    std::unique_ptr<SourceWatcher> watcher_;
};

// The card flag of the last tree scan, process-wide.
bool LastScanCardFlag();

}  // namespace ardelle::catalogue
