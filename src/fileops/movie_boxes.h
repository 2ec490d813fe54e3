#pragma once

#include "telemetry/mp4_tree.h"

namespace ardelle::fileops {

// Opens up the containers of a movie box that the tree reader kept whole as data. The reader
// takes a box for a container only when its first child has a type it knows, so a media
// information box that starts with a media header of another kind (a timecode or metadata
// track's "gmhd") stays one leaf, and its sample tables are hidden from the join. Every
// container of the track structure (moov, trak, mdia, minf, stbl, dinf, edts) that holds a
// complete payload copy which splits exactly into boxes is given its children; one that
// does not split stays as it was. The children of other types are leaves with payload copies.
void ExpandMovieBoxes(telemetry::BoxNode& moov);

}  // namespace ardelle::fileops
