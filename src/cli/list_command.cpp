// ardelle-cli list: a source opened as the recording list window opens it.
#include <cstdio>

#include "catalogue/card_layout.h"
#include "catalogue/movie_resource.h"
#include "catalogue/source_open.h"
#include "cli/commands.h"
#include "cli/json_writer.h"

namespace ardelle::cli {
namespace {

using namespace catalogue;

constexpr Command kListCommand = {
    "list", "list SOURCE [--stills] [--group LABEL] [--collect] [--filter BBBBBBB]", RunList};

struct ListOptions {
    std::string source;
    bool stills = false;
    bool collect = false;
    std::optional<std::string> group;
    TriggerSwitches switches = kAllTriggersOn;
};

bool ParseSwitches(const std::string& text, TriggerSwitches& switches) {
    if (text.size() != switches.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '0' && text[i] != '1') {
            return false;
        }
        switches[i] = text[i] - '0';
    }
    return true;
}

// Parses the arguments; an error text when they are not usable.
std::optional<std::string> ParseListOptions(const Arguments& arguments, ListOptions& options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        if (argument == "--stills") {
            options.stills = true;
        } else if (argument == "--collect") {
            options.collect = true;
        } else if (argument == "--group" && has_value) {
            options.group = arguments[++i];
        } else if (argument == "--filter" && has_value) {
            if (!ParseSwitches(arguments[++i], options.switches)) {
                return "--filter takes seven characters 0 or 1";
            }
        } else if (argument.starts_with("--") || !options.source.empty()) {
            return "unexpected argument '" + argument + "'";
        } else {
            options.source = argument;
        }
    }
    if (options.source.empty()) {
        return std::string("SOURCE is missing");
    }
    if (options.collect && options.group) {
        return std::string("--collect and --group exclude each other");
    }
    return std::nullopt;
}

void WriteTree(JsonWriter& json, const SourceTree& tree) {
    json.Key("tree").BeginArray();
    for (const SourceTree::Node& node : tree.nodes()) {
        json.BeginObject()
            .Field("text", node.text)
            .Field("parent", node.parent)
            .Field("param", node.param)
            .EndObject();
    }
    json.EndArray();
}

void WriteEntry(JsonWriter& json, const RecordingEntry& entry) {
    json.BeginObject()
        .Field("front_path", entry.front_path)
        .Field("front_name", entry.front_name)
        .Field("rear_path", entry.rear_path)
        .Field("rear_name", entry.rear_name)
        .Field("sequence", entry.sequence)
        .Field("trigger_letter", entry.trigger_letter)
        .Field("joined_mark", entry.joined_mark)
        .Field("parking", entry.parking)
        .Field("quality_code", entry.quality_code)
        .Field("frame_rate", entry.frame_rate)
        .Field("data_size_front", entry.data_size_front)
        .Field("data_size_rear", entry.data_size_rear)
        .Field("still_date", entry.still_date)
        .Field("still_time", entry.still_time)
        .Field("latitude", entry.latitude)
        .Field("longitude", entry.longitude)
        .Field("speed", entry.speed)
        .EndObject();
}

void WriteEntries(JsonWriter& json, const char* key, const RecordingList& entries) {
    json.Key(key).BeginArray();
    for (const RecordingEntry& entry : entries) {
        WriteEntry(json, entry);
    }
    json.EndArray();
}

RecordingList Filtered(const ListOptions& options, const RecordingList& entries) {
    return options.stills ? FilterStills(entries, options.switches)
                          : FilterMovies(entries, options.switches);
}

int PrintListing(const ListOptions& options, const OpenedSource& source) {
    JsonWriter json;
    json.BeginObject()
        .Field("kind", static_cast<int>(source.kind))
        .Field("group_limit", GroupLimit())
        .Field("count", source.count);
    WriteTree(json, source.tree);
    WriteEntries(json, "nodes", source.nodes);
    WriteEntries(json, "entries", Filtered(options, source.entries));
    json.EndObject();
    std::printf("%s\n", json.text().c_str());
    return kExitOk;
}

// The collection or group listing: no tree, only the recordings and their count.
OpenedSource ListRecordingsOnly(const CMovieResource& resource, const ListOptions& options) {
    OpenedSource source;
    source.kind = DetectSourceKind(options.source);
    ResetSequenceCounters();
    SetGroupLimit(GroupLimitFor(options.source));
    if (options.collect) {
        source.opened =
            options.stills
                ? resource.CollectStills(options.source, source.entries, source.count, 0, true)
                : resource.CollectMovies(options.source, source.entries, source.count, 0);
    } else {
        source.entries =
            OpenGroupForList(resource, options.source, *options.group, LiesOnCard(options.source),
                             options.stills, &source.count);
        source.opened = true;
    }
    return source;
}

}  // namespace

int RunList(const Arguments& arguments) {
    ListOptions options;
    if (const auto problem = ParseListOptions(arguments, options)) {
        return UsageError(kListCommand, *problem);
    }
    const CMovieResource resource(nullptr);
    if (options.collect || options.group) {
        return PrintListing(options, ListRecordingsOnly(resource, options));
    }
    const OpenedSource source = OpenSourceForList(resource, options.source,
                                                  DetectSourceKind(options.source), options.stills);
    if (!source.opened && source.kind == SourceKind::kFile) {
        std::fprintf(stderr, "ardelle-cli list: %s is not a recording that can be opened\n",
                     options.source.c_str());
        return kExitFailure;
    }
    return PrintListing(options, source);
}

}  // namespace ardelle::cli
