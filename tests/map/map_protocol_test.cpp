#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <string>
#include <vector>

#include "map/map_protocol.h"

namespace ardelle::map {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

telemetry::GpsSample Fix(double lat, double lng, int frame, int valid = 1) {
    telemetry::GpsSample sample;
    sample.latitude = lat;
    sample.longitude = lng;
    sample.time = frame;
    sample.valid = valid;
    return sample;
}

TEST(TrackPayloadTest, ValidSamplesAsTriplesThenTheirCount) {
    const std::vector<telemetry::GpsSample> track{Fix(35.1, 139.1, 0, 1), Fix(35.2, 139.2, 3, 0),
                                                  Fix(35.3, 139.3, 6, 1), Fix(35.4, 139.4, 9, 1)};
    const TrackPayload payload = BuildTrackPayload(track);
    EXPECT_EQ(payload.values,
              (std::vector<double>{35.1, 139.1, 0, 35.3, 139.3, 6, 35.4, 139.4, 9, 9}));
}

TEST(TrackPayloadTest, NothingUsableGivesTheSingleZero) {
    EXPECT_EQ(BuildTrackPayload({}).values, std::vector<double>{0.0});
    EXPECT_EQ(BuildTrackPayload({Fix(35.0, 139.0, 0, 0)}).values, std::vector<double>{0.0});
    EXPECT_EQ(TrackPayload{}.values, std::vector<double>{0.0});
}

// A corrupt block can carry any bit pattern; a valid flag alone must not put it on the map.
TEST(TrackPayloadTest, PositionsOffTheEarthAreDropped) {
    struct Case {
        double lat;
        double lng;
        bool kept;
    };
    const Case cases[] = {
        {kNaN, 139.0, false}, {35.0, kNaN, false},  {kInf, 139.0, false},  {35.0, -kInf, false},
        {90.5, 139.0, false}, {35.0, 180.5, false}, {720.0, 720.0, false}, {-90.0, -180.0, true},
        {90.0, 180.0, true},  {-33.9, 151.2, true},
    };
    for (const Case& c : cases) {
        const TrackPayload payload = BuildTrackPayload({Fix(c.lat, c.lng, 7)});
        EXPECT_EQ(payload.values.size(), c.kept ? 4u : 1u) << c.lat << "," << c.lng;
    }
}

// Numbers that reach a script are C-locale numbers even when the program runs under a
// locale with a decimal comma.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(FormatFixedTest, PointDecimalsWhateverTheLocale) {
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {35.68539, "35.685390"},   {-0.5, "-0.500000"}, {1234567.25, "1234567.250000"},
        {0.0, "0.000000"},         {kNaN, "0.000000"},  {kInf, "0.000000"},
        {32767.0, "32767.000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFixed(c.value), c.text);
    std::locale::global(previous);
}

TEST(StatementsTest, TrackStatementsInThePagesOrder) {
    EXPECT_EQ(
        DrawTrackStatements(12),
        (std::vector<std::string>{"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()",
                                  "orbitgrplist.CreateLine()", "orbitgrplist.CreateGridLine(12)"}));
    EXPECT_EQ(ClearTrackStatements(),
              (std::vector<std::string>{"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()",
                                        "orbitgrplist.gridlist.ReleasePoints()",
                                        "orbitgrplist.grplist.ReleasePoints()",
                                        "orbitgrplist.DeleteGrpLine()"}));
}

MapMark Mark(int kind, double lat, double lng, int frame) {
    MapMark mark;
    mark.kind = kind;
    mark.has_sample = true;
    mark.has_gps = true;
    mark.level_x = 0.25;
    mark.level_y = -1.5;
    mark.level_z = 0.0;
    mark.frame = frame;
    mark.latitude = lat;
    mark.longitude = lng;
    mark.valid = 1;
    mark.speed = 42.5;
    return mark;
}

TEST(StatementsTest, MarkStatementCarriesTheTwelveArguments) {
    EXPECT_EQ(AddMarkStatement(Mark(8, 35.5, 139.25, 412), 3),
              "cplist.AddCrashPos(8,0.250000,-1.500000,0.000000,0,3,412,35.500000,139.250000,1,"
              "42.500000,0.000000)");
}

TEST(StatementsTest, MarkWalkFromLastToFirstWithItsSkipsAndStop) {
    constexpr std::uint32_t kAll = 0x3FFF;
    MapMark no_gps = Mark(5, 35.0, 139.0, 30);
    no_gps.has_gps = false;
    MapMark hidden_no_gps = no_gps;
    hidden_no_gps.kind = 7;
    struct Case {
        const char* name;
        std::vector<MapMark> marks;
        std::uint32_t visible;
        std::vector<int> frames;  // of the statements sent, in order
        bool complete;
    };
    const std::vector<Case> cases = {
        {"last to first", {Mark(0, 35, 139, 10), Mark(2, 35, 139, 20)}, kAll, {20, 10}, true},
        {"hidden kind skipped",
         {Mark(0, 35, 139, 10), Mark(2, 35, 139, 20)},
         kAll & ~4u,
         {10},
         true},
        {"zero position skipped", {Mark(0, 35, 139, 10), Mark(2, 0.0, 0.0, 20)}, kAll, {10}, true},
        {"no position (720) dropped",
         {Mark(0, 35, 139, 10), Mark(2, 720, 720, 20)},
         kAll,
         {10},
         true},
        {"NaN dropped", {Mark(0, 35, 139, 10), Mark(2, kNaN, 139, 20)}, kAll, {10}, true},
        {"stop at a mark without GPS",
         {Mark(0, 35, 139, 10), no_gps, Mark(2, 35, 139, 40)},
         kAll,
         {40},
         false},
        {"a hidden mark does not stop",
         {Mark(0, 35, 139, 10), hidden_no_gps},
         kAll & ~(1u << 7),
         {10},
         true},
    };
    for (const Case& c : cases) {
        const MarkStatementList list = MarkStatements(c.marks, 1, c.visible);
        ASSERT_EQ(list.statements.size(), c.frames.size()) << c.name;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            EXPECT_NE(list.statements[i].find(",0,1," + std::to_string(c.frames[i]) + ","),
                      std::string::npos)
                << c.name << ": " << list.statements[i];
        }
        EXPECT_EQ(list.complete, c.complete) << c.name;
    }
}

