#include "skin/resize_frame_window.h"

#include <QPainter>
#include <QRegion>

#include "skin/skin.h"

namespace ardelle::skin {
namespace {
int RimWidth() {
    return std::max(1, Skin::Instance().Scaled(2));
}
}  // namespace

CResizeFrameWindow::CResizeFrameWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("FrameWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void CResizeFrameWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Skin::Instance().Colour(ColourRole::kDragFrame));
}

void CResizeFrameWindow::resizeEvent(QResizeEvent*) {
    const int rim = RimWidth();
    const QRegion outer(rect());
    const QRegion inner(rect().adjusted(rim, rim, -rim, -rim));
    setMask(outer.subtracted(inner));
}

}  // namespace ardelle::skin
