#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/file_copy.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace ardelle::platform {
namespace {

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Starts a writer in a child process, lets it write a pending output and kills it with
// SIGKILL before it commits, as a crash or `kill -9` would.
void KillWriterMidWrite(const std::string& final_path) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PendingFile output;
        const bool written = output.Create(final_path, nullptr) && output.Write("half", nullptr);
        const char byte = written ? '1' : '0';
        (void)::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, '1');
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(PendingFile, KilledWritersLeftoversGoBeforeTheNextWriteButLiveOnesStay) {
    testing::TempFolder folder;
    KillWriterMidWrite(folder / "joined_F.MP4");
    ASSERT_EQ(NamesIn(folder.path()).size(), 1u) << "a killed writer leaves its .part file";
    // The next writer there removes it, and is killed too.
    KillWriterMidWrite(folder / "other_R.MP4");
    const std::set<std::string> left = NamesIn(folder.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left.begin()->starts_with(".other_R.MP4.")) << *left.begin();

    // Not ours: other naming, a visible name, a folder of our naming.
    for (const std::string name :
         {".joined_F.MP4.part", "joined.0123456789ab.part", ".joined_F.MP4.0123456789AB.part"}) {
        ASSERT_TRUE(WriteFileAtomically(folder / name, "keep"));
    }
    ASSERT_TRUE(MakeFolders(folder / ".x.0123456789ab.part"));
    PendingFile live;
    ASSERT_TRUE(live.Create(folder / "live.csv", nullptr));
    ASSERT_TRUE(live.Write("live", nullptr));

    PendingFile next;
    std::string error;
    ASSERT_TRUE(next.Create(folder / "next.csv", &error)) << error;
    ASSERT_TRUE(next.Write("next", nullptr));
    ASSERT_TRUE(next.Commit(false, &error)) << error;

    const std::set<std::string> expected = {
        ".joined_F.MP4.part",
        "joined.0123456789ab.part",
        ".joined_F.MP4.0123456789AB.part",
        ".x.0123456789ab.part",
        std::filesystem::path(live.temporary_path()).filename().string(),
        "next.csv"};
    EXPECT_EQ(NamesIn(folder.path()), expected);
    ASSERT_TRUE(live.Commit(false, &error)) << error;
    EXPECT_EQ(ReadWholeFile(folder / "live.csv"), "live");
}

TEST(WriteFileAtomically, StaleTemporariesOfTheSameFileGoLockedOnesStay) {
    testing::TempFolder folder;
    // Beside ".hidden" they are "..hidden.<16 hex>.tmp".
    const std::string stale = folder / "..hidden.0123456789abcdef.tmp";
    const std::string held = folder / "..hidden.fedcba9876543210.tmp";
    const std::string other = folder / ".settings.ini.0123456789abcdef.tmp";
    for (const std::string& path : {stale, held, other}) {
        ASSERT_TRUE(WriteFileAtomically(path, "left"));
    }
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);  // a writer at work in another copy

    ASSERT_TRUE(WriteFileAtomically(folder / ".hidden", "a.DMY\n"));
    EXPECT_EQ(NamesIn(folder.path()),
              (std::set<std::string>{".hidden", "..hidden.fedcba9876543210.tmp",
                                     ".settings.ini.0123456789abcdef.tmp"}));
    ::close(holder);
    RemoveStaleTemporariesOf(folder / ".hidden");
    EXPECT_EQ(NamesIn(folder.path()).count("..hidden.fedcba9876543210.tmp"), 0u);
}

TEST(WriteFileAtomically, ARewrittenFileKeepsItsModeAndOwner) {
    for (const mode_t mode : {0600, 0640, 0666, 0444}) {
        SCOPED_TRACE(mode);
        testing::TempFolder folder;
        const std::string path = folder / ".hidden";
        ASSERT_TRUE(WriteFileAtomically(path, "a\n"));
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(WriteFileAtomically(path, "a\nb\n"));
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(ReadWholeFile(path), "a\nb\n");
    }
    if (::geteuid() != 0) {
        GTEST_SKIP() << "changing owners needs root";
    }
    // Root's list, writable by all, in a shared folder; another user rewrites it.
    testing::TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string path = folder / ".hidden";
    ASSERT_TRUE(WriteFileAtomically(path, "a\n"));
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        const bool ok =
            ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && WriteFileAtomically(path, "a\nb\n");
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(info.st_mode & 07777, 0666u);
    EXPECT_EQ(ReadWholeFile(path), "a\nb\n");
    EXPECT_EQ(NamesIn(folder.path()), std::set<std::string>{".hidden"});

    // Root rewriting a user's file gives it back to the user.
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "c\n"));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
}

TEST(TemporaryNames, OnlyOurPatternCounts) {
    const TemporaryNaming part{".part", 12};
    const TemporaryNaming hidden_tmp{".tmp", 16, ".hidden"};
    const struct {
        const char* name;
        const TemporaryNaming* naming;
        bool ours;
    } cases[] = {
        {".A_F.MP4.0123456789ab.part", &part, true},
        {".0123456789ab.part", &part, false},  // no name before the random part
        {".A_F.MP4.0123456789aB.part", &part, false},
        {".A_F.MP4.0123456789a.part", &part, false},
        {"A_F.MP4.0123456789ab.part", &part, false},
        {".A_F.MP4-0123456789ab.part", &part, false},
        {"..hidden.0123456789abcdef.tmp", &hidden_tmp, true},
        {".hidden.0123456789abcdef.tmp", &hidden_tmp, false},
        {"..hidden2.0123456789abcdef.tmp", &hidden_tmp, false},
        {"..hidden.0123456789abcdef.part", &hidden_tmp, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTemporaryName(c.name, *c.naming), c.ours) << c.name;
    }
}

}  // namespace
}  // namespace ardelle::platform
