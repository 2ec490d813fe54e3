#pragma once

#include <QPoint>
#include <QRect>

#include "playback/player_types.h"

namespace ardelle::app {

// What a video surface shows when it paints.
enum class SurfacePaint { kPicture, kNoFrontText, kNoRearText, kBlack };

// Surface i shows its player's picture while that player has a file; otherwise the rear
// surface says "no rear video" when the front has a file, the front surface "no front
// video" when the rear has one, and both are black when neither has.
SurfacePaint VideoSurfacePaint(int surface_index, bool front_has_file, bool rear_has_file);

// The UI text a surface paint shows (0 for none).
int SurfacePaintText(SurfacePaint paint);

// The zoom the main window keeps for one surface.
struct SurfaceZoom {
    QRect client_rect;
    QPoint click;
    int zoom_x = 0;
    int zoom_y = 0;
    int zoom_offset_x = 0;
    int zoom_offset_y = 0;
    float previous_level = 1.0f;
    float level = 1.0f;
};

// The centre of the surface's design size: the movie window's picture for surface 1, the
// main video area (656 x 370 at scale 1) for surface 0.
QPoint ZoomResetCentre(int surface_index, double scale);
void ResetZoom(SurfaceZoom& zoom, int surface_index, double scale);

// A click in zoom mode on a surface whose picture occupies picture (client coordinates):
// the level steps 1 -> 2 -> 3 -> 1 around the clicked point. False when nothing changed
// but the stored click point (no zoom mode, a negative level, a zero-width surface).
bool ZoomClick(SurfaceZoom& zoom, bool zoom_mode, const QPoint& click, const QRect& client,
               const playback::VideoRect& picture, int surface_index, double scale);

playback::ZoomSpec ToZoomSpec(const SurfaceZoom& zoom);

}  // namespace ardelle::app
