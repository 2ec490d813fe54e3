#include "map/logo_panel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>

namespace ardelle::map {

QRect LogoPanelPlacement(int window_width, int window_height, double layout_scale) {
    const int margin = static_cast<int>(4 * layout_scale);
    const int top = static_cast<int>(20 * layout_scale);
    return {margin, top, window_width - 2 * margin, window_height - margin - top};
}

QRect LetterboxRect(int width, int height, int picture_width, int picture_height) {
    if (width <= 0 || height <= 0 || picture_width <= 0 || picture_height <= 0)
        return {};
    const double ratio = static_cast<double>(picture_width) / picture_height;
    int drawn_width = width;
    int drawn_height = height;
    if (static_cast<double>(width) / height > ratio) {
        drawn_width = static_cast<int>(height * ratio);
    } else {
        drawn_height = static_cast<int>(width / ratio);
    }
    const int x = std::max(0, (width - drawn_width) / 2);
    const int y = std::max(0, (height - drawn_height) / 2);
    return {x, y, drawn_width, drawn_height};
}

CLogoDlg::CLogoDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    pictures_[0] = {std::make_unique<QSvgRenderer>(QStringLiteral(":/map/icons/panel-offline.svg")),
                    QColor(0xe0, 0xa0, 0x60)};
    pictures_[1] = {std::make_unique<QSvgRenderer>(QStringLiteral(":/map/icons/panel-map.svg")),
                    QColor(0x8f, 0xb8, 0xde)};
}

CLogoDlg::~CLogoDlg() = default;

void CLogoDlg::SetPictureChoice(int choice) {
    const int normalised = choice != 0 ? 1 : 0;
    if (normalised == picture_choice_)
        return;
    picture_choice_ = normalised;
    repaint();
}

void CLogoDlg::PostShowRequest() {
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(kShowRequestEvent)));
}

bool CLogoDlg::event(QEvent* event) {
    if (event->type() == static_cast<QEvent::Type>(kShowRequestEvent)) {
        setVisible(show_request_ != 0);
        return true;
    }
    return QWidget::event(event);
}

void CLogoDlg::paintEvent(QPaintEvent* /*event*/) {
    const Picture& picture = pictures_[static_cast<size_t>(picture_choice_)];
    if (!picture.renderer || !picture.renderer->isValid())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QSize size = picture.renderer->defaultSize();
    const QRect target = LetterboxRect(width(), height(), size.width(), size.height());
    picture.renderer->render(&painter, target);
    painter.setPen(picture.frame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ardelle::map
