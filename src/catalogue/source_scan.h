#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/movie_resource.h"
#include "catalogue/recording_names.h"

namespace ardelle::catalogue {

// What differs between the movie scans and the still-picture scans.
struct ScanRules {
    bool stills = false;
    MovieAcceptance accept;                    // movies only
    std::string front_suffix;                  // "F.MP4" / "F.JPG"
    std::string rear_suffix;                   // "R.MP4" / "R.JPG"
    std::vector<std::string> skipped_folders;  // never given a tree node

    // A file the tree scan and the collection list as a recording.
    bool ListsFile(const std::string& path) const;
    // A file the group scan groups.
    bool GroupsFile(const std::string& path) const;
    // A listing entry that makes its folder a recording folder.
    bool MarksRecordingFolder(const FoundFile& file, bool card_flag) const;
    std::optional<PathPair> Pair(const std::string& path) const;
    bool AddEntry(const std::string& front, const std::string& rear, RecordingList& list) const;
    void AddFlags(const std::string& path, int& flags) const;
    void SortGroupListing(FoundFileList& files) const;
};

ScanRules MovieScanRules(MovieAcceptance accept);
ScanRules StillScanRules();

bool TriggerMask(const ScanRules& rules, const std::string& folder, int& mask);
FolderClass ClassifyFolder(const ScanRules& rules, const std::string& folder, FoundFileList& found,
                           bool card_flag);
bool OpenSource(const ScanRules& rules, const std::string& path, std::string* effective_folder,
                const ScanOutput& out, int parent, bool card_flag, int depth);
bool AddFile(const ScanRules& rules, const std::string& path, RecordingList& entries);
bool Collect(const ScanRules& rules, const std::string& folder, RecordingList& entries, int& count,
             int depth);

// Gives the group label of each file of a group scan in listing order.
class GroupLabeller {
  public:
    explicit GroupLabeller(bool stills) : stills_(stills) {}
    std::string LabelOf(std::string_view name);

  private:
    std::string MovieLabelOf(std::string_view name);
    bool stills_;
    std::vector<std::pair<std::string, int>> date_counts_;
    std::string label_;
    int in_group_ = 0;
    long previous_number_ = 0;
    bool started_ = false;
};

}  // namespace ardelle::catalogue
