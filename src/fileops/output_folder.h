#pragma once

#include <string>

namespace ardelle::fileops {

// The settings section that keeps each operation's last target folder.
inline constexpr char kFolderSection[] = "FOLDERPATH";

// folder + '/' + name, without a second '/' when the folder already ends in one.
inline std::string PathInFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

}  // namespace ardelle::fileops
