#pragma once

#include "skin/msg_dlg.h"

namespace ardelle::browser {

// The modal messages of the browser's windows (and of the core operations they start):
// the skinned message dialog, owned by the window that asks.
class CMsgBox : public skin::SkinMessageBoxes {
  public:
    using SkinMessageBoxes::SkinMessageBoxes;
};

}  // namespace ardelle::browser
