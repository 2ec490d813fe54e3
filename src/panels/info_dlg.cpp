#include "panels/info_dlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "base/screen_scale.h"
#include "base/ui_text.h"

namespace ardelle::panels {
namespace {

const std::array<QColor, 3> kAxisColours = {QColor(0, 255, 0), QColor(255, 0, 0),
                                            QColor(128, 128, 255)};
const QColor kPanelBackground(18, 20, 24), kPlaceholder(96, 96, 96);
const QColor kRecording(230, 40, 40), kParkingRecording(240, 150, 30), kIdle(110, 110, 110);
const QColor kGpsFix(40, 200, 90), kBadge(60, 110, 200);

QRect ToQRect(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A dim bar standing for a value that is not known.
void DrawPlaceholderBar(QPainter& p, int x, int y, int width, int height) {
    p.fillRect(x, y + height / 2 - 1, width, 2, kPlaceholder);
}

}  // namespace

CInfoDlg::CInfoDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetScale(1.0, 1.0);
}

void CInfoDlg::SetScale(double layout_scale, double font_scale) {
    scale_ = layout_scale > 0 ? layout_scale : 1.0;
    font_scale_ = font_scale > 0 ? font_scale : 1.0;
    normal_font_.setPixelSize(std::max(8, base::ScaledLength(15, font_scale_)));
    small_font_.setPixelSize(std::max(7, base::ScaledLength(11, font_scale_)));
    update();
}

void CInfoDlg::SetFonts(const QFont& normal, const QFont& small) {
    normal_font_ = normal;
    small_font_ = small;
    update();
}

InfoPanelLayout CInfoDlg::Layout() const {
    return InfoPanelLayout(scale_, fields_.width_factor);
}

void CInfoDlg::Reset() {
    fields_.Reset();
    repaint();
}

void CInfoDlg::ShowPosition(std::int64_t frame, const telemetry::SensorSample* sample,
                            const telemetry::GpsSample* gps) {
    fields_.current_frame = frame;
    fields_.x = sample != nullptr ? sample->x : kNoAcceleration;
    fields_.y = sample != nullptr ? sample->y : kNoAcceleration;
    fields_.z = sample != nullptr ? sample->z : kNoAcceleration;
    fields_.status = sample != nullptr ? sample->status : 'M';
    fields_.aux = sample != nullptr ? sample->aux : -1;
    fields_.gps_valid = gps != nullptr ? gps->valid : 0;
    fields_.speed = gps != nullptr ? gps->speed : -1.0;
    update();
}

bool CInfoDlg::AxisOn(int axis) const {
    return axis >= 0 && axis < 3 && axis_on_[static_cast<std::size_t>(axis)];
}

void CInfoDlg::SetAxisOn(int axis, bool on) {
    if (axis >= 0 && axis < 3) {
        axis_on_[static_cast<std::size_t>(axis)] = on;
        update();
    }
}

QRect CInfoDlg::AxisButtonRect(int axis) const {
    return ToQRect(Layout().AxisButton(axis));
}

void CInfoDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    for (int k = 0; k < 3; ++k) {
        if (AxisButtonRect(k).contains(event->position().toPoint())) {
            auto& on = axis_on_[static_cast<std::size_t>(k)];
            on = !on;
            update();
            if (sink_ != nullptr) {
                sink_->Post({AppMessage::kInfoPanelAxisSwitch, k, on ? 1 : 0});
            }
            return;
        }
    }
}

void CInfoDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.fillRect(rect().adjusted(1, 1, -1, -1), kPanelBackground);
    p.setRenderHint(QPainter::Antialiasing);
    const InfoPanelLayout layout = Layout();
    DrawAxes(p, layout);
    DrawTimeRateAndVoltage(p, layout);
    DrawSpeed(p, layout);
    DrawBadgeAndIcons(p, layout);
    DrawButtons(p, layout);
}

void CInfoDlg::DrawAxes(QPainter& p, const InfoPanelLayout& layout) const {
    const std::array<double, 3> values = {fields_.x, fields_.y, fields_.z};
    p.setFont(normal_font_);
    for (int k = 0; k < 3; ++k) {
        const QColor colour = kAxisColours[static_cast<std::size_t>(k)];
        p.setPen(colour);
        p.drawText(ToQRect(layout.AxisLabel(k)), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromUtf8(base::UiText(62 + k) != nullptr ? base::UiText(62 + k) : ""));
        const QRect box = ToQRect(layout.AxisValue(k));
        if (const auto text = FormatAcceleration(values[static_cast<std::size_t>(k)])) {
            p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, Text(*text));
        } else {
            p.setPen(colour.darker(300));
            p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, Text(kGPlaceholderText));
        }
    }
}

void CInfoDlg::DrawTimeRateAndVoltage(QPainter& p, const InfoPanelLayout& layout) const {
    p.setFont(normal_font_);
    const QRect date = ToQRect(layout.DateTime());
    if (const auto text = FormatShownTime(fields_)) {
        p.setPen(Qt::white);
        p.drawText(date, Qt::AlignLeft | Qt::AlignVCenter, Text(*text));
    } else {
        p.setPen(kPlaceholder);
        p.drawText(date, Qt::AlignLeft | Qt::AlignVCenter, Text(kDatePlaceholderText));
    }
    p.setPen(Qt::white);
    if (fields_.picture_mode == 0) {
        p.drawText(ToQRect(layout.Rate()), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromStdString(fields_.rate_text));
    }
    if (fields_.voltage_shown != 0) {
        const QRect box = ToQRect(layout.Voltage());
        if (const auto volts = FormatVoltage(fields_.aux)) {
            p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, Text(*volts));
        } else {
            DrawPlaceholderBar(p, box.right() - box.width() / 2, box.y(), box.width() / 2,
                               box.height());
        }
        p.drawText(ToQRect(layout.VoltageUnit()), Qt::AlignRight | Qt::AlignVCenter, "V");
    }
}

