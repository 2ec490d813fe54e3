// The map host with the real web engine on an Xvfb display of the test's own and a local
// tile server: start-up handshake, the track drawn, a click on a mark, and the logo panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "map/logo_panel.h"
#include "map/map_bridge.h"
#include "map/map_host_window.h"
#include "map/player_track_source.h"
#include "map_fakes.h"
#include "page_wait.h"
#include "telemetry/box_walks.h"
#include "test_processes.h"

namespace ardelle::map {
namespace {

using testing::ChildProcess;
using testing::Evaluate;
using testing::FakeProbe;
using testing::RecordingSink;
using testing::WaitFor;

bool DisplayReady() {
    return QApplication::instance() != nullptr;
}

// The first front recording of the test card with a GPS track, opened into the first
// player as the main window does it: telemetry read and bound to the video frames.
struct CardRecording {
    playback::PlayerContext first;
    playback::PlayerContext second;
    std::vector<telemetry::GpsSample> group_track;
    std::vector<MapMark> marks;

    bool Load() {
        std::vector<std::string> paths;
        const std::filesystem::path folder =
            std::filesystem::path(ARDELLE_TEST_CARD_DIR) / "Normal/Front";
        if (!std::filesystem::is_directory(folder))
            return false;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() == ".MP4")
                paths.push_back(entry.path().string());
        }
        std::sort(paths.begin(), paths.end());
        for (playback::PlayerContext* player : {&first, &second}) {
            player->player_lock = std::make_unique<std::recursive_mutex>();
            player->telemetry_reader = std::make_unique<telemetry::TelemetryFile>();
            player->initialised = 1;
        }
        for (const std::string& path : paths) {
            if (Open(path))
                return true;
        }
        return false;
    }

    bool Open(const std::string& path) {
        telemetry::TelemetryFile& file = *first.telemetry_reader;
        telemetry::TelemetryFile scratch;
        const auto timing = telemetry::ReadMovieTiming(scratch, path);
        if (!timing || !file.Open(path))
            return false;
        file.set_frame_duration_ms(timing->frame_duration_ms);
        if (!file.BindToFrames(timing->frame_count) || file.gps().size() < 10)
            return false;
        first.telemetry_loaded = 1;
        telemetry::CollectTrack({path}, group_track);
        // Two marks of kinds the page draws differently, apart along the track.
        const auto& sensors = file.sensors();
        const int kinds[] = {static_cast<int>(telemetry::MarkKind::kSuddenAcceleration),
                             static_cast<int>(telemetry::MarkKind::kManual)};
        for (size_t i = 0; i < 2; ++i) {
            const telemetry::SensorSample& sample = sensors[sensors.size() * (1 + 3 * i) / 5];
            if (sample.gps_link < 0)
                return false;
            const telemetry::GpsSample& fix = file.gps()[static_cast<size_t>(sample.gps_link)];
            MapMark mark;
            mark.kind = kinds[i];
            mark.has_sample = mark.has_gps = true;
            mark.frame = sample.time;
            mark.latitude = fix.latitude;
            mark.longitude = fix.longitude;
            mark.valid = fix.valid;
            marks.push_back(mark);
        }
        return true;
    }
};

std::string OutputFolder() {
    const std::string folder = std::string(ARDELLE_BINARY_DIR) + "/tests/map/host-output";
    QDir().mkpath(QString::fromStdString(folder));
    return folder;
}

// Pixels close to a colour in a picture.
int CountNear(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 40 &&
                std::abs(pixel.green() - colour.green()) < 40 &&
                std::abs(pixel.blue() - colour.blue()) < 40) {
                ++count;
            }
        }
    }
    return count;
}

class MapHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(DisplayReady()) << "no Xvfb display";
        ASSERT_TRUE(tile_server.Start({"node", ARDELLE_TILE_SERVER, ARDELLE_MAP_PAGE_DIR, "300"}));
        const std::string line = tile_server.ReadLine(30000);
        ASSERT_EQ(line.rfind("port ", 0), 0u) << line;
        tiles.url_template = "http://127.0.0.1:" + line.substr(5) + "/tiles/{z}/{x}/{y}.png";
        tiles.attribution = "local test tiles";
        bridge.AttachTracks(&tracks);
    }

    ChildProcess tile_server;
    TileSource tiles;
    RecordingSink sink;
    FakeProbe probe;
    testing::StraightTrack tracks{200, 35.68, 139.76, 0.00008, 0.00012};
    CGoogleMapDlgWrap bridge{sink, probe};

    bool Posted(AppMessage id, std::int64_t lparam = 0) const {
        for (const PostedMessage& message : sink.messages) {
            if (message.id == id && message.lparam == lparam)
                return true;
        }
        return false;
    }
};

TEST_F(MapHostTest, EngineIsMadeOnFirstShowOnly) {
    MapHostWindow window(bridge, tiles);
    bridge.AttachHost(&window);
    window.resize(400, 300);
    EXPECT_FALSE(window.PageCreated());
    EXPECT_EQ(window.findChild<QWebEngineView*>(), nullptr);
    bridge.JS2C_OnInitHtml();
    bridge.DrawTrack(0);  // dropped: there is no page yet
    EXPECT_EQ(bridge.ShowMap(1), 1);
    EXPECT_TRUE(window.PageCreated());
    QWebEngineView* view = window.view();
    bridge.ShowMap(0);
    bridge.ShowMap(1);
    EXPECT_EQ(window.view(), view);
    EXPECT_EQ(window.findChildren<QWebEngineView*>().size(), 1);
}

TEST_F(MapHostTest, CardRecordingIsDrawnAndAClickedMarkIsReported) {
    CardRecording card;
    ASSERT_TRUE(card.Load()) << "no front recording with a GPS track on the test card";
    PlayerTrackSource player_tracks(card.first, card.second, card.group_track);
    bridge.AttachTracks(&player_tracks);
    auto window = std::make_unique<MapHostWindow>(bridge, tiles);
    bridge.AttachHost(window.get());
    window->resize(800, 600);
    window->show();
    ASSERT_TRUE(WaitFor([&] { return Posted(AppMessage::kMapReady); }))
        << "the page never got ready";
    EXPECT_EQ(bridge.page_ready(), 1);
    QWebEngineView* view = window->view();
    EXPECT_NEAR(view->zoomFactor(), MapHostWindow::kPageZoomFactor, 1e-6);

    // What the main window does on the ready message: the recording with its marks, then
    // the playing position half-way.
    const std::vector<telemetry::GpsSample>& gps = card.first.telemetry_reader->gps();
    const telemetry::GpsSample& middle = gps[gps.size() / 2];
    bridge.SetCurrentFrame(middle.time);
    EXPECT_TRUE(bridge.LoadRecordingIntoMap(0, false, card.marks, 0x3FFF));
    bridge.SetMapValues({middle.longitude, middle.latitude, "", -1});

    const QString state = QStringLiteral(
        "[orbitgrplist.grpline.length, orbitgrplist.histline.length, orbitgrplist.schline.length,"
        " cplist.markers.length, orbitgrplist.gridlist.points.length,"
        " document.querySelectorAll('.leaflet-tile-loaded').length > 0].join()");
    const QString expected = QStringLiteral("1,1,1,2,%1,true").arg(gps.size());
    ASSERT_TRUE(WaitFor([&] { return Evaluate(view, state).toString() == expected; }))
        << Evaluate(view, state).toString().toStdString();
    // Close enough to tell the marks apart, then let the tiles paint.
    Evaluate(view, QStringLiteral("g_map.setZoom(19, { animate: false })"));
    QTest::qWait(1500);

    const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
    shot.save(QString::fromStdString(OutputFolder() + "/map-host-track.png"));
    EXPECT_GT(CountNear(shot, QColor(0, 0, 255)), 10) << "driven part";
    EXPECT_GT(CountNear(shot, QColor(255, 0, 0)), 10) << "ahead part";
    EXPECT_GT(CountNear(shot, QColor(0x2a, 0x7a, 0xb0)), 20) << "manual-recording mark";

    // Click the manual-recording mark where the page shows it.
    const MapMark& manual = card.marks[1];
    const QVariantList at =
        Evaluate(view,
                 QStringLiteral("(() => { const m = cplist.markers.find(p => p.ipos === %1);"
                                " const p = g_map.latLngToContainerPoint(m.marker.getLatLng());"
                                " return [p.x, p.y]; })()")
                     .arg(manual.frame))
            .toList();
    ASSERT_EQ(at.size(), 2);
    const double zoom = view->zoomFactor();
    const QPoint click(static_cast<int>(at[0].toDouble() * zoom),
                       static_cast<int>((at[1].toDouble() - 16) * zoom));
    QWidget* target = view->focusProxy() ? view->focusProxy() : view;
    QTest::mouseClick(target, Qt::LeftButton, {}, click);
    ASSERT_TRUE(WaitFor([&] { return Posted(AppMessage::kMapPointChosen, manual.frame); }, 20000))
        << "no click reported at " << click.x() << "," << click.y();

    // Going away with a live page must not call into the bridge any more.
    window.reset();
    QTest::qWait(200);
}

