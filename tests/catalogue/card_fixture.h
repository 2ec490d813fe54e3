#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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

  private:
    TempFolder folder_;
};

// Makes the catalogue see root as a mounted volume of its own (a card when it has the
// card layout) for as long as the object lives.
class StagedVolume {
  public:
    explicit StagedVolume(const std::string& root) {
        table_ = root + "/../" + "mounts-" + std::to_string(::getpid()) + ".txt";
        WriteFile(table_, "/\text4\t0\n" + root + "\tvfat\t1\n");
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

}  // namespace ardelle::testing
