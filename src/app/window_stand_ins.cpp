#include "app/window_stand_ins.h"

#include <QFileDialog>

#include "base/settings.h"
#include "catalogue/movie_resource.h"
#include "catalogue/recording_order.h"
#include "catalogue/source_open.h"

namespace ardelle::app {
namespace {

bool IsMovie(const catalogue::RecordingEntry& entry) {
    return !entry.front_path.empty() || !entry.rear_path.empty();
}

bool IsGroupNode(const catalogue::RecordingEntry& node) {
    const std::string& front = node.front_path;
    return front.size() >= 4 && front.compare(front.size() - 4, 4, ".MP4") == 0;
}

}  // namespace

bool SourceListPort::OpenSource(const std::string& path, catalogue::SourceKind kind) {
    ClearSource();
    const catalogue::CMovieResource resource(nullptr);
    const catalogue::OpenedSource source =
        catalogue::OpenSourceForList(resource, path, kind, false);
    if (!source.opened) {
        return false;
    }
    path_ = path;
    kind_ = static_cast<int>(kind);
    bool own_movies = false;
    for (const catalogue::RecordingEntry& entry : source.entries) {
        own_movies = own_movies || (IsMovie(entry) && entry.sequence >= 0);
    }
    if (own_movies) {
        node_entries_ = source.entries;
        Refilter();
        sink_.Post({AppMessage::kTreeNodeChosen, 0, 0});
        return true;
    }
    const auto& nodes = source.tree.nodes();
    for (std::size_t i = 0; i < nodes.size() && i < source.nodes.size(); ++i) {
        if (IsGroupNode(source.nodes[i])) {
            group_labels_.push_back(nodes[i].text);
        }
    }
    const std::optional<std::size_t> first = NextNodeWithMovies(0);
    if (first) {
        ShowNode(*first);
    }
    return true;
}

void SourceListPort::ClearSource() {
    path_.clear();
    kind_ = 0;
    group_labels_.clear();
    node_ = 0;
    node_entries_.clear();
    shown_.clear();
}

catalogue::RecordingList SourceListPort::CollectSourceRecords() {
    if (group_labels_.empty()) {
        return node_entries_;
    }
    catalogue::RecordingList all;
    for (std::size_t i = 0; i < group_labels_.size(); ++i) {
        const catalogue::RecordingList group = LoadNode(i);
        all.insert(all.end(), group.begin(), group.end());
    }
    return all;
}

catalogue::RecordingList SourceListPort::LoadNode(std::size_t node) const {
    if (node >= group_labels_.size()) {
        return {};
    }
    const catalogue::CMovieResource resource(nullptr);
    int count = 0;
    catalogue::RecordingList group = catalogue::OpenGroupForList(
        resource, path_, group_labels_[node],
        kind_ == static_cast<int>(catalogue::SourceKind::kCard), false, &count);
    std::erase_if(group, [](const catalogue::RecordingEntry& entry) { return !IsMovie(entry); });
    return group;
}

std::optional<std::size_t> SourceListPort::NextNodeWithMovies(std::size_t from) const {
    for (std::size_t i = from; i < group_labels_.size(); ++i) {
        if (!LoadNode(i).empty()) {
            return i;
        }
    }
    return std::nullopt;
}

void SourceListPort::ShowNode(std::size_t node) {
    node_ = node;
    node_entries_ = LoadNode(node);
    Refilter();
    sink_.Post({AppMessage::kTreeNodeChosen, 0, 0});
}

bool SourceListPort::HasNextNode() const {
    return !group_labels_.empty() && NextNodeWithMovies(node_ + 1).has_value();
}

bool SourceListPort::SelectNextNode() {
    const std::optional<std::size_t> next =
        group_labels_.empty() ? std::nullopt : NextNodeWithMovies(node_ + 1);
    if (!next) {
        return false;
    }
    ShowNode(*next);
    return true;
}

void SourceListPort::SetTriggerFilter(int filter, bool on) {
    if (filter >= 0 && filter < static_cast<int>(switches_.size())) {
        switches_[static_cast<std::size_t>(filter)] = on ? 1 : 0;
        Refilter();
    }
}

bool SourceListPort::TriggerFilter(int filter) const {
    return filter >= 0 && filter < static_cast<int>(switches_.size()) &&
           switches_[static_cast<std::size_t>(filter)] != 0;
}

void SourceListPort::Refilter() {
    shown_ = catalogue::FilterMovies(node_entries_, switches_);
    std::erase_if(shown_, [](const catalogue::RecordingEntry& entry) { return !IsMovie(entry); });
}

void QtControllerTimers::Start(int id, int period_ms, bool single_shot) {
    std::unique_ptr<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] { on_timer_(id); });
    }
    timer->setSingleShot(single_shot);
    timer->start(period_ms);
}

void QtControllerTimers::Kill(int id) {
    if (auto it = timers_.find(id); it != timers_.end()) {
        it->second->stop();
    }
}

std::string QtFolderPicker::PickFolder(std::string_view section, std::string_view key,
                                       std::string_view title) {
    const std::string stored = base::ReadSetting(std::string(section), std::string(key));
    const std::string start = stored.empty() ? base::AppFolder() : stored;
    const QString chosen = QFileDialog::getExistingDirectory(
        parent_, QString::fromUtf8(title.data(), static_cast<int>(title.size())),
        QString::fromStdString(start));
    return chosen.isEmpty() ? start : chosen.toStdString();
}

}  // namespace ardelle::app
