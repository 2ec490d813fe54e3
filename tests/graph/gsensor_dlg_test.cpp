// The graph widget offscreen: what it paints without telemetry, where the marks of a shock
// recording land in its pixels, that a long recording's window follows the cursor, and the
// messages of its mouse buttons.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "bound_telemetry.h"
#include "graph/gsensor_dlg.h"
#include "graph_fixture.h"
#include "offscreen_qt.h"

namespace ardelle::graph {
namespace {

struct RecordingSink : MessageSink {
    void Post(const PostedMessage& message) override { posted.push_back(message); }
    std::vector<PostedMessage> posted;
};

bool IsGrey(QRgb c) {
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
}

QImage Picture(CGSensorDlg& graph) {
    return graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class GraphWidget : public ::testing::Test {
  protected:
    void SetUp() override { graph_.resize(654, 142); }
    QApplication& app_ = ardelle::testing::OffscreenApp();  // before any widget
    CGSensorDlg graph_;
};

TEST_F(GraphWidget, WithoutTelemetryOnlyGridLabelsAndCursor) {
    const QImage empty = Picture(graph_);
    const testing::Track no_block{{}, std::vector<std::int32_t>(90, -1)};
    graph_.SetTelemetry(no_block.View(), 90, 1);
    graph_.SetCurrentFrame(45);
    const QImage image = Picture(graph_);
    const int cursor = graph_.Layout().CursorX(45, 90);
    bool cursor_seen = false, grid_seen = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            ASSERT_TRUE(IsGrey(c)) << x << "," << y;  // no trace and no mark colour anywhere
            if (x == cursor) {
                cursor_seen |= c == qRgb(255, 255, 255);
            } else if (x > 40) {
                grid_seen |= c != qRgb(0, 0, 0);
                EXPECT_EQ(c, empty.pixel(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(cursor_seen);
    EXPECT_TRUE(grid_seen);
}

TEST_F(GraphWidget, MarksAndTracesOfAShockRecordingLandInTheirColumns) {
    const std::string root = ARDELLE_TEST_CARD_DIR;
    if (!std::filesystem::is_directory(root)) {
        GTEST_SKIP() << "no test card";
    }
    const auto plan = samplecard::MakeCardPlan({ARDELLE_TEST_CARD_SECONDS, 0, 1});
    const samplecard::Recording* shock = ardelle::testing::FindRecording(plan, "AG__");
    ASSERT_NE(shock, nullptr);
    telemetry::TelemetryFile file;
    const auto frames = ardelle::testing::LoadBoundFront(root, *shock, file);
    ASSERT_TRUE(frames);

    graph_.SetTelemetry({file.sensors(), file.frame_map()}, *frames,
                        ScaleModeFor(file.max_abs_g()));
    graph_.SetCurrentFrame(*frames / 2);
    const QImage image = Picture(graph_);
    ardelle::testing::SaveTestPicture(image, "graph_shock_recording.png");

    ASSERT_EQ(graph_.strip().marks.size(), 3u);  // shock X, Y and Z
    for (const GraphMark& mark : graph_.strip().marks) {
        const int x = 40 + mark.x - static_cast<int>(graph_.WindowStart());
        const QRgb want = qRgb(StyleOfKind(mark.kind).colour.r, StyleOfKind(mark.kind).colour.g,
                               StyleOfKind(mark.kind).colour.b);
        // The line runs from the top row down to the mark bottom (or the last row), merged (OR).
        const int bottom = std::min(graph_.Layout().MarkBottom(), image.height() - 1);
        for (const int y : {0, 1, bottom / 2, bottom}) {
            EXPECT_EQ(image.pixel(x, y) & want & 0xFFFFFF, want & 0xFFFFFF)
                << "kind " << mark.kind << " row " << y;
        }
    }
    // Trace colours appear in the plot and never in the label column or above the clamp.
    int trace_pixels = 0;
    for (int y = 0; y < 115; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (IsGrey(c)) {
                continue;
            }
            ASSERT_GE(x, 40) << y;
            const bool on_mark = std::any_of(
                graph_.strip().marks.begin(), graph_.strip().marks.end(),
                [&](const GraphMark& m) { return 40 + m.x - graph_.WindowStart() == x; });
            if (!on_mark) {
                ASSERT_GE(y, 5) << x;
                ++trace_pixels;
            }
        }
    }
    EXPECT_GT(trace_pixels, 300);
}

TEST_F(GraphWidget, ALongRecordingScrollsWithTheCursor) {
    auto samples = testing::Quiet(1000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i].y = 0.4 * std::sin(static_cast<double>(i) / 9.0);
    }
    samples[500].event_kind = 5;  // a manual mark in the middle
    const auto track = testing::MakeTrack(samples, 3);
    graph_.SetTelemetry(track.View(), 3000, 1);
    // The strip holds every frame once; the window shows its own slice of it.
    EXPECT_EQ(graph_.strip().width, 3001);
    ASSERT_EQ(graph_.strip().marks.size(), 1u);
    const int mark_column = graph_.strip().marks[0].x;  // frame 1500
    for (const std::int64_t frame : {1400, 1500, 1800}) {
        graph_.SetCurrentFrame(frame);
        const QImage image = Picture(graph_);
        const int x = 40 + mark_column - static_cast<int>(graph_.WindowStart());
        ASSERT_GT(x, 40);
        ASSERT_LT(x, 654);
        EXPECT_EQ(image.pixel(x, 1), qRgb(255, 255, 255)) << frame;
        EXPECT_EQ(image.pixel(x - 2, 1), qRgb(0, 0, 0)) << frame;
        if (frame == 1500) {
            ardelle::testing::SaveTestPicture(image, "graph_long_recording.png");
        }
    }
}

TEST_F(GraphWidget, MouseReleasesAskForThePreviousAndNextMark) {
    RecordingSink sink;
    graph_.SetMessageSink(&sink);
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(100, 50), QPointF(100, 50), button,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&graph_, &release);
    }
    EXPECT_EQ(sink.posted, (std::vector<PostedMessage>{{AppMessage::kGraphPreviousMark, 0, 0},
                                                       {AppMessage::kGraphNextMark, 0, 0}}));
}

}  // namespace
}  // namespace ardelle::graph
