#include "skin/skin_progress_bar_ctrl.h"

#include <QPainter>
#include <cmath>

#include "skin/skin.h"

namespace ardelle::skin {

CSkinProgressBarCtrl::CSkinProgressBarCtrl(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("progress bar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSkinProgressBarCtrl::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
    update();
}

void CSkinProgressBarCtrl::SetPos(int pos) {
    pos_ = pos;
    update();
}

int CSkinProgressBarCtrl::DoneWidth(int width) const {
    const long long span = static_cast<long long>(max_) - min_;
    const double f = span < 1 ? 0.0 : static_cast<double>(pos_) / static_cast<double>(span);
    return static_cast<int>(std::trunc(width * f));
}

QString CSkinProgressBarCtrl::Text() const {
    return QStringLiteral("%1 %").arg(pos_);
}

void CSkinProgressBarCtrl::paintEvent(QPaintEvent*) {
    if (width() == 0) {
        return;
    }
    const Skin& skin = Skin::Instance();
    const int bar_height = skin.Scaled(22);
    const int x = std::clamp(DoneWidth(width()), 0, width());
    const QColor done = skin.Colour(ColourRole::kProgressDone);
    const QColor rest = skin.Colour(ColourRole::kProgressRest);
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, x, bar_height), done);
    painter.fillRect(QRect(x, 0, width() - x, bar_height), rest);
    painter.setFont(skin.Font(FontRole::k10));
    const QRect text_rect(width() / 2 - skin.Scaled(50), 0, 2 * skin.Scaled(50), bar_height);
    painter.setClipRect(QRect(0, 0, x, bar_height));
    painter.setPen(rest);
    painter.drawText(text_rect, Qt::AlignCenter, Text());
    painter.setClipRect(QRect(x, 0, width() - x, bar_height));
    painter.setPen(done);
    painter.drawText(text_rect, Qt::AlignCenter, Text());
}

}  // namespace ardelle::skin
