#pragma once

#include <QWidget>

#include "base/messages.h"
#include "skin/skin_dialog.h"

namespace ardelle::app {

// A floating top-level window of the main window: the movie window (the second camera's
// surfaces) and the map window (the map host and the logo panel). A grey border, the title
// strip and a close button that only hides it; its moves, resizes and title double clicks
// are posted to the owner (0x8009 with lparam 2, 0x8770, 0x876F, 0x876E).
class CMovieDialog : public skin::CSkinDialog {
  public:
    CMovieDialog(const QString& title, MessageSink* owner, std::int64_t window_id);

    void SetTitle(int ui_text_id);
    // The area the content lies in for the current size.
    QRect ContentRect() const;
    std::int64_t window_id() const { return window_id_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void Relayout() override;
    void OnCloseButton() override;
    void TitleDoubleClicked() override;
    void DragFinished(bool was_resize) override;

  private:
    MessageSink* owner_;
    std::int64_t window_id_;
};

}  // namespace ardelle::app
