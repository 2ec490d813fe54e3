#include "platform/volumes.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <map>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/mount_table.h"

namespace ardelle::platform {
namespace detail {
namespace {

constexpr const char* kBlockDevices = "/sys/dev/block";

std::vector<std::string_view> SplitFields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t end = line.find(separator);
        fields.push_back(line.substr(0, end));
        if (end == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(end + 1);
    }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines = SplitFields(text, '\n');
    for (std::string_view& line : lines) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
    }
    return lines;
}

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in mount points as \ooo.
std::string UnescapeOctal(std::string_view text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && IsOctalDigit(text[i + 1]) &&
            IsOctalDigit(text[i + 2]) && IsOctalDigit(text[i + 3])) {
            plain += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                       (text[i + 3] - '0'));
            i += 3;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

bool ParseUnsigned(std::string_view text, unsigned* value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool ParseDeviceNumber(std::string_view text, MountInfoLine* line) {
    const size_t colon = text.find(':');
    return colon != std::string_view::npos && ParseUnsigned(text.substr(0, colon), &line->major) &&
           ParseUnsigned(text.substr(colon + 1), &line->minor);
}

// "id parent major:minor fs-root mount-point options [optional fields...] - type source ..."
std::optional<MountInfoLine> ParseMountInfoLine(std::string_view text) {
    constexpr std::size_t kFirstOptionalField = 6;
    const std::vector<std::string_view> fields = SplitFields(text, ' ');
    if (fields.size() < kFirstOptionalField) {
        return std::nullopt;
    }
    const auto separator =
        std::find(fields.begin() + static_cast<std::ptrdiff_t>(kFirstOptionalField), fields.end(),
                  std::string_view("-"));
    if (separator == fields.end() || separator + 1 == fields.end()) {
        return std::nullopt;
    }
    MountInfoLine line;
    line.root = UnescapeOctal(fields[4]);
    line.filesystem = std::string(separator[1]);
    if (line.root.empty() || line.root.front() != '/' || line.filesystem.empty() ||
        !ParseDeviceNumber(fields[2], &line)) {
        return std::nullopt;
    }
    return line;
}

// A root without trailing '/' (except "/" itself).
std::string NormalRoot(std::string_view root) {
    while (root.size() > 1 && root.back() == '/') {
        root.remove_suffix(1);
    }
    return std::string(root);
}

std::optional<MountedVolume> ParseMountTableLine(std::string_view text) {
    const std::vector<std::string_view> fields = SplitFields(text, '\t');
    if (fields.size() != 3 || fields[0].empty() || fields[0].front() != '/' || fields[1].empty() ||
        (fields[2] != "0" && fields[2] != "1")) {
        return std::nullopt;
    }
    return MountedVolume{NormalRoot(fields[0]), std::string(fields[1]), fields[2] == "1"};
}

std::string Trimmed(std::string text) {
    const size_t end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

std::string ReadSysfsValue(const std::string& path) {
    return Trimmed(ReadWholeFile(path).value_or(""));
}

std::optional<std::string> RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return std::nullopt;
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// An mmcblk disk is an SD card unless its card reads "MMC", the type of soldered eMMC.
bool IsSdCard(const std::string& disk) {
    const std::optional<std::string> real = RealPath(disk);
    if (!real || real->substr(real->rfind('/') + 1).rfind("mmcblk", 0) != 0) {
        return false;
    }
    return ReadSysfsValue(disk + "/device/type") != "MMC";
}

std::vector<MountedVolume> SortedByRoot(const std::map<std::string, MountedVolume>& by_root) {
    std::vector<MountedVolume> volumes;
    volumes.reserve(by_root.size());
    for (const auto& [root, volume] : by_root) {
        volumes.push_back(volume);
    }
    return volumes;
}

}  // namespace

std::vector<MountInfoLine> ParseMountInfo(std::string_view text) {
    std::vector<MountInfoLine> lines;
    for (const std::string_view line : SplitLines(text)) {
        if (std::optional<MountInfoLine> parsed = ParseMountInfoLine(line)) {
            lines.push_back(std::move(*parsed));
        }
    }
    return lines;
}

std::vector<MountedVolume> ParseMountTable(std::string_view text) {
    std::map<std::string, MountedVolume> by_root;
    for (const std::string_view line : SplitLines(text)) {
        if (std::optional<MountedVolume> volume = ParseMountTableLine(line)) {
            by_root[volume->root] = std::move(*volume);
        }
    }
    return SortedByRoot(by_root);
}

bool IsRemovableDevice(const std::string& block_devices, unsigned major, unsigned minor) {
    if (major == 0) {
        return false;  // tmpfs, proc and the like have no block device
    }
    const std::string device =
        block_devices + "/" + std::to_string(major) + ":" + std::to_string(minor);
    // A partition carries no removable flag of its own; its disk is the folder above it.
    const bool partition = PathExists(device + "/partition");
    const std::string disk = partition ? device + "/.." : device;
    return ReadSysfsValue(device + "/removable") == "1" ||
           (partition && ReadSysfsValue(disk + "/removable") == "1") || IsSdCard(disk);
}

bool IsRemovableMediaRoot(const std::string& root) {
    return root.rfind("/media/", 0) == 0 || root.rfind("/run/media/", 0) == 0;
}

std::string LongestRootHolding(const std::vector<MountedVolume>& volumes, const std::string& path) {
    std::string best = "/";
    for (const MountedVolume& volume : volumes) {
        const std::string& root = volume.root;
        const bool holds = root == "/" || path == root ||
                           (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                            path[root.size()] == '/');
        if (holds && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

}  // namespace detail

namespace {

// Appends the components of a path that does not exist yet to its resolved ancestor,
// dropping "." and taking ".." lexically (nothing below the ancestor can be a link).
std::string AppendMissing(std::string resolved, const std::vector<std::string>& missing) {
    for (auto component = missing.rbegin(); component != missing.rend(); ++component) {
        if (component->empty() || *component == ".") {
            continue;
        }
        if (*component == "..") {
            resolved = resolved == "/" ? resolved : FolderOf(resolved);
            continue;
        }
        resolved += (resolved == "/" ? "" : "/") + *component;
    }
    return resolved;
}

// The absolute, symlink-resolved form of path; for a path that does not exist yet, its
// nearest existing ancestor resolved with the rest appended.
std::optional<std::string> ResolvedPath(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const std::string current = path.front() == '/' ? std::string() : CurrentFolder();
    if (path.front() != '/' && current.empty()) {
        return std::nullopt;
    }
    std::string existing = current.empty() ? path : current + "/" + path;
    std::vector<std::string> missing;
    for (;;) {
        if (std::optional<std::string> real = detail::RealPath(existing)) {
            return AppendMissing(*real, missing);
        }
        if (errno != ENOENT || existing == "/") {
            return std::nullopt;
        }
        const size_t slash = existing.rfind('/');
        missing.push_back(existing.substr(slash + 1));
        existing = slash == 0 ? std::string("/") : existing.substr(0, slash);
    }
}

std::optional<struct statvfs> VolumeStatistics(const std::string& path) {
    struct statvfs statistics {};
    if (::statvfs(path.c_str(), &statistics) != 0) {
        return std::nullopt;
    }
    return statistics;
}

}  // namespace

std::vector<MountedVolume> MountedVolumes() {
    if (const std::optional<std::string> table = EnvironmentValue("ARDELLE_MOUNT_TABLE")) {
        return detail::ParseMountTable(ReadWholeFile(*table).value_or(""));
    }
    // A later mount on the same point covers the earlier one, so the last line wins.
    std::map<std::string, MountedVolume> by_root;
    const std::string mount_info = ReadWholeFile("/proc/self/mountinfo").value_or("");
    for (const detail::MountInfoLine& line : detail::ParseMountInfo(mount_info)) {
        const bool removable =
            detail::IsRemovableMediaRoot(line.root) ||
            detail::IsRemovableDevice(detail::kBlockDevices, line.major, line.minor);
        by_root[line.root] = MountedVolume{line.root, line.filesystem, removable};
    }
    return detail::SortedByRoot(by_root);
}

bool IsMountPoint(const std::string& root) {
    if (const std::optional<std::string> table = EnvironmentValue("ARDELLE_MOUNT_TABLE")) {
        const std::vector<MountedVolume> volumes =
            detail::ParseMountTable(ReadWholeFile(*table).value_or(""));
        return std::any_of(volumes.begin(), volumes.end(),
                           [&](const MountedVolume& volume) { return volume.root == root; });
    }
    const std::vector<detail::MountInfoLine> lines =
        detail::ParseMountInfo(ReadWholeFile("/proc/self/mountinfo").value_or(""));
    return std::any_of(lines.begin(), lines.end(),
                       [&](const detail::MountInfoLine& line) { return line.root == root; });
}

std::optional<std::string> VolumeRootOf(const std::string& path) {
    const std::optional<std::string> resolved = ResolvedPath(path);
    if (!resolved) {
        return std::nullopt;
    }
    return detail::LongestRootHolding(MountedVolumes(), *resolved);
}

std::optional<std::uint64_t> VolumeTotalBytes(const std::string& path) {
    const std::optional<struct statvfs> statistics = VolumeStatistics(path);
    if (!statistics) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(statistics->f_blocks) * statistics->f_frsize;
}

std::optional<std::uint64_t> VolumeFreeBytes(const std::string& path) {
    const std::optional<struct statvfs> statistics = VolumeStatistics(path);
    if (!statistics) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(statistics->f_bavail) * statistics->f_frsize;
}

}  // namespace ardelle::platform