TEST(WebMessageTest, ExactTextForEachPageMode) {
    struct Case {
        MapValues values;
        int mode;
        const char* text;
    };
    const Case cases[] = {
        {{139.753, 35.68539, "", -1},
         0,
         R"({"map_lat":"35.685390","map_lng":"139.753000","map_status":"","pict_event":"-1","val_command":"update","val_end":""})"},
        {{139.753, 35.68539, "pause", 5},
         1,
         R"({"map_lat":"35.685390","map_lng":"139.753000","map_status":"pause","pict_event":"5","val_command":"update_picture","val_end":""})"},
        {{-0.5, -33.25, "stop", 10},
         2,
         R"({"map_lat":"-33.250000","map_lng":"-0.500000","map_status":"stop","pict_event":"10","val_end":""})"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildWebMessage(c.values, c.mode), c.text);
}

TEST(JsonHolderTest, SerialisedValuesCannotBreakOutOfTheirString) {
    CJsonHolder holder;
    holder.Insert("a", "x\"y\\z\n", "");
    EXPECT_EQ(holder.Serialise(), R"({"a":"x\"y\\z\u000a"})");
}

TEST(JsonHolderTest, ParsesFlatObjectsWithoutEscapes) {
    struct Case {
        const char* text;
        const char* lat;
        const char* lng;
        const char* status;
        const char* pict;
    };
    const Case cases[] = {
        {R"({"map_lat":"1,5"})", "15", "", "", ""},
        {R"({"map_lat":"35.685390","map_lng":"139.753000","map_status":"pause","pict_event":"5","val_end":""})",
         "35.685390", "139.753000", "pause", "5"},
        {R"(junk {"map_status":"a:b{c}"} {"map_lat":"9"})", "", "", "abc", ""},
        {R"({"map_lat":"12)", "", "", "", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        CJsonHolder holder;
        holder.last_lat = "stale";
        holder.Parse(c.text);
        EXPECT_EQ(holder.last_lat, c.lat) << c.text;
        EXPECT_EQ(holder.last_lng, c.lng) << c.text;
        EXPECT_EQ(holder.last_status, c.status) << c.text;
        EXPECT_EQ(holder.last_pict_event, c.pict) << c.text;
    }
}

TEST(TileSourceTest, StoredTemplateOrTheDefault) {
    const TileSource osm{kDefaultTileUrl, kDefaultTileAttribution};
    struct Case {
        const char* url;
        const char* attribution;
        TileSource expected;
    };
    const Case cases[] = {
        {"", "", osm},
        {"http://127.0.0.1:8111/tiles/{z}/{x}/{y}.png",
         "local",
         {"http://127.0.0.1:8111/tiles/{z}/{x}/{y}.png", "local"}},
        {"https://{s}.tiles.example/{z}/{x}/{y}.png",
         "",
         {"https://{s}.tiles.example/{z}/{x}/{y}.png", ""}},
        {"file:///etc/{z}/{x}/{y}", "x", osm},
        {"javascript:alert(1)//{z}{x}{y}", "x", osm},
        {"https://tiles.example/{z}/{x}.png", "x", osm},
        {kDefaultTileUrl, "", osm},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TileSourceFromSettings(c.url, c.attribution), c.expected) << c.url;
}

TEST(TileSourceTest, RootAddressForTheProbe) {
    struct Case {
        const char* url;
        const char* root;
    };
    const Case cases[] = {
        {kDefaultTileUrl, "https://tile.openstreetmap.org/"},
        {"http://127.0.0.1:8111/tiles/{z}/{x}/{y}.png", "http://127.0.0.1:8111/"},
        {"http://[::1]:80?x={z}", "http://[::1]:80/"},
        {"no scheme/{z}", ""},
        {"https://", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TileServerRoot(c.url), c.root) << c.url;
}

TEST(MarkNamesTest, KindsToTextIds) {
    EXPECT_EQ(MarkNameTextId(0), 69);
    EXPECT_EQ(MarkNameTextId(3), 71);
    EXPECT_EQ(MarkNameTextId(9), 141);
    EXPECT_EQ(MarkNameTextId(13), 66);
    EXPECT_EQ(MarkNameTextId(14), -1);
    EXPECT_EQ(MarkNameTextId(-1), -1);
}

}  // namespace
}  // namespace ardelle::map
