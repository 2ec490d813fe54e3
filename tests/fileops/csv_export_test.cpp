#include "fileops/csv_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/recording_names.h"
#include "fileops/operation_fakes.h"
#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"

namespace ardelle::fileops {
namespace {

using catalogue::RecordingEntry;
using catalogue::RecordingList;
using testing::Be16;
using testing::Be32;
using testing::Box;
using testing::DirectRun;
using testing::TempFolder;

// A recording file as the export reads it: one video track and, when quality is set, a
// telemetry block at the end.
struct MovieShape {
    std::uint16_t height = 1080;
    std::uint32_t samples = 1800;
    std::uint32_t time_scale = 90000;
    std::uint32_t duration = 5400000;
    bool with_mvhd = true;
    bool with_stsd = true;
    char quality = 'H';  // 0: no telemetry block
};

// A sample description whose first entry is a picture of 1920 × height.
std::string PictureStsd(std::uint16_t height) {
    std::string entry(78, '\0');
    entry.replace(24, 2, Be16(1920));
    entry.replace(26, 2, Be16(height));
    return Be32(0) + Be32(1) + Box("avc1", entry);
}

std::string MovieBoxes(const MovieShape& shape) {
    std::string stbl = Box("stts", testing::SttsPayload({{shape.samples, 3000}}));
    if (shape.with_stsd) {
        stbl = Box("stsd", PictureStsd(shape.height)) + stbl;
    }
    const std::string trak = Box("trak", Box("mdia", Box("minf", Box("stbl", stbl))));
    const std::string mvhd =
        shape.with_mvhd ? Box("mvhd", testing::MvhdPayload(shape.time_scale, shape.duration)) : "";
    return Box("ftyp", "isom" + Be32(0) + "isommp41") + Box("moov", mvhd + trak);
}

std::string TelemetryBlock(char quality) {
    if (quality == 0) {
        return "";
    }
    testing::HeaderFields header;
    header.quality = quality;
    return testing::Block(testing::HeaderBody(header), 1, {testing::Record({})}, 1);
}

// The movie with a small media box, or padded by a sparse media box to total_size bytes.
// The block search looks in the last quarter of a file, so the media box outweighs the
// rest as in real recordings.
bool WriteMovie(const std::string& path, const MovieShape& shape, std::uint64_t total_size = 0) {
    const std::string boxes = MovieBoxes(shape);
    const std::string block = TelemetryBlock(shape.quality);
    if (total_size == 0) {
        return testing::WriteFile(path, boxes + Box("mdat", std::string(4096, 'm')) + block);
    }
    // Without a block the last media byte ends the file.
    const std::string tail = block.empty() ? "m" : block;
    const std::uint64_t media = total_size - boxes.size() - block.size();
    const std::string head = boxes + Be32(static_cast<std::uint32_t>(media)) + "mdat";
    return testing::WriteSparseFile(path, head, total_size - tail.size(), tail);
}

RecordingEntry Recording(const std::string& front_path, const std::string& rear_path) {
    RecordingEntry entry;
    entry.front_path = front_path;
    entry.front_name = catalogue::FileNameOf(front_path);
    entry.rear_path = rear_path;
    entry.rear_name = catalogue::FileNameOf(rear_path);
    return entry;
}

std::string LineOf(const RecordingEntry& entry) {
    FileHeaderReader reader;
    return CsvLine(entry, ReadCsvFacts(entry, reader));
}

TEST(CsvLine, ColumnsFromTheFilesOfARecording) {
    struct Case {
        const char* name;
        MovieShape shape;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"A___-220901-054302-000123F.MP4",
         {},
         "A___-220901-054302-000123F.MP4,2022/09/01,05:43:02,00:01:00,常時,FHD,高画質,30.0fps,"
         "0MB,0MB\r\n"},
        // int(600 × 14.985) = 8991 samples at 30 fps: 299 s.
        {"T___-220901-054302-000124F.MP4",
         {.samples = 600, .duration = 1800000},
         "T___-220901-054302-000124F.MP4,2022/09/01,05:43:02,00:04:59,常時タイムラプス,FHD,"
         "高画質,タイムラプス,0MB,0MB\r\n"},
        {"AG__-220901-054302-000125F.MP4",
         {.height = 720, .quality = 'L'},
         "AG__-220901-054302-000125F.MP4,2022/09/01,05:43:02,00:01:00,衝撃,HD,低画質,30.0fps,"
         "0MB,0MB\r\n"},
        // Without a telemetry block the header stays zeroed: low quality.
        {"P___-220901-054302-000126F.MP4",
         {.height = 360, .quality = 0},
         "P___-220901-054302-000126F.MP4,2022/09/01,05:43:02,00:01:00,駐車,SD,低画質,30.0fps,"
         "0MB,0MB\r\n"},
        {"A_O_-220901-054302-000127F.MP4",
         {.height = 1296},
         "A_O_-220901-054302-000127F.MP4,2022/09/01,05:43:02,00:01:00,オービス,3M,高画質,"
         "30.0fps,0MB,0MB\r\n"},
        {"A___-220901-054302-000128F.MP4",
         {.height = 1440},
         "A___-220901-054302-000128F.MP4,2022/09/01,05:43:02,00:01:00,常時,WQHD,高画質,30.0fps,"
         "0MB,0MB\r\n"},
        // Other heights have neither a size nor a quality.
        {"A___-220901-054302-000129F.MP4",
         {.height = 480},
         "A___-220901-054302-000129F.MP4,2022/09/01,05:43:02,00:01:00,常時,,,30.0fps,0MB,0MB\r\n"},
        // No movie header: the rate is -1 and the time 0 instead of a negative time.
        {"A___-220901-054302-000130F.MP4",
         {.with_mvhd = false},
         "A___-220901-054302-000130F.MP4,2022/09/01,05:43:02,00:00:00,常時,FHD,高画質,-1.0fps,"
         "0MB,0MB\r\n"},
        {"A___-220901-054302-000131F.MP4",
         {.duration = 0},
         "A___-220901-054302-000131F.MP4,2022/09/01,05:43:02,00:00:00,常時,FHD,高画質,-1.0fps,"
         "0MB,0MB\r\n"},
        {"A___-220901-054302-000132F.MP4",
         {.with_stsd = false},
         "A___-220901-054302-000132F.MP4,-,-,-,-,-,-,fps,0MB,0MB\r\n"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string path = folder / c.name;
        ASSERT_TRUE(WriteMovie(path, c.shape));
        EXPECT_EQ(LineOf(Recording(path, "")), c.expected) << c.name;
    }
}

TEST(CsvLine, UnreadableFilesGetTheFallbackLine) {
    TempFolder folder;
    const std::string text = folder / "A___-220901-054302-000140F.MP4";
    ASSERT_TRUE(testing::WriteFile(text, "not a movie at all, just some text"));
    EXPECT_EQ(LineOf(Recording(text, "")),
              "A___-220901-054302-000140F.MP4,-,-,-,-,-,-,fps,0MB,0MB\r\n");
    const std::string missing = folder / "A___-220901-054302-000141F.MP4";
    EXPECT_EQ(LineOf(Recording(missing, "")),
              "A___-220901-054302-000141F.MP4,-,-,-,-,-,-,fps,0MB,0MB\r\n");
}

TEST(CsvLine, SizesInWholeMegabytesAndRearOnlyRecordings) {
    TempFolder folder;
    const std::string front = folder / "A___-220901-054302-000150F.MP4";
    const std::string rear = folder / "A___-220901-054302-000150R.MP4";
    ASSERT_TRUE(WriteMovie(front, {}, 1073741823));
    ASSERT_TRUE(WriteMovie(rear, {.height = 720, .quality = 0}, 3 * 1048576));
    const std::string both = LineOf(Recording(front, rear));
    EXPECT_TRUE(both.ends_with(",30.0fps,1023MB,3MB\r\n")) << both;

    const std::string rear_only = LineOf(Recording("", rear));
    EXPECT_EQ(rear_only,
              "A___-220901-054302-000150R.MP4,2022/09/01,05:43:02,00:01:00,常時,HD,低画質,"
              "30.0fps,0MB,3MB\r\n");
}

TEST(CsvLine, NamesWithoutADateAndLongNamesAreKeptWhole) {
    CsvRecordingFacts facts;
    facts.readable = true;
    facts.height = 1080;
    facts.quality = 'H';
    facts.samples = 1800;
    facts.frame_rate = 30.0f;
    RecordingEntry odd;
    odd.front_name = "ABCD-A___-230415-101500-000123F.MP4";
    EXPECT_EQ(CsvLine(odd, facts), odd.front_name +
                                       ",--/--/--,--:--:--,00:01:00,,FHD,高画質,"
                                       "30.0fps,0MB,0MB\r\n");

    RecordingEntry long_name;
    long_name.front_name = "A___-230415-101500-000123F.MP4" + std::string(400, 'x');
    const std::string line = CsvLine(long_name, facts);
    EXPECT_TRUE(line.starts_with(long_name.front_name + ",2023/04/15,10:15:00,")) << line;
    const std::string encoded = EncodeCsvText(line, "SHIFT_JIS");
    EXPECT_TRUE(encoded.starts_with(long_name.front_name + ",2023/04/15,"));
    // Only 常時 and 高画質 change: two bytes a character instead of three.
    EXPECT_EQ(encoded.size(), line.size() - 5);
}

TEST(CsvText, HeadingAndOutputName) {
    EXPECT_EQ(CsvHeaderLine(),
              "ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,"
              "フロントカメラデータサイズ,リヤカメラデータサイズ\r\n");
    EXPECT_EQ(CsvFileName({Recording("/card/____-220901-054302-000001F.MP4", "")}),
              "Dv_20220901_054302.csv");
    EXPECT_EQ(CsvFileName({Recording("", "/card/A___-221231-235959-000002R.MP4"),
                           Recording("/card/A___-220901-054302-000001F.MP4", "")}),
              "Dv_20221231_235959.csv");
    EXPECT_EQ(CsvFileName({}), "");
}

TEST(CsvText, EncodedInTheLocaleSetOrWholeInUtf8) {
    const std::string text = "ファイル名,常時\r\nA___-x.MP4,-\r\n";
    // ファイル名 and 常時 in Shift_JIS and EUC-JP.
    const std::string shift_jis =
        "\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC,\x8F\xED\x8E\x9E\r\nA___-x.MP4,-\r\n";
    const std::string euc_jp =
        "\xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB\xCC\xBE,\xBE\xEF\xBB\xFE\r\nA___-x.MP4,-\r\n";
    struct Case {
        const char* charset;
        std::string expected;
    };
    for (const Case& c : std::vector<Case>{{"SHIFT_JIS", shift_jis},
                                           {"EUC-JP", euc_jp},
                                           {"UTF-8", text},
                                           {"ANSI_X3.4-1968", text},  // the C locale
                                           {"ISO-8859-1", text},
                                           {"NO-SUCH-SET", text}}) {
        EXPECT_EQ(EncodeCsvText(text, c.charset), c.expected) << c.charset;
    }
    EXPECT_EQ(EncodeCsvText("plain,ascii\r\n", "ANSI_X3.4-1968"), "plain,ascii\r\n");
}

TEST(CsvPreparation, EmptyListsAndExistingFiles) {
    TempFolder folder;
    const RecordingList recordings = {Recording(folder / "A___-220901-054302-000001F.MP4", "")};
    {
        testing::ScriptedMessages messages;
        EXPECT_FALSE(PrepareCsvExport({}, folder.path(), messages));
        const auto shown = messages.shown();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].text, "動画ファイルがありません。");
        EXPECT_EQ(shown[1].text, "CSVファイルが作成できません。");
        EXPECT_EQ(shown[0].caption, "ERROR");
        EXPECT_EQ(shown[1].caption, "ERROR");
    }
    const std::string expected = folder / "Dv_20220901_054302.csv";
    for (const std::string& target : {folder.path(), folder.path() + "/"}) {
        testing::ScriptedMessages messages;
        EXPECT_EQ(PrepareCsvExport(recordings, target, messages), expected);
        EXPECT_TRUE(messages.shown().empty());
    }
    ASSERT_TRUE(testing::WriteFile(expected, "old"));
    for (const int answer : {0, 1}) {
        testing::ScriptedMessages messages(answer);
        const auto path = PrepareCsvExport(recordings, folder.path(), messages);
        EXPECT_EQ(path.has_value(), answer == 1);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].text, "同名のファイルが存在します。続行しますか？");
        EXPECT_EQ(messages.shown()[0].caption, "確認");
        EXPECT_EQ(messages.shown()[0].style, base::MessageStyle::kOkCancel);
    }
}

