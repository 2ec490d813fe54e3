#include <gtest/gtest.h>

#include "support/run_command.h"

namespace ardelle::testing {
namespace {

TEST(CliNames, OneJsonObjectPerPath) {
    const CommandResult result =
        RunCommand(std::string(ARDELLE_CLI) +
                   " names /c/Normal/Rear/AG__-230415-101500-000123R.MP4 "
                   "/c/JPG/Front/AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG x.txt");
    ASSERT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.output,
              "{\"path\":\"/c/Normal/Rear/AG__-230415-101500-000123R.MP4\",\"is_movie\":true,"
              "\"is_front\":false,\"is_rear\":true,\"is_still\":false,\"is_mp4\":true,\"class\":1,"
              "\"flags\":5,\"label\":\"衝撃\",\"datetime\":\"2023-04-15 10:15:00\","
              "\"front\":\"/c/Normal/Front/AG__-230415-101500-000123F.MP4\","
              "\"rear\":\"/c/Normal/Rear/AG__-230415-101500-000123R.MP4\"}\n"
              "{\"path\":\"/c/JPG/Front/AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG\","
              "\"is_movie\":false,\"is_front\":true,\"is_rear\":false,\"is_still\":true,"
              "\"is_mp4\":false,\"class\":1,\"flags\":5,\"label\":\"衝撃\",\"datetime\":null,"
              "\"front\":\"/c/JPG/Front/AG-20230415-ABCDEFGHIJKLMNOP-001-002F.JPG\","
              "\"rear\":\"/c/JPG/Rear/AG-20230415-ABCDEFGHIJKLMNOP-001-002R.JPG\"}\n"
              "{\"path\":\"x.txt\",\"is_movie\":false,\"is_front\":false,\"is_rear\":false,"
              "\"is_still\":false,\"is_mp4\":false,\"class\":-1,\"flags\":0,\"label\":\"\","
              "\"datetime\":null,\"front\":null,\"rear\":null}\n");
}

TEST(CliNames, BadArgumentsAreUsageErrors) {
    for (const char* arguments : {" names", " names --bogus x", " nosuchcommand", ""}) {
        const CommandResult result =
            RunCommand(std::string(ARDELLE_CLI) + arguments + " 2>/dev/null");
        EXPECT_EQ(result.exit_code, 2) << arguments;
        EXPECT_EQ(result.output, "") << arguments;
    }
}

}  // namespace
}  // namespace ardelle::testing
