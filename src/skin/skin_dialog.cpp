#include "skin/skin_dialog.h"

#include <QKeyEvent>
#include <QPainter>

#include "skin/skin.h"

namespace ardelle::skin {

CSkinDialog::CSkinDialog(QWidget* parent) : CResizeDialog(parent) {}

int CSkinDialog::TitleStripHeight() const {
    return Skin::Instance().Scaled(20);
}

CSkinButton* CSkinDialog::CreateCloseButton(int command_id) {
    if (close_button_ == nullptr) {
        close_button_ = new CSkinButton(IconRole::kClose, command_id, this);
        connect(close_button_, &QAbstractButton::clicked, this, [this] { OnCloseButton(); });
    }
    PlaceCloseButton();
    close_button_->show();
    return close_button_;
}

void CSkinDialog::PlaceCloseButton() {
    if (close_button_ == nullptr) {
        return;
    }
    const Skin& skin = Skin::Instance();
    close_button_->setGeometry(width() - skin.Scaled(20), skin.Scaled(4), skin.Scaled(13),
                               skin.Scaled(12));
}

void CSkinDialog::Relayout() {
    PlaceCloseButton();
}

void CSkinDialog::paintEvent(QPaintEvent*) {
    const Skin& skin = Skin::Instance();
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), TitleStripHeight()),
                     skin.Colour(ColourRole::kTitleStrip));
    painter.setFont(skin.Font(FontRole::k10));
    painter.setPen(Qt::black);
    const QString title = windowTitle().left(260);
    painter.drawText(
        QRect(skin.Scaled(5), 0, skin.Scaled(200) - skin.Scaled(5), TitleStripHeight()),
        Qt::AlignLeft | Qt::AlignVCenter, title);
}

void CSkinDialog::keyPressEvent(QKeyEvent* event) {
    // Swallowed: Enter and Esc must not end a skinned dialog.
    event->accept();
}

}  // namespace ardelle::skin
