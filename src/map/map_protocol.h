#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "telemetry/samples.h"

namespace ardelle::map {

// The four values the map page shows for the current position.
struct MapValues {
    double map_lng = 0.0;
    double map_lat = 0.0;
    std::string map_status;        // "" playing or idle, "pause", "stop"
    std::int32_t pict_event = -1;  // the page's icon index of the position marker, -1 plain

    friend bool operator==(const MapValues&, const MapValues&) = default;
};

// Which list the main window shows; it selects the web message's command word.
enum class PageMode : int { kVideo = 0, kPicture = 1 };

// A track as the page reads it: for every usable sample latitude, longitude and frame,
// then the number of values before the count. Integers are carried exactly in doubles.
struct TrackPayload {
    std::vector<double> values{0.0};

    friend bool operator==(const TrackPayload&, const TrackPayload&) = default;
};

// One event mark as the map draws it: the mark's kind and acceleration sample and the
// sample's GPS link. The graph's mark records are converted to this plain form.
struct MapMark {
    int kind = 0;  // telemetry::MarkKind, the page's icon index
    bool has_sample = false;
    bool has_gps = false;
    double level_x = 0.0;
    double level_y = 0.0;
    double level_z = 0.0;
    std::int32_t frame = 0;  // the acceleration sample's frame index
    double latitude = 0.0;
    double longitude = 0.0;
    std::int32_t valid = 0;
    double speed = telemetry::kMissingSpeed;
    double direction = 0.0;
};

// A latitude and longitude the map can place: finite and inside the earth's ranges.
bool IsPlaceableCoordinate(double latitude, double longitude);

// "%f" as the C locale writes it (six decimals, a point), whatever the process locale;
// non-finite values are written as 0.000000 so that nothing but a number reaches a script.
std::string FormatFixed(double value);

// The payload of the valid samples of a track; samples whose position cannot be placed are
// dropped like invalid ones.
TrackPayload BuildTrackPayload(const std::vector<telemetry::GpsSample>& track);

// The statements that put a recording's track on the page (list index n) and take it off.
std::vector<std::string> DrawTrackStatements(int recording_index);
std::vector<std::string> ClearTrackStatements();
inline constexpr std::string_view kMoveMarkerStatement = "orbitgrplist.MoveMarker()";

// The statement that adds one event mark of recording n, or "" when the mark cannot be placed.
std::string AddMarkStatement(const MapMark& mark, int recording_index);

// The mark statements of a recording in the order the page receives them: from the last mark
// to the first, skipping hidden kinds and marks at 0.0/0.0 or off the earth, stopping at the
// first mark without a sample or GPS link. `visible_kinds` has bit k set for kind k.
struct MarkStatementList {
    std::vector<std::string> statements;
    bool complete = true;  // false when the walk stopped at a mark without sample or GPS link
};
MarkStatementList MarkStatements(const std::vector<MapMark>& marks, int recording_index,
                                 std::uint32_t visible_kinds);

// An ordered map of entries serialised to the page's flat JSON object, and the parser of
// incoming page messages with the four last received values.
class CJsonHolder {
  public:
    void Clear() { entries_.clear(); }
    void Insert(const std::string& key, const std::string& value, const std::string& separator);
    std::string Serialise() const;

    // Reads a flat object of string values; structural characters inside a key or value are
    // not escapes but change the state or are dropped. Stores the four known values.
    void Parse(std::string_view text);
    const std::map<std::string, std::string>& parsed() const { return parsed_; }

    std::string last_lat;
    std::string last_lng;
    std::string last_status;
    std::string last_pict_event;

  private:
    struct Entry {
        std::string value;
        std::string separator;
    };
    std::map<std::string, Entry> entries_;
    std::map<std::string, std::string> parsed_;
};

// The web message of the current values, as text.
std::string BuildWebMessage(const MapValues& values, int page_mode);

// Where the map's tiles come from: a URL template with {z}, {x} and {y} (and optionally {s})
// and the attribution the tile server asks for. Kept in the settings file (section MAP) so
// that a user can use another tile server or a local one.
struct TileSource {
    std::string url_template;
    std::string attribution;

    friend bool operator==(const TileSource&, const TileSource&) = default;
};
inline constexpr const char* kTileSettingsSection = "MAP";
inline constexpr const char* kTileUrlKey = "TILE_URL";
inline constexpr const char* kTileAttributionKey = "TILE_ATTRIBUTION";
inline constexpr const char* kDefaultTileUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
inline constexpr const char* kDefaultTileAttribution = "\u00a9 OpenStreetMap contributors";

// The tile source from the two stored values: an http(s) template naming {z}, {x} and {y},
// else the OpenStreetMap default with its attribution. A template of our own without an
// attribution gets none.
TileSource TileSourceFromSettings(std::string_view url_value, std::string_view attribution_value);

// The tile source stored in the application's settings file.
TileSource TileSourceFromAppSettings();

// The root address ("scheme://host[:port]/") of a tile URL template, "" when it has none:
// what the connectivity probe requests.
std::string TileServerRoot(std::string_view url_template);

// The UI text id of each mark kind's name (0..13), -1 for other values.
int MarkNameTextId(int kind);

}  // namespace ardelle::map