// Two recordings in one folder, exported into another.
class CsvExportRun : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name :
             {"A___-220901-054302-000001F.MP4", "AG__-220901-054402-000002F.MP4"}) {
            ASSERT_TRUE(WriteMovie(source.path() + "/" + name, {}));
            job.recordings.push_back(Recording(source.path() + "/" + name, ""));
        }
        job.output_path = out / "Dv_20220901_054302.csv";
        job.charset = "UTF-8";
    }
    std::vector<std::string> OutputFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out.path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TempFolder source, out;
    CsvExportJob job;
};

TEST_F(CsvExportRun, WritesEveryLineWithProgressThenCompletes) {
    for (const char* charset : {"SHIFT_JIS", "ANSI_X3.4-1968"}) {
        job.charset = charset;
        DirectRun run;
        FileHeaderReader reader;
        ASSERT_TRUE(testing::WriteFile(job.output_path, "an older list, replaced"));
        RunCsvExport(run.context, job, reader);

        const std::vector<PostedMessage> expected = {{AppMessage::kProgress, 0, 2},
                                                     {AppMessage::kProgress, 1, 2},
                                                     {AppMessage::kProgress, 2, 2},
                                                     {AppMessage::kCsvCompleted, 0, 0}};
        EXPECT_EQ(run.sink.messages(), expected);
        EXPECT_TRUE(run.messages.shown().empty());
        const std::string text =
            CsvHeaderLine() + LineOf(job.recordings[0]) + LineOf(job.recordings[1]);
        const auto written = platform::ReadWholeFile(job.output_path);
        ASSERT_TRUE(written);
        EXPECT_EQ(*written, EncodeCsvText(text, charset)) << charset;
        EXPECT_EQ(OutputFolder(), std::vector<std::string>{"Dv_20220901_054302.csv"});
    }
}

