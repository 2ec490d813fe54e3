#include <gtest/gtest.h>

#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"
#include "telemetry/box_walks.h"
#include "telemetry/mp4_tree.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::telemetry {
namespace {

using testing::Be32;
using testing::Box;

class Mp4TreeTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& bytes, const std::string& name = "x.MP4") {
        const std::string path = folder_ / name;
        EXPECT_TRUE(testing::WriteFile(path, bytes));
        return path;
    }
    testing::TempFolder folder_;
};

TEST_F(Mp4TreeTest, ContainersLeavesAndTypeLists) {
    const std::string udat = Box("udat", "CSMDAT" + std::string(34, 'h'));
    const std::string path = Write(testing::MinimalMovie(1000, 5000, 150) + udat);
    std::string error;
    const auto tree = ReadTree(path, false, TelemetryCarry::kNone, &error);
    ASSERT_NE(tree, nullptr) << error;
    const BoxNode& root = tree->root;
    ASSERT_EQ(root.children.size(), 5u);
    EXPECT_EQ(root.children[2].type, "mdat");
    EXPECT_TRUE(root.children[2].leaf);
    EXPECT_FALSE(root.children[2].has_payload_copy);
    const BoxNode& moov = root.children[3];
    EXPECT_EQ(moov.type, "moov");
    EXPECT_FALSE(moov.leaf);
    EXPECT_EQ(root.children[4].type, "udat");
    EXPECT_TRUE(root.children[4].leaf);
    EXPECT_EQ(root.children[4].payload.size(), 40u);
    ASSERT_EQ(tree->Nodes("stsd").size(), 1u);
    EXPECT_TRUE(tree->Nodes("stsd")[0]->leaf);
    EXPECT_EQ(tree->Nodes("stsd")[0]->payload.size(), 8u + 86u);
    EXPECT_EQ(tree->Nodes("stts").size(), 1u);
    EXPECT_EQ(tree->Nodes("mvhd")[0]->depth, 2);
    EXPECT_EQ(tree->trailing_offset, tree->file_size);
    EXPECT_FALSE(tree->telemetry.has_value());
}

TEST_F(Mp4TreeTest, MalformedTreesFailWithFileAndOffset) {
    std::string deep = Box("free", "");
    for (int i = 0; i < 40; ++i) {
        deep = Box("moov", deep);
    }
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"overrun", Box("ftyp", "isom") + Be32(40) + "moov" + Box("trak", std::string(40, 'z')),
         "runs past the end of its parent"},
        {"size 0", Box("ftyp", "isom") + Box("moov", Be32(0) + "trak" + std::string(8, '\0')),
         "size 0"},
        {"smaller than header",
         Box("ftyp", "isom") + Box("moov", Be32(3) + "trak" + std::string(8, '\0')),
         "smaller than its header"},
        {"too deep", deep, "deeper than"},
        {"top level past the file", Box("ftyp", "isom") + Be32(1000) + "mdat", "past the end"},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::string path = Write(c.bytes);
        EXPECT_EQ(ReadTree(path, false, TelemetryCarry::kNone, &error), nullptr) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(path), std::string::npos) << c.name;
        EXPECT_NE(error.find("offset"), std::string::npos) << c.name;
    }
    EXPECT_EQ(LiveBoxNodes(), 0u);
}

TEST_F(Mp4TreeTest, UnknownChildTurnsTheBoxIntoData) {
    // udta holds a known box, then bytes that are not a box.
    const std::string udta_payload = Box("free", "ab") + Be32(12) + "????" + "1234";
    const std::string path = Write(Box("ftyp", "isom") + Box("moov", Box("udta", udta_payload)));
    const auto tree = ReadTree(path, false, TelemetryCarry::kNone);
    ASSERT_NE(tree, nullptr);
    const BoxNode& udta = tree->root.children[1].children[0];
    EXPECT_TRUE(udta.leaf);
    EXPECT_TRUE(udta.children.empty());
    EXPECT_EQ(std::string(udta.payload.begin(), udta.payload.end()), udta_payload);
}

