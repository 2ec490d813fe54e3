#include "catalogue/folder_listing.h"

#include <algorithm>
#include <cctype>

#include "platform/directory.h"
#include "platform/files.h"

namespace ardelle::catalogue {
namespace {

// Folder links can form loops; a recorder card is three levels deep, so this bound only
// ever stops a loop.
constexpr int kMaxTreeDepth = 16;
constexpr std::size_t kMaxTreeFolders = 20000;

FoundFile FoundFileOf(platform::DirectoryEntry&& entry) {
    FoundFile file;
    file.attributes =
        (entry.is_folder ? kAttributeFolder : 0u) | (entry.hidden ? kAttributeHidden : 0u);
    file.name = std::move(entry.name);
    file.path = std::move(entry.path);
    file.size = entry.size;
    return file;
}

void CollectTreeFiles(const std::string& folder, int depth, std::size_t& folders_seen,
                      FolderVisits& visits, FoundFileList& files) {
    auto listing = ListFolderWithHidden(folder);
    if (!listing) {
        return;
    }
    for (FoundFile& file : *listing) {
        if (file.is_folder()) {
            if (depth < kMaxTreeDepth && ++folders_seen <= kMaxTreeFolders &&
                visits.Enter(file.path, file.name)) {
                CollectTreeFiles(file.path, depth + 1, folders_seen, visits, files);
            }
        } else if (!file.is_hidden()) {
            files.push_back(std::move(file));
        }
    }
}

}  // namespace

std::string JoinPath(const std::string& folder, std::string_view name) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + std::string(name);
    }
    return folder + "/" + std::string(name);
}

std::optional<FoundFileList> ListFolderWithHidden(const std::string& folder) {
    auto entries = platform::ListDirectory(folder);
    if (!entries) {
        return std::nullopt;
    }
    FoundFileList files;
    files.reserve(entries->size());
    for (platform::DirectoryEntry& entry : *entries) {
        entry.path = JoinPath(folder, entry.name);
        files.push_back(FoundFileOf(std::move(entry)));
    }
    return files;
}

std::optional<FoundFileList> ListFolder(const std::string& folder) {
    auto files = ListFolderWithHidden(folder);
    if (files) {
        std::erase_if(*files, [](const FoundFile& file) { return file.is_hidden(); });
    }
    return files;
}

FoundFileList ListTree(const std::string& folder) {
    FoundFileList files;
    std::size_t folders_seen = 0;
    FolderVisits visits(folder);
    CollectTreeFiles(folder, 0, folders_seen, visits, files);
    return files;
}

bool IsTrashFolderName(std::string_view name) {
    constexpr std::string_view kTrash = ".Trash";
    if (name.substr(0, kTrash.size()) != kTrash) {
        return false;
    }
    name.remove_prefix(kTrash.size());
    if (name.empty()) {
        return true;
    }
    if (name.front() != '-' || name.size() == 1) {
        return false;
    }
    name.remove_prefix(1);
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

FolderVisits::FolderVisits(const std::string& root) {
    if (const std::optional<platform::FileIdentity> identity = platform::FileIdentityOf(root)) {
        entered_.insert({identity->device, identity->inode});
    }
}

bool FolderVisits::Enter(const std::string& path, std::string_view name) {
    if (IsTrashFolderName(name)) {
        return false;
    }
    // A folder link below the root leads out of the source, or it is a second way into a
    // folder the walk reaches under its own name; followed first, it would give that
    // folder's recordings paths through the link.
    const std::optional<platform::FileIdentity> identity = platform::FileIdentityOf(path);
    if (!identity || identity->is_link) {
        return false;
    }
    return entered_.insert({identity->device, identity->inode}).second;
}

}  // namespace ardelle::catalogue
