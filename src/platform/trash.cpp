#include "platform/trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/mapped_file.h"

namespace ardelle::platform {
namespace {

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> RealFolderOf(const std::string& path) {
    const std::string folder = FolderOf(path);
    char* resolved = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (resolved == nullptr) {
        return std::nullopt;
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// The highest folder above folder on the same device: where a volume's Trash lies.
std::string TopFolderOf(std::string folder, dev_t device) {
    while (folder != "/") {
        const std::string parent = FolderOf(folder);
        struct stat info {};
        if (parent.empty() || ::stat(parent.c_str(), &info) != 0 || info.st_dev != device) {
            break;
        }
        folder = parent;
    }
    return folder;
}

// Every Trash that GIO may have put a file of that folder in: the home Trash, and the two
// per-volume Trash folders of the volume's top folder.
std::vector<std::string> CandidateTrashes(const std::string& real_folder, dev_t device) {
    const std::string uid = std::to_string(::getuid());
    const std::string top = TopFolderOf(real_folder, device);
    const std::string top_prefix = top == "/" ? std::string() : top;
    return {std::string(g_get_user_data_dir()) + "/Trash", top_prefix + "/.Trash/" + uid,
            top_prefix + "/.Trash-" + uid};
}

bool IsFile(const std::string& path, const struct stat& wanted) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && info.st_dev == wanted.st_dev &&
           info.st_ino == wanted.st_ino;
}

// The name under which the file with wanted's device and inode lies in files_folder.
std::optional<std::string> FindByIdentity(const std::string& files_folder, const std::string& name,
                                          const struct stat& wanted) {
    // GIO keeps the name unless the Trash already holds one like it.
    if (IsFile(files_folder + "/" + name, wanted)) {
        return name;
    }
    DIR* folder = ::opendir(files_folder.c_str());
    if (folder == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    while (const dirent* item = ::readdir(folder)) {
        struct stat info {};
        if (::fstatat(::dirfd(folder), item->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            info.st_dev == wanted.st_dev && info.st_ino == wanted.st_ino) {
            found = item->d_name;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

TrashedFile LocateTrashed(const std::string& path, const std::string& real_folder,
                          const struct stat& before) {
    TrashedFile trashed;
    trashed.original_path = real_folder + (real_folder == "/" ? "" : "/") + NameOf(path);
    for (const std::string& trash : CandidateTrashes(real_folder, before.st_dev)) {
        if (const auto name = FindByIdentity(trash + "/files", NameOf(path), before)) {
            trashed.trashed_path = trash + "/files/" + *name;
            trashed.info_path = trash + "/info/" + *name + ".trashinfo";
            break;
        }
    }
    return trashed;
}

}  // namespace

bool CanTrash(const std::string& path, std::string* error) {
    if (path.empty()) {
        return Fail(error, "cannot move to the Trash: no file given");
    }
    GFile* file = g_file_new_for_path(path.c_str());
    GError* failure = nullptr;
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_ACCESS_CAN_TRASH,
                                        G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &failure);
    g_object_unref(file);
    if (info == nullptr) {
        std::string text =
            failure != nullptr ? std::string(failure->message) : "cannot examine " + path;
        g_clear_error(&failure);
        return Fail(error, std::move(text));
    }
    const bool can = g_file_info_get_attribute_boolean(info, G_FILE_ATTRIBUTE_ACCESS_CAN_TRASH);
    g_object_unref(info);
    return can || Fail(error, "cannot move " + path +
                                  " to the Trash: its volume has no Trash (a system or "
                                  "temporary filesystem)");
}

bool MoveToTrash(const std::string& path, std::string* error, TrashedFile* trashed) {
    // GIO resolves an empty path to the current folder, which must never be trashed by accident.
    if (path.empty()) {
        return Fail(error, "cannot move to the Trash: no file given");
    }
    struct stat before {};
    const bool known = trashed != nullptr && ::lstat(path.c_str(), &before) == 0;
    const std::optional<std::string> real_folder =
        trashed != nullptr ? RealFolderOf(path) : std::nullopt;
    GFile* file = g_file_new_for_path(path.c_str());
    GError* failure = nullptr;
    const bool moved = g_file_trash(file, nullptr, &failure) != FALSE;
    g_object_unref(file);
    if (!moved) {
        std::string text = failure != nullptr ? std::string(failure->message)
                                              : "cannot move " + path + " to the Trash";
        g_clear_error(&failure);
        return Fail(error, std::move(text));
    }
    if (trashed != nullptr) {
        *trashed = known && real_folder ? LocateTrashed(path, *real_folder, before) : TrashedFile{};
    }
    return true;
}

bool PutBackFromTrash(const TrashedFile& trashed, std::string* error) {
    if (trashed.trashed_path.empty() || trashed.original_path.empty()) {
        return Fail(error, "the trashed file could not be found in the Trash");
    }
    // The Trash lies on the file's own volume, so this is a rename, never a copy.
    const char* from = trashed.trashed_path.c_str();
    const char* to = trashed.original_path.c_str();
    int renamed = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    if (renamed != 0 && errno == EINVAL && !PathExists(trashed.original_path)) {
        renamed = ::rename(from, to);  // a filesystem without the flag
    }
    if (renamed != 0) {
        return Fail(error, "cannot put " + trashed.original_path +
                               " back from the Trash: " + SystemErrorText(errno));
    }
    ::unlink(trashed.info_path.c_str());
    return true;
}

}  // namespace ardelle::platform
