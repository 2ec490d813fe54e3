#include "browser/filer_container_dlg.h"

#include <QPainter>
#include <QRegularExpression>

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

const QColor kPanelBackground(49, 49, 49);
const QColor kPanelFrame(170, 170, 170);
// The label text ids of the seven switches, in switch order.
constexpr std::array<int, 7> kFilterLabels{152, 156, 155, 182, 157, 158, 153};
constexpr int kCountText = 33;
constexpr int kZoomPromptText = 180;
constexpr int kFolderFailedText = 95;
constexpr int kMovieFailedText = 96;

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

}  // namespace

// Forwards the watcher's notice to whatever sink the window has by then.
class CFilerContainerDlg::WatcherSink : public MessageSink {
  public:
    explicit WatcherSink(CFilerContainerDlg* owner) : owner_(owner) {}
    void Post(const PostedMessage& message) override {
        if (owner_->sink_ != nullptr) {
            owner_->sink_->Post(message);
        }
    }

  private:
    CFilerContainerDlg* owner_;
};

CFilerContainerDlg::CFilerContainerDlg(bool stills, QWidget* parent)
    : QWidget(parent),
      stills_(stills),
      watcher_sink_(std::make_unique<WatcherSink>(this)),
      resource_(std::make_unique<catalogue::CMovieResource>(watcher_sink_.get())) {
    const skin::Skin& skin = skin::Skin::Instance();
    tree_ = new CFolderTreeCtrl(this);
    tree_->SetNodeChosen([this](const QModelIndex& node) { NodeChosen(node); });
    list_ = new CFileListCtrl(stills, this);
    list_->SetRowSelected([this](int row) { RowSelected(row); });
    path_line_ = new QLineEdit(this);
    path_line_->setReadOnly(true);
    path_line_->setFont(skin.Font(skin::FontRole::k9));
    path_line_->hide();
    for (std::size_t i = 0; i < filter_buttons_.size(); ++i) {
        auto* button =
            new skin::CSkinCheckButton(QString::fromUtf8(base::UiText(kFilterLabels[i])), this);
        button->setFont(skin.Font(skin::FontRole::k9));
        button->SetChecked(true);
        connect(button, &QAbstractButton::clicked, this, [this, i] {
            const int filter = static_cast<int>(i);
            if (command_) {
                command_(kFilterCommandBase + filter);
            } else {
                SetTriggerFilter(filter, !TriggerFilter(filter));
            }
        });
        filter_buttons_[i] = button;
    }
}

CFilerContainerDlg::~CFilerContainerDlg() = default;

void CFilerContainerDlg::Post(AppMessage id, std::int64_t wparam) {
    if (sink_ != nullptr) {
        sink_->Post(PostedMessage{id, wparam, stills_ ? 1 : 0});
    }
}

bool CFilerContainerDlg::CheckSource(const std::string& path, SourceKind kind) {
    if (kind == SourceKind::kFile) {
        const bool name_ok = stills_ ? catalogue::IsStillName(path) : catalogue::IsMovieName(path);
        if (!platform::IsRegularFile(path) || !name_ok) {
            ShowError(boxes_, kMovieFailedText);
            return false;
        }
        return true;
    }
    if (path.empty() || !platform::IsDirectory(path)) {
        ShowError(boxes_, kFolderFailedText);
        return false;
    }
    return true;
}

bool CFilerContainerDlg::OpenSource(const std::string& given, SourceKind kind) {
    const std::string path = WithoutTrailingSlash(given);
    if (!CheckSource(path, kind)) {
        return false;
    }
    ClearSource();
    source_path_ = path;
    source_kind_ = static_cast<int>(kind);
    if (!ScanSource(path, kind)) {
        source_path_.clear();
        source_kind_ = 0;
        return false;
    }
    return true;
}

bool CFilerContainerDlg::ScanSource(const std::string& path, SourceKind kind) {
    catalogue::OpenedSource opened = catalogue::OpenSourceForList(*resource_, path, kind, stills_);
    if (kind == SourceKind::kFile) {
        if (!opened.opened) {
            ShowError(boxes_, kMovieFailedText);
            return false;
        }
        const std::string folder = ParentOf(path);
        tree_->SetRootPath(ParentOf(folder));
        tree_->tree().AddNode({}, std::string(catalogue::FileNameOf(folder)), 0);
        records_ = std::move(opened.entries);
        path_line_->setText(QString::fromStdString(folder));
        Refill();
        SelectRecording(0, false);
        update();
        // The file's one node counts as chosen: the main window opens its recording.
        Post(AppMessage::kTreeNodeChosen, 0);
        return true;
    }
    // A folder's one top node carries the folder's own name, so the root is its parent.
    tree_->SetRootPath(kind == SourceKind::kCard ? path : ParentOf(path));
    resource_->WatchSource(path);
    tree_->setUpdatesEnabled(false);
    tree_->tree().Append({}, opened.tree);
    tree_->ExpandFrom(tree_->tree().index(0, 0));
    tree_->setUpdatesEnabled(true);
    if (kind == SourceKind::kCard) {
        update::RecorderInfo info;
        if (update::ReadRecorderInfo(path, info)) {
            recorder_info_ = info;
        }
    }
    ChoosePreferredNode();
    return true;
}

