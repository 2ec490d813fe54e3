#include "fileops/csv_export.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/user_dialogs.h"
#include "catalogue/recording_names.h"
#include "fileops/csv_boxes.h"
#include "platform/file_copy.h"
#include "platform/files.h"
#include "platform/text_encoding.h"
#include "telemetry/telemetry_block.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::fileops {
namespace {

using catalogue::RecordingEntry;

constexpr std::uint64_t kBytesPerMegabyte = 1048576;
// Time-lapse movies hold one frame for every 14.985 frames of real time.
constexpr float kTimeLapseFactor = 14.985f;

constexpr int kHeadingIds[] = {30, 29, 37, 36, 38, 35, 34, 32, 148, 149};
constexpr int kHighQualityTextId = 55;
constexpr int kLowQualityTextId = 56;
constexpr int kTimeLapseTextId = 159;

// The recording size shown for a picture height, and whether the height has one.
struct HeightClass {
    std::uint16_t height;
    const char* label;
};
constexpr HeightClass kHeightClasses[] = {
    {360, "SD"}, {720, "HD"}, {1080, "FHD"}, {1296, "3M"}, {1440, "WQHD"}};

const char* HeightLabel(std::uint16_t height) {
    for (const HeightClass& height_class : kHeightClasses) {
        if (height_class.height == height) {
            return height_class.label;
        }
    }
    return nullptr;
}

std::uint64_t BigEndianAt(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                          std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}

using Payload = std::optional<std::vector<std::uint8_t>>;

// The first sample entry's height: bytes 42..43 of the description table.
std::optional<std::uint16_t> PictureHeight(const Payload& stsd) {
    if (!stsd || stsd->size() < 44) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(BigEndianAt(*stsd, 42, 2));
}

// The sample counts of all entries, as far as the table really holds them.
std::uint64_t SampleCount(const Payload& stts) {
    if (!stts || stts->size() < 8) {
        return 0;
    }
    const std::uint64_t stated = BigEndianAt(*stts, 4, 4);
    const std::uint64_t present = (stts->size() - 8) / 8;
    std::uint64_t samples = 0;
    for (std::uint64_t i = 0; i < std::min(stated, present); ++i) {
        samples += BigEndianAt(*stts, static_cast<std::size_t>(8 + 8 * i), 4);
    }
    return samples;
}

// samples × time scale / duration; -1 without a usable movie header. Version 1 headers
// keep their 64-bit times at other offsets than version 0.
float FrameRate(const Payload& mvhd, std::uint64_t samples) {
    if (!mvhd || mvhd->empty()) {
        return -1.0f;
    }
    const std::vector<std::uint8_t>& payload = *mvhd;
    const bool version1 = payload[0] == 1;
    if (payload.size() < (version1 ? 32u : 20u)) {
        return -1.0f;
    }
    const std::uint64_t time_scale = BigEndianAt(payload, version1 ? 20 : 12, 4);
    const std::uint64_t duration = BigEndianAt(payload, version1 ? 24 : 16, version1 ? 8 : 4);
    if (duration == 0) {
        return -1.0f;
    }
    return static_cast<float>(static_cast<double>(samples) * static_cast<double>(time_scale) /
                              static_cast<double>(duration));
}

std::uint64_t FileBytes(const std::string& path) {
    if (path.empty()) {
        return 0;
    }
    return platform::FileSizeOf(path).value_or(0);
}

std::string Formatted(const char* format, auto... values) {
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, format, values...);
    return std::string(buffer, static_cast<std::size_t>(std::max(length, 0)));
}

std::string MegabytesText(std::uint64_t bytes) {
    return Formatted("%lluMB", static_cast<unsigned long long>(bytes / kBytesPerMegabyte));
}

// The date-time the name carries; nothing when its date and time fields are not digits
// (the name then has no date) or the local-time conversion failed.
std::optional<platform::CalendarTime> NameDateTime(std::string_view path) {
    const std::string_view name = catalogue::FileNameOf(path);
    const auto digits = [&](std::size_t from) {
        if (name.size() < from + 6) {
            return false;
        }
        for (std::size_t i = from; i < from + 6; ++i) {
            if (name[i] < '0' || name[i] > '9') {
                return false;
            }
        }
        return true;
    };
    if (!digits(5) || !digits(12)) {
        return std::nullopt;
    }
    const platform::CalendarTime time = catalogue::MovieDateTime(name);
    if (time == platform::CalendarTime{}) {
        return std::nullopt;
    }
    return time;
}

// Recording time in whole seconds. A rate that cannot divide (no movie header, a time
// scale of 0) gives 0 rather than a negative or undefined time.
int DurationSeconds(std::uint64_t samples, float frame_rate, bool time_lapse) {
    if (time_lapse) {
        samples = static_cast<std::uint64_t>(static_cast<float>(samples) * kTimeLapseFactor);
    }
    if (!(frame_rate > 0.0f) || !std::isfinite(frame_rate)) {
        return 0;
    }
    const float seconds = static_cast<float>(samples) / frame_rate;
    if (!(seconds < static_cast<float>(std::numeric_limits<int>::max()))) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(seconds);
}

std::string FallbackLine(const std::string& name) {
    return name + ",-,-,-,-,-,-,fps,0MB,0MB\r\n";
}

std::string QualityText(char quality) {
    return base::UiString(quality == 'H' ? kHighQualityTextId : kLowQualityTextId);
}

}  // namespace

bool FileHeaderReader::ReadHeader(const std::string& path, telemetry::RecordingHeaderInfo& header) {
    return telemetry::ReadHeaderInfo(path, header);
}

