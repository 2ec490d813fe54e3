#include "browser/msg_box.h"

#include "base/ui_text.h"

namespace ardelle::browser {

void ShowError(base::MessageBoxes* boxes, int text_id) {
    if (boxes != nullptr) {
        boxes->Show(base::UiString(text_id), base::kErrorCaption, base::MessageStyle::kOk);
    }
}

}  // namespace ardelle::browser
