#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "card_fixture.h"
#include "catalogue/card_layout.h"
#include "platform/directory.h"
#include "platform/files.h"
#include "platform/trash.h"

namespace ardelle::catalogue {
namespace {

using testing::CardFixture;
using testing::FakeFatAttributes;
using testing::MovieName;
using testing::StagedVolume;
using testing::StillName;
using testing::TempFolder;
using testing::Touch;

// GLib reads the Trash location once per process, so it is pointed at a temporary
// folder before any test runs.
const std::string& TrashHome() {
    static const std::string home = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ardelle-trash-XXXXXX").string();
        const std::string folder = ::mkdtemp(pattern.data());
        ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
        return folder;
    }();
    return home;
}
const bool trash_home_set = !TrashHome().empty();

std::string ReadText(const std::string& path) {
    return platform::ReadWholeFile(path).value_or("");
}

bool Hidden(const std::string& folder, const std::string& name) {
    for (const auto& entry :
         platform::ListDirectory(folder).value_or(std::vector<platform::DirectoryEntry>{})) {
        if (entry.name == name) {
            return entry.hidden;
        }
    }
    return false;
}

TEST(CardLayout, CardsAreFoundByTheirFrontFolders) {
    TempFolder folder;
    EXPECT_FALSE(HasCardLayout(folder.path()));
    platform::MakeFolders(folder / "Parking/Front");
    EXPECT_TRUE(HasCardLayout(folder.path()));
    EXPECT_FALSE(HasCardLayout(folder / "Parking"));

    CardFixture card;
    const std::string movie = Touch(card.root(), "Normal/Front/" + MovieName("A___", 1, 'F'));
    EXPECT_FALSE(LiesOnCard(movie));  // the card folder is not a volume of its own yet
    const StagedVolume volume(card.root());
    EXPECT_TRUE(LiesOnCard(movie));
    EXPECT_EQ(RemovableDrives(), std::vector<std::string>{card.root()});
}

// Deletions on a card whose driver sets the FAT hidden attribute.
class CardDeletion : public ::testing::Test {
  protected:
    FakeFatAttributes attributes;
};

// No ".hidden" list anywhere below root: the recorder would not read it.
void ExpectNoHiddenList(const std::string& root) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        EXPECT_NE(entry.path().filename(), ".hidden") << entry.path();
    }
}

TEST_F(CardDeletion, MovieBecomesTwoHiddenPlaceholdersOnce) {
    CardFixture card;
    card.AddPair("AG__", 123);
    const StagedVolume volume(card.root());
    const std::string front = card.root() + "/Normal/Front/" + MovieName("AG__", 123, 'F');
    const std::string rear = card.root() + "/Normal/Rear/" + MovieName("AG__", 123, 'R');
    std::string error;
    ASSERT_TRUE(DeleteMovieRecording(front, rear, &error)) << error;

    const std::string front_placeholder = front.substr(0, front.size() - 3) + "DMY";
    const std::string rear_placeholder = rear.substr(0, rear.size() - 3) + "DMY";
    EXPECT_FALSE(platform::PathExists(front));
    EXPECT_FALSE(platform::PathExists(rear));
    EXPECT_EQ(ReadText(front_placeholder), "x");  // the bytes are kept
    EXPECT_TRUE(
        Hidden(card.root() + "/Normal/Front", MovieName("AG__", 123, 'F').replace(27, 3, "DMY")));
    EXPECT_TRUE(
        Hidden(card.root() + "/Normal/Rear", MovieName("AG__", 123, 'R').replace(27, 3, "DMY")));
    EXPECT_TRUE(attributes.IsHidden(front_placeholder));
    ExpectNoHiddenList(card.root());

    // The same recording again: its placeholders exist, so nothing is done.
    Touch(card.root(), "Normal/Front/" + MovieName("AG__", 123, 'F'), "new");
    EXPECT_FALSE(DeleteMovieRecording(front, "", &error));
    EXPECT_NE(error.find("already exists"), std::string::npos) << error;
    EXPECT_EQ(ReadText(front), "new");
    EXPECT_EQ(ReadText(front_placeholder), "x");
    EXPECT_TRUE(platform::PathExists(rear_placeholder));
}

