#pragma once

#include <QPixmap>

namespace ardelle::browser {

// The picture beside a group node of the folder tree: a frame 39 x 26 units and one
// small sign per trigger bit of the group's mask (manual, shock, parking shock, parking,
// approaching from behind, speed camera), each in its own place; the rest is transparent.
QPixmap TriggerIcon(int mask, double scale);

// The bits that get a sign, in drawing order.
inline constexpr int kTriggerIconBits[] = {0x02, 0x04, 0x10, 0x08, 0x20, 0x40};

// The folder picture of a node (a drive for the top nodes of a card).
QPixmap NodeIcon(bool drive, int size);

}  // namespace ardelle::browser
