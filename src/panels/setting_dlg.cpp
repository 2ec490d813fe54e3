#include "panels/setting_dlg.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "base/ui_text.h"
#include "skin/skin.h"
#include "skin/skin_check_button.h"

namespace ardelle::panels {
namespace {

constexpr int kCloseCommand = 2;

QRect ToQRect(const graph::Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

QString Text(int id) {
    return QString::fromUtf8(base::UiText(id));
}

}  // namespace

CSettingDlg::CSettingDlg(QWidget* parent, MessageSink* sink, const graph::SeriesSwitches& current)
    : skin::CSkinDialog(parent), sink_(sink) {
    // A window of its own above the main window, not a widget inside it.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(false);
    const skin::Skin& skin = skin::Skin::Instance();
    const double s = skin.layout_scale();
    setFont(skin.Font(skin::FontRole::k10));
    setWindowTitle(Text(kSettingsTitleText));

    mark_group_ = ToQRect(MarkGroupBox(s));
    version_group_ = ToQRect(VersionGroupBox(s));
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        auto* button =
            new skin::CSkinCheckButton(Text(kSwitchLabelTexts[static_cast<std::size_t>(i)]), this);
        button->setGeometry(ToQRect(SwitchBox(i, s)));
        const int control_id = kFirstSwitchControl + i;
        connect(button, &QAbstractButton::clicked, this,
                [this, control_id] { OnSwitchClicked(control_id); });
        buttons_[static_cast<std::size_t>(i)] = button;
    }
    version_notice_ = new QLabel(QString::fromStdString(VersionNotice(BuildYear())), this);
    version_notice_->setObjectName(QString::number(kVersionNoticeControl));
    version_notice_->setFont(skin.Font(skin::FontRole::k10));
    version_notice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    version_notice_->setStyleSheet(
        QStringLiteral("color: %1").arg(skin.Colour(skin::ColourRole::kTabText).name()));
    const int inset = skin.Scaled(30);
    version_notice_->setGeometry(version_group_.adjusted(inset, inset, -inset, -skin.Scaled(10)));

    const graph::Rect size = SettingsDialogSize(s);
    SetBaseSize({size.width, size.height});
    resize(size.width, size.height);
    CreateCloseButton(kCloseCommand);
    Initialise(current);
    hide();
}

skin::CSkinCheckButton* CSettingDlg::switch_button(int index) const {
    if (index < 0 || index >= kSettingSwitchCount) {
        return nullptr;
    }
    return buttons_[static_cast<std::size_t>(index)];
}

void CSettingDlg::Initialise(const graph::SeriesSwitches& current) {
    switches_.Initialise(current);
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        buttons_[static_cast<std::size_t>(i)]->SetChecked(switches_.On(i));
    }
}

void CSettingDlg::OnSwitchClicked(int control_id) {
    if (switches_.Click(control_id, sink_)) {
        const int index = control_id - kFirstSwitchControl;
        buttons_[static_cast<std::size_t>(index)]->SetChecked(switches_.On(index));
    }
}

void CSettingDlg::ShowCentred() {
    QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    QScreen* screen =
        owner != nullptr ? QGuiApplication::screenAt(owner->geometry().topLeft()) : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        // The whole monitor, not its work area.
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    show();
    raise();
    activateWindow();
}

void CSettingDlg::PaintGroupBox(QPainter& painter, const QRect& box, const QString& title) const {
    const skin::Skin& skin = skin::Skin::Instance();
    const QFontMetrics metrics(font());
    const int title_height = metrics.height();
    const QRect frame = box.adjusted(0, title_height / 2, -1, -1);
    painter.setPen(QPen(skin.Colour(skin::ColourRole::kWindowEdge), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    // The title sits on the top edge, the line broken behind it.
    const int gap = skin.Scaled(4);
    const QRect title_box(box.left() + skin.Scaled(10), box.top(),
                          metrics.horizontalAdvance(title) + 2 * gap, title_height);
    painter.fillRect(title_box, skin.Colour(skin::ColourRole::kPanelBackground));
    painter.setPen(skin.Colour(skin::ColourRole::kTabText));
    painter.drawText(title_box, Qt::AlignCenter, title);
}

void CSettingDlg::paintEvent(QPaintEvent* event) {
    const skin::Skin& skin = skin::Skin::Instance();
    {
        QPainter painter(this);
        painter.fillRect(rect(), skin.Colour(skin::ColourRole::kPanelBackground));
        painter.setFont(font());
        PaintGroupBox(painter, mark_group_, Text(kMarkGroupTitleText));
        PaintGroupBox(painter, version_group_, Text(kVersionGroupTitleText));
    }
    skin::CSkinDialog::paintEvent(event);
}

CSettingDlg* ShowSettingsDialog(QWidget* parent, MessageSink* sink,
                                const graph::SeriesSwitches& current) {
    CSettingDlg* dialog =
        parent != nullptr ? parent->findChild<CSettingDlg*>(QString(), Qt::FindDirectChildrenOnly)
                          : nullptr;
    if (dialog == nullptr) {
        dialog = new CSettingDlg(parent, sink, current);
    } else {
        dialog->SetSink(sink);
        dialog->Initialise(current);
    }
    dialog->ShowCentred();
    return dialog;
}

}  // namespace ardelle::panels
