#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::testing {
namespace {

std::string Cli(const std::string& arguments) {
    return std::string(ARDELLE_CLI) + " " + arguments + " 2>/dev/null";
}

void ExpectContains(const std::string& text, const std::vector<std::string>& parts) {
    for (const std::string& part : parts) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text.substr(0, 2000);
    }
}

TEST(CliList, TestCardAsTheListWindowOpensIt) {
    const std::string card = ARDELLE_TEST_CARD_DIR;
    const CommandResult root = RunCommand(Cli("list " + ShellQuoted(card)));
    ASSERT_EQ(root.exit_code, 0);
    ExpectContains(root.output,
                   {"{\"kind\":1,\"group_limit\":", "{\"text\":\"Normal\",\"parent\":-1,",
                    "{\"text\":\"240608_0001\",\"parent\":1,",
                    "{\"text\":\"Parking\",\"parent\":-1,", "\"nodes\":[", "\"entries\":[]"});
    EXPECT_EQ(root.output.find("\"text\":\"Front\""), std::string::npos);
    EXPECT_EQ(root.output.find("\"text\":\"Rear\""), std::string::npos);

    const CommandResult group =
        RunCommand(Cli("list " + ShellQuoted(card + "/Normal") + " --group 240608_0001"));
    ASSERT_EQ(group.exit_code, 0);
    ExpectContains(group.output, {"\"front_name\":\"A___-240608-093000-000101F.MP4\"",
                                  "\"rear_name\":\"A___-240608-093000-000101R.MP4\"",
                                  "\"sequence\":0,\"trigger_letter\":65,\"joined_mark\":0,"
                                  "\"parking\":0"});
    const auto size = platform::FileSizeOf(card + "/Normal/Front/A___-240608-093000-000101F.MP4");
    ASSERT_TRUE(size);
    ExpectContains(group.output, {"\"data_size_front\":" + std::to_string(*size) + ","});

    const CommandResult parking =
        RunCommand(Cli("list " + ShellQuoted(card) + " --collect --filter 0000010"));
    ASSERT_EQ(parking.exit_code, 0);
    ExpectContains(parking.output, {"PG__-240608-100541-000117F.MP4"});
    EXPECT_EQ(parking.output.find("P___-240608-100538-000116F.MP4"), std::string::npos);

    const CommandResult stills =
        RunCommand(Cli("list " + ShellQuoted(card + "/JPG") + " --stills"));
    ASSERT_EQ(stills.exit_code, 0);
    ExpectContains(stills.output, {"{\"text\":\"240608_001\",\"parent\":0,"});
}

TEST(CliList, Usage) {
    for (const char* arguments :
         {"list", "list a b", "list a --filter 11", "list a --filter 111111x", "list a --bogus",
          "list a --collect --group x"}) {
        EXPECT_EQ(RunCommand(Cli(arguments)).exit_code, 2) << arguments;
    }
    TempFolder folder;
    EXPECT_EQ(RunCommand(Cli("list " + ShellQuoted(folder / "notes.txt"))).exit_code, 1);
}

TEST(CliDelete, ACardThatCannotHideFilesAndOtherFailuresAreReported) {
    TempFolder folder;
    const std::string card = folder / "card";
    const std::string name = "A___-240608-093000-000101";
    for (const char* camera : {"Front", "Rear"}) {
        ASSERT_TRUE(platform::MakeFolders(card + "/Normal/" + camera));
    }
    ASSERT_TRUE(WriteFile(card + "/Normal/Front/" + name + "F.MP4", "front"));
    ASSERT_TRUE(WriteFile(card + "/Normal/Rear/" + name + "R.MP4", "rear"));
    ASSERT_TRUE(WriteFile(folder / "mounts.txt", "/\text4\t0\n" + card + "\tvfat\t1\n"));
    const std::string env = "ARDELLE_MOUNT_TABLE=" + ShellQuoted(folder / "mounts.txt") + " ";

    // The test's filesystem cannot carry the FAT hidden attribute the recorder reads, as an
    // exfat driver without the attribute calls: the card is left as it was.
    const CommandResult refused =
        RunCommand(env + Cli("delete " + ShellQuoted(card + "/Normal/Rear/" + name + "R.MP4")));
    EXPECT_EQ(refused.exit_code, 1) << refused.output;
    ExpectContains(refused.output, {"\"deleted\":false", "FAT hidden attribute"});
    EXPECT_TRUE(platform::PathExists(card + "/Normal/Front/" + name + "F.MP4"));
    EXPECT_TRUE(platform::PathExists(card + "/Normal/Rear/" + name + "R.MP4"));
    EXPECT_FALSE(platform::PathExists(card + "/Normal/Rear/" + name + "R.DMY"));
    EXPECT_FALSE(platform::PathExists(card + "/Normal/Rear/.hidden"));

    ASSERT_TRUE(WriteFile(card + "/Normal/Front/" + name + "F.DMY", "earlier"));
    const CommandResult twice =
        RunCommand(env + Cli("delete " + ShellQuoted(card + "/Normal/Front/" + name + "F.MP4") +
                             " " + ShellQuoted(folder / "notes.txt")));
    EXPECT_EQ(twice.exit_code, 1);
    ExpectContains(twice.output, {"\"deleted\":false,\"error\":\"the placeholder",
                                  "\"error\":\"not a recorder movie or still name\""});
    EXPECT_TRUE(platform::PathExists(card + "/Normal/Front/" + name + "F.MP4"));
    EXPECT_EQ(RunCommand(Cli("delete")).exit_code, 2);

    // A recording deleted before is named as such, not as a missing argument.
    const std::string gone = card + "/Normal/Rear/" + "A___-240608-093003-000102R.MP4";
    const CommandResult again = RunCommand(env + Cli("delete " + ShellQuoted(gone)));
    EXPECT_EQ(again.exit_code, 1);
    ExpectContains(again.output, {"\"error\":\"neither file of the recording exists"});
}

}  // namespace
}  // namespace ardelle::testing
