#include "catalogue/delete_intent.h"

#include <optional>
#include <string_view>

#include "catalogue/folder_listing.h"
#include "catalogue/recording_names.h"
#include "platform/files.h"

namespace ardelle::catalogue {
namespace {

constexpr char kRecordName[] = ".ardelle-delete";
constexpr std::string_view kHeader = "ardelle-delete 1 ";
constexpr std::string_view kEnd = "end\n";
constexpr char kAttributeWord[] = "attribute";
constexpr char kListWord[] = "list";

// The folder of a record for moves: the one above the first file's camera folder, or
// higher where the files lie further apart.
std::string RecordFolder(const std::vector<HidingMove>& moves) {
    std::string folder = platform::FolderOf(platform::FolderOf(moves.front().from));
    for (const HidingMove& move : moves) {
        for (const std::string* path : {&move.from, &move.to}) {
            while (!folder.empty() && folder != "/" && path->rfind(folder + "/", 0) != 0) {
                folder = platform::FolderOf(folder);
            }
        }
    }
    return folder;
}

std::string Relative(const std::string& folder, const std::string& path) {
    return folder == "/" ? path.substr(1) : path.substr(folder.size() + 1);
}

std::string RecordText(const std::string& folder, const std::vector<HidingMove>& moves,
                       platform::HidingMethod method) {
    std::string text(kHeader);
    text += method == platform::HidingMethod::kAttributeOnly ? kAttributeWord : kListWord;
    text += '\n';
    for (const HidingMove& move : moves) {
        text += Relative(folder, move.from) + '\t' + Relative(folder, move.to) + '\n';
    }
    return text.append(kEnd);
}

// What a record says; nothing for one that was never completely written, in which case
// no rename had started.
struct ParsedRecord {
    platform::HidingMethod method = platform::HidingMethod::kAttributeOnly;
    std::vector<HidingMove> moves;
};

std::optional<ParsedRecord> ParseRecord(const std::string& folder, std::string_view text) {
    if (!text.starts_with(kHeader) || !text.ends_with(kEnd)) {
        return std::nullopt;
    }
    text.remove_prefix(kHeader.size());
    text.remove_suffix(kEnd.size());
    ParsedRecord record;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (first) {
            first = false;
            if (line != kAttributeWord && line != kListWord) {
                return std::nullopt;
            }
            record.method = line == kAttributeWord ? platform::HidingMethod::kAttributeOnly
                                                   : platform::HidingMethod::kAttributeOrList;
            continue;
        }
        const std::size_t tab = line.find('\t');
        // Names below the record's folder only: a damaged record never moves files elsewhere.
        if (tab == std::string_view::npos || tab == 0 || tab + 1 == line.size() ||
            line.find("..") != std::string_view::npos || line.front() == '/' ||
            line[tab + 1] == '/') {
            return std::nullopt;
        }
        record.moves.push_back(
            {JoinPath(folder, line.substr(0, tab)), JoinPath(folder, line.substr(tab + 1))});
    }
    return record;
}

// Puts a recording back together: every file of a record renamed, or none.
void Settle(const ParsedRecord& record) {
    std::vector<const HidingMove*> done;
    std::vector<const HidingMove*> pending;
    for (const HidingMove& move : record.moves) {
        const bool from = platform::PathExists(move.from);
        const bool to = platform::PathExists(move.to);
        if (to && !from) {
            done.push_back(&move);
        } else if (from && !to) {
            pending.push_back(&move);
        }
    }
    if (!done.empty()) {
        // The user asked for the delete: once it has begun it is finished where it can be.
        bool finished = true;
        for (const HidingMove* move : pending) {
            finished = platform::MoveIntoHiding(move->from, move->to, record.method, nullptr);
            if (!finished) {
                break;
            }
        }
        if (finished) {
            return;
        }
        for (const HidingMove* move : done) {
            platform::MoveOutOfHiding(move->to, move->from, record.method, nullptr);
        }
    }
    // A kill between setting the attribute and the rename leaves the file hidden under its
    // own name, which would hide the recording from every scan.
    for (const HidingMove& move : record.moves) {
        if (platform::PathExists(move.from)) {
            platform::SetHiddenAttribute(move.from, false);
        }
    }
}

void SettleRecordIn(const std::string& folder) {
    const std::string path = JoinPath(folder, kRecordName);
    if (!platform::PathExists(path)) {
        return;
    }
    platform::HeldRecord record;
    const std::optional<std::string> text = record.TakeOver(path);
    if (!text) {
        return;  // absent, or a live delete holds it
    }
    if (const std::optional<ParsedRecord> parsed = ParseRecord(folder, *text)) {
        Settle(*parsed);
    }
    record.Remove();
}

}  // namespace

bool DeleteIntent::Begin(const std::vector<HidingMove>& moves, platform::HidingMethod method,
                         std::string* error) {
    if (moves.empty()) {
        return true;
    }
    for (const HidingMove& move : moves) {
        // One line per move, the names apart by a tab: recorder names never hold either.
        if ((move.from + move.to).find_first_of("\t\n") != std::string::npos) {
            if (error != nullptr) {
                *error = "cannot record the delete of " + move.from +
                         ": its name holds a tab or a line end";
            }
            return false;
        }
    }
    const std::string folder = RecordFolder(moves);
    const std::string path = JoinPath(folder, kRecordName);
    if (!record_.Create(path, RecordText(folder, moves, method), error)) {
        if (error != nullptr && platform::PathExists(path)) {
            *error = "another delete is running in " + folder + "; nothing was deleted";
        }
        return false;
    }
    // The recorder sees dot names; a record left by a kill must not show on its card.
    platform::SetHiddenAttribute(path, true);
    return true;
}

void FinishInterruptedDeletes(const std::string& path) {
    // A group's pseudo-path (folder + '/' + label) stands for its folder.
    const std::string folder = platform::IsDirectory(path) ? path : platform::FolderOf(path);
    if (folder.empty()) {
        return;
    }
    SettleRecordIn(folder);
    const std::string_view name = FileNameOf(folder);
    if (name == "Front" || name == "Rear") {
        SettleRecordIn(platform::FolderOf(folder));
    }
    for (const std::string& listed :
         {folder, JoinPath(folder, "Front"), JoinPath(folder, "Rear")}) {
        platform::RemoveStaleTemporariesOf(JoinPath(listed, ".hidden"));
    }
}

}  // namespace ardelle::catalogue
