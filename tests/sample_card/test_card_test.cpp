// Checks the generated test card against the card plan, with ffprobe and ffmpeg as the
// independent readers of the movies.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "sample_card/card_files.h"
#include "sample_card/card_files_support.h"
#include "sample_card/card_plan.h"
#include "sample_card/frame_code.h"
#include "sample_card/telemetry_block.h"

namespace ardelle::samplecard {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::ReadBytes;
using testing::RunCommand;

struct Size {
    int width;
    int height;
};

Size ParseSize(const std::string& text) {
    const auto x = text.find('x');
    return {std::stoi(text.substr(0, x)), std::stoi(text.substr(x + 1))};
}

class TestCard : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(root_ / "DRFormatConfig.dfc")) {
            GTEST_SKIP() << "no test card at " << root_;
        }
    }
    const Recording* Find(const std::string& trigger) const {
        for (const Recording& r : plan_.recordings) {
            if (r.trigger == trigger) {
                return &r;
            }
        }
        return nullptr;
    }
    Size SizeOf(Camera camera) const { return camera == Camera::kFront ? front_ : rear_; }

    fs::path root_ = ARDELLE_TEST_CARD_DIR;
    CardPlan plan_ = MakeCardPlan({ARDELLE_TEST_CARD_SECONDS, 0, 1});
    Size front_ = ParseSize(ARDELLE_TEST_CARD_FRONT);
    Size rear_ = ParseSize(ARDELLE_TEST_CARD_REAR);
};

uint64_t Big(const std::vector<uint8_t>& b, size_t at, int width) {
    uint64_t v = 0;
    for (int i = 0; i < width; ++i) {
        v = (v << 8) | b[at + static_cast<size_t>(i)];
    }
    return v;
}

// Top-level box types in order and where the last box ends.
std::vector<std::string> Boxes(const std::vector<uint8_t>& file, size_t& end) {
    std::vector<std::string> types;
    end = 0;
    while (end + 8 <= file.size()) {
        const uint64_t size = Big(file, end, 4);
        const std::string type(file.begin() + static_cast<std::ptrdiff_t>(end + 4),
                               file.begin() + static_cast<std::ptrdiff_t>(end + 8));
        if (size < 8 || end + size > file.size() || type == "CSMD") {
            break;
        }
        types.push_back(type);
        end += size;
    }
    return types;
}

TEST_F(TestCard, HoldsExactlyThePlannedFiles) {
    std::set<std::string> expected = {"DRFormatConfig.dfc", "pvtrace.txt"};
    for (const Recording& r : plan_.recordings) {
        for (const Camera camera : {Camera::kFront, Camera::kRear}) {
            if (r.HasFile(camera)) {
                expected.insert(r.RelativePath(camera));
            }
        }
    }
    for (const Still& s : plan_.stills) {
        expected.insert(s.Folder(Camera::kFront) + "/" + s.FileName(Camera::kFront));
        if (s.has_rear) {
            expected.insert(s.Folder(Camera::kRear) + "/" + s.FileName(Camera::kRear));
        }
    }
    for (const std::string& folder : plan_.Folders()) {
        if (!plan_.HiddenNames(folder).empty()) {
            expected.insert(folder + "/.hidden");
        }
    }
    const auto found = testing::FilesBelow(root_);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected);
}

TEST_F(TestCard, HiddenListsNameThePlaceholders) {
    for (const std::string& folder : plan_.Folders()) {
        const auto names = plan_.HiddenNames(folder);
        for (const std::string& name : names) {
            EXPECT_EQ(name.rfind("A_", 0), 0u) << name;
            EXPECT_EQ(name.substr(name.size() - 4), ".DMY") << name;
        }
        if (names.empty()) {
            continue;
        }
        std::ifstream in(root_ / folder / ".hidden");
        std::vector<std::string> listed;
        for (std::string line; std::getline(in, line);) {
            listed.push_back(line);
        }
        EXPECT_EQ(listed, names) << folder;
    }
    EXPECT_FALSE(plan_.HiddenNames("Normal/Front").empty());
    EXPECT_FALSE(plan_.HiddenNames("JPG/Rear").empty());
}

