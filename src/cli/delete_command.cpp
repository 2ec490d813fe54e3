// ardelle-cli delete: deletes recordings by the card's rules (placeholders on a card,
// the Trash elsewhere) and prints what happened to each.
#include <cstdio>

#include "catalogue/card_layout.h"
#include "catalogue/recording_names.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "platform/files.h"

namespace ardelle::cli {
namespace {

using namespace catalogue;

constexpr Command kDeleteCommand = {"delete", "delete PATH...", RunDelete};

// The path when the file exists, else empty: recordings keep only files that exist.
std::string IfExists(const std::string& path) {
    return platform::PathExists(path) ? path : std::string();
}

// A recording none of whose files is left.
bool AlreadyGone(const std::optional<PathPair>& pair, std::string& error) {
    if (!pair || !IfExists(pair->front).empty() || !IfExists(pair->rear).empty()) {
        return false;
    }
    error = "neither file of the recording exists (already deleted?)";
    return true;
}

bool DeleteOne(const std::string& path, std::string& error) {
    if (AlreadyGone(PairOf(path), error) || AlreadyGone(PairOfStill(path), error)) {
        return false;
    }
    if (const auto pair = PairOf(path)) {
        return DeleteMovieRecording(IfExists(pair->front), IfExists(pair->rear), &error);
    }
    if (const auto pair = PairOfStill(path)) {
        // The delete command reads each camera folder's placeholders before deleting.
        std::vector<int> front_numbers = ListPlaceholderNumbers(platform::FolderOf(pair->front));
        std::vector<int> rear_numbers = ListPlaceholderNumbers(platform::FolderOf(pair->rear));
        return DeleteStillRecording(IfExists(pair->front), IfExists(pair->rear), front_numbers,
                                    rear_numbers, &error);
    }
    error = "not a recorder movie or still name";
    return false;
}

}  // namespace

int RunDelete(const Arguments& arguments) {
    if (arguments.empty()) {
        return UsageError(kDeleteCommand, "PATH is missing");
    }
    bool all_deleted = true;
    JsonWriter json;
    json.BeginArray();
    for (const std::string& path : arguments) {
        std::string error;
        const bool deleted = DeleteOne(path, error);
        all_deleted = all_deleted && deleted;
        json.BeginObject().Field("path", path).Field("deleted", deleted);
        if (!deleted) {
            json.Field("error", error);
            std::fprintf(stderr, "ardelle-cli delete: %s: %s\n", path.c_str(), error.c_str());
        }
        json.EndObject();
    }
    json.EndArray();
    std::printf("%s\n", json.text().c_str());
    return all_deleted ? kExitOk : kExitFailure;
}

}  // namespace ardelle::cli
