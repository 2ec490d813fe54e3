// ardelle-cli: the headless face of the core libraries, used by people, scripts,
// benchmarks and tests alike.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/error_report.h"
#include "base/ui_text.h"
#include "cli/commands.h"
#include "platform/environment.h"

namespace ardelle::cli {
namespace {

// Failures the user must see go to stderr.
class StderrReporter : public base::ErrorReporter {
  public:
    void ReportError(std::string_view title, std::string_view text) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

constexpr Command kCommands[] = {
    {"names", "names PATH...", RunNames},
    {"boxes", "boxes FILE", RunBoxes},
    {"telemetry", "telemetry FILE [--bind]", RunTelemetry},
    {"list", "list SOURCE [--stills] [--group LABEL] [--collect] [--filter BBBBBBB]", RunList},
    {"delete", "delete PATH...", RunDelete},
    {"join", "join --out DIR [--overwrite] PATH...", RunJoin},
    {"csv", "csv SOURCE --out DIR [--group LABEL] [--overwrite]", RunCsv},
    {"download", "download --out DIR [--overwrite] STILL...", RunDownload},
    {"frame", "frame FILE --frame N --out X.jpg", RunFrame},
};

int PrintOverallUsage() {
    std::fprintf(stderr, "usage: ardelle-cli COMMAND [ARGUMENTS]\ncommands:\n");
    for (const Command& command : kCommands) {
        std::fprintf(stderr, "  %s\n", command.usage);
    }
    return kExitUsage;
}

}  // namespace

int UsageError(const Command& command, const std::string& problem) {
    std::fprintf(stderr, "ardelle-cli %s: %s\nusage: ardelle-cli %s\n", command.name,
                 problem.c_str(), command.usage);
    return kExitUsage;
}

const Command* FindCommand(const char* name) {
    for (const Command& command : kCommands) {
        if (std::strcmp(command.name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace ardelle::cli

int main(int argc, char** argv) {
    using namespace ardelle;
    base::SetUiLanguage(base::ChooseUiLanguage(platform::MessageLocaleName()));
    static cli::StderrReporter reporter;
    base::SetErrorReporter(&reporter);
    if (argc < 2) {
        return cli::PrintOverallUsage();
    }
    const cli::Command* command = cli::FindCommand(argv[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "ardelle-cli: unknown command '%s'\n", argv[1]);
        return cli::PrintOverallUsage();
    }
    const cli::Arguments arguments(argv + 2, argv + argc);
    return command->run(arguments);
}
