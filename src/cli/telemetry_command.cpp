// ardelle-cli telemetry: a recording's decoded telemetry, read as the player reads it.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "telemetry/box_walks.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::cli {
namespace {

constexpr Command kTelemetryCommand = {"telemetry", "telemetry FILE [--bind]", RunTelemetry};

template <class Bytes>
std::string Hex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string CharText(char c) {
    return c == 0 ? std::string() : std::string(1, c);
}

std::string DateTimeText(const platform::CalendarTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

void WriteHeader(JsonWriter& json, const telemetry::RecordingHeaderInfo& header) {
    json.Key("header").BeginObject().Key("values").BeginArray();
    for (const float value : header.values) {
        json.Double(value);
    }
    json.EndArray()
        .Field("mode", CharText(header.mode))
        .Field("settings", Hex(header.settings))
        .Field("quality", CharText(header.quality))
        .Field("rate", CharText(header.rate))
        .Field("speed_display", static_cast<unsigned char>(header.speed_display))
        .Field("gps_display", static_cast<unsigned char>(header.gps_display))
        .EndObject();
}

void WriteSample(JsonWriter& json, const telemetry::TelemetryFile& file, std::size_t i,
                 bool bound) {
    const telemetry::SensorSample& sensor = file.sensors()[i];
    const telemetry::GpsSample& gps = file.gps()[i];
    json.BeginObject()
        .Field("index", sensor.index)
        .Field("time", telemetry::RecordTimeMs(sensor.index, file.ms_per_record()))
        .Field("valid", gps.valid)
        .Field("lat", gps.latitude)
        .Field("lon", gps.longitude)
        .Field("speed", gps.speed)
        .Field("datetime", DateTimeText(gps.local_time))
        .Field("event", sensor.event_kind)
        .Field("secondary", sensor.secondary)
        .Field("tertiary", sensor.tertiary)
        .Field("axis", sensor.shock_axis)
        .Field("status", sensor.status)
        .Field("aux", sensor.aux)
        .Field("x", sensor.x)
        .Field("y", sensor.y)
        .Field("z", sensor.z)
        .Field("hi", sensor.high_nibble)
        .Field("lo", sensor.low_nibble)
        .Field("vehicle", Hex(file.vehicles()[i].status) + Hex(file.vehicles()[i].data));
    if (bound) {
        json.Field("frame", sensor.time)
            .Field("gps_link", sensor.gps_link)
            .Field("sensor_link", gps.sensor_link);
    }
    json.EndObject();
}

}  // namespace

int RunTelemetry(const Arguments& arguments) {
    std::string path;
    bool bind = false;
    for (const std::string& argument : arguments) {
        if (argument == "--bind") {
            bind = true;
        } else if (argument.rfind("--", 0) == 0 || !path.empty()) {
            return UsageError(kTelemetryCommand, "unexpected argument " + argument);
        } else {
            path = argument;
        }
    }
    if (path.empty()) {
        return UsageError(kTelemetryCommand, "no file given");
    }
    telemetry::TelemetryFile file;
    if (!file.Open(path)) {
        std::fprintf(stderr, "ardelle-cli telemetry: %s\n", file.last_error().c_str());
        return kExitFailure;
    }
    std::optional<telemetry::MovieTiming> timing;
    if (bind) {
        telemetry::TelemetryFile probe;
        timing = telemetry::ReadMovieTiming(probe, path);
        if (!timing) {
            const std::string why = probe.last_error().empty()
                                        ? path + ": the movie's duration and frames cannot be read"
                                        : probe.last_error();
            std::fprintf(stderr, "ardelle-cli telemetry: %s\n", why.c_str());
            return kExitFailure;
        }
        file.set_frame_duration_ms(timing->frame_duration_ms);
        if (!file.BindToFrames(timing->frame_count)) {
            const std::string why =
                file.last_error().empty() ? path + ": binding to frames failed" : file.last_error();
            std::fprintf(stderr, "ardelle-cli telemetry: %s\n", why.c_str());
            return kExitFailure;
        }
    }
    JsonWriter json;
    json.BeginObject().Field("path", path).Field("ms_per_record", file.ms_per_record());
    WriteHeader(json, file.header());
    json.Field("last_index", file.last_index()).Field("max_abs_g", file.max_abs_g());
    if (timing) {
        json.Field("frame_duration_ms", timing->frame_duration_ms)
            .Field("frame_count", timing->frame_count);
    }
    json.Key("samples").BeginArray();
    for (std::size_t i = 0; i < file.sensors().size(); ++i) {
        WriteSample(json, file, i, timing.has_value());
    }
    json.EndArray();
    if (timing) {
        json.Key("frame_map").BeginArray();
        for (const std::int32_t sample : file.frame_map()) {
            sample < 0 ? json.Null() : json.Int(sample);
        }
        json.EndArray();
    }
    json.EndObject();
    std::printf("%s\n", json.text().c_str());
    return kExitOk;
}

}  // namespace ardelle::cli
