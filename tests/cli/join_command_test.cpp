#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::testing {
namespace {

std::string Cli(const std::string& arguments) {
    return std::string(ARDELLE_CLI) + " " + arguments + " 2>/dev/null";
}

TEST(CliJoin, JoinsFrontsAndRearsAndRefusesToReplaceSilently) {
    const std::string card = ARDELLE_TEST_CARD_DIR;
    TempFolder out;
    // Either file of a recording names it; the rear is found beside the front.
    const std::string paths = ShellQuoted(card + "/Normal/Front/A___-240608-093000-000101F.MP4") +
                              " " +
                              ShellQuoted(card + "/Normal/Rear/A___-240608-093003-000102R.MP4");
    const CommandResult joined =
        RunCommand(Cli("join --out " + ShellQuoted(out.path()) + " " + paths));
    ASSERT_EQ(joined.exit_code, 0) << joined.output;
    EXPECT_NE(joined.output.find("\"front_output\":\"" + out.path() +
                                 "/A___-240608-093000-000101F.MP4\""),
              std::string::npos)
        << joined.output;
    EXPECT_TRUE(std::filesystem::exists(out / "A___-240608-093000-000101R.MP4"));

    const auto size = std::filesystem::file_size(out / "A___-240608-093000-000101F.MP4");
    // The outputs exist now: without --overwrite the question is answered no.
    EXPECT_EQ(RunCommand(Cli("join --out " + ShellQuoted(out.path()) + " " + paths)).exit_code, 1);
    EXPECT_EQ(std::filesystem::file_size(out / "A___-240608-093000-000101F.MP4"), size);
    EXPECT_EQ(RunCommand(Cli("join --overwrite --out " + ShellQuoted(out.path()) + " " + paths))
                  .exit_code,
              0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()),
                            std::filesystem::directory_iterator()),
              2);  // no temporary files left behind

    for (const char* arguments :
         {"join", "join --out", "join a.MP4", "join --out x --bogus a.MP4"}) {
        EXPECT_EQ(RunCommand(Cli(arguments)).exit_code, 2) << arguments;
    }
    EXPECT_EQ(RunCommand(Cli("join --out " + ShellQuoted(out.path()) + " notes.txt")).exit_code, 1);
}

// The tool's standard output and standard error together.
CommandResult CliWithErrors(const std::string& arguments) {
    return RunCommand(std::string(ARDELLE_CLI) + " " + arguments + " 2>&1");
}

TEST(CliJoin, EveryNamedFileMustBeARecordingAndEveryFailureNamesItsCause) {
    const std::string card = ARDELLE_TEST_CARD_DIR;
    const std::string first = card + "/Normal/Front/A___-240608-093000-000101F.MP4";
    const std::string second = card + "/Normal/Front/A___-240608-093003-000102F.MP4";
    TempFolder folder;
    // Copies that the join must not take for recordings, beside real recordings.
    ASSERT_TRUE(platform::MakeFolders(folder / "Front"));
    const std::string backup = folder / "Front/A___-240608-093000-000101F.MP4.bak";
    const std::string stray = folder / "Front/A___-240608-093000-000101F.MP4\x01";
    ASSERT_TRUE(std::filesystem::copy_file(first, backup));
    ASSERT_TRUE(std::filesystem::copy_file(first, stray));
    const std::string broken = folder / "Front/A___-240608-093009-000104F.MP4";
    ASSERT_TRUE(WriteFile(broken, "not a movie"));
    ASSERT_TRUE(platform::MakeFolders(folder / "out"));
    ASSERT_TRUE(WriteFile(folder / "a-file", ""));
    const std::string out = ShellQuoted(folder / "out");
    const struct {
        const char* label;
        std::string arguments;
        const char* cause;
    } cases[] = {
        {"a backup copy", "--out " + out + " " + ShellQuoted(backup) + " " + ShellQuoted(second),
         "is not the name of a recorder movie"},
        {"a name ending in a stray byte",
         "--out " + out + " " + ShellQuoted(stray) + " " + ShellQuoted(second),
         "is not the name of a recorder movie"},
        {"a recording that does not exist",
         "--out " + out + " " + ShellQuoted(first) + " " +
             ShellQuoted(card + "/Normal/Front/A___-240608-093003-000199F.MP4"),
         "does not exist"},
        {"the same recording twice",
         "--out " + out + " " + ShellQuoted(first) + " " + ShellQuoted(second) + " " +
             ShellQuoted(first),
         "is named twice"},
        {"the same recording by its rear file",
         "--out " + out + " " + ShellQuoted(first) + " " +
             ShellQuoted(card + "/Normal/Rear/A___-240608-093000-000101R.MP4"),
         "is named twice"},
        {"an output folder that does not exist",
         "--out " + ShellQuoted(folder / "nonexistent/dir") + " " + ShellQuoted(first),
         "does not exist"},
        {"an output folder that is a file",
         "--out " + ShellQuoted(folder / "a-file") + " " + ShellQuoted(first), "is not a folder"},
        {"a recording that cannot be read",
         "--out " + out + " " + ShellQuoted(first) + " " + ShellQuoted(broken), broken.c_str()},
    };
    for (const auto& c : cases) {
        const CommandResult result = CliWithErrors("join " + c.arguments);
        EXPECT_EQ(result.exit_code, 1) << c.label << ": " << result.output;
        EXPECT_NE(result.output.find(c.cause), std::string::npos)
            << c.label << ": " << result.output;
        EXPECT_EQ(result.output.find("free space"), std::string::npos) << c.label;
        // A failed join prints no result, as if it had written something.
        EXPECT_EQ(result.output.find("\"front_output\""), std::string::npos) << c.label;
        EXPECT_TRUE(std::filesystem::is_empty(folder / "out")) << c.label;
    }
}

TEST(CliJoin, ProgressOnlyRises) {
    const std::string card = ARDELLE_TEST_CARD_DIR;
    TempFolder out;
    std::string paths;
    for (const char* name : {"A___-240608-093000-000101F.MP4", "A___-240608-093003-000102F.MP4",
                             "AG__-240608-093006-000103F.MP4"}) {
        paths += " " + ShellQuoted(card + "/Normal/Front/" + name);
    }
    const CommandResult result = CliWithErrors("join --out " + ShellQuoted(out.path()) + paths);
    ASSERT_EQ(result.exit_code, 0) << result.output;
    std::vector<int> percents;
    for (std::size_t at = result.output.find("join: "); at != std::string::npos;
         at = result.output.find("join: ", at + 1)) {
        percents.push_back(std::atoi(result.output.c_str() + at + 6));
    }
    ASSERT_GE(percents.size(), 3u) << result.output;
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << result.output;
    EXPECT_EQ(percents.back(), 100) << result.output;
}

}  // namespace
}  // namespace ardelle::testing