CsvRecordingFacts ReadCsvFacts(const RecordingEntry& recording, HeaderReader& reader) {
    CsvRecordingFacts facts;
    facts.front_bytes = FileBytes(recording.front_path);
    facts.rear_bytes = FileBytes(recording.rear_path);
    const std::string& path = recording.primary_path();
    // A recording without a telemetry block keeps this zeroed header: quality 0, shown as
    // low quality.
    telemetry::RecordingHeaderInfo header;
    if (!reader.ReadHeader(path, header)) {
        return facts;
    }
    const auto boxes = ReadCsvBoxes(path);
    const auto height = boxes ? PictureHeight(boxes->stsd) : std::nullopt;
    if (!height) {
        return facts;
    }
    facts.readable = true;
    facts.quality = header.quality;
    facts.height = *height;
    facts.samples = SampleCount(boxes->stts);
    facts.frame_rate = FrameRate(boxes->mvhd, facts.samples);
    return facts;
}

std::string CsvHeaderLine() {
    std::string line;
    for (const int id : kHeadingIds) {
        line += base::UiString(id);
    }
    return line + "\r\n";
}

std::string CsvLine(const RecordingEntry& recording, const CsvRecordingFacts& facts) {
    const std::string& name = recording.primary_name();
    if (!facts.readable) {
        return FallbackLine(name);
    }
    const auto date_time = NameDateTime(name);
    const bool time_lapse = telemetry::IsTimeLapseName(name);
    const int seconds = DurationSeconds(facts.samples, facts.frame_rate, time_lapse);
    const char* height_label = HeightLabel(facts.height);
    const std::string columns[] = {
        name,
        date_time ? Formatted("%04d/%02d/%02d", date_time->year, date_time->month, date_time->day)
                  : "--/--/--",
        date_time
            ? Formatted("%02d:%02d:%02d", date_time->hour, date_time->minute, date_time->second)
            : "--:--:--",
        Formatted("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60),
        catalogue::TriggerLabelOf(name),
        height_label ? height_label : "",
        height_label ? QualityText(facts.quality) : "",
        time_lapse ? base::UiString(kTimeLapseTextId) : Formatted("%.1ffps", facts.frame_rate),
        MegabytesText(facts.front_bytes),
        MegabytesText(facts.rear_bytes),
    };
    std::string line;
    for (const std::string& column : columns) {
        line += line.empty() ? column : "," + column;
    }
    return line + "\r\n";
}

std::string CsvFileName(const catalogue::RecordingList& recordings) {
    if (recordings.empty()) {
        return {};
    }
    const platform::CalendarTime start =
        catalogue::MovieDateTime(recordings.front().primary_name());
    return Formatted("Dv_%04d%02d%02d_%02d%02d%02d.csv", start.year, start.month, start.day,
                     start.hour, start.minute, start.second);
}

std::optional<std::string> PrepareCsvExport(const catalogue::RecordingList& recordings,
                                            const std::string& folder,
                                            base::MessageBoxes& messages) {
    if (recordings.empty()) {
        messages.Show(base::UiString(kNoMovieFilesTextId), base::kErrorCaption,
                      base::MessageStyle::kOk);
        messages.Show(base::UiString(kCsvNotCreatedTextId), base::kErrorCaption,
                      base::MessageStyle::kOk);
        return std::nullopt;
    }
    std::string path = PathInFolder(folder, CsvFileName(recordings));
    if (platform::PathExists(path) && messages.Show(kSameNameQuestion, base::kQuestionCaption,
                                                    base::MessageStyle::kOkCancel) != 1) {
        return std::nullopt;
    }
    return path;
}

std::string EncodeCsvText(const std::string& utf8_text, const std::string& charset) {
    if (platform::IsUtf8Charset(charset)) {
        return utf8_text;
    }
    return platform::ConvertFromUtf8(utf8_text, charset).value_or(utf8_text);
}

void RunCsvExport(const OperationContext& context, const CsvExportJob& job, HeaderReader& reader) {
    const std::string failure = base::UiString(kCsvNotCreatedTextId);
    platform::PendingFile output;
    std::string cause;
    if (!output.Create(job.output_path, &cause)) {
        context.Finish(OperationResult::kFailed, AppMessage::kCsvCompleted, failure, cause);
        return;
    }
    // The lines are collected first: the encoding is chosen for the whole text, and the
    // file appears under its name only complete.
    std::string text = CsvHeaderLine();
    const auto count = static_cast<std::int64_t>(job.recordings.size());
    for (std::int64_t index = 0; index < count; ++index) {
        if (!context.running()) {
            output.Abort();
            context.Finish(OperationResult::kStopped, AppMessage::kCsvCompleted, failure);
            return;
        }
        const RecordingEntry& recording = job.recordings[static_cast<std::size_t>(index)];
        text += CsvLine(recording, ReadCsvFacts(recording, reader));
        context.PostProgress(index, count);
    }
    context.PostProgress(count, count);
    const std::string charset = job.charset.empty() ? platform::UserCharset() : job.charset;
    if (!output.Write(EncodeCsvText(text, charset), &cause) || !output.Commit(true, &cause)) {
        context.Finish(OperationResult::kFailed, AppMessage::kCsvCompleted, failure, cause);
        return;
    }
    context.Finish(OperationResult::kCompleted, AppMessage::kCsvCompleted, failure);
}

OperationRunner::Worker CsvExportWorker(CsvExportJob job, std::shared_ptr<HeaderReader> reader) {
    return [job = std::move(job), reader = std::move(reader)](const OperationContext& context) {
        RunCsvExport(context, job, *reader);
    };
}

bool RememberCsvFolder(const std::string& folder) {
    return base::WriteSetting(kFolderSection, kCsvFolderKey, folder);
}

}  // namespace ardelle::fileops
