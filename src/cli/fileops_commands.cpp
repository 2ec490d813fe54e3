// ardelle-cli csv and download: the export and copy workers run headless, their
// questions answered by --overwrite and their progress printed on stderr.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "catalogue/card_layout.h"
#include "catalogue/movie_resource.h"
#include "catalogue/recording_names.h"
#include "catalogue/source_open.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/operation_sink.h"
#include "fileops/csv_export.h"
#include "fileops/download.h"
#include "platform/files.h"

namespace ardelle::cli {
namespace {

using namespace catalogue;

constexpr Command kCsvCommand = {"csv", "csv SOURCE --out DIR [--group LABEL] [--overwrite]",
                                 RunCsv};
constexpr Command kDownloadCommand = {"download", "download --out DIR [--overwrite] STILL...",
                                      RunDownload};

struct FileOpOptions {
    std::vector<std::string> paths;  // SOURCE for csv, the stills for download
    std::string out;
    std::optional<std::string> group;
    bool overwrite = false;
};

// Parses the options both commands share; an error text when they are not usable.
std::optional<std::string> ParseFileOpOptions(const Arguments& arguments, bool takes_group,
                                              FileOpOptions& options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        if (argument == "--overwrite") {
            options.overwrite = true;
        } else if (argument == "--out" && has_value) {
            options.out = arguments[++i];
        } else if (takes_group && argument == "--group" && has_value) {
            options.group = arguments[++i];
        } else if (argument.starts_with("--")) {
            return "unexpected argument '" + argument + "'";
        } else {
            options.paths.push_back(argument);
        }
    }
    if (options.out.empty()) {
        return std::string("--out DIR is missing");
    }
    return std::nullopt;
}

// Runs one worker as the main window would and waits for its end; true when it completed.
bool RunToCompletion(const char* command_name, base::MessageBoxes& messages,
                     fileops::OperationRunner::Worker worker) {
    CliOperationSink sink(command_name);
    fileops::OperationRunner runner(sink, messages);
    sink.Attach(runner);
    if (!runner.Run(std::move(worker))) {
        return false;
    }
    return sink.Wait();
}

// The movie list the list window shows for the source (or for one of its groups), with
// every trigger switch on.
std::optional<RecordingList> MovieListOf(const FileOpOptions& options) {
    const std::string& source = options.paths.front();
    const CMovieResource resource(nullptr);
    if (options.group) {
        ResetSequenceCounters();
        SetGroupLimit(GroupLimitFor(source));
        int count = 0;
        return FilterMovies(
            OpenGroupForList(resource, source, *options.group, LiesOnCard(source), false, &count),
            kAllTriggersOn);
    }
    const OpenedSource opened =
        OpenSourceForList(resource, source, DetectSourceKind(source), false);
    if (!opened.opened && opened.kind == SourceKind::kFile) {
        return std::nullopt;
    }
    return FilterMovies(opened.entries, kAllTriggersOn);
}

// The pictures named on the command line, each with its partner file when that exists.
std::optional<RecordingList> PicturesOf(const std::vector<std::string>& paths) {
    RecordingList pictures;
    for (const std::string& path : paths) {
        const auto pair = PairOfStill(path);
        if (!pair) {
            std::fprintf(stderr, "ardelle-cli download: %s is not a recorder still name\n",
                         path.c_str());
            return std::nullopt;
        }
        if (IsDuplicate(pair->front, pair->rear, pictures)) {
            continue;
        }
        AddStillEntry(pair->front, pair->rear, pictures);
        if (pictures.back().front_path.empty() && pictures.back().rear_path.empty()) {
            std::fprintf(stderr, "ardelle-cli download: %s does not exist\n", path.c_str());
            return std::nullopt;
        }
    }
    return pictures;
}

// What became of every file named: copied, failed (with its cause), or not tried.
bool ReportCopies(const RecordingList& pictures, const std::string& folder,
                  const fileops::DownloadOutcome& outcome) {
    bool all_copied = true;
    JsonWriter json;
    json.BeginArray();
    const auto report = [&](const std::string& source, const std::string& name) {
        if (source.empty()) {
            return;
        }
        const bool copied =
            std::find(outcome.copied.begin(), outcome.copied.end(), source) != outcome.copied.end();
        all_copied = all_copied && copied;
        json.BeginObject()
            .Field("source", source)
            .Field("target", fileops::DownloadTarget(folder, name))
            .Field("copied", copied);
        for (const fileops::FailedCopy& failed : outcome.failed) {
            if (failed.source == source) {
                json.Field("error", failed.error);
                std::fprintf(stderr, "ardelle-cli download: %s was not copied: %s\n",
                             source.c_str(), failed.error.c_str());
            }
        }
        json.EndObject();
    };
    for (const RecordingEntry& picture : pictures) {
        report(picture.front_path, picture.front_name);
        report(picture.rear_path, picture.rear_name);
    }
    json.EndArray();
    std::printf("%s\n", json.text().c_str());
    return all_copied;
}

}  // namespace

int RunCsv(const Arguments& arguments) {
    FileOpOptions options;
    if (const auto problem = ParseFileOpOptions(arguments, true, options)) {
        return UsageError(kCsvCommand, *problem);
    }
    if (options.paths.size() != 1) {
        return UsageError(kCsvCommand,
                          options.paths.empty() ? "SOURCE is missing" : "only one SOURCE is taken");
    }
    const auto recordings = MovieListOf(options);
    if (!recordings) {
        std::fprintf(stderr, "ardelle-cli csv: %s is not a recording that can be opened\n",
                     options.paths.front().c_str());
        return kExitFailure;
    }
    CliMessageBoxes messages("ardelle-cli csv", options.overwrite);
    const auto output_path = fileops::PrepareCsvExport(*recordings, options.out, messages);
    if (!output_path) {
        return kExitFailure;
    }
    fileops::CsvExportJob job{*recordings, *output_path, ""};
    if (!RunToCompletion("ardelle-cli csv", messages,
                         fileops::CsvExportWorker(std::move(job),
                                                  std::make_shared<fileops::FileHeaderReader>()))) {
        return kExitFailure;
    }
    JsonWriter json;
    json.BeginObject()
        .Field("path", *output_path)
        .Field("recordings", recordings->size())
        .EndObject();
    std::printf("%s\n", json.text().c_str());
    return kExitOk;
}

int RunDownload(const Arguments& arguments) {
    FileOpOptions options;
    if (const auto problem = ParseFileOpOptions(arguments, false, options)) {
        return UsageError(kDownloadCommand, *problem);
    }
    if (options.paths.empty()) {
        return UsageError(kDownloadCommand, "STILL is missing");
    }
    const auto pictures = PicturesOf(options.paths);
    if (!pictures) {
        return kExitFailure;
    }
    CliMessageBoxes messages("ardelle-cli download", options.overwrite);
    auto outcome = std::make_shared<fileops::DownloadOutcome>();
    const bool completed =
        RunToCompletion("ardelle-cli download", messages,
                        fileops::DownloadWorker({*pictures, options.out}, outcome));
    const bool all_copied = ReportCopies(*pictures, options.out, *outcome);
    return completed && all_copied ? kExitOk : kExitFailure;
}

}  // namespace ardelle::cli
