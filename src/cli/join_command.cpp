// ardelle-cli join: recordings joined into one file per camera by the join worker.
#include <cstdio>
#include <memory>

#include "catalogue/recording_entry.h"
#include "catalogue/recording_names.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/operation_sink.h"
#include "fileops/join_worker.h"
#include "platform/files.h"

namespace ardelle::cli {
namespace {

constexpr Command kJoinCommand = {"join", "join --out DIR [--overwrite] PATH...", RunJoin};

struct JoinOptions {
    std::string folder;
    bool overwrite = false;
    std::vector<std::string> paths;
};

std::optional<std::string> ParseJoinOptions(const Arguments& arguments, JoinOptions& options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--out" && i + 1 < arguments.size()) {
            options.folder = arguments[++i];
        } else if (arguments[i] == "--overwrite") {
            options.overwrite = true;
        } else if (arguments[i].starts_with("--")) {
            return "unexpected argument '" + arguments[i] + "'";
        } else {
            options.paths.push_back(arguments[i]);
        }
    }
    if (options.folder.empty()) {
        return std::string("--out DIR is missing");
    }
    if (options.paths.empty()) {
        return std::string("PATH is missing");
    }
    return std::nullopt;
}

// The recordings in the order given, each from either of its files. Every name must be a
// recorder movie that exists (a backup copy such as NAME.MP4.bak is not one); nothing when
// one is not, so that no named recording is left out of the join without a word.
std::optional<catalogue::RecordingList> SelectionOf(const std::vector<std::string>& paths) {
    catalogue::ResetSequenceCounters();
    catalogue::RecordingList selection;
    for (const std::string& path : paths) {
        const auto pair = catalogue::PairOf(path);
        const char* problem = nullptr;
        if (!pair || !catalogue::IsMp4Path(path)) {
            problem = "is not the name of a recorder movie (…F.MP4 or …R.MP4)";
        } else if (!platform::PathExists(path)) {
            problem = "does not exist";
        } else if (!platform::IsRegularFile(path)) {
            problem = "is not a file";
        } else if (!catalogue::AddMovieEntry(
                       platform::PathExists(pair->front) ? pair->front : std::string(),
                       platform::PathExists(pair->rear) ? pair->rear : std::string(), selection)) {
            problem = "has no front file beside it, which the join needs";
        }
        if (problem != nullptr) {
            std::fprintf(stderr, "ardelle-cli join: %s %s\n", path.c_str(), problem);
            return std::nullopt;
        }
    }
    return selection;
}

void PrintOutcome(const fileops::JoinPlan& plan, const fileops::JoinOutcome& outcome) {
    JsonWriter json;
    json.BeginObject()
        .Field("front_output", outcome.front_written ? plan.front_output : std::string())
        .Field("rear_output", outcome.rear_written ? plan.rear_output : std::string())
        .Field("recordings", static_cast<std::int64_t>(plan.selection.size()))
        .EndObject();
    std::printf("%s\n", json.text().c_str());
}

}  // namespace

int RunJoin(const Arguments& arguments) {
    JoinOptions options;
    if (const auto problem = ParseJoinOptions(arguments, options)) {
        return UsageError(kJoinCommand, *problem);
    }
    const auto selection = SelectionOf(options.paths);
    if (!selection) {
        return kExitFailure;
    }
    CliMessageBoxes messages("join", options.overwrite);
    std::string error;
    auto plan = fileops::PrepareJoin(*selection, options.folder, messages, &error);
    if (!plan) {
        if (!error.empty()) {
            std::fprintf(stderr, "ardelle-cli join: %s\n", error.c_str());
        }
        return kExitFailure;
    }
    const fileops::JoinPlan shown = *plan;
    CliOperationSink sink("join");
    fileops::OperationRunner runner(sink, messages);
    sink.Attach(runner);
    auto outcome = std::make_shared<fileops::JoinOutcome>();
    runner.Run(fileops::MakeJoinWorker(std::move(*plan), outcome));
    const bool completed = sink.Wait();
    if (!completed) {
        // The result is printed only for a join that completed; a failure says why.
        std::fprintf(stderr, "ardelle-cli join: %s\n",
                     outcome->error.empty() ? "stopped" : outcome->error.c_str());
        return kExitFailure;
    }
    PrintOutcome(shown, *outcome);
    return kExitOk;
}

}  // namespace ardelle::cli
