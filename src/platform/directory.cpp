#include "platform/directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
// After sys/ioctl.h, which defines the _IOR/_IOW request macros this header uses.
#include <linux/magic.h>
#include <linux/msdos_fs.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>
#include <unordered_set>

#include "platform/fat_attributes.h"
#include "platform/files.h"
#include "platform/mapped_file.h"

namespace ardelle::platform {
namespace {

static_assert(kFatHiddenAttribute == ATTR_HIDDEN);
constexpr const char* kHiddenListName = ".hidden";

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

std::string ErrorText(const std::string& what, const std::string& path, int error_number) {
    return what + " " + path + ": " + SystemErrorText(error_number);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder a path lies in, "." for a bare name, so it can be handed to the system as is.
std::string FolderOrCurrent(const std::string& path) {
    const std::string folder = FolderOf(path);
    return folder.empty() ? std::string(".") : folder;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path.append(name);
}

// --- the FAT hidden attribute -----------------------------------------------------------------

// The kernel's FAT attribute ioctls; current exfat drivers answer them as vfat does.
class KernelFatAttributes final : public FatAttributeAccess {
  public:
    bool VolumeCarriesAttributes(int fd) const override {
        struct statfs volume {};
        return ::fstatfs(fd, &volume) == 0 &&
               (volume.f_type == MSDOS_SUPER_MAGIC || volume.f_type == EXFAT_SUPER_MAGIC);
    }
    std::optional<std::uint32_t> Get(int fd) const override {
        std::uint32_t attributes = 0;
        if (::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0) {
            return std::nullopt;
        }
        return attributes;
    }
    bool Set(int fd, std::uint32_t attributes) const override {
        return ::ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &attributes) == 0;
    }
};

const KernelFatAttributes kernel_fat_attributes;
std::atomic<const FatAttributeAccess*> fat_attributes{&kernel_fat_attributes};

bool IsFatVolume(int fd) {
    return CurrentFatAttributeAccess().VolumeCarriesAttributes(fd);
}

// Opens a file or folder only to ask for or change its attributes: never follows a link and
// never blocks on a special file.
int OpenForAttributes(int folder_fd, const char* name) {
    return ::openat(folder_fd, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
}

std::optional<std::uint32_t> FatAttributesAt(int folder_fd, const char* name) {
    const int fd = OpenForAttributes(folder_fd, name);
    if (fd < 0) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> attributes = CurrentFatAttributeAccess().Get(fd);
    ::close(fd);
    return attributes;
}

// The attributes of path when it lies on a FAT volume and the volume answers; nothing else.
std::optional<std::uint32_t> FatAttributesOf(const std::string& path) {
    const int fd = OpenForAttributes(AT_FDCWD, path.c_str());
    if (fd < 0) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> attributes =
        IsFatVolume(fd) ? CurrentFatAttributeAccess().Get(fd) : std::nullopt;
    ::close(fd);
    return attributes;
}

bool SetFatAttributes(const std::string& path, std::uint32_t attributes) {
    const int fd = OpenForAttributes(AT_FDCWD, path.c_str());
    if (fd < 0) {
        return false;
    }
    const bool set = CurrentFatAttributeAccess().Set(fd, attributes);
    ::close(fd);
    return set;
}

// --- the folder's .hidden list ----------------------------------------------------------------

// One line of a .hidden list without its line end; file managers accept "\r\n" too.
std::string_view ListedName(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

// Calls visit(line, ending) for every line of text; ending is "\n" or "" for the last line.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            visit(text, std::string_view());
            return;
        }
        visit(text.substr(0, end), text.substr(end, 1));
        text.remove_prefix(end + 1);
    }
}

std::unordered_set<std::string> ListedNames(std::string_view text) {
    std::unordered_set<std::string> names;
    ForEachLine(text, [&names](std::string_view line, std::string_view) {
        if (const std::string_view name = ListedName(line); !name.empty()) {
            names.emplace(name);
        }
    });
    return names;
}

std::string WithListedName(const std::string& text, const std::string& name) {
    if (ListedNames(text).count(name) != 0) {
        return text;
    }
    const bool needs_line_end = !text.empty() && text.back() != '\n';
    return text + (needs_line_end ? "\n" : "") + name + "\n";
}

std::string WithoutListedName(const std::string& text, const std::string& name) {
    std::string kept;
    ForEachLine(text, [&](std::string_view line, std::string_view ending) {
        if (ListedName(line) != name) {
            kept.append(line).append(ending);
        }
    });
    return kept;
}

// The content of a folder's .hidden list as it was read, with "absent" kept apart from
// "empty" so that restoring it puts back exactly what was there.
struct HiddenList {
    std::string path;
    std::optional<std::string> content;
};

bool ReadHiddenList(const std::string& folder, HiddenList* list, std::string* error) {
    list->path = JoinPath(folder, kHiddenListName);
    list->content = ReadWholeFile(list->path);
    // A list that exists but cannot be read must not be overwritten as if it were empty.
    if (!list->content && PathExists(list->path)) {
        return Fail(error, "cannot read the list of hidden files " + list->path);
    }
    return true;
}

// Writes content as the list; an empty list is removed rather than left behind.
bool WriteHiddenList(const std::string& path, const std::optional<std::string>& content,
                     std::string* error) {
    if (!content || content->empty()) {
        if (::unlink(path.c_str()) == 0 || errno == ENOENT) {
            return true;
        }
        return Fail(error, ErrorText("cannot remove", path, errno));
    }
    if (!WriteFileAtomically(path, *content)) {
        return Fail(error, ErrorText("cannot write", path, errno));
    }
    return true;
}

// --- renaming without replacing ---------------------------------------------------------------

std::string RenameErrorText(const std::string& from, const std::string& to, int error_number) {
    return "cannot rename " + from + " to " + to + ": " + SystemErrorText(error_number);
}

// For filesystems without hard links (vfat): a check for the target, then a plain rename.
bool RenameAfterCheck(const std::string& from, const std::string& to, std::string* error) {
    struct stat target {};
    if (::lstat(to.c_str(), &target) == 0) {
        return Fail(error, RenameErrorText(from, to, EEXIST));
    }
    if (errno != ENOENT) {
        return Fail(error, RenameErrorText(from, to, errno));
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return Fail(error, RenameErrorText(from, to, errno));
    }
    return true;
}

// For filesystems that refuse RENAME_NOREPLACE: link() fails when the target exists.
bool RenameByLink(const std::string& from, const std::string& to, std::string* error) {
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EPERM || errno == EOPNOTSUPP) {
            return RenameAfterCheck(from, to, error);
        }
        return Fail(error, RenameErrorText(from, to, errno));
    }
    if (::unlink(from.c_str()) != 0) {
        const int unlink_error = errno;
        ::unlink(to.c_str());
        return Fail(error, ErrorText("cannot remove the old name", from, unlink_error));
    }
    return true;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to, std::string* error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        return RenameByLink(from, to, error);
    }
    return Fail(error, RenameErrorText(from, to, errno));
}

