#include "browser/list_labels.h"

#include <algorithm>

#include "catalogue/recording_names.h"

namespace ardelle::browser {
namespace {

constexpr std::size_t kMaxLabel = 259;

}  // namespace

std::string TextUntil(std::string_view name, char stop, std::size_t start) {
    const std::string_view file = catalogue::FileNameOf(name);
    if (start >= file.size()) {
        return {};
    }
    const std::string_view rest = file.substr(start);
    const std::size_t end = std::min({rest.find(stop), rest.size(), kMaxLabel});
    return std::string(rest.substr(0, end));
}

std::string MovieListLabel(std::string_view name) {
    if (!catalogue::IsMovieName(name)) {
        return TextUntil(name, '.', 0);
    }
    const std::string_view file = catalogue::FileNameOf(name);
    std::string label(file.substr(0, 4));
    label += '-';
    label += TextUntil(name, '-', 12);
    label += '-';
    if (file.size() > 24) {
        label += file.substr(19, file.size() - 24);
    }
    return label;
}

std::string StillListLabel(const catalogue::RecordingEntry& entry) {
    const std::string& name = entry.primary_name();
    if (!catalogue::IsStillName(name)) {
        return TextUntil(name, '.', 0);
    }
    const std::string_view file = catalogue::FileNameOf(name);
    std::string label(file.substr(0, 2));
    label += '-';
    label += entry.still_time;
    label += '-';
    if (file.size() > 29) {
        label += file.substr(29, 7);
    }
    return label;
}

std::string ListLabel(const catalogue::RecordingEntry& entry, bool stills) {
    return stills ? StillListLabel(entry) : MovieListLabel(entry.primary_name());
}

int RowTriggerClass(const catalogue::RecordingEntry& entry) {
    return catalogue::TriggerClassOf(entry.primary_name());
}

}  // namespace ardelle::browser
