#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "card_fixture.h"
#include "catalogue/card_layout.h"
#include "catalogue/delete_intent.h"
#include "catalogue/movie_resource.h"
#include "catalogue/source_open.h"
#include "platform/file_lock.h"
#include "platform/files.h"

namespace ardelle::catalogue {
namespace {

using testing::CardFixture;
using testing::FakeFatAttributes;
using testing::MovieName;
using testing::StagedVolume;
using testing::Touch;

std::string Placeholder(const std::string& movie) {
    return movie.substr(0, movie.size() - 3) + "DMY";
}

// Opens the card as the list window does, then lists the recordings of its one group.
std::vector<std::string> Listed(const std::string& card) {
    const CMovieResource resource{nullptr};
    EXPECT_TRUE(OpenSourceForList(resource, card, SourceKind::kCard, false).opened);
    int count = 0;
    std::vector<std::string> names;
    for (const RecordingEntry& entry :
         OpenGroupForList(resource, card + "/Normal", "230415_0001", true, false, &count)) {
        names.push_back(entry.primary_name());
    }
    return names;
}

// One recording on a card whose driver hides files, and its delete record's place.
struct CardWithRecording {
    FakeFatAttributes attributes;
    CardFixture card;
    std::string front;
    std::string rear;
    std::string record;
    CardWithRecording() {
        card.AddPair("A___", 11);
        card.AddPair("A___", 12);
        front = card.root() + "/Normal/Front/" + MovieName("A___", 11, 'F');
        rear = card.root() + "/Normal/Rear/" + MovieName("A___", 11, 'R');
        record = card.root() + "/Normal/.ardelle-delete";
    }
    std::string RecordText() const {
        return "ardelle-delete 1 attribute\nFront/" + MovieName("A___", 11, 'F') + "\tFront/" +
               MovieName("A___", 11, 'F').replace(27, 3, "DMY") + "\nRear/" +
               MovieName("A___", 11, 'R') + "\tRear/" +
               MovieName("A___", 11, 'R').replace(27, 3, "DMY") + "\nend\n";
    }
};

TEST(InterruptedDelete, ADeleteKilledBetweenItsRenamesIsFinishedByTheNextScan) {
    CardWithRecording c;
    const StagedVolume volume(c.card.root());
    int stalled[2];
    ASSERT_EQ(::pipe(stalled), 0);
    c.attributes.StallHiding(c.rear, stalled[1]);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DeleteMovieRecording(c.front, c.rear);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(stalled[0], &byte, 1), 1);  // the front is renamed, the rear is next
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    c.attributes.StallHiding("", -1);
    ASSERT_TRUE(platform::PathExists(Placeholder(c.front)));
    ASSERT_TRUE(platform::PathExists(c.rear));
    ASSERT_TRUE(platform::PathExists(c.record));

    EXPECT_EQ(Listed(c.card.root()), std::vector<std::string>{MovieName("A___", 12, 'F')});
    EXPECT_FALSE(platform::PathExists(c.rear));
    EXPECT_TRUE(c.attributes.IsHidden(Placeholder(c.front)));
    EXPECT_TRUE(c.attributes.IsHidden(Placeholder(c.rear)));
    EXPECT_FALSE(platform::PathExists(c.record));
    ::close(stalled[0]);
    ::close(stalled[1]);
}

TEST(InterruptedDelete, WhatAKilledDeleteLeftIsSettledWholeOrDeleted) {
    struct Case {
        const char* what;
        std::function<void(CardWithRecording&)> left;
        bool deleted;  // else whole and visible again
    };
    const std::vector<Case> cases = {
        {"front renamed, rear not yet",
         [](CardWithRecording& c) {
             std::filesystem::rename(c.front, Placeholder(c.front));
             c.attributes.Hide(Placeholder(c.front));
             Touch(c.card.root(), "Normal/Rear/..hidden.0123456789abcdef.tmp");
         },
         true},
        {"front renamed, rear cannot follow: undone",
         [](CardWithRecording& c) {
             std::filesystem::rename(c.front, Placeholder(c.front));
             c.attributes.Hide(Placeholder(c.front));
             c.attributes.RefuseHiding(c.rear);
         },
         false},
        {"front hidden under its own name, not renamed",
         [](CardWithRecording& c) { c.attributes.Hide(c.front); }, false},
        {"record not completely written: nothing had moved",
         [](CardWithRecording& c) {
             const std::string text = c.RecordText();
             ASSERT_TRUE(platform::WriteFileAtomically(c.record, text.substr(0, text.size() - 4)));
         },
         false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        CardWithRecording c;
        ASSERT_TRUE(platform::WriteFileAtomically(c.record, c.RecordText()));
        test.left(c);
        const StagedVolume volume(c.card.root());
        const std::vector<std::string> listed = Listed(c.card.root());
        EXPECT_FALSE(platform::PathExists(c.record));
        EXPECT_FALSE(
            platform::PathExists(c.card.root() + "/Normal/Rear/..hidden.0123456789abcdef.tmp"));
        if (test.deleted) {
            EXPECT_EQ(listed, std::vector<std::string>{MovieName("A___", 12, 'F')});
            EXPECT_TRUE(c.attributes.IsHidden(Placeholder(c.front)));
            EXPECT_TRUE(c.attributes.IsHidden(Placeholder(c.rear)));
        } else {
            EXPECT_EQ(listed, (std::vector<std::string>{MovieName("A___", 11, 'F'),
                                                        MovieName("A___", 12, 'F')}));
            EXPECT_FALSE(c.attributes.IsHidden(c.front));
            EXPECT_FALSE(platform::PathExists(Placeholder(c.front)));
            EXPECT_FALSE(platform::PathExists(Placeholder(c.rear)));
        }
    }
}

TEST(InterruptedDelete, ARunningDeleteIsLeftAloneAndRefusesASecond) {
    CardWithRecording c;
    const StagedVolume volume(c.card.root());
    platform::HeldRecord running;  // another copy of the program, deleting in this folder
    ASSERT_TRUE(running.Create(c.record, "ardelle-delete 1 attribute\nend\n", nullptr));
    std::filesystem::rename(c.front, Placeholder(c.front));  // its first rename

    Listed(c.card.root());
    EXPECT_TRUE(platform::PathExists(c.record));
    EXPECT_TRUE(platform::PathExists(Placeholder(c.front)));
    const std::string other = c.card.root() + "/Normal/Front/" + MovieName("A___", 12, 'F');
    std::string error;
    EXPECT_FALSE(DeleteMovieRecording(other, "", &error));
    EXPECT_NE(error.find("another delete"), std::string::npos) << error;
    EXPECT_TRUE(platform::PathExists(other));
    running.Remove();
    ASSERT_TRUE(DeleteMovieRecording(other, "", &error)) << error;
    EXPECT_FALSE(platform::PathExists(c.record));
}

}  // namespace
}  // namespace ardelle::catalogue
