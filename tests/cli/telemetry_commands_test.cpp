#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::testing {
namespace {

std::string Cli(const std::string& arguments) {
    return std::string(ARDELLE_CLI) + " " + arguments;
}

TEST(CliBoxesAndTelemetry, HandMadeRecording) {
    TempFolder folder;
    const std::string path = folder / "A___-230415-101500-000001F.MP4";
    std::vector<std::string> records(3, Record({}));
    ASSERT_TRUE(
        WriteFile(path, MinimalMovie(1000, 300, 9, 10000) + Block(HeaderBody({}), 3, records, 3)));

    const CommandResult boxes = RunCommand(Cli("boxes " + ShellQuoted(path)));
    ASSERT_EQ(boxes.exit_code, 0);
    EXPECT_NE(boxes.output.find(
                  "{\"type\":\"ftyp\",\"offset\":0,\"size\":24,\"leaf\":true,\"children\":[]}"),
              std::string::npos)
        << boxes.output;
    EXPECT_NE(boxes.output.find("\"telemetry\":{\"offset\":"), std::string::npos);
    EXPECT_NE(boxes.output.find("\"count16\":3,\"count32\":3}"), std::string::npos);

    const CommandResult telemetry = RunCommand(Cli("telemetry --bind " + ShellQuoted(path)));
    ASSERT_EQ(telemetry.exit_code, 0);
    for (const char* expected :
         {"\"ms_per_record\":100", "\"last_index\":2", "\"frame_count\":9",
          "\"frame_duration_ms\":33.3333", "\"x\":-0.123", "\"datetime\":\"2023-04-15 10:15:00\"",
          "\"vehicle\":\"56533031", "\"frame_map\":[0,0,0,1,1,1,2,2,2]", "\"quality\":\"H\""}) {
        EXPECT_NE(telemetry.output.find(expected), std::string::npos) << expected << "\n"
                                                                      << telemetry.output;
    }
}

TEST(CliBoxesAndTelemetry, FailuresAndUsage) {
    TempFolder folder;
    const std::string broken = folder / "broken.MP4";
    ASSERT_TRUE(WriteFile(broken, Box("ftyp", "isom") + Be32(0) + "moov"));
    const struct {
        std::string arguments;
        int exit_code;
    } cases[] = {
        {"boxes " + ShellQuoted(broken), 1},
        {"boxes " + ShellQuoted(folder / "missing.MP4"), 1},
        {"telemetry --bind " + ShellQuoted(broken), 1},
        {"telemetry " + ShellQuoted(folder / "missing.MP4"), 1},
        {"boxes", 2},
        {"boxes a b", 2},
        {"telemetry", 2},
        {"telemetry --bogus x", 2},
    };
    for (const auto& c : cases) {
        const CommandResult result = RunCommand(Cli(c.arguments) + " 2>/dev/null");
        EXPECT_EQ(result.exit_code, c.exit_code) << c.arguments;
        EXPECT_EQ(result.output, "") << c.arguments;
    }
    const CommandResult message = RunCommand(Cli("boxes " + ShellQuoted(broken)) + " 2>&1");
    EXPECT_NE(message.output.find("size 0 (offset 12)"), std::string::npos) << message.output;
}

// A sample table of 0xFFFFFFFF frames once made the bind allocate 17 GB and abort; it is
// refused with the reason, as is a frame interval no video has.
TEST(CliBoxesAndTelemetry, CorruptSampleTablesAreRefusedWithTheReason) {
    TempFolder folder;
    const std::string block = Block(HeaderBody({}), 3, std::vector<std::string>(3, Record({})), 3);
    const std::string mvhd = Box("mvhd", MvhdPayload(1000, 3000));
    const struct {
        const char* label;
        std::string movie;
        const char* reason;
    } cases[] = {
        {"0xFFFFFFFF samples",
         Box("moov",
             mvhd +
                 Box("trak",
                     Box("mdia",
                         Box("minf", Box("stbl", Box("stts", SttsPayload({{0xFFFFFFFFu, 1}}))))))),
         "more than the file can hold"},
        {"a frame interval of a microsecond", MinimalMovie(1000000, 3000, 3000, 10000),
         "is no video"},
    };
    for (const auto& c : cases) {
        const std::string path = folder / "A___-230415-101500-000001F.MP4";
        ASSERT_TRUE(WriteFile(path, c.movie + block));
        const CommandResult result =
            RunCommand(Cli("telemetry --bind " + ShellQuoted(path)) + " 2>&1");
        EXPECT_EQ(result.exit_code, 1) << c.label;
        EXPECT_NE(result.output.find(c.reason), std::string::npos)
            << c.label << ": " << result.output;
    }
}

}  // namespace
}  // namespace ardelle::testing
