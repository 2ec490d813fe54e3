#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/recording_entry.h"
#include "fileops/operation_runner.h"
#include "fileops/output_folder.h"
#include "telemetry/samples.h"

namespace ardelle::base {
class MessageBoxes;
}

namespace ardelle::fileops {

// UI texts of the export.
inline constexpr int kNoMovieFilesTextId = 99;   // "動画ファイルがありません。"
inline constexpr int kCsvNotCreatedTextId = 93;  // "CSVファイルが作成できません。"
inline constexpr int kOutputFolderPromptTextId = 101;  // "出力先フォルダーを選択してください。"

inline constexpr char kCsvFolderKey[] = "CSV_FOLDER";

// Reads the telemetry header of one recording for the export. The window's reader holds
// player 0's lock while it reads (and fails while player 0 is not initialised); headless
// callers read the file directly.
class HeaderReader {
  public:
    virtual ~HeaderReader() = default;
    // False when the file cannot be opened and mapped. A file without a telemetry block
    // succeeds and leaves header as it was.
    virtual bool ReadHeader(const std::string& path, telemetry::RecordingHeaderInfo& header) = 0;
};

// The plain reader: the file alone, no player involved.
class FileHeaderReader final : public HeaderReader {
  public:
    bool ReadHeader(const std::string& path, telemetry::RecordingHeaderInfo& header) override;
};

// What one CSV line needs from a recording's files.
struct CsvRecordingFacts {
    // The header and a box tree with a sample description could be read; else the line is
    // the fallback line with the file name alone.
    bool readable = false;
    char quality = 0;  // header byte 23; 0 when the file has no telemetry block
    std::uint16_t height = 0;
    std::uint64_t samples = 0;  // the sample counts of the first time-to-sample table
    float frame_rate = -1.0f;   // -1 when the movie header gives no usable rate
    std::uint64_t front_bytes = 0;
    std::uint64_t rear_bytes = 0;
};

// Reads the telemetry header (through reader), the box tree of the primary file and the
// sizes of both files.
CsvRecordingFacts ReadCsvFacts(const catalogue::RecordingEntry& recording, HeaderReader& reader);

// The heading line and the line of one recording, UTF-8, each ending in CR LF.
std::string CsvHeaderLine();
std::string CsvLine(const catalogue::RecordingEntry& recording, const CsvRecordingFacts& facts);

// "Dv_%Y%m%d_%H%M%S.csv" of the start of the first recording; empty for an empty list.
std::string CsvFileName(const catalogue::RecordingList& recordings);

// The command's checks before the export runs: an empty list shows its two errors, an
// existing output file asks whether to go on. The output path when the export may run.
std::optional<std::string> PrepareCsvExport(const catalogue::RecordingList& recordings,
                                            const std::string& folder,
                                            base::MessageBoxes& messages);

// The bytes written for the text: converted to charset when the set can represent every
// character of it, else the UTF-8 text unchanged, so a file is always in one encoding
// and never loses a character (the C locale, whose set is ASCII, thus gets UTF-8).
std::string EncodeCsvText(const std::string& utf8_text, const std::string& charset);

// One export: the recordings in list order into output_path.
struct CsvExportJob {
    catalogue::RecordingList recordings;
    std::string output_path;
    std::string charset;  // empty: the locale's character set (platform::UserCharset)
};

// The export worker; the window has stopped playback and closed the players before it
// runs it. The whole file is written under a temporary name and renamed into place only
// when complete: a stopped or failed export leaves no file behind (and never a list cut
// short under the final name). Progress (index, count) per recording, then
// (count, count); completion is kCsvCompleted.
void RunCsvExport(const OperationContext& context, const CsvExportJob& job, HeaderReader& reader);
OperationRunner::Worker CsvExportWorker(CsvExportJob job, std::shared_ptr<HeaderReader> reader);

// The window's completion step: the folder becomes the picker's next starting folder.
bool RememberCsvFolder(const std::string& folder);

}  // namespace ardelle::fileops
