#pragma once

#include <QAbstractTableModel>
#include <QLabel>

#include <memory>
#include <optional>

#include "base/user_dialogs.h"
#include "browser/file_select_rows.h"
#include "browser/skin_list_ctrl.h"
#include "fileops/file_selection.h"
#include "skin/skin_button.h"
#include "skin/skin_check_button.h"
#include "skin/skin_dialog.h"

namespace ardelle::browser {

// The file-selection dialog's rows as a three-column table: name, front size, rear size.
class FileSelectModel : public QAbstractTableModel {
  public:
    explicit FileSelectModel(QObject* parent) : QAbstractTableModel(parent) {}
    void SetRows(FileSelectRows* rows);
    void Changed();
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    FileSelectRows* rows_ = nullptr;
};

// The dialog in which the user ticks the recordings of a delete, a download or a join:
// the node's recordings (or, with show all, the source's), select all shown, the totals,
// and in a join the one-run rule and the size and count limits.
class CFileSelectDlg : public skin::CSkinDialog, public fileops::FileSelection {
  public:
    CFileSelectDlg(QWidget* owner, base::MessageBoxes* boxes);
    ~CFileSelectDlg() override;

    std::optional<catalogue::RecordingList> Choose(fileops::SelectMode mode,
                                                   const catalogue::RecordingList& node_records,
                                                   const catalogue::RecordingList& source_records,
                                                   bool still_list) override;

    // The steps of Choose, for a caller that runs the dialog itself: the lists loaded (the
    // 1500 notices shown), the rows filled, title and buttons set.
    void Prepare(fileops::SelectMode mode, const catalogue::RecordingList& node_records,
                 const catalogue::RecordingList& source_records, bool still_list);
    // The OK button: closes with the ticked rows unless a join limit keeps it open.
    void Confirm();
    void ClickRow(int row);
    void ToggleShowAll();
    void ToggleSelectAll();

    const FileSelectRows& rows() const { return *rows_; }
    const catalogue::RecordingList& selected() const { return selected_; }
    skin::CSkinButton* ok_button() const { return ok_; }
    skin::CSkinCheckButton* show_all_button() const { return show_all_; }
    skin::CSkinCheckButton* select_all_button() const { return select_all_; }
    QLabel* total_field() const { return total_; }
    QLabel* rear_total_field() const { return rear_total_; }
    CSkinListCtrl* list() const { return list_; }

  protected:
    void Relayout() override;

  private:
    void Refresh();

    base::MessageBoxes* boxes_;
    std::unique_ptr<FileSelectRows> rows_;
    FileSelectModel* model_ = nullptr;
    CSkinListCtrl* list_ = nullptr;
    skin::CSkinButton* ok_ = nullptr;
    skin::CSkinCheckButton* show_all_ = nullptr;
    skin::CSkinCheckButton* select_all_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* rear_total_ = nullptr;
    catalogue::RecordingList selected_;
};

}  // namespace ardelle::browser
