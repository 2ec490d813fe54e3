#include "platform/environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace ardelle::platform {

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

std::string HomeFolder() {
    if (auto home = EnvironmentValue("HOME")) {
        return *home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? std::string(entry->pw_dir)
                                                        : std::string();
}

std::string MessageLocaleName() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (auto value = EnvironmentValue(name)) {
            return *value;
        }
    }
    return {};
}

std::string TemporaryFolder() {
    std::string folder = EnvironmentValue("TMPDIR").value_or("/tmp");
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

std::string CurrentFolder() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

}  // namespace ardelle::platform