TEST_F(Mp4TreeTest, SixtyFourBitSizesAndWholeFileLeaves) {
    const std::string path = Write(Box("ftyp", "isom") + testing::LargeBox("mdat", "media") +
                                   Box("moov", Box("mvhd", testing::MvhdPayload(1, 2))));
    const auto tree = ReadTree(path, false, TelemetryCarry::kNone);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->root.children[1].header_size, 16u);
    EXPECT_EQ(tree->root.children[1].payload_size, 5u);
    EXPECT_EQ(tree->root.children[2].type, "moov");

    const auto data = ReadTree(Write("not an mp4 file at all"), true, TelemetryCarry::kNone);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->root.leaf);
    EXPECT_EQ(data->root.payload.size(), 22u);
}

TEST_F(Mp4TreeTest, FrontRecordingsCarryTheirBlock) {
    const std::string movie = testing::MinimalMovie(1000, 5000, 150);
    std::vector<std::string> records(3, testing::Record({}));
    const std::string exact = testing::Block(testing::HeaderBody({}), 3, records, 3);
    records.push_back(testing::EndRecord());
    const std::string open = testing::Block(testing::HeaderBody({}), 0xFFFF, records, 4);
    const struct {
        std::string block;
        std::uint16_t count16;
        std::uint32_t count32;
        std::size_t record_bytes;
    } cases[] = {{exact, 3, 3, 390}, {open, 0xFFFF, 4, 520}};
    for (const auto& c : cases) {
        const auto tree = ReadTree(Write(movie + c.block), false, TelemetryCarry::kFrontRecording);
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(tree->telemetry.has_value());
        EXPECT_EQ(tree->telemetry->offset, movie.size());
        EXPECT_EQ(tree->telemetry->header_count, c.count16);
        EXPECT_EQ(tree->telemetry->trailer_count, c.count32);
        EXPECT_EQ(tree->telemetry->records.size(), c.record_bytes);
        EXPECT_EQ(tree->trailing_offset, movie.size());
        EXPECT_EQ(tree->root.children.size(), 4u);
    }
    // Without a trailer a front file carries no telemetry; a lying trailer fails.
    EXPECT_FALSE(ReadTree(Write(movie), false, TelemetryCarry::kFrontRecording)->telemetry);
    std::string lying = movie + exact;
    lying.replace(lying.size() - 12, 4, Be32(100000));
    EXPECT_EQ(ReadTree(Write(lying), false, TelemetryCarry::kFrontRecording), nullptr);
}

TEST_F(Mp4TreeTest, ExpectedLength) {
    // Four top-level boxes of 1,000,000 bytes in all, then a block of 100 records.
    const std::string boxes = Box("ftyp", std::string(24, 'f')) + Box("free", "") +
                              Box("mdat", std::string(998952, 'm')) +
                              Box("moov", std::string(992, 'v'));
    ASSERT_EQ(boxes.size(), 1'000'000u);
    std::vector<std::string> records(100, testing::Record({}));
    const std::string block = testing::Block(testing::HeaderBody({}), 100, records, 100);
    EXPECT_EQ(ExpectedLength(Write(boxes + block)).length, 1'013'068u);
    EXPECT_TRUE(ExpectedLength(Write(boxes + block)).opened);
    // A cut file: the box header that is gone ends the sum.
    const std::string cut =
        (boxes + block).substr(0, 500000) + std::string(block.end() - 28, block.end());
    EXPECT_EQ(ExpectedLength(Write(cut)).length, 999'000u + 13'068u);
    // Three boxes and a block: the block is not a fourth box.
    const std::string three = Box("ftyp", "isom") + Box("mdat", "m") + Box("moov", "v");
    EXPECT_EQ(ExpectedLength(Write(three + block)).length, three.size() + block.size());
    EXPECT_FALSE(ExpectedLength(folder_ / "missing.MP4").opened);
}