void CInfoDlg::DrawSpeed(QPainter& p, const InfoPanelLayout& layout) const {
    const SpeedText speed = FormatSpeed(fields_.speed_display, fields_.gps_valid, fields_.speed);
    p.setPen(Qt::white);
    p.setFont(normal_font_);
    if (speed.kind == SpeedText::Kind::kOff) {
        p.drawText(ToQRect(layout.SpeedOff()), Qt::AlignRight | Qt::AlignTop, Text(speed.text));
        return;
    }
    if (speed.kind == SpeedText::Kind::kValue) {
        p.drawText(ToQRect(layout.SpeedValue()), Qt::AlignRight | Qt::AlignTop, Text(speed.text));
    } else {
        const QRect value = ToQRect(layout.SpeedValue());
        const int x = layout.SpeedPlaceholderX();
        DrawPlaceholderBar(p, x, value.y(), value.right() - x - value.height() / 3, value.height());
    }
    p.setFont(small_font_);
    p.drawText(ToQRect(layout.SpeedUnit()), Qt::AlignRight | Qt::AlignTop, "km/h");
}

void CInfoDlg::DrawBadgeAndIcons(QPainter& p, const InfoPanelLayout& layout) const {
    p.setFont(small_font_);
    const std::string_view badge = BadgeLabel(fields_.badge);
    if (!badge.empty()) {
        const QRect box = ToQRect(layout.Badge());
        p.setPen(QPen(kBadge, std::max(1.0, scale_)));
        p.setBrush(kBadge.darker(250));
        p.drawRoundedRect(box.adjusted(1, 1, -1, -1), 4 * scale_, 4 * scale_);
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, Text(badge));
    }
    const int dot = base::ScaledLength(12, scale_);
    if (fields_.picture_mode == 0) {
        const QRect cell = ToQRect(layout.StatusCell());
        const StatusIcon icon = StatusIconFor(fields_.status);
        const QColor colour = icon == StatusIcon::kRecording          ? kRecording
                              : icon == StatusIcon::kParkingRecording ? kParkingRecording
                                                                      : kIdle;
        const QRect circle(cell.center().x() - dot / 2, cell.center().y() - dot / 2, dot, dot);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(circle);
        if (icon == StatusIcon::kParkingRecording) {
            p.setPen(Qt::black);
            p.drawText(circle, Qt::AlignCenter, "P");
        }
    }
    const GpsIndicator gps = GpsIndicatorFor(fields_.gps_display, fields_.gps_valid);
    if (gps == GpsIndicator::kFix) {
        const QRect cell = ToQRect(layout.GpsCell());
        QPainterPath pin;  // a location pin
        const double cx = cell.center().x(), top = cell.y() + 1, r = dot / 2.0;
        pin.addEllipse(QPointF(cx, top + r), r, r);
        pin.moveTo(cx - r * 0.8, top + r * 1.5);
        pin.lineTo(cx, top + r * 3.2);
        pin.lineTo(cx + r * 0.8, top + r * 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kGpsFix);
        p.drawPath(pin.simplified());
        p.setBrush(kPanelBackground);
        p.drawEllipse(QPointF(cx, top + r), r * 0.4, r * 0.4);
    } else if (gps == GpsIndicator::kOff && fields_.voltage_shown == 0) {
        // The battery voltage takes the same place; parking recordings have no fix anyway.
        p.setPen(Qt::white);
        p.setFont(normal_font_);
        p.drawText(ToQRect(layout.GpsOff()), Qt::AlignRight | Qt::AlignTop, "OFF");
    }
    p.setBrush(Qt::NoBrush);
}

void CInfoDlg::DrawButtons(QPainter& p, const InfoPanelLayout& layout) const {
    for (int k = 0; k < 3; ++k) {
        const QRect box = ToQRect(layout.AxisButton(k)).adjusted(0, 0, -1, -1);
        const QColor colour = kAxisColours[static_cast<std::size_t>(k)];
        p.setPen(QPen(colour, 1));
        p.setBrush(axis_on_[static_cast<std::size_t>(k)] ? QBrush(colour) : QBrush(Qt::black));
        p.drawRect(box);
        if (axis_on_[static_cast<std::size_t>(k)]) {  // a check mark on the filled box
            p.setPen(QPen(Qt::black, std::max(1.0, 1.5 * scale_)));
            p.drawPolyline(QPolygonF(
                {QPointF(box.left() + box.width() * 0.2, box.center().y()),
                 QPointF(box.left() + box.width() * 0.45, box.bottom() - box.height() * 0.2),
                 QPointF(box.right() - box.width() * 0.15, box.top() + box.height() * 0.2)}));
        }
    }
    p.setBrush(Qt::NoBrush);
}

}  // namespace ardelle::panels
