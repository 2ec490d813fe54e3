#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/recording_entry.h"
#include "platform/fat_attributes.h"
#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

namespace ardelle::testing {

// A recorder movie name: trigger (four characters), date, time, running number, camera.
inline std::string MovieName(const std::string& trigger, int number, char camera,
                             const std::string& date = "230415",
                             const std::string& time = "101500") {
    char text[64];
    std::snprintf(text, sizeof text, "%s-%s-%s-%06d%c.MP4", trigger.c_str(), date.c_str(),
                  time.c_str(), number, camera);
    return text;
}

// A recorder still name: trigger pair, date YYYYMMDD, shot, picture, camera.
inline std::string StillName(const std::string& trigger, const std::string& date, int shot,
                             int picture, char camera) {
    char text[80];
    std::snprintf(text, sizeof text, "%s-%s-SN00A1B2C3D4E5F6-%03d-%03d%c.JPG", trigger.c_str(),
                  date.c_str(), shot, picture, camera);
    return text;
}

// Creates a file (and its folders) below root.
inline std::string Touch(const std::string& root, const std::string& relative,
                         const std::string& bytes = "x") {
    const std::string path = root + "/" + relative;
    EXPECT_TRUE(platform::MakeFolders(platform::FolderOf(path))) << path;
    // A plain write: fixtures of hundreds of files need no flush to disk.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    EXPECT_TRUE(out.good()) << path;
    return path;
}

// A card in a temporary folder: the four movie folders, filled by the test.
class CardFixture {
  public:
    CardFixture() {
        for (const char* folder :
             {"Normal/Front", "Normal/Rear", "Parking/Front", "Parking/Rear"}) {
            platform::MakeFolders(root() + "/" + folder);
        }
    }
    const std::string& root() const { return folder_.path(); }
    // Both files of a recording in the folder of its group.
    void AddPair(const std::string& trigger, int number, const std::string& date = "230415") {
        const std::string group = trigger[0] == 'P' ? "Parking" : "Normal";
        Touch(root(), group + "/Front/" + MovieName(trigger, number, 'F', date));
        Touch(root(), group + "/Rear/" + MovieName(trigger, number, 'R', date));
    }
    void AddRun(const std::string& trigger, int first, int count,
                const std::string& date = "230415") {
        for (int number = first; number < first + count; ++number) {
            AddPair(trigger, number, date);
        }
    }

    // The entries of the run's recordings 1..count of trigger "A___", sequence numbers from 0.
    catalogue::RecordingList Recordings(int count) const {
        catalogue::ResetSequenceCounters();
        catalogue::RecordingList list;
        for (int number = 1; number <= count; ++number) {
            catalogue::AddMovieEntry(root() + "/Normal/Front/" + MovieName("A___", number, 'F'),
                                     root() + "/Normal/Rear/" + MovieName("A___", number, 'R'),
                                     list);
        }
        return list;
    }

  private:
    TempFolder folder_;
};

// Makes the catalogue see root as a mounted volume of its own (a card when it has the
// card layout) for as long as the object lives.
class StagedVolume {
  public:
    explicit StagedVolume(const std::string& root, const std::string& filesystem = "vfat") {
        table_ = root + "/../" + "mounts-" + std::to_string(::getpid()) + ".txt";
        WriteFile(table_, "/\text4\t0\n" + root + "\t" + filesystem + "\t1\n");
        ::setenv("ARDELLE_MOUNT_TABLE", table_.c_str(), 1);
    }
    ~StagedVolume() {
        ::unsetenv("ARDELLE_MOUNT_TABLE");
        std::remove(table_.c_str());
    }
    StagedVolume(const StagedVolume&) = delete;
    StagedVolume& operator=(const StagedVolume&) = delete;

