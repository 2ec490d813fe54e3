#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/user_dialogs.h"
#include "catalogue/recording_entry.h"
#include "fileops/join_checks.h"
#include "fileops/join_worker.h"
#include "fileops/mp4_join.h"
#include "platform/files.h"
#include "sample_card/frame_code.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "telemetry/mp4_tree.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::fileops {
namespace {

namespace fs = std::filesystem;
using testing::FrameCount;
using testing::RunCommand;
using testing::ShellQuoted;
using testing::TelemetryRecordsOf;

const std::string kCard = ARDELLE_TEST_CARD_DIR;
const std::vector<std::string> kNames = {"A___-240608-093000-000101", "A___-240608-093003-000102",
                                         "AG__-240608-093006-000103"};

std::string Front(const std::string& name) {
    return kCard + "/Normal/Front/" + name + "F.MP4";
}
std::string Rear(const std::string& name) {
    return kCard + "/Normal/Rear/" + name + "R.MP4";
}

// The frame codes of every decoded frame, in presentation order.
std::vector<int> FrameCodes(const std::string& path, int width, int height) {
    const auto frames = RunCommand("ffmpeg -v error -i " + ShellQuoted(path) +
                                   " -f rawvideo -pix_fmt gray - 2>/dev/null");
    std::vector<int> codes;
    const auto frame_bytes = static_cast<std::size_t>(width * height);
    for (std::size_t at = 0; at + frame_bytes <= frames.output.size(); at += frame_bytes) {
        const auto* luma = reinterpret_cast<const std::uint8_t*>(frames.output.data() + at);
        codes.push_back(samplecard::ReadFrameIndex(luma, width, height, width).value_or(-1));
    }
    return codes;
}

// Answers every question with yes.
class AgreeingMessages : public base::MessageBoxes {
  public:
    int Show(std::string_view, std::string_view, base::MessageStyle) override { return 1; }
};

class NullSink : public MessageSink {
  public:
    void Post(const PostedMessage&) override {}
};

catalogue::RecordingList Selection(const std::vector<std::pair<std::string, std::string>>& files) {
    catalogue::RecordingList list;
    for (const auto& [front, rear] : files) {
        catalogue::AddMovieEntry(front, rear, list);
    }
    return list;
}

// Runs the join worker to its end on this thread; running says whether it may go on.
JoinOutcome RunWorker(const JoinPlan& plan, bool running) {
    const std::atomic<bool> flag{running};
    NullSink sink;
    AgreeingMessages messages;
    auto outcome = std::make_shared<JoinOutcome>();
    MakeJoinWorker(plan, outcome)(OperationContext(flag, sink, messages));
    return *outcome;
}

TEST(JoinTestCard, ThreeRecordingsCheckedByIndependentTools) {
    testing::TempFolder out;
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : kNames) {
        files.emplace_back(Front(name), Rear(name));
    }
    AgreeingMessages messages;
    std::string error;
    const auto plan = PrepareJoin(Selection(files), out.path(), messages, &error);
    ASSERT_TRUE(plan) << error;
    const JoinOutcome outcome = RunWorker(*plan, true);
    ASSERT_EQ(outcome.result, OperationResult::kCompleted) << outcome.error;
    ASSERT_TRUE(outcome.front_written && outcome.rear_written);
    // The master list marks what was joined, by sequence number, whatever the list's order.
    catalogue::RecordingList master = plan->selection;
    master.insert(master.begin(), master.back());
    master.front().sequence = 99;
    MarkJoined(*plan, master);
    EXPECT_EQ(master.front().joined_mark, 0);
    EXPECT_EQ(master[1].joined_mark + master[2].joined_mark + master[3].joined_mark, 3);

    const struct {
        std::string output;
        bool front;
        int width, height;
    } cameras[] = {{plan->front_output, true, 320, 180}, {plan->rear_output, false, 160, 90}};
    for (const auto& camera : cameras) {
        SCOPED_TRACE(camera.output);
        std::vector<int> expected_codes;
        for (const std::string& name : kNames) {
            const int frames = FrameCount(camera.front ? Front(name) : Rear(name));
            for (int i = 0; i < frames; ++i) {
                expected_codes.push_back(i);
            }
        }
        EXPECT_EQ(FrameCount(camera.output), static_cast<int>(expected_codes.size()));
        const auto decode =
            RunCommand("ffmpeg -v error -i " + ShellQuoted(camera.output) + " -f null - 2>&1");
        EXPECT_EQ(decode.exit_code, 0);
        EXPECT_EQ(decode.output, "");
        // Every frame of every recording, once, in order.
        EXPECT_EQ(FrameCodes(camera.output, camera.width, camera.height), expected_codes);
    }

    std::vector<std::uint8_t> expected_records;
    std::size_t expected_samples = 0;
    for (const std::string& name : kNames) {
        const auto records = TelemetryRecordsOf(Front(name));
        expected_records.insert(expected_records.end(), records.begin(), records.end());
        telemetry::TelemetryFile input;
        ASSERT_TRUE(input.Open(Front(name)));
        expected_samples += input.gps().size();
    }
    EXPECT_EQ(TelemetryRecordsOf(plan->front_output), expected_records);
    telemetry::TelemetryFile joined;
    ASSERT_TRUE(joined.Open(plan->front_output));
    EXPECT_EQ(joined.gps().size(), expected_samples);
}

