#pragma once

#include <QAbstractListModel>

#include "catalogue/recording_entry.h"
#include "catalogue/recording_order.h"

namespace ardelle::browser {

// The shown rows of a recording list: the records of the selected tree node passed through
// the trigger filters. It keeps its own filtered copy; the view asks it for each row's text
// and class, so thousands of rows cost no widgets.
class RecordingListModel : public QAbstractListModel {
  public:
    enum Role { kTriggerClassRole = Qt::UserRole + 1, kCurrentRole, kJoinedRole };

    explicit RecordingListModel(bool stills, QObject* parent = nullptr);

    // The rows again from records and the switches (the movie or the still filter).
    void Refill(const catalogue::RecordingList& records,
                const catalogue::TriggerSwitches& switches);
    void Clear();

    const catalogue::RecordingList& shown() const { return shown_; }
    bool stills() const { return stills_; }
    // The row the main window plays (-1 none); drawn in the current colours.
    int current() const { return current_; }
    void SetCurrent(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    bool stills_;
    int current_ = -1;
    catalogue::RecordingList shown_;
};

}  // namespace ardelle::browser
