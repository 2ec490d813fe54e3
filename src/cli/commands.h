#pragma once

#include <string>
#include <vector>

namespace ardelle::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

using Arguments = std::vector<std::string>;

// One subcommand of ardelle-cli: its name, a one-line usage text and its entry point,
// which gets the arguments after the command name.
struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Arguments& arguments);
};

int RunNames(const Arguments& arguments);
int RunBoxes(const Arguments& arguments);
int RunTelemetry(const Arguments& arguments);
int RunList(const Arguments& arguments);
int RunDelete(const Arguments& arguments);
int RunJoin(const Arguments& arguments);
int RunCsv(const Arguments& arguments);
int RunDownload(const Arguments& arguments);
int RunFrame(const Arguments& arguments);

// Prints "usage: ardelle-cli <usage>" to stderr and returns kExitUsage.
int UsageError(const Command& command, const std::string& problem);

}  // namespace ardelle::cli
