#pragma once

#include <string>
#include <vector>

namespace ardelle::map::testing {

// A child process whose first output line the test waits for; stopped by closing its
// input and, if it does not go by itself, by SIGTERM.
class ChildProcess {
  public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Stop(); }

    // Starts argv; `display_fd` true hands the child the write end of the output pipe as an
    // extra descriptor named by "{fd}" in argv (Xvfb's -displayfd) instead of stdout.
    bool Start(std::vector<std::string> argv, bool display_fd = false);
    // The first line the child wrote, "" when it wrote none within the timeout.
    std::string ReadLine(int timeout_ms);
    void Stop();
    bool running() const { return pid_ > 0; }
    int pid() const { return pid_; }

  private:
    int pid_ = -1;
    int input_fd_ = -1;
    int output_fd_ = -1;
};

// An Xvfb server of the test's own on a free display; sets DISPLAY for this process.
class XvfbDisplay {
  public:
    bool Start();
    const std::string& display() const { return display_; }
    int pid() const { return server_.pid(); }

  private:
    ChildProcess server_;
    std::string display_;
};

}  // namespace ardelle::map::testing
