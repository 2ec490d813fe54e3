#pragma once

#include "base/user_dialogs.h"
#include "skin/msg_dlg.h"

namespace ardelle::browser {

// The modal messages of the browser's windows (and of the core operations they start):
// the skinned message dialog, owned by the window that asks.
class CMsgBox : public skin::SkinMessageBoxes {
  public:
    using SkinMessageBoxes::SkinMessageBoxes;
};

// Shows UI text text_id with the caption "ERROR" and OK (nothing without boxes).
void ShowError(base::MessageBoxes* boxes, int text_id);

}  // namespace ardelle::browser
