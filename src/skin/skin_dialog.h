#pragma once

#include <memory>

#include "skin/resize_dialog.h"
#include "skin/skin_button.h"

namespace ardelle::skin {

// A skinned dialog: a grey title strip [20] high with the window text and, once created,
// a close button at its right end. Keys never close it (Enter and Esc do nothing).
class CSkinDialog : public CResizeDialog {
  public:
    explicit CSkinDialog(QWidget* parent = nullptr);

    // The close button; pressing it runs OnCloseButton (by default: reject and hide).
    CSkinButton* CreateCloseButton(int command_id);
    CSkinButton* close_button() const { return close_button_; }
    int TitleStripHeight() const;

  protected:
    virtual void OnCloseButton() { reject(); }
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void Relayout() override;
    // Places the close button; derived dialogs call it from their own Relayout.
    void PlaceCloseButton();

  private:
    CSkinButton* close_button_ = nullptr;
};

}  // namespace ardelle::skin