// Every box of a tree with where it lies, what it holds and how it was read.
std::string Describe(const BoxNode& node) {
    std::string text =
        node.type + "@" + std::to_string(node.box_offset) + "+" + std::to_string(node.header_size) +
        "/" + std::to_string(node.payload_size) + (node.leaf ? " leaf" : "") +
        (node.has_payload_copy ? " copy:" + std::to_string(node.payload.size()) : "");
    for (const BoxNode& child : node.children) {
        text += " (" + Describe(child) + ")";
    }
    return text;
}

// The fuzzers hand the readers bytes in memory opened as a file: each reader must make of
// them exactly what it makes of a file with the same content.
TEST_F(Mp4TreeTest, BytesOpenedAsAFileReadAsThatFile) {
    const std::string movie = testing::MinimalMovie(1000, 20000, 600, 1024);
    std::vector<std::string> records(3, testing::Record({}));
    const std::string block = testing::Block(testing::HeaderBody({}), 3, records, 3);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"movie with block", movie + block},
        {"mixed box", Box("ftyp", "isom") + Box("moov", Box("udta", Box("free", "ab") + "????"))},
        {"overrun", Box("ftyp", "isom") + Be32(40) + "moov" + Box("trak", std::string(4, 'z'))},
        {"64-bit size", Box("ftyp", "isom") + testing::LargeBox("mdat", "media") + movie},
        {"no boxes", "not an mp4 file at all"},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.bytes);
        const auto* data = reinterpret_cast<const std::uint8_t*>(c.bytes.data());
        platform::MappedFile bytes;
        ASSERT_TRUE(bytes.OpenBytes(data, c.bytes.size(), path)) << c.name;
        for (const bool load_root : {false, true}) {
            std::string file_error, bytes_error;
            const auto from_file =
                ReadTree(path, load_root, TelemetryCarry::kFrontRecording, &file_error);
            const auto from_bytes =
                ReadTree(bytes, load_root, TelemetryCarry::kFrontRecording, &bytes_error);
            ASSERT_EQ(from_file == nullptr, from_bytes == nullptr) << c.name;
            EXPECT_EQ(bytes_error, file_error) << c.name;
            if (from_file != nullptr) {
                EXPECT_EQ(Describe(from_bytes->root), Describe(from_file->root)) << c.name;
                EXPECT_EQ(from_bytes->trailing_offset, from_file->trailing_offset) << c.name;
                EXPECT_EQ(from_bytes->telemetry.has_value(), from_file->telemetry.has_value());
            }
        }
        EXPECT_EQ(ExpectedLength(bytes).length, ExpectedLength(path).length) << c.name;
        TelemetryFile file_probe, bytes_probe;
        const auto file_timing = ReadMovieTiming(file_probe, path);
        ASSERT_TRUE(bytes_probe.mapping().OpenBytes(data, c.bytes.size(), path));
        const auto bytes_timing = ReadMovieTiming(bytes_probe);
        ASSERT_EQ(bytes_timing.has_value(), file_timing.has_value()) << c.name;
        if (file_timing) {
            EXPECT_EQ(bytes_timing->frame_count, file_timing->frame_count) << c.name;
            EXPECT_EQ(bytes_timing->seconds, file_timing->seconds) << c.name;
        }
        EXPECT_FALSE(bytes_probe.mapping().is_open()) << c.name;
    }
    EXPECT_EQ(LiveBoxNodes(), 0u);

    // A view of the bytes is the bytes, clamped at its limit; no bytes open as no file.
    const std::string text = "0123456789";
    platform::MappedFile bytes;
    ASSERT_TRUE(
        bytes.OpenBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), "text"));
    const auto view = bytes.MapView(3, 100, 8);
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view->data()), view->size()), "34567");
    EXPECT_FALSE(bytes.MapView(8, 1, 8).has_value());
    EXPECT_FALSE(bytes.OpenBytes(reinterpret_cast<const std::uint8_t*>(text.data()), 0, "empty"));
    EXPECT_FALSE(bytes.is_open());
}

}  // namespace
}  // namespace ardelle::telemetry
