#include "browser/file_select_dlg.h"

#include <QHeaderView>

#include "base/ui_text.h"
#include "browser/msg_box.h"
#include "skin/skin.h"

namespace ardelle::browser {
namespace {

constexpr int kOkCommand = 1;
constexpr int kCloseCommand = 21;
constexpr int kTooManyShownText = 103;
constexpr int kNameColumnText = 46;
constexpr int kFrontColumnText = 145;
constexpr int kRearColumnText = 146;
constexpr int kShowAllText = 52;
constexpr int kSelectAllText = 51;

QString Text(int id) {
    return QString::fromUtf8(base::UiText(id));
}

struct ModeTexts {
    int title;
    int ok;
};

ModeTexts TextsOf(fileops::SelectMode mode) {
    switch (mode) {
        case fileops::SelectMode::kDelete:
            return {43, 43};
        case fileops::SelectMode::kDownload:
            return {39, 49};
        case fileops::SelectMode::kJoin:
            return {40, 41};
    }
    return {43, 43};
}

}  // namespace

void FileSelectModel::SetRows(FileSelectRows* rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

void FileSelectModel::Changed() {
    beginResetModel();
    endResetModel();
}

int FileSelectModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || rows_ == nullptr ? 0 : rows_->row_count();
}

int FileSelectModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant FileSelectModel::data(const QModelIndex& index, int role) const {
    if (rows_ == nullptr || !index.isValid() || index.row() >= rows_->row_count()) {
        return {};
    }
    const catalogue::RecordingEntry& entry = rows_->record(index.row());
    const bool joined_mark = rows_->mode() == fileops::SelectMode::kJoin && entry.joined_mark == 1;
    switch (role) {
        case Qt::DisplayRole:
            return index.column() == 0 ? QString::fromStdString(rows_->RowName(index.row()))
                   : index.column() == 1
                       ? QString::fromStdString(FileSelectRows::SizeText(entry.data_size_front))
                       : QString::fromStdString(FileSelectRows::SizeText(entry.data_size_rear));
        case Qt::TextAlignmentRole:
            return static_cast<int>(index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight);
        case CSkinListCtrl::kCheckRole:
            return rows_->state(index.row());
        case CSkinListCtrl::kRowColourRole:
            return joined_mark ? QVariant(QColor(255, 0, 255)) : QVariant();
        case CSkinListCtrl::kRowFillRole:
            return joined_mark ? QVariant(QColor(255, 255, 0)) : QVariant();
        default:
            return {};
    }
}

QVariant FileSelectModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return Text(section == 0   ? kNameColumnText
                    : section == 1 ? kFrontColumnText
                                   : kRearColumnText);
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>((section == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    return {};
}

CFileSelectDlg::CFileSelectDlg(QWidget* owner, base::MessageBoxes* boxes)
    : CSkinDialog(owner), boxes_(boxes) {
    const skin::Skin& skin = skin::Skin::Instance();
    setModal(true);
    setObjectName(QStringLiteral("file_select_dialog"));
    SetBaseSize(QSize(skin.Scaled(520), skin.Scaled(500)));
    resize(base_size());
    CreateCloseButton(kCloseCommand);
    model_ = new FileSelectModel(this);
    list_ = new CSkinListCtrl(this);
    list_->setModel(model_);
    list_->setFont(skin.Font(skin::FontRole::k10));
    list_->header()->resizeSection(0, skin.Scaled(270));
    list_->header()->resizeSection(1, skin.Scaled(105));
    list_->header()->resizeSection(2, skin.Scaled(90));
    list_->SetRowClicked([this](int row) { ClickRow(row); });
    ok_ = new skin::CSkinButton(QString(), kOkCommand, this);
    ok_->setFont(skin.Font(skin::FontRole::k10));
    connect(ok_, &QAbstractButton::clicked, this, [this] { Confirm(); });
    show_all_ = new skin::CSkinCheckButton(Text(kShowAllText), this);
    select_all_ = new skin::CSkinCheckButton(Text(kSelectAllText), this);
    for (auto* button : {show_all_, select_all_}) {
        button->setFont(skin.Font(skin::FontRole::k10));
    }
    connect(show_all_, &QAbstractButton::clicked, this, [this] { ToggleShowAll(); });
    connect(select_all_, &QAbstractButton::clicked, this, [this] { ToggleSelectAll(); });
    total_ = new QLabel(this);
    rear_total_ = new QLabel(this);
    for (auto* field : {total_, rear_total_}) {
        field->setFont(skin.Font(skin::FontRole::k10));
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    Relayout();
}

CFileSelectDlg::~CFileSelectDlg() = default;

void CFileSelectDlg::Prepare(fileops::SelectMode mode, const catalogue::RecordingList& node_records,
                             const catalogue::RecordingList& source_records, bool still_list) {
    rows_ = std::make_unique<FileSelectRows>(mode, still_list);
    if (!rows_->LoadSourceRecords(source_records)) {
        ShowError(boxes_, kTooManyShownText);
    }
    if (!rows_->LoadNodeRecords(node_records)) {
        ShowError(boxes_, kTooManyShownText);
    }
    rows_->Fill();
    selected_.clear();
    const ModeTexts texts = TextsOf(mode);
    setWindowTitle(Text(texts.title));
    ok_->setText(Text(texts.ok));
    const bool join = mode == fileops::SelectMode::kJoin;
    show_all_->setVisible(!join);
    rear_total_->setVisible(join);
    show_all_->SetChecked(false);
    select_all_->SetChecked(false);
    model_->SetRows(rows_.get());
    Refresh();
}

std::optional<catalogue::RecordingList> CFileSelectDlg::Choose(
    fileops::SelectMode mode, const catalogue::RecordingList& node_records,
    const catalogue::RecordingList& source_records, bool still_list) {
    Prepare(mode, node_records, source_records, still_list);
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return selected_;
}

void CFileSelectDlg::ClickRow(int row) {
    if (rows_ == nullptr) {
        return;
    }
    rows_->Toggle(row);
    Refresh();
}

void CFileSelectDlg::ToggleShowAll() {
    rows_->ToggleShowAll();
    show_all_->SetChecked(rows_->show_all());
    model_->Changed();
    Refresh();
}

void CFileSelectDlg::ToggleSelectAll() {
    rows_->ToggleSelectAll();
    select_all_->SetChecked(rows_->select_all());
    model_->Changed();
    Refresh();
}

void CFileSelectDlg::Refresh() {
    const SelectionTotals totals = rows_->Totals();
    const bool join = rows_->mode() == fileops::SelectMode::kJoin;
    auto paint_size = [](QLabel* field, std::int64_t bytes, bool over) {
        field->setText(QString::fromStdString(FileSelectRows::SizeText(bytes)));
        QPalette colours = field->palette();
        colours.setColor(QPalette::WindowText, over ? QColor(255, 0, 0) : QColor(Qt::black));
        field->setPalette(colours);
    };
    if (join) {
        paint_size(total_, totals.front, rows_->size_over_front());
        paint_size(rear_total_, totals.rear, rows_->size_over_rear());
    } else {
        paint_size(total_, totals.front + totals.rear, false);
    }
    ok_->setEnabled(rows_->OkEnabled());
    list_->viewport()->update();
}

void CFileSelectDlg::Confirm() {
    if (rows_ == nullptr || !rows_->OkEnabled()) {
        return;
    }
    if (const int refusal = rows_->OkRefusal(); refusal != 0) {
        ShowError(boxes_, refusal);
        return;
    }
    selected_ = rows_->Selected();
    accept();
}

void CFileSelectDlg::Relayout() {
    CSkinDialog::Relayout();
    PlaceCloseButton();
    if (list_ == nullptr) {
        return;
    }
    const skin::Skin& skin = skin::Skin::Instance();
    const int w = width();
    const int h = height();
    list_->setGeometry(skin.Scaled(10), skin.Scaled(10) + skin.Scaled(20), w - skin.Scaled(20),
                       h - skin.Scaled(140));
    ok_->setGeometry(w - skin.Scaled(130), h - skin.Scaled(40), skin.Scaled(120), skin.Scaled(30));
    const int below = list_->geometry().bottom() + skin.Scaled(10);
    show_all_->setGeometry(skin.Scaled(10), below, skin.Scaled(220), skin.Scaled(20));
    select_all_->setGeometry(skin.Scaled(10), below + skin.Scaled(26), skin.Scaled(220),
                             skin.Scaled(20));
    total_->setGeometry(w - skin.Scaled(230), below, skin.Scaled(100), skin.Scaled(20));
    rear_total_->setGeometry(w - skin.Scaled(120), below, skin.Scaled(100), skin.Scaled(20));
}

}  // namespace ardelle::browser
