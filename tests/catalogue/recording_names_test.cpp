#include <gtest/gtest.h>

#include <string>

#include "base/ui_text.h"
#include "catalogue/recording_names.h"

namespace ardelle::catalogue {
namespace {

TEST(MovieNames, AcceptClassifyAndPickTheCamera) {
    const struct {
        const char* name;
        bool movie, front, rear, mp4;
        int trigger_class;
    } cases[] = {
        {"A___-230415-101500-000123F.MP4", true, true, false, true, 0},
        {"AG__-230415-101500-000123R.MP4", true, false, true, true, 1},
        {"AM__-230415-101500-000123F.MP4", true, true, false, true, 2},
        {"AD__-230415-101500-000123F.MP4", true, true, false, true, 3},
        {"P___-230415-101500-000123F.MP4", true, true, false, true, 4},
        {"PG__-230415-101500-000123F.MP4", true, true, false, true, 5},
        {"__O_-230415-101500-000123F.MP4", true, true, false, true, 6},
        {"__T_-230415-101500-000123F.MP4", true, true, false, true, 4},
        {"T_O_-230415-101500-000123F.MP4", true, true, false, true, 0},
        {"A__S-230415-101500-000123F.MP4", true, true, false, true, 0},
        {"____-230415-101500-000123F.MP4", false, false, false, true, -1},
        {"_G__-230415-101500-000123F.MP4", false, false, false, true, -1},
        {"a___-230415-101500-000123F.MP4", false, false, false, true, -1},  // lower-case trigger
        {"A___-230415-101500-000123F.mp4", false, false, false, true,
         0},  // pattern is case-sensitive
        {"ABCD-A___-230415-101500-000123F.MP4", true, true, false, true, 0},  // unanchored search
        {"A___-230415-101500-000123F.MP4.bak", true, true, false, false, 0},
        {"A___-230415-101500-000123FxMP4", true, true, false, false, 0},  // "." is any character
        {"A___-230415-101500-000123F\nMP4", false, false, false, false, 0},
        {"A____230415-101500-000123F.MP4", false, false, false, true, 0},  // index 4 is not '-'
        {"A___-23041-101500-000123F.MP4", false, false, false, true, 0},   // five date digits
        {"A___-230415-101500-000123X.MP4", false, false, false, true, 0},  // no camera letter
        {"A___", false, false, false, false, 0},
        {"", false, false, false, false, -1},
        // Positions count UTF-16 code units: the two-unit prefix puts 'O' at index 2.
        {"日本O_-A___-230415-101500-000123F.MP4", true, true, false, true, 6},
        {"日本語_-A___-230415-101500-000123F.MP4", false, false, false, true, -1},
    };
    for (const auto& c : cases) {
        const std::string path = std::string("/media/card/Normal/Front/") + c.name;
        EXPECT_EQ(IsMovieName(path), c.movie) << c.name;
        EXPECT_EQ(IsFrontMovieName(path), c.front) << c.name;
        EXPECT_EQ(IsRearMovieName(path), c.rear) << c.name;
        EXPECT_EQ(IsMp4Path(path), c.mp4) << c.name;
        EXPECT_EQ(TriggerClassOf(path), c.trigger_class) << c.name;
    }
}

TEST(MovieNames, SecondCharKindAndTriggerFlags) {
    const struct {
        const char* name;
        int kind, flags;
    } cases[] = {
        {"A___-230415-101500-000123F.MP4", 1, 0x01},
        {"AG__-230415-101500-000123F.MP4", 5, 0x01 | 0x04},
        {"AM__-230415-101500-000123F.MP4", 4, 0x01 | 0x02},
        {"AD__-230415-101500-000123F.MP4", 3, 0x01 | 0x40},
        {"P___-230415-101500-000123F.MP4", 1, 0x08},
        {"PG__-230415-101500-000123F.MP4", 5, 0x10},
        {"PM__-230415-101500-000123F.MP4", 4, 0x02 | 0x08},
        {"A_O_-230415-101500-000123F.MP4", 1, 0x01 | 0x20},
        {"__T_-230415-101500-000123F.MP4", 1, 0x01},
        {"T_T_-230415-101500-000123F.MP4", 1, 0x01},
        {"AX__-230415-101500-000123F.MP4", 0, 0x01},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SecondCharKind(c.name), c.kind) << c.name;
        int flags = 0x100;  // flags are OR-ed in, never cleared
        AddTriggerFlags(c.name, flags);
        EXPECT_EQ(flags, 0x100 | c.flags) << c.name;
    }
}

TEST(MovieNames, TriggerLabels) {
    base::SetUiLanguage(0);
    const struct {
        const char* prefix;
        const char* label;
    } cases[] = {
        {"A___", "常時"},
        {"A_O_", "オービス"},
        {"A_T_", "駐車タイムラプス"},
        {"AD__", "後続車接近"},
        {"AM__", "マニュアル"},
        {"AG__", "衝撃"},
        {"AGO_", "衝撃"},
        {"P_T_", "駐車タイムラプス"},
        {"PGT_", "駐車タイムラプス+衝撃"},
        {"P___", "駐車"},
        {"PG__", "駐車衝撃"},
        {"PM__", ""},
        {"T___", "常時タイムラプス"},
        {"T_O_", "常時タイムラプス+オービス"},
        {"TD__", "常時タイムラプス+後続車接近"},
        {"TM__", "常時タイムラプス+マニュアル"},
        {"TG__", "常時タイムラプス+衝撃"},
        {"__O_", ""},
    };
    for (const auto& c : cases) {
        const std::string name = std::string(c.prefix) + "-230415-101500-000123F.MP4";
        EXPECT_EQ(TriggerLabelOf("/card/Normal/Front/" + name), c.label) << name;
    }
    EXPECT_EQ(TriggerLabelOf("A___-230415-101500-00012F.MP4"), "");  // 29 characters
}

TEST(StillNames, AcceptPickTheCameraAndFlag) {
    const struct {
        const char* name;
        bool still, front, rear;
        int flags;
    } cases[] = {
        {"AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG", true, true, false, 0x01 | 0x04},
        {"P_-20230415-abcdefgh_1234567-001-002R.JPG", true, false, true, 0x08},
        {"PG-20230415-ABC|EFGHIJKLMNOP-001-002R.JPG", true, false, true, 0x10},
        {"MD-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG", true, true, false, 0x40},
        {"_M-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG", true, true, false, 0x02},
        {"x/AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG", true, true, false, 0x05},
        {"AG-2023041-ABCDEFGHIJKLMNOPQ-001-002F.JPG", false, false, false, 0x05},
        {"AG-20230415-ABCDEFGHIJKLMNO-001-002F.JPG", false, false, false, 0x05},
        {"AG-20230415-ABCDEFGHIJKLMNOP-001-002F.jpg", false, false, false, 0x05},
        {"AGX20230415-ABCDEFGHIJKLMNOP-001-002F.JPG", false, false, false, 0x05},
        {"TG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG", false, false, false, 0x05},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsStillName(c.name), c.still) << c.name;
        EXPECT_EQ(IsFrontStillName(c.name), c.front) << c.name;
        EXPECT_EQ(IsRearStillName(c.name), c.rear) << c.name;
        int flags = 0;
        AddStillTriggerFlags(c.name, flags);
        EXPECT_EQ(flags, c.flags) << c.name;
    }
}

