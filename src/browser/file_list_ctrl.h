#pragma once

#include <QListView>
#include <QStyledItemDelegate>

#include <functional>

#include "browser/recording_list_model.h"

namespace ardelle::browser {

// The colours of a recording row.
struct RowColours {
    QColor fill;
    QColor text;
};
RowColours RowColoursFor(int trigger_class, bool current);

// Paints one row of the recording list: the class colour, a grey frame, the label.
class RecordingRowDelegate : public QStyledItemDelegate {
  public:
    explicit RecordingRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The list of recordings of the selected tree node: single selection, rows 20 units high,
// always a vertical scroll bar, no header. It reports a newly selected row.
class CFileListCtrl : public QListView {
  public:
    CFileListCtrl(bool stills, QWidget* parent);

    RecordingListModel& model_rows() { return model_; }
    const RecordingListModel& model_rows() const { return model_; }
    int RowCount() const { return model_.rowCount(); }
    // Selects and focuses row (no report), or only scrolls when row is outside the list.
    void SelectRow(int row);
    int SelectedRow() const;
    // Called with the row the user (or SelectRow) newly selected.
    void SetRowSelected(std::function<void(int)> callback) { row_selected_ = std::move(callback); }
    bool clicked() const { return clicked_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    RecordingListModel model_;
    std::function<void(int)> row_selected_;
    bool clicked_ = false;
    bool quiet_ = false;
};

}  // namespace ardelle::browser
