#include "catalogue/source_scan.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>

#include "catalogue/card_layout.h"
#include "catalogue/delete_intent.h"
#include "catalogue/folder_listing.h"
#include "catalogue/name_units.h"
#include "catalogue/recording_order.h"
#include "platform/files.h"

namespace ardelle::catalogue {
namespace {

std::atomic<bool> last_card_flag{false};

// Tree scans descend this far below the opened folder.
constexpr int kMaxScanDepth = 3;

bool IsSkippedFolder(const ScanRules& rules, const std::string& name) {
    return std::find(rules.skipped_folders.begin(), rules.skipped_folders.end(), name) !=
           rules.skipped_folders.end();
}

// Pairs a listed file and appends its recording unless it is already listed; count grows
// for every new recording, the list only up to its limit.
void AddPairedFile(const ScanRules& rules, const std::string& path, const ScanOutput& out) {
    const auto pair = rules.Pair(path);
    if (!pair || IsDuplicate(pair->front, pair->rear, out.entries)) {
        return;
    }
    if (out.count != nullptr) {
        ++*out.count;
    }
    if (out.entries.size() < kMaxListEntries) {
        rules.AddEntry(pair->front, pair->rear, out.entries);
    }
}

// The folder the list window shows for a recording folder: its Front folder if any.
std::string FrontFolderOr(const std::string& folder) {
    const std::string front = JoinPath(folder, "Front");
    return platform::IsDirectory(front) ? front : folder;
}

bool ScanSubfolder(const ScanRules& rules, const FoundFile& folder, const ScanOutput& out,
                   int parent, int depth) {
    if (folder.name == "Rear") {
        return true;
    }
    const int node = folder.name == "Front" ? parent : out.tree.Insert(parent, folder.name);
    std::string effective;
    if (!OpenSource(rules, folder.path, &effective, out, node, true, depth + 1)) {
        return false;
    }
    AddBareEntry(effective, out.nodes);
    if (FileNameOf(effective) == "Front") {
        AddBareEntry(JoinPath(platform::FolderOf(effective), "Rear"), out.nodes);
        int mask = 0;
        TriggerMask(rules, effective, mask);
        if (mask != 0) {
            out.tree.SetParam(node, mask);
        }
    }
    return true;
}

bool ScanTree(const ScanRules& rules, const ScanOutput& out, int parent, bool card_flag, int depth,
              FoundFileList found) {
    last_card_flag = card_flag;
    SortFoundByPath(found);
    for (const FoundFile& file : found) {
        if (!file.is_folder()) {
            if (rules.ListsFile(file.path)) {
                AddPairedFile(rules, file.path, out);
            }
            continue;
        }
        if (depth >= kMaxScanDepth || out.tree.full() || IsSkippedFolder(rules, file.name) ||
            (out.visits != nullptr && !out.visits->Enter(file.path, file.name))) {
            continue;
        }
        if (!card_flag) {
            out.tree.Insert(parent, file.name);
        } else if (!ScanSubfolder(rules, file, out, parent, depth)) {
            return false;
        }
    }
    return true;
}

// Every file below folder under its front form, each recording once.
FoundFileList FrontForms(const ScanRules& rules, const std::string& folder) {
    FoundFileList fronts;
    std::unordered_set<std::string> seen;
    for (FoundFile& file : ListTree(folder)) {
        file.path = PartnerPath(file.path, "Rear", "Front", rules.rear_suffix, rules.front_suffix);
        file.name = std::string(FileNameOf(file.path));
        if (seen.insert(file.path).second) {
            fronts.push_back(std::move(file));
        }
    }
    return fronts;
}

// Group nodes (tree mode, wanted empty) or the recordings of the wanted group.
bool ScanGroups(const ScanRules& rules, const std::string& folder, const ScanOutput& out,
                int parent, bool card_flag, const std::string* wanted) {
    FoundFileList fronts = FrontForms(rules, folder);
    rules.SortGroupListing(fronts);
    GroupLabeller labeller(rules.stills);
    std::string current;
    int group_node = -1;
    int mask = 0;
    for (const FoundFile& file : fronts) {
        if (file.is_folder() || !rules.GroupsFile(file.path)) {
            continue;
        }
        const std::string label = labeller.LabelOf(file.name);
        if (wanted != nullptr) {
            if (label == *wanted) {
                AddPairedFile(rules, file.path, out);
            }
            continue;
        }
        if (out.tree.full()) {
            break;
        }
        if (group_node < 0 || label != current) {
            if (card_flag && group_node >= 0) {
                out.tree.SetParam(group_node, mask);
            }
            group_node = out.tree.Insert(parent, label);
            current = label;
            mask = 0;
            AddBareEntry(file.path, out.nodes);
        }
        if (card_flag) {
            rules.AddFlags(file.path, mask);
        }
    }
    if (card_flag && group_node >= 0) {
        out.tree.SetParam(group_node, mask);
    }
    return true;
}

bool CollectVisiting(const ScanRules& rules, const std::string& folder, RecordingList& entries,
                     int& count, int depth, FolderVisits& visits) {
    auto listing = ListFolder(folder);
    if (!listing) {
        return true;
    }
    SortFoundFoldersFirst(*listing);
    for (const FoundFile& file : *listing) {
        if (file.is_folder()) {
            if (depth >= kMaxScanDepth || !visits.Enter(file.path, file.name)) {
                continue;
            }
            RecordingList gathered = std::move(entries);
            int found_below = 0;
            if (!CollectVisiting(rules, file.path, gathered, found_below, depth + 1, visits)) {
                return false;
            }
            if (found_below != 0) {
                SortEntriesByKind(gathered);
            }
            entries = std::move(gathered);
            continue;
        }
        ++count;
        if (rules.ListsFile(file.path)) {
            AddFile(rules, file.path, entries);
        }
    }
    return true;
}

}  // namespace

bool AcceptEveryMovie(const std::string&) {
    return true;
}

bool LastScanCardFlag() {
    return last_card_flag;
}

bool ScanRules::ListsFile(const std::string& path) const {
    if (stills) {
        return IsStillName(FileNameOf(path));
    }
    return IsMp4Path(path) && IsMovieName(path) && (!accept || accept(path));
}

bool ScanRules::GroupsFile(const std::string& path) const {
    return stills ? IsStillName(FileNameOf(path)) : IsMp4Path(path) && IsFrontMovieName(path);
}

bool ScanRules::MarksRecordingFolder(const FoundFile& file, bool card_flag) const {
    if (file.is_folder()) {
        return file.name == "Front" ||
               (stills && (file.name == "Rear" || (card_flag && file.name == "JPG")));
    }
    return stills ? IsStillName(file.name) : IsFrontMovieName(file.name);
}

std::optional<PathPair> ScanRules::Pair(const std::string& path) const {
    return stills ? PairOfStill(path) : PairOf(path);
}

bool ScanRules::AddEntry(const std::string& front, const std::string& rear,
                         RecordingList& list) const {
    return stills ? AddStillEntry(front, rear, list) : AddMovieEntry(front, rear, list);
}

void ScanRules::AddFlags(const std::string& path, int& flags) const {
    if (stills) {
        AddStillTriggerFlags(path, flags);
    } else {
        AddTriggerFlags(path, flags);
    }
}

void ScanRules::SortGroupListing(FoundFileList& files) const {
    if (stills) {
        SortFoundStillsFirst(files);
    } else {
        SortFoundMoviesFirst(files);
    }
}

ScanRules MovieScanRules(MovieAcceptance accept) {
    ScanRules rules;
    rules.accept = std::move(accept);
    rules.front_suffix = "F.MP4";
    rules.rear_suffix = "R.MP4";
    rules.skipped_folders = {"drive"};
    return rules;
}

ScanRules StillScanRules() {
    ScanRules rules;
    rules.stills = true;
    rules.front_suffix = "F.JPG";
    rules.rear_suffix = "R.JPG";
    rules.skipped_folders = {"normal", "parking"};
    return rules;
}

bool TriggerMask(const ScanRules& rules, const std::string& folder, int& mask) {
    mask = 0;
    const auto listing = ListFolder(folder);
    if (!listing) {
        return false;
    }
    for (const FoundFile& file : *listing) {
        if (!file.is_folder() && rules.ListsFile(file.path)) {
            rules.AddFlags(file.path, mask);
        }
    }
    return true;
}

FolderClass ClassifyFolder(const ScanRules& rules, const std::string& folder, FoundFileList& found,
                           bool card_flag) {
    auto listing = ListFolder(folder);
    if (!listing) {
        found.clear();
        return kUnlistableFolder;
    }
    found = std::move(*listing);
    const bool recording = std::any_of(found.begin(), found.end(), [&](const FoundFile& file) {
        return rules.MarksRecordingFolder(file, card_flag);
    });
    return recording ? kRecordingFolder : kPlainFolder;
}

bool OpenSource(const ScanRules& rules, const std::string& path, std::string* effective_folder,
                const ScanOutput& out, int parent, bool card_flag, int depth) {
    if (out.visits == nullptr) {
        FolderVisits visits(path);
        ScanOutput visiting = out;
        visiting.visits = &visits;
        return OpenSource(rules, path, effective_folder, visiting, parent, card_flag, depth);
    }
    // A delete killed between its renames is settled before the folder is listed.
    FinishInterruptedDeletes(path);
    FoundFileList found;
    switch (ClassifyFolder(rules, path, found, card_flag)) {
        case kPlainFolder:
            if (effective_folder != nullptr) {
                *effective_folder = path;
            }
            return ScanTree(rules, out, parent, card_flag, depth, std::move(found));
        case kRecordingFolder:
            if (effective_folder != nullptr) {
                *effective_folder = FrontFolderOr(path);
            }
            return ScanGroups(rules, path, out, parent, card_flag, nullptr);
        case kUnlistableFolder:
            break;
    }
    // Not a folder: a group's pseudo-path, folder + '/' + group label.
    const std::string folder = platform::FolderOf(path);
    const std::string label(FileNameOf(path));
    if (effective_folder != nullptr) {
        *effective_folder = FrontFolderOr(folder);
    }
    return ScanGroups(rules, folder, out, parent, card_flag, &label);
}

bool AddFile(const ScanRules& rules, const std::string& path, RecordingList& entries) {
    const auto pair = rules.Pair(path);
    if (!pair || IsDuplicate(pair->front, pair->rear, entries)) {
        return false;
    }
    return rules.AddEntry(pair->front, pair->rear, entries);
}

bool Collect(const ScanRules& rules, const std::string& folder, RecordingList& entries, int& count,
             int depth) {
    FolderVisits visits(folder);
    return CollectVisiting(rules, folder, entries, count, depth, visits);
}

std::string GroupLabeller::LabelOf(std::string_view name) {
    if (!stills_) {
        return MovieLabelOf(name);
    }
    char shot[16];
    std::snprintf(shot, sizeof shot, "_%03d", std::atoi(detail::UnitSlice(name, 29, 3).c_str()));
    return detail::UnitsUntil(name, 5, '-') + shot;
}

std::string GroupLabeller::MovieLabelOf(std::string_view name) {
    const long number = std::atol(detail::UnitSlice(name, 19, 6).c_str());
    // The first file always opens a group; otherwise a card whose numbering starts at
    // 000001 would continue a group that was never opened and lose its first run.
    const bool continues = started_ && in_group_ < GroupLimit() &&
                           detail::UnitSlice(name, 3, 1) != "S" && number == previous_number_ + 1;
    previous_number_ = number;
    if (continues) {
        ++in_group_;
        return label_;
    }
    started_ = true;
    in_group_ = 1;
    const std::string date = detail::UnitsUntil(name, 5, '-');
    auto found = std::find_if(date_counts_.begin(), date_counts_.end(),
                              [&](const auto& entry) { return entry.first == date; });
    if (found == date_counts_.end()) {
        found = date_counts_.insert(date_counts_.end(), {date, 0});
    }
    char number_text[16];
    std::snprintf(number_text, sizeof number_text, "_%04d", ++found->second);
    label_ = date + number_text;
    return label_;
}

}  // namespace ardelle::catalogue