TEST(PartnerPath, RenamesOnlyTheHoldingFolderAndTheSuffix) {
    const struct {
        const char* path;
        const char* partner;
    } cases[] = {
        {"/media/card/Normal/Front/A___-230415-101500-000123F.MP4",
         "/media/card/Normal/Rear/A___-230415-101500-000123R.MP4"},
        {"/home/u/clips/PG__-230415-030000-000007F.MP4",
         "/home/u/clips/PG__-230415-030000-000007R.MP4"},
        {"/m/Front/Front/x.F.MP4", "/m/Front/Rear/x.R.MP4"},
        {"/m/front/A___-230415-101500-000123F.MP4", "/m/front/A___-230415-101500-000123R.MP4"},
        {"/m/Front/sub/A___-230415-101500-000123F.MP4",
         "/m/Front/sub/A___-230415-101500-000123R.MP4"},
        {"/m/Front/aF.MP4F.MP4", "/m/Rear/aR.MP4R.MP4"},
        {"A___-230415-101500-000123F.MP4", "A___-230415-101500-000123R.MP4"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PartnerPath(c.path, "Front", "Rear", "F.MP4", "R.MP4"), c.partner) << c.path;
    }
    EXPECT_EQ(PartnerPath("/c/JPG/Rear/AG-20230415-ABCDEFGHIJKLMNOP-001-002R.JPG", "Rear", "Front",
                          "R.JPG", "F.JPG"),
              "/c/JPG/Front/AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG");
}

TEST(PairOf, FrontAndRearFormsOfOneRecording) {
    const std::string front = "/card/Normal/Front/A___-230415-101500-000123F.MP4";
    const std::string rear = "/card/Normal/Rear/A___-230415-101500-000123R.MP4";
    EXPECT_EQ(PairOf(front), (PathPair{front, rear}));
    EXPECT_EQ(PairOf(rear), (PathPair{front, rear}));
    EXPECT_FALSE(PairOf("/card/Normal/Front/____-230415-101500-000123F.MP4").has_value());
    EXPECT_FALSE(PairOf("/card/JPG/Front/AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG").has_value());

    const std::string still_front = "/card/JPG/Front/AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG";
    const std::string still_rear = "/card/JPG/Rear/AG-20230415-ABCDEFGHIJKLMNOP-001-002R.JPG";
    EXPECT_EQ(PairOfStill(still_rear), (PathPair{still_front, still_rear}));
    EXPECT_FALSE(PairOfStill(front).has_value());
}

TEST(MovieDateTime, LocalTimeNormalised) {
    // The tests run with TZ=Asia/Tokyo (no daylight saving time).
    const struct {
        const char* name;
        platform::CalendarTime time;
    } cases[] = {
        {"A___-230415-101500-000123F.MP4", {2023, 4, 6, 15, 10, 15, 0, 0}},
        {"A___-230432-235960-000123F.MP4",
         {2023, 5, 3, 3, 0, 0, 0, 0}},  // 32nd, 60th second roll over
        {"/c/Normal/Front/P___-000101-000000-000001F.MP4", {2000, 1, 6, 1, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MovieDateTime(c.name), c.time) << c.name;
    }
}

}  // namespace
}  // namespace ardelle::catalogue