TEST_F(CardDeletion, NothingChangesWhenEitherHalfCannotBecomeAPlaceholder) {
    CardFixture card;
    card.AddPair("P___", 7);
    card.AddPair("A___", 8);
    const StagedVolume volume(card.root());
    // The rear placeholder already exists: the front must stay as it is.
    Touch(card.root(), "Parking/Rear/" + MovieName("P___", 7, 'R').replace(27, 3, "DMY"));
    const std::string parked = card.root() + "/Parking/Front/" + MovieName("P___", 7, 'F');
    EXPECT_FALSE(DeleteMovieRecording(parked, ""));
    EXPECT_TRUE(platform::PathExists(parked));
    EXPECT_FALSE(Hidden(card.root() + "/Parking/Front", MovieName("P___", 7, 'F')));

    // The rear half fails while moving (the driver refuses to hide it): the front half,
    // already moved, is moved back and shown again.
    const std::string front = card.root() + "/Normal/Front/" + MovieName("A___", 8, 'F');
    const std::string rear = card.root() + "/Normal/Rear/" + MovieName("A___", 8, 'R');
    attributes.RefuseHiding(rear);
    std::string error;
    EXPECT_FALSE(DeleteMovieRecording(front, "", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(platform::PathExists(front));
    EXPECT_TRUE(platform::PathExists(rear));
    EXPECT_FALSE(platform::PathExists(front.substr(0, front.size() - 3) + "DMY"));
    EXPECT_FALSE(Hidden(card.root() + "/Normal/Front", MovieName("A___", 8, 'F')));
    EXPECT_FALSE(platform::PathExists(card.root() + "/Normal/.ardelle-delete"));
    ExpectNoHiddenList(card.root());
}

// A card whose driver cannot set the hidden attribute (an exfat driver without the FAT
// attribute calls; here the test's own filesystem) cannot take placeholders the recorder
// understands: the delete is refused and nothing on the card changes.
TEST(CardDeletionWithoutAttribute, IsRefusedWithAReasonAndChangesNothing) {
    for (const std::string filesystem : {"exfat", "vfat"}) {
        SCOPED_TRACE(filesystem);
        CardFixture card;
        card.AddPair("A___", 5);
        const std::string still =
            Touch(card.root(), "JPG/Front/" + StillName("AG", "20230415", 1, 2, 'F'));
        const StagedVolume volume(card.root(), filesystem);
        const std::string front = card.root() + "/Normal/Front/" + MovieName("A___", 5, 'F');
        const std::string rear = card.root() + "/Normal/Rear/" + MovieName("A___", 5, 'R');
        std::string error;
        EXPECT_FALSE(DeleteMovieRecording(front, rear, &error));
        EXPECT_NE(error.find("FAT hidden attribute"), std::string::npos) << error;
        EXPECT_NE(error.find("nothing was deleted"), std::string::npos) << error;
        std::vector<int> front_numbers;
        std::vector<int> rear_numbers;
        EXPECT_FALSE(DeleteStillRecording(still, "", front_numbers, rear_numbers, &error));
        EXPECT_NE(error.find("FAT hidden attribute"), std::string::npos) << error;

        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(card.root())) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path().string());
            }
        }
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{still, front, rear}));
    }
}

TEST_F(CardDeletion, RecordersOwnHiddenPlaceholdersCountOnExfat) {
    CardFixture card;
    const std::string folder = card.root() + "/JPG/Front";
    const std::string still =
        Touch(card.root(), "JPG/Front/" + StillName("AG", "20230415", 1, 2, 'F'));
    // Hidden by the recorder through the attribute alone, without any list.
    const std::string own =
        Touch(card.root(), "JPG/Front/A_-20040101-SN00A1B2C3D4E5F6-000-000F.DMY");
    attributes.Hide(own);
    const StagedVolume volume(card.root(), "exfat");
    std::vector<int> front_numbers = ListPlaceholderNumbers(folder);
    EXPECT_EQ(front_numbers, std::vector<int>{2004});
    std::vector<int> rear_numbers;
    std::string error;
    ASSERT_TRUE(DeleteStillRecording(still, "", front_numbers, rear_numbers, &error)) << error;
    const std::string placeholder = folder + "/A_-20050101-SN00A1B2C3D4E5F6-000-000F.DMY";
    EXPECT_TRUE(attributes.IsHidden(placeholder));
    EXPECT_EQ(ListPlaceholderNumbers(folder), (std::vector<int>{2004, 2005}));
    ExpectNoHiddenList(card.root());
}

TEST_F(CardDeletion, RearOnlyRecordingOnACard) {
    CardFixture card;
    const std::string rear = Touch(card.root(), "Normal/Rear/" + MovieName("A___", 9, 'R'));
    const StagedVolume volume(card.root());
    ASSERT_TRUE(DeleteMovieRecording("", rear));
    EXPECT_FALSE(platform::PathExists(rear));
    EXPECT_TRUE(platform::PathExists(rear.substr(0, rear.size() - 3) + "DMY"));
    // A movie outside the card's movie folders has no placeholder place: reported.
    const std::string loose = Touch(card.root(), MovieName("A___", 10, 'F'));
    std::string error;
    EXPECT_FALSE(DeleteMovieRecording(loose, "", &error));
    EXPECT_TRUE(platform::PathExists(loose));
}

TEST_F(CardDeletion, OffTheCardRecordingsGoToTheTrash) {
    TempFolder folder;
    const std::string front = Touch(folder.path(), "Front/" + MovieName("A___", 1, 'F'), "front");
    const std::string rear = Touch(folder.path(), "Rear/" + MovieName("A___", 1, 'R'), "rear");
    std::string error;
    ASSERT_TRUE(DeleteMovieRecording(front, rear, &error)) << error;
    EXPECT_FALSE(platform::PathExists(front));
    EXPECT_FALSE(platform::PathExists(rear));
    EXPECT_EQ(ReadText(TrashHome() + "/Trash/files/" + MovieName("A___", 1, 'F')), "front");
    EXPECT_EQ(ReadText(TrashHome() + "/Trash/files/" + MovieName("A___", 1, 'R')), "rear");
    EXPECT_FALSE(DeleteMovieRecording("", ""));
}

