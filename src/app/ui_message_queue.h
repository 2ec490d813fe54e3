#pragma once

#include <QObject>
#include <functional>

#include "base/messages.h"

namespace ardelle::app {

// Delivers posted messages on the UI thread: Post may be called from any thread and queues
// the message as an event; the handler runs later in the event loop, in posting order.
class UiMessageQueue : public QObject, public MessageSink {
  public:
    using Handler = std::function<void(const PostedMessage&)>;
    explicit UiMessageQueue(Handler handler, QObject* parent = nullptr);

    void Post(const PostedMessage& message) override;

  protected:
    void customEvent(QEvent* event) override;

  private:
    Handler handler_;
};

}  // namespace ardelle::app
