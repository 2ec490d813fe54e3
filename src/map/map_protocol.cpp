#include "map/map_protocol.h"

#include <array>
#include <charconv>
#include <cmath>

#include "base/settings.h"

namespace ardelle::map {

namespace {

std::string FormatInt(std::int64_t value) {
    std::array<char, 24> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)error;
    return std::string(buffer.data(), end);
}

// Values are our own texts, but a quote or backslash must never end the string early.
std::string JsonEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

bool IsPlaceableCoordinate(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude >= -90.0 &&
           latitude <= 90.0 && longitude >= -180.0 && longitude <= 180.0;
}

std::string FormatFixed(double value) {
    if (!std::isfinite(value))
        value = 0.0;
    std::array<char, 400> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, 6);
    if (error != std::errc{})
        return "0.000000";
    return std::string(buffer.data(), end);
}

TrackPayload BuildTrackPayload(const std::vector<telemetry::GpsSample>& track) {
    TrackPayload payload;
    payload.values.clear();
    payload.values.reserve(track.size() * 3 + 1);
    for (const telemetry::GpsSample& sample : track) {
        if (sample.valid == 0 || !IsPlaceableCoordinate(sample.latitude, sample.longitude)) {
            continue;
        }
        payload.values.push_back(sample.latitude);
        payload.values.push_back(sample.longitude);
        payload.values.push_back(static_cast<double>(sample.time));
    }
    payload.values.push_back(static_cast<double>(payload.values.size()));
    return payload;
}

std::vector<std::string> DrawTrackStatements(int recording_index) {
    return {"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()", "orbitgrplist.CreateLine()",
            "orbitgrplist.CreateGridLine(" + FormatInt(recording_index) + ")"};
}

std::vector<std::string> ClearTrackStatements() {
    return {"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()",
            "orbitgrplist.gridlist.ReleasePoints()", "orbitgrplist.grplist.ReleasePoints()",
            "orbitgrplist.DeleteGrpLine()"};
}

std::string AddMarkStatement(const MapMark& mark, int recording_index) {
    if (!IsPlaceableCoordinate(mark.latitude, mark.longitude))
        return {};
    const double speed = std::isfinite(mark.speed) ? mark.speed : telemetry::kMissingSpeed;
    std::string text = "cplist.AddCrashPos(";
    text += FormatInt(mark.kind) + ",";
    text += FormatFixed(mark.level_x) + "," + FormatFixed(mark.level_y) + ",";
    text += FormatFixed(mark.level_z) + ",";
    text += "0," + FormatInt(recording_index) + "," + FormatInt(mark.frame) + ",";
    text += FormatFixed(mark.latitude) + "," + FormatFixed(mark.longitude) + ",";
    text += FormatInt(mark.valid) + "," + FormatFixed(speed) + ",";
    text += FormatFixed(mark.direction) + ")";
    return text;
}

MarkStatementList MarkStatements(const std::vector<MapMark>& marks, int recording_index,
                                 std::uint32_t visible_kinds) {
    MarkStatementList list;
    for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
        const MapMark& mark = *it;
        const bool visible =
            mark.kind >= 0 && mark.kind < 32 && ((visible_kinds >> mark.kind) & 1u) != 0;
        if (!visible)
            continue;
        if (!mark.has_sample || !mark.has_gps) {
            list.complete = false;
            break;
        }
        if (mark.latitude == 0.0 && mark.longitude == 0.0)
            continue;
        std::string statement = AddMarkStatement(mark, recording_index);
        if (!statement.empty())
            list.statements.push_back(std::move(statement));
    }
    return list;
}

void CJsonHolder::Insert(const std::string& key, const std::string& value,
                         const std::string& separator) {
    entries_[key] = Entry{value, separator};
}

std::string CJsonHolder::Serialise() const {
    std::string text = "{";
    for (const auto& [key, entry] : entries_) {
        text += '"' + JsonEscaped(key) + "\":\"" + JsonEscaped(entry.value) + '"';
        text += entry.separator;
    }
    text += '}';
    return text;
}

