#pragma once

#include <QStyledItemDelegate>
#include <QTreeView>

#include <functional>

namespace ardelle::browser {

// A report list with a check mark per row, drawn by the program. The model gives each
// row's check state (kCheckRole of column 0: 1 not ticked, 3 ticked) and optional row
// colours; a click on a row is handed to the owner, which decides the new states. The row
// under the mouse shows the hover mark while it is not ticked.
class CSkinListCtrl : public QTreeView {
  public:
    static constexpr int kCheckRole = Qt::UserRole + 10;
    static constexpr int kRowColourRole = Qt::UserRole + 11;  // text colour (optional)
    static constexpr int kRowFillRole = Qt::UserRole + 12;    // fill colour (optional)

    explicit CSkinListCtrl(QWidget* parent);

    void SetRowClicked(std::function<void(int)> callback) { row_clicked_ = std::move(callback); }
    int hover_row() const { return hover_row_; }
    // The state a row shows: 2 for an unticked row under the mouse.
    int ShownState(int row) const;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void SetHover(int row);

    std::function<void(int)> row_clicked_;
    int hover_row_ = -1;
};

// Paints the cells of a CSkinListCtrl: the check box in column 0, then the text.
class SkinListDelegate : public QStyledItemDelegate {
  public:
    explicit SkinListDelegate(CSkinListCtrl* list) : QStyledItemDelegate(list), list_(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    CSkinListCtrl* list_;
};

}  // namespace ardelle::browser
