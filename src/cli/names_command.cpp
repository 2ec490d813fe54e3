// ardelle-cli names: what the catalogue reads from recorder file names.
#include <cstdio>

#include "catalogue/recording_names.h"
#include "cli/commands.h"
#include "cli/json_writer.h"

namespace ardelle::cli {
namespace {

constexpr Command kNamesCommand = {"names", "names PATH...", RunNames};

std::string FormatDateTime(const platform::CalendarTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

void WritePair(JsonWriter& json, const std::optional<catalogue::PathPair>& pair) {
    json.Key("front").OptionalString(pair ? std::optional(pair->front) : std::nullopt);
    json.Key("rear").OptionalString(pair ? std::optional(pair->rear) : std::nullopt);
}

std::string DescribeName(const std::string& path) {
    using namespace catalogue;
    const bool is_movie = IsMovieName(path);
    const bool is_still = IsStillName(path);
    int flags = 0;
    if (is_still) {
        AddStillTriggerFlags(path, flags);
    } else {
        AddTriggerFlags(path, flags);
    }
    JsonWriter json;
    json.BeginObject()
        .Field("path", path)
        .Field("is_movie", is_movie)
        .Field("is_front", is_still ? IsFrontStillName(path) : IsFrontMovieName(path))
        .Field("is_rear", is_still ? IsRearStillName(path) : IsRearMovieName(path))
        .Field("is_still", is_still)
        .Field("is_mp4", IsMp4Path(path))
        .Field("class", TriggerClassOf(path))
        .Field("flags", flags)
        .Field("label", TriggerLabelOf(path));
    json.Key("datetime")
        .OptionalString(is_movie ? std::optional(FormatDateTime(MovieDateTime(path)))
                                 : std::nullopt);
    WritePair(json, is_still ? PairOfStill(path) : PairOf(path));
    json.EndObject();
    return json.text();
}

}  // namespace

int RunNames(const Arguments& arguments) {
    if (arguments.empty()) {
        return UsageError(kNamesCommand, "no path given");
    }
    for (const std::string& path : arguments) {
        if (path.size() > 1 && path.rfind("--", 0) == 0) {
            return UsageError(kNamesCommand, "unknown option " + path);
        }
    }
    for (const std::string& path : arguments) {
        std::printf("%s\n", DescribeName(path).c_str());
    }
    return kExitOk;
}

}  // namespace ardelle::cli
