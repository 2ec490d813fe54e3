#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/mount_table.h"
#include "platform/volumes.h"
#include "support/temp_folder.h"

namespace ardelle::platform {

bool operator==(const MountedVolume& a, const MountedVolume& b) {
    return a.root == b.root && a.filesystem == b.filesystem && a.removable == b.removable;
}

std::ostream& operator<<(std::ostream& out, const MountedVolume& volume) {
    return out << "{" << volume.root << ", " << volume.filesystem << ", " << volume.removable
               << "}";
}

namespace {

// Sets an environment variable for one test and unsets it afterwards.
class ScopedEnvironmentVariable {
  public:
    ScopedEnvironmentVariable(const char* name, const std::string& value) : name_(name) {
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironmentVariable() { ::unsetenv(name_); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

  private:
    const char* name_;
};

TEST(ParseMountInfo, ReadsMountPointTypeAndDevice) {
    const std::string text =
        "25 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "40 25 179:1 / /media/user/MY\\040CARD rw,nosuid shared:9 master:2 - vfat /dev/mmcblk0p1 "
        "rw,fmask=0022\n"
        "41 25 8:17 / /mnt/tab\\011and\\134back\\012line rw - exfat /dev/sdb1 rw\n"
        "42 25 0:30 /sub /run/user/1000 rw - tmpfs tmpfs rw\r\n"
        "43 25 8:1 / /mnt/no-separator rw ext4 /dev/sda1 rw\n"
        "44 25 8:1 / /mnt/no-type rw -\n"
        "45 25 8 / /mnt/bad-device rw - ext4 /dev/sda1 rw\n"
        "too short\n"
        "\n";
    const std::vector<detail::MountInfoLine> lines = detail::ParseMountInfo(text);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].root, "/");
    EXPECT_EQ(lines[0].filesystem, "ext4");
    EXPECT_EQ(lines[0].major, 254u);
    EXPECT_EQ(lines[1].root, "/media/user/MY CARD");
    EXPECT_EQ(lines[1].filesystem, "vfat");
    EXPECT_EQ(lines[1].major, 179u);
    EXPECT_EQ(lines[1].minor, 1u);
    EXPECT_EQ(lines[2].root, "/mnt/tab\tand\\back\nline");
    EXPECT_EQ(lines[2].filesystem, "exfat");
    EXPECT_EQ(lines[3].root, "/run/user/1000");
    EXPECT_EQ(lines[3].filesystem, "tmpfs");
    EXPECT_EQ(lines[3].major, 0u);
}

// A staged /sys/dev/block: links named major:minor into a tree of disks and partitions.
class StagedBlockDevices : public ::testing::Test {
  protected:
    void SetUp() override {
        Disk("sda", "0");
        Partition("sda", "sda1");
        Disk("sdb", "1");  // card reader
        Partition("sdb", "sdb1");
        Disk("mmcblk0", "0", "SD");
        Partition("mmcblk0", "mmcblk0p1");
        Disk("mmcblk1", "0", "MMC");  // soldered eMMC
        Partition("mmcblk1", "mmcblk1p1");
        Link("8:0", "sda");
        Link("8:1", "sda/sda1");
        Link("8:16", "sdb");
        Link("8:17", "sdb/sdb1");
        Link("179:0", "mmcblk0");
        Link("179:1", "mmcblk0/mmcblk0p1");
        Link("179:9", "mmcblk1/mmcblk1p1");
    }

    std::string block_devices() const { return sys_ / "dev/block"; }

  private:
    void Disk(const std::string& name, const std::string& removable,
              const std::string& card_type = "") {
        ASSERT_TRUE(MakeFolders(sys_ / "devices/" + name));
        ASSERT_TRUE(WriteFileAtomically(sys_ / "devices/" + name + "/removable", removable + "\n"));
        if (!card_type.empty()) {
            ASSERT_TRUE(MakeFolders(sys_ / "devices/card-" + name));
            ASSERT_TRUE(
                WriteFileAtomically(sys_ / "devices/card-" + name + "/type", card_type + "\n"));
            std::filesystem::create_directory_symlink("../card-" + name,
                                                      sys_ / "devices/" + name + "/device");
        }
    }
    void Partition(const std::string& disk, const std::string& name) {
        const std::string folder = sys_ / "devices/" + disk + "/" + name;
        ASSERT_TRUE(MakeFolders(folder));
        ASSERT_TRUE(WriteFileAtomically(folder + "/partition", "1\n"));
    }
    void Link(const std::string& number, const std::string& device) {
        ASSERT_TRUE(MakeFolders(block_devices()));
        std::filesystem::create_directory_symlink("../../devices/" + device,
                                                  block_devices() + "/" + number);
    }

