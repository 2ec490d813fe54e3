#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "sample_card/card_writer.h"
#include "sample_card/options.h"

int main(int argc, char** argv) {
    using namespace ardelle::samplecard;
    CardOptions options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "ardelle-sample-card: %s\n%s", error.what(), kUsage);
        return 2;
    }
    try {
        WriteCard(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ardelle-sample-card: error: %s\n", error.what());
        return 1;
    }
    return 0;
}
