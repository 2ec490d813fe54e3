#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/user_dialogs.h"
#include "catalogue/source_open.h"
#include "skin/skin_button.h"
#include "skin/skin_check_button.h"
#include "skin/skin_dialog.h"

namespace ardelle::browser {

// The platform's folder and file choosers, behind a seam so tests answer them.
class SourceBrowseDialogs {
  public:
    virtual ~SourceBrowseDialogs() = default;
    // The chosen folder or file, empty when the user cancelled.
    virtual std::string PickFolder(QWidget* owner, const std::string& start,
                                   const std::string& title) = 0;
    virtual std::string PickFile(QWidget* owner, const std::string& start,
                                 const std::string& filter) = 0;
};

// The choosers of the desktop (native where the desktop offers them).
class QtSourceBrowseDialogs : public SourceBrowseDialogs {
  public:
    std::string PickFolder(QWidget* owner, const std::string& start,
                           const std::string& title) override;
    std::string PickFile(QWidget* owner, const std::string& start,
                         const std::string& filter) override;
};

// The candidate cards: mounted removable volumes that carry the recorder's folders.
std::vector<std::string> CardDrives();

// The source dialog: a card drive, a folder or one file, remembered in the settings. The
// drive list follows volumes mounted and unmounted while it is open; every path is checked
// before the dialog closes with it.
class CSourceOpenDlg : public skin::CSkinDialog {
  public:
    using DriveLister = std::function<std::vector<std::string>()>;

    CSourceOpenDlg(QWidget* owner, base::MessageBoxes* boxes, SourceBrowseDialogs* browse,
                   DriveLister drives = CardDrives);

    catalogue::SourceKind kind() const { return kind_; }
    // The path of the chosen kind.
    std::string ChosenPath() const;
    const std::string& drive() const { return drive_; }
    const std::string& folder_path() const { return folder_path_; }
    const std::string& file_path() const { return file_path_; }

    void Choose(catalogue::SourceKind kind);
    void BrowseFolder();
    void BrowseFile();
    // The OK button: the path checked, the choice written to the settings, closed with OK.
    void Confirm();
    // The drive list read again (the poll's step).
    void RefreshDrives();

    QComboBox* drive_box() const { return drive_box_; }
    QLineEdit* folder_edit() const { return folder_edit_; }
    QLineEdit* file_edit() const { return file_edit_; }
    skin::CSkinButton* ok_button() const { return ok_; }
    skin::CSkinCheckButton* choice_button(int kind) const {
        return choices_[static_cast<std::size_t>(kind - 1)];
    }

  protected:
    void Relayout() override;

  private:
    void ReadEdits();
    void UpdateOk();
    bool CheckChoice();

    base::MessageBoxes* boxes_;
    SourceBrowseDialogs* browse_;
    DriveLister drives_;
    std::array<skin::CSkinCheckButton*, 3> choices_{};
    QComboBox* drive_box_ = nullptr;
    QLineEdit* folder_edit_ = nullptr;
    QLineEdit* file_edit_ = nullptr;
    skin::CSkinButton* folder_browse_ = nullptr;
    skin::CSkinButton* file_browse_ = nullptr;
    skin::CSkinButton* ok_ = nullptr;
    QTimer drive_poll_;
    std::vector<std::string> shown_drives_;
    catalogue::SourceKind kind_ = catalogue::SourceKind::kCard;
    std::string drive_;
    std::string folder_path_;
    std::string file_path_;
    bool confirmed_ = false;
};

}  // namespace ardelle::browser
