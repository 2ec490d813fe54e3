#include "catalogue/folder_listing.h"

#include "platform/directory.h"

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
                      FoundFileList& files) {
    auto listing = ListFolderWithHidden(folder);
    if (!listing) {
        return;
    }
    for (FoundFile& file : *listing) {
        if (file.is_folder()) {
            if (depth < kMaxTreeDepth && ++folders_seen <= kMaxTreeFolders) {
                CollectTreeFiles(file.path, depth + 1, folders_seen, files);
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
    CollectTreeFiles(folder, 0, folders_seen, files);
    return files;
}

}  // namespace ardelle::catalogue