TEST_F(CsvExportRun, LinesEndInCrLfWithoutAByteOrderMark) {
    DirectRun run;
    FileHeaderReader reader;
    RunCsvExport(run.context, job, reader);
    const auto written = platform::ReadWholeFile(job.output_path);
    ASSERT_TRUE(written);
    EXPECT_TRUE(written->starts_with("ファイル名,"));
    std::size_t lines = 0;
    for (std::size_t at = written->find('\n'); at != std::string::npos;
         at = written->find('\n', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ((*written)[at - 1], '\r');
        ++lines;
    }
    EXPECT_EQ(lines, 3u);
    EXPECT_TRUE(written->ends_with("\r\n"));
}

// Clears the running flag while it reads the second recording, as the stop command would.
class StoppingReader : public HeaderReader {
  public:
    explicit StoppingReader(std::atomic<bool>& running) : running_(running) {}
    bool ReadHeader(const std::string& path, telemetry::RecordingHeaderInfo& header) override {
        if (++calls_ == 2) {
            running_ = false;
        }
        return plain_.ReadHeader(path, header);
    }

  private:
    std::atomic<bool>& running_;
    FileHeaderReader plain_;
    int calls_ = 0;
};

TEST_F(CsvExportRun, AStoppedExportLeavesNoFile) {
    job.recordings.push_back(job.recordings[0]);
    DirectRun run;
    StoppingReader reader(run.running);
    RunCsvExport(run.context, job, reader);
    const std::vector<PostedMessage> expected = {{AppMessage::kProgress, 0, 3},
                                                 {AppMessage::kProgress, 1, 3},
                                                 {AppMessage::kOperationEnded, 0, 0}};
    EXPECT_EQ(run.sink.messages(), expected);
    EXPECT_TRUE(run.messages.shown().empty());
    EXPECT_TRUE(OutputFolder().empty()) << "neither the list nor its temporary file stays";
}

TEST_F(CsvExportRun, AFileThatCannotBeCreatedIsReportedWithItsCause) {
    job.output_path = out / "missing-folder/Dv_20220901_054302.csv";
    DirectRun run;
    FileHeaderReader reader;
    RunCsvExport(run.context, job, reader);
    EXPECT_EQ(run.sink.ids(), std::vector<AppMessage>{AppMessage::kOperationEnded});
    const auto shown = run.messages.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.starts_with("CSVファイルが作成できません。\ncannot create "))
        << shown[0].text;
    EXPECT_NE(shown[0].text.find("No such file or directory"), std::string::npos) << shown[0].text;
    EXPECT_EQ(shown[0].caption, "ERROR");
    EXPECT_TRUE(OutputFolder().empty());
}

}  // namespace
}  // namespace ardelle::fileops
