#include "app/ui_message_queue.h"

#include <QCoreApplication>
#include <QEvent>

namespace ardelle::app {
namespace {

const QEvent::Type kMessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// One posted message travelling through the event queue.
class MessageEvent : public QEvent {
  public:
    explicit MessageEvent(const PostedMessage& message)
        : QEvent(kMessageEventType), message_(message) {}
    const PostedMessage& message() const { return message_; }

  private:
    PostedMessage message_;
};

}  // namespace

UiMessageQueue::UiMessageQueue(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void UiMessageQueue::Post(const PostedMessage& message) {
    QCoreApplication::postEvent(this, new MessageEvent(message));
}

void UiMessageQueue::customEvent(QEvent* event) {
    if (event->type() == kMessageEventType && handler_) {
        handler_(static_cast<MessageEvent*>(event)->message());
    }
}

}  // namespace ardelle::app