// A folder on the tmpfs at /dev/shm, which has no Trash; removed with its content.
class SystemMountFolder {
  public:
    SystemMountFolder() {
        char pattern[] = "/dev/shm/ardelle-test-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~SystemMountFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    SystemMountFolder(const SystemMountFolder&) = delete;
    SystemMountFolder& operator=(const SystemMountFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

TEST(TrashDeletion, ARecordingIsTrashedWholeOrNotAtAll) {
    SystemMountFolder no_trash;
    if (no_trash.path().empty() || platform::CanTrash(no_trash.path(), nullptr)) {
        GTEST_SKIP() << "needs /dev/shm as a tmpfs without a Trash";
    }
    TempFolder folder;
    const std::string front_name = MovieName("A___", 2, 'F');
    const struct {
        const char* what;
        std::string rear;
    } cases[] = {
        // Refused before anything moves: the rear's volume has no Trash.
        {"rear where nothing can be trashed", Touch(no_trash.path(), "rear_R.MP4", "rear")},
        // Fails only when it is tried: its Trash record's name would be too long.
        {"rear that fails after all",
         Touch(folder.path(), "Rear/" + std::string(250, 'R'), "rear")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string front = Touch(folder.path(), "Front/" + front_name, "front");
        std::string error;
        EXPECT_FALSE(DeleteMovieRecording(front, c.rear, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(ReadText(front), "front");
        EXPECT_EQ(ReadText(c.rear), "rear");
        EXPECT_FALSE(platform::PathExists(TrashHome() + "/Trash/files/" + front_name));
        EXPECT_FALSE(
            platform::PathExists(TrashHome() + "/Trash/info/" + front_name + ".trashinfo"));
    }
}

TEST(StillPlaceholders, NumbersRunFrom2000AndWrapAfter9999) {
    const struct {
        std::vector<int> taken;
        int next;
    } cases[] = {
        {{}, 2000},
        {{2000}, 2001},
        {{2000, 2005}, 2006},
        {{1999}, 2000},
        {{2000, 2001, 9999}, 2002},
        {{2001, 9999}, 2000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextPlaceholderNumber(c.taken), c.next) << c.taken.size();
    }
    std::vector<int> all;
    for (int number = 2000; number <= 9999; ++number) {
        all.push_back(number);
    }
    EXPECT_EQ(NextPlaceholderNumber(all), -1);
}

TEST_F(CardDeletion, DeletedStillsBecomeNumberedPlaceholders) {
    CardFixture card;
    const std::string front_folder = card.root() + "/JPG/Front";
    const std::string rear_folder = card.root() + "/JPG/Rear";
    const std::string front =
        Touch(card.root(), "JPG/Front/" + StillName("AG", "20230415", 1, 2, 'F'));
    const std::string rear =
        Touch(card.root(), "JPG/Rear/" + StillName("AG", "20230415", 1, 2, 'R'));
    const std::string second =
        Touch(card.root(), "JPG/Front/" + StillName("AM", "20230415", 2, 1, 'F'));
    // An earlier placeholder: hidden, numbered 2004; a visible look-alike does not count.
    Touch(card.root(), "JPG/Front/A_-20040101-SN00A1B2C3D4E5F6-000-000F.DMY");
    Touch(card.root(), "JPG/Front/.hidden", "A_-20040101-SN00A1B2C3D4E5F6-000-000F.DMY\n");
    Touch(card.root(), "JPG/Front/A_-30000101-SN00A1B2C3D4E5F6-000-000F.dmx");
    const StagedVolume volume(card.root());

    std::vector<int> front_numbers = ListPlaceholderNumbers(front_folder);
    std::vector<int> rear_numbers = ListPlaceholderNumbers(rear_folder);
    EXPECT_EQ(front_numbers, std::vector<int>{2004});
    EXPECT_TRUE(rear_numbers.empty());
    std::string error;
    ASSERT_TRUE(DeleteStillRecording(front, rear, front_numbers, rear_numbers, &error)) << error;
    EXPECT_TRUE(platform::PathExists(front_folder + "/A_-20050101-SN00A1B2C3D4E5F6-000-000F.DMY"));
    EXPECT_TRUE(platform::PathExists(rear_folder + "/A_-20000101-SN00A1B2C3D4E5F6-000-000R.DMY"));
    EXPECT_FALSE(platform::PathExists(front));
    EXPECT_EQ(front_numbers, (std::vector<int>{2004, 2005}));
    EXPECT_EQ(rear_numbers, std::vector<int>{2000});
    EXPECT_EQ(ListPlaceholderNumbers(front_folder), (std::vector<int>{2004, 2005}));

    ASSERT_TRUE(DeleteStillRecording(second, "", front_numbers, rear_numbers, &error)) << error;
    EXPECT_TRUE(platform::PathExists(front_folder + "/A_-20060101-SN00A1B2C3D4E5F6-000-000F.DMY"));
}

}  // namespace
}  // namespace ardelle::catalogue
