// ardelle-cli boxes: the box tree of an MP4 file as the tree reader sees it.
#include <cstdio>

#include "catalogue/recording_names.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "telemetry/mp4_tree.h"

namespace ardelle::cli {
namespace {

constexpr Command kBoxesCommand = {"boxes", "boxes FILE", RunBoxes};

void WriteNode(JsonWriter& json, const telemetry::BoxNode& node) {
    json.Field("type", node.type)
        .Field("offset", node.box_offset)
        .Field("size", node.box_size())
        .Field("leaf", node.leaf);
    json.Key("children").BeginArray();
    for (const telemetry::BoxNode& child : node.children) {
        json.BeginObject();
        WriteNode(json, child);
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace

int RunBoxes(const Arguments& arguments) {
    if (arguments.size() != 1 || arguments[0].rfind("--", 0) == 0) {
        return UsageError(kBoxesCommand, "expects exactly one file");
    }
    const std::string& path = arguments[0];
    const auto carry = catalogue::IsFrontMovieName(path)
                           ? telemetry::TelemetryCarry::kFrontRecording
                           : telemetry::TelemetryCarry::kNone;
    std::string error;
    const auto tree = telemetry::ReadTree(path, false, carry, &error);
    if (!tree) {
        std::fprintf(stderr, "ardelle-cli boxes: %s\n", error.c_str());
        return kExitFailure;
    }
    JsonWriter json;
    json.BeginObject();
    WriteNode(json, tree->root);
    json.Key("telemetry");
    if (tree->telemetry) {
        json.BeginObject()
            .Field("offset", tree->telemetry->offset)
            .Field("count16", tree->telemetry->header_count)
            .Field("count32", tree->telemetry->trailer_count)
            .EndObject();
    } else {
        json.Null();
    }
    json.EndObject();
    std::printf("%s\n", json.text().c_str());
    return kExitOk;
}

}  // namespace ardelle::cli
