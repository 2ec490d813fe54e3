// The hand-over the viewer's video surfaces use, between the streaming threads and a
// painter, with the real players (the tsan preset runs this suite).
#include "playback/frame_mailbox.h"

#include <atomic>
#include <thread>

#include "player_fixture.h"

namespace ardelle::playback::testing {
namespace {

// A surface without a window: frames go into the mailbox, a painter thread takes them.
class MailboxTarget : public FrameTarget {
  public:
    MailboxTarget() { mailbox.SetClient({0, 0, 640, 360}); }
    std::size_t count() const { return mailbox.stored_count(); }
    VideoRect ClientRect() const override { return mailbox.client(); }
    void PresentFrame(const SharedFrame& frame, const VideoRect& destination,
                      bool mirrored) override {
        if (mailbox.Store(frame, destination, mirrored)) {
            scheduled.fetch_add(1);
        }
    }
    FrameMailbox mailbox;
    std::atomic<int> scheduled{0};
};

TEST(FrameMailboxTest, OneRepaintIsScheduledAndAFrameReplacedBeforeItsPaintIsNotSkipped) {
    FrameMailbox mailbox;
    auto frame = [](int width) {
        auto f = std::make_shared<VideoFrame>();
        f->width = width;
        return SharedFrame(f);
    };
    EXPECT_TRUE(mailbox.Store(frame(1), {0, 0, 1, 1}, false));
    EXPECT_FALSE(mailbox.Store(frame(2), {0, 0, 2, 2}, true));
    // The painter was late: frame 1 first, then the newest, with the repaint still pending.
    const FrameMailbox::Picture older = mailbox.Take();
    EXPECT_EQ(older.frame->width, 1);
    EXPECT_FALSE(older.mirrored);
    EXPECT_TRUE(mailbox.repaint_pending());
    const FrameMailbox::Picture taken = mailbox.Take();
    EXPECT_EQ(taken.frame->width, 2);
    EXPECT_TRUE(taken.mirrored);
    EXPECT_FALSE(mailbox.repaint_pending());
    EXPECT_TRUE(mailbox.Store(frame(3), {0, 0, 3, 3}, false)) << "a new repaint after the take";
    // The same frame again (a repaint) keeps nothing back and counts once.
    const SharedFrame four = frame(4);
    EXPECT_FALSE(mailbox.Store(four, {0, 0, 4, 4}, false));
    EXPECT_FALSE(mailbox.Store(four, {0, 0, 4, 4}, false));
    EXPECT_EQ(mailbox.Take().frame->width, 3);
    EXPECT_EQ(mailbox.Take().frame->width, 4);
    EXPECT_FALSE(mailbox.repaint_pending());
    // Three frames within one late paint: only the middle one is lost.
    mailbox.Store(frame(5), {}, false);
    mailbox.Store(frame(6), {}, false);
    mailbox.Store(frame(7), {}, false);
    EXPECT_EQ(mailbox.Take().frame->width, 5);
    EXPECT_EQ(mailbox.Take().frame->width, 7);
    EXPECT_EQ(mailbox.distinct_count(), 7u);
    EXPECT_EQ(mailbox.dropped_count(), 1u);
    mailbox.Clear();
    EXPECT_EQ(mailbox.Peek().frame, nullptr);
    EXPECT_FALSE(mailbox.Peek().present);
}

using MailboxPlaybackTest = BasicPlayerPairTest<MailboxTarget>;

// The painter reads every frame it takes while the streaming threads store new ones, and the
// players are shut down while frames are still arriving.
TEST_F(MailboxPlaybackTest, APainterTakesFramesWhilePlayingAndShutdownWhileArrivingIsClean) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    std::atomic<bool> stop{false};
    std::atomic<int> read_codes{0};
    std::thread painter([&] {
        while (!stop.load()) {
            for (MailboxTarget& target : targets_) {
                const FrameMailbox::Picture picture = target.mailbox.Take();
                if (picture.frame != nullptr && samplecard::ReadFrameIndexPacked32(
                                                    picture.frame->pixels, picture.frame->width,
                                                    picture.frame->height, picture.frame->stride)) {
                    read_codes.fetch_add(1);
                }
            }
            std::this_thread::sleep_for(5ms);
        }
    });
    pair_.Play(PlayerTarget::kBoth);
    std::this_thread::sleep_for(800ms);
    pair_.Close();  // while frames arrive
    pair_.Uninit();
    stop = true;
    painter.join();
    EXPECT_GT(read_codes.load(), 10);
    EXPECT_GT(targets_[0].mailbox.stored_count(), 10u);
    EXPECT_LE(targets_[0].scheduled.load(), static_cast<int>(targets_[0].mailbox.stored_count()));
}

}  // namespace
}  // namespace ardelle::playback::testing
