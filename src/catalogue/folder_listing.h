#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "catalogue/recording_entry.h"

namespace ardelle::catalogue {

// The entries of folder itself, hidden ones left out; nothing when it cannot be listed.
std::optional<FoundFileList> ListFolder(const std::string& folder);

// The entries of folder itself, hidden ones included and marked.
std::optional<FoundFileList> ListFolderWithHidden(const std::string& folder);

// Every visible file below folder, at every level (hidden folders are descended into too,
// except the Trash; folders themselves are not returned). Folders that cannot be listed
// count as empty; each folder is visited once (see FolderVisits).
FoundFileList ListTree(const std::string& folder);

// A freedesktop Trash folder of a volume (".Trash", ".Trash-UID"): what was deleted lies
// there under its old name and must never be listed again.
bool IsTrashFolderName(std::string_view name);

// The folders one walk below a root has entered, so that it never sees a folder twice
// (by device and inode) and never follows a folder link.
class FolderVisits {
  public:
    explicit FolderVisits(const std::string& root);
    // Whether the walk may enter the folder at path named name: not the Trash, not a link,
    // not entered before.
    bool Enter(const std::string& path, std::string_view name);

  private:
    std::set<std::pair<std::uint64_t, std::uint64_t>> entered_;
};

// folder + '/' + name, without doubling the '/' of the root.
std::string JoinPath(const std::string& folder, std::string_view name);

}  // namespace ardelle::catalogue