    testing::TempFolder sys_;
};

TEST_F(StagedBlockDevices, RemovableDevices) {
    struct Case {
        unsigned major, minor;
        bool removable;
    };
    const std::vector<Case> cases = {
        {8, 0, false},   {8, 1, false},   // fixed disk and its partition
        {8, 16, true},   {8, 17, true},   // reader: the partition inherits the disk's flag
        {179, 0, true},  {179, 1, true},  // SD card, flag 0
        {179, 9, false},                  // eMMC partition
        {0, 30, false},  {8, 99, false},  // no device, unknown device
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + ":" + std::to_string(c.minor));
        EXPECT_EQ(detail::IsRemovableDevice(block_devices(), c.major, c.minor), c.removable);
    }
}

TEST(IsRemovableMediaRoot, OnlyFoldersBelowTheMediaMountPlaces) {
    EXPECT_TRUE(detail::IsRemovableMediaRoot("/media/user/CARD"));
    EXPECT_TRUE(detail::IsRemovableMediaRoot("/run/media/user/CARD"));
    EXPECT_FALSE(detail::IsRemovableMediaRoot("/media"));
    EXPECT_FALSE(detail::IsRemovableMediaRoot("/mediacard"));
    EXPECT_FALSE(detail::IsRemovableMediaRoot("/mnt/card"));
}

TEST(MountedVolumes, SystemTableHasTheRootAndIsSorted) {
    const std::vector<MountedVolume> volumes = MountedVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front().root, "/");
    for (size_t i = 1; i < volumes.size(); ++i) {
        EXPECT_LT(volumes[i - 1].root, volumes[i].root);
        EXPECT_FALSE(volumes[i].filesystem.empty());
    }
}

TEST(MountedVolumes, OverrideTableIsReadInstead) {
    testing::TempFolder folder;
    const std::string table = folder / "mounts";
    ASSERT_TRUE(WriteFileAtomically(table,
                                    "/tmp/card/\tvfat\t1\n"
                                    "/\text4\t0\r\n"
                                    "/mnt/two words\texfat\t0\n"
                                    "relative\text4\t0\n"
                                    "/mnt/flag\text4\tyes\n"
                                    "/mnt/short\text4\n"
                                    "\n"));
    const ScopedEnvironmentVariable override_table("ARDELLE_MOUNT_TABLE", table);
    const std::vector<MountedVolume> expected = {
        {"/", "ext4", false}, {"/mnt/two words", "exfat", false}, {"/tmp/card", "vfat", true}};
    EXPECT_EQ(MountedVolumes(), expected);

    const ScopedEnvironmentVariable missing_table("ARDELLE_MOUNT_TABLE", folder / "missing");
    EXPECT_TRUE(MountedVolumes().empty());
}

TEST(VolumeRootOf, LongestFolderPrefixOfTheResolvedPath) {
    testing::TempFolder folder;
    const std::string base = std::filesystem::canonical(folder.path()).string();
    ASSERT_TRUE(MakeFolders(base + "/card/DCIM"));
    ASSERT_TRUE(MakeFolders(base + "/cardigan"));
    std::filesystem::create_directory_symlink(base + "/card/DCIM", base + "/link");
    ASSERT_TRUE(WriteFileAtomically(base + "/mounts", "/\text4\t0\n" + base + "/card\tvfat\t1\n" +
                                                          base + "/cardigan\text4\t0\n"));
    const ScopedEnvironmentVariable override_table("ARDELLE_MOUNT_TABLE", base + "/mounts");

    struct Case {
        std::string path;
        std::string root;
    };
    const std::vector<Case> cases = {
        {base + "/card", base + "/card"},
        {base + "/card/DCIM", base + "/card"},
        {base + "/card/DCIM/not/yet/made.MP4", base + "/card"},
        {base + "/card/new/../DCIM/./x.MP4", base + "/card"},
        {base + "/link/x.MP4", base + "/card"},  // through a symbolic link
        {base + "/cardigan/x", base + "/cardigan"},
        {base + "/cards/x.MP4", "/"},  // "card" is a prefix of the name, not a folder of it
        {base + "/car", "/"},
        {"/", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(VolumeRootOf(c.path).value_or("<none>"), c.root);
    }
    EXPECT_FALSE(VolumeRootOf("").has_value());
    ASSERT_TRUE(WriteFileAtomically(base + "/card/file", "x"));
    EXPECT_FALSE(VolumeRootOf(base + "/card/file/below").has_value());
}

TEST(VolumeBytes, SizesOfTheTemporaryFolderVolume) {
    const auto total = VolumeTotalBytes("/tmp");
    const auto available = VolumeFreeBytes("/tmp");
    ASSERT_TRUE(total.has_value());
    ASSERT_TRUE(available.has_value());
    EXPECT_GT(*total, 0u);
    EXPECT_LE(*available, *total);
    EXPECT_FALSE(VolumeTotalBytes("/no/such/folder").has_value());
    EXPECT_FALSE(VolumeFreeBytes("/no/such/folder").has_value());
}

}  // namespace
}  // namespace ardelle::platform