TEST(JoinTestCard, MissingRearFilesLeaveTheFrontJoin) {
    testing::TempFolder out;
    const auto selection =
        Selection({{Front(kNames[0]), Rear(kNames[0])}, {Front(kNames[1]), out / "none.MP4"}});
    AgreeingMessages messages;
    std::string error;
    const auto plan = PrepareJoin(selection, out.path(), messages, &error);
    ASSERT_TRUE(plan) << error;
    const JoinOutcome outcome = RunWorker(*plan, true);
    EXPECT_EQ(outcome.result, OperationResult::kCompleted) << outcome.error;
    EXPECT_TRUE(outcome.front_written);
    EXPECT_FALSE(outcome.rear_written);
    EXPECT_TRUE(fs::exists(plan->front_output));
    EXPECT_FALSE(fs::exists(plan->rear_output));
}

TEST(JoinTestCard, StoppedOrRefusedJoinsWriteNothing) {
    testing::TempFolder out;
    const auto selection =
        Selection({{Front(kNames[0]), Rear(kNames[0])}, {Front(kNames[1]), Rear(kNames[1])}});
    AgreeingMessages messages;
    std::string error;
    const auto plan = PrepareJoin(selection, out.path(), messages, &error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(RunWorker(*plan, false).result, OperationResult::kStopped);
    EXPECT_TRUE(fs::is_empty(out.path()));

    // Into the recordings' own folder: the output would replace the first recording.
    EXPECT_FALSE(PrepareJoin(selection, kCard + "/Normal/Front", messages, &error));
    EXPECT_NE(error.find("replace recordings"), std::string::npos) << error;
    // More than the volume can hold.
    auto huge = selection;
    huge[0].data_size_front = std::int64_t{1} << 62;
    EXPECT_FALSE(PrepareJoin(huge, out.path(), messages, &error));
    EXPECT_NE(error.find("free space"), std::string::npos) << error;
    // A front and a rear recording do not fit together.
    JoinPlan mixed = *plan;
    mixed.selection[1].front_path = Rear(kNames[1]);
    const JoinOutcome refused = RunWorker(mixed, true);
    EXPECT_EQ(refused.result, OperationResult::kFailed);
    EXPECT_NE(refused.error.find("different numbers of tracks"), std::string::npos)
        << refused.error;
    EXPECT_TRUE(fs::is_empty(out.path()));
}

// What ffprobe says of every stream: type, tag and packet count.
std::string StreamsOf(const std::string& path) {
    return RunCommand(
               "ffprobe -v error -count_packets -show_entries "
               "stream=codec_type,codec_tag_string,nb_read_packets -of csv=p=0 " +
               ShellQuoted(path))
        .output;
}

// A muxer that writes a timecode track (as camera makers do) beside picture and sound; the
// timecode track's media information starts with the generic media header (gmhd).
TEST(JoinTestCard, RecordingsWithATimecodeTrackFromTheMuxer) {
    testing::TempFolder folder;
    std::vector<std::string> inputs;
    for (int i = 1; i <= 2; ++i) {
        inputs.push_back(folder / ("A___-240608-09300" + std::to_string(i) + "-00010" +
                                   std::to_string(i) + "F.MP4"));
        const auto made = RunCommand(
            "gst-launch-1.0 -q videotestsrc num-buffers=45 ! "
            "video/x-raw,width=160,height=120,framerate=15/1 ! timecodestamper ! "
            "x264enc key-int-max=15 ! qtmux name=mux ! filesink location=" +
            ShellQuoted(inputs.back()) +
            " audiotestsrc num-buffers=20 ! audio/x-raw,rate=16000 ! avenc_aac ! mux. 2>&1");
        ASSERT_EQ(made.exit_code, 0) << made.output;
    }
    const std::string input_streams = StreamsOf(inputs[0]);
    ASSERT_NE(input_streams.find("data,tmcd,1"), std::string::npos) << input_streams;
    const std::size_t sound_at = input_streams.find("audio,mp4a,");
    ASSERT_NE(sound_at, std::string::npos) << input_streams;
    const int sound_packets = std::atoi(input_streams.c_str() + sound_at + 11);
    CameraJoin join;
    std::string error;
    ASSERT_TRUE(join.Begin(inputs[0], &error)) << error;
    ASSERT_TRUE(join.Append(inputs[1], &error)) << error;
    const std::string out = folder / "joined.MP4";
    ASSERT_TRUE(join.Write(out, false, nullptr, &error)) << error;
    EXPECT_EQ(StreamsOf(out),
              "video,avc1,90\naudio,mp4a," + std::to_string(2 * sound_packets) + "\ndata,tmcd,2\n");
    EXPECT_EQ(FrameCount(out), 90);
    const auto decode = RunCommand("ffmpeg -v error -i " + ShellQuoted(out) + " -f null - 2>&1");
    EXPECT_EQ(decode.exit_code, 0);
    EXPECT_EQ(decode.output, "");
    // The second recording's sound starts with its picture, 3 s in, though the first one's
    // sound ended after some 1.3 s.
    const auto second_sound =
        RunCommand("ffprobe -v error -select_streams a -show_entries packet=pts_time -of csv=p=0 " +
                   ShellQuoted(out) + " | sed -n " + std::to_string(sound_packets + 1) + "p");
    EXPECT_NEAR(std::atof(second_sound.output.c_str()), 3.0, 0.07) << second_sound.output;
}

}  // namespace
}  // namespace ardelle::fileops
