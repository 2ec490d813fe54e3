#pragma once

#include <sys/wait.h>
#include <cstdio>
#include <string>

namespace ardelle::testing {

// What a command printed on standard output and how it exited.
struct CommandResult {
    std::string output;
    int exit_code = -1;
};

// Runs a shell command line and collects its standard output.
inline CommandResult RunCommand(const std::string& command_line) {
    CommandResult result;
    FILE* pipe = ::popen(command_line.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A string quoted for the shell.
inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace ardelle::testing
