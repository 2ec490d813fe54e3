// ardelle-cli frame on the test card.
#include <gtest/gtest.h>

#include "playback/jpeg_reader.h"
#include "playback/player_fixture.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::playback::testing {
namespace {

using ardelle::testing::RunCommand;
using ardelle::testing::ShellQuoted;

ardelle::testing::CommandResult Frame(const std::string& arguments) {
    // Errors are read from stderr; the Japanese texts need the default UI language.
    return RunCommand("LC_ALL=C " + std::string(ARDELLE_CLI) + " frame " + arguments +
                      " 2>&1 >/dev/null");
}

class FrameCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!card_.exists()) {
            GTEST_SKIP() << "no test card";
        }
    }
    TestCard card_;
    ardelle::testing::TempFolder folder_;
};

TEST_F(FrameCommand, SavesTheFrameAskedFor) {
    struct Case {
        std::string path;
        int frame;
        int index;
    };
    const Case cases[] = {{card_.Front(kPair), 0, 0},
                          {card_.Front(kPair), 46, 46},
                          {card_.Front(kPair), 89, 89},
                          {card_.Rear(kPair), 31, 31},
                          {card_.Rear(kRearOnly), 44, 44}};
    for (const Case& c : cases) {
        const std::string out = folder_ / ("frame-" + std::to_string(c.frame) + ".jpg");
        const auto result = Frame(ShellQuoted(c.path) + " --frame " + std::to_string(c.frame) +
                                  " --out " + ShellQuoted(out));
        ASSERT_EQ(result.exit_code, 0) << result.output;
        const std::optional<DecodedImage> image = ReadJpeg(out, true);
        ASSERT_TRUE(image) << out;
        EXPECT_EQ(samplecard::ReadFrameIndex(image->pixels.data(), image->width, image->height,
                                             image->width),
                  c.index)
            << c.path << " frame " << c.frame;
    }
}

TEST_F(FrameCommand, RefusesFilesItCannotPlayWithTheViewersMessages) {
    const std::string truncated = folder_ / "A___-240608-093000-000101F.MP4";
    ASSERT_TRUE(CopyPrefix(card_.Front(kPair), truncated, 20000));
    struct Case {
        std::string path;
        std::string text;
    };
    const Case cases[] = {
        {card_.Front(kTooShort), "録画時間が短いため再生できません。"},
        {truncated, "動画のオープンに失敗しました。"},
        {folder_ / "missing.MP4", "動画のオープンに失敗しました。"},
    };
    for (const Case& c : cases) {
        const auto result =
            Frame(ShellQuoted(c.path) + " --frame 0 --out " + ShellQuoted(folder_ / "x.jpg"));
        EXPECT_EQ(result.exit_code, 1) << c.path;
        EXPECT_NE(result.output.find(c.text), std::string::npos) << result.output;
    }
    EXPECT_FALSE(std::filesystem::exists(folder_ / "x.jpg"));
}

TEST_F(FrameCommand, RejectsFramesPastTheEndAndBadArguments) {
    const std::string out = ShellQuoted(folder_ / "x.jpg");
    const std::string file = ShellQuoted(card_.Front(kPair));
    EXPECT_EQ(Frame(file + " --frame 90 --out " + out).exit_code, 1);
    EXPECT_EQ(Frame(file + " --frame -1 --out " + out).exit_code, 2);
    EXPECT_EQ(Frame(file + " --frame 3").exit_code, 2);
    EXPECT_EQ(Frame("--frame 3 --out " + out).exit_code, 2);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "x.jpg"));
}

}  // namespace
}  // namespace ardelle::playback::testing