// --- hiding and showing -----------------------------------------------------------------------

bool CheckMove(const std::string& source, const std::string& target, std::string* error) {
    if (source.empty() || NameOf(target).empty() || FolderOf(source) != FolderOf(target)) {
        return Fail(error, "cannot rename " + source + " to " + target +
                               ": both names must lie in the same folder");
    }
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0) {
        return Fail(error, RenameErrorText(source, target, errno));
    }
    return true;
}

// Changes the FAT hidden attribute, renames, and puts the attribute back when the rename
// fails. Nothing when the attribute cannot be changed, so the caller falls back to the list.
std::optional<bool> MoveByFatAttribute(const std::string& source, const std::string& target,
                                       bool hide, std::string* error) {
    const std::optional<std::uint32_t> before = FatAttributesOf(source);
    if (!before) {
        return std::nullopt;
    }
    const std::uint32_t after =
        hide ? (*before | kFatHiddenAttribute) : (*before & ~kFatHiddenAttribute);
    if (!SetFatAttributes(source, after)) {
        return std::nullopt;
    }
    if (RenameWithoutReplacing(source, target, error)) {
        return true;
    }
    SetFatAttributes(source, *before);
    return false;
}

// Edits the folder's .hidden list, renames, and puts the old list back when the rename fails.
bool MoveByHiddenList(const std::string& source, const std::string& target, bool hide,
                      std::string* error) {
    HiddenList list;
    std::string list_error;
    if (!ReadHiddenList(FolderOrCurrent(source), &list, &list_error)) {
        return Fail(error, "cannot rename " + source + " to " + target + ": " + list_error);
    }
    const std::string before = list.content.value_or("");
    const std::string after =
        hide ? WithListedName(before, NameOf(target)) : WithoutListedName(before, NameOf(source));
    const bool changed = after != before;
    if (changed && !WriteHiddenList(list.path, after, &list_error)) {
        return Fail(error, "cannot rename " + source + " to " + target + ": " + list_error);
    }
    if (RenameWithoutReplacing(source, target, error)) {
        return true;
    }
    std::string restore_error;
    if (changed && !WriteHiddenList(list.path, list.content, &restore_error) && error != nullptr) {
        *error += "; the list of hidden files could not be restored: " + restore_error;
    }
    return false;
}

