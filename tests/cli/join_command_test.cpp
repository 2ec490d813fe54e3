#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

}  // namespace
}  // namespace ardelle::testing
