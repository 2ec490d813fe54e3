#include "sample_card/card_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "sample_card/telemetry_block.h"

namespace ardelle::samplecard {
namespace {

const std::regex kMovieName("[APT_][GMD_][OT_][S_]-[0-9]{6}-[0-9]{6}-[0-9]{6}[FR]\\.(MP4|DMY)");

bool HasMark(const Recording& r, int offset, char value) {
    for (const RecordMark& m : r.marks) {
        if (m.offset == offset && m.value == static_cast<uint8_t>(value)) {
            return true;
        }
    }
    return false;
}

std::map<std::string, const Recording*> ByTrigger(const CardPlan& plan) {
    std::map<std::string, const Recording*> found;
    for (const Recording& r : plan.recordings) {
        found.emplace(r.trigger, &r);
    }
    return found;
}

TEST(CardPlan, DefaultCardHoldsEveryKindInTheRightFolder) {
    const CardPlan plan = MakeCardPlan({});
    const auto kinds = ByTrigger(plan);
    for (const char* trigger :
         {"A___", "AG__", "AM__", "AD__", "A_O_", "T___", "P___", "PG__", "P_T_", "A__S"}) {
        EXPECT_TRUE(kinds.count(trigger)) << trigger;
    }
    for (const Recording& r : plan.recordings) {
        for (const Camera camera : {Camera::kFront, Camera::kRear}) {
            const std::string name = r.FileName(camera);
            EXPECT_EQ(name.size(), 30u);
            EXPECT_TRUE(std::regex_match(name, kMovieName)) << name;
            EXPECT_EQ(r.Folder(camera).rfind(r.trigger[0] == 'P' ? "Parking/" : "Normal/", 0), 0u);
            EXPECT_EQ(DateDigits(r.start) + "-" + TimeDigits(r.start), name.substr(5, 13));
        }
    }
}

TEST(CardPlan, RunsAreBrokenByARunMarkAndByAGap) {
    const CardPlan plan = MakeCardPlan({3.0, 0, 1});
    int run_marks = 0;
    int gaps = 0;
    for (size_t i = 1; i < plan.recordings.size(); ++i) {
        const Recording& prev = plan.recordings[i - 1];
        const Recording& r = plan.recordings[i];
        if (r.number == prev.number + 1 && r.trigger[3] != 'S') {
            // A continued run starts where the previous recording ended.
            EXPECT_EQ(ToEpochSeconds(r.start),
                      ToEpochSeconds(prev.start) + static_cast<int64_t>(std::ceil(prev.seconds)))
                << r.FileName(Camera::kFront);
        }
        run_marks += r.trigger[3] == 'S' && r.number == prev.number + 1 ? 1 : 0;
        gaps += r.number > prev.number + 1 ? 1 : 0;
    }
    EXPECT_GE(run_marks, 1);
    EXPECT_GE(gaps, 1);
}

TEST(CardPlan, SpecialRecordingsArePresentOnce) {
    const CardPlan plan = MakeCardPlan({});
    int rear_only = 0, deleted = 0, too_short = 0, open = 0, early = 0, offset = 0;
    std::set<char> modes, qualities;
    bool speed_off = false, gps_off = false;
    for (const Recording& r : plan.recordings) {
        rear_only += !r.has_front && r.has_rear ? 1 : 0;
        deleted += r.deleted ? 1 : 0;
        too_short += r.seconds <= 2.0 ? 1 : 0;
        open += r.count_style == CountStyle::kOpen ? 1 : 0;
        early += r.count_style == CountStyle::kEarlyEnd ? 1 : 0;
        offset += r.time_offset == 18 ? 1 : 0;
        modes.insert(r.header.mode);
        qualities.insert(r.header.quality);
        speed_off |= !r.header.speed_display;
        gps_off |= !r.header.gps_display;
    }
    EXPECT_EQ(rear_only, 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(too_short, 1);
    EXPECT_EQ(open, 1);
    EXPECT_EQ(early, 1);
    EXPECT_EQ(offset, 1);
    EXPECT_TRUE(modes.count('M') && modes.count('D') && modes.size() >= 3);
    EXPECT_TRUE(qualities.count('H') && qualities.count('L'));
    EXPECT_TRUE(speed_off && gps_off);
}

TEST(CardPlan, EventsBelongToTheirRecordingKinds) {
    namespace o = record_offset;
    const CardPlan plan = MakeCardPlan({3.0, 0, 1});
    const auto k = ByTrigger(plan);
    for (const char axis : {'X', 'Y', 'Z'}) {
        EXPECT_TRUE(HasMark(*k.at("AG__"), o::kShockAxis, axis)) << axis;
    }
    EXPECT_TRUE(HasMark(*k.at("AM__"), o::kManual, 'D'));
    EXPECT_TRUE(HasMark(*k.at("AD__"), o::kApproach, 'D'));
    EXPECT_TRUE(HasMark(*k.at("A_O_"), o::kSpeeding, 'D'));
    EXPECT_TRUE(HasMark(*k.at("A_O_"), o::kStatusNibbles, static_cast<char>(kSpeedCameraNibbles)));
    EXPECT_TRUE(HasMark(*k.at("P___"), o::kParkingWatch, 'D'));
    std::set<char> support;
    bool emergency = false;
    for (const Recording& r : plan.recordings) {
        for (const RecordMark& m : r.marks) {
            EXPECT_LT(m.record, r.SampleCount()) << r.FileName(Camera::kFront) << " " << m.what;
            if (m.offset == o::kDrivingSupport) {
                support.insert(static_cast<char>(m.value));
            }
            emergency |= m.offset == o::kEmergencyStop;
        }
    }
    EXPECT_EQ(support, (std::set<char>{'A', 'B', 'H'}));
    EXPECT_TRUE(emergency);
}

TEST(CardPlan, LargeCardsHaveDistinctAscendingNames) {
    const CardPlan plan = MakeCardPlan({2.0, 1200, 1});
    ASSERT_EQ(plan.recordings.size(), 1200u);
    std::set<std::string> names;
    for (size_t i = 0; i < plan.recordings.size(); ++i) {
        names.insert(plan.recordings[i].FileName(Camera::kFront));
        if (i > 0) {
            EXPECT_GT(plan.recordings[i].number, plan.recordings[i - 1].number);
        }
    }
    EXPECT_EQ(names.size(), 1200u);
}

// --- the telemetry records, decoded by the rules the viewer applies ---

std::string Field(const std::vector<uint8_t>& rec, size_t offset, size_t width) {
    return std::string(rec.begin() + static_cast<std::ptrdiff_t>(offset),
                       rec.begin() + static_cast<std::ptrdiff_t>(offset + width));
}

// Local instant (TZ is Asia/Tokyo in every test) of YYMMDDhhmmss plus the record's offset.
std::time_t RecordInstant(const std::vector<uint8_t>& rec) {
    const std::string d = Field(rec, 34, 12);
    std::tm tm{};
    tm.tm_year = 100 + std::stoi(d.substr(0, 2));
    tm.tm_mon = std::stoi(d.substr(2, 2)) - 1;
    tm.tm_mday = std::stoi(d.substr(4, 2));
    tm.tm_hour = std::stoi(d.substr(6, 2));
    tm.tm_min = std::stoi(d.substr(8, 2));
    tm.tm_sec = std::stoi(d.substr(10, 2));
    tm.tm_isdst = 0;
    const std::time_t t = std::mktime(&tm);
    return rec[47] == '*' ? t : t + std::atoi(Field(rec, 47, 3).c_str());
}

std::time_t NameInstant(const Recording& r) {
    std::tm tm{};
    tm.tm_year = r.start.year - 1900;
    tm.tm_mon = r.start.month - 1;
    tm.tm_mday = r.start.day;
    tm.tm_hour = r.start.hour;
    tm.tm_min = r.start.minute;
    tm.tm_sec = r.start.second;
    tm.tm_isdst = 0;
    return std::mktime(&tm);
}

double Degrees(const std::string& field) {
    const double v = std::atof(field.c_str());
    return std::floor(v / 100) + std::fmod(v, 100) / 60;
}

TEST(TelemetryRecords, TimesFollowTheNameAndTheRecordOffset) {
    for (const Recording& r : MakeCardPlan({3.0, 0, 1}).recordings) {
        for (int i = 0; i < r.SampleCount(); ++i) {
            const auto rec = BuildRecord(r, i, 1);
            const auto ms = static_cast<int64_t>(static_cast<float>(i) *
                                                 static_cast<float>(r.RecordIntervalMs()));
            ASSERT_EQ(RecordInstant(rec), NameInstant(r) + ms / 1000)
                << r.FileName(Camera::kFront) << " record " << i;
        }
    }
}

TEST(TelemetryRecords, EventBytesAppearOnlyAtPlannedRecords) {
    for (const Recording& r : MakeCardPlan({3.0, 0, 1}).recordings) {
        for (int i = 0; i < r.SampleCount(); ++i) {
            const auto rec = BuildRecord(r, i, 1);
            ASSERT_FALSE(i == 0 && rec[2] == '@' && rec[3] == 'C' && rec[4] == 'S');
            for (int offset : {77, 78, 79, 80, 81, 82, 83, 129}) {
                uint8_t expected = offset == 129 ? 0 : 'N';
                for (const RecordMark& m : r.marks) {
                    if (m.record == i && m.offset == offset) {
                        expected = m.value;
                    }
                }
                EXPECT_EQ(rec[static_cast<size_t>(offset)], expected)
                    << r.FileName(Camera::kFront) << " record " << i << " byte " << offset;
            }
        }
    }
}

TEST(TelemetryRecords, DriveIsPlausible) {
    for (const Recording& r : MakeCardPlan({10.0, 0, 1}).recordings) {
        std::vector<uint8_t> prev;
        for (int i = 0; i < r.SampleCount(); ++i) {
            const auto rec = BuildRecord(r, i, 1);
            const bool fix = rec[8] == 'A';
            EXPECT_EQ(fix, !r.IsParking() && (i < r.no_fix_first || i > r.no_fix_last));
            if (r.IsParking()) {
                const int volts = std::atoi(Field(rec, 51, 3).c_str());
                EXPECT_TRUE(volts > 110 && volts < 130) << volts;
                continue;
            }
            if (!fix || prev.empty() || prev[8] != 'A' || Field(rec, 30, 4) == "    ") {
                prev = fix ? rec : std::vector<uint8_t>{};
                continue;
            }
            const double speed = std::atof(Field(rec, 30, 4).c_str());
            EXPECT_TRUE(speed >= 0 && speed <= 80.5) << speed;
            const double lat = Degrees(Field(rec, 9, 9));
            const double dlat = (lat - Degrees(Field(prev, 9, 9))) * 111320;
            const double dlon = (Degrees(Field(rec, 19, 10)) - Degrees(Field(prev, 19, 10))) *
                                111320 * std::cos(lat * M_PI / 180);
            EXPECT_NEAR(lat, 35.68, 0.2);
            const double metres = std::hypot(dlat, dlon);
            const double expected = speed / 3.6 * r.RecordIntervalMs() / 1000;
            EXPECT_NEAR(metres, expected, 0.6) << r.FileName(Camera::kFront) << " record " << i;
            prev = rec;
        }
    }
}

}  // namespace
}  // namespace ardelle::samplecard