void CFilerContainerDlg::ChoosePreferredNode() {
    const SourceTreeModel& model = tree_->tree();
    const QRegularExpression top_names(QStringLiteral("Normal|Parking|DRIVE"));
    const QRegularExpression group_name(stills_ ? QStringLiteral("[0-9]{6,6}_[0-9]{3,3}")
                                                : QStringLiteral("[0-9]{6,6}_[0-9]{4,4}"));
    QModelIndex chosen = model.index(0, 0);
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex top = model.index(row, 0);
        if (!top_names.match(top.data().toString()).hasMatch()) {
            continue;
        }
        chosen = top;
        for (int child = 0; child < model.rowCount(top); ++child) {
            if (group_name.match(model.index(child, 0, top).data().toString()).hasMatch()) {
                chosen = model.index(child, 0, top);
                break;
            }
        }
        break;
    }
    if (chosen.isValid()) {
        tree_->SelectNode(QModelIndex(), true);  // the choice counts even on the current node
        tree_->SelectNode(chosen);               // loads it and reports the choice
    }
}

void CFilerContainerDlg::NodeChosen(const QModelIndex& node) {
    if (clearing_tree_) {
        return;
    }
    ShowTreeItem(node, false);
    Post(AppMessage::kTreeNodeChosen, 0);
}

int CFilerContainerDlg::ShowTreeItem(const QModelIndex& node, bool quiet) {
    const std::string folder = tree_->ItemFolderPath(node);
    path_line_->setText(QString::fromStdString(folder));
    records_.clear();
    catalogue::SourceTree children;
    catalogue::RecordingList bare_nodes;
    int count = 0;
    const catalogue::ScanOutput out{children, records_, bare_nodes, &count};
    const bool card = source_kind_ == static_cast<int>(SourceKind::kCard);
    if (stills_) {
        resource_->OpenStillSourceSimple(folder, out, catalogue::kTreeRoot, card, 0);
    } else {
        resource_->OpenMovieSourceSimple(folder, out, catalogue::kTreeRoot, card, 0);
        catalogue::SortEntriesByKind(records_);
    }
    // Rebuilding a node's children must not count as a choice of another node.
    clearing_tree_ = true;
    const QPersistentModelIndex keep_node(node);
    tree_->tree().ReplaceChildren(node, children);
    tree_->expand(keep_node);
    clearing_tree_ = false;
    Refill();
    if (!quiet && !zoom_prompt_) {
        update(CountRect());
    }
    return static_cast<int>(records_.size());
}

void CFilerContainerDlg::Refill() {
    list_->model_rows().Refill(records_, switches_);
    current_index_ = -1;
    update(CountRect());
}

void CFilerContainerDlg::RowSelected(int row) {
    current_index_ = row;
    Post(kListRowSelected, row);
}

void CFilerContainerDlg::SelectRecording(int index, bool keep) {
    keep_ = keep;
    if (index >= 0 && index < list_->RowCount()) {
        current_index_ = index;
    }
    list_->SelectRow(index);
}

void CFilerContainerDlg::SetTriggerFilter(int filter, bool on) {
    if (filter < 0 || filter >= static_cast<int>(switches_.size())) {
        return;
    }
    switches_[static_cast<std::size_t>(filter)] = on ? 1 : 0;
    filter_buttons_[static_cast<std::size_t>(filter)]->SetChecked(on);
    Refill();
    if (list_->RowCount() > 0) {
        SelectRecording(0, false);
    }
}

catalogue::RecordingList CFilerContainerDlg::CollectSourceRecords() {
    source_records_.clear();
    int count = 0;
    std::string folder;
    if (source_kind_ == static_cast<int>(SourceKind::kCard)) {
        folder = tree_->root_path();
    } else if (source_kind_ == static_cast<int>(SourceKind::kFolder)) {
        folder = tree_->ItemFolderPath(tree_->tree().index(0, 0));
    } else if (source_kind_ == static_cast<int>(SourceKind::kFile)) {
        if (stills_) {
            resource_->AddStillFile(source_path_, source_records_);
        } else {
            resource_->AddMovieFile(source_path_, source_records_);
        }
        return source_records_;
    }
    if (!folder.empty()) {
        if (stills_) {
            resource_->CollectStills(folder, source_records_, count, 0, true);
        } else {
            resource_->CollectMovies(folder, source_records_, count, 0);
        }
    }
    return source_records_;
}

void CFilerContainerDlg::ClearSource() {
    clearing_tree_ = true;
    tree_->tree().Clear();
    clearing_tree_ = false;
    tree_->SetRootPath({});
    source_records_.clear();
    records_.clear();
    path_line_->clear();
    recorder_info_.reset();
    list_->model_rows().Clear();
    current_index_ = -1;
    update();
}

