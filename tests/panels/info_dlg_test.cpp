// The info panel widget offscreen: the axis toggles' messages, what the values look like in
// pixels, and one picture of the panel above the graph while a shock recording plays.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/ui_text.h"
#include "graph/bound_telemetry.h"
#include "graph/gsensor_dlg.h"
#include "graph/offscreen_qt.h"
#include "panels/info_dlg.h"

namespace ardelle::panels {
namespace {

struct RecordingSink : MessageSink {
    void Post(const PostedMessage& message) override { posted.push_back(message); }
    std::vector<PostedMessage> posted;
};

void Click(QWidget& widget, QPoint at) {
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

// Pixels of a box that are mostly one colour channel (the axis colours).
int CountColoured(const QImage& image, const QRect& box, QRgb colour) {
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += std::abs(qRed(c) - qRed(colour)) < 40 &&
                     std::abs(qGreen(c) - qGreen(colour)) < 40 &&
                     std::abs(qBlue(c) - qBlue(colour)) < 40;
        }
    }
    return count;
}

class InfoPanelWidget : public ::testing::Test {
  protected:
    void SetUp() override {
        base::SetUiLanguage(0);
        panel_.resize(654, 105);
    }
    QImage Picture() { return panel_.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QApplication& app_ = ardelle::testing::OffscreenApp();  // before any widget
    CInfoDlg panel_;
};

TEST_F(InfoPanelWidget, AxisTogglesPostTheirNewState) {
    RecordingSink sink;
    panel_.SetMessageSink(&sink);
    Click(panel_, panel_.AxisButtonRect(1).center());
    Click(panel_, panel_.AxisButtonRect(1).center());
    Click(panel_, panel_.AxisButtonRect(2).center());
    Click(panel_, QPoint(5, 100));  // not on a toggle
    EXPECT_EQ(sink.posted, (std::vector<PostedMessage>{{AppMessage::kInfoPanelAxisSwitch, 1, 0},
                                                       {AppMessage::kInfoPanelAxisSwitch, 1, 1},
                                                       {AppMessage::kInfoPanelAxisSwitch, 2, 0}}));
    EXPECT_TRUE(panel_.AxisOn(1));
    EXPECT_FALSE(panel_.AxisOn(2));
}

TEST_F(InfoPanelWidget, ValuesShowInTheirAxisColourAndPlaceholdersDoNot) {
    const InfoPanelLayout layout(1.0, 1.0);
    const QRect x_value(layout.AxisValue(0).x, layout.AxisValue(0).y, layout.AxisValue(0).width,
                        layout.AxisValue(0).height);
    panel_.Reset();
    const int placeholder_green = CountColoured(Picture(), x_value, qRgb(0, 255, 0));
    telemetry::SensorSample sample;
    sample.x = -0.129;
    sample.status = 'R';
    telemetry::GpsSample gps;
    gps.valid = 1;
    gps.speed = 59.6;
    panel_.ShowPosition(10, &sample, &gps);
    const QImage shown = Picture();
    EXPECT_EQ(placeholder_green, 0);
    EXPECT_GT(CountColoured(shown, x_value, qRgb(0, 255, 0)), 10);
    // The recording-status icon is red for 'R'.
    const Rect cell = layout.StatusCell();
    EXPECT_GT(
        CountColoured(shown, QRect(cell.x, cell.y, cell.width, cell.height), qRgb(230, 40, 40)),
        20);
}

TEST_F(InfoPanelWidget, ParkingRecordingShowsItsVoltageAndTheSwitchedOffDisplays) {
    const InfoPanelLayout layout(1.0, 1.0);
    const Rect v = layout.Voltage();
    const QRect voltage_box(v.x, v.y, v.width - 14, v.height);  // the digits, not the "V"
    InfoPanelFields& f = panel_.fields();
    f.voltage_trace = 1;
    f.voltage_shown = VoltageShownFor(f.voltage_trace, 4, 4);
    f.speed_display = 0;
    f.gps_display = 0;
    f.badge = ResolutionBadge('H', 720);
    telemetry::SensorSample sample;
    sample.status = 'r';
    sample.aux = 124;
    panel_.ShowPosition(0, &sample, nullptr);
    const QImage with_voltage = Picture();
    ardelle::testing::SaveTestPicture(with_voltage, "info_panel_parking.png");
    EXPECT_GT(CountColoured(with_voltage, voltage_box, qRgb(255, 255, 255)), 10);
    sample.aux = -1;  // no reading: the placeholder, no digits
    panel_.ShowPosition(0, &sample, nullptr);
    EXPECT_EQ(CountColoured(Picture(), voltage_box, qRgb(255, 255, 255)), 0);
    // The parking status icon is orange.
    const Rect cell = layout.StatusCell();
    EXPECT_GT(CountColoured(with_voltage, QRect(cell.x, cell.y, cell.width, cell.height),
                            qRgb(240, 150, 30)),
              20);
}

// Plays the shock recording frame by frame as the tick does and keeps the picture of the
// frame that shows the Y shock: panel and graph in the main window's places.
TEST(PanelAndGraph, PictureDuringPlaybackOfAShockRecording) {
    ardelle::testing::OffscreenApp();
    const std::string root = ARDELLE_TEST_CARD_DIR;
    if (!std::filesystem::is_directory(root)) {
        GTEST_SKIP() << "no test card";
    }
    base::SetUiLanguage(0);
    const auto plan = samplecard::MakeCardPlan({ARDELLE_TEST_CARD_SECONDS, 0, 1});
    const samplecard::Recording* shock = ardelle::testing::FindRecording(plan, "AG__");
    ASSERT_NE(shock, nullptr);
    telemetry::TelemetryFile file;
    const auto frame_count = ardelle::testing::LoadBoundFront(root, *shock, file);
    ASSERT_TRUE(frame_count);

    QWidget window;
    window.setStyleSheet("background: black");
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* panel = new CInfoDlg;
    auto* graph = new graph::CGSensorDlg;
    panel->setFixedSize(654, 105);
    graph->setFixedSize(654, 142);
    column->addWidget(panel);
    column->addWidget(graph);
    window.resize(654, 247);

    InfoPanelFields& f = panel->fields();
    f.date_valid = 1;
    f.start = {2024, 6, 6, 8, 9, 30, 20, 0};  // the name time of the recording
    f.frame_duration_ms = file.frame_duration_ms();
    f.speed_display = file.header().speed_display;
    f.gps_display = file.header().gps_display;
    f.badge = ResolutionBadgeForPlayers(file.header().quality, 180, 90);
    f.rate_text = PlaybackRateText(1);
    graph->SetTelemetry({file.sensors(), file.frame_map()}, *frame_count,
                        graph::ScaleModeFor(file.max_abs_g()));

    const auto& frames = file.frame_map();
    const int y_record = shock->marks[1].record;  // shock Y
    const auto shown = std::find(frames.begin(), frames.end(), y_record) - frames.begin() + 2;
    QImage picture;
    for (std::int64_t frame = 0; frame < *frame_count; ++frame) {
        const auto& sample = file.sensors()[static_cast<std::size_t>(frames[frame])];
        const auto* gps =
            sample.gps_link >= 0 ? &file.gps()[static_cast<std::size_t>(sample.gps_link)] : nullptr;
        panel->ShowPosition(frame, &sample, gps);
        graph->SetCurrentFrame(frame);
        if (frame == shown) {
            picture = window.grab().toImage();
        }
    }
    ASSERT_FALSE(picture.isNull());
    const std::string saved = ardelle::testing::SaveTestPicture(picture, "panel_and_graph.png");
    EXPECT_TRUE(std::filesystem::exists(saved)) << saved;
}

}  // namespace
}  // namespace ardelle::panels