TEST_F(TestCard, ConfigurationFileHasTheRecorderFields) {
    const auto dfc = ReadBytes(root_ / "DRFormatConfig.dfc");
    ASSERT_GE(dfc.size(), 68u);
    const std::string model(dfc.begin() + 48, dfc.begin() + 56);
    EXPECT_EQ(model.substr(0, model.find('\0')), plan_.dfc.model_code);
    EXPECT_EQ(std::string(dfc.begin() + 56, dfc.begin() + 62), plan_.dfc.firmware);
    EXPECT_EQ(std::string(dfc.begin() + 62, dfc.begin() + 68), plan_.dfc.gps_data);
}

TEST_F(TestCard, StillsAreJpegPicturesWithTheirTrailer) {
    const std::regex name("[APMGD_]{2}-[0-9]{8}-[A-Za-z0-9_]{16}-[0-9]{3}-[0-9]{3}[FR]\\.JPG");
    const std::regex trailer("[0-9]{6}[0-9]{4}\\.[0-9]{4}[0-9]{5}\\.[0-9]{4}[0-9]{3}");
    for (const Still& s : plan_.stills) {
        for (const Camera camera : {Camera::kFront, Camera::kRear}) {
            if (camera == Camera::kRear && !s.has_rear) {
                continue;
            }
            EXPECT_TRUE(std::regex_match(s.OriginalName(camera), name)) << s.OriginalName(camera);
            const auto bytes = ReadBytes(root_ / s.Folder(camera) / s.FileName(camera));
            ASSERT_GT(bytes.size(), 100u) << s.FileName(camera);
            const size_t end = bytes.size() - 28;
            EXPECT_EQ(Big(bytes, 0, 2), 0xFFD8u);
            EXPECT_EQ(Big(bytes, end - 2, 2), 0xFFD9u);
            const std::string tail(bytes.begin() + static_cast<std::ptrdiff_t>(end), bytes.end());
            EXPECT_TRUE(std::regex_match(tail, trailer)) << tail;
            EXPECT_EQ(tail.substr(0, 6), TimeDigits(s.time));
        }
    }
}

TEST_F(TestCard, MoviesHaveThePlannedBoxesStreamsAndLengths) {
    for (const Recording& r : plan_.recordings) {
        for (const Camera camera : {Camera::kFront, Camera::kRear}) {
            if (!r.HasFile(camera)) {
                continue;
            }
            const fs::path path = root_ / r.RelativePath(camera);
            SCOPED_TRACE(path.string());
            size_t end = 0;
            const auto boxes = Boxes(ReadBytes(path), end);
            EXPECT_EQ(boxes, (std::vector<std::string>{"ftyp", "free", "mdat", "moov"}));
            const auto probe = RunCommand(
                "ffprobe -v error -show_entries "
                "stream=codec_type,codec_name,nb_frames,r_frame_rate,width,"
                "height:format=duration -of default=nw=1 " +
                Quoted(path.string()));
            ASSERT_EQ(probe.status, 0);
            const std::string& out = probe.out;
            const Size size = SizeOf(camera);
            EXPECT_NE(out.find("width=" + std::to_string(size.width) + "\n"), std::string::npos);
            EXPECT_NE(out.find("height=" + std::to_string(size.height) + "\n"), std::string::npos);
            EXPECT_NE(out.find("r_frame_rate=" + std::to_string(r.Fps(camera)) + "/1\n"),
                      std::string::npos);
            EXPECT_NE(out.find("nb_frames=" + std::to_string(r.FrameCount(camera)) + "\n"),
                      std::string::npos)
                << out;
            EXPECT_EQ(out.find("codec_name=aac") != std::string::npos, camera == Camera::kFront);
            const double duration = std::stod(out.substr(out.find("duration=") + 9));
            EXPECT_NEAR(duration, r.seconds, 0.001);
        }
    }
}

