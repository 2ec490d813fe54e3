// ardelle-cli frame: one frame of a recording saved as JPEG by a player instance.
#include <cstdio>

#include "cli/commands.h"

namespace ardelle::cli {

int RunFrame(const Arguments&) {
    std::fprintf(stderr, "ardelle-cli frame: not built yet\n");
    return kExitFailure;
}

}  // namespace ardelle::cli
