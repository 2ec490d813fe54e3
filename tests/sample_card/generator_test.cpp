// Runs the generator itself: repeatability, command-line errors, failures mid-way.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sample_card/card_files_support.h"
#include "support/temp_folder.h"

namespace ardelle::samplecard {
namespace {

namespace fs = std::filesystem;
using samplecard::testing::FilesBelow;
using samplecard::testing::Quoted;
using samplecard::testing::ReadBytes;
using samplecard::testing::RunCommand;

const std::string kGenerator = ARDELLE_SAMPLE_CARD_GENERATOR;

// Exit code of the generator with args; its stderr goes to err_path.
int Generate(const std::string& args, const std::string& err_path) {
    const auto result = RunCommand(Quoted(kGenerator) + " " + args + " 2>" + Quoted(err_path));
    return WIFEXITED(result.status) ? WEXITSTATUS(result.status) : -1;
}

std::string Text(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(Generator, SameArgumentsGiveIdenticalCards) {
    for (const char* mode : {"", " --fast"}) {
        ardelle::testing::TempFolder temp;
        const std::string args =
            std::string(" --count 2 --seconds 1 --front 160x90 --rear 96x48 --seed 7") + mode;
        ASSERT_EQ(Generate(Quoted(temp / "a") + args, temp / "err"), 0) << Text(temp / "err");
        ASSERT_EQ(Generate(Quoted(temp / "b") + args, temp / "err"), 0) << Text(temp / "err");
        const auto files = FilesBelow(temp / "a");
        ASSERT_EQ(files, FilesBelow(temp / "b"));
        EXPECT_GE(files.size(), 6u);
        for (const std::string& file : files) {
            EXPECT_TRUE(ReadBytes(fs::path(temp / "a") / file) ==
                        ReadBytes(fs::path(temp / "b") / file))
                << mode << " " << file;
        }
    }
}

TEST(Generator, BadArgumentsPrintUsageAndExitWithTwo) {
    const std::vector<std::string> cases = {
        "",
        "OUT --count 0",
        "OUT --count x",
        "OUT --seconds 0",
        "OUT --seconds abc",
        "OUT --front 100",
        "OUT --front 161x90",
        "OUT --rear 32x32",
        "OUT --seed -1",
        "OUT --bogus",
        "OUT OTHER",
        "OUT --count",
    };
    ardelle::testing::TempFolder temp;
    for (const std::string& args : cases) {
        EXPECT_EQ(Generate(args, temp / "err"), 2) << args;
        EXPECT_NE(Text(temp / "err").find("usage:"), std::string::npos) << args;
    }
    EXPECT_FALSE(fs::exists("OUT"));
}

TEST(Generator, FailureLeavesNoPartialFiles) {
    ardelle::testing::TempFolder temp;
    const fs::path card = temp / "card";
    // A folder standing where a rear movie belongs makes that file impossible to place.
    fs::create_directories(card / "Normal/Rear/A___-240608-093000-000101R.MP4");
    const int status = Generate(
        Quoted(card.string()) + " --count 3 --seconds 1 --front 160x90 --rear 96x48", temp / "err");
    EXPECT_NE(status, 0);
    EXPECT_NE(status, 2);
    EXPECT_NE(Text(temp / "err").find("error:"), std::string::npos);
    for (const std::string& file : FilesBelow(card)) {
        const std::string name = fs::path(file).filename().string();
        EXPECT_NE(name[0], '.') << "temporary file left: " << file;
    }
    EXPECT_NE(Generate(Quoted((temp / "err") + "/card"), temp / "err2"), 0);
}

}  // namespace
}  // namespace ardelle::samplecard
