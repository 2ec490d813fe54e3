#include "browser/recording_list_model.h"

#include "browser/list_labels.h"

namespace ardelle::browser {

RecordingListModel::RecordingListModel(bool stills, QObject* parent)
    : QAbstractListModel(parent), stills_(stills) {}

void RecordingListModel::Refill(const catalogue::RecordingList& records,
                                const catalogue::TriggerSwitches& switches) {
    beginResetModel();
    shown_ = stills_ ? catalogue::FilterStills(records, switches)
                     : catalogue::FilterMovies(records, switches);
    if (current_ >= static_cast<int>(shown_.size())) {
        current_ = -1;
    }
    endResetModel();
}

void RecordingListModel::Clear() {
    beginResetModel();
    shown_.clear();
    current_ = -1;
    endResetModel();
}

void RecordingListModel::SetCurrent(int row) {
    const int previous = current_;
    current_ = row;
    for (const int changed : {previous, row}) {
        if (changed >= 0 && changed < rowCount()) {
            emit dataChanged(index(changed), index(changed), {kCurrentRole});
        }
    }
}

int RecordingListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant RecordingListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const catalogue::RecordingEntry& entry = shown_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(ListLabel(entry, stills_));
        case kTriggerClassRole:
            return RowTriggerClass(entry);
        case kCurrentRole:
            return index.row() == current_;
        case kJoinedRole:
            return entry.joined_mark == 1;
        default:
            return {};
    }
}

}  // namespace ardelle::browser
