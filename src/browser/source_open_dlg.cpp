#include "browser/source_open_dlg.h"

#include <QFileDialog>
#include <QStorageInfo>

#include "base/settings.h"
#include "base/ui_text.h"
#include "browser/msg_box.h"
#include "catalogue/card_layout.h"
#include "catalogue/recording_names.h"
#include "platform/files.h"
#include "skin/skin.h"

namespace ardelle::browser {
namespace {

using catalogue::SourceKind;

constexpr int kCloseCommand = 22;
constexpr int kOkCommand = 1;
constexpr int kTitleText = 132;
constexpr int kCardText = 133;
constexpr int kFolderText = 131;
constexpr int kFileText = 130;
constexpr int kPickFolderText = 102;
constexpr int kFolderFailedText = 95;
constexpr int kMovieFailedText = 96;
constexpr int kDrivePollMs = 1000;
constexpr char kFileFilter[] =
    "Files(*.mp4 *.jpg *.MP4 *.JPG);;Movie Files(*.mp4 *.MP4);;Picture Files(*.jpg *.JPG);;"
    "All Files(*)";

QString Text(int id) {
    return QString::fromUtf8(base::UiText(id));
}

QString DriveLabel(const std::string& root) {
    const QStorageInfo volume(QString::fromStdString(root));
    const QString name = volume.name();
    return name.isEmpty() ? QString::fromStdString(root)
                          : QStringLiteral("%1 (%2)").arg(QString::fromStdString(root), name);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string QtSourceBrowseDialogs::PickFolder(QWidget* owner, const std::string& start,
                                              const std::string& title) {
    return QFileDialog::getExistingDirectory(owner, QString::fromStdString(title),
                                             QString::fromStdString(start))
        .toStdString();
}

std::string QtSourceBrowseDialogs::PickFile(QWidget* owner, const std::string& start,
                                            const std::string& filter) {
    return QFileDialog::getOpenFileName(owner, QString(), QString::fromStdString(start),
                                        QString::fromStdString(filter))
        .toStdString();
}

std::vector<std::string> CardDrives() {
    std::vector<std::string> cards;
    for (const std::string& root : catalogue::RemovableDrives()) {
        if (catalogue::HasCardLayout(root)) {
            cards.push_back(root);
        }
    }
    return cards;
}

CSourceOpenDlg::CSourceOpenDlg(QWidget* owner, base::MessageBoxes* boxes,
                               SourceBrowseDialogs* browse, DriveLister drives)
    : CSkinDialog(owner), boxes_(boxes), browse_(browse), drives_(std::move(drives)) {
    const skin::Skin& skin = skin::Skin::Instance();
    setModal(true);
    setObjectName(QStringLiteral("source_open_dialog"));
    setWindowTitle(Text(kTitleText));
    setFont(skin.Font(skin::FontRole::k10));
    SetBaseSize(QSize(skin.Scaled(540), skin.Scaled(250)));
    resize(base_size());
    CreateCloseButton(kCloseCommand);
    const std::array<int, 3> texts{kCardText, kFolderText, kFileText};
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        choices_[i] = new skin::CSkinCheckButton(Text(texts[i]), this);
        connect(choices_[i], &QAbstractButton::clicked, this,
                [this, i] { Choose(static_cast<SourceKind>(i + 1)); });
    }
    drive_box_ = new QComboBox(this);
    connect(drive_box_, &QComboBox::activated, this, [this](int) {
        drive_ = drive_box_->currentData().toString().toStdString();
        Choose(SourceKind::kCard);
    });
    folder_edit_ = new QLineEdit(this);
    file_edit_ = new QLineEdit(this);
    connect(folder_edit_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    connect(file_edit_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    folder_browse_ = new skin::CSkinButton(QStringLiteral("..."), 39003, this);
    file_browse_ = new skin::CSkinButton(QStringLiteral("..."), 39004, this);
    connect(folder_browse_, &QAbstractButton::clicked, this, [this] { BrowseFolder(); });
    connect(file_browse_, &QAbstractButton::clicked, this, [this] { BrowseFile(); });
    ok_ = new skin::CSkinButton(QStringLiteral("OK"), kOkCommand, this);
    connect(ok_, &QAbstractButton::clicked, this, [this] { Confirm(); });

    RefreshDrives();
    if (drive_box_->count() > 0) {
        drive_box_->setCurrentIndex(drive_box_->count() - 1);
    }
    folder_path_ = base::ReadSetting("SOURCE", "FOLDER");
    file_path_ = base::ReadSetting("SOURCE", "FILE");
    drive_ = base::ReadSetting("SOURCE", "SD");
    folder_edit_->setText(QString::fromStdString(folder_path_));
    file_edit_->setText(QString::fromStdString(file_path_));
    const std::string select = base::ReadSetting("SOURCE", "SELECT");
    Choose(select == "FOLDER" ? SourceKind::kFolder
           : select == "FILE" ? SourceKind::kFile
                              : SourceKind::kCard);
    connect(&drive_poll_, &QTimer::timeout, this, [this] { RefreshDrives(); });
    drive_poll_.start(kDrivePollMs);
    Relayout();
}

void CSourceOpenDlg::RefreshDrives() {
    std::vector<std::string> now = drives_ ? drives_() : std::vector<std::string>{};
    if (now == shown_drives_) {
        return;
    }
    const QString kept = drive_box_->currentData().toString();
    drive_box_->clear();
    for (const std::string& root : now) {
        drive_box_->addItem(DriveLabel(root), QString::fromStdString(root));
    }
    // A pulled card drops out; the choice stays on a drive that is still there.
    const int again = drive_box_->findData(kept);
    drive_box_->setCurrentIndex(again >= 0 ? again : drive_box_->count() - 1);
    shown_drives_ = std::move(now);
    UpdateOk();
}

void CSourceOpenDlg::ReadEdits() {
    folder_path_ = folder_edit_->text().toStdString();
    file_path_ = file_edit_->text().toStdString();
}

void CSourceOpenDlg::Choose(SourceKind kind) {
    ReadEdits();
    kind_ = kind;
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        choices_[i]->SetChecked(static_cast<int>(i) + 1 == static_cast<int>(kind));
    }
    UpdateOk();
}

void CSourceOpenDlg::UpdateOk() {
    bool ready = false;
    switch (kind_) {
        case SourceKind::kCard:
            ready = drive_box_->currentIndex() >= 0;
            break;
        case SourceKind::kFolder:
            ready = !folder_edit_->text().isEmpty();
            break;
        case SourceKind::kFile:
            ready = !file_edit_->text().isEmpty();
            break;
    }
    ok_->setEnabled(ready);
}

void CSourceOpenDlg::BrowseFolder() {
    // The chooser starts in the remembered folder.
    const std::string start = folder_edit_->text().isEmpty() ? base::ReadSetting("SOURCE", "FOLDER")
                                                             : folder_edit_->text().toStdString();
    const std::string chosen =
        browse_ == nullptr ? std::string()
                           : browse_->PickFolder(this, start.empty() ? base::AppFolder() : start,
                                                 base::UiString(kPickFolderText));
    if (!chosen.empty()) {
        folder_edit_->setText(QString::fromStdString(chosen));
        Choose(SourceKind::kFolder);
    }
}

void CSourceOpenDlg::BrowseFile() {
    std::string start = FolderOf(file_edit_->text().toStdString());
    if (start.empty()) {
        start = base::ReadSetting("SOURCE", "FOLDER");
    }
    const std::string chosen =
        browse_ == nullptr ? std::string() : browse_->PickFile(this, start, kFileFilter);
    if (chosen.empty()) {
        return;
    }
    if (!catalogue::IsMovieName(chosen) && !catalogue::IsStillName(chosen)) {
        ShowError(boxes_, kMovieFailedText);  // the previous file stays
        return;
    }
    file_edit_->setText(QString::fromStdString(chosen));
    Choose(SourceKind::kFile);
}

std::string CSourceOpenDlg::ChosenPath() const {
    switch (kind_) {
        case SourceKind::kCard:
            return drive_;
        case SourceKind::kFolder:
            return folder_path_;
        case SourceKind::kFile:
            return file_path_;
    }
    return {};
}

bool CSourceOpenDlg::CheckChoice() {
    switch (kind_) {
        case SourceKind::kCard:
            if (!platform::IsDirectory(drive_)) {
                ShowError(boxes_, kFolderFailedText);
                return false;
            }
            return true;
        case SourceKind::kFolder:
            if (!platform::IsDirectory(folder_path_)) {
                ShowError(boxes_, kFolderFailedText);
                return false;
            }
            return true;
        case SourceKind::kFile:
            if (!platform::IsRegularFile(file_path_) ||
                (!catalogue::IsMovieName(file_path_) && !catalogue::IsStillName(file_path_))) {
                ShowError(boxes_, kMovieFailedText);
                return false;
            }
            return true;
    }
    return false;
}

void CSourceOpenDlg::Confirm() {
    if (confirmed_ || !ok_->isEnabled()) {
        return;  // a second press while closing opens nothing twice
    }
    if (drive_box_->currentIndex() >= 0) {
        drive_ = drive_box_->currentData().toString().toStdString();
    }
    ReadEdits();
    if (!CheckChoice()) {
        return;
    }
    switch (kind_) {
        case SourceKind::kCard:
            base::WriteSetting("SOURCE", "SELECT", "SD");
            base::WriteSetting("SOURCE", "SD", drive_);
            break;
        case SourceKind::kFolder:
            base::WriteSetting("SOURCE", "SELECT", "FOLDER");
            base::WriteSetting("SOURCE", "FOLDER", folder_path_);
            break;
        case SourceKind::kFile:
            base::WriteSetting("SOURCE", "SELECT", "FILE");
            base::WriteSetting("SOURCE", "FILE", file_path_);
            break;
    }
    confirmed_ = true;
    drive_poll_.stop();
    accept();
}

void CSourceOpenDlg::Relayout() {
    CSkinDialog::Relayout();
    PlaceCloseButton();
    if (ok_ == nullptr) {
        return;
    }
    const skin::Skin& skin = skin::Skin::Instance();
    for (int r = 1; r <= 3; ++r) {
        const int y = r * skin.Scaled(50);
        const int h = skin.Scaled(26);
        choices_[static_cast<std::size_t>(r - 1)]->setGeometry(skin.Scaled(30), y, skin.Scaled(120),
                                                               h);
        QWidget* field = r == 1   ? static_cast<QWidget*>(drive_box_)
                         : r == 2 ? static_cast<QWidget*>(folder_edit_)
                                  : static_cast<QWidget*>(file_edit_);
        field->setGeometry(skin.Scaled(150), y, skin.Scaled(300), h);
        if (r > 1) {
            (r == 2 ? folder_browse_ : file_browse_)
                ->setGeometry(skin.Scaled(470), y, skin.Scaled(40), h);
        }
    }
    ok_->setGeometry(skin.Scaled(410), skin.Scaled(200), skin.Scaled(100), skin.Scaled(26));
}

}  // namespace ardelle::browser