  private:
    std::string table_;
};

// FAT attributes kept beside the test's own filesystem, by device and inode so that they
// follow renames as the real attribute does, in memory shared with child processes (a
// test may kill one mid-delete): the card of a driver that answers the FAT attribute
// calls, installed for the object's lifetime. Without it the tests run on a filesystem
// whose driver cannot hide files, like an exfat driver without the calls.
class FakeFatAttributes final : public platform::FatAttributeAccess {
  public:
    FakeFatAttributes() {
        void* shared = ::mmap(nullptr, sizeof(Table), PROT_READ | PROT_WRITE,
                              MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        EXPECT_NE(shared, MAP_FAILED);
        table_ = new (shared) Table{};
        platform::ReplaceFatAttributeAccess(this);
    }
    ~FakeFatAttributes() override {
        platform::ReplaceFatAttributeAccess(nullptr);
        ::munmap(table_, sizeof(Table));
    }
    FakeFatAttributes(const FakeFatAttributes&) = delete;
    FakeFatAttributes& operator=(const FakeFatAttributes&) = delete;

    bool VolumeCarriesAttributes(int) const override { return true; }
    std::optional<std::uint32_t> Get(int fd) const override {
        const Slot* slot = Find(KeyOf(fd));
        return slot != nullptr ? slot->attributes : kArchive;
    }
    bool Set(int fd, std::uint32_t attributes) const override {
        const Key key = KeyOf(fd);
        const bool hiding = (attributes & platform::kFatHiddenAttribute) != 0 &&
                            (Get(fd).value_or(0) & platform::kFatHiddenAttribute) == 0;
        if (hiding && table_->stall_fd >= 0 && key == table_->stall) {
            const char byte = 's';  // stands still where the test kills the process
            (void)::write(table_->stall_fd, &byte, 1);
            ::pause();
        }
        if (hiding && key == table_->refused) {
            return false;
        }
        return Store(key, attributes);
    }

    // Marks a file hidden the way the recorder does, without a rename.
    void Hide(const std::string& path) {
        Store(KeyOfPath(path), kArchive | platform::kFatHiddenAttribute);
    }
    bool IsHidden(const std::string& path) const {
        const Slot* slot = Find(KeyOfPath(path));
        return slot != nullptr && (slot->attributes & platform::kFatHiddenAttribute) != 0;
    }
    // Setting the hidden bit of this file fails (while setting what it has succeeds).
    void RefuseHiding(const std::string& path) { table_->refused = KeyOfPath(path); }
    // Hiding this file writes a byte to fd and then waits until the process is killed.
    void StallHiding(const std::string& path, int fd) {
        table_->stall = KeyOfPath(path);
        table_->stall_fd = fd;
    }

  private:
    struct Key {
        dev_t device = 0;
        ino_t inode = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct Slot {
        Key key;
        std::uint32_t attributes = 0;
        bool used = false;
    };
    struct Table {
        Slot slots[256];
        Key refused;
        Key stall;
        int stall_fd = -1;
    };
    static constexpr std::uint32_t kArchive = 0x20;

    static Key KeyOf(int fd) {
        struct stat info {};
        ::fstat(fd, &info);
        return {info.st_dev, info.st_ino};
    }
    static Key KeyOfPath(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return {info.st_dev, info.st_ino};
    }
    const Slot* Find(const Key& key) const {
        for (const Slot& slot : table_->slots) {
            if (slot.used && slot.key == key) {
                return &slot;
            }
        }
        return nullptr;
    }
    bool Store(const Key& key, std::uint32_t attributes) const {
        const std::lock_guard lock(mutex_);
        Slot* free = nullptr;
        for (Slot& slot : table_->slots) {
            if (slot.used && slot.key == key) {
                slot.attributes = attributes;
                return true;
            }
            free = free == nullptr && !slot.used ? &slot : free;
        }
        if (free != nullptr) {
            *free = {key, attributes, true};
        }
        return free != nullptr;
    }

    mutable std::mutex mutex_;
    Table* table_ = nullptr;
};

}  // namespace ardelle::testing
