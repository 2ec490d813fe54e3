#include "skin/skin.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <cmath>

#include "base/screen_scale.h"
#include "base/ui_text.h"

namespace ardelle::skin {
namespace {

constexpr int kTextFontFace = 112;
constexpr char kFallbackFamily[] = "Noto Sans CJK JP";

struct IconName {
    IconRole role;
    const char* file;
};

// Our own choice of pictures from the icon set (outline style).
constexpr IconName kIconNames[] = {
    {IconRole::kClose, "x"},
    {IconRole::kMaximise, "window-maximize"},
    {IconRole::kMinimise, "window-minimize"},
    {IconRole::kToStart, "arrow-bar-to-left"},
    {IconRole::kPrevious, "player-track-prev"},
    {IconRole::kPlay, "player-play"},
    {IconRole::kPause, "player-pause"},
    {IconRole::kSlower, "snail"},
    {IconRole::kFaster, "player-skip-forward"},
    {IconRole::kNext, "player-track-next"},
    {IconRole::kSnapshot, "camera"},
    {IconRole::kJoin, "arrows-join"},
    {IconRole::kDownload, "download"},
    {IconRole::kZoom, "zoom-in"},
    {IconRole::kMirror, "flip-vertical"},
    {IconRole::kMap, "map"},
    {IconRole::kBrowse, "folder-open"},
    {IconRole::kDelete, "trash"},
    {IconRole::kSettings, "settings"},
    {IconRole::kCsv, "file-spreadsheet"},
    {IconRole::kDisplaySwitch, "arrows-exchange"},
    {IconRole::kVolumeHigh, "volume"},
    {IconRole::kVolumeLow, "volume-2"},
    {IconRole::kVolumeOff, "volume-off"},
};

// A dark, slightly warm palette of our own; the fixed colours of the controls (progress
// bar, tab strip, drag frame, window border, no-data text) are the ones the design names.
QColor RoleColour(ColourRole role) {
    switch (role) {
        case ColourRole::kWindowBackground:
            return {28, 30, 34};
        case ColourRole::kWindowEdge:
            return {62, 66, 74};
        case ColourRole::kPanelBackground:
            return {40, 43, 49};
        case ColourRole::kTitleText:
            return {255, 255, 255};
        case ColourRole::kTitleStrip:
            return {128, 128, 128};
        case ColourRole::kButtonFace:
            return {44, 48, 55};
        case ColourRole::kButtonHover:
            return {64, 70, 80};
        case ColourRole::kButtonPressed:
            return {30, 96, 160};
        case ColourRole::kIconNormal:
            return {222, 226, 232};
        case ColourRole::kIconHover:
            return {255, 255, 255};
        case ColourRole::kIconPressed:
            return {255, 255, 255};
        case ColourRole::kIconDisabled:
            return {98, 102, 110};
        case ColourRole::kTabStrip:
            return {35, 24, 21};
        case ColourRole::kTabSelected:
            return {70, 76, 88};
        case ColourRole::kTabText:
            return {236, 238, 242};
        case ColourRole::kSliderTrackDone:
            return {46, 130, 210};
        case ColourRole::kSliderTrackRest:
            return {80, 84, 92};
        case ColourRole::kSliderThumb:
            return {230, 232, 236};
        case ColourRole::kSliderThumbDragging:
            return {120, 190, 255};
        case ColourRole::kProgressDone:
            return {0, 0, 255};
        case ColourRole::kProgressRest:
            return {255, 255, 255};
        case ColourRole::kDragFrame:
            return {112, 93, 168};
        case ColourRole::kFloatingBorder:
            return {143, 143, 143};
        case ColourRole::kNoDataText:
            return {255, 0, 0};
        case ColourRole::kStillBackground:
            return {4, 0, 0};
        case ColourRole::kMessageBackground:
            return {255, 255, 255};
        case ColourRole::kMessageText:
            return {0, 0, 0};
    }
    return {0, 0, 0};
}

QString PickFamily() {
    const QStringList installed = QFontDatabase::families();
    const QString wanted = QString::fromUtf8(base::UiText(kTextFontFace));
    if (installed.contains(wanted)) {
        return wanted;
    }
    return QString::fromLatin1(kFallbackFamily);
}

int ScreenDpiY() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

}  // namespace

Skin& Skin::Instance() {
    static Skin skin;
    return skin;
}

Skin::Skin() : family_(PickFamily()) {
    MakeFonts();
}

void Skin::SetScales(double layout_scale, double font_scale) {
    layout_scale_ = layout_scale > 0.0 ? layout_scale : 1.0;
    font_scale_ = font_scale > 0.0 ? font_scale : 1.0;
    icon_cache_.clear();
    MakeFonts();
}

void Skin::SetFontScaleKeepingFonts(double font_scale) {
    if (font_scale > 0.0) {
        font_scale_ = font_scale;
    }
}

void Skin::MakeFonts() {
    const std::vector<base::FontSpec> specs = base::FontSetSpecs(font_scale_, ScreenDpiY());
    for (std::size_t i = 0; i < specs.size() && i < 7; ++i) {
        QFont font(family_);
        font.setPixelSize(std::max(1, -specs[i].height));
        font.setStyleStrategy(QFont::PreferAntialias);
        fonts_[i] = font;
    }
}

int Skin::Scaled(double units) const {
    return base::ScaledLength(units, layout_scale_);
}

QColor Skin::Colour(ColourRole role) const {
    return RoleColour(role);
}

const QFont& Skin::Font(FontRole role) const {
    return fonts_[static_cast<int>(role)];
}

QString Skin::IconResource(IconRole role) {
    for (const IconName& name : kIconNames) {
        if (name.role == role) {
            return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name.file));
        }
    }
    return {};
}

QPixmap Skin::Icon(IconRole role, int size, const QColor& colour) const {
    if (size <= 0) {
        return {};
    }
    const QString key =
        QStringLiteral("%1/%2/%3").arg(static_cast<int>(role)).arg(size).arg(colour.rgba(), 0, 16);
    if (const auto found = icon_cache_.constFind(key); found != icon_cache_.constEnd()) {
        return found.value();
    }
    QFile file(IconResource(role));
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    if (file.open(QIODevice::ReadOnly)) {
        // The icons stroke in "currentColor"; the state colour takes its place.
        QByteArray svg = file.readAll();
        svg.replace("currentColor", colour.name(QColor::HexRgb).toLatin1());
        QSvgRenderer renderer(svg);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    icon_cache_.insert(key, pixmap);
    return pixmap;
}

}  // namespace ardelle::skin
