#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ardelle::catalogue {

// One movie folder of a recorder card.
struct CardFolder {
    const char* path;         // below the card root
    const char* group;        // "Normal" or "Parking"
    const char* camera;       // "Front" or "Rear"
    char camera_letter;       // 'F' or 'R'
    const char* file_type;    // "MP4"
    const char* placeholder;  // "DMY"
};

// The recorder keeps movies in these four folders, parking classes under Parking.
inline constexpr std::array<CardFolder, 4> kCardFolderTable{{
    {"Normal/Front", "Normal", "Front", 'F', "MP4", "DMY"},
    {"Normal/Rear", "Normal", "Rear", 'R', "MP4", "DMY"},
    {"Parking/Front", "Parking", "Front", 'F', "MP4", "DMY"},
    {"Parking/Rear", "Parking", "Rear", 'R', "MP4", "DMY"},
}};

// "Normal/Front" or "Parking/Front" exists below folder.
bool HasCardLayout(const std::string& folder);

// The root of the volume that holds path has the card layout.
bool LiesOnCard(const std::string& path);

// The roots of the mounted removable volumes, in a stable order: the candidate cards.
std::vector<std::string> RemovableDrives();

// How many consecutive recordings one group may hold on a volume of that many bytes:
// larger cards get shorter groups.
int GroupLimitForVolumeSize(std::uint64_t total_bytes);
// The same for the volume that holds folder (200 when its size cannot be read).
int GroupLimitFor(const std::string& folder);

// The group limit the scans use, process-wide; 200 until a source sets it.
int GroupLimit();
void SetGroupLimit(int limit);

// The numbers of the still placeholders in folder, ascending.
std::vector<int> ListPlaceholderNumbers(const std::string& folder);

// The number the next still placeholder of a folder gets; -1 when all are taken.
int NextPlaceholderNumber(const std::vector<int>& ascending_numbers);

// Deletes a movie recording. On a card both files become hidden ".DMY" placeholders, as
// the recorder expects, or nothing changes; elsewhere the files go to the Trash. False
// with error (when given) when anything could not be done.
bool DeleteMovieRecording(const std::string& front_path, const std::string& rear_path,
                          std::string* error = nullptr);

// Deletes a still recording: on a card into numbered placeholders (the numbers lists are
// the folders' placeholder numbers, kept up to date), elsewhere to the Trash.
bool DeleteStillRecording(const std::string& front_path, const std::string& rear_path,
                          std::vector<int>& front_numbers, std::vector<int>& rear_numbers,
                          std::string* error = nullptr);

}  // namespace ardelle::catalogue