TEST(LogoPanelTest, PlacementAndLetterbox) {
    EXPECT_EQ(LogoPanelPlacement(800, 600, 1.5), QRect(6, 30, 788, 564));
    EXPECT_EQ(LogoPanelPlacement(800, 600, 1.0), QRect(4, 20, 792, 576));
    struct Case {
        int w, h, pw, ph;
        QRect rect;
    };
    const Case cases[] = {
        {900, 300, 480, 320, QRect(225, 0, 450, 300)},  // wider: bars left and right
        {480, 640, 480, 320, QRect(0, 160, 480, 320)},  // taller: bars above and below
        {480, 320, 480, 320, QRect(0, 0, 480, 320)},
        {0, 320, 480, 320, QRect()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LetterboxRect(c.w, c.h, c.pw, c.ph), c.rect) << c.w << "x" << c.h;
    }
}

TEST(LogoPanelTest, DrawsTheChosenPictureOnBlackAndFollowsTheShowRequest) {
    ASSERT_TRUE(DisplayReady());
    CLogoDlg panel;
    panel.resize(900, 300);
    panel.SetShowRequest(1);
    panel.PostShowRequest();
    ASSERT_TRUE(WaitFor([&] { return panel.isVisible(); }, 5000));
    for (int choice : {1, 0}) {
        panel.SetPictureChoice(choice);
        const QImage image = panel.grab().toImage();
        image.save(QString::fromStdString(OutputFolder() + "/logo-panel-" + std::to_string(choice) +
                                          ".png"));
        EXPECT_EQ(image.pixelColor(100, 150), QColor(Qt::black)) << "bar on the left";
        EXPECT_EQ(image.pixelColor(800, 150), QColor(Qt::black)) << "bar on the right";
        EXPECT_NE(image.pixelColor(450, 150), QColor(Qt::black)) << "the picture in the middle";
    }
    EXPECT_NE(panel.grab().toImage().pixelColor(0, 150), QColor(Qt::black)) << "the frame";
    panel.SetShowRequest(0);
    panel.PostShowRequest();
    EXPECT_TRUE(WaitFor([&] { return !panel.isVisible(); }, 5000));
}

}  // namespace
}  // namespace ardelle::map

// The display and the application live for the whole run, created before and destroyed
// after the tests; listing the tests needs neither.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // The engine's sandbox needs user namespaces that test machines and root lack.
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    ardelle::map::testing::XvfbDisplay display;
    if (!display.Start()) {
        std::fprintf(stderr, "map_host_tests: Xvfb did not start\n");
        return 1;
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