TEST_F(TestCard, FrontMoviesEndWithTheirTelemetryBlock) {
    for (const Recording& r : plan_.recordings) {
        if (!r.has_front) {
            continue;
        }
        const fs::path path = root_ / r.RelativePath(Camera::kFront);
        SCOPED_TRACE(path.string());
        const auto file = ReadBytes(path);
        size_t end = 0;
        Boxes(file, end);
        ASSERT_GE(file.size(), end + 68);
        const std::vector<uint8_t> block(file.begin() + static_cast<std::ptrdiff_t>(end),
                                         file.end());
        const size_t slots = (block.size() - 68) / 130;
        EXPECT_EQ(block.size(), 68 + 130 * slots);
        EXPECT_EQ(std::string(block.begin(), block.begin() + 6), "CSMDAT");
        const size_t trailer = block.size() - 28;
        EXPECT_EQ(std::string(block.begin() + static_cast<std::ptrdiff_t>(trailer),
                              block.begin() + static_cast<std::ptrdiff_t>(trailer + 6)),
                  "CSMEND");
        EXPECT_EQ(Big(block, trailer + 16, 4), slots);
        const uint64_t count = Big(block, 38, 2);
        auto is_end_record = [&](size_t slot) {
            return std::string(block.begin() + static_cast<std::ptrdiff_t>(40 + 130 * slot),
                               block.begin() + static_cast<std::ptrdiff_t>(46 + 130 * slot)) ==
                   "CSMEND";
        };
        switch (r.count_style) {
            case CountStyle::kExact:
                EXPECT_EQ(count, slots);
                EXPECT_EQ(slots, static_cast<size_t>(r.RecordCount()));
                break;
            case CountStyle::kOpen:
                EXPECT_EQ(count, 0xFFFFu);
                EXPECT_TRUE(is_end_record(static_cast<size_t>(r.RecordCount())));
                break;
            case CountStyle::kEarlyEnd:
                EXPECT_EQ(count, slots);
                EXPECT_TRUE(is_end_record(static_cast<size_t>(r.early_end_record)));
                break;
        }
        const auto& h = r.header;
        EXPECT_EQ(block[6 + 16], h.mode);
        EXPECT_EQ(block[6 + 23], h.quality);
        EXPECT_EQ(block[6 + 26] != 0, h.speed_display);
        EXPECT_EQ(block[6 + 27] != 0, h.gps_display);
        EXPECT_EQ(block, BuildTelemetryBlock(r, 1)) << "the block differs from the plan's";
    }
}

// Every decoded frame carries its own index, in both cameras.
TEST_F(TestCard, EveryDecodedFrameReadsItsIndex) {
    for (const Recording& r : plan_.recordings) {
        for (const Camera camera : {Camera::kFront, Camera::kRear}) {
            if (!r.HasFile(camera)) {
                continue;
            }
            const fs::path path = root_ / r.RelativePath(camera);
            SCOPED_TRACE(path.string());
            const Size size = SizeOf(camera);
            const auto frames = RunCommand("ffmpeg -v error -i " + Quoted(path.string()) +
                                           " -f rawvideo -pix_fmt gray -");
            ASSERT_EQ(frames.status, 0);
            const size_t frame_bytes = static_cast<size_t>(size.width * size.height);
            ASSERT_EQ(frames.out.size(), frame_bytes * static_cast<size_t>(r.FrameCount(camera)));
            for (int i = 0; i < r.FrameCount(camera); ++i) {
                const auto* luma = reinterpret_cast<const uint8_t*>(frames.out.data()) +
                                   frame_bytes * static_cast<size_t>(i);
                ASSERT_EQ(ReadFrameIndex(luma, size.width, size.height, size.width), i);
            }
        }
    }
}

}  // namespace
}  // namespace ardelle::samplecard
