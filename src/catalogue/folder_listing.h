#pragma once

#include <optional>
#include <string>

#include "catalogue/recording_entry.h"

namespace ardelle::catalogue {

// The entries of folder itself, hidden ones left out; nothing when it cannot be listed.
std::optional<FoundFileList> ListFolder(const std::string& folder);

// The entries of folder itself, hidden ones included and marked.
std::optional<FoundFileList> ListFolderWithHidden(const std::string& folder);

// Every visible file below folder, at every level (hidden folders are descended into too;
// folders themselves are not returned). Folders that cannot be listed count as empty.
FoundFileList ListTree(const std::string& folder);

// folder + '/' + name, without doubling the '/' of the root.
std::string JoinPath(const std::string& folder, std::string_view name);

}  // namespace ardelle::catalogue
