#include "skin/msg_dlg.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "base/ui_text.h"
#include "skin/skin.h"

namespace ardelle::skin {
namespace {
constexpr int kTextYes = 175;
constexpr int kTextNo = 176;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
}  // namespace

CMsgDlg::CMsgDlg(QWidget* owner, const QString& text, const QString& caption,
                 base::MessageStyle style)
    : CSkinDialog(owner), text_(text), style_(style) {
    setWindowTitle(caption);
    setModal(true);
    const bool yes_no = style == base::MessageStyle::kYesNo;
    ok_ = new CSkinButton(yes_no ? QString::fromUtf8(base::UiText(kTextYes)) : QStringLiteral("OK"),
                          kAnswerOk, this);
    cancel_ = new CSkinButton(
        yes_no ? QString::fromUtf8(base::UiText(kTextNo)) : QStringLiteral("Cancel"), kAnswerCancel,
        this);
    cancel_->setVisible(style != base::MessageStyle::kOk);
    connect(ok_, &QAbstractButton::clicked, this, [this] { done(1); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { done(0); });
    const QSize wanted = SizeForText();
    SetBaseSize(wanted);
    resize(wanted);
    // Centred on the owner, or on the screen without one.
    const QRect around = owner != nullptr ? owner->frameGeometry()
                         : QGuiApplication::primaryScreen() != nullptr
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, wanted.width(), wanted.height());
    move(around.center() - QPoint(wanted.width() / 2, wanted.height() / 2));
    Relayout();
}

QSize CMsgDlg::SizeForText() const {
    const Skin& skin = Skin::Instance();
    // The font is made at the scale already, so the text's extent needs no further factor.
    const QFontMetrics metrics(skin.Font(FontRole::k10));
    const QRect text =
        metrics.boundingRect(QRect(0, 0, 4096, 4096), Qt::AlignLeft | Qt::TextExpandTabs, text_);
    const int buttons = 2 * skin.Scaled(100) + 3 * skin.Scaled(15);
    const int width = std::max(text.width() + 2 * skin.Scaled(40), buttons);
    const int height = text.height() + 2 * skin.Scaled(30) + skin.Scaled(60) + skin.Scaled(20);
    return {width, height};
}

void CMsgDlg::Relayout() {
    CSkinDialog::Relayout();
    if (ok_ == nullptr) {
        return;
    }
    const Skin& skin = Skin::Instance();
    const int w = skin.Scaled(100);
    const int h = skin.Scaled(30);
    const QRect right(width() - w - skin.Scaled(15), height() - h - skin.Scaled(15), w, h);
    if (style_ == base::MessageStyle::kOk) {
        ok_->setGeometry(right);
    } else {
        cancel_->setGeometry(right);
        ok_->setGeometry(right.translated(-w - skin.Scaled(15), 0));
    }
}

void CMsgDlg::paintEvent(QPaintEvent* event) {
    const Skin& skin = Skin::Instance();
    {
        QPainter painter(this);
        painter.fillRect(rect(), skin.Colour(ColourRole::kPanelBackground));
        painter.fillRect(QRect(0, 0, width(), height() - skin.Scaled(60)),
                         skin.Colour(ColourRole::kMessageBackground));
        painter.setFont(skin.Font(FontRole::k10));
        painter.setPen(skin.Colour(ColourRole::kMessageText));
        painter.drawText(QRect(skin.Scaled(40), skin.Scaled(30), width() - 2 * skin.Scaled(40),
                               height() - skin.Scaled(60) - skin.Scaled(30)),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, text_);
    }
    CSkinDialog::paintEvent(event);
}

int CMsgDlg::Run() {
    return exec() == 1 ? 1 : 0;
}

int SkinMessageBoxes::Show(std::string_view text, std::string_view caption,
                           base::MessageStyle style) {
    CMsgDlg dialog(owner_, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                   QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                   style);
    return dialog.Run();
}

}  // namespace ardelle::skin
