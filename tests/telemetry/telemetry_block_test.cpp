#include <gtest/gtest.h>

#include <cmath>

#include "support/mp4_builder.h"
#include "telemetry/telemetry_block.h"

namespace ardelle::telemetry {
namespace {

using testing::RecordFields;

const std::uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

GpsSample GpsOf(const RecordFields& fields, float ms = kMsPerRecordNormal) {
    const std::string record = testing::Record(fields);
    return DecodeGps(Bytes(record), 0, ms);
}

SensorSample SensorOf(const RecordFields& fields) {
    const std::string record = testing::Record(fields);
    return DecodeSensor(Bytes(record), 0, kMsPerRecordNormal);
}

TEST(TelemetryRecord, CoordinatesSpeedAndBlanks) {
    const double tokyo = 35.0 + 41.1234 / 60.0;
    const struct {
        const char* latitude;
        char hemisphere;
        const char* speed;
        double expected_latitude;
        double expected_speed;
    } cases[] = {
        {"3541.1234", 'N', "45.5", tokyo, 45.5},
        {"3541.1234", '\0', "45.5", -tokyo, 45.5},  // a zero hemisphere byte is south
        {"3541.1234", 'S', "  7", tokyo, 7.0},      // any other byte is north
        {"         ", 'N', "    ", kMissingCoordinate, kMissingSpeed},
        {" 3541.12x", 'N', "x1  ", 35.0 + 41.12 / 60.0, 0.0},  // parsing stops at 'x'
        {"0000.0000", 'N', "0", 0.0, 0.0},
    };
    for (const auto& c : cases) {
        RecordFields fields;
        fields.latitude = c.latitude;
        fields.latitude_hemisphere = c.hemisphere;
        fields.speed = c.speed;
        const GpsSample gps = GpsOf(fields);
        EXPECT_NEAR(gps.latitude, c.expected_latitude, 1e-12) << c.latitude;
        EXPECT_DOUBLE_EQ(gps.speed, c.expected_speed) << c.speed;
    }
    const GpsSample gps = GpsOf(RecordFields{});
    EXPECT_NEAR(gps.longitude, 139.0 + 45.6789 / 60.0, 1e-12);
    EXPECT_EQ(gps.valid, 1);
    RecordFields no_fix;
    no_fix.fix = 'V';
    EXPECT_EQ(GpsOf(no_fix).valid, 0);
}

TEST(TelemetryRecord, DateTimeAndOffset) {
    // The tests run with TZ=Asia/Tokyo.
    const struct {
        const char* digits;
        const char* offset;
        platform::CalendarTime expected;
    } cases[] = {
        {"220901054302", "*18", {2022, 9, 4, 1, 5, 43, 2, 0}},
        {"220901054302", "018", {2022, 9, 4, 1, 5, 43, 20, 0}},
        {"220901054302", "-02", {2022, 9, 4, 1, 5, 43, 0, 0}},
        {"221231235959", "001", {2023, 1, 0, 1, 0, 0, 0, 0}},
        {"220230120000", "*00", {2022, 3, 3, 2, 12, 0, 0, 0}},  // 30 February rolls over
    };
    for (const auto& c : cases) {
        RecordFields fields;
        fields.date_time = c.digits;
        fields.time_offset = c.offset;
        EXPECT_EQ(GpsOf(fields).local_time, c.expected) << c.digits << " " << c.offset;
    }
}

TEST(TelemetryRecord, SensorFieldsAndEventPrecedence) {
    const SensorSample plain = SensorOf(RecordFields{});
    EXPECT_DOUBLE_EQ(plain.x, -0.123);
    EXPECT_DOUBLE_EQ(plain.y, 0.05);
    EXPECT_DOUBLE_EQ(plain.z, 1.0);
    EXPECT_EQ(plain.aux, 124);
    EXPECT_EQ(plain.status, 'R');
    EXPECT_EQ(plain.event_kind, -1);

    const struct {
        char manual, support, emergency, parking;
        int kind;
    } events[] = {
        {'D', 'N', 'D', 'N', 6},  {'D', 'B', 'N', 'N', 5},  {'N', 'H', 'N', 'D', 7},
        {'N', 'H', 'N', 'N', 11}, {'N', 'A', 'N', 'N', 12}, {'N', 'B', 'N', 'N', 13},
        {'N', 'X', 'N', 'N', -1}, {'d', 'N', 'N', 'N', -1},
    };
    for (const auto& e : events) {
        RecordFields fields;
        fields.manual = e.manual;
        fields.support = e.support;
        fields.emergency = e.emergency;
        fields.parking = e.parking;
        EXPECT_EQ(SensorOf(fields).event_kind, e.kind)
            << e.manual << e.support << e.emergency << e.parking;
    }

    RecordFields flags;
    flags.speeding = 'D';
    flags.approach = 'D';
    flags.axis = 'Y';
    flags.nibbles = 0xA9;
    const SensorSample flagged = SensorOf(flags);
    EXPECT_EQ(flagged.secondary, 8);
    EXPECT_EQ(flagged.tertiary, 10);
    EXPECT_EQ(flagged.shock_axis, 2);
    EXPECT_EQ(flagged.high_nibble, 10);
    EXPECT_EQ(flagged.low_nibble, 9);
}

TEST(TelemetryRecord, VehicleBytesAreCarriedUnchanged) {
    RecordFields fields;
    fields.vehicle_first = 0xAB;
    const std::string record = testing::Record(fields);
    const VehicleSample vehicle = DecodeVehicle(Bytes(record), 4);
    EXPECT_EQ(vehicle.index, 4);
    EXPECT_EQ(std::string(vehicle.status.begin(), vehicle.status.end()), "VS01");
    EXPECT_EQ(vehicle.data[0], 0xAB);
    EXPECT_EQ(vehicle.data[35], 123);
}

TEST(TelemetryRecord, RecordTimesInSinglePrecision) {
    EXPECT_EQ(RecordTimeMs(3, kMsPerRecordTimeLapse), 200);
    EXPECT_EQ(RecordTimeMs(4, kMsPerRecordTimeLapse), 266);
    EXPECT_EQ(RecordTimeMs(7, kMsPerRecordNormal), 700);
    EXPECT_FLOAT_EQ(MsPerRecordFor("T___-230415-101500-000001F.MP4"), kMsPerRecordTimeLapse);
    EXPECT_FLOAT_EQ(MsPerRecordFor("P_T_-230415-101500-000001F.MP4"), kMsPerRecordTimeLapse);
    EXPECT_FLOAT_EQ(MsPerRecordFor("A___-230415-101500-000001F.MP4"), kMsPerRecordNormal);
}

TEST(TelemetryHeader, ValuesModeAndSwitches) {
    testing::HeaderFields fields;
    std::string body = testing::HeaderBody(fields) + testing::Be16(0);
    RecordingHeaderInfo header = DecodeHeader(Bytes(body), body.size(), "T___-x");
    EXPECT_FLOAT_EQ(header.values[0], 1.0f);
    EXPECT_FLOAT_EQ(header.values[1], 0.5f);
    EXPECT_FLOAT_EQ(header.values[2], 0.15f);
    EXPECT_FLOAT_EQ(header.values[3], 2.0f);
    EXPECT_EQ(header.mode, 'M');
    EXPECT_EQ(std::string(header.settings.begin(), header.settings.end()), "abcdef");
    EXPECT_EQ(header.quality, 'H');
    EXPECT_EQ(header.rate, 'T');
    EXPECT_EQ(header.speed_display, 1);
    EXPECT_EQ(header.gps_display, 1);

    fields.mode = 'X';
    fields.speed_display = 0;
    body = testing::HeaderBody(fields) + testing::Be16(0);
    header = DecodeHeader(Bytes(body), body.size(), "A___-x");
    EXPECT_FLOAT_EQ(header.values[0], -1.0f);
    EXPECT_EQ(header.rate, 'N');
    EXPECT_EQ(header.speed_display, 0);
}

TEST(TelemetryHeader, ChainedEntryReplacesTheFirst) {
    testing::HeaderFields second;
    second.quality = 'L';
    second.values = "0500050005000500";
    // The first record starts with two bytes, then "@CS" and a letter, then a header body.
    std::string first_record = "..@CSA" + testing::HeaderBody(second);
    first_record.resize(130, ' ');
    const std::string body = testing::HeaderBody({}) + testing::Be16(1) + first_record;
    const RecordingHeaderInfo header = DecodeHeader(Bytes(body), body.size(), "A___-x");
    EXPECT_EQ(header.quality, 'L');
    EXPECT_FLOAT_EQ(header.values[2], 0.5f);
}

struct CountCase {
    const char* name;
    std::uint16_t count;
    std::vector<std::string> records;
    BlockDecode::Status status;
    std::size_t samples;
};

TEST(TelemetryBlock, CountConventions) {
    const std::string record = testing::Record({});
    const std::string end = testing::EndRecord();
    const CountCase cases[] = {
        {"open count", 0xFFFF, {record, record, end}, BlockDecode::Status::kComplete, 2},
        {"open count ends at the trailer", 0xFFFF, {record}, BlockDecode::Status::kComplete, 1},
        {"early end record", 3, {record, end, record}, BlockDecode::Status::kEndedEarly, 1},
        {"no records", 0, {}, BlockDecode::Status::kComplete, 0},
        {"exact", 2, {record, record}, BlockDecode::Status::kComplete, 2},
        {"count past the records: the trailer ends them",
         5,
         {record, record},
         BlockDecode::Status::kEndedEarly,
         2},
        {"count past the bytes", 5, {record, record}, BlockDecode::Status::kTruncated, 0},
        {"open count without any end",
         0xFFFF,
         {record, std::string(60, 'x')},
         BlockDecode::Status::kTruncated,
         0},
    };
    for (const CountCase& c : cases) {
        std::string block = testing::Block(testing::HeaderBody({}), c.count, c.records, 0);
        if (std::string(c.name) == "open count without any end" ||
            std::string(c.name) == "count past the bytes") {
            block.resize(block.size() - 28);  // no trailer either
        }
        SampleLists lists;
        lists.gps.push_back(GpsSample{});  // earlier samples are kept in every case
        const BlockDecode result =
            DecodeRecords(Bytes(block) + 6, block.size() - 6, "A___-230415-101500-000001F.MP4",
                          kMsPerRecordNormal, DecodeParts::kAll, lists);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(lists.gps.size(), 1 + c.samples) << c.name;
        EXPECT_EQ(lists.sensors.size(), c.samples) << c.name;
        EXPECT_EQ(lists.vehicles.size(), c.samples) << c.name;
    }
}

TEST(TelemetryBlock, ParkingRecordingsGetBlankPositions) {
    const std::string block =
        testing::Block(testing::HeaderBody({}), 2, {testing::Record({}), testing::Record({})}, 2);
    SampleLists lists;
    DecodeRecords(Bytes(block) + 6, block.size() - 6, "P___-230415-101500-000001F.MP4",
                  kMsPerRecordNormal, DecodeParts::kAll, lists);
    ASSERT_EQ(lists.gps.size(), 2u);
    EXPECT_EQ(lists.gps[1].index, 1);
    EXPECT_EQ(lists.gps[1].valid, 0);
    EXPECT_EQ(lists.gps[1].time, 0x20202020);
    EXPECT_EQ(lists.sensors[1].aux, 124);
    // Only the GPS parts, as the map's track reads them: parking positions are decoded.
    SampleLists track;
    DecodeRecords(Bytes(block) + 6, block.size() - 6, "P___-230415-101500-000001F.MP4",
                  kMsPerRecordNormal, DecodeParts::kGpsOnly, track);
    ASSERT_EQ(track.gps.size(), 2u);
    EXPECT_EQ(track.gps[1].valid, 1);
    EXPECT_TRUE(track.sensors.empty());
}

}  // namespace
}  // namespace ardelle::telemetry
