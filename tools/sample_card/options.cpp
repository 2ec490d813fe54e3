#include "sample_card/options.h"

#include <charconv>
#include <cstdlib>

#include "sample_card/frame_code.h"

namespace ardelle::samplecard {
namespace {

long long WholeNumber(const std::string& text, long long low, long long high,
                      const std::string& option) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || value < low || value > high) {
        throw UsageError(option + ": expected a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", got '" + text + "'");
    }
    return value;
}

double Seconds(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0.5 && value <= 600)) {
        throw UsageError("--seconds: expected a number from 0.5 to 600, got '" + text + "'");
    }
    return value;
}

FrameSize Size(const std::string& text, const std::string& option) {
    const auto x = text.find('x');
    if (x == std::string::npos) {
        throw UsageError(option + ": expected WxH, got '" + text + "'");
    }
    FrameSize size;
    size.width = static_cast<int>(WholeNumber(text.substr(0, x), kMinCodeWidth, 3840, option));
    size.height = static_cast<int>(WholeNumber(text.substr(x + 1), kMinCodeHeight, 2160, option));
    if (size.width % 2 != 0 || size.height % 2 != 0) {
        throw UsageError(option + ": width and height must be even, got '" + text + "'");
    }
    return size;
}

}  // namespace

CardOptions ParseOptions(const std::vector<std::string>& args) {
    CardOptions options;
    bool have_out = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw UsageError(arg + ": missing value");
            }
            return args[++i];
        };
        if (arg == "--count") {
            options.plan.count = static_cast<int>(WholeNumber(value(), 1, 100000, arg));
        } else if (arg == "--seconds") {
            options.plan.seconds = Seconds(value());
        } else if (arg == "--front") {
            options.front = Size(value(), arg);
        } else if (arg == "--rear") {
            options.rear = Size(value(), arg);
        } else if (arg == "--seed") {
            options.plan.seed = static_cast<uint32_t>(WholeNumber(value(), 0, 4294967295LL, arg));
        } else if (arg == "--fast") {
            options.fast = true;
        } else if (arg.empty() || arg[0] == '-' || have_out) {
            throw UsageError("unexpected argument '" + arg + "'");
        } else {
            options.out = arg;
            have_out = true;
        }
    }
    if (!have_out) {
        throw UsageError("missing OUT folder");
    }
    return options;
}

}  // namespace ardelle::samplecard
