#pragma once

#include <optional>
#include <string>

namespace ardelle::platform {

// The value of an environment variable, or nothing when it is unset or empty.
std::optional<std::string> EnvironmentValue(const char* name);

// The user's home folder ($HOME, else the password database), empty when unknown.
std::string HomeFolder();

// The locale name that decides message language: LC_ALL, else LC_MESSAGES, else LANG.
std::string MessageLocaleName();

// The folder for temporary files: $TMPDIR when set, else /tmp. No trailing '/'.
std::string TemporaryFolder();

// The process's current working directory, empty when it cannot be read.
std::string CurrentFolder();

}  // namespace ardelle::platform
