#include "catalogue/card_layout.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>

#include "catalogue/delete_intent.h"
#include "catalogue/folder_listing.h"
#include "catalogue/name_units.h"
#include "catalogue/recording_names.h"
#include "platform/files.h"
#include "platform/trash.h"
#include "platform/volumes.h"

namespace ardelle::catalogue {
namespace {

std::atomic<int> group_limit{200};

constexpr int kFirstPlaceholderNumber = 2000;
constexpr int kLastPlaceholderNumber = 9999;

void SetError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

// Turns every file into its placeholder, or none: every placeholder name and every file's
// hidden attribute is checked before the first move, the intent is recorded before it, and
// a failed move undoes the ones before it. A recorder reads only the FAT hidden attribute,
// so a card whose driver cannot set it is refused: a visible placeholder or a ".hidden"
// list would be wrong on it.
bool MoveAllIntoHiding(const std::vector<HidingMove>& moves, std::string* error) {
    for (const HidingMove& move : moves) {
        if (platform::PathExists(move.to)) {
            SetError(error, "the placeholder " + move.to + " already exists");
            return false;
        }
        std::string why;
        if (!platform::CanSetHiddenAttribute(move.from, &why)) {
            SetError(error, why + "; nothing was deleted");
            return false;
        }
    }
    constexpr platform::HidingMethod kMethod = platform::HidingMethod::kAttributeOnly;
    DeleteIntent intent;
    if (!intent.Begin(moves, kMethod, error)) {
        return false;
    }
    for (std::size_t done = 0; done < moves.size(); ++done) {
        std::string why;
        if (!platform::MoveIntoHiding(moves[done].from, moves[done].to, kMethod, &why)) {
            bool undone = true;
            for (std::size_t k = done; k-- > 0;) {
                std::string undo_error;
                if (!platform::MoveOutOfHiding(moves[k].to, moves[k].from, kMethod, &undo_error)) {
                    why += "; and " + undo_error;
                    undone = false;
                }
            }
            // What could not be undone stays recorded for the next scan to settle.
            if (undone) {
                intent.End();
            }
            SetError(error, why);
            return false;
        }
    }
    intent.End();
    return true;
}

// Moves the existing files to the Trash, all or none: every file is checked first, and
// when one fails after all, the ones already trashed are put back, so that a recording is
// never left half deleted.
bool TrashExisting(const std::vector<std::string>& paths, std::string* error) {
    std::vector<std::string> existing;
    for (const std::string& path : paths) {
        if (!path.empty() && platform::PathExists(path)) {
            std::string why;
            if (!platform::CanTrash(path, &why)) {
                SetError(error, why + "; nothing was deleted");
                return false;
            }
            existing.push_back(path);
        }
    }
    std::vector<platform::TrashedFile> trashed;
    for (const std::string& path : existing) {
        std::string why;
        platform::TrashedFile where;
        if (!platform::MoveToTrash(path, &why, &where)) {
            for (auto back = trashed.rbegin(); back != trashed.rend(); ++back) {
                std::string put_back_error;
                if (!platform::PutBackFromTrash(*back, &put_back_error)) {
                    why += "; and " + put_back_error;
                }
            }
            SetError(error, why);
            return false;
        }
        trashed.push_back(std::move(where));
    }
    return true;
}

// The folder that holds the camera folders of a movie: the parent of the file's folder
// when that is one of the card folders, else the file's own folder.
std::string GroupFolderOf(const std::string& path) {
    const std::string folder = platform::FolderOf(path);
    for (const CardFolder& row : kCardFolderTable) {
        const std::string tail = std::string("/") + row.path;
        if (folder.size() >= tail.size() &&
            folder.compare(folder.size() - tail.size(), tail.size(), tail) == 0) {
            return platform::FolderOf(folder);
        }
    }
    return folder;
}

std::vector<HidingMove> MoviePlaceholderMoves(const std::string& movie_path) {
    const std::string name(FileNameOf(movie_path));
    const std::string stem = detail::UnitSlice(name, 0, 19);
    const int number = std::atoi(detail::UnitSlice(name, 19, 6).c_str());
    const char* group = IsParkingClass(TriggerClassOf(name)) ? "Parking" : "Normal";
    const std::string group_folder = GroupFolderOf(movie_path);
    std::vector<HidingMove> moves;
    for (const CardFolder& row : kCardFolderTable) {
        if (std::string_view(row.group) != group) {
            continue;
        }
        char tail[32];
        std::snprintf(tail, sizeof tail, "%06d%c.", number, row.camera_letter);
        const std::string base = JoinPath(group_folder, row.camera) + "/" + stem + tail;
        if (platform::PathExists(base + row.file_type)) {
            moves.push_back({base + row.file_type, base + row.placeholder});
        }
    }
    return moves;
}

std::string StillPlaceholderPath(const std::string& still_path, int number, char letter) {
    const std::string name(FileNameOf(still_path));
    char head[32];
    std::snprintf(head, sizeof head, "A_-%04d0101-", number);
    return JoinPath(platform::FolderOf(still_path),
                    head + detail::UnitSlice(name, 12, 16) + "-000-000" + letter + ".DMY");
}

void InsertSorted(std::vector<int>& numbers, int number) {
    numbers.insert(std::upper_bound(numbers.begin(), numbers.end(), number), number);
}

// The placeholder move of one still file; false (with error) when it has no free number.
bool PlanStillMove(const std::string& path, char letter, std::vector<int>& numbers,
                   std::vector<HidingMove>& moves,
                   std::vector<std::pair<std::vector<int>*, int>>& taken, std::string* error) {
    if (path.empty() || !IsStillName(FileNameOf(path)) || !platform::PathExists(path)) {
        return true;
    }
    const int number = NextPlaceholderNumber(numbers);
    if (number < 0) {
        SetError(error, "no free placeholder number is left in " + platform::FolderOf(path));
        return false;
    }
    moves.push_back({path, StillPlaceholderPath(path, number, letter)});
    taken.emplace_back(&numbers, number);
    return true;
}

}  // namespace

bool HasCardLayout(const std::string& folder) {
    return platform::IsDirectory(JoinPath(folder, kCardFolderTable[0].path)) ||
           platform::IsDirectory(JoinPath(folder, kCardFolderTable[2].path));
}

bool LiesOnCard(const std::string& path) {
    const auto root = platform::VolumeRootOf(path);
    return root && HasCardLayout(*root);
}

std::vector<std::string> RemovableDrives() {
    std::vector<std::string> roots;
    for (const platform::MountedVolume& volume : platform::MountedVolumes()) {
        if (volume.removable) {
            roots.push_back(volume.root);
        }
    }
    return roots;
}

int GroupLimitForVolumeSize(std::uint64_t total_bytes) {
    if (total_bytes <= 96'000'000'000ull) {
        return 200;
    }
    return total_bytes <= 384'000'000'000ull ? 100 : 50;
}

int GroupLimitFor(const std::string& folder) {
    return GroupLimitForVolumeSize(platform::VolumeTotalBytes(folder).value_or(0));
}

int GroupLimit() {
    return group_limit;
}

void SetGroupLimit(int limit) {
    group_limit = limit;
}

std::vector<int> ListPlaceholderNumbers(const std::string& folder) {
    std::vector<int> numbers;
    for (const FoundFile& file : ListFolderWithHidden(folder).value_or(FoundFileList{})) {
        if (!file.is_hidden() || file.is_folder() || !file.name.starts_with("A_")) {
            continue;
        }
        const std::size_t dot = file.name.rfind('.');
        const std::string_view extension =
            dot == std::string::npos ? std::string_view() : std::string_view(file.name).substr(dot);
        if (extension.starts_with(".DM") || extension.starts_with(".dm")) {
            numbers.push_back(std::atoi(detail::UnitSlice(file.name, 3, 4).c_str()));
        }
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

int NextPlaceholderNumber(const std::vector<int>& ascending_numbers) {
    if (ascending_numbers.empty()) {
        return kFirstPlaceholderNumber;
    }
    if (ascending_numbers.back() < kLastPlaceholderNumber) {
        return std::max(ascending_numbers.back() + 1, kFirstPlaceholderNumber);
    }
    int candidate = kFirstPlaceholderNumber;
    for (const int number : ascending_numbers) {
        if (number == candidate) {
            ++candidate;
        } else if (number > candidate) {
            break;
        }
    }
    return candidate <= kLastPlaceholderNumber ? candidate : -1;
}

bool DeleteMovieRecording(const std::string& front_path, const std::string& rear_path,
                          std::string* error) {
    const std::string& first = front_path.empty() ? rear_path : front_path;
    if (first.empty()) {
        SetError(error, "no file was given");
        return false;
    }
    if (!LiesOnCard(first) || !IsMovieName(first)) {
        if (!front_path.empty()) {
            return TrashExisting(IsMovieName(front_path) ? std::vector{front_path, rear_path}
                                                         : std::vector{front_path},
                                 error);
        }
        return TrashExisting({rear_path}, error);
    }
    FinishInterruptedDeletes(GroupFolderOf(first));
    const std::vector<HidingMove> moves = MoviePlaceholderMoves(first);
    if (moves.empty()) {
        SetError(error, "no file of " + first + " lies in the card's movie folders");
        return false;
    }
    return MoveAllIntoHiding(moves, error);
}

bool DeleteStillRecording(const std::string& front_path, const std::string& rear_path,
                          std::vector<int>& front_numbers, std::vector<int>& rear_numbers,
                          std::string* error) {
    const std::string& first = front_path.empty() ? rear_path : front_path;
    if (first.empty()) {
        SetError(error, "no file was given");
        return false;
    }
    if (!LiesOnCard(first) || !IsStillName(FileNameOf(first))) {
        return TrashExisting({front_path, rear_path}, error);
    }
    FinishInterruptedDeletes(platform::FolderOf(platform::FolderOf(first)));
    std::vector<HidingMove> moves;
    std::vector<std::pair<std::vector<int>*, int>> taken;
    if (!PlanStillMove(front_path, 'F', front_numbers, moves, taken, error) ||
        !PlanStillMove(rear_path, 'R', rear_numbers, moves, taken, error) ||
        !MoveAllIntoHiding(moves, error)) {
        return false;
    }
    for (const auto& [numbers, number] : taken) {
        InsertSorted(*numbers, number);
    }
    return true;
}

}  // namespace ardelle::catalogue