std::string NoAttributeText(const std::string& path) {
    return "cannot hide " + path +
           ": the driver of its volume cannot set the FAT hidden attribute, which the "
           "recorder reads";
}

bool MoveChangingVisibility(const std::string& source, const std::string& target, bool hide,
                            HidingMethod method, std::string* error) {
    if (!CheckMove(source, target, error)) {
        return false;
    }
    if (const std::optional<bool> moved = MoveByFatAttribute(source, target, hide, error)) {
        return *moved;
    }
    if (method == HidingMethod::kAttributeOnly) {
        return Fail(error, NoAttributeText(source));
    }
    return MoveByHiddenList(source, target, hide, error);
}

// --- listing ----------------------------------------------------------------------------------

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};
using OpenFolder = std::unique_ptr<DIR, FolderCloser>;

// What every entry of one listing shares: where it is and what hides names in it.
struct ListingContext {
    std::string folder;
    int folder_fd = -1;
    bool fat = false;
    std::unordered_set<std::string> listed_hidden;
};

DirectoryEntry DescribeEntry(const ListingContext& context, const dirent& item) {
    DirectoryEntry entry;
    entry.name = item.d_name;
    entry.path = JoinPath(context.folder, entry.name);
    if (item.d_type == DT_DIR) {
        entry.is_folder = true;
    } else {
        // stat follows links, so a link to a folder counts as a folder; it also covers
        // filesystems that report DT_UNKNOWN. A dangling link stays a file of size 0.
        struct stat info {};
        if (::fstatat(context.folder_fd, item.d_name, &info, 0) == 0) {
            entry.is_folder = S_ISDIR(info.st_mode);
            entry.size = entry.is_folder ? 0 : static_cast<std::uint64_t>(info.st_size);
        }
    }
    entry.hidden = entry.name.front() == '.' || context.listed_hidden.count(entry.name) != 0;
    if (!entry.hidden && context.fat) {
        const auto attributes = FatAttributesAt(context.folder_fd, item.d_name);
        entry.hidden = attributes && (*attributes & kFatHiddenAttribute) != 0;
    }
    return entry;
}

bool IsSelfOrParent(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& folder) {
    const OpenFolder open_folder(::opendir(folder.c_str()));
    if (!open_folder) {
        return std::nullopt;
    }
    ListingContext context;
    context.folder = folder;
    context.folder_fd = ::dirfd(open_folder.get());
    // Only FAT volumes carry the attribute; asking elsewhere would cost an open per file.
    context.fat = IsFatVolume(context.folder_fd);
    context.listed_hidden =
        ListedNames(ReadWholeFile(JoinPath(folder, kHiddenListName)).value_or(""));
    std::vector<DirectoryEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(open_folder.get());
        if (item == nullptr) {
            break;
        }
        if (!IsSelfOrParent(item->d_name)) {
            entries.push_back(DescribeEntry(context, *item));
        }
    }
    if (errno != 0) {
        return std::nullopt;
    }
    return entries;
}

bool MoveIntoHiding(const std::string& from, const std::string& to, HidingMethod method,
                    std::string* error) {
    return MoveChangingVisibility(from, to, /*hide=*/true, method, error);
}

bool MoveOutOfHiding(const std::string& to, const std::string& from, HidingMethod method,
                     std::string* error) {
    return MoveChangingVisibility(to, from, /*hide=*/false, method, error);
}

bool CanSetHiddenAttribute(const std::string& path, std::string* error) {
    // Setting the attributes a file already has changes nothing, and proves the driver
    // takes the call.
    const std::optional<std::uint32_t> attributes = FatAttributesOf(path);
    if (!attributes || !SetFatAttributes(path, *attributes)) {
        return Fail(error, NoAttributeText(path));
    }
    return true;
}

bool SetHiddenAttribute(const std::string& path, bool hidden) {
    const std::optional<std::uint32_t> before = FatAttributesOf(path);
    return before && SetFatAttributes(path, hidden ? (*before | kFatHiddenAttribute)
                                                   : (*before & ~kFatHiddenAttribute));
}

const FatAttributeAccess& CurrentFatAttributeAccess() {
    return *fat_attributes.load();
}

void ReplaceFatAttributeAccess(const FatAttributeAccess* access) {
    fat_attributes.store(access != nullptr ? access : &kernel_fat_attributes);
}

}  // namespace ardelle::platform