bool CFilerContainerDlg::HasNextNode() const {
    return tree_->tree().NextInOrder(tree_->SelectedNode()).isValid() &&
           tree_->SelectedNode().isValid();
}

bool CFilerContainerDlg::SelectNextNode() {
    if (!HasNextNode()) {
        return false;
    }
    tree_->SelectNode(tree_->tree().NextInOrder(tree_->SelectedNode()));
    return true;
}

bool CFilerContainerDlg::RestoreLastSource() {
    ClearSource();
    const std::vector<std::string> drives = catalogue::RemovableDrives();
    for (auto drive = drives.rbegin(); drive != drives.rend(); ++drive) {
        if (catalogue::HasCardLayout(*drive)) {
            return OpenSource(*drive, SourceKind::kCard);
        }
    }
    const std::string folder = base::ReadSetting("SOURCE", "FOLDER");
    if (!folder.empty()) {
        if (platform::IsDirectory(folder)) {
            return OpenSource(folder, SourceKind::kFolder);
        }
        ShowError(boxes_, kFolderFailedText);  // remembered, but gone since the last run
    }
    const std::string file = base::ReadSetting("SOURCE", "FILE");
    if (!file.empty() && platform::IsRegularFile(file) &&
        (stills_ ? catalogue::IsStillName(file) : catalogue::IsMovieName(file))) {
        return OpenSource(file, SourceKind::kFile);
    }
    return false;
}

void CFilerContainerDlg::SetZoomPrompt(bool on) {
    zoom_prompt_ = on;
    Layout();
    update();
}

QString CFilerContainerDlg::CountText() const {
    return QString::fromUtf8(base::UiText(kCountText))
        .replace(QStringLiteral("%d"), QString::number(list_->RowCount()));
}

QRect CFilerContainerDlg::CountRect() const {
    const skin::Skin& skin = skin::Skin::Instance();
    const int height = path_line_->sizeHint().height();
    return QRect(width() - skin.Scaled(8) - skin.Scaled(60), skin.Scaled(4), skin.Scaled(60),
                 height);
}

void CFilerContainerDlg::resizeEvent(QResizeEvent*) {
    Layout();
}

void CFilerContainerDlg::Layout() {
    if (width() <= 0) {
        return;
    }
    const skin::Skin& skin = skin::Skin::Instance();
    const int margin = skin.Scaled(8);
    const QRect count = CountRect();
    // The switches in rows from the left, as many to a row as the panel's width takes.
    const int row_y = count.bottom() + skin.Scaled(4);
    const int line = skin.Scaled(18);
    int x = skin.Scaled(15);
    int y = row_y;
    for (auto* button : filter_buttons_) {
        const int label_width = skin.Scaled(16) + skin.Scaled(4) +
                                button->fontMetrics().horizontalAdvance(button->text());
        if (x > skin.Scaled(15) && x + label_width > width() - margin) {
            x = skin.Scaled(15);
            y += line;
        }
        button->setGeometry(x, y, label_width, skin.Scaled(16));
        x += label_width + skin.Scaled(10);
        button->setVisible(!zoom_prompt_);
    }
    const int content_top = y + line + skin.Scaled(4);
    const int content_height = std::max(0, height() - content_top - margin);
    const int tree_height = content_height * 2 / 5;
    tree_->setGeometry(margin, content_top, width() - 2 * margin, tree_height);
    list_->setGeometry(margin, content_top + tree_height + skin.Scaled(4), width() - 2 * margin,
                       std::max(0, content_height - tree_height - skin.Scaled(4)));
    tree_->setVisible(!zoom_prompt_);
    list_->setVisible(!zoom_prompt_);
    path_line_->hide();
}

void CFilerContainerDlg::paintEvent(QPaintEvent*) {
    if (width() <= 0) {
        return;
    }
    const skin::Skin& skin = skin::Skin::Instance();
    QPainter p(this);
    p.fillRect(rect(), kPanelBackground);
    p.setPen(kPanelFrame);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::white);
    if (zoom_prompt_) {
        const QRect box(width() / 2 - skin.Scaled(90), height() / 2 - skin.Scaled(50),
                        skin.Scaled(180), skin.Scaled(100));
        p.setFont(skin.Font(skin::FontRole::k10));
        p.drawText(box, Qt::AlignCenter, QString::fromUtf8(base::UiText(kZoomPromptText)));
        return;
    }
    p.setFont(path_line_->font());
    p.drawText(CountRect(), Qt::AlignRight | Qt::AlignVCenter, CountText());
    p.drawText(QRect(skin.Scaled(8), CountRect().top(), CountRect().left() - skin.Scaled(12),
                     CountRect().height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               p.fontMetrics().elidedText(path_line_->text(), Qt::ElideLeft,
                                          CountRect().left() - skin.Scaled(12)));
}

}  // namespace ardelle::browser
