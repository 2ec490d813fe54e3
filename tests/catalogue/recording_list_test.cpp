#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card_fixture.h"
#include "catalogue/name_units.h"
#include "catalogue/recording_entry.h"
#include "catalogue/recording_order.h"

namespace ardelle::catalogue {
namespace {

using testing::MovieName;
using testing::StillName;
using testing::TempFolder;
using testing::Touch;

std::string Be32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Box(const char* type, std::uint32_t size) {
    return Be32(size) + type + std::string(size - 8, '\0');
}

std::string TelemetryTrailer(std::uint32_t count) {
    return "CSMEND" + std::string(10, '\0') + Be32(count) + std::string(8, '\0');
}

TEST(MovieDataSize, AddsTheFirstFourBoxesAndTheTelemetryBlock) {
    TempFolder folder;
    const std::string boxes = Box("ftyp", 24) + Box("free", 8) + Box("mdat", 100) + Box("moov", 50);
    // A 64-bit mdat: size field 1, the real size after the type.
    const std::string large_mdat =
        Be32(1) + "mdat" + std::string(4, '\0') + Be32(116) + std::string(100, '\0');
    const struct {
        const char* label;
        std::string bytes;
        std::int64_t size;
    } cases[] = {
        {"four boxes, no trailer", boxes, 182},
        {"trailer names 3 records", boxes + std::string(10, 'r') + TelemetryTrailer(3),
         182 + 3 * 130 + 68},
        {"64-bit box size", Box("ftyp", 24) + large_mdat + Box("moov", 50) + Box("free", 8), 198},
        {"second box cut off", Box("ftyp", 24) + "\0\0", 24},
        {"a size past the end stops the sum", Box("ftyp", 24) + Be32(1000) + "mdat", 1024},
        {"empty file", "", 0},
        // ftyp, mdat, moov and the block: the block's tag is no box and ends the sum.
        {"three boxes then the telemetry block",
         Box("ftyp", 24) + Box("mdat", 100) + Box("moov", 50) + "CSMDAT" + std::string(4, 'r') +
             TelemetryTrailer(3),
         174 + 3 * 130 + 68},
        {"an unknown type ends the sum", Box("ftyp", 24) + Box("junk", 100) + Box("moov", 50), 24},
    };
    for (const auto& c : cases) {
        const std::string path = folder / "movie.MP4";
        ASSERT_TRUE(testing::WriteFile(path, c.bytes));
        EXPECT_EQ(MovieDataSize(path), c.size) << c.label;
    }
    EXPECT_EQ(MovieDataSize(folder / "missing.MP4"), 0);
}

TEST(RecordingEntries, MovieEntriesTakeTheirFactsFromTheNames) {
    TempFolder folder;
    const std::string front = folder / MovieName("PG__", 7, 'F');
    const std::string rear = Touch(folder.path(), MovieName("PG__", 7, 'R'));
    const std::string lone = Touch(folder.path(), MovieName("A___", 8, 'F'));
    ResetSequenceCounters();
    RecordingList list;
    ASSERT_TRUE(AddMovieEntry(front, rear, list));  // the front file is missing
    ASSERT_TRUE(AddMovieEntry(lone, folder / MovieName("A___", 8, 'R'), list));
    EXPECT_FALSE(AddMovieEntry(folder / "notes.txt", rear, list));
    ASSERT_EQ(list.size(), 2u);

    const RecordingEntry& rear_only = list[0];
    EXPECT_EQ(rear_only.front_path, "");
    EXPECT_EQ(rear_only.front_name, "");
    EXPECT_EQ(rear_only.rear_path, rear);
    EXPECT_EQ(rear_only.primary_name(), MovieName("PG__", 7, 'R'));
    EXPECT_EQ(rear_only.parking, 1);
    EXPECT_EQ(rear_only.trigger_letter, 'P');  // from the front name passed in
    EXPECT_EQ(rear_only.sequence, 0);
    EXPECT_EQ(rear_only.data_size_front, 0);

    EXPECT_EQ(list[1].sequence, 1);
    EXPECT_EQ(list[1].rear_path, "");
    EXPECT_EQ(list[1].parking, 0);
    EXPECT_TRUE(IsDuplicate(lone, "", list));
    EXPECT_TRUE(IsDuplicate("", rear, list));
    EXPECT_FALSE(IsDuplicate("", "", list));

    ResetSequenceCounters();
    ASSERT_TRUE(AddMovieEntry(lone, "", list));
    EXPECT_EQ(list.back().sequence, 0);
    AddBareEntry(folder.path(), list);
    EXPECT_EQ(list.back().sequence, -1);
    EXPECT_EQ(list.back().data_size_front, -1);
    EXPECT_EQ(list.back().data_size_rear, -1);
}

TEST(RecordingEntries, StillEntriesReadTheTrailer) {
    TempFolder folder;
    const std::string name = StillName("AG", "20230415", 1, 2, 'F');
    // time, ddmm.mmmm latitude, dddmm.mmmm longitude, speed
    const std::string placed = Touch(folder.path(), name,
                                     "JPEGDATA101500"
                                     "3541.1234"
                                     "13945.6789"
                                     "042");
    const std::string short_name = StillName("AM", "20230415", 2, 1, 'F');
    const std::string short_file = Touch(folder.path(), short_name, "tiny");
    ResetSequenceCounters();
    RecordingList list;
    ASSERT_TRUE(AddStillEntry(placed, folder / StillName("AG", "20230415", 1, 2, 'R'), list));
    ASSERT_TRUE(AddStillEntry(short_file, "", list));
    ASSERT_TRUE(AddStillEntry(folder / StillName("AM", "20230415", 3, 1, 'F'), "", list));
    // A picture without the recorder's trailer ends in JPEG bytes, which are no time text.
    const std::string bare_jpeg =
        std::string("\xff\xd8\xff\xe0") + std::string(40, '\x9c') + "\xff\xd9";
    ASSERT_TRUE(AddStillEntry(
        Touch(folder.path(), StillName("AM", "20230415", 4, 1, 'F'), bare_jpeg), "", list));
    EXPECT_FALSE(AddStillEntry(folder / MovieName("A___", 1, 'F'), "", list));

    EXPECT_EQ(list[0].still_date, "230415");
    EXPECT_EQ(list[0].still_time, "101500");
    EXPECT_NEAR(list[0].latitude, 35 + 41.1234 / 60, 1e-12);
    EXPECT_NEAR(list[0].longitude, 139 + 45.6789 / 60, 1e-12);
    EXPECT_EQ(list[0].speed, 42);
    EXPECT_EQ(list[0].data_size_front, 36);
    EXPECT_TRUE(list[0].is_placed());

    EXPECT_EQ(list[1].still_date, "230415");  // readable, but no trailer
    EXPECT_EQ(list[1].still_time, "ERROR!");
    EXPECT_FALSE(list[1].is_placed());

    EXPECT_EQ(list[2].still_date, "ERROR!");  // the file does not exist
    EXPECT_EQ(list[2].still_time, "ERROR!");
    EXPECT_EQ(list[2].sequence, 2);

    EXPECT_EQ(list[3].still_time, "ERROR!");
    EXPECT_FALSE(list[3].is_placed());
    EXPECT_EQ(list[3].speed, 0);
}

RecordingEntry EntryNamed(const std::string& name) {
    RecordingEntry entry;
    entry.front_name = name;
    entry.front_path = "/card/" + name;
    return entry;
}

std::vector<std::string> NamesOf(const RecordingList& list) {
    std::vector<std::string> names;
    for (const RecordingEntry& entry : list) {
        names.push_back(entry.primary_name());
    }
    return names;
}

TEST(RecordingOrder, NormalThenParkingThenOthersEachByRunningNumber) {
    RecordingList list{EntryNamed(MovieName("P___", 50, 'F')), EntryNamed("clip.MP4"),
                       EntryNamed(MovieName("A___", 123, 'F')),
                       EntryNamed(MovieName("PG__", 7, 'F')),
                       EntryNamed(MovieName("AG__", 9, 'F'))};
    RecordingEntry rear_only;
    rear_only.rear_name = MovieName("A___", 100, 'R');
    list.push_back(rear_only);
    SortEntriesByKind(list);
    EXPECT_EQ(NamesOf(list),
              (std::vector<std::string>{MovieName("AG__", 9, 'F'), MovieName("A___", 100, 'R'),
                                        MovieName("A___", 123, 'F'), MovieName("PG__", 7, 'F'),
                                        MovieName("P___", 50, 'F'), "clip.MP4"}));
}

TEST(RecordingOrder, FoundFileOrders) {
    const auto found = [](std::string name, bool folder) {
        FoundFile file;
        file.name = name;
        file.path = "/d/" + name;
        file.attributes = folder ? kAttributeFolder : 0;
        return file;
    };
    FoundFileList files{found("b", false), found("z", true), found("a", false), found("c", true)};
    SortFoundFoldersFirst(files);
    EXPECT_EQ(files[0].name + files[1].name + files[2].name + files[3].name, "czab");
    SortFoundByPath(files);
    EXPECT_EQ(files[0].name + files[1].name + files[2].name + files[3].name, "abcz");

    FoundFileList movies{found("x.MP4", false), found(MovieName("P___", 2, 'F'), false),
                         found(MovieName("A___", 3, 'F'), false)};
    SortFoundMoviesFirst(movies);
    EXPECT_EQ(movies[0].name, MovieName("P___", 2, 'F'));
    EXPECT_EQ(movies[2].name, "x.MP4");

    FoundFileList stills{found(StillName("AM", "20230416", 1, 1, 'F'), false),
                         found(StillName("AG", "20230415", 2, 1, 'F'), false),
                         found(StillName("AA", "20230415", 1, 2, 'F'), false),
                         found(StillName("__", "20230415", 1, 1, 'F'), false)};
    SortFoundStillsFirst(stills);
    EXPECT_EQ(stills[0].name, StillName("__", "20230415", 1, 1, 'F'));
    EXPECT_EQ(stills[1].name, StillName("AA", "20230415", 1, 2, 'F'));
    EXPECT_EQ(stills[2].name, StillName("AG", "20230415", 2, 1, 'F'));
    EXPECT_EQ(stills[3].name, StillName("AM", "20230416", 1, 1, 'F'));
}

TEST(RecordingOrder, TextsCompareByUtf16CodeUnits) {
    // U+FF21 (one unit 0xFF21) sorts after U+1F600 (units 0xD83D 0xDE00) in UTF-16,
    // although its UTF-8 bytes sort before.
    EXPECT_TRUE(detail::Utf16Less("\xF0\x9F\x98\x80", "\xEF\xBC\xA1"));
    EXPECT_FALSE(detail::Utf16Less("\xEF\xBC\xA1", "\xF0\x9F\x98\x80"));
    EXPECT_TRUE(detail::Utf16Less("Front", "Rear"));
    EXPECT_TRUE(detail::Utf16Less("A", "AB"));
    EXPECT_FALSE(detail::Utf16Less("a", "B"));  // case-sensitive, ordinal
    EXPECT_EQ(detail::UnitSlice("\xE3\x81\x82"
                                "bcdef",
                                1, 3),
              "bcd");
    EXPECT_EQ(detail::UnitsUntil("x\xE3\x81\x82-y", 0, '-'), "x\xE3\x81\x82");
}

TEST(TriggerFilter, EachRecordingShowsThroughItsOwnSwitch) {
    const TriggerSwitches continuous_only{1, 0, 0, 0, 0, 0, 0};
    const TriggerSwitches parking_only{0, 0, 0, 0, 1, 0, 0};
    const TriggerSwitches speed_camera_only{0, 0, 0, 0, 0, 0, 1};
    const struct {
        const char* trigger;
        bool continuous, parking, speed_camera, all;
    } cases[] = {
        {"A___", true, false, false, true},  {"T___", true, false, false, true},
        {"AG__", false, false, false, true}, {"A_O_", false, false, true, true},
        {"A_T_", true, true, false, true},   {"P___", false, true, false, true},
        {"PG__", false, false, false, true}, {"PM__", false, true, false, true},
        {"AM__", false, false, false, true}, {"AD__", false, false, false, true},
        {"AGO_", false, false, true, true},  {"__O_", false, false, true, true},
    };
    for (const auto& c : cases) {
        const RecordingEntry entry = EntryNamed(MovieName(c.trigger, 1, 'F'));
        EXPECT_EQ(PassesMovieFilter(entry, continuous_only), c.continuous) << c.trigger;
        EXPECT_EQ(PassesMovieFilter(entry, parking_only), c.parking) << c.trigger;
        EXPECT_EQ(PassesMovieFilter(entry, speed_camera_only), c.speed_camera) << c.trigger;
        EXPECT_EQ(PassesMovieFilter(entry, kAllTriggersOn), c.all) << c.trigger;
    }
    // Shock is kept through its own switch even with the speed-camera switch off.
    EXPECT_TRUE(PassesMovieFilter(EntryNamed(MovieName("AGO_", 1, 'F')), {0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(
        FilterMovies({EntryNamed(MovieName("A___", 1, 'F')), EntryNamed(MovieName("P___", 2, 'F'))},
                     continuous_only)
            .size(),
        1u);
}

TEST(TriggerFilter, StillsHaveNoParkingShockOrSpeedCameraStep) {
    const struct {
        const char* trigger;
        TriggerSwitches switches;
        bool shown;
    } cases[] = {
        {"A_", {1, 0, 0, 0, 0, 0, 0}, true},
        {"AG", {1, 0, 0, 0, 0, 0, 0}, false},
        {"AG", {0, 1, 0, 0, 0, 0, 0}, true},
        {"PG", {0, 0, 0, 0, 0, 1, 0}, false},  // no parking-shock step for stills
        {"PG", {0, 0, 0, 0, 1, 0, 0}, true},
        {"M_", {0, 0, 1, 0, 0, 0, 0}, false},  // 'M' is the second character that counts
        {"_M", {0, 0, 1, 0, 0, 0, 0}, true},
    };
    for (const auto& c : cases) {
        RecordingEntry entry = EntryNamed(StillName(c.trigger, "20230415", 1, 1, 'F'));
        EXPECT_EQ(PassesStillFilter(entry, c.switches), c.shown) << c.trigger;
    }
}

}  // namespace
}  // namespace ardelle::catalogue
