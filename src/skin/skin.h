#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QString>

namespace ardelle::skin {

// The pictures of the program, one monochrome icon each, tinted by the state colour.
enum class IconRole {
    kClose,
    kMaximise,
    kMinimise,
    kToStart,
    kPrevious,
    kPlay,
    kPause,
    kSlower,
    kFaster,
    kNext,
    kSnapshot,
    kJoin,
    kDownload,
    kZoom,
    kMirror,
    kMap,
    kBrowse,
    kDelete,
    kSettings,
    kCsv,
    kDisplaySwitch,
    kVolumeHigh,  // the sound beside the volume slider: loud, soft, off
    kVolumeLow,
    kVolumeOff,
};

// The colours the controls paint with.
enum class ColourRole {
    kWindowBackground,  // main window frame and panels
    kWindowEdge,        // the lighter rim of the window frame
    kPanelBackground,   // empty panels and the list area
    kTitleText,         // product name, dialog titles
    kTitleStrip,        // the title strip of skinned dialogs
    kButtonFace,        // a button at rest
    kButtonHover,
    kButtonPressed,  // pressed or on
    kIconNormal,
    kIconHover,
    kIconPressed,
    kIconDisabled,
    kTabStrip,  // the tab strip's background
    kTabSelected,
    kTabText,
    kSliderTrackDone,  // the played part of the position slider
    kSliderTrackRest,
    kSliderThumb,
    kSliderThumbDragging,
    kProgressDone,    // blue
    kProgressRest,    // white
    kDragFrame,       // the frame shown while a window is resized
    kFloatingBorder,  // the border of the movie and map windows
    kNoDataText,      // red texts of a camera without data
    kStillBackground,
    kMessageBackground,  // the message dialog's text area
    kMessageText,
};

// The seven shared fonts, by the point size they are made with.
enum class FontRole { k9 = 0, k10 = 1, k13 = 2, k17 = 3, k22 = 4, k12 = 5, k15 = 6 };

// Colours, fonts and icons of the program, loaded once and looked up by role; every size
// is a design length placed at trunc(n x layout scale).
class Skin {
  public:
    // The process-wide skin (created on first use, scale 1).
    static Skin& Instance();

    double layout_scale() const { return layout_scale_; }
    double font_scale() const { return font_scale_; }
    // New scales: fonts and the icon cache are made again.
    void SetScales(double layout_scale, double font_scale);
    // A new font factor only: the fonts keep the size they were made with (the window
    // fitted to a low monitor) until the next SetScales.
    void SetFontScaleKeepingFonts(double font_scale);

    // trunc(units x layout scale).
    int Scaled(double units) const;

    QColor Colour(ColourRole role) const;
    const QFont& Font(FontRole role) const;
    // The face the fonts use: the first installed of the UI's face and the CJK fallback.
    const QString& FontFamily() const { return family_; }

    // The icon drawn square at size pixels in colour; cached.
    QPixmap Icon(IconRole role, int size, const QColor& colour) const;
    // The file name of the role's icon in the resources (":/icons/NAME.svg").
    static QString IconResource(IconRole role);

  private:
    Skin();
    void MakeFonts();

    double layout_scale_ = 1.0;
    double font_scale_ = 1.0;
    QString family_;
    QFont fonts_[7];
    mutable QHash<QString, QPixmap> icon_cache_;
};

}  // namespace ardelle::skin