void CJsonHolder::Parse(std::string_view text) {
    enum class State {
        kBeforeObject,
        kBeforeKey,
        kKey,
        kBeforeColon,
        kBeforeValue,
        kValue,
        kAfterValue,
        kDone
    };
    parsed_.clear();
    State state = State::kBeforeObject;
    std::string key;
    std::string value;
    const auto store = [&] {
        parsed_[key] = value;
        key.clear();
        value.clear();
    };
    for (char c : text) {
        if (state == State::kDone)
            break;
        switch (state) {
            case State::kBeforeObject:
                if (c == '{')
                    state = State::kBeforeKey;
                break;
            case State::kBeforeKey:
                if (c == '"')
                    state = State::kKey;
                break;
            case State::kKey:
                if (c == '"') {
                    state = State::kBeforeColon;
                } else if (c != ',' && c != '{' && c != ':' && c != '}') {
                    key += c;
                }
                break;
            case State::kBeforeColon:
                if (c == ':')
                    state = State::kBeforeValue;
                break;
            case State::kBeforeValue:
                if (c == '"')
                    state = State::kValue;
                break;
            case State::kValue:
                if (c == '"') {
                    state = State::kAfterValue;
                } else if (c != ',' && c != '{' && c != ':' && c != '}') {
                    value += c;
                }
                break;
            case State::kAfterValue:
                if (c == ',') {
                    store();
                    state = State::kBeforeKey;
                } else if (c == '}') {
                    store();
                    state = State::kDone;
                }
                break;
            case State::kDone:
                break;
        }
    }
    const auto lookup = [this](const char* name) {
        auto it = parsed_.find(name);
        return it == parsed_.end() ? std::string() : it->second;
    };
    last_lat = lookup("map_lat");
    last_lng = lookup("map_lng");
    last_status = lookup("map_status");
    last_pict_event = lookup("pict_event");
}

std::string BuildWebMessage(const MapValues& values, int page_mode) {
    CJsonHolder holder;
    if (page_mode == static_cast<int>(PageMode::kVideo)) {
        holder.Insert("val_command", "update", ",");
    } else if (page_mode == static_cast<int>(PageMode::kPicture)) {
        holder.Insert("val_command", "update_picture", ",");
    }
    holder.Insert("map_lat", FormatFixed(values.map_lat), ",");
    holder.Insert("map_lng", FormatFixed(values.map_lng), ",");
    holder.Insert("map_status", values.map_status, ",");
    holder.Insert("pict_event", FormatInt(values.pict_event), ",");
    holder.Insert("val_end", "", "");
    return holder.Serialise();
}

TileSource TileSourceFromSettings(std::string_view url_value, std::string_view attribution_value) {
    const bool web = url_value.starts_with("http://") || url_value.starts_with("https://");
    const bool complete = url_value.find("{z}") != std::string_view::npos &&
                          url_value.find("{x}") != std::string_view::npos &&
                          url_value.find("{y}") != std::string_view::npos;
    if (!web || !complete || url_value == kDefaultTileUrl) {
        return {kDefaultTileUrl, kDefaultTileAttribution};
    }
    return {std::string(url_value), std::string(attribution_value)};
}

TileSource TileSourceFromAppSettings() {
    return TileSourceFromSettings(base::ReadSetting(kTileSettingsSection, kTileUrlKey),
                                  base::ReadSetting(kTileSettingsSection, kTileAttributionKey));
}

std::string TileServerRoot(std::string_view url_template) {
    const size_t scheme_end = url_template.find("://");
    if (scheme_end == std::string_view::npos || scheme_end == 0)
        return {};
    const size_t authority_end = url_template.find_first_of("/?#", scheme_end + 3);
    const std::string_view root = url_template.substr(0, authority_end);
    if (root.size() == scheme_end + 3)
        return {};
    return std::string(root) + "/";
}

int MarkNameTextId(int kind) {
    static constexpr std::array<int, 14> kIds{69, 70, 72,  71,  73, 74, 75,
                                              76, 77, 141, 179, 67, 65, 66};
    if (kind < 0 || kind >= static_cast<int>(kIds.size()))
        return -1;
    return kIds[static_cast<size_t>(kind)];
}

}  // namespace ardelle::map
