#include "app/movie_dialog.h"

#include <QPainter>

#include "app/main_layout.h"
#include "base/ui_text.h"
#include "skin/skin.h"

namespace ardelle::app {
namespace {
constexpr int kCloseCommand = 24;
constexpr std::int64_t kFloatingDragEnded = 2;
}  // namespace

CMovieDialog::CMovieDialog(const QString& title, MessageSink* owner, std::int64_t window_id)
    : owner_(owner), window_id_(window_id) {
    setWindowTitle(title);
    CreateCloseButton(kCloseCommand);
}

void CMovieDialog::SetTitle(int ui_text_id) {
    setWindowTitle(QString::fromUtf8(base::UiText(ui_text_id)));
    update();
}

QRect CMovieDialog::ContentRect() const {
    return FloatingContentRect(size(), skin::Skin::Instance().layout_scale());
}

void CMovieDialog::paintEvent(QPaintEvent* event) {
    const skin::Skin& skin = skin::Skin::Instance();
    {
        QPainter painter(this);
        painter.fillRect(rect(), skin.Colour(skin::ColourRole::kWindowBackground));
        const int pen = 2 * skin.Scaled(4);
        painter.setPen(QPen(skin.Colour(skin::ColourRole::kFloatingBorder), pen));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect());
    }
    CSkinDialog::paintEvent(event);
    if (owner_ != nullptr) {
        owner_->Post({AppMessage::kMovieWindowPainted, 0, window_id_});
    }
}

void CMovieDialog::Relayout() {
    CSkinDialog::Relayout();
    if (isVisible() && owner_ != nullptr) {
        owner_->Post({AppMessage::kFloatingWindowResized, 0, window_id_});
    }
}

void CMovieDialog::OnCloseButton() {
    if (owner_ != nullptr) {
        owner_->Post({AppMessage::kMovieWindowClosed, 0, window_id_});
    }
    hide();
}

void CMovieDialog::TitleDoubleClicked() {
    if (owner_ != nullptr) {
        owner_->Post({AppMessage::kFloatingWindowsReset, 0, window_id_});
    }
}

void CMovieDialog::DragFinished(bool was_resize) {
    if (owner_ != nullptr) {
        owner_->Post({AppMessage::kFloatingWindowMoved, was_resize ? 1 : 0, kFloatingDragEnded});
    }
}

}  // namespace ardelle::app
