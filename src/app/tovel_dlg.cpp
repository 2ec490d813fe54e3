#include "app/tovel_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "base/screen_scale.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "browser/source_open_dlg.h"
#include "graph/gsensor_dlg.h"
#include "panels/setting_dlg.h"
#include "platform/files.h"
#include "skin/msg_dlg.h"
#include "skin/skin.h"

namespace ardelle::app {
namespace {

using skin::IconRole;

constexpr int kPositionSliderId = 38100;
constexpr int kVolumeSliderId = 38101;
constexpr int kVolumeMax = 65535;
constexpr std::int64_t kMovieWindowId = 1;
constexpr std::int64_t kMapWindowId = 2;
constexpr int kTextVideosTab = 184;
constexpr int kTextStillsTab = 185;
constexpr int kTextRearCamera = 146;
constexpr int kTextMap = 151;
constexpr int kTextMaximise = 177;
constexpr int kTextRestore = 178;
constexpr int kTextPlay = 12;
constexpr int kTextPause = 11;

struct ToolButtonSpec {
    IconRole icon;
    int tool_tip;
};

// Tool buttons 38000..38016 in order, with their tool-tip texts.
constexpr ToolButtonSpec kToolButtons[kToolButtonCount] = {
    {IconRole::kToStart, 20},        {IconRole::kPrevious, 13},
    {IconRole::kPlay, 12},           {IconRole::kSlower, 17},
    {IconRole::kFaster, 4},          {IconRole::kNext, 9},
    {IconRole::kSnapshot, 19},       {IconRole::kJoin, 1},
    {IconRole::kDownload, 186},      {IconRole::kZoom, 21},
    {IconRole::kMirror, 169},        {IconRole::kMap, 150},
    {IconRole::kBrowse, 10},         {IconRole::kDelete, 3},
    {IconRole::kSettings, 16},       {IconRole::kCsv, 2},
    {IconRole::kDisplaySwitch, 147},
};

struct TitleButtonSpec {
    IconRole icon;
    int command;
    int tool_tip;
};

constexpr TitleButtonSpec kTitleButtons[kTitleButtonCount] = {
    {IconRole::kClose, command::kClose, 0},
    {IconRole::kMaximise, command::kMaximise, kTextMaximise},
    {IconRole::kMinimise, command::kMinimise, 136},
};

// The commands the window carries out today; the others wait for the pieces that handle
// them and stay disabled until then.
bool CommandWired(int id) {
    return (id >= command::kFirstFrame && id <= command::kNext) || id == command::kZoomMode ||
           id == command::kMirror || id == command::kMapDisplay || id == command::kBrowse ||
           id == command::kDisplaySwitch || id == command::kSettings ||
           id == file_command::kSnapshot || id == file_command::kJoin ||
           id == file_command::kDownload || id == file_command::kDelete || id == file_command::kCsv;
}

QString Text(int id) {
    return QString::fromUtf8(base::UiText(id));
}

}  // namespace

CTovelDlg::CTovelDlg()
    : queue_(std::make_unique<UiMessageQueue>([this](const PostedMessage& m) { OnMessage(m); })) {
    setWindowTitle(QStringLiteral("Ardelle"));
    StartShell();
    setObjectName(QStringLiteral("main_window"));
    const double s = scale();
    SetBaseSize(MainWindowBaseSize(s));
    movie_window_ =
        std::make_unique<CMovieDialog>(Text(kTextRearCamera), queue_.get(), kMovieWindowId);
    movie_window_->setObjectName(QStringLiteral("movie_window"));
    movie_window_->SetBaseSize(MovieWindowBaseSize(s));
    movie_window_->SetSection(QStringLiteral("MOVIEDISPLAY"));
    map_window_ = std::make_unique<CMovieDialog>(Text(kTextMap), queue_.get(), kMapWindowId);
    map_window_->setObjectName(QStringLiteral("map_window"));
    map_window_->SetBaseSize(MapWindowBaseSize(s));
    map_window_->SetSection(QStringLiteral("MAPDISPLAY"));
    CreateChildren();
    CreateStillViews();
    controller_ = std::make_unique<ViewerController>(*this, s);
    controller_->InitPlayers(base::KeepAspectFromSetting(base::ReadSetting("DISPLAY", "ASPECT")));
    CreatePanelViews();
    CreateController();
    SetSection(QStringLiteral("DISPLAY"));
    LayoutMainWindow();
    CreateFileCommands();
}

void CTovelDlg::CreatePanelViews() {
    panel_views_ = std::make_unique<PanelViewsHost>(
        PanelViewsHost::Slots{slots_.graph, slots_.info_panel, slots_.map_host}, *queue_,
        controller_->pair());
    tab_strip_->SetOnSelected([this](int tab) {
        SwitchTab(tab);
        panel_views_->views().SetTab(controller_->pair(), tab);
    });
}

CTovelDlg::~CTovelDlg() {
    file_commands_->Shutdown();
    main_controller_->Shutdown();
    SetWaitCursor(false);
}

void CTovelDlg::CreateController() {
    list_port_ = std::make_unique<BrowserListPair>(*list_windows_[0], *list_windows_[1]);
    timers_ = std::make_unique<QtControllerTimers>([this](int id) {
        if (!closing_) {
            main_controller_->OnTimer(id);
        }
    });
    boxes_ = std::make_unique<skin::SkinMessageBoxes>(this);
    picker_ = std::make_unique<QtFolderPicker>(this);
    main_controller_ = std::make_unique<MainController>(
        MainCollaborators{*controller_, *list_port_, panel_views_->views(), *this, *timers_,
                          *queue_, *boxes_, *picker_});
}

double CTovelDlg::scale() const {
    return skin::Skin::Instance().layout_scale();
}

void CTovelDlg::CreateChildren() {
    tab_strip_ = new skin::CSkinTabCtrl({Text(kTextVideosTab), Text(kTextStillsTab)}, this);
    slots_.lists[0] = new PanelSlot(QStringLiteral("list_window_0"), this);
    slots_.lists[1] = new PanelSlot(QStringLiteral("list_window_1"), this);
    slots_.lists[1]->hide();
    slots_.graph = new PanelSlot(QStringLiteral("graph"), this);
    slots_.info_panel = new PanelSlot(QStringLiteral("info_panel"), this);
    slots_.map_host = new PanelSlot(QStringLiteral("map_host"), map_window_.get());
    surfaces_[0] = new CMovieStatic(0, this, queue_.get(), this);
    surfaces_[1] = new CMovieStatic(1, this, queue_.get(), movie_window_.get());
    position_slider_ = new skin::CSkinSliderCtrl(kPositionSliderId, queue_.get(), this);
    position_slider_->setObjectName(QStringLiteral("position_slider"));
    position_slider_->SetRange(0, 0);
    volume_slider_ = new skin::CSkinSliderCtrl(kVolumeSliderId, queue_.get(), this);
    volume_slider_->setObjectName(QStringLiteral("volume_slider"));
    volume_slider_->SetRange(0, kVolumeMax);
    volume_slider_->SetPos(base::VolumeFromSetting(base::ReadSetting("DISPLAY", "VOLUME")));
    progress_bar_ = new skin::CSkinProgressBarCtrl(this);
    progress_bar_->SetRange(0, 100);
    progress_bar_->hide();
    CreateButtons();
    CreateListWindows();
}

void CTovelDlg::CreateListWindows() {
    list_messages_ = std::make_unique<skin::SkinMessageBoxes>(this);
    for (std::size_t tab = 0; tab < list_windows_.size(); ++tab) {
        auto* window = new browser::CFilerContainerDlg(tab == 1);
        window->setObjectName(QStringLiteral("filer_container_%1").arg(tab));
        window->SetMessageSink(queue_.get());
        window->SetMessageBoxes(list_messages_.get());
        window->SetCommandHandler([this](int id) { OnCommand(id); });
        slots_.lists[tab]->SetContent(window);
        list_windows_[tab] = std::make_unique<BrowserListWindow>(window);
    }
}

void CTovelDlg::CreateButtons() {
    for (int i = 0; i < kToolButtonCount; ++i) {
        const ToolButtonSpec& tool = kToolButtons[i];
        auto* button = new skin::CSkinButton(tool.icon, command::kFirstTool + i, this);
        button->setObjectName(QStringLiteral("tool_%1").arg(command::kFirstTool + i));
        button->setToolTip(Text(tool.tool_tip));
        button->setEnabled(CommandWired(command::kFirstTool + i));
        connect(button, &QAbstractButton::clicked, this,
                [this, id = command::kFirstTool + i] { OnCommand(id); });
        tool_buttons_[static_cast<std::size_t>(i)] = button;
    }
    for (int i = 0; i < kTitleButtonCount; ++i) {
        const TitleButtonSpec& title = kTitleButtons[i];
        auto* button = new skin::CSkinButton(title.icon, title.command, this);
        button->setObjectName(QStringLiteral("title_%1").arg(title.command));
        button->setToolTip(Text(title.tool_tip));
        connect(button, &QAbstractButton::clicked, this,
                [this, id = title.command] { OnCommand(id); });
        title_buttons_[static_cast<std::size_t>(i)] = button;
    }
}

void CTovelDlg::CreateFileCommands() {
    message_boxes_ = std::make_unique<skin::SkinMessageBoxes>(this);
    file_select_ = std::make_unique<browser::CFileSelectDlg>(this, message_boxes_.get());
    file_host_ = std::make_unique<WindowFileHost>(*this);
    file_commands_ = std::make_unique<FileCommands>(
        *file_host_, *queue_,
        FileCommandDialogs{file_select_.get(), &folder_picker_, message_boxes_.get()});
    // The stop button (38000) is enabled while an operation runs (WindowFileHost).
    for (const int id : {file_command::kSnapshot, file_command::kJoin, file_command::kDownload,
                         file_command::kDelete, file_command::kCsv}) {
        tool_buttons_[static_cast<std::size_t>(id - command::kFirstTool)]->setEnabled(true);
    }
}

void CTovelDlg::OnCommand(int id) {
    if (file_commands_->OnCommand(id)) {
        return;
    }
    if (id == command::kSettings) {
        if (main_controller_->Guard()) {
            panels::ShowSettingsDialog(this, queue_.get(), panel_views_->graph().switches());
        }
        return;
    }
    main_controller_->OnCommand(id);
}

void CTovelDlg::OnMessage(const PostedMessage& message) {
    if (closing_ || OnShellMessage(message)) {
        return;
    }
    if (file_commands_->OnMessage(message)) {
        return;
    }
    if (message.id == AppMessage::kFloatingWindowResized && message.lparam == kMovieWindowId) {
        LayoutMovieWindow();
    } else if (message.id == AppMessage::kFloatingWindowsReset) {
        movie_window_->SetScales(1.0, 1.0);
        movie_window_->resize(movie_window_->ScaledSize());
        movie_window_->SaveScale();
    }
    if (panel_views_->views().OnMessage(main_controller_->pair(), message)) {
        return;
    }
    if (message.id == AppMessage::kTreeNodeChosen) {
        file_host_->SetSource(list_port_->SourcePath());  // the operations' lists
    }
    if (message.id == browser::kListRowSelected) {
        if (message.lparam == 0) {
            main_controller_->OnRecordingSelected(static_cast<int>(message.wparam));
        } else {
            ShowStill(static_cast<int>(message.wparam));
        }
        return;
    }
    main_controller_->OnMessage(message);
}

void CTovelDlg::Relayout() {
    LayoutMainWindow();
}

void CTovelDlg::LayoutMainWindow() {
    if (full_window_ || surfaces_[0] == nullptr) {
        return;
    }
    const double s = scale();
    layout_ = ComputeMainLayout(size(), s);
    CMovieStatic* main = surfaces_[static_cast<std::size_t>(main_surface_)];
    main->Place(layout_.video_surface);
    PlaceStillSurfaces();
    for (int i = 0; i < kToolButtonCount; ++i) {
        tool_buttons_[static_cast<std::size_t>(i)]->setGeometry(
            layout_.tool_buttons[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < kTitleButtonCount; ++i) {
        title_buttons_[static_cast<std::size_t>(i)]->setGeometry(
            layout_.title_buttons[static_cast<std::size_t>(i)]);
    }
    title_buttons_[1]->setToolTip(Text(maximised_flag() ? kTextRestore : kTextMaximise));
    volume_slider_->setGeometry(layout_.volume_slider);
    if (!layout_.valid) {
        return;
    }
    position_slider_->setGeometry(layout_.position_slider);
    slots_.info_panel->setGeometry(layout_.info_panel);
    slots_.graph->setGeometry(layout_.graph);
    progress_bar_->setGeometry(layout_.progress_bar);
    slots_.lists[0]->setGeometry(layout_.list_window);
    slots_.lists[1]->setGeometry(layout_.list_window);
    tab_strip_->setGeometry(layout_.tab_strip);
    if (controller_) {
        controller_->OnLayoutChanged();
    }
    update();
}

void CTovelDlg::LayoutMovieWindow() {
    CMovieStatic* movie = surfaces_[static_cast<std::size_t>(1 - main_surface_)];
    movie->Place(movie_window_->ContentRect());
    PlaceStillSurfaces();
    slots_.map_host->setGeometry(map_window_->ContentRect());
}

void CTovelDlg::PlaceMovieWindow() {
    const QPoint origin = geometry().topLeft();
    movie_window_->resize(movie_window_->ScaledSize());
    movie_window_->move(MovieWindowHome(origin, layout_, scale()));
    LayoutMovieWindow();
    if (!full_window_) {
        movie_window_->show();
        movie_window_->raise();
    }
}

void CTovelDlg::AfterInitialisation() {
    PlaceMovieWindow();
    controller_->OnLayoutChanged();
    panel_views_->views().SetStartedUp(controller_->pair());
    if (QScreen* monitor = screen()) {
        known_work_area_ = monitor->availableGeometry();
        connect(monitor, &QScreen::availableGeometryChanged, this,
                [this, monitor](const QRect& area) {
                    RescaleToWorkArea(area, static_cast<int>(monitor->logicalDotsPerInchX()),
                                      static_cast<int>(monitor->logicalDotsPerInchY()));
                });
    }
    AfterInitialisationShell();
}

void CTovelDlg::RescaleToWorkArea(const QRect& work_area, int dpi_x, int dpi_y) {
    if (work_area == known_work_area_ || full_window_) {
        return;
    }
    known_work_area_ = work_area;
    const base::ScreenScale scale =
        base::ComputeScreenScale(work_area.width(), work_area.height(), dpi_x, dpi_y);
    skin::Skin::Instance().SetScales(scale.layout, scale.font);
    controller_->SetLayoutScale(scale.layout);
    SetBaseSize(MainWindowBaseSize(scale.layout));
    movie_window_->SetBaseSize(MovieWindowBaseSize(scale.layout));
    map_window_->SetBaseSize(MapWindowBaseSize(scale.layout));
    setUpdatesEnabled(false);
    resize(ScaledSize());
    movie_window_->resize(movie_window_->ScaledSize());
    map_window_->resize(map_window_->ScaledSize());
    LayoutMainWindow();
    LayoutMovieWindow();
    setUpdatesEnabled(true);
    if (isVisible()) {
        PlaceMovieWindow();
    }
    update();
}

void CTovelDlg::paintEvent(QPaintEvent*) {
    if (full_window_) {
        return;
    }
    const skin::Skin& skin = skin::Skin::Instance();
    QPainter painter(this);
    painter.fillRect(rect(), skin.Colour(skin::ColourRole::kWindowBackground));
    // A lighter rim and a darker bottom strip under the buttons frame the window.
    const int rim = std::max(1, skin.Scaled(1));
    painter.setPen(QPen(skin.Colour(skin::ColourRole::kWindowEdge), rim));
    painter.drawRect(rect().adjusted(0, 0, -rim, -rim));
    const int strip_top = height() - skin.Scaled(38) - skin.Scaled(4);
    painter.fillRect(QRect(rim, strip_top, width() - 2 * rim, height() - strip_top - rim),
                     skin.Colour(skin::ColourRole::kPanelBackground).darker(115));
    painter.setFont(skin.Font(skin::FontRole::k10));
    painter.setPen(skin.Colour(skin::ColourRole::kTitleText));
    painter.drawText(layout_.product_name, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Ardelle"));
    PaintVolumeImage(painter);
}

void CTovelDlg::SetNormalChildrenVisible(bool visible) {
    for (QWidget* child : std::initializer_list<QWidget*>{
             slots_.graph, slots_.info_panel, position_slider_, volume_slider_, tab_strip_}) {
        child->setVisible(visible);
    }
    slots_.lists[static_cast<std::size_t>(tab_strip_->current())]->setVisible(visible);
    for (skin::CSkinButton* button : tool_buttons_) {
        button->setVisible(visible);
    }
    for (skin::CSkinButton* button : title_buttons_) {
        button->setVisible(visible);
    }
}

// ---- ViewerView

playback::VideoWindow CTovelDlg::SurfaceWindow(int index) {
    CMovieStatic* surface = surfaces_[static_cast<std::size_t>(index)];
    return {surface, surface};
}

void CTovelDlg::PlaceSurfaces(int main_surface, int movie_title_text) {
    main_surface_ = main_surface;
    CMovieStatic* main = surfaces_[static_cast<std::size_t>(main_surface)];
    CMovieStatic* movie = surfaces_[static_cast<std::size_t>(1 - main_surface)];
    if (main->parentWidget() != this) {
        main->setParent(this);
        movie->setParent(movie_window_.get());
    }
    movie_window_->SetTitle(movie_title_text);
    LayoutMainWindow();
    LayoutMovieWindow();
    main->setVisible(current_tab_ == 0);
    movie->setVisible(current_tab_ == 0);
}

void CTovelDlg::SetZoomMode(bool zoom_mode) {
    surfaces_[0]->SetZoomMode(zoom_mode);
    surfaces_[1]->SetZoomMode(zoom_mode);
    SetStillZoomMode(zoom_mode);
    tool_buttons_[command::kZoomMode - command::kFirstTool]->SetOn(zoom_mode);
}

void CTovelDlg::SetMirror(int surface_index, bool mirror) {
    surfaces_[static_cast<std::size_t>(surface_index)]->SetMirror(mirror);
    tool_buttons_[command::kMirror - command::kFirstTool]->SetOn(mirror);
}

QRect CTovelDlg::SurfaceClient(int index) const {
    return surfaces_[static_cast<std::size_t>(index)]->rect();
}

void CTovelDlg::ShowFullWindow(bool full_window, int main_surface) {
    CMovieStatic* main = surfaces_[static_cast<std::size_t>(main_surface)];
    if (full_window) {
        normal_rect_ = geometry();
        SetNormalChildrenVisible(false);
        movie_window_->hide();
        map_window_->hide();
        full_window_ = true;
        SetLocked(true);
        const QScreen* monitor = screen();
        const QRect whole = monitor != nullptr ? monitor->geometry() : geometry();
        setGeometry(whole);
        main->Place(QRect(0, 0, whole.width(), whole.height()));
        main->raise();
        raise();
    } else {
        full_window_ = false;
        SetLocked(false);
        restore_rect_protected_ = maximised_flag();
        setGeometry(normal_rect_);
        SetNormalChildrenVisible(true);
        LayoutMainWindow();
        PlaceMovieWindow();
    }
    if (!full_window && panel_views_->views().map_content().marks().map_display) {
        map_window_->show();
    }
    panel_views_->views().SetFullWindow(controller_->pair(), full_window);
    update();
}

void CTovelDlg::SetPlayButton(bool playing) {
    skin::CSkinButton* play = tool_buttons_[command::kPlayPause - command::kFirstTool];
    play->SetIcon(playing ? IconRole::kPause : IconRole::kPlay);
    play->setToolTip(Text(playing ? kTextPause : kTextPlay));
}

void CTovelDlg::ShowPosition(int frame, int frames) {
    position_slider_->SetRange(0, std::max(0, frames - 1));
    position_slider_->SetPos(frame);
}

void CTovelDlg::RepaintSurfaces() {
    surfaces_[0]->update();
    surfaces_[1]->update();
}

void CTovelDlg::ShowError(int text_id) {
    skin::SkinMessageBoxes boxes(this);
    boxes.Show(base::UiString(text_id), base::kErrorCaption, base::MessageStyle::kOk);
}

void CTovelDlg::Maximise(bool maximise) {
    if (maximise && !maximised_flag()) {
        SetMaximisedFlag(true);
        setGeometry(MaximisedPlacement());
    } else if (!maximise && maximised_flag()) {
        SetMaximisedFlag(false);
        setGeometry(restore_rect_);
    }
    LayoutMainWindow();
    PlaceMovieWindow();
}

void CTovelDlg::Minimise() {
    movie_window_->showMinimized();
    showMinimized();
}

void CTovelDlg::CloseWindow() {
    closing_ = true;
    movie_window_->hide();
    map_window_->hide();
    close();
}

// ---- MainWindowPort

void CTovelDlg::SetWaitCursor(bool waiting) {
    if (waiting != waiting_) {
        waiting_ = waiting;
        if (waiting) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    }
}

void CTovelDlg::SetPositionSliderEnabled(bool enabled) {
    if (position_slider_->isEnabled() != enabled) {
        position_slider_->setEnabled(enabled);
    }
}

void CTovelDlg::EndSliderCapture() {
    position_slider_->EndDrag();
}

void CTovelDlg::CloseMenus() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
}

void CTovelDlg::RaiseMovieWindow() {
    if (!full_window_ && movie_window_->isVisible()) {
        movie_window_->raise();
    }
}

void CTovelDlg::ShowSpeed(playback::SpeedCode) {}

void CTovelDlg::RefreshButtons() {
    const bool idle = !main_controller_->busy();
    for (int i = 0; i < kToolButtonCount; ++i) {
        const int id = command::kFirstTool + i;
        tool_buttons_[static_cast<std::size_t>(i)]->setEnabled(CommandWired(id) && idle);
    }
}

void CTovelDlg::SetMapDisplay(bool on, bool first_time) {
    if (first_time) {
        map_window_->resize(map_window_->ScaledSize());
        map_window_->move(geometry().topRight() + QPoint(8, 0));
    }
    tool_buttons_[command::kMapDisplay - command::kFirstTool]->SetOn(on);
    PanelViews& views = panel_views_->views();
    if (views.map_content().marks().map_display != on) {
        views.ToggleMapDisplay(main_controller_->pair());
    }
    map_window_->setVisible(on && !full_window_);
    views.RunMapContentRule(main_controller_->pair());
}

void CTovelDlg::ShowStill(int row) {
    const catalogue::RecordingList& stills = list_windows_[1]->Records();
    if (row < 0 || static_cast<std::size_t>(row) >= stills.size()) {
        return;
    }
    catalogue::RecordingEntry entry = stills[static_cast<std::size_t>(row)];
    DrawStillViews(&entry);
    panel_views_->views().ShowStill(entry);
}

std::optional<std::string> CTovelDlg::ChooseSource() {
    browser::QtSourceBrowseDialogs browse;
    browser::CSourceOpenDlg dialog(this, list_messages_.get(), &browse);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.ChosenPath();
}

bool CTovelDlg::ProgramFileExists() const {
    return platform::PathExists(QCoreApplication::applicationFilePath().toStdString());
}

void CTovelDlg::Quit() {
    closing_ = true;
    QCoreApplication::quit();
}

void CTovelDlg::keyPressEvent(QKeyEvent* event) {
    const KeyCommand key =
        KeyToCommand(event->key(), (event->modifiers() & Qt::ShiftModifier) != 0);
    if (key.kind == KeyCommand::Kind::kNone) {
        CResizeDialog::keyPressEvent(event);
        return;
    }
    main_controller_->OnKey(key);
    event->accept();
}

// ---- SurfaceOwner

SurfacePaint CTovelDlg::PaintRule(int surface_index) const {
    return controller_ ? controller_->PaintRule(surface_index) : SurfacePaint::kBlack;
}

void CTovelDlg::SurfaceClicked(int surface_index, const QPoint& point) {
    controller_->OnSurfaceClicked(surface_index, point);
}

void CTovelDlg::SurfaceDoubleClicked(int surface_index) {
    main_controller_->OnSurfaceDoubleClicked(surface_index);
}

void CTovelDlg::SurfaceContextMenu(int surface_index, const QPoint& global) {
    if (!main_controller_->Guard()) {
        return;
    }
    playback::PlayerPair& pair = controller_->pair();
    MovieMenuState state;
    state.state = pair.GetState(playback::PlayerTarget::kBoth);
    state.tab = tab_strip_->current();
    state.full_window = full_window_;
    state.surface = surface_index;
    state.mirror = surfaces_[static_cast<std::size_t>(surface_index)]->mirror();
    state.speed_code = pair.GetSpeedCode(playback::PlayerTarget::kBoth);
    state.keep_aspect = controller_->keep_aspect();
    const int chosen = ShowMovieMenu(MovieMenuEntries(state), full_window_, global);
    if (chosen != 0) {
        OnCommand(chosen);
    }
}

int CTovelDlg::ShowMovieMenu(const std::vector<MovieMenuEntry>& entries, bool full_window,
                             const QPoint& global) {
    if (entries.empty()) {
        return 0;
    }
    CMovieMenu menu(entries, scale(), full_window, this);
    return menu.Exec(global);
}

void CTovelDlg::TitleDoubleClicked() {
    OnCommand(command::kMaximise);
}

void CTovelDlg::TitleDraggedWhileMaximised() {
    OnCommand(command::kMaximise);  // restores
}

void CTovelDlg::closeEvent(QCloseEvent* event) {
    // The window system's close request runs the same shutdown as the close button.
    closing_ = true;
    SaveScale();
    file_commands_->Shutdown();
    main_controller_->Shutdown();
    movie_window_->hide();
    map_window_->hide();
    event->accept();
}

void CTovelDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && !full_window_ &&
        movie_window_->isMinimized()) {
        movie_window_->showNormal();
    }
    CResizeDialog::changeEvent(event);
}

}  // namespace ardelle::app
