#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::testing {
namespace {

// The tool in the C locale, as a script without a language setting runs it.
std::string Cli(const std::string& arguments) {
    return "LC_ALL=C " + std::string(ARDELLE_CLI) + " " + arguments + " 2>/dev/null";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "the text ends in CR LF";
    return lines;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CliCsv, ExportsAGroupOfTheTestCard) {
    TempFolder out;
    const std::string source = ShellQuoted(std::string(ARDELLE_TEST_CARD_DIR) + "/Normal");
    const std::string csv = out / "Dv_20240608_093000.csv";
    const CommandResult first =
        RunCommand(Cli("csv " + source + " --group 240608_0001 --out " + ShellQuoted(out.path())));
    ASSERT_EQ(first.exit_code, 0);
    EXPECT_NE(first.output.find("\"path\":\"" + csv + "\""), std::string::npos) << first.output;

    const auto text = platform::ReadWholeFile(csv);
    ASSERT_TRUE(text);
    const std::vector<std::string> lines = Lines(*text);
    ASSERT_GE(lines.size(), 3u);
    // The C locale cannot hold the Japanese texts: the whole file is UTF-8.
    EXPECT_EQ(lines[0],
              "ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,"
              "フロントカメラデータサイズ,リヤカメラデータサイズ");
    // The card's pictures are 320 × 180: no size class, so no quality either.
    EXPECT_EQ(lines[1],
              "A___-240608-093000-000101F.MP4,2024/06/08,09:30:00,00:00:03,常時,,,30.0fps,0MB,0MB");
    EXPECT_TRUE(
        lines[3].starts_with("AG__-240608-093006-000103F.MP4,2024/06/08,09:30:06,"
                             "00:00:03,衝撃,"))
        << lines[3];

    // A second export asks before replacing the list: no answer keeps it.
    ASSERT_TRUE(WriteFile(csv, "kept"));
    EXPECT_EQ(
        RunCommand(Cli("csv " + source + " --group 240608_0001 --out " + ShellQuoted(out.path())))
            .exit_code,
        1);
    EXPECT_EQ(platform::ReadWholeFile(csv), "kept");
    EXPECT_EQ(RunCommand(Cli("csv " + source + " --group 240608_0001 --overwrite --out " +
                             ShellQuoted(out.path())))
                  .exit_code,
              0);
    EXPECT_EQ(platform::ReadWholeFile(csv), text);
    EXPECT_EQ(FolderNames(out.path()), std::vector<std::string>{"Dv_20240608_093000.csv"});
}

TEST(CliCsv, NothingToExportOrNowhereToWriteFails) {
    TempFolder out;
    const std::string card = ShellQuoted(ARDELLE_TEST_CARD_DIR);
    // The card root lists groups, no recordings.
    EXPECT_EQ(RunCommand(Cli("csv " + card + " --out " + ShellQuoted(out.path()))).exit_code, 1);
    EXPECT_EQ(RunCommand(Cli("csv " + card + "/Normal --group 240608_0001 --out " +
                             ShellQuoted(out / "missing")))
                  .exit_code,
              1);
    EXPECT_TRUE(FolderNames(out.path()).empty());
}

TEST(CliDownload, CopiesBothCamerasAndAsksBeforeReplacing) {
    TempFolder out;
    const std::string jpg = std::string(ARDELLE_TEST_CARD_DIR) + "/JPG/";
    const std::string front = jpg + "Front/AG-20240608-SN00A1B2C3D4E5F6-002-001F.JPG";
    const std::string rear = jpg + "Rear/AG-20240608-SN00A1B2C3D4E5F6-002-001R.JPG";
    const std::string command = "download --out " + ShellQuoted(out.path()) + " ";
    const CommandResult first = RunCommand(Cli(command + ShellQuoted(front)));
    ASSERT_EQ(first.exit_code, 0);
    EXPECT_NE(first.output.find("\"copied\":true"), std::string::npos) << first.output;
    const std::string front_copy = out / "AG-20240608-SN00A1B2C3D4E5F6-002-001F.JPG";
    const std::string rear_copy = out / "AG-20240608-SN00A1B2C3D4E5F6-002-001R.JPG";
    EXPECT_EQ(platform::ReadWholeFile(front_copy), platform::ReadWholeFile(front));
    EXPECT_EQ(platform::ReadWholeFile(rear_copy), platform::ReadWholeFile(rear));

    // Named by its rear file, the same picture now finds its rear copy in place.
    ASSERT_TRUE(WriteFile(rear_copy, "kept"));
    EXPECT_EQ(RunCommand(Cli(command + ShellQuoted(rear))).exit_code, 1);
    EXPECT_EQ(platform::ReadWholeFile(rear_copy), "kept");
    EXPECT_EQ(RunCommand(Cli(command + "--overwrite " + ShellQuoted(rear))).exit_code, 0);
    EXPECT_EQ(platform::ReadWholeFile(rear_copy), platform::ReadWholeFile(rear));
    EXPECT_EQ(FolderNames(out.path()).size(), 2u);
}

TEST(CliFileOps, Usage) {
    struct Case {
        const char* arguments;
        int exit_code;
    };
    for (const Case& c : std::vector<Case>{{"csv", 2},
                                           {"csv SOURCE", 2},
                                           {"csv --out /tmp", 2},
                                           {"csv a b --out /tmp", 2},
                                           {"csv a --out /tmp --bogus", 2},
                                           {"download --out /tmp", 2},
                                           {"download a.JPG", 2},
                                           {"download --out /tmp --group g a.JPG", 2},
                                           {"download --out /tmp notes.txt", 1},
                                           {"download --out /tmp /nowhere/"
                                            "AG-20240608-SN00A1B2C3D4E5F6-002-001F.JPG",
                                            1}}) {
        EXPECT_EQ(RunCommand(Cli(c.arguments)).exit_code, c.exit_code) << c.arguments;
    }
}

}  // namespace
}  // namespace ardelle::testing
