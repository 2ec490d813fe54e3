#include "update/recorder_info.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <ostream>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace ardelle::update {
namespace {

// A configuration file: 48 filler bytes, then the three fields, then tail bytes.
std::string ConfigBytes(const std::string& model8, const std::string& firmware6,
                        const std::string& gps6, std::size_t tail = 0) {
    return std::string(48, '\x5a') + model8 + firmware6 + gps6 + std::string(tail, '\x7f');
}

std::span<const std::uint8_t> BytesOf(const std::string& bytes) {
    return std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

struct ConfigCase {
    const char* name;
    std::string bytes;
    RecorderInfo expected;
};

// Test names show the case, not its bytes.
void PrintTo(const ConfigCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseRecorderConfigTest : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ParseRecorderConfigTest, ReadsTheThreeFields) {
    const ConfigCase& c = GetParam();
    RecorderInfo info{"old", "old", "old"};
    ASSERT_TRUE(ParseRecorderConfig(BytesOf(c.bytes), info));
    EXPECT_EQ(info, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ParseRecorderConfigTest,
    ::testing::Values(ConfigCase{"plain",
                                 ConfigBytes("MODEL-01", "010203", "240315"),
                                 {"1.2.3", "240315", "MODEL-01"}},
                      ConfigCase{"leading_zeros_kept",
                                 ConfigBytes("MODEL-01", "100099", "000315"),
                                 {"10.0.99", "000315", "MODEL-01"}},
                      ConfigCase{"gps_stops_at_a_space",
                                 ConfigBytes("MODEL-01", "010203", "2403  "),
                                 {"1.2.3", "002403", "MODEL-01"}},
                      ConfigCase{"no_gps_data",
                                 ConfigBytes("MODEL-01", "010203", "      "),
                                 {"1.2.3", "", "MODEL-01"}},
                      ConfigCase{"short_model",
                                 ConfigBytes(std::string("AB\0\0\0\0\0\0", 8), "010203", "240315"),
                                 {"1.2.3", "240315", "AB"}},
                      ConfigCase{"digits_then_other",
                                 ConfigBytes("MODEL-01", "1a--02", "24x315"),
                                 {"1.0.2", "000024", "MODEL-01"}},
                      ConfigCase{"high_bytes_as_characters",
                                 ConfigBytes("M\xe9\xff-0001", "010203", "240315", 9),
                                 {"1.2.3", "240315", "M\xc3\xa9\xc3\xbf-0001"}}),
    [](const ::testing::TestParamInfo<ConfigCase>& param) { return param.param.name; });

TEST(ParseRecorderConfig, ShorterThanTheFieldsLeavesTheInfoAlone) {
    const std::string bytes = ConfigBytes("MODEL-01", "010203", "24031");  // 67 bytes
    RecorderInfo info{"1.0.0", "230101", "OLD"};
    EXPECT_FALSE(ParseRecorderConfig(BytesOf(bytes), info));
    EXPECT_EQ(info, (RecorderInfo{"1.0.0", "230101", "OLD"}));
}

TEST(ReadRecorderInfo, ReadsTheCardsFileAndKeepsTheLastInfoWithoutOne) {
    testing::TempFolder card;
    const std::string file = card / kRecorderConfigFileName;
    RecorderInfo info;
    EXPECT_FALSE(ReadRecorderInfo(card.path(), info));  // missing
    EXPECT_EQ(info, RecorderInfo{});

    // A big file costs no more than its first bytes.
    ASSERT_TRUE(
        platform::WriteFileAtomically(file, ConfigBytes("MODEL-02", "020001", "240401", 4u << 20)));
    ASSERT_TRUE(ReadRecorderInfo(card.path(), info));
    EXPECT_EQ(info, (RecorderInfo{"2.0.1", "240401", "MODEL-02"}));

    for (const std::string& bad : {std::string(), std::string(67, '1')}) {
        ASSERT_TRUE(platform::WriteFileAtomically(file, bad));
        EXPECT_FALSE(ReadRecorderInfo(card.path(), info));
        EXPECT_EQ(info, (RecorderInfo{"2.0.1", "240401", "MODEL-02"}));
    }
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);  // a folder by that name
    EXPECT_FALSE(ReadRecorderInfo(card.path(), info));
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);  // a pipe with no writer must not hang the scan
    EXPECT_FALSE(ReadRecorderInfo(card.path(), info));
    EXPECT_EQ(info.model_code, "MODEL-02");
}

}  // namespace
}  // namespace ardelle::update
