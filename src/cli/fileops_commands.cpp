// ardelle-cli csv and download: the export and copy workers run headless.
#include <cstdio>

#include "cli/commands.h"

namespace ardelle::cli {

int RunCsv(const Arguments&) {
    std::fprintf(stderr, "ardelle-cli csv: not built yet\n");
    return kExitFailure;
}
int RunDownload(const Arguments&) {
    std::fprintf(stderr, "ardelle-cli download: not built yet\n");
    return kExitFailure;
}

}  // namespace ardelle::cli
