// ardelle-cli join: recordings joined into one file per camera by the join worker.
#include <cstdio>

#include "cli/commands.h"

namespace ardelle::cli {

int RunJoin(const Arguments&) {
    std::fprintf(stderr, "ardelle-cli join: not built yet\n");
    return kExitFailure;
}

}  // namespace ardelle::cli
