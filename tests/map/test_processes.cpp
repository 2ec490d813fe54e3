#include "test_processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace ardelle::map::testing {

bool ChildProcess::Start(std::vector<std::string> argv, bool display_fd) {
    int to_child[2];
    int from_child[2];
    if (pipe2(to_child, O_CLOEXEC) != 0)
        return false;
    if (pipe2(from_child, O_CLOEXEC) != 0)
        return false;
    constexpr int kChildOutputFd = 3;
    for (std::string& arg : argv) {
        if (arg == "{fd}")
            arg = std::to_string(kChildOutputFd);
    }
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(to_child[0], 0);
        if (display_fd) {
            dup2(from_child[1], kChildOutputFd);
        } else {
            dup2(from_child[1], 1);
        }
        std::vector<char*> args;
        for (std::string& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(to_child[0]);
    close(from_child[1]);
    pid_ = pid;
    input_fd_ = to_child[1];
    output_fd_ = from_child[0];
    return true;
}

std::string ChildProcess::ReadLine(int timeout_ms) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd fd{output_fd_, POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0)
            continue;
        char c = 0;
        if (read(output_fd_, &c, 1) != 1)
            break;
        if (c == '\n')
            return line;
        line += c;
    }
    return {};
}

void ChildProcess::Stop() {
    if (pid_ <= 0)
        return;
    close(input_fd_);
    close(output_fd_);
    int status = 0;
    for (int i = 0; i < 30; ++i) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid_, SIGTERM);
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool XvfbDisplay::Start() {
    if (!server_.Start({"Xvfb", "-displayfd", "{fd}", "-screen", "0", "1280x800x24", "-nolisten",
                        "tcp", "-noreset"},
                       true)) {
        return false;
    }
    const std::string number = server_.ReadLine(30000);
    if (number.empty())
        return false;
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    return true;
}

}  // namespace ardelle::map::testing
